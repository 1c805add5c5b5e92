#include "tools/offscreen_gl/offscreen_gl.h"
#include "tools/offscreen_gl/x_display.h"

#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <vector>

namespace {

// One connection for the whole process, never closed: closing it unloads Mesa's driver,
// whose few process-lifetime allocations would then show up as leaks without a name.
Display* SharedDisplay() {
    static Display* display = OpenDisplayWaiting();
    return display;
}

std::vector<int> ConfigAttributes(const GlContextOptions& options) {
    std::vector<int> attributes = {GLX_RENDER_TYPE,   GLX_RGBA_BIT,
                                   GLX_RED_SIZE,      8,
                                   GLX_GREEN_SIZE,    8,
                                   GLX_BLUE_SIZE,     8,
                                   GLX_DEPTH_SIZE,    options.depthBits,
                                   GLX_STENCIL_SIZE,  options.stencilBits,
                                   GLX_DRAWABLE_TYPE, GLX_PBUFFER_BIT};
    if (options.windowConfig) {
        attributes.back() = GLX_WINDOW_BIT;  // the drawable type is the last pair
        attributes.insert(attributes.end(),
                          {GLX_ALPHA_SIZE, 8, GLX_DOUBLEBUFFER, True, GLX_X_RENDERABLE, True});
    }
    attributes.push_back(None);
    return attributes;
}

int ConfigValue(Display* display, GLXFBConfig config, int attribute) {
    int value = 0;
    glXGetFBConfigAttrib(display, config, attribute, &value);
    return value;
}

// The sizes asked for are minimums, and the server lists deeper configurations first; the
// window configuration takes the first with exactly 8 bits in every channel.
bool MatchesExactly(Display* display, GLXFBConfig config, const GlContextOptions& options) {
    if (!options.windowConfig) return true;
    for (int attribute : {GLX_RED_SIZE, GLX_GREEN_SIZE, GLX_BLUE_SIZE, GLX_ALPHA_SIZE}) {
        if (ConfigValue(display, config, attribute) != 8) return false;
    }
    return ConfigValue(display, config, GLX_DEPTH_SIZE) == options.depthBits &&
           ConfigValue(display, config, GLX_STENCIL_SIZE) == options.stencilBits;
}

GLXFBConfig ChooseConfig(Display* display, const GlContextOptions& options) {
    const std::vector<int> attributes = ConfigAttributes(options);
    int count = 0;
    GLXFBConfig* configs =
        glXChooseFBConfig(display, DefaultScreen(display), attributes.data(), &count);
    GLXFBConfig chosen = nullptr;
    for (int i = 0; i < count && !chosen; ++i) {
        if (MatchesExactly(display, configs[i], options)) chosen = configs[i];
    }
    if (configs) XFree(configs);
    return chosen;
}

}  // namespace

struct GlContext::Handles {
    Display* display = nullptr;
    GLXPbuffer pbuffer = 0;
    Window window = 0;
    Colormap colormap = 0;
    GLXWindow glxWindow = 0;
    GLXContext context = nullptr;

    ~Handles() {
        if (!display) return;
        glXMakeContextCurrent(display, None, None, nullptr);
        if (context) glXDestroyContext(display, context);
        if (pbuffer) glXDestroyPbuffer(display, pbuffer);
        if (glxWindow) glXDestroyWindow(display, glxWindow);
        if (window) XDestroyWindow(display, window);
        if (colormap) XFreeColormap(display, colormap);
    }

    GLXDrawable Drawable() const { return glxWindow ? glxWindow : pbuffer; }

    bool MakeWindow(GLXFBConfig config, int width, int height) {
        XVisualInfo* visual = glXGetVisualFromFBConfig(display, config);
        if (!visual) return false;
        const Window root = RootWindow(display, visual->screen);
        colormap = XCreateColormap(display, root, visual->visual, AllocNone);
        XSetWindowAttributes attributes{};
        attributes.colormap = colormap;
        window = XCreateWindow(display, root, 0, 0, static_cast<unsigned>(width),
                               static_cast<unsigned>(height), 0, visual->depth, InputOutput,
                               visual->visual, CWColormap, &attributes);
        XFree(visual);
        if (!window) return false;
        // Shown, so every swap copies the frame to the screen as the program's window does.
        XMapWindow(display, window);
        XSync(display, False);
        glxWindow = glXCreateWindow(display, config, window, nullptr);
        return glxWindow != 0;
    }

    bool MakePbuffer(GLXFBConfig config, int width, int height) {
        const int attributes[] = {GLX_PBUFFER_WIDTH, width, GLX_PBUFFER_HEIGHT, height, None};
        pbuffer = glXCreatePbuffer(display, config, attributes);
        return pbuffer != 0;
    }
};

namespace {

// Says which step failed: a context that cannot be made is otherwise hard to tell apart from
// a missing display.
std::unique_ptr<GlContext> Refuse(const char* step) {
    std::fprintf(stderr, "offscreen_gl: %s\n", step);
    return nullptr;
}

}  // namespace

std::unique_ptr<GlContext> GlContext::Create(const GlContextOptions& options) {
    auto handles = std::make_unique<Handles>();
    handles->display = SharedDisplay();
    if (!handles->display) return Refuse("no X display could be opened");
    const GLXFBConfig config = ChooseConfig(handles->display, options);
    if (!config) return Refuse("no matching framebuffer configuration");

    const bool made = options.windowConfig
                          ? handles->MakeWindow(config, options.width, options.height)
                          : handles->MakePbuffer(config, options.width, options.height);
    if (!made) return Refuse("the drawable could not be created");
    handles->context = glXCreateNewContext(handles->display, config, GLX_RGBA_TYPE, nullptr, True);
    if (!handles->context) return Refuse("the GLX context could not be created");
    const GLXDrawable drawable = handles->Drawable();
    if (!glXMakeContextCurrent(handles->display, drawable, drawable, handles->context)) {
        return Refuse("the GLX context could not be made current");
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

void GlContext::SwapBuffers() const {
    if (m_handles->glxWindow) glXSwapBuffers(m_handles->display, m_handles->glxWindow);
}
