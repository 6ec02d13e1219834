// The editor object the host opens and closes. It identifies the host when
// the plug-in is created and carries change notifications from the engine
// (posted from any thread as flags) to the control panel; the panel reaches
// the plug-in through SIPluginAccess.
//
// Windows: the first open makes a hidden holder window and the panel inside
// it, then moves the panel into the host's window (hosts serve the events of
// a window that arrives there by reparenting). Close parks the panel in the
// holder again, so one panel keeps its state from the first open until the
// editor is destroyed.
//
// Idle: while open, the toolkit's idle thread calls idle() about every
// 22 ms; it hands the posted indices to the panel. close() removes the idle
// function and waits for a call under way, so once it returns no idle call
// touches the panel.
//
// A host that passes no Display* leaves the editor on the plug-in's own
// connection, whose events nobody else reads: the toolkit's event pump then
// serves them.
#pragma once

#include "plugin/aeffeditor.h"

#include <atomic>
#include <cstdint>

class SGlobals;
class SIPluginAccess;
class SPlugin;
class SPluginPanel;

namespace kova::gui {
class SControl;
class SCursor;
}  // namespace kova::gui

enum HostCode {
    kHostUnknown = 0,
    kHostEnergyXT = 2,
    kHostCantabile = 5,
    kHostSaviHost = 6,
    kHostMelodyne = 7,
    kHostCubase = 8,
    kHostCubase4 = 9,
    kHostSamplitude = 10,
    kHostTracktion = 11,
    kHostPhrazor = 12,
    kHostUsine = 13,
};

// Start-up statuses passed down the constructor chain to main.
enum StartupStatus {
    kStartupOk = 0,
    kStartupSystemNotSupported = 2,
    kStartupHostNotSupported = 3,
    kStartupRefuseSilently = 4,
};

class SPluginEditor : public AEffEditor {
public:
    // Identifies the host; status becomes kStartupHostNotSupported for a
    // refused one.
    SPluginEditor(SPlugin* plugin, SIPluginAccess* access, SGlobals* globals, int& status);
    ~SPluginEditor() override;

    VstInt32 open(void* parent) override;
    void close() override;
    void idle() override;
    void update() override;
    void postUpdate() override;
    void updateIndexed() override;
    void postUpdateIndexed(long index) override;
    void updateAtIndex(long index) override;
    virtual void idleslow();

    int SetSize(int width, int height);
    void GetHostApp(int& status);
    static void idlestatic(void* editor);

    int HostCode() const { return hostCode; }
    // False for a host known to crash on edit gestures: it is told only of
    // the changes.
    bool HostTakesGestures() const { return hostTakesGestures; }
    SPluginPanel* Panel() const { return panel; }
    kova::gui::SControl* Holder() const { return holder; }
    unsigned long ParentWindow() const { return parentWindow; }
    bool IsOpen() const { return isOpen.load(std::memory_order_acquire); }
    // The host code a product string yields; status becomes 3 for a refused host.
    static int IdentifyHost(const char* product, VstInt32 vendorVersion, int& status);
    // The display name of a host code; "(unknown)" for codes it does not know.
    static const char* HostName(int code);

    static constexpr int kIndexCount = 256;

private:
    // Hands one index (-1: all) to the panel.
    void Refresh(long index);
    // Makes the holder and the panel inside it (first open).
    void CreateWindows();

    void (*idleFunction)(void*) = nullptr;
    SGlobals* globals;
    SPluginPanel* panel = nullptr;
    SPlugin* plugin;
    SIPluginAccess* access;
    int hostCode = kHostUnknown;
    bool hostTakesGestures = true;
    std::atomic<bool> indexedPending{false};
    std::atomic<bool> isOpen{false};
    std::atomic<int> updatePending{0};
    std::atomic<uint8_t> dirty[kIndexCount];
    kova::gui::SCursor* cursor = nullptr;
    unsigned long parentWindow = 0;
    kova::gui::SControl* holder = nullptr;
    unsigned long holderWindow = 0;
};
