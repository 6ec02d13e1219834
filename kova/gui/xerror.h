// Checked X requests. The error handler is process-wide, so installing it,
// making the request and putting the previous handler back is serialised:
// two threads never interleave their install and restore.
#pragma once

#include <X11/Xlib.h>

namespace kova::gui {

class SXErrorTrap {
public:
    // Takes the process-wide lock, clears SControl::xerror and installs
    // SControl::errorHandler. With a display, Failed() only counts errors of
    // requests made from now on: an error of an earlier request that arrives
    // meanwhile is reported but not blamed on this one.
    explicit SXErrorTrap(Display* display = nullptr);
    // As above; with windowMayBeGone, a BadWindow error of a request made on
    // `display` from now on is expected (the window may have been destroyed
    // since its event was queued): it counts for Failed() but prints nothing.
    SXErrorTrap(Display* display, bool windowMayBeGone);
    // Puts the previous handler back and releases the lock.
    ~SXErrorTrap();
    SXErrorTrap(const SXErrorTrap&) = delete;
    SXErrorTrap& operator=(const SXErrorTrap&) = delete;

    // Whether an X error was reported since construction.
    bool Failed() const;

private:
    void* previous;
    unsigned long firstSerial = 0;
    Display* quietBefore = nullptr;
    unsigned long quietSerialBefore = 0;
    bool quietSet = false;
};

}  // namespace kova::gui
