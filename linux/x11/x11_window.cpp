#include "linux/x11/x11_window.h"

#include "linux/common/messages.h"
#include "linux/common/quoted_text.h"

#include "front/saver_rules.h"

#include <X11/Xatom.h>
#include <X11/keysym.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

// A grab refused right after mapping is tried again this often, this far
// apart: a second in all.
constexpr int grabAttempts = 50;
constexpr useconds_t grabRetryMicroseconds = 20000;

// What the error handlers, plain functions, go by: the window we draw into,
// so that "our window was destroyed under us" (a normal end for a hack) is
// told from a real fault; and, while a request's errors are trapped, the
// error that came.
struct ErrorHandling {
    Window drawnInto = 0;
    bool trapping = false;
    int trappedError = 0;
};
ErrorHandling handling;

int onIoError(Display*)
{
    // Nothing of the connection or the GL context can be torn down now.
    endAtOnce("lost the connection to the X server; stopping", exitFault);
}

int onProtocolError(Display* display, XErrorEvent* event)
{
    if (handling.trapping) {
        handling.trappedError = event->error_code;
        return 0;
    }
    const bool aboutOurs = handling.drawnInto && event->resourceid == handling.drawnInto;
    if (aboutOurs && (event->error_code == BadWindow || event->error_code == BadDrawable ||
                        event->error_code >= FirstExtensionError)) {
        endAtOnce("the window went away; stopping", 0);
    }
    char text[160] = {0};
    XGetErrorText(display, event->error_code, text, sizeof text);
    endAtOnce(std::string("X error: ") + text + " (request " + std::to_string(event->request_code) + "." +
                  std::to_string(event->minor_code) + ")",
              exitFault);
}

// The window's attributes; false where there is no such window, an error
// the handler records instead of ending the saver.
bool windowAttributes(Display* display, Window window, XWindowAttributes& attributes)
{
    XSync(display, False);
    handling.trapping = true;
    handling.trappedError = 0;
    const Status found = XGetWindowAttributes(display, window, &attributes);
    XSync(display, False);
    handling.trapping = false;
    return found && !handling.trappedError;
}

bool isQuitKey(XKeyEvent& key)
{
    const KeySym symbol = XLookupKeysym(&key, 0);
    return symbol == XK_Escape || symbol == XK_q || symbol == XK_Q;
}

} // namespace

Display* connectToXServer(std::string& error)
{
    XSetIOErrorHandler(onIoError);
    XSetErrorHandler(onProtocolError);
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        const char* name = std::getenv("DISPLAY");
        error = "cannot open the X display " + quoted(name ? name : "") +
                " (use -render FILE.png to draw without one)";
    }
    return display;
}

X11Window::~X11Window() { destroy(); }

bool X11Window::create(Display* display, const XVisualInfo& visual, int width, int height,
                       bool fullscreen, std::string& error)
{
    display_ = display;
    role_ = fullscreen ? Role::Fullscreen : Role::Own;
    visual_ = visual;
    if (fullscreen) {
        width = DisplayWidth(display, visual.screen);
        height = DisplayHeight(display, visual.screen);
    }
    width_ = width;
    height_ = height;
    if (!createWindow()) {
        error = "the X server would not create a window";
        return false;
    }
    handling.drawnInto = window_;
    nameWindow();
    if (fullscreen)
        hideCursor();

    XMapRaised(display, window_);
    // Wait until the window is on screen: drawing and grabs need it viewable.
    XEvent event;
    do {
        XWindowEvent(display, window_, StructureNotifyMask, &event);
    } while (event.type != MapNotify);

    if (fullscreen) {
        grabInput();
        Window rootReturn = 0;
        Window childReturn = 0;
        int winX = 0;
        int winY = 0;
        unsigned mask = 0;
        XQueryPointer(display, window_, &rootReturn, &childReturn, &startX_, &startY_, &winX, &winY, &mask);
    }
    return true;
}

bool X11Window::createWindow()
{
    const int screen = visual_.screen;
    const Window root = RootWindow(display_, screen);
    colormap_ = XCreateColormap(display_, root, visual_.visual, AllocNone);
    XSetWindowAttributes attributes{};
    attributes.colormap = colormap_;
    // No background: on a resize or an expose the server would clear the
    // window to it, and with a long -delay that black stays until our next
    // frame. Without one, the last frame stays until the next replaces it.
    attributes.background_pixmap = None;
    attributes.bit_gravity = NorthWestGravity; // and a resize keeps what it can of it
    attributes.border_pixel = 0;
    attributes.event_mask = KeyPressMask | StructureNotifyMask | ExposureMask;
    attributes.override_redirect = role_ == Role::Fullscreen ? True : False;
    if (role_ == Role::Fullscreen)
        attributes.event_mask |= ButtonPressMask | PointerMotionMask;
    window_ = XCreateWindow(display_, root, 0, 0, static_cast<unsigned>(width_), static_cast<unsigned>(height_),
                            0, visual_.depth, InputOutput, visual_.visual,
                            CWColormap | CWBackPixmap | CWBitGravity | CWBorderPixel | CWEventMask | CWOverrideRedirect,
                            &attributes);
    return window_ != 0;
}

void X11Window::nameWindow()
{
    XStoreName(display_, window_, "Cascade");
    XClassHint classHint{};
    char name[] = "cascade";
    char className[] = "Cascade";
    classHint.res_name = name;
    classHint.res_class = className;
    XSetClassHint(display_, window_, &classHint);
    deleteMessage_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display_, window_, &deleteMessage_, 1);
}

void X11Window::hideCursor()
{
    // An invisible cursor, as the Windows saver hides its own.
    char empty[1] = {0};
    Pixmap bitmap = XCreateBitmapFromData(display_, window_, empty, 1, 1);
    XColor black{};
    blankCursor_ = XCreatePixmapCursor(display_, bitmap, bitmap, &black, &black, 0, 0);
    XFreePixmap(display_, bitmap);
    XDefineCursor(display_, window_, blankCursor_);
}

void X11Window::grabInput()
{
    // Without a window manager nobody gives us the focus; the grabs make sure
    // the keys and the pointer that end the saver reach it. A grab can fail
    // briefly right after mapping, so try for a moment.
    for (int attempt = 0; attempt < grabAttempts; ++attempt) {
        const int keyboard = XGrabKeyboard(display_, window_, True, GrabModeAsync, GrabModeAsync, CurrentTime);
        const int pointer = XGrabPointer(display_, window_, True, ButtonPressMask | PointerMotionMask,
                                         GrabModeAsync, GrabModeAsync, window_, blankCursor_, CurrentTime);
        if (keyboard == GrabSuccess && pointer == GrabSuccess) {
            grabbed_ = true;
            return;
        }
        if (keyboard == GrabSuccess)
            XUngrabKeyboard(display_, CurrentTime);
        if (pointer == GrabSuccess)
            XUngrabPointer(display_, CurrentTime);
        usleep(grabRetryMicroseconds);
    }
}

bool X11Window::adopt(Display* display, Window window, std::string& error)
{
    display_ = display;
    role_ = Role::Adopted;
    window_ = window;

    XWindowAttributes attributes{};
    if (!windowAttributes(display, window, attributes)) {
        char text[32];
        std::snprintf(text, sizeof text, "0x%lx", window);
        error = std::string("there is no window ") + text + " on this display";
        window_ = 0;
        return false;
    }
    width_ = attributes.width;
    height_ = attributes.height;

    XVisualInfo wanted{};
    wanted.visualid = XVisualIDFromVisual(attributes.visual);
    int count = 0;
    XVisualInfo* infos = XGetVisualInfo(display, VisualIDMask, &wanted, &count);
    if (!infos || count < 1) {
        error = "cannot find the visual of the window";
        window_ = 0;
        return false;
    }
    visual_ = infos[0];
    XFree(infos);

    // Only structure events: the owner (XScreenSaver, or the root's
    // clients) handles input, and only one client may select button presses.
    XSelectInput(display, window, StructureNotifyMask);
    handling.drawnInto = window;
    return true;
}

bool X11Window::processEvents()
{
    bool quit = false;
    while (XPending(display_)) {
        XEvent event;
        XNextEvent(display_, &event);
        // Every pending event is handled, even after one that ends the saver.
        if (handle(event))
            quit = true;
    }
    return quit;
}

bool X11Window::handle(XEvent& event)
{
    switch (event.type) {
    case ConfigureNotify:
        // Resized by the user or the window manager, XScreenSaver's
        // preview pane, or the root after a monitor came or went.
        if (event.xconfigure.window == window_) {
            width_ = event.xconfigure.width;
            height_ = event.xconfigure.height;
        }
        return false;
    case DestroyNotify:
        if (event.xdestroywindow.window != window_)
            return false;
        window_ = 0;
        handling.drawnInto = 0;
        return true;
    default:
        return inputEnds(event);
    }
}

bool X11Window::inputEnds(XEvent& event) const
{
    switch (event.type) {
    case KeyPress:
        return role_ == Role::Fullscreen || (role_ == Role::Own && isQuitKey(event.xkey));
    case ButtonPress:
        return role_ == Role::Fullscreen;
    case MotionNotify:
        return role_ == Role::Fullscreen &&
               pointerTravelledPast(startX_, startY_, event.xmotion.x_root, event.xmotion.y_root);
    case ClientMessage:
        return role_ != Role::Adopted && static_cast<Atom>(event.xclient.data.l[0]) == deleteMessage_;
    default:
        return false;
    }
}

void X11Window::destroy()
{
    if (!display_)
        return;
    if (grabbed_) {
        XUngrabPointer(display_, CurrentTime);
        XUngrabKeyboard(display_, CurrentTime);
        grabbed_ = false;
    }
    if (role_ != Role::Adopted && window_)
        XDestroyWindow(display_, window_);
    if (blankCursor_)
        XFreeCursor(display_, blankCursor_);
    if (colormap_)
        XFreeColormap(display_, colormap_);
    handling.drawnInto = 0;
    window_ = 0;
    blankCursor_ = 0;
    colormap_ = 0;
    display_ = nullptr;
}
