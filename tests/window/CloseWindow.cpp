// Asks an X11 window to close the way a window manager does when the user clicks its close
// button: a WM_PROTOCOLS client message carrying WM_DELETE_WINDOW.
//
// Usage: close_window --prepare       interns the two atoms, as a running window manager has
//        close_window <window id>     (decimal, or hexadecimal with 0x)
//
// A bare virtual display has no window manager, so nobody has interned WM_PROTOCOLS or
// WM_DELETE_WINDOW; a toolkit that only looks the atoms up (JUCE does) then never declares
// the protocol and ignores the message. Run --prepare before starting the program, on a
// display that does not reset when its last client leaves (Xvfb -noreset).

#include <X11/Xlib.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main (int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf (stderr, "usage: %s --prepare | <window id>\n", argv[0]);
        return 2;
    }

    if (std::strcmp (argv[1], "--prepare") == 0)
    {
        Display* display = XOpenDisplay (nullptr);

        if (display == nullptr)
        {
            std::fprintf (stderr, "cannot open the display\n");
            return 1;
        }

        const bool interned = XInternAtom (display, "WM_PROTOCOLS", False) != None
                              && XInternAtom (display, "WM_DELETE_WINDOW", False) != None;
        XSync (display, False);
        XCloseDisplay (display);
        return interned ? 0 : 1;
    }

    char* end = nullptr;
    const auto window = (Window) std::strtoul (argv[1], &end, 0);

    if (end == argv[1] || *end != '\0' || window == 0)
    {
        std::fprintf (stderr, "not a window id: %s\n", argv[1]);
        return 2;
    }

    Display* display = XOpenDisplay (nullptr);

    if (display == nullptr)
    {
        std::fprintf (stderr, "cannot open the display\n");
        return 1;
    }

    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom (display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long) XInternAtom (display, "WM_DELETE_WINDOW", False);
    event.xclient.data.l[1] = CurrentTime;

    const Status sent = XSendEvent (display, window, False, NoEventMask, &event);
    XSync (display, False);
    XCloseDisplay (display);

    if (sent == 0)
    {
        std::fprintf (stderr, "the event could not be sent\n");
        return 1;
    }

    return 0;
}
