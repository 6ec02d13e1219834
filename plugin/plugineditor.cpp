#include "plugin/plugineditor.h"

#include "kova/gui/connection.h"
#include "kova/gui/eventpump.h"
#include "plugin/editorframe.h"
#include "plugin/editorsession.h"
#include "plugin/hostidentity.h"
#include "plugin/identity.h"
#include "plugin/pluginpanel.h"

#include <X11/Xlib.h>

namespace {

// The idle timer's period: the panel shows the engine's changes this often.
constexpr int kIdlePeriodMs = 22;

}  // namespace

SPluginEditor::SPluginEditor(AudioEffect* effect, SIEditorFrame& frame, SIPluginAccess& access,
                             SEngineChangeBoard& changes, int& status)
    : AEffEditor(effect), frame(frame), changes(changes)
{
    // The panel is refreshed from a toolkit thread, so Xlib must be
    // thread-safe before any window exists.
    XInitThreads();
    session = std::make_unique<SEditorSession>(access, changes, SEditorSession::Windows::Parked);
    GetHostApp(status);
}

SPluginEditor::~SPluginEditor()
{
    if (isOpen)
        close();
    session.reset();
}

SPluginPanel* SPluginEditor::Panel() const
{
    return session->Panel();
}

kova::gui::SControl* SPluginEditor::Holder() const
{
    return session->Holder();
}

void SPluginEditor::GetHostApp(int& status)
{
    char vendor[128] = {};
    char product[128] = {};
    frame.HostStrings(vendor, product);
    product[sizeof product - 1] = 0;
    const int version = HostNeedsVendorVersion(product) ? frame.HostVendorVersion() : 0;
    hostCode = IdentifyHost(product, version, status);
    hostTakesGestures = ::HostTakesGestures(product);
}

VstInt32 SPluginEditor::open(void* parent)
{
    if (isOpen)
        close();
    systemWindow = parent;
    parentWindow = (unsigned long)(uintptr_t)parent;
    session->SetPluginTexts(frame.EffectName(), frame.PluginDirectory());
    SetSize(tessaro::kEditorWidth, tessaro::kEditorHeight);
    session->Open(parentWindow);

    // No host has handed over its display: the windows are on the plug-in's
    // own connection, which nothing but the toolkit's pump reads.
    if (!dp.load())
        kova::gui::StartEventPump();

    idleFunction = &SPluginEditor::idlestatic;
    Panel()->CreateIdleTimer(kIdlePeriodMs, false);
    Panel()->CreateIdleFunction(&idleFunction, this);

    isOpen = true;
    if (Display* d = kova::gui::GetDisplay())
        XFlush(d);
    return 1;
}

void SPluginEditor::close()
{
    isOpen = false;
    if (SPluginPanel* panel = Panel()) {
        // Both wait for an idle call under way: after them no idle call
        // reaches the panel.
        panel->DestroyIdleFunction();
        panel->DestroyIdleTimer();
    }
    session->Close();
    parentWindow = 0;
    systemWindow = nullptr;
    if (Display* d = kova::gui::GetDisplay())
        XFlush(d);
}

void SPluginEditor::idle()
{
    if (isOpen)
        session->ShowChanges();
}

void SPluginEditor::update()
{
    if (isOpen)
        session->ShowAll();
}

void SPluginEditor::postUpdate()
{
    changes.EverythingChanged();
}

void SPluginEditor::updateIndexed()
{
    if (isOpen)
        session->ShowChanges();
}

void SPluginEditor::postUpdateIndexed(long index)
{
    // The board's indices are the engine's; others would count as
    // everything having changed.
    if (index >= 0 && index < SEngineChangeBoard::kIndices)
        changes.ParameterChanged((int)index);
}

void SPluginEditor::updateAtIndex(long index)
{
    if (isOpen && index >= 0)
        session->Show(index);
}

void SPluginEditor::idleslow()
{
    if (SPluginPanel* panel = Panel())
        panel->TimerProc(0);
}

void SPluginEditor::idlestatic(void* editor)
{
    if (editor)
        static_cast<SPluginEditor*>(editor)->idle();
}

int SPluginEditor::SetSize(int width, int height)
{
    frame.SetEditorRect(width, height);
    if (!frame.HostSizesWindow() && parentWindow) {
        if (Display* d = kova::gui::GetDisplay())
            XResizeWindow(d, (Window)parentWindow, (unsigned)width, (unsigned)height);
    }
    const int result = frame.SizeHostWindow(width, height) ? 1 : 0;
    if (SPluginPanel* panel = Panel()) {
        panel->SetSize(width, height);
        return 1;
    }
    return result;
}
