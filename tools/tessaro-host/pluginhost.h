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

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "plugin/vst/aeffectx.h"

namespace tessaro {
namespace host {

class PluginHost {
public:
    static constexpr int kMaxBlockEvents = 256;
    static constexpr VstIntPtr kHostVersion = 2400;
    static constexpr const char* kVendor = "Tessaro";
    static constexpr const char* kProduct = "tessaro-host";

    struct OutputEvent {
        int64_t sample;       // block start plus the event's deltaFrames
        VstMidiEvent event;
    };
    // What the plug-in reported about a parameter, in order: a change
    // (audioMasterAutomate), or the user taking hold of its control and
    // letting go (audioMasterBeginEdit, audioMasterEndEdit).
    struct Automation {
        enum Kind { Change, BeginEdit, EndEdit };
        Kind kind;
        VstInt32 index;
        float value;  // of a change
    };

    PluginHost();
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

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

    // Sets up buffers of blockSize frames and resumes the plug-in.
    void Start(float sampleRate, int blockSize);
    void Stop();
    bool Running() const { return running_; }

    // One audio block of 0 to blockSize frames starting at Position();
    // events carry deltaFrames within the block. At most kMaxBlockEvents.
    bool ProcessBlock(const VstMidiEvent* events, int count, int frames);
    int64_t Position() const { return position_; }

    // Output events are kept (for files) or only counted (for live play,
    // where the audio thread must not allocate).
    void KeepOutput(bool keep) { keepOutput_ = keep; }
    const std::vector<OutputEvent>& Output() const { return output_; }
    long OutputCount() const { return outputCount_.load(); }

    std::vector<Automation> TakeAutomation();
    bool WantsMidi() const { return wantsMidi_; }
    // Answers audioMasterSizeWindow; without a handler the host has no window.
    void SetSizeWindowHandler(std::function<bool(int width, int height)> handler);

    float SampleRate() const { return sampleRate_; }
    int BlockSize() const { return blockSize_; }

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
    bool running_ = false;
    float sampleRate_ = 44100.0f;
    int blockSize_ = 512;
    int64_t position_ = 0;
    int64_t blockStart_ = 0;

    std::vector<std::vector<float>> inputs_, outputs_;
    std::vector<float*> inputPtrs_, outputPtrs_;
    EventBlock block_{};
    VstMidiEvent blockEvents_[kMaxBlockEvents]{};

    bool keepOutput_ = true;
    std::vector<OutputEvent> output_;
    std::atomic<long> outputCount_{0};
    bool wantsMidi_ = false;

    std::mutex lock_;  // guards automation_ and sizeWindow_ (GUI and idle threads)
    std::vector<Automation> automation_;
    std::function<bool(int, int)> sizeWindow_;
};

}  // namespace host
}  // namespace tessaro
