#include "kova/gui/processresources.h"

#include "kova/gui/connection.h"
#include "kova/gui/context/staticdata.h"
#include "kova/gui/eventproctrampoline.h"
#include "kova/gui/info.h"
#include "kova/system/systemdata.h"
#include "kova/threading/shutdown.h"

namespace kova::gui {

void LoadProcessResources()
{
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
