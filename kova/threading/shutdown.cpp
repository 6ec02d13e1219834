#include "kova/threading/shutdown.h"

#include "kova/gui/eventpump.h"
#include "kova/threading/thread.h"
#include "kova/threading/timer.h"

namespace kova::threading {

void ShutdownThreads()
{
    kova::gui::StopEventPump();
    idle::Shutdown();
    StopAllThreads();
}

}  // namespace kova::threading
