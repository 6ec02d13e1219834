// Ends every thread of the toolkit: the event pump, the idle thread and all
// timer threads, each stopped between two units of work and joined. The
// plug-in calls it when its shared object is unloaded, so that none of its
// code runs afterwards. Timers and idle timers can be started again later.
#pragma once

namespace kova::threading {

void ShutdownThreads();

// Run first by ShutdownThreads: the GUI side stops what it runs on threads
// of its own (the event pump installs it when it starts).
void SetShutdownHook(void (*hook)());

}  // namespace kova::threading
