// The fixture of the tests that run the saver on a private X server: each
// test starts its own Xvfb and talks to the real program the way
// XScreenSaver, a window manager or a user would.
#pragma once

#include "linux/tests/support/process_runner.h"
#include "linux/tests/support/xvfb_server.h"

// gtest before Xlib: Xlib's macros (None, Bool, Status) break gtest's headers.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

inline const std::string program = CASCADE_BINARY;

class X11Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        server = std::make_unique<XvfbServer>();
        ASSERT_TRUE(server->ok()) << "Xvfb did not start";
        display = XOpenDisplay(server->display().c_str());
        ASSERT_NE(display, nullptr);
    }
    void TearDown() override
    {
        if (display)
            XCloseDisplay(display);
        server.reset();
    }

    // Without WAYLAND_DISPLAY, or a test run from a Wayland desktop would
    // send the saver there; XSCREENSAVER_WINDOW last, for tests that set it.
    std::vector<std::string> env() const
    {
        return {"WAYLAND_DISPLAY=", server->environment(), "XSCREENSAVER_WINDOW="};
    }

    // The first top-level window whose name is "Cascade", waiting for it.
    Window waitForSaverWindow(ChildProcess& child, double limit = 20.0)
    {
        const double deadline = monotonicSeconds() + limit;
        while (monotonicSeconds() < deadline && child.running()) {
            Window rootReturn = 0;
            Window parent = 0;
            Window* children = nullptr;
            unsigned count = 0;
            XQueryTree(display, DefaultRootWindow(display), &rootReturn, &parent, &children, &count);
            Window found = 0;
            for (unsigned i = 0; i < count && !found; ++i) {
                char* name = nullptr;
                XWindowAttributes attributes{};
                if (XFetchName(display, children[i], &name) && name) {
                    if (std::string(name) == "Cascade" && XGetWindowAttributes(display, children[i], &attributes) &&
                        attributes.map_state == IsViewable)
                        found = children[i];
                    XFree(name);
                }
            }
            if (children)
                XFree(children);
            if (found)
                return found;
            usleep(20000);
        }
        return 0;
    }

    // Counts of pixels by kind in a rectangle of a window's current contents.
    struct Census {
        long darkBlue = 0;
        long bright = 0;
        long total = 0;
    };
    Census census(Window window, int width, int height, int left = 0, int top = 0)
    {
        Census result;
        XImage* image = XGetImage(display, window, left, top, width, height, AllPlanes, ZPixmap);
        if (!image)
            return result;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const unsigned long pixel = XGetPixel(image, x, y);
                const int r = (pixel >> 16) & 0xff;
                const int g = (pixel >> 8) & 0xff;
                const int b = pixel & 0xff;
                result.darkBlue += r <= 6 && g <= 6 && b >= 14 && b <= 28;
                result.bright += r + g + b >= 450;
                ++result.total;
            }
        XDestroyImage(image);
        return result;
    }

    // A window's pixels, row by row from the top.
    std::vector<unsigned long> pixels(Window window, int width, int height)
    {
        std::vector<unsigned long> result;
        XImage* image = XGetImage(display, window, 0, 0, width, height, AllPlanes, ZPixmap);
        if (!image)
            return result;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                result.push_back(XGetPixel(image, x, y));
        XDestroyImage(image);
        return result;
    }

    void sendKey(Window window, KeySym key)
    {
        XEvent event{};
        event.xkey.type = KeyPress;
        event.xkey.display = display;
        event.xkey.window = window;
        event.xkey.root = DefaultRootWindow(display);
        event.xkey.keycode = XKeysymToKeycode(display, key);
        event.xkey.same_screen = True;
        XSendEvent(display, window, True, KeyPressMask, &event);
        XFlush(display);
    }

    void sendClick(Window window)
    {
        XEvent event{};
        event.xbutton.type = ButtonPress;
        event.xbutton.window = window;
        event.xbutton.button = Button1;
        event.xbutton.same_screen = True;
        XSendEvent(display, window, True, ButtonPressMask, &event);
        XFlush(display);
    }

    std::unique_ptr<XvfbServer> server;
    Display* display = nullptr;
};
