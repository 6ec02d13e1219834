#include "kova/gui/connection.h"

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

// Last: its macros would shadow names of the standard headers.
#include <X11/Xlibint.h>

std::atomic<Display*> dps{nullptr};
std::atomic<Display*> dp{nullptr};

namespace kova::gui {

namespace {

// The own connection once its server went away: out of `dps`, kept only to
// be closed at unload, when no thread can be inside a call on it any more.
std::atomic<Display*> lostOwn{nullptr};

// Xlib calls this on the thread whose call found the connection broken, and
// expects the process to end. It has taken the connection's user lock
// (XLockDisplay) for good and let go of the display lock that the call it
// came from still means to release. Both are put right here: released, the
// user lock lets the calls other threads make on the connection meanwhile
// or later (the pump, the timers, the close at unload) fail at once instead
// of waiting forever; taken back, the display lock is released once, by
// that call, instead of twice.
void OwnDisplayGone(Display* display, void*)
{
    XUnlockDisplay(display);
    LockDisplay(display);
    Display* expected = display;
    if (!dps.compare_exchange_strong(expected, nullptr))
        return;
    lostOwn.store(display);
    std::fputs("Error: X connection lost; the editor is gone, limiting goes on.\n", stderr);
}

}  // namespace

void OpenOwnDisplay()
{
    const char* name = std::getenv("DISPLAY");
    Display* display = XOpenDisplay(name ? name : ":0.0");
    if (!display) {
        std::fputs("Error: XOpenDisplay failed.\n", stderr);
        return;
    }
    XSetIOErrorExitHandler(display, &OwnDisplayGone, nullptr);
    XFlush(display);
    dps.store(display, std::memory_order_release);
}

bool OwnDisplayLost()
{
    return lostOwn.load() != nullptr;
}

void CloseOwnDisplay()
{
    // Closing a lost connection only frees what Xlib holds for it.
    for (Display* display : {dps.exchange(nullptr), lostOwn.exchange(nullptr)})
        if (display)
            XCloseDisplay(display);
}

}  // namespace kova::gui
