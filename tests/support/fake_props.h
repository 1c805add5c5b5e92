#pragma once
// The nine prop models as the application binds them for the settings file, without models: a
// test says which are present and sees every visible flag written, to a missing model too.

#include <array>

#include "app/settings_file.h"

class FakeProps final : public PropVisibility {
  public:
    std::array<bool, kPropModelCount> present{};
    std::array<int, kPropModelCount> visible{};
    bool HasModel(int prop) const override { return present[prop]; }
    int IsVisible(int prop) const override { return visible[prop]; }
    void SetVisible(int prop, int value) override { visible[prop] = value; }
};
