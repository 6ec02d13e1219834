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

namespace {

// The monitors, probed once at load (SDisplay::Current() answers them).
SDisplay* monitors = nullptr;

// The monitors' lines of the system record's feature message.
kova::data::datastring<32, char> DescribeMonitors(const SDisplay& display)
{
    kova::data::datastring<32, char> text;
    text.Append(96, "Screensize: %i x %i", display.maxX - display.minX, display.maxY - display.minY);
    if (display.divided)
        text.Append("\nestimation (due to lack of information): ");
    int n = 1;
    for (const auto& m : display.monitors)
        text.Append(128, "\nDisplay %i: %i x %i @ [X=%i, Y=%i]", n++, m.Width(), m.Height(), m.x0, m.y0);
    return text;
}

}  // namespace

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
    if (!monitors) {
        monitors = new SDisplay();
        monitors->AllMonitorRects();
    }
    sd->SetDisplayInfos(DescribeMonitors(*monitors).c_str());
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
    delete monitors;
    monitors = nullptr;
    CloseOwnDisplay();
    // Every window is gone by now; nothing can call through the trampoline.
    ReleaseEventProcTrampoline();
}

}  // namespace kova::gui
