#include "tests/gui/qt_app.h"
#include "tests/gui/x11_probe.h"

namespace {

class XcbAppEnvironment : public QtAppEnvironment {
public:
    XcbAppEnvironment() : QtAppEnvironment("xcb") {}
    void SetUp() override {
        HoldGlDriverForTheProcess();
        QtAppEnvironment::SetUp();
    }
};

}  // namespace

// gtest owns the environment.
[[maybe_unused]] static ::testing::Environment* const kQtApp =
    ::testing::AddGlobalTestEnvironment(new XcbAppEnvironment);
