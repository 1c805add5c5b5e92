#include "tests/gui/qt_app.h"

// gtest owns the environment.
[[maybe_unused]] static ::testing::Environment* const kQtApp =
    ::testing::AddGlobalTestEnvironment(new QtAppEnvironment("offscreen"));
