#include "tests/app_shell/x_screen.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// Windows of other programs on the display come and go while they are looked at: an error
// about one of them only means that it is gone.
int IgnoreError(Display*, XErrorEvent*) { return 0; }

struct DisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

bool HasTitle(Display* display, Window window, const char* title) {
    char* name = nullptr;
    const bool match = XFetchName(display, window, &name) && name && std::strcmp(name, title) == 0;
    if (name) XFree(name);
    return match;
}

// The _NET_WM_PID property that the toolkit sets on its top-level windows.
bool HasPid(Display* display, Window window, int pid) {
    const Atom property = XInternAtom(display, "_NET_WM_PID", True);
    if (property == None) return false;
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    const bool read = XGetWindowProperty(display, window, property, 0, 1, False, XA_CARDINAL, &type,
                                         &format, &items, &after, &data) == Success;
    const bool match = read && data && format == 32 && items == 1 &&
                       *reinterpret_cast<unsigned long*>(data) == static_cast<unsigned long>(pid);
    if (data) XFree(data);
    return match;
}

DisplayPtr OpenDisplay() {
    XSetErrorHandler(IgnoreError);
    return DisplayPtr(XOpenDisplay(nullptr));
}

}  // namespace

namespace {

// The windows directly under `window`; empty when it cannot be read.
std::vector<Window> Children(Display* display, Window window) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return {};
    std::vector<Window> list(children, children + count);
    if (children) XFree(children);
    return list;
}

// The first shown top-level window of the process that passes `wanted`. A window manager puts
// each top-level window into a frame of its own, one level further down.
template <class Wanted>
unsigned long FindShownTopLevel(int pid, Wanted wanted) {
    DisplayPtr display = OpenDisplay();
    if (!display) return 0;
    const auto matches = [&](Window window) {
        XWindowAttributes attributes;
        return XGetWindowAttributes(display.get(), window, &attributes) &&
               attributes.map_state == IsViewable && HasPid(display.get(), window, pid) &&
               wanted(display.get(), window, attributes);
    };
    for (const Window top : Children(display.get(), DefaultRootWindow(display.get()))) {
        if (matches(top)) return top;
        if (HasPid(display.get(), top, pid)) continue;  // the program's own: not a frame
        for (const Window client : Children(display.get(), top))
            if (matches(client)) return client;
    }
    return 0;
}

}  // namespace

unsigned long FindTopLevelWindow(const char* title, int pid) {
    return FindShownTopLevel(pid, [title](Display* display, Window window, const auto&) {
        return HasTitle(display, window, title);
    });
}

unsigned long FindPopupWindow(int pid) {
    return FindShownTopLevel(pid, [](Display*, Window, const XWindowAttributes& attributes) {
        return attributes.override_redirect != False;
    });
}

namespace {

// A display connection with the window's attributes; no connection when either is missing.
struct WindowOnDisplay {
    DisplayPtr display;
    XWindowAttributes attributes{};
};

WindowOnDisplay OpenWindow(unsigned long window) {
    WindowOnDisplay opened{OpenDisplay()};
    if (opened.display && !XGetWindowAttributes(opened.display.get(), window, &opened.attributes))
        opened.display.reset();
    return opened;
}

}  // namespace

ScreenBox WindowBox(unsigned long window) {
    const WindowOnDisplay opened = OpenWindow(window);
    ScreenBox box;
    Window child = 0;
    Display* display = opened.display.get();
    if (!display || !XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0,
                                           &box.x, &box.y, &child)) {
        return {};
    }
    box.width = opened.attributes.width;
    box.height = opened.attributes.height;
    return box;
}

unsigned long InnermostWindow(unsigned long window) {
    DisplayPtr display = OpenDisplay();
    if (!display) return 0;
    for (;;) {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display.get(), window, &root, &parent, &children, &count)) return window;
        unsigned long largest = 0;
        long largestArea = 0;
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes attributes;
            if (!XGetWindowAttributes(display.get(), children[i], &attributes) ||
                attributes.map_state != IsViewable) {
                continue;
            }
            const long area = static_cast<long>(attributes.width) * attributes.height;
            if (area > largestArea) {
                largest = children[i];
                largestArea = area;
            }
        }
        if (children) XFree(children);
        if (largest == 0) return window;
        window = largest;
    }
}

ScreenBox ScreenSize() {
    DisplayPtr display = OpenDisplay();
    if (!display) return {};
    const int screen = DefaultScreen(display.get());
    return {0, 0, DisplayWidth(display.get(), screen), DisplayHeight(display.get(), screen)};
}

ScreenGrab GrabWindow(unsigned long window) {
    ScreenGrab grab;
    const WindowOnDisplay opened = OpenWindow(window);
    if (!opened.display) return grab;
    const XWindowAttributes& attributes = opened.attributes;
    XImage* image = XGetImage(opened.display.get(), window, 0, 0, attributes.width,
                              attributes.height, AllPlanes, ZPixmap);
    if (!image) return grab;
    grab.width = attributes.width;
    grab.height = attributes.height;
    grab.pixels.reserve(static_cast<size_t>(grab.width) * grab.height);
    for (int y = 0; y < grab.height; ++y) {
        for (int x = 0; x < grab.width; ++x) {
            grab.pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
        }
    }
    XDestroyImage(image);
    return grab;
}

bool RequestClose(unsigned long window) {
    DisplayPtr display = OpenDisplay();
    if (!display) return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display.get(), "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] =
        static_cast<long>(XInternAtom(display.get(), "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(display.get(), window, False, NoEventMask, &event) != 0;
    XFlush(display.get());
    return sent;
}

namespace {

// The atoms of a window's property of type ATOM; empty when it has none.
std::vector<Atom> AtomList(Display* display, Window window, const char* name) {
    const Atom property = XInternAtom(display, name, True);
    if (property == None) return {};
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<Atom> atoms;
    if (XGetWindowProperty(display, window, property, 0, 64, False, XA_ATOM, &type, &format,
                           &items, &after, &data) == Success &&
        data && format == 32) {
        const auto* values = reinterpret_cast<const unsigned long*>(data);
        atoms.assign(values, values + items);
    }
    if (data) XFree(data);
    return atoms;
}

}  // namespace

bool HasFullScreenState(unsigned long window) {
    DisplayPtr display = OpenDisplay();
    if (!display) return false;
    const Atom fullScreen = XInternAtom(display.get(), "_NET_WM_STATE_FULLSCREEN", True);
    const std::vector<Atom> states = AtomList(display.get(), window, "_NET_WM_STATE");
    return fullScreen != None &&
           std::find(states.begin(), states.end(), fullScreen) != states.end();
}

bool WindowManagerRunning() {
    DisplayPtr display = OpenDisplay();
    if (!display) return false;
    const Atom check = XInternAtom(display.get(), "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None) return false;
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    bool running = false;
    if (XGetWindowProperty(display.get(), DefaultRootWindow(display.get()), check, 0, 1, False,
                           XA_WINDOW, &type, &format, &items, &after, &data) == Success &&
        data && format == 32 && items == 1) {
        // The check window exists while its manager runs.
        XWindowAttributes attributes;
        running = XGetWindowAttributes(display.get(),
                                       *reinterpret_cast<unsigned long*>(data), &attributes) != 0;
    }
    if (data) XFree(data);
    return running;
}

bool FocusInside(unsigned long window) {
    DisplayPtr display = OpenDisplay();
    if (!display) return false;
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display.get(), &focus, &revert);
    if (focus == PointerRoot) {
        // The keys go to the window under the pointer.
        Window root = 0, child = 0;
        int rootX = 0, rootY = 0, x = 0, y = 0;
        unsigned mask = 0;
        if (!XQueryPointer(display.get(), window, &root, &child, &rootX, &rootY, &x, &y, &mask))
            return false;
        XWindowAttributes attributes;
        return XGetWindowAttributes(display.get(), window, &attributes) && x >= 0 && y >= 0 &&
               x < attributes.width && y < attributes.height;
    }
    // The focus window or one of its ancestors.
    for (Window w = focus; w != None && w != DefaultRootWindow(display.get());) {
        if (w == window) return true;
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display.get(), w, &root, &parent, &children, &count)) return false;
        if (children) XFree(children);
        w = parent;
    }
    return false;
}
