// Sleeps used by the toolkit's timers and threads.
#pragma once

namespace kova::threading {

// usleep(ms * 1000).
void ThreadSleep(int ms);

// Sleeps the whole seconds and the fraction (truncated to nanoseconds),
// resuming after signals until the full time has passed. 0 or the errno.
int PreciseSleep(double seconds);

}  // namespace kova::threading
