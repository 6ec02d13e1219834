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
    // Puts the previous handler back and releases the lock.
    ~SXErrorTrap();
    SXErrorTrap(const SXErrorTrap&) = delete;
    SXErrorTrap& operator=(const SXErrorTrap&) = delete;

    // Whether an X error was reported since construction.
    bool Failed() const;

private:
    void* previous;
    unsigned long firstSerial = 0;
};

}  // namespace kova::gui
