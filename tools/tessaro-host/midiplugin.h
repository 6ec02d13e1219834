// What tessaro-host needs of a loaded MIDI plug-in, whatever its format:
// settings by VST 2 parameter index and program number, preset files,
// block-by-block processing with the output kept on sample positions, and
// the parameter changes and edit gestures its editor reports. PluginHost
// (VST 2) and Lv2Host (LV2) are the two formats; the MIDI running, the
// settings and the analysis only see this class.
//
// The bookkeeping both formats share lives here: the block size and
// position, the collected output, and the reports, which the editor's
// threads add and the host's loop takes.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "tools/tessaro-host/presetfile.h"

namespace tessaro {
namespace host {

class MidiPlugin {
public:
    static constexpr int kMaxBlockEvents = 256;

    // A short MIDI message at a frame of its block.
    struct BlockEvent {
        int32_t frame;
        uint8_t bytes[3];
    };
    struct OutputEvent {
        int64_t sample;  // block start plus the event's frame in the block
        uint8_t bytes[3];
    };
    // What the plug-in reported about a parameter, in order: a change, or
    // the user taking hold of its control and letting go. The index and
    // value are the VST 2 parameter's, whatever the format; an LV2 input
    // that is no VST 2 parameter is named by its symbol, with its value.
    struct Automation {
        enum Kind { Change, BeginEdit, EndEdit };
        Kind kind;
        int index;
        float value;                  // of a change
        const char* port = nullptr;   // the symbol, while the plug-in is loaded
    };

    MidiPlugin() = default;
    virtual ~MidiPlugin() = default;
    MidiPlugin(const MidiPlugin&) = delete;
    MidiPlugin& operator=(const MidiPlugin&) = delete;

    // --- Settings, before Start -------------------------------------------------

    virtual int ParameterCount() const = 0;
    // Tessaro's allocation options (steal policy, per channel, note
    // return): parameters beyond the count, which VST 2 hosts do not see.
    static constexpr int kOptionParameters[] = {11, 12, 13};
    // Whether the plug-in answers to the parameter: below the count, or
    // one of the options it names.
    virtual bool HasParameter(int index) const = 0;
    // Every parameter it answers to, in order.
    std::vector<int> ParameterIndices() const;
    virtual int ProgramCount() const = 0;
    // Whether the preset file is one the plug-in takes; else says why.
    virtual bool CanLoad(const PresetFile& preset, const std::string& path, std::string& error) const = 0;
    // A VST 2 parameter value from 0 to 1.
    virtual void SetParameter(int index, float value) = 0;
    virtual void SetProgram(int program) = 0;
    // Loads a checked preset: a bank, or a program into the current program.
    virtual bool LoadPreset(const PresetFile& preset, const std::string& path, std::string& error) = 0;
    // The whole bank with the current program, as a version 2 bank file
    // holds it; else says why.
    virtual bool SaveBank(PresetFile& bank, std::string& error) = 0;
    virtual std::string ParameterName(int index) const = 0;
    // The value as the plug-in shows it, with its unit if it has one.
    virtual std::string ParameterDisplay(int index) const = 0;

    // --- Running -----------------------------------------------------------------

    // Sets up buffers of blockSize frames and starts processing.
    virtual void Start(float sampleRate, int blockSize) = 0;
    virtual void Stop() = 0;
    bool Running() const { return running_; }

    // One block of 0 to BlockSize() frames starting at Position(), with at
    // most kMaxBlockEvents events in time order. Output events are added
    // to Output() (or only counted) before it returns.
    virtual bool ProcessBlock(const BlockEvent* events, int count, int frames) = 0;
    int64_t Position() const { return position_; }
    float SampleRate() const { return sampleRate_; }
    int BlockSize() const { return blockSize_; }

    // Output events are kept (for files) or only counted (for live play,
    // where the audio thread must not allocate).
    void KeepOutput(bool keep) { keepOutput_ = keep; }
    const std::vector<OutputEvent>& Output() const { return output_; }
    // Forgets the kept output events (a long run takes them block by block).
    void ClearOutput() { output_.clear(); }

    // Live play: output events go to a fixed array (events past its
    // capacity are only counted), so that the audio thread allocates
    // nothing; null returns to Output().
    struct OutputArray {
        OutputEvent* events = nullptr;
        int capacity = 0;
        int count = 0;
    };
    void SendOutputTo(OutputArray* array) { array_ = array; }
    long OutputCount() const { return outputCount_.load(); }

    std::vector<Automation> TakeAutomation();

protected:
    // Counts one output event of the block that starts at blockStart and
    // keeps it if it is MIDI (bytes not null).
    void Collect(int64_t blockStart, int32_t frame, const uint8_t* bytes, uint32_t size);
    void Report(const Automation& automation);

    bool running_ = false;
    float sampleRate_ = 44100.0f;
    int blockSize_ = 512;
    int64_t position_ = 0;

private:
    bool keepOutput_ = true;
    std::vector<OutputEvent> output_;
    OutputArray* array_ = nullptr;
    std::atomic<long> outputCount_{0};

    std::mutex lock_;  // guards automation_ (GUI and idle threads)
    std::vector<Automation> automation_;
};

}  // namespace host
}  // namespace tessaro
