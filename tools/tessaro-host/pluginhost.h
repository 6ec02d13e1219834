// Loading and driving one Linux VST 2 plug-in the way hosts do:
//
//   Load()      dlopen, entry "VSTPluginMain" or else "main", effOpen
//   Start()     sample rate, block size, effMainsChanged 1
//   ProcessBlock() per audio block: effProcessEvents (also with no events),
//               then processReplacing (or process on plug-ins without it)
//   Stop()      effMainsChanged 0
//   Unload()    effClose, dlclose (also done by the destructor)
//
// The host callback answers as a well-behaved host: version 2400, vendor
// and product strings, MIDI wanted, output events collected with their
// sample position, automation and edit gestures recorded, window resizing
// through a handler.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "plugin/vst/aeffectx.h"
#include "tools/tessaro-host/midiplugin.h"

namespace tessaro {
namespace host {

class PluginHost : public MidiPlugin {
public:
    static constexpr VstIntPtr kHostVersion = 2400;
    static constexpr const char* kVendor = "Tessaro";
    static constexpr const char* kProduct = "tessaro-host";

    PluginHost();
    ~PluginHost() override;

    // Loads and opens the plug-in; on failure says why in one line and
    // leaves nothing loaded.
    bool Load(const std::string& path, std::string& error);
    void Unload();

    AEffect* Effect() const { return effect_; }
    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f) const;
    // Text answers of opcodes such as effGetEffectName or effGetParamName,
    // read into a generous buffer (plug-ins often exceed the 8-character
    // parameter limit).
    std::string Text(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0) const;

    // Settings through the effect: parameters and programs as they are,
    // presets as chunks of plug-ins that keep them so.
    int ParameterCount() const override;
    bool HasParameter(int index) const override;
    int ProgramCount() const override;
    bool CanLoad(const PresetFile& preset, const std::string& path, std::string& error) const override;
    void SetParameter(int index, float value) override;
    void SetProgram(int program) override;
    bool LoadPreset(const PresetFile& preset, const std::string& path, std::string& error) override;
    bool SaveBank(PresetFile& bank, std::string& error) override;
    std::string ParameterName(int index) const override;
    std::string ParameterDisplay(int index) const override;

    // Sets up buffers of blockSize frames and resumes the plug-in.
    void Start(float sampleRate, int blockSize) override;
    void Stop() override;

    // effProcessEvents with the events as VstMidiEvents (deltaFrames the
    // frame), then processReplacing.
    bool ProcessBlock(const BlockEvent* events, int count, int frames) override;

    bool WantsMidi() const { return wantsMidi_; }
    // Answers audioMasterSizeWindow; without a handler the host has no window.
    void SetSizeWindowHandler(std::function<bool(int width, int height)> handler);

private:
    static VstIntPtr Callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                              float opt);
    VstIntPtr Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
    void CollectEvents(const VstEvents* events);

    // The VstEvents header with room for a whole block of pointers.
    struct EventBlock {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[kMaxBlockEvents];
    };
    static_assert(offsetof(EventBlock, events) == offsetof(VstEvents, events),
                  "the event block must keep the VstEvents header layout");

    void* library_ = nullptr;
    AEffect* effect_ = nullptr;
    std::string directory_;
    int64_t blockStart_ = 0;

    std::vector<std::vector<float>> inputs_, outputs_;
    std::vector<float*> inputPtrs_, outputPtrs_;
    EventBlock block_{};
    VstMidiEvent blockEvents_[kMaxBlockEvents]{};

    bool wantsMidi_ = false;

    std::mutex sizeLock_;  // guards sizeWindow_ (GUI and idle threads)
    std::function<bool(int, int)> sizeWindow_;
};

}  // namespace host
}  // namespace tessaro
