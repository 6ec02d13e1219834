// The X connections of the process. Every toolkit X call uses the display
// in use: the host's connection `dp` once a host has handed one over at
// editor open, else the plug-in's own connection `dps` opened at load.
#pragma once

#include <X11/Xlib.h>
#include <atomic>

// The plug-in's own connection: opened at library load, closed at unload.
extern std::atomic<Display*> dps;
// The host's connection: set once, by the first editor open that passes one.
extern std::atomic<Display*> dp;

namespace kova::gui {

inline Display* GetDisplay()
{
    Display* host = dp.load(std::memory_order_acquire);
    return host ? host : dps.load(std::memory_order_acquire);
}

// Whether the toolkit itself reads the event queue of this connection: its
// own connection `dps`, unless a host has handed that very one over. Only
// then may a dispatch take later events out of the queue. A host counts the
// events queued on its connection and then reads exactly that many; an
// event taken from under it leaves it waiting on an empty queue.
inline bool ToolkitReadsQueue(Display* d)
{
    return d && d == dps.load(std::memory_order_acquire) && d != dp.load(std::memory_order_acquire);
}

// Opens `dps` from "DISPLAY" (":0.0" when unset). On failure writes
// "Error: XOpenDisplay failed.\n" to standard error and leaves it null.
//
// A lost connection (the X server went away) must not end the host. Xlib
// first calls the process-wide I/O error handler, which is the host's and
// stays untouched, then the connection's own exit handler: ours returns
// instead of exiting. It takes the connection out of `dps`, so the toolkit
// lets go of it (windows, timers and the event pump make no more X calls on
// it, and Xlib fails the calls under way at once), and writes one line to
// standard error. The engine never needed it. (Should the host's handler
// itself exit, as Xlib's default one does, the process ends there.)
void OpenOwnDisplay();
// Whether the own connection was open and its server went away.
bool OwnDisplayLost();
// Closes the own connection if it is open, or was lost.
void CloseOwnDisplay();

}  // namespace kova::gui
