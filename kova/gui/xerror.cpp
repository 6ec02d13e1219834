#include "kova/gui/xerror.h"

#include <X11/Xlib.h>
#include <cstdio>
#include <mutex>

#include "kova/gui/connection.h"
#include "kova/gui/control.h"

namespace kova::gui {

namespace {

using Handler = int (*)(Display*, XErrorEvent*);

// Serial of the last request that failed.
std::atomic<unsigned long> lastErrorSerial{0};

// A BadWindow error on this display from this serial on is expected and not
// printed (set by a trap for a window that may be gone; null when none).
std::atomic<Display*> quietDisplay{nullptr};
std::atomic<unsigned long> quietSerial{0};

std::recursive_mutex& TrapMutex()
{
    static std::recursive_mutex m;
    return m;
}

}  // namespace

std::atomic<bool> SControl::xerror{false};

SXErrorTrap::SXErrorTrap(Display* display)
{
    TrapMutex().lock();
    SControl::xerror = false;
    if (display)
        firstSerial = NextRequest(display);
    previous = reinterpret_cast<void*>(XSetErrorHandler(&SControl::errorHandler));
}

SXErrorTrap::SXErrorTrap(Display* display, bool windowMayBeGone) : SXErrorTrap(display)
{
    if (!windowMayBeGone || !display)
        return;
    // Traps nest on one thread (the lock is recursive): the outer one's
    // setting comes back when this one ends.
    quietBefore = quietDisplay.exchange(display);
    quietSerialBefore = quietSerial.exchange(firstSerial);
    quietSet = true;
}

SXErrorTrap::~SXErrorTrap()
{
    if (quietSet) {
        quietSerial = quietSerialBefore;
        quietDisplay = quietBefore;
    }
    XSetErrorHandler(reinterpret_cast<Handler>(previous));
    TrapMutex().unlock();
}

bool SXErrorTrap::Failed() const
{
    return SControl::xerror.load() && lastErrorSerial.load() >= firstSerial;
}

int SControl::errorHandler(Display* display, XErrorEvent* ev)
{
    lastErrorSerial = ev->serial;
    xerror = true;
    if (ev->error_code == BadWindow && display == quietDisplay.load() && ev->serial >= quietSerial.load())
        return 0;
    char text[1024] = {0};
    XGetErrorText(display, ev->error_code, text, sizeof text);
    std::fprintf(stderr, "XError Message: %s\n", text);
    if (ev->request_code < 128) {
        char number[32];
        std::snprintf(number, sizeof number, "%d", ev->request_code);
        char request[1024] = {0};
        XGetErrorDatabaseText(display, "XRequest", number, "", request, sizeof request);
        std::fprintf(stderr, "XError Message: (%s)\n", request);
        std::fprintf(stderr, "XError Message: Request=%i\n", (int)ev->request_code);
        std::fprintf(stderr, "XError Message: Serial=%i\n", (int)ev->serial);
        std::fprintf(stderr, "XError Message: Minor=%i\n", (int)ev->minor_code);
        std::fprintf(stderr, "XError Message: XID=%i\n", (int)ev->resourceid);
    }
    return 0;
}

long SControl::getProperty(Window w, Atom a)
{
    if (w == 0)
        return 0;
    Display* display = GetDisplay();
    if (!display)
        return 0;
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    int status;
    bool failed;
    {
        SXErrorTrap trap(display);
        status = XGetWindowProperty(display, w, a, 0, 1, False, AnyPropertyType, &type, &format, &items, &after,
                                    &data);
        failed = trap.Failed();
    }
    long value = 0;
    if (status == Success && !failed && items == 1 && data) {
        // Format-32 items arrive as longs; other formats are read as they come.
        if (format == 32)
            value = *reinterpret_cast<long*>(data);
        else if (format == 16)
            value = *reinterpret_cast<short*>(data);
        else
            value = *data;
    }
    if (data)
        XFree(data);
    return value;
}

}  // namespace kova::gui
