// Loading and driving one LV2 plug-in the way hosts do, with lilv:
//
//   Load()   the bundle's description, the ports, instantiate at the
//            sample rate with blocks of at most blockSize frames, connect
//            every port, activate, and one empty block so that the control
//            outputs report the plug-in's values
//   ProcessBlock() per block: the events as an atom sequence of MIDI
//            events (frames = the VST 2 deltaFrames), run, the output
//            sequence collected
//   Unload() deactivate, free (also done by the destructor)
//
// Settings speak VST 2: parameter I is the control input named by
// kParameterSymbols[I], its value from 0 to 1 converted to the port's
// units (toggles on above 0.5; integers rounded half up over the range);
// the program is the `program` input; preset files go through the state
// interface (the bank is the state's 3072-byte chunk, a program one record
// of it). The plug-in applies a control input only when its value changes
// and adopts the values after a state restore, so every setting is
// followed by an empty block, and a value the input already holds but the
// plug-in does not (after a program change or a restore) is first set to
// the plug-in's own value, reported on the output `<symbol>_now`.
// Output of those blocks comes out at the start of the first real block,
// where a VST 2 plug-in sends what its settings queued.
#pragma once

#include <lilv/lilv.h>
#include <lv2/core/lv2.h>
#include <lv2/log/log.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tools/tessaro-host/midiplugin.h"
#include "tools/tessaro-host/uridmap.h"

namespace tessaro {
namespace host {

class Lv2Host : public MidiPlugin {
public:
    // The control inputs of VST 2 parameters 0 to 5, and of the program.
    // By VST 2 parameter index; 6-10 have no port.
    static constexpr const char* kParameterSymbols[] = {
        "polyphony", "kill", "panic", "presets_switching", "midi_through", "sustain_pedal", "", "", "", "", "",
        "steal_policy", "per_channel", "note_return"};
    static constexpr int kMappedParameters = 14;
    static constexpr const char* kProgramSymbol = "program";
    // The output that reports the plug-in's value of an input.
    static constexpr const char* kReportSuffix = "_now";
    static constexpr const char* kTessaroUri = "http://tessaro-midi.eu/plugins/tessaro";

    struct Port {
        enum class Type { Control, Atom, Audio, CV };
        uint32_t index = 0;
        std::string symbol, name;
        Type type = Type::Control;
        bool input = true;
        bool integer = false, toggled = false;
        bool midi = false;  // an atom port of MIDI events
        float minimum = 0.0f, maximum = 1.0f, defaultValue = 0.0f;
        uint32_t bufferSize = 0;  // atom ports: bytes
        std::vector<std::pair<float, std::string>> labels;  // control ports: scale points
    };

    // Whether tessaro-host takes the path for an LV2 bundle: it ends in
    // ".lv2", with or without a closing slash.
    static bool IsBundlePath(const std::string& path);

    Lv2Host();
    ~Lv2Host() override;

    // Loads the first plug-in of the bundle; on failure says why in one
    // line and leaves nothing loaded.
    bool Load(const std::string& bundlePath, float sampleRate, int maxBlockSize, std::string& error);
    void Unload();

    const std::string& Uri() const { return uri_; }
    const std::string& BundlePath() const { return bundlePath_; }
    std::string Name() const;
    std::string Author() const;
    std::string ClassUri() const;
    std::string BinaryPath() const;
    std::vector<std::string> RequiredFeatures() const;
    std::vector<std::string> OptionalFeatures() const;
    std::vector<std::string> ExtensionData() const;
    const std::vector<Port>& Ports() const { return ports_; }
    // The current value of a control port.
    float ControlValue(uint32_t port) const;
    // The port of VST 2 parameter `index`, or -1.
    int ParameterPort(int index) const;
    // The VST 2 parameter of a control input, or -1.
    int ParameterOf(uint32_t port) const;
    static float NativeValue(const Port& port, float normalised);
    static float NormalisedValue(const Port& port, float native);

    // --- Settings (MidiPlugin) ---------------------------------------------------
    int ParameterCount() const override;
    bool HasParameter(int index) const override { return ParameterPort(index) >= 0; }
    int ProgramCount() const override;
    bool CanLoad(const PresetFile& preset, const std::string& path, std::string& error) const override;
    void SetParameter(int index, float value) override;
    void SetProgram(int program) override;
    bool LoadPreset(const PresetFile& preset, const std::string& path, std::string& error) override;
    bool SaveBank(PresetFile& bank, std::string& error) override;
    std::string ParameterName(int index) const override;
    std::string ParameterDisplay(int index) const override;

    // --- Running (MidiPlugin) ----------------------------------------------------
    // The plug-in was instantiated for a rate and a largest block at Load;
    // Start takes blocks up to that size and ignores another rate.
    void Start(float sampleRate, int blockSize) override;
    void Stop() override;
    bool ProcessBlock(const BlockEvent* events, int count, int frames) override;

    // --- For an editor -------------------------------------------------------------
    LilvWorld* World() const { return world_; }
    const LilvPlugin* Plugin() const { return plugin_; }
    LV2_Handle Handle() const;
    UridMap& Urids() { return urids_; }
    // The features the plug-in was instantiated with, null-terminated.
    const LV2_Feature* const* Features() const { return featureList_; }
    // A control input value from another thread (an editor): taken into
    // the port before the next block. Real-time safe on both sides.
    void RequestControl(uint32_t port, float value);
    // A control port's value as of the last block, readable from any thread.
    float ReportedValue(uint32_t port) const;
    // What an editor did to a control input, from its thread: the value
    // goes to the plug-in before the next block, and the change or the
    // gesture is reported (TakeAutomation) under the VST 2 index.
    void EditorWrite(uint32_t port, float value);
    void EditorTouch(uint32_t port, bool grabbed);

private:
    struct StateItem {
        uint32_t key, type, flags;
        std::vector<uint8_t> value;
    };

    bool ReadPorts(std::string& error);
    bool CheckFeatures(std::string& error) const;
    void ConnectPorts();
    // One block from the current position; output kept on sample positions
    // (or, while not running, held for the first block).
    void RunBlock(const BlockEvent* events, int count, int frames);
    // An empty block outside the running, after a setting.
    void Settle();
    void SetControl(uint32_t port, float value);
    // The output that reports the plug-in's value of an input, or -1.
    int ReportPort(uint32_t input) const;
    bool SaveState(std::vector<StateItem>& items) const;
    LV2_State_Status RestoreState(const std::vector<StateItem>& items);

    UridMap urids_;
    struct {
        LV2_URID sequence, chunk, atomInt, atomFloat, midiEvent, maxBlock, minBlock, nominalBlock, sequenceSize,
            sampleRate;
    } u_{};

    LilvWorld* world_ = nullptr;
    const LilvPlugin* plugin_ = nullptr;
    LilvInstance* instance_ = nullptr;
    const LV2_State_Interface* state_ = nullptr;
    std::string uri_, bundlePath_;

    std::vector<Port> ports_;
    std::vector<float> controls_;                     // per port: control values
    std::unique_ptr<std::atomic<float>[]> requested_;  // per port: NaN when nothing waits
    std::unique_ptr<std::atomic<float>[]> reported_;   // per port: after the last block
    std::vector<std::vector<uint64_t>> buffers_;       // per port: atom (8-byte aligned) or audio
    int midiIn_ = -1, midiOut_ = -1;
    int parameterPorts_[kMappedParameters];
    int programPort_ = -1;
    int parameterCount_ = 0;
    int maxBlockSize_ = 0;
    int64_t blockStart_ = 0;

    struct HeldEvent {
        uint8_t bytes[3];
        bool midi;
    };
    std::vector<HeldEvent> held_;  // output of the settling blocks

    // Instantiation features and the options they point to.
    int32_t minBlock_ = 0, maxBlock_ = 0, nominalBlock_ = 0, sequenceSize_ = 0;
    float rate_ = 0.0f;
    LV2_Options_Option options_[6]{};
    LV2_Log_Log log_{};
    LV2_Feature mapFeature_{}, unmapFeature_{}, optionsFeature_{}, boundedFeature_{}, logFeature_{};
    const LV2_Feature* featureList_[6]{};
};

}  // namespace host
}  // namespace tessaro
