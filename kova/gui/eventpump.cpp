#include "kova/gui/eventpump.h"

#include <X11/Xlib.h>
#include <mutex>
#include <poll.h>

#include "kova/gui/connection.h"
#include "kova/gui/control.h"
#include "kova/threading/shutdown.h"
#include "kova/threading/thread.h"

namespace kova::gui {

namespace {

Bool AnyEvent(Display*, XEvent*, XPointer)
{
    return True;
}

std::mutex pumpMutex;
kova::threading::SThread* pump = nullptr;

void* PumpLoop(void* arg)
{
    Display* display = static_cast<Display*>(arg);
    const int fd = ConnectionNumber(display);
    // A lost connection leaves `dps`: the pump lets go of it too.
    while (!kova::threading::SThread::StopRequested() && dps.load() == display) {
        // Take events without ever blocking: XPending followed by
        // XNextEvent would wait forever if another thread of the process
        // took the pending event in between, and the pump could not stop.
        XEvent ev;
        while (XCheckIfEvent(display, &ev, AnyEvent, nullptr)) {
            SControl::eventProc(&ev);
            if (kova::threading::SThread::StopRequested())
                return nullptr;
        }
        // Another thread's round trip may queue events without waking the
        // poll, so the wait is short.
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, 10);
    }
    return nullptr;
}

}  // namespace

bool StartEventPump()
{
    // The library's unload stops the pump with every other thread.
    kova::threading::SetShutdownHook(&StopEventPump);
    std::lock_guard<std::mutex> lock(pumpMutex);
    if (pump)
        return true;
    Display* display = dps.load();
    if (!display)
        return false;
    auto* t = new kova::threading::SThread(2);
    if (t->Start(&PumpLoop, display) != 0) {
        delete t;
        return false;
    }
    pump = t;
    return true;
}

void StopEventPump()
{
    kova::threading::SThread* t;
    {
        std::lock_guard<std::mutex> lock(pumpMutex);
        t = pump;
        pump = nullptr;
    }
    if (t) {
        t->Cancel();
        delete t;
    }
}

bool EventPumpRunning()
{
    std::lock_guard<std::mutex> lock(pumpMutex);
    return pump && pump->Running();
}

}  // namespace kova::gui
