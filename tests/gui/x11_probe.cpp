#include "tests/gui/x11_probe.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

using pgui::GrantedFormat;

// The format of the current context's framebuffer configuration as GLX reports it: an
// oracle that does not go through glGet.
GrantedFormat GlxFormatOfCurrentContext() {
    GrantedFormat format;
    Display* display = glXGetCurrentDisplay();
    GLXContext context = glXGetCurrentContext();
    if (!display || !context) return format;
    int id = 0;
    if (glXQueryContext(display, context, GLX_FBCONFIG_ID, &id) != Success) return format;
    const int attributes[] = {GLX_FBCONFIG_ID, id, None};
    int count = 0;
    GLXFBConfig* configs =
        glXChooseFBConfig(display, DefaultScreen(display), attributes, &count);
    if (!configs || count != 1) {
        if (configs) XFree(configs);
        return format;
    }
    int doubleBuffer = 0, stereo = 0;
    glXGetFBConfigAttrib(display, configs[0], GLX_DOUBLEBUFFER, &doubleBuffer);
    glXGetFBConfigAttrib(display, configs[0], GLX_STEREO, &stereo);
    glXGetFBConfigAttrib(display, configs[0], GLX_RED_SIZE, &format.redBits);
    glXGetFBConfigAttrib(display, configs[0], GLX_GREEN_SIZE, &format.greenBits);
    glXGetFBConfigAttrib(display, configs[0], GLX_BLUE_SIZE, &format.blueBits);
    glXGetFBConfigAttrib(display, configs[0], GLX_DEPTH_SIZE, &format.depthBits);
    glXGetFBConfigAttrib(display, configs[0], GLX_STENCIL_SIZE, &format.stencilBits);
    XFree(configs);
    format.valid = true;
    format.doubleBuffer = doubleBuffer != 0;
    format.stereo = stereo != 0;
    return format;
}

namespace {

// A key press and release sent through the X server to the window, as a keyboard would.
void SendKey(Display* display, unsigned long window, KeySym keysym) {
    XKeyEvent key{};
    key.display = display;
    key.window = static_cast<Window>(window);
    key.root = DefaultRootWindow(display);
    key.time = CurrentTime;
    key.same_screen = True;
    key.keycode = XKeysymToKeycode(display, keysym);
    key.type = KeyPress;
    XSendEvent(display, key.window, True, KeyPressMask, reinterpret_cast<XEvent*>(&key));
    key.type = KeyRelease;
    XSendEvent(display, key.window, True, KeyReleaseMask, reinterpret_cast<XEvent*>(&key));
}

}  // namespace

bool SendKeysThroughX(unsigned long window, const char* letters) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    for (const char* c = letters; *c; ++c) SendKey(display, window, XK_a + (*c - 'a'));
    XFlush(display);
    XCloseDisplay(display);
    return true;
}

bool SendNamedKeyThroughX(unsigned long window, const char* keyName) {
    const KeySym keysym = XStringToKeysym(keyName);
    if (keysym == NoSymbol) return false;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    SendKey(display, window, keysym);
    XFlush(display);
    XCloseDisplay(display);
    return true;
}

void HoldGlDriverForTheProcess() {
    static Display* const display = XOpenDisplay(nullptr);
    if (!display) return;
    int count = 0;
    const int attributes[] = {GLX_RENDER_TYPE, GLX_RGBA_BIT, None};
    if (GLXFBConfig* configs =
            glXChooseFBConfig(display, DefaultScreen(display), attributes, &count)) {
        XFree(configs);
    }
}
