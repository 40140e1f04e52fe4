#pragma once
// The close box of a window, as a window manager delivers it: the message
// WM_DELETE_WINDOW of the protocol WM_PROTOCOLS. (There is no window manager
// on the tests' X server, and xdotool only destroys windows.)

// display: ":N". Answers whether the message was sent.
bool SendCloseRequest(const char *display, unsigned long window);
