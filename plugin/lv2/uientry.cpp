// The UI binary's one exported entry: the UI descriptor, whose functions
// forward to the editor, and the load and unload of the binary.
#include <X11/Xlib.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/ui/ui.h>

#include <cstdint>
#include <cstring>
#include <new>

#include "kova/gui/connection.h"
#include "kova/gui/processresources.h"
#include "plugin/lv2/lv2editor.h"
#include "plugin/lv2/lv2log.h"
#include "plugin/lv2/lv2plugin.h"
#include "plugin/lv2/lv2ports.h"

using namespace tessaro::lv2;

namespace {

LV2Editor* Editor(LV2UI_Handle ui)
{
    return static_cast<LV2Editor*>(ui);
}

LV2UI_Handle Instantiate(const LV2UI_Descriptor*, const char* pluginURI, const char*, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget* widget, const LV2_Feature* const* features)
{
    SLV2Log log(features);
    auto* instance = static_cast<LV2Plugin*>(FindFeature(features, LV2_INSTANCE_ACCESS_URI));
    const auto parent = reinterpret_cast<uintptr_t>(FindFeature(features, LV2_UI__parent));
    if (!pluginURI || std::strcmp(pluginURI, kPluginURI) != 0 || !write || !widget) {
        log.Error("the editor was asked for another plug-in, or without a write function.");
        return nullptr;
    }
    if (!instance || !instance->IsThisBuild()) {
        log.Error("the editor needs the host's direct access to the plug-in instance (instance-access); "
                  "use the host's generic controls instead.");
        return nullptr;
    }
    if (!parent) {
        log.Error("the host gave the editor no window to open in (ui:parent).");
        return nullptr;
    }
    if (!kova::gui::GetDisplay()) {
        log.Error("the editor cannot open the X display; check DISPLAY.");
        return nullptr;
    }
    auto* editor = new (std::nothrow) LV2Editor(
        *instance, write, controller, static_cast<const LV2UI_Touch*>(FindFeature(features, LV2_UI__touch)),
        static_cast<const LV2UI_Resize*>(FindFeature(features, LV2_UI__resize)));
    if (!editor)
        return nullptr;
    const unsigned long window = editor->Open(parent);
    if (!window) {
        log.Error("the editor could not make its window.");
        delete editor;
        return nullptr;
    }
    *widget = reinterpret_cast<LV2UI_Widget>(static_cast<uintptr_t>(window));
    return editor;
}

void Cleanup(LV2UI_Handle ui)
{
    delete Editor(ui);
}

int Idle(LV2UI_Handle ui)
{
    Editor(ui)->Idle();
    // Non-zero tells the host the UI is closed: its X server went away.
    return kova::gui::OwnDisplayLost() ? 1 : 0;
}

const LV2UI_Idle_Interface kIdleInterface = {Idle};

const void* ExtensionData(const char* uri)
{
    if (std::strcmp(uri, LV2_UI__idleInterface) == 0)
        return &kIdleInterface;
    return nullptr;
}

// The editor reads the engine directly and has no use for port events.
const LV2UI_Descriptor kDescriptor = {kUIURI, Instantiate, Cleanup, nullptr, ExtensionData};

// Load and unload of the binary. The editor's timers draw from threads of
// their own, so Xlib is made thread-safe before the connection opens.
struct LibraryLifetime {
    LibraryLifetime()
    {
        XInitThreads();
        kova::gui::LoadProcessResources();
    }
    ~LibraryLifetime() { kova::gui::UnloadProcessResources(); }
} lifetime;

}  // namespace

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}
