// Ends every thread of the toolkit: the event pump, the idle thread and all
// timer threads, each stopped between two units of work and joined. The
// plug-in calls it when its shared object is unloaded, so that none of its
// code runs afterwards. Timers and idle timers can be started again later.
#pragma once

namespace kova::threading {

void ShutdownThreads();

}  // namespace kova::threading
