#include "plugin/lv2/lv2editor.h"

#include <X11/Xlib.h>

#include "kova/gui/connection.h"
#include "kova/gui/control.h"
#include "kova/gui/xerror.h"
#include "plugin/editorsession.h"
#include "plugin/identity.h"
#include "plugin/lv2/lv2plugin.h"
#include "plugin/lv2/lv2ports.h"
#include "plugin/pluginpanel.h"

using namespace tessaro::lv2;

namespace {

Bool AnyEvent(Display*, XEvent*, XPointer)
{
    return True;
}

}  // namespace

LV2Editor::LV2Editor(LV2Plugin& instance, LV2UI_Write_Function write, LV2UI_Controller controller,
                     const LV2UI_Touch* touch, const LV2UI_Resize* resize)
    : SEngineAccess(instance.Engine()), instance(instance), write(write), controller(controller), touch(touch),
      resize(resize)
{
}

LV2Editor::~LV2Editor()
{
    Display* d = kova::gui::GetDisplay();
    // The host may have destroyed its window, and ours with it, already: a
    // failed request is trapped here instead of reaching the host's handler.
    kova::gui::SXErrorTrap trap(d);
    session.reset();
    if (d)
        XSync(d, False);
}

SPluginPanel* LV2Editor::Panel() const
{
    return session ? session->Panel() : nullptr;
}

unsigned long LV2Editor::Open(unsigned long parent)
{
    Display* d = kova::gui::GetDisplay();
    if (!d || !parent)
        return 0;
    session = std::make_unique<SEditorSession>(*this, instance.Changes(), SEditorSession::Windows::InHostWindow);
    if (!session->Open(parent))
        return 0;
    if (resize)
        resize->ui_resize(resize->handle, tessaro::kEditorWidth, tessaro::kEditorHeight);
    XFlush(d);
    return Panel()->GetWindow();
}

void LV2Editor::Idle()
{
    Display* d = kova::gui::GetDisplay();
    if (!d || !Panel())
        return;
    session->ShowChanges();
    XFlush(d);
    // The binary's own connection: its events are ours to take.
    kova::gui::SXErrorTrap trap(d);
    XEvent ev;
    while (XCheckIfEvent(d, &ev, AnyEvent, nullptr))
        kova::gui::SControl::eventProc(&ev);
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
