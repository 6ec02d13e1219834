// The LV2 plug-in's ports and URIs, shared by the DSP binary, the UI binary
// and the tests. The indices are the order of the ports in tessaro.ttl;
// hosts find the ports by their symbols, which stay fixed.
#pragma once

#include <cmath>
#include <cstdint>

#include "plugin/polyphonyengine.h"

namespace tessaro::lv2 {

constexpr const char* kPluginURI = "http://tessaro-midi.eu/plugins/tessaro";
constexpr const char* kUIURI = "http://tessaro-midi.eu/plugins/tessaro#ui";
// State properties: the bank chunk (atom:Chunk) and the program (atom:Int).
constexpr const char* kBankStateURI = "http://tessaro-midi.eu/plugins/tessaro#bank";
constexpr const char* kProgramStateURI = "http://tessaro-midi.eu/plugins/tessaro#program";

enum Port : uint32_t {
    kPortMidiIn = 0,           // midi_in: atom:Sequence of midi:MidiEvent
    kPortMidiOut = 1,          // midi_out
    // Control inputs, in native units.
    kPortPolyphony = 2,        // polyphony 0-127
    kPortKill = 3,             // kill
    kPortPanic = 4,            // panic
    kPortPresetsSwitching = 5, // presets_switching
    kPortMidiThrough = 6,      // midi_through
    kPortSustainPedal = 7,     // sustain_pedal
    kPortStealPolicy = 8,      // steal_policy 0-4, labelled Oldest ... Quietest
    kPortPerChannel = 9,       // per_channel
    kPortNoteReturn = 10,      // note_return
    kPortProgram = 11,         // program 0-31
    // Control outputs: what the engine holds, one per input in the same
    // order, then the count of sounding notes.
    kPortPolyphonyNow = 12,
    kPortKillNow = 13,
    kPortPanicNow = 14,
    kPortPresetsSwitchingNow = 15,
    kPortMidiThroughNow = 16,
    kPortSustainPedalNow = 17,
    kPortStealPolicyNow = 18,
    kPortPerChannelNow = 19,
    kPortNoteReturnNow = 20,
    kPortProgramNow = 21,
    kPortSoundingNotes = 22,
    kPortCount = 23,
};

constexpr uint32_t kFirstControlInput = kPortPolyphony;
constexpr uint32_t kControlInputs = kPortProgram - kPortPolyphony + 1;
static_assert(kPortPolyphonyNow == kPortPolyphony + kControlInputs, "each input has its output");

// The engine parameter behind a control input (or its output); -1 for the
// program, which is no parameter.
constexpr int ParameterOfControl(uint32_t input)
{
    switch (input) {
    case kPortPolyphony: return kParamPolyphony;
    case kPortKill: return kParamKill;
    case kPortPanic: return kParamPanic;
    case kPortPresetsSwitching: return kParamPresetSwitching;
    case kPortMidiThrough: return kParamMidiThrough;
    case kPortSustainPedal: return kParamSustainPedal;
    case kPortStealPolicy: return kParamStealPolicy;
    case kPortPerChannel: return kParamPerChannel;
    case kPortNoteReturn: return kParamNoteReturn;
    default: return -1;
    }
}

// The control input of an engine parameter; kPortCount for parameters that
// have none (the controller assignments, learn, the note count).
constexpr uint32_t ControlOfParameter(int index)
{
    for (uint32_t port = kPortPolyphony; port < kPortProgram; ++port)
        if (ParameterOfControl(port) == index)
            return port;
    return kPortCount;
}

// Host values in native units and the engine's 0-1 values. The polyphony
// is a whole number of notes, the steal policy a number 0-4;
// out-of-range host values are clamped.
constexpr float kPolyphonyMax = 127.0f;
constexpr float kStealPolicyMax = 4.0f;
inline float NativeMaximum(uint32_t input)
{
    return input == kPortPolyphony ? kPolyphonyMax : input == kPortStealPolicy ? kStealPolicyMax : 1.0f;
}
inline float NativeValue(uint32_t input, float engineValue)
{
    if (input != kPortPolyphony && input != kPortStealPolicy)
        return engineValue;
    return std::floor(engineValue * NativeMaximum(input) + 0.5f);
}
inline float EngineValue(uint32_t input, float nativeValue)
{
    if (input != kPortPolyphony && input != kPortStealPolicy)
        return nativeValue;
    const float maximum = NativeMaximum(input);
    if (nativeValue < 0.0f)
        nativeValue = 0.0f;
    else if (nativeValue > maximum)
        nativeValue = maximum;
    return nativeValue / maximum;  // NaN stays NaN, which the engine ignores
}

}  // namespace tessaro::lv2
