#include "tools/offscreen_gl/offscreen_gl.h"

#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <array>

namespace {

// One connection for the whole process, never closed: closing it unloads Mesa's driver,
// whose few process-lifetime allocations would then show up as leaks without a name.
Display* SharedDisplay() {
    static Display* display = XOpenDisplay(nullptr);
    return display;
}

}  // namespace

struct GlContext::Handles {
    Display* display = nullptr;
    GLXPbuffer pbuffer = 0;
    GLXContext context = nullptr;

    ~Handles() {
        if (!display) return;
        glXMakeContextCurrent(display, None, None, nullptr);
        if (context) glXDestroyContext(display, context);
        if (pbuffer) glXDestroyPbuffer(display, pbuffer);
    }
};

std::unique_ptr<GlContext> GlContext::Create(const GlContextOptions& options) {
    auto handles = std::make_unique<Handles>();
    handles->display = SharedDisplay();
    if (!handles->display) return nullptr;

    const int attributes[] = {GLX_DRAWABLE_TYPE, GLX_PBUFFER_BIT,
                              GLX_RENDER_TYPE,   GLX_RGBA_BIT,
                              GLX_RED_SIZE,      8,
                              GLX_GREEN_SIZE,    8,
                              GLX_BLUE_SIZE,     8,
                              GLX_DEPTH_SIZE,    options.depthBits,
                              GLX_STENCIL_SIZE,  options.stencilBits,
                              None};
    int count = 0;
    GLXFBConfig* configs = glXChooseFBConfig(handles->display, DefaultScreen(handles->display),
                                             attributes, &count);
    if (!configs || count == 0) {
        if (configs) XFree(configs);
        return nullptr;
    }
    const GLXFBConfig config = configs[0];
    XFree(configs);

    const int pbufferAttributes[] = {GLX_PBUFFER_WIDTH, options.width, GLX_PBUFFER_HEIGHT,
                                     options.height, None};
    handles->pbuffer = glXCreatePbuffer(handles->display, config, pbufferAttributes);
    handles->context =
        glXCreateNewContext(handles->display, config, GLX_RGBA_TYPE, nullptr, True);
    if (!handles->pbuffer || !handles->context) return nullptr;
    if (!glXMakeContextCurrent(handles->display, handles->pbuffer, handles->pbuffer,
                               handles->context)) {
        return nullptr;
    }
    glViewport(0, 0, options.width, options.height);
    return std::unique_ptr<GlContext>(
        new GlContext(std::move(handles), options.width, options.height));
}

GlContext::GlContext(std::unique_ptr<Handles> handles, int width, int height)
    : m_handles(std::move(handles)), m_width(width), m_height(height) {}

GlContext::~GlContext() = default;

std::vector<std::uint8_t> GlContext::ReadRgba() const {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(m_width) * m_height * 4);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, m_width, m_height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}
