#include "e2e/x11_close.h"

// Xlib alone in this file: its macros clash with Qt and GoogleTest.
#include <X11/Xlib.h>

bool SendCloseRequest(const char *display, unsigned long window)
{
    Display *d = XOpenDisplay(display);
    if (!d)
        return false;
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = window;
    ev.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(d, window, False, NoEventMask, &ev);
    XSync(d, False);
    XCloseDisplay(d);
    return sent != 0;
}
