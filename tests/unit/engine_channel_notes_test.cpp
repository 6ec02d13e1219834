// Controllers that end a channel's notes: All Notes Off and All Sound Off.
#include "engine_rig.h"

using namespace engine_test;

namespace {

using AllNotesOff = Engine;

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

}  // namespace
