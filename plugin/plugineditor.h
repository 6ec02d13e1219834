// The editor object the host opens and closes. It identifies the host when
// the plug-in is created and carries change notifications from the engine
// (posted from any thread as flags) to the control panel.
#pragma once

#include "plugin/aeffeditor.h"

#include <atomic>
#include <cstdint>

class AudioEffect;
class SGlobals;
class SPlugin;

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
    SPluginEditor(AudioEffect* effect, SGlobals* globals, int& status);
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
    bool IsOpen() const { return isOpen.load(std::memory_order_acquire); }
    // The host code a product string yields; status becomes 3 for a refused host.
    static int IdentifyHost(const char* product, VstInt32 vendorVersion, int& status);

    static constexpr int kIndexCount = 256;

private:
    // Refreshes one index of the panel; hook for the control panel.
    void Refresh(long index);

    SGlobals* globals;
    SPlugin* plugin;
    int hostCode = kHostUnknown;
    std::atomic<bool> indexedPending{false};
    std::atomic<bool> isOpen{false};
    std::atomic<int> updatePending{0};
    std::atomic<uint8_t> dirty[kIndexCount];
};
