// Controllers that end or hold a channel's notes: All Notes Off, All Sound
// Off and, with its option on, the sustain pedal.
#include "engine_rig.h"

using namespace engine_test;

namespace {

using AllNotesOff = Engine;

struct SustainPedal : Engine {
    void SetUp() override { engine->setParameter(kParamSustainPedal, 1.0f); }
    static midievent Pedal(int channel, int value, int delta = 0) { return Midi(0xB0 | channel, 64, value, delta); }
};

midievent ChannelCC(int channel, int controller, int value, int delta) {
    return Midi(0xB0 | channel, controller, value, delta);
}

TEST_F(AllNotesOff, EndsTheChannelsNotesInAscendingOrderAndFreesTheirPlaces) {
    SetPolyphony(4);
    Block({On(0, 64), On(0, 60), On(1, 62), On(0, 62)});
    EXPECT_EQ(Block({ChannelCC(0, 123, 0, 7)}),
              (std::vector<Msg>{{0x80, 60, 0, 7}, {0x80, 62, 0, 7}, {0x80, 64, 0, 7}}));
    EXPECT_EQ(Active(), 1);
    // With Kill off, three new notes find room again; the note on channel 1
    // was left alone and its note-off still passes.
    EXPECT_EQ(Block({On(2, 40), On(2, 41), On(2, 42)}).size(), 3u);
    EXPECT_EQ(Block({Off(1, 62)}), (std::vector<Msg>{{0x81, 62, 0, 0}}));
    // The ended notes' own note-offs are swallowed.
    EXPECT_TRUE(Block({Off(0, 60), Off(0, 64)}).empty());
    // Mode messages end a receiver's notes too.
    EXPECT_EQ(Block({ChannelCC(2, 126, 1, 3)}).size(), 3u);
    EXPECT_EQ(Active(), 0);
}

TEST_F(AllNotesOff, AHostsSweepOfEveryChannelEndsAllNotesAndPassesWithThrough) {
    SetPolyphony(2);
    engine->setParameter(kParamKill, 1.0f);
    engine->setParameter(kParamMidiThrough, 1.0f);
    Block({On(3, 50), On(9, 36)});
    std::vector<midievent> sweep;
    for (int c = 0; c < 16; ++c) {
        sweep.push_back(ChannelCC(c, 64, 0, 2));
        sweep.push_back(ChannelCC(c, 121, 0, 2));
        sweep.push_back(ChannelCC(c, c % 2 ? 123 : 120, 0, 2));
    }
    const std::vector<Msg> out = Block(sweep);
    ASSERT_EQ(out.size(), 48u + 2u);
    EXPECT_EQ(out[11], (Msg{0x83, 50, 0, 2}));   // before channel 3's All Notes Off
    EXPECT_EQ(out[12], (Msg{0xB3, 123, 0, 2}));
    EXPECT_EQ(out[30], (Msg{0x89, 36, 0, 2}));  // before channel 9's All Notes Off
    EXPECT_EQ(out[31], (Msg{0xB9, 123, 0, 2}));
    EXPECT_EQ(Active(), 0);
    // With Kill on, new notes steal nothing: no note that no longer sounds.
    EXPECT_EQ(Block({On(0, 60), On(0, 61)}), (std::vector<Msg>{{0x90, 60, 100, 0}, {0x90, 61, 100, 0}}));
}

TEST_F(AllNotesOff, AControllerThatIsConsumedEndsNothing) {
    engine->setParameter(kParamKillCC, 124 / 128.0f);  // controller 123 switches Kill
    Block({On(0, 60)});
    EXPECT_TRUE(Block({ChannelCC(0, 123, 127, 0)}).empty());
    EXPECT_EQ(Active(), 1);
    EXPECT_EQ(engine->getParameter(kParamKill), 1.0f);
}

TEST_F(AllNotesOff, EndsHeldNotesTooAndLeavesThePedalDown) {
    engine->setParameter(kParamSustainPedal, 1.0f);
    Block({Midi(0xB0, 64, 127), On(0, 60), Off(0, 60), On(0, 62)});
    EXPECT_EQ(Block({ChannelCC(0, 123, 0, 3)}), (std::vector<Msg>{{0x80, 60, 0, 3}, {0x80, 62, 0, 3}}));
    EXPECT_EQ(Active(), 0);
    Block({On(0, 64)});
    EXPECT_TRUE(Block({Off(0, 64)}).empty());
    EXPECT_EQ(Active(), 1);
}

// --- Sustain pedal ----------------------------------------------------------------

TEST_F(SustainPedal, HeldNotesCountAgainstTheLimitUntilThePedalLiftsThemInNoteOrder) {
    SetPolyphony(2);
    engine->setParameter(kParamMidiThrough, 1.0f);
    char display[64];
    engine->getParameterDisplay(kParamSustainPedal, display);
    EXPECT_STREQ(display, "On");
    // The pedal is taken by the limiter even with Midi Through on.
    EXPECT_EQ(Block({Pedal(0, 100), On(0, 62), Midi(0x90, 62, 0), On(0, 60), Off(0, 60)}),
              (std::vector<Msg>{{0x90, 62, 100, 0}, {0x90, 60, 100, 0}}));
    EXPECT_EQ(Active(), 2);
    EXPECT_TRUE(Block({On(0, 64)}).empty());  // Kill off: no room
    // A pedal on another channel holds nothing here.
    EXPECT_TRUE(Block({Pedal(1, 0)}).empty());
    EXPECT_EQ(Block({Pedal(0, 63, 5)}), (std::vector<Msg>{{0x80, 60, 0, 5}, {0x80, 62, 0, 5}}));
    EXPECT_EQ(Active(), 0);
    // With the pedal up a note-off passes at once.
    Block({On(0, 64)});
    EXPECT_EQ(Block({Off(0, 64)}), (std::vector<Msg>{{0x80, 64, 0, 0}}));
}

TEST_F(SustainPedal, AStolenHeldNoteSendsItsNoteOffAndTheLiftSkipsIt) {
    SetPolyphony(2);
    engine->setParameter(kParamKill, 1.0f);
    Block({Pedal(0, 127), On(0, 60), Off(0, 60), On(0, 62)});
    EXPECT_EQ(Block({On(0, 64, 100, 4)}), (std::vector<Msg>{{0x80, 60, 0, 4}, {0x90, 64, 100, 4}}));
    EXPECT_TRUE(Block({Pedal(0, 0)}).empty());
    EXPECT_EQ(Active(), 2);
}

TEST_F(SustainPedal, AHeldNoteStruckAgainSoundsOnUntilItsOwnNoteOff) {
    Block({Pedal(0, 127), On(0, 60), Off(0, 60)});
    EXPECT_EQ(Block({On(0, 60, 90)}), (std::vector<Msg>{{0x90, 60, 90, 0}}));
    EXPECT_TRUE(Block({Pedal(0, 0)}).empty());
    EXPECT_EQ(Active(), 1);
    EXPECT_EQ(Block({Off(0, 60)}), (std::vector<Msg>{{0x80, 60, 0, 0}}));
}

TEST_F(SustainPedal, SwitchingItOffReleasesHeldNotesAndForgetsThePedals) {
    engine->setParameter(kParamMidiThrough, 1.0f);
    Block({Pedal(2, 127), Pedal(0, 127), On(2, 40), On(0, 70), On(0, 50), Off(2, 40), Off(0, 70), Off(0, 50)});
    engine->setParameter(kParamSustainPedal, 0.0f);
    EXPECT_EQ(Block(), (std::vector<Msg>{{0x80, 50, 0, 0}, {0x80, 70, 0, 0}, {0x82, 40, 0, 0}}));
    // Off, the pedal is an ordinary controller.
    EXPECT_EQ(Block({Pedal(1, 127)}), (std::vector<Msg>{{0xB1, 64, 127, 0}}));
    // Switched on again, every pedal counts as up until its next move.
    engine->setParameter(kParamSustainPedal, 1.0f);
    Block({On(1, 60), On(0, 60)});
    EXPECT_EQ(Block({Off(1, 60), Off(0, 60)}), (std::vector<Msg>{{0x81, 60, 0, 0}, {0x80, 60, 0, 0}}));
    // Suspend forgets the pedals and what they held.
    Block({Pedal(0, 127), On(0, 61), Off(0, 61)});
    engine->suspend();
    Block({On(0, 62)});
    EXPECT_EQ(Block({Off(0, 62)}), (std::vector<Msg>{{0x80, 62, 0, 0}}));
}

TEST_F(SustainPedal, IsPerProgramAndASwitchLowersTheLimitBeforeReleasing) {
    SetPolyphony(4);
    engine->setProgram(1);
    SetPolyphony(2);
    EXPECT_EQ(engine->getParameter(kParamSustainPedal), 0.0f);
    engine->setProgram(0);
    EXPECT_EQ(engine->getParameter(kParamSustainPedal), 1.0f);
    Block({Pedal(0, 127), On(0, 50), On(0, 60), Off(0, 60), On(0, 55), Off(0, 55), On(0, 70)});
    engine->setProgram(1);
    EXPECT_EQ(Block(), (std::vector<Msg>{{0x80, 50, 0, 0}, {0x80, 60, 0, 0}, {0x80, 55, 0, 0}}));
    EXPECT_EQ(Active(), 1);
}

TEST_F(SustainPedal, ASwitchByProgramChangeEndsNotesAtItsOwnFrameAfterTheEarlierEvents) {
    // Events made inside a block keep its order: a receiver that sorts by
    // frame would otherwise end a note before it starts.
    engine->setParameter(kParamPresetSwitching, 1.0f);
    engine->setProgram(1);
    SetPolyphony(1);
    engine->setProgram(0);
    EXPECT_EQ(Block({Pedal(0, 127), On(0, 50), On(0, 60, 100, 5), Off(0, 60, 0, 8), Midi(0xC0, 1, 0, 50)}),
              (std::vector<Msg>{{0x90, 50, 100, 0}, {0x90, 60, 100, 5}, {0x80, 50, 0, 50}, {0x80, 60, 0, 50}}));
}

TEST_F(SustainPedal, IsStoredInByte91SoOldChunksLoadWithItOff) {
    const std::vector<unsigned char> withPedal = Bank();
    EXPECT_EQ(withPedal[91], 1);
    EXPECT_EQ(withPedal[96 + 91], 0);
    std::vector<unsigned char> old = withPedal;
    old[91] = 0;
    Block({Pedal(0, 127), On(0, 60), Off(0, 60)});
    LoadBank(old);
    EXPECT_EQ(engine->getParameter(kParamSustainPedal), 0.0f);
    EXPECT_EQ(Block(), (std::vector<Msg>{{0x80, 60, 0, 0}}));
    LoadBank(withPedal);
    EXPECT_EQ(engine->getParameter(kParamSustainPedal), 1.0f);
}

}  // namespace
