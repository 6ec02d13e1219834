#include "plugin/lv2/uilibrary.h"

#include <X11/Xlib.h>

#include "kova/gui/connection.h"
#include "kova/gui/context/staticdata.h"
#include "kova/gui/eventproctrampoline.h"
#include "kova/gui/info.h"
#include "kova/system/systemdata.h"
#include "kova/threading/shutdown.h"

namespace tessaro::lv2 {

void UILibraryLoad()
{
    // The editor's timers draw from threads of their own: Xlib must be
    // thread-safe before the connection opens.
    XInitThreads();
    kova::gui::OpenOwnDisplay();
    sd = new kova::system::SSystemData();
    sd->getOSInfos();
    sd->getCPUInfos();
    sd->getDisplayInfos();
    statdata = new SStaticData();
    statdata->AddColours();
}

void UILibraryUnload()
{
    // No toolkit thread may run this binary's code once it is unmapped.
    kova::threading::ShutdownThreads();
    kova::gui::CloseInfo();
    if (statdata) {
        statdata->DestroyLists();
        delete statdata;
        statdata = nullptr;
    }
    delete sd;
    sd = nullptr;
    kova::gui::CloseOwnDisplay();
    kova::gui::ReleaseEventProcTrampoline();
}

}  // namespace tessaro::lv2
