// Serves the plug-in's own X connection (`dps`) when no host does: a host
// that passes no Display* at editor open, or never calls the "_XEventProc"
// dispatcher, leaves the events of our windows unread. The pump is a toolkit
// thread that reads `dps` and hands every event to SControl::eventProc.
// Never start it while a host delivers the events of `dps` itself.
#pragma once

namespace kova::gui {

// Starts the pump (once); false without an own connection or when the
// thread cannot start.
bool StartEventPump();
// Stops the pump and waits until it has handed over its last event.
// Called from a dispatch on the pump itself it only marks it stopped. Never
// call it while holding an SDispatchGuard: the pump may be waiting for it.
void StopEventPump();
bool EventPumpRunning();

}  // namespace kova::gui
