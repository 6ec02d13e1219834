// Parameters for the host and the editor, remote controllers, MIDI learn
// and the panic action.
#include "engine_rig.h"

#include <cmath>
#include <limits>
#include <string>

using namespace engine_test;

namespace {

using Parameters = Engine;
using RemoteControl = Engine;
using MidiLearn = Engine;
using Panic = Engine;

std::vector<Msg> PanicMessages() {
    std::vector<Msg> m;
    for (int c = 0; c < 16; ++c) {
        m.push_back({0xB0 | c, 120, 0, 0});
        m.push_back({0xE0 | c, 0, 64, 0});
    }
    return m;
}

std::string Display(PolyphonyEngine& p, int index) {
    char text[80];
    std::memset(text, 'x', sizeof text);
    p.getParameterDisplay(index, text);
    return text;
}

std::string Name(PolyphonyEngine& p, int index) {
    char text[80];
    p.getParameterName(index, text);
    return text;
}

// --- Parameters ---------------------------------------------------------------

TEST_F(Parameters, PolyphonyRoundsHalvesUpwardAndReadsBack) {
    engine->setParameter(kParamPolyphony, 0.5f);
    EXPECT_EQ(Polyphony(), 64);
    EXPECT_FLOAT_EQ(engine->getParameter(kParamPolyphony), 64 * 0.007874016f);
    EXPECT_EQ(Display(*engine, kParamPolyphony), "64");
    engine->setParameter(kParamPolyphony, 1.0f);
    EXPECT_EQ(Display(*engine, kParamPolyphony), "127");
    engine->setParameter(kParamPolyphony, 0.0f);
    EXPECT_EQ(Display(*engine, kParamPolyphony), "0");
}

TEST_F(Parameters, ANewPluginLimitsTo16WithEverythingElseOff) {
    EXPECT_EQ(Display(*engine, kParamPolyphony), "16");
    for (int i = kParamKill; i <= kParamMidiThrough; ++i)
        EXPECT_EQ(Display(*engine, i), "Off") << i;
    for (int i = kParamPolyCC; i <= kParamPanicCC; ++i)
        EXPECT_EQ(engine->getParameter(i), 0.0f);
}

TEST_F(Parameters, LoweringThePolyphonyEndsTheOldestNotesAtTheNextBlock) {
    std::vector<midievent> notes;
    for (int i = 0; i < 10; ++i)
        notes.push_back(On(0, 40 + i, 100, i));
    Block(notes);
    engine->setParameter(kParamPolyphony, 3.0f / 127.0f);
    EXPECT_EQ(engine->getParameter(kParamActiveNotes), 3.0f);
    std::vector<Msg> expected;
    for (int i = 0; i < 7; ++i)
        expected.push_back({0x80, 40 + i, 0, 0});
    EXPECT_EQ(Block(), expected);
    // Raising it again ends nothing.
    engine->setParameter(kParamPolyphony, 0.5f);
    EXPECT_TRUE(Block().empty());
}

TEST_F(Parameters, KillIsStoredInTheCurrentProgramOnly) {
    engine->setProgram(3);
    engine->setParameter(kParamKill, 0.7f);
    EXPECT_EQ(engine->getParameter(kParamKill), 1.0f);
    EXPECT_EQ(Program(3).kill, 1);
    EXPECT_EQ(Program(2).kill, 0);
    engine->setProgram(2);
    EXPECT_EQ(Display(*engine, kParamKill), "Off");
}

TEST_F(Parameters, ThroughAndPresetSwitchingApplyToAllPrograms) {
    engine->setParameter(kParamMidiThrough, 1.0f);
    engine->setParameter(kParamPresetSwitching, 0.9f);
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(Program(i).midiThrough, 1) << i;
        EXPECT_EQ(Program(i).presetSwitching, 1) << i;
    }
}

TEST_F(Parameters, ThroughIsComparedWithProgramZero) {
    // A bank with through on in program 0 but off in program 5.
    std::vector<unsigned char> bank = Bank();
    bank[0 * 96 + offsetof(VSTPluginProgram, midiThrough)] = 1;
    LoadBank(bank);
    engine->setProgram(5);
    engine->setParameter(kParamMidiThrough, 1.0f);
    EXPECT_EQ(Display(*engine, kParamMidiThrough), "Off");
    EXPECT_EQ(Program(5).midiThrough, 0);
}

TEST_F(Parameters, ControllerAssignmentsStoreControllerPlusOne) {
    engine->setParameter(kParamPolyCC, 1.0f);
    EXPECT_EQ(Program(0).polyCC, 128); // controller 127
    EXPECT_EQ(engine->getParameter(kParamPolyCC), 1.0f);
    engine->setParameter(kParamPolyCC, 0.0f);
    EXPECT_EQ(Program(0).polyCC, 0);   // off
    engine->setParameter(kParamKillCC, 8 / 128.0f);
    engine->setParameter(kParamPanicCC, 65 / 128.0f);
    EXPECT_EQ(Program(0).killCC, 8);
    EXPECT_EQ(Program(0).panicCC, 65);
}

TEST_F(Parameters, ValuesOutsideZeroToOneAndNaNAreIgnored) {
    const float bad[] = {1.5f, -0.1f, std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::infinity()};
    for (float v : bad) {
        for (int i = 0; i <= kParamActiveNotes; ++i)
            engine->setParameter(i, v);
    }
    EXPECT_EQ(Display(*engine, kParamPolyphony), "16");
    EXPECT_EQ(Display(*engine, kParamPresetSwitching), "Off");
    EXPECT_EQ(Program(0).polyCC, 0);
    EXPECT_TRUE(Block().empty());
}

TEST_F(Parameters, NamesDisplaysAndLabelsForTheHost) {
    EXPECT_EQ(Name(*engine, 0), "OP: Polyphony");
    EXPECT_EQ(Name(*engine, 1), "OP: Kill");
    EXPECT_EQ(Name(*engine, 2), "AC: Panic");
    EXPECT_EQ(Name(*engine, 3), "OP: Presets Switching");
    EXPECT_EQ(Name(*engine, 4), "OP: Midi Through");
    EXPECT_EQ(Name(*engine, 5), "OP: Sustain Pedal");
    EXPECT_EQ(Name(*engine, 6), "empty");
    EXPECT_EQ(Name(*engine, 10), "empty");
    engine->setParameter(kParamKill, 1.0f);
    EXPECT_EQ(Display(*engine, kParamKill), "On");
    EXPECT_EQ(Display(*engine, kParamPolyCC), "");
    char label[8] = "xxxxxxx";
    engine->getParameterLabel(0, label);
    EXPECT_STREQ(label, "");
}

// --- Remote controllers ---------------------------------------------------------

TEST_F(RemoteControl, ThePolyphonyControllerIsConsumedAndEndsNotesAtValueZero) {
    engine->setParameter(kParamMidiThrough, 1.0f);
    engine->setParameter(kParamPolyCC, 8 / 128.0f); // controller 7
    Block({On(0, 60), On(0, 61)});
    EXPECT_EQ(Block({CC(7, 0, 5)}), (std::vector<Msg>{{0x80, 60, 0, 0}, {0x80, 61, 0, 0}}));
    EXPECT_EQ(Polyphony(), 0);
    Block({CC(7, 127)});
    EXPECT_EQ(Polyphony(), 127);
    Block({CC(7, 64)});
    EXPECT_EQ(Polyphony(), 64);
}

TEST_F(RemoteControl, ControllersAmidNotesActOnTheNotesAfterThemInTheSameBlock) {
    engine->setParameter(kParamPolyCC, 8 / 128.0f);  // controller 7
    engine->setParameter(kParamKillCC, 65 / 128.0f); // controller 64
    EXPECT_EQ(Block({On(0, 60, 100, 1), On(0, 61, 100, 2), CC(7, 1), On(0, 62, 100, 3), CC(64, 127),
                     On(0, 63, 100, 4), Off(0, 62, 0, 5), Off(0, 63, 0, 6)}),
              (std::vector<Msg>{{0x90, 60, 100, 1},
                                {0x90, 61, 100, 2},
                                {0x80, 60, 0, 0},   // polyphony 1 ends the oldest note
                                {0x80, 61, 0, 4},   // kill on: 63 steals 61
                                {0x90, 63, 100, 4},
                                {0x80, 63, 0, 6}}));
    EXPECT_EQ(Active(), 0);
    EXPECT_EQ(Polyphony(), 1);
}

TEST_F(RemoteControl, TheKillControllerSwitchesAboveValue63) {
    engine->setParameter(kParamKillCC, 65 / 128.0f); // controller 64
    EXPECT_TRUE(Block({CC(64, 64)}).empty());
    EXPECT_EQ(engine->getParameter(kParamKill), 1.0f);
    Block({CC(64, 63)});
    EXPECT_EQ(engine->getParameter(kParamKill), 0.0f);
}

TEST_F(RemoteControl, OneControllerDrivesEveryFunctionAssignedToIt) {
    engine->setParameter(kParamPolyCC, 11 / 128.0f);
    engine->setParameter(kParamKillCC, 11 / 128.0f);
    engine->setParameter(kParamPanicCC, 11 / 128.0f);
    EXPECT_EQ(Block({CC(10, 100)}), PanicMessages());
    EXPECT_EQ(Polyphony(), 100);
    EXPECT_EQ(engine->getParameter(kParamKill), 1.0f);
    EXPECT_EQ(engine->getParameter(kParamPanic), 1.0f);
}

TEST_F(RemoteControl, UnassignedControllersFollowMidiThrough) {
    engine->setParameter(kParamPolyCC, 8 / 128.0f);
    EXPECT_TRUE(Block({CC(0, 5), CC(8, 5)}).empty());
    engine->setParameter(kParamMidiThrough, 1.0f);
    EXPECT_EQ(Block({CC(0, 5)}), (std::vector<Msg>{{0xB0, 0, 5, 0}}));
    EXPECT_EQ(Polyphony(), 16);
}

// --- MIDI learn -------------------------------------------------------------------

TEST_F(MidiLearn, TheNextControllerIsAssignedToEveryArmedTarget) {
    engine->setParameter(kParamMidiThrough, 1.0f);
    engine->setParameter(kParamKillCC, 3 / 128.0f);
    engine->ArmLearn(LearnTarget::Polyphony, true);
    engine->ArmLearn(LearnTarget::Panic, true);
    engine->SetLearning(true);
    EXPECT_TRUE(Block({CC(7, 99, 9)}).empty()); // consumed, any channel
    EXPECT_EQ(Program(0).polyCC, 8);
    EXPECT_EQ(Program(0).panicCC, 8);
    EXPECT_EQ(Program(0).killCC, 3);
    EXPECT_FALSE(engine->Learning());
    EXPECT_FALSE(engine->LearnArmed(LearnTarget::Polyphony));
    EXPECT_FALSE(engine->LearnArmed(LearnTarget::Panic));
    // The learnt controller now sets the polyphony and triggers the panic.
    EXPECT_EQ(Block({CC(7, 100)}), PanicMessages());
    EXPECT_EQ(Polyphony(), 100);
}

TEST_F(MidiLearn, NotesAreNotCapturedAndOnlyTheFirstControllerIs) {
    engine->setParameter(kParamMidiThrough, 1.0f);
    engine->ArmLearn(LearnTarget::Kill, true);
    engine->SetLearning(true);
    EXPECT_EQ(Block({On(0, 60), CC(20, 1), CC(21, 1)}), (std::vector<Msg>{{0x90, 60, 100, 0}, {0xB0, 21, 1, 0}}));
    EXPECT_EQ(Program(0).killCC, 21);
}

TEST_F(MidiLearn, SuspendEndsLearningButKeepsTheTargets) {
    engine->ArmLearn(LearnTarget::Polyphony, true);
    engine->SetLearning(true);
    engine->suspend();
    EXPECT_FALSE(engine->Learning());
    EXPECT_TRUE(engine->LearnArmed(LearnTarget::Polyphony));
}

// --- Panic --------------------------------------------------------------------------

TEST_F(Panic, SendsAllSoundOffAndCentredPitchBendOnEveryChannelOnce) {
    engine->setParameter(kParamPanic, 1.0f);
    engine->setParameter(kParamPanic, 1.0f);
    EXPECT_EQ(Block(), PanicMessages());
    EXPECT_TRUE(Block().empty());
    engine->setParameter(kParamPanic, 0.0f);
    EXPECT_TRUE(Block().empty());
    engine->setParameter(kParamPanic, 1.0f);
    EXPECT_EQ(Block(), PanicMessages());
}

TEST_F(Panic, LeavesTheSoundingNotesCounted) {
    Block({On(0, 60)});
    engine->setParameter(kParamPanic, 1.0f);
    Block();
    EXPECT_EQ(Active(), 1);
    EXPECT_EQ(Block({Off(0, 60)}), (std::vector<Msg>{{0x80, 60, 0, 0}}));
}

TEST_F(Panic, AnEditorPressSendsItOnceAndLeavesItOff) {
    // The editor's press pulses the parameter off, on, off.
    engine->setParameter(kParamPanic, 0.0f);
    engine->setParameter(kParamPanic, 1.0f);
    engine->setParameter(kParamPanic, 0.0f);
    EXPECT_EQ(Block(), PanicMessages());
    EXPECT_EQ(engine->getParameter(kParamPanic), 0.0f);
}

TEST_F(Panic, RepeatedWithinOneBlockItIsSentOnce) {
    // The same messages already wait for the block: a repeat adds nothing
    // and cannot crowd other events out.
    engine->setParameter(kParamPanicCC, 31 / 128.0f); // controller 30
    std::vector<midievent> block;
    for (int i = 0; i < 40; ++i)
        block.push_back(CC(30, i % 2 ? 0 : 127));
    EXPECT_EQ(Block(block), PanicMessages());
    engine->setParameter(kParamPanic, 1.0f);
    EXPECT_EQ(Block(), PanicMessages());
}

}  // namespace
