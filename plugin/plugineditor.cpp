#include "plugin/plugineditor.h"

#include "kova/gui/globals.h"
#include "plugin/identity.h"
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

}  // namespace

SPluginEditor::SPluginEditor(AudioEffect* effect, SGlobals* globals, int& status)
    : AEffEditor(effect), globals(globals), plugin(static_cast<SPlugin*>(effect))
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

void SPluginEditor::GetHostApp(int& status)
{
    char vendor[128] = {};
    char product[128] = {};
    plugin->getHostVendorString(vendor);
    plugin->getHostProductString(product);
    product[sizeof product - 1] = 0;
    VstInt32 version = std::strstr(product, "Cubase") ? plugin->getHostVendorVersion() : 0;
    hostCode = IdentifyHost(product, version, status);
}

VstInt32 SPluginEditor::open(void* parent)
{
    systemWindow = parent;
    globals->hostWindow = (Window)(uintptr_t)parent;
    SetSize(tessaro::kEditorWidth, tessaro::kEditorHeight);
    plugin->pluginLock.Lock();
    plugin->editorClosed = false;
    plugin->pluginLock.Unlock();
    isOpen = true;
    postUpdate();
    return 1;
}

void SPluginEditor::close()
{
    plugin->pluginLock.Lock();
    plugin->editorClosed = true;
    plugin->pluginLock.Unlock();
    isOpen = false;
    globals->hostWindow = 0;
    systemWindow = nullptr;
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

void SPluginEditor::idleslow() {}

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
    return plugin->sizeWindow(width, height) ? 1 : 0;
}

void SPluginEditor::Refresh(long index)
{
    (void)index;
}
