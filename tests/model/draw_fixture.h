#pragma once
// A fresh GL context looking straight at the square -128 to 128 in x and y, cleared to black,
// with textures shown.

#include <GL/gl.h>

#include <array>
#include <cstdint>

#include "model/display_options.h"
#include "tests/support/gl_context.h"

class DrawFixture : public GlFixture {
protected:
    void SetUp() override {
        GlFixture::SetUp();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-128, 128, -128, 128, -1000, 1000);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        DisplayTextures = 1;
    }
    void TearDown() override {
        DisplayTextures = 1;
        GlFixture::TearDown();
    }
    std::array<std::uint8_t, 4> Centre() { return PixelAt(m_context->ReadRgba(), 128, 128); }
};
