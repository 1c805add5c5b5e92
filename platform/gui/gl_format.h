#pragma once
// The pixel format the view asks for and the one it was granted.
//
// The view wants a double-buffered RGB format with depth 32 (else 24), stencil 8 and
// quad-buffer stereo where the display has it. Qt grants a stereo request on a display
// without stereo by silently dropping depth and stencil, so each candidate is tried in
// turn and judged by what the context reports back, never by what was asked for.

#include <functional>
#include <span>

namespace pgui {

struct GlFormatRequest {
    bool stereo = false;
    int depthBits = 0;
    int stencilBits = 0;
};

struct GrantedFormat {
    bool valid = false;  // a context was made current; the rest is meaningless otherwise
    bool doubleBuffer = false;
    bool stereo = false;
    int redBits = 0;
    int greenBits = 0;
    int blueBits = 0;
    int depthBits = 0;
    int stencilBits = 0;
};

// In order of preference: stereo before mono, depth 32 before 24, always stencil 8.
std::span<const GlFormatRequest> FormatCandidates();

// Double buffered, 8 bits per colour, and at least what the request names.
bool FormatMeets(const GlFormatRequest& request, const GrantedFormat& granted);

// The first candidate whose probe meets it; the last candidate when none does, since that
// asks least and a window is still better than none.
GlFormatRequest ChooseGlFormat(const std::function<GrantedFormat(const GlFormatRequest&)>& probe);

// The format of the current context's default framebuffer, read with glGet.
GrantedFormat ReadGrantedFormat();

}  // namespace pgui
