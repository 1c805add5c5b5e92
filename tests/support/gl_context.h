#pragma once
// A real OpenGL context for tests that draw: Mesa on the X display named by DISPLAY
// (Xvfb in the test command), rendering into an off-screen pbuffer.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "tools/offscreen_gl/offscreen_gl.h"

// Gives each test a fresh current context; skips nothing: a missing display is a failure,
// since the test command always provides one.
class GlFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override { m_context.reset(); }
    virtual GlContextOptions Options() const { return {}; }

    // RGBA of the pixel at (x, y), y counted from the bottom.
    std::array<std::uint8_t, 4> PixelAt(const std::vector<std::uint8_t>& rgba, int x, int y) const;

    std::unique_ptr<GlContext> m_context;
};
