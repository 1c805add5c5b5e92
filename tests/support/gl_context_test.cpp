#include "tests/support/gl_context.h"

#include <GL/gl.h>

namespace {

class GlContextTest : public GlFixture {};

TEST_F(GlContextTest, ReadsBackWhatWasDrawn) {
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1.0f, 0.0f, 0.0f);
    glRectf(-1.0f, -1.0f, 0.0f, 0.0f);  // the lower left quarter
    const auto rgba = m_context->ReadRgba();
    const auto lowerLeft = PixelAt(rgba, 10, 10);
    const auto upperRight = PixelAt(rgba, 250, 250);
    EXPECT_EQ(lowerLeft[0], 255);
    EXPECT_EQ(lowerLeft[2], 0);
    EXPECT_EQ(upperRight[0], 0);
    EXPECT_EQ(upperRight[2], 255);
}

TEST_F(GlContextTest, HasEightStencilBits) {
    GLint stencil = 0;
    glGetIntegerv(GL_STENCIL_BITS, &stencil);
    EXPECT_EQ(stencil, 8);
}

}  // namespace
