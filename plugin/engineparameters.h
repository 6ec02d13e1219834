// The engine's parameter indices and learn targets: what an editor names
// when it shows or changes the engine, without the engine itself.
#pragma once

// Parameter indices: 0-5 are the host's, 6-10 are used between engine and
// editor.
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
};

// What a learnt control change is assigned to: the remote controller of
// the polyphony, of the kill option or of the panic.
enum class LearnTarget { Polyphony, Kill, Panic };
