// The engine's parameter indices and learn targets: what an editor names
// when it shows or changes the engine, without the engine itself.
#pragma once

// Parameter indices: 0-5 are the host's, 6-10 are used between engine and
// editor, 11-13 are the allocation options (reached by VST 2 hosts through
// the editor and the chunks, by LV2 hosts through their ports).
enum EngineParameter {
    kParamPolyphony = 0,
    kParamKill = 1,
    kParamPanic = 2,
    kParamPresetSwitching = 3,
    kParamMidiThrough = 4,
    kParamSustainPedal = 5,
    kParamPolyCC = 6,
    kParamKillCC = 7,
    kParamPanicCC = 8,
    kParamLearnDone = 9,    // refresh of the learn display
    kParamActiveNotes = 10, // number of notes sounding, not scaled
    kParamStealPolicy = 11, // policy / 4: 0, 0.25 ... 1 select the five
    kParamPerChannel = 12,
    kParamNoteReturn = 13,
};

// The steal policies' names, by policy number (parameter 11 is the number
// / 4): what the engine displays and the editor shows.
constexpr int kStealPolicies = 5;
constexpr const char* kStealPolicyNames[kStealPolicies] = {"Oldest", "Newest", "Lowest", "Highest", "Quietest"};

// What a learnt control change is assigned to: the remote controller of
// the polyphony, of the kill option or of the panic.
enum class LearnTarget { Polyphony, Kill, Panic };
