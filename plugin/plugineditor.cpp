#include "plugin/plugineditor.h"

#include "kova/data/datastring.h"
#include "kova/gui/connection.h"
#include "kova/gui/control.h"
#include "kova/gui/cursor.h"
#include "kova/gui/dispatchguard.h"
#include "kova/gui/eventpump.h"
#include "kova/gui/globals.h"
#include "plugin/identity.h"
#include "plugin/pluginpanel.h"
#include "plugin/splugin.h"

#include <X11/Xlib.h>
#include <cstring>

namespace {

struct HostPattern {
    const char* product;
    int code;
};

// Tested in this order; the first match decides. "Cubase" comes first and
// is refined by the vendor version.
const HostPattern kHostPatterns[] = {
    {"Cubase", kHostCubase},       {"Samplitude", kHostSamplitude}, {"SAVIHost", kHostSaviHost},
    {"Melodyne", kHostMelodyne},   {"Tracktion", kHostTracktion},   {"Cantabile", kHostCantabile},
    {"Phrazor", kHostPhrazor},     {"Usine", kHostUsine},           {"energyXT", kHostEnergyXT},
};

// Hosts that crash on audioMasterBeginEdit. Ardour (7.3 seen) dies in its
// begin-edit handling, on its plug-in GUI thread, for a parameter under
// Touch or Latch automation.
const char* const kHostsWithoutGestures[] = {"Ardour"};

// Display names by host code.
const char* const kHostNames[] = {
    "(unknown)", "Sonar",     "Energy XT",  "Project 5", "FL Studio", "Cantabile", "SaviHost",
    "Melodyne",  "Cubase/Nuendo", "Cubase4/Nuendo4", "Samplitude", "Tracktion", "Phrazor", "Usine",
};

}  // namespace

SPluginEditor::SPluginEditor(SPlugin* plugin, SIPluginAccess* access, SGlobals* globals, int& status)
    : AEffEditor(plugin), globals(globals), plugin(plugin), access(access)
{
    // The panel is refreshed from a toolkit thread, so Xlib must be
    // thread-safe before any window exists.
    XInitThreads();
    for (auto& flag : dirty)
        flag.store(0, std::memory_order_relaxed);
    GetHostApp(status);
}

SPluginEditor::~SPluginEditor()
{
    if (isOpen)
        close();
    delete cursor;
    cursor = nullptr;
    // The event pump may be dispatching to these windows on its thread.
    kova::gui::SDispatchGuard guard;
    delete panel;
    panel = nullptr;
    delete holder;
    holder = nullptr;
}

int SPluginEditor::IdentifyHost(const char* product, VstInt32 vendorVersion, int& status)
{
    if (!product || !*product)
        return kHostUnknown;
    for (const HostPattern& pattern : kHostPatterns) {
        if (!std::strstr(product, pattern.product))
            continue;
        if (pattern.code == kHostCubase)
            return vendorVersion > 8199 ? kHostCubase4 : kHostCubase;
        if (pattern.code == kHostUsine)
            status = kStartupHostNotSupported;
        return pattern.code;
    }
    return kHostUnknown;
}

const char* SPluginEditor::HostName(int code)
{
    if (code < 0 || code >= (int)(sizeof kHostNames / sizeof kHostNames[0]))
        return kHostNames[0];
    return kHostNames[code];
}

void SPluginEditor::GetHostApp(int& status)
{
    char vendor[128] = {};
    char product[128] = {};
    plugin->getHostVendorString(vendor);
    plugin->getHostProductString(product);
    product[sizeof product - 1] = 0;
    VstInt32 version = std::strstr(product, "Cubase") ? plugin->getHostVendorVersion() : 0;
    hostCode = IdentifyHost(product, version, status);
    for (const char* host : kHostsWithoutGestures)
        if (std::strstr(product, host))
            hostTakesGestures = false;
}

void SPluginEditor::CreateWindows()
{
    using kova::data::datastring;
    datastring<32, char> holderTitle(64, "%s (%i)", tessaro::kProductName, globals->random.Integer());
    holder = new kova::gui::SControl(globals, nullptr, (unsigned)globals->TakeId(), holderTitle.c_str(), 0, 0, 0,
                                     tessaro::kEditorWidth, tessaro::kEditorHeight, 0, false);
    holder->SetSize(tessaro::kEditorWidth, tessaro::kEditorHeight);
    holderWindow = holder->GetWindow();

    datastring<32, char> panelTitle(64, "%s (%i)", tessaro::kProductName, globals->random.Integer());
    // Made inside the holder and then reparented: hosts serve the events of
    // a window that arrives in their window by reparenting.
    panel = new SPluginPanel(globals, nullptr, (unsigned)globals->TakeId(), panelTitle.c_str(), 0x80001, 0, 0,
                             tessaro::kEditorWidth, tessaro::kEditorHeight, (int)holderWindow, false);
    panel->SetPlugin(access);
    panel->LoadControls();
}

VstInt32 SPluginEditor::open(void* parent)
{
    if (isOpen)
        close();
    systemWindow = parent;
    parentWindow = (unsigned long)(uintptr_t)parent;
    globals->hostWindow = (Window)parentWindow;
    if (plugin->effectName) {
        globals->pluginName.Clear(false);
        globals->pluginName.Append(plugin->effectName->c_str());
    }
    if (plugin->pluginDirectory) {
        globals->pluginDirectory.Clear(false);
        globals->pluginDirectory.Append(plugin->pluginDirectory->c_str());
    }

    SetSize(tessaro::kEditorWidth, tessaro::kEditorHeight);
    {
        // The toolkit's pump may be dispatching to the panel meanwhile.
        kova::gui::SDispatchGuard guard;
        if (!holder)
            CreateWindows();
        panel->Reparent((int)parentWindow);
        // Reparenting keeps the position; the panel fills the host's window.
        panel->SetPosition(0, 0);
    }

    cursor = new kova::gui::SCursor();
    cursor->SetWindow((Window)parentWindow);
    cursor->CreateDefault();
    globals->cursor = cursor;

    panel->Show();
    globals->NextId();

    // No host has handed over its display: the windows are on the plug-in's
    // own connection, which nothing but the toolkit's pump reads.
    if (!dp.load())
        kova::gui::StartEventPump();

    idleFunction = &SPluginEditor::idlestatic;
    panel->CreateIdleTimer(22, false);
    panel->CreateIdleFunction(&idleFunction, this);

    plugin->pluginLock.Lock();
    plugin->editorClosed = false;
    plugin->pluginLock.Unlock();
    isOpen = true;
    postUpdate();
    if (Display* d = kova::gui::GetDisplay())
        XFlush(d);
    return 1;
}

void SPluginEditor::close()
{
    plugin->pluginLock.Lock();
    plugin->editorClosed = true;
    plugin->pluginLock.Unlock();
    isOpen = false;
    if (panel) {
        // Both wait for an idle call under way: after them no idle call
        // reaches the panel.
        panel->DestroyIdleFunction();
        panel->DestroyIdleTimer();
    }
    {
        // Not while the toolkit's pump dispatches (it uses the cursor).
        kova::gui::SDispatchGuard guard;
        if (panel) {
            // A drag cut short by the closing leaves no parameter held.
            panel->LetGoOfDials();
            panel->Reparent((int)holderWindow);
        }
        globals->cursor = nullptr;
        delete cursor;
        cursor = nullptr;
    }
    parentWindow = 0;
    globals->hostWindow = 0;
    systemWindow = nullptr;
    if (Display* d = kova::gui::GetDisplay())
        XFlush(d);
}

void SPluginEditor::idle()
{
    if (!isOpen)
        return;
    if (updatePending.exchange(0)) {
        update();
        return;
    }
    if (indexedPending.exchange(false))
        updateIndexed();
}

void SPluginEditor::update()
{
    if (!isOpen)
        return;
    for (auto& flag : dirty)
        flag.store(0, std::memory_order_relaxed);
    Refresh(-1);
}

void SPluginEditor::postUpdate()
{
    updatePending = 1;
}

void SPluginEditor::updateIndexed()
{
    if (!isOpen)
        return;
    for (int index = 0; index < kIndexCount; ++index)
        if (dirty[index].exchange(0))
            Refresh(index);
}

void SPluginEditor::postUpdateIndexed(long index)
{
    if (index < 0 || index >= kIndexCount)
        return;
    dirty[index].store(1, std::memory_order_release);
    indexedPending.store(true, std::memory_order_release);
}

void SPluginEditor::updateAtIndex(long index)
{
    if (!isOpen || index < 0 || index >= kIndexCount)
        return;
    dirty[index].store(0);
    Refresh(index);
}

void SPluginEditor::idleslow()
{
    if (panel)
        panel->TimerProc(0);
}

void SPluginEditor::idlestatic(void* editor)
{
    if (editor)
        static_cast<SPluginEditor*>(editor)->idle();
}

int SPluginEditor::SetSize(int width, int height)
{
    plugin->editorRect.top = 0;
    plugin->editorRect.left = 0;
    plugin->editorRect.bottom = (int16_t)height;
    plugin->editorRect.right = (int16_t)width;
    char sizeWindow[] = "sizeWindow";
    if (!plugin->canHostDo(sizeWindow) && parentWindow) {
        if (Display* d = kova::gui::GetDisplay())
            XResizeWindow(d, (Window)parentWindow, (unsigned)width, (unsigned)height);
    }
    const int result = plugin->sizeWindow(width, height) ? 1 : 0;
    if (panel) {
        panel->SetSize(width, height);
        return 1;
    }
    return result;
}

void SPluginEditor::Refresh(long index)
{
    if (panel)
        panel->RefreshControls(index);
}
