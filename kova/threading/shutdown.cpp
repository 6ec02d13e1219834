#include "kova/threading/shutdown.h"

#include "kova/threading/thread.h"
#include "kova/threading/timer.h"

#include <atomic>

namespace kova::threading {

namespace {

std::atomic<void (*)()> shutdownHook{nullptr};

}  // namespace

void SetShutdownHook(void (*hook)())
{
    shutdownHook.store(hook);
}

void ShutdownThreads()
{
    if (void (*hook)() = shutdownHook.load())
        hook();
    idle::Shutdown();
    StopAllThreads();
}

}  // namespace kova::threading
