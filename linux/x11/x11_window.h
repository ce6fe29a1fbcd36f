// The X11 side of the saver: the connection, the window it draws into (its
// own, a full-screen one, the root or someone else's) and the input that
// ends it. GL contexts live in glx_context.*.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <string>

// Opens $DISPLAY with handlers that turn a lost server or a protocol error
// into one clear line on stderr and a clean exit, never a crash.
Display* connectToXServer(std::string& error);

class X11Window {
public:
    X11Window() = default;
    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;
    ~X11Window();

    // A window of our own with the given visual; fullscreen covers the screen
    // without decorations and takes the keyboard and pointer.
    bool create(Display* display, const XVisualInfo& visual, int width, int height, bool fullscreen,
                std::string& error);
    // Someone else's window (or the root): draw into it with its own visual
    // and leave its input to its owner.
    bool adopt(Display* display, Window window, std::string& error);

    // Handles pending events; true once the user or the window manager asked
    // the saver to end, or the window went away. Keeps width() and height()
    // up to date as the window is resized.
    bool processEvents();
    void destroy();

    Window handle() const { return window_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // For adopted windows: the window's visual, which the GL context must use.
    const XVisualInfo& visual() const { return visual_; }

private:
    // Whose window it is, and so what input ends the saver: in someone
    // else's, none (its owner handles input); in a window of our own,
    // Escape, q or the window manager's close; full screen, also any key,
    // button or pointer travel.
    enum class Role { Adopted, Own, Fullscreen };

    // Whether the event ends the saver.
    bool handle(XEvent& event);
    bool inputEnds(XEvent& event) const;
    bool createWindow();
    void nameWindow();
    void hideCursor();
    void grabInput();

    Display* display_ = nullptr;
    Window window_ = 0;
    Role role_ = Role::Adopted;
    bool grabbed_ = false;
    Colormap colormap_ = 0;
    Cursor blankCursor_ = 0;
    Atom deleteMessage_ = 0;
    XVisualInfo visual_{};
    int width_ = 0;
    int height_ = 0;
    int startX_ = 0;
    int startY_ = 0;
};
