#include "platform/gui/gl_format.h"

#include <array>

#include <GL/gl.h>

namespace pgui {
namespace {

constexpr int kColourBits = 8;  // 24-bit RGB, no alpha
constexpr std::array<GlFormatRequest, 4> kCandidates = {{
    {true, 32, 8},
    {true, 24, 8},
    {false, 32, 8},
    {false, 24, 8},
}};

}  // namespace

std::span<const GlFormatRequest> FormatCandidates() { return kCandidates; }

bool FormatMeets(const GlFormatRequest& request, const GrantedFormat& granted) {
    return granted.valid && granted.doubleBuffer && granted.stereo == request.stereo &&
           granted.redBits >= kColourBits && granted.greenBits >= kColourBits &&
           granted.blueBits >= kColourBits && granted.depthBits >= request.depthBits &&
           granted.stencilBits >= request.stencilBits;
}

GlFormatRequest ChooseGlFormat(const std::function<GrantedFormat(const GlFormatRequest&)>& probe) {
    for (const GlFormatRequest& candidate : kCandidates) {
        if (FormatMeets(candidate, probe(candidate))) return candidate;
    }
    return kCandidates.back();
}

GrantedFormat ReadGrantedFormat() {
    GrantedFormat granted;
    GLboolean doubleBuffer = GL_FALSE, stereo = GL_FALSE;
    glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffer);
    glGetBooleanv(GL_STEREO, &stereo);
    glGetIntegerv(GL_RED_BITS, &granted.redBits);
    glGetIntegerv(GL_GREEN_BITS, &granted.greenBits);
    glGetIntegerv(GL_BLUE_BITS, &granted.blueBits);
    glGetIntegerv(GL_DEPTH_BITS, &granted.depthBits);
    glGetIntegerv(GL_STENCIL_BITS, &granted.stencilBits);
    granted.doubleBuffer = doubleBuffer == GL_TRUE;
    granted.stereo = stereo == GL_TRUE;
    // Without a current context glGetString gives null and the reads above did nothing.
    granted.valid = glGetString(GL_VERSION) != nullptr;
    return granted;
}

}  // namespace pgui
