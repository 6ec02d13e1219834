#include "kova/gui/processresources.h"

#include "kova/gui/connection.h"
#include "kova/gui/context/staticdata.h"
#include "kova/gui/dispatchguard.h"
#include "kova/gui/display.h"
#include "kova/gui/eventproctrampoline.h"
#include "kova/gui/info.h"
#include "kova/system/systemdata.h"
#include "kova/threading/shutdown.h"
#include "kova/threading/thread.h"
#include "kova/threading/timer.h"

namespace kova::gui {

void LoadProcessResources()
{
    // The process-wide registries are static objects made on first use and
    // destroyed when the binary unloads. Made here, within the load, they
    // are destroyed only after the unload, which still uses them.
    kova::threading::LiveThreadCount();
    kova::threading::idle::FunctionCount();
    IsLiveControl(nullptr);
    SDisplay::Current();
    OpenOwnDisplay();
    sd = new kova::system::SSystemData();
    sd->getOSInfos();
    sd->getCPUInfos();
    sd->getDisplayInfos();
    statdata = new SStaticData();
    statdata->AddColours();
}

void UnloadProcessResources()
{
    kova::threading::ShutdownThreads();
    CloseInfo();
    if (statdata) {
        statdata->DestroyLists();
        delete statdata;
        statdata = nullptr;
    }
    delete sd;
    sd = nullptr;
    CloseOwnDisplay();
    // Every window is gone by now; nothing can call through the trampoline.
    ReleaseEventProcTrampoline();
}

}  // namespace kova::gui
