#include "tests/support/gl_context.h"

void GlFixture::SetUp() {
    m_context = GlContext::Create(Options());
    ASSERT_NE(m_context, nullptr) << "no OpenGL context: is DISPLAY set (run under xvfb-run)?";
}

std::array<std::uint8_t, 4> GlFixture::PixelAt(const std::vector<std::uint8_t>& rgba, int x,
                                               int y) const {
    const std::size_t at = (static_cast<std::size_t>(y) * m_context->Width() + x) * 4;
    return {rgba[at], rgba[at + 1], rgba[at + 2], rgba[at + 3]};
}
