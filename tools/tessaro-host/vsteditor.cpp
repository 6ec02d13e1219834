#include "tools/tessaro-host/vsteditor.h"

#include "tools/tessaro-host/settings.h"

#include <cstdint>

namespace tessaro {
namespace host {

namespace {

typedef void (*EventProc)(XEvent*);

// The dispatcher a plug-in window publishes: one 32-bit item, taken as a
// long and used as a function address, as Linux hosts do.
EventProc EventProcOf(Display* display, Window window, Atom property)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 1, False, AnyPropertyType, &type, &format, &count,
                           &after, &data) != Success)
        return nullptr;
    EventProc proc = nullptr;
    if (data && format == 32 && count == 1) {
        const long value = *reinterpret_cast<long*>(data);
        proc = reinterpret_cast<EventProc>(static_cast<uintptr_t>(value));
    }
    if (data)
        XFree(data);
    return proc;
}

bool EditorRect(PluginHost& host, int& width, int& height)
{
    ERect* rect = nullptr;
    host.Dispatch(effEditGetRect, 0, 0, &rect);
    if (!rect || rect->right - rect->left <= 0 || rect->bottom - rect->top <= 0)
        return false;
    width = rect->right - rect->left;
    height = rect->bottom - rect->top;
    return true;
}

}  // namespace

bool VstEditor::Load(const EditOptions& o, std::string& error)
{
    passDisplay_ = o.passDisplay;
    host_.KeepOutput(false);
    if (!host_.Load(o.pluginPath, error) || !ApplySettings(host_, o.settings, error)) {
        host_.Unload();
        return false;
    }
    if (!(host_.Effect()->flags & effFlagsHasEditor)) {
        host_.Unload();
        error = o.pluginPath + ": the plug-in has no editor";
        return false;
    }
    return true;
}

std::string VstEditor::Title()
{
    return host_.Text(effGetEffectName);
}

bool VstEditor::SizeBeforeOpening(int& width, int& height)
{
    return EditorRect(host_, width, height);
}

bool VstEditor::Open(Display* display, Window window, ResizeHandler resize, std::string&)
{
    host_.SetSizeWindowHandler(std::move(resize));
    eventProcAtom_ = XInternAtom(display, "_XEventProc", False);
    host_.Dispatch(effEditOpen, 0, passDisplay_ ? reinterpret_cast<VstIntPtr>(display) : 0,
                   reinterpret_cast<void*>(static_cast<uintptr_t>(window)));
    return true;
}

bool VstEditor::SizeAfterOpening(Display*, int& width, int& height)
{
    return EditorRect(host_, width, height);
}

void VstEditor::Dispatch(Display* display, XEvent& event)
{
    if (event.type == DestroyNotify && event.xdestroywindow.window == event.xany.window)
        return;  // the window is gone, and with it its property
    if (EventProc proc = EventProcOf(display, event.xany.window, eventProcAtom_))
        proc(&event);
}

bool VstEditor::Idle()
{
    host_.Dispatch(effEditIdle);
    return true;
}

void VstEditor::Close()
{
    host_.Dispatch(effEditClose);
}

void VstEditor::Unload()
{
    host_.Unload();
}

}  // namespace host
}  // namespace tessaro
