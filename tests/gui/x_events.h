// What the GUI fixtures share of the X server: the message for a display
// that cannot be opened, dispatching pending events as a host does, and
// synthetic button events.
#pragma once

#include <X11/Xlib.h>

#include <cstdlib>
#include <string>

#include "kova/gui/control.h"

namespace gui_test {

inline std::string NoDisplayMessage()
{
    const char* name = std::getenv("DISPLAY");
    return std::string("the X display ") + (name ? name : "(DISPLAY unset)") + " cannot be opened";
}

// Hands every pending event to the dispatcher, as a host would.
inline void DispatchPending(Display* d)
{
    XSync(d, False);
    while (XPending(d) > 0) {
        XEvent ev;
        XNextEvent(d, &ev);
        kova::gui::SControl::eventProc(&ev);
    }
}

// A press or release of a mouse button over a window, as the server
// reports it.
inline XEvent ButtonEvent(Display* d, Window w, Window root, int type, unsigned button, Time time, int x, int y,
                          unsigned state)
{
    XEvent ev{};
    ev.xbutton.type = type;
    ev.xbutton.display = d;
    ev.xbutton.window = w;
    ev.xbutton.root = root;
    ev.xbutton.button = button;
    ev.xbutton.time = time;
    ev.xbutton.x = x;
    ev.xbutton.y = y;
    ev.xbutton.state = state;
    ev.xbutton.same_screen = True;
    return ev;
}

}  // namespace gui_test
