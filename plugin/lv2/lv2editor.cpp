#include "plugin/lv2/lv2editor.h"

#include <X11/Xlib.h>

#include "kova/data/datastring.h"
#include "kova/gui/connection.h"
#include "kova/gui/control.h"
#include "kova/gui/cursor.h"
#include "kova/gui/dispatchguard.h"
#include "kova/gui/globals.h"
#include "kova/gui/xerror.h"
#include "plugin/identity.h"
#include "plugin/lv2/lv2plugin.h"
#include "plugin/lv2/lv2ports.h"
#include "plugin/pluginpanel.h"

using namespace tessaro::lv2;

namespace {

// The panel's creation flags, as the VST editor makes it.
constexpr int kPanelFlags = 0x80001;

Bool AnyEvent(Display*, XEvent*, XPointer)
{
    return True;
}

}  // namespace

LV2Editor::LV2Editor(LV2Plugin& instance, LV2UI_Write_Function write, LV2UI_Controller controller,
                     const LV2UI_Touch* touch, const LV2UI_Resize* resize)
    : instance(instance), write(write), controller(controller), touch(touch), resize(resize)
{
}

LV2Editor::~LV2Editor()
{
    Display* d = kova::gui::GetDisplay();
    // The host may have destroyed its window, and ours with it, already: a
    // failed request is trapped here instead of reaching the host's handler.
    kova::gui::SXErrorTrap trap(d);
    {
        kova::gui::SDispatchGuard guard;
        // A drag cut short by the closing leaves no port touched.
        if (panel)
            panel->LetGoOfDials();
        if (globals)
            globals->cursor = nullptr;
        delete cursor;
        cursor = nullptr;
        delete panel;
        panel = nullptr;
    }
    delete globals;
    globals = nullptr;
    if (d)
        XSync(d, False);
}

unsigned long LV2Editor::Open(unsigned long parent)
{
    Display* d = kova::gui::GetDisplay();
    if (!d || !parent)
        return 0;
    globals = new SGlobals();
    globals->hostWindow = parent;
    kova::data::datastring<32, char> title(64, "%s (%i)", tessaro::kProductName, globals->random.Integer());
    {
        kova::gui::SDispatchGuard guard;
        panel = new SPluginPanel(globals, nullptr, (unsigned)globals->TakeId(), title.c_str(), kPanelFlags, 0, 0,
                                 tessaro::kEditorWidth, tessaro::kEditorHeight, (int)parent, false);
        panel->SetPlugin(this);
        panel->LoadControls();
    }
    if (!panel->GetWindow())
        return 0;

    cursor = new kova::gui::SCursor();
    cursor->SetWindow((Window)parent);
    cursor->CreateDefault();
    globals->cursor = cursor;

    panel->Show();
    if (resize)
        resize->ui_resize(resize->handle, tessaro::kEditorWidth, tessaro::kEditorHeight);
    XFlush(d);
    return panel->GetWindow();
}

void LV2Editor::Idle()
{
    Display* d = kova::gui::GetDisplay();
    if (!d || !panel)
        return;
    changes.Collect(
        instance.Changes(), [this](int index) { panel->RefreshControls(index); },
        [this] { panel->RefreshControls(-1); });
    XFlush(d);
    // The binary's own connection: its events are ours to take.
    kova::gui::SXErrorTrap trap(d);
    XEvent ev;
    while (XCheckIfEvent(d, &ev, AnyEvent, nullptr))
        kova::gui::SControl::eventProc(&ev);
}

PolyphonyEngine& LV2Editor::Engine()
{
    return instance.Engine();
}

bool LV2Editor::Suspended() const
{
    return !instance.Active();
}

void LV2Editor::UserChange(int index, float value)
{
    instance.Engine().setParameter(index, value);
    const uint32_t port = ControlOfParameter(index);
    // The panic button's off-on-off pulse is a trigger, done above: a host
    // that handed the port's values over in separate runs would set it off
    // a second time, and there is nothing in it to record.
    if (port == kPortCount || index == kParamPanic)
        return;
    const float native = NativeValue(port, value);
    write(controller, port, sizeof native, 0, &native);  // protocol 0: a float for the control port
}

void LV2Editor::BeginGesture(int index)
{
    Touch(index, true);
}

void LV2Editor::EndGesture(int index)
{
    Touch(index, false);
}

void LV2Editor::Touch(int index, bool grabbed)
{
    const uint32_t port = ControlOfParameter(index);
    if (touch && port != kPortCount)
        touch->touch(touch->handle, port, grabbed);
}
