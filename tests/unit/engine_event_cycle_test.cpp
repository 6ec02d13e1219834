// One audio block at a time: MIDI in through the note table, audio through,
// and every resulting event back to the host in one block.
#include "engine_rig.h"

#include <random>

using namespace engine_test;

namespace {

using Cycle = Engine;

TEST_F(Cycle, NotesWithinTheLimitPassAtTheirOwnTimes) {
    EXPECT_EQ(Block({On(0, 60, 100, 3), On(1, 62, 90, 7)}),
              (std::vector<Msg>{{0x90, 60, 100, 3}, {0x91, 62, 90, 7}}));
    EXPECT_EQ(blockSizes, std::vector<int>{2});
    EXPECT_EQ(Active(), 2);
}

TEST_F(Cycle, StealingEndsTheOldestNoteWhenKillIsOn) {
    SetPolyphony(2);
    engine->setParameter(kParamKill, 1.0f);
    EXPECT_EQ(Block({On(0, 60), On(0, 62), On(0, 64, 80, 9)}),
              (std::vector<Msg>{{0x90, 60, 100, 0}, {0x90, 62, 100, 0}, {0x80, 60, 0, 9}, {0x90, 64, 80, 9}}));
    // The stolen note's own note-off is swallowed later.
    EXPECT_TRUE(Block({Off(0, 60)}).empty());
    EXPECT_EQ(Block({Off(0, 62, 0, 4)}), (std::vector<Msg>{{0x80, 62, 0, 4}}));
}

TEST_F(Cycle, RefusedNotesAndTheirNoteOffsAreSwallowed) {
    SetPolyphony(1);
    EXPECT_EQ(Block({On(0, 60), On(0, 61)}), (std::vector<Msg>{{0x90, 60, 100, 0}}));
    EXPECT_TRUE(Block({Off(0, 61)}).empty());
    EXPECT_EQ(Active(), 1);
}

TEST_F(Cycle, AVelocityZeroNoteOnLeavesAsARealNoteOff) {
    Block({On(2, 60)});
    EXPECT_EQ(Block({Midi(0x92, 60, 0, 5)}), (std::vector<Msg>{{0x82, 60, 0, 5}}));
    // For a note that is not sounding nothing goes out.
    EXPECT_TRUE(Block({Midi(0x92, 61, 0)}).empty());
    EXPECT_EQ(Active(), 0);
}

TEST_F(Cycle, ANoteOffLeavesWithReleaseVelocityZeroAtItsOwnTime) {
    Block({On(0, 60)});
    EXPECT_EQ(Block({Off(0, 60, 100, 21)}), (std::vector<Msg>{{0x80, 60, 0, 21}}));
}

TEST_F(Cycle, OtherMessagesPassOnlyWithMidiThroughOn) {
    const std::vector<midievent> others = {Midi(0xE0, 0, 70), Midi(0xA1, 60, 20), Midi(0xD2, 30, 0),
                                              Midi(0xF8, 0, 0), CC(1, 64)};
    EXPECT_TRUE(Block(others).empty());
    engine->setParameter(kParamMidiThrough, 1.0f);
    EXPECT_EQ(Block(others), (std::vector<Msg>{{0xE0, 0, 70, 0}, {0xA1, 60, 20, 0}, {0xD2, 30, 0, 0},
                                               {0xF8, 0, 0, 0}, {0xB0, 1, 64, 0}}));
    // Notes pass with through off too.
    engine->setParameter(kParamMidiThrough, 0.0f);
    EXPECT_EQ(Block({On(0, 60)}).size(), 1u);
}

TEST_F(Cycle, AForwardedMessageKeepsAllItsBytes) {
    engine->setParameter(kParamMidiThrough, 1.0f);
    midievent e = Midi(0xE3, 5, 99, 17);
    e.flags = 1;
    e.noteLength = 480;
    e.noteOffset = 12;
    e.midiData[3] = 0x55;
    e.detune = -3;
    e.noteOffVelocity = 9;
    e.reserved1 = 1;
    e.reserved2 = 2;
    Block({e});
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(std::memcmp(&events[0], &e, sizeof e), 0);
}

TEST_F(Cycle, NoteOnsLeaveByteForByteAndAStolenNoteOffCarriesTheirFields) {
    SetPolyphony(1);
    engine->setParameter(kParamKill, 1.0f);
    auto Detailed = [](int note, int delta) {
        midievent e = On(2, note, 90, delta);
        e.flags = 1;
        e.noteLength = 480;
        e.midiData[3] = 0x55;
        e.detune = -3;
        return e;
    };
    const midievent admitted = Detailed(60, 5);
    const midievent stealing = Detailed(61, 9);
    Block({admitted, stealing});
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(std::memcmp(&events[0], &admitted, sizeof admitted), 0);
    EXPECT_EQ(std::memcmp(&events[2], &stealing, sizeof stealing), 0);
    midievent stolen = stealing;  // the note-off of 60 at the stealing note's time
    stolen.midiData[0] = static_cast<char>(0x82);
    stolen.midiData[1] = 60;
    stolen.midiData[2] = 0;
    EXPECT_EQ(std::memcmp(&events[1], &stolen, sizeof stolen), 0);
}

TEST_F(Cycle, AProgramChangeSwitchesPresetsOnlyWithPresetSwitchingOn) {
    engine->setParameter(kParamMidiThrough, 1.0f);
    EXPECT_EQ(Block({Midi(0xC0, 3, 0)}), (std::vector<Msg>{{0xC0, 3, 0, 0}}));
    EXPECT_EQ(engine->getProgram(), 0);

    engine->setParameter(kParamPresetSwitching, 1.0f);
    EXPECT_TRUE(Block({Midi(0xC0, 3, 0)}).empty());
    EXPECT_EQ(engine->getProgram(), 3);
    // Beyond the 32 programs: consumed, nothing changes.
    EXPECT_TRUE(Block({Midi(0xC0, 40, 0)}).empty());
    EXPECT_EQ(engine->getProgram(), 3);
}

// A busy stream: notes on three channels with their note-offs, pitch
// bends, All Notes Off and program changes.
std::vector<midievent> BusyStream(int count, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<midievent> events;
    for (int i = 0; i < count; ++i) {
        const int channel = static_cast<int>(rng() % 3), note = static_cast<int>(rng() % 24), kind = rng() % 20;
        if (kind < 9)
            events.push_back(On(channel, note, 100, i % 64));
        else if (kind < 17)
            events.push_back(Off(channel, note, 0, i % 64));
        else if (kind < 18)
            events.push_back(Midi(0xE0 | channel, 0, note, i % 64));
        else if (kind < 19)
            events.push_back(Midi(0xB0 | channel, kova::midi::ccAllNotesOff, 0, i % 64));
        else
            events.push_back(Midi(0xC0, note % 3, 0, i % 64));
    }
    return events;
}

TEST_F(Cycle, ABlockUpToTheBoundGivesWhatTheSameEventsGiveInTwoBlocks) {
    for (const int count : {300, PolyphonyEngine::kBlockEvents}) {
        const std::vector<midievent> stream = BusyStream(count, static_cast<unsigned>(count));
        std::vector<Msg> outputs[2];
        for (int blocks = 1; blocks <= 2; ++blocks) {
            engine.reset(new PolyphonyEngine);
            engine->setParameter(kParamMidiThrough, 1.0f);
            engine->setParameter(kParamPresetSwitching, 1.0f);
            engine->setParameter(kParamKill, 1.0f);
            SetPolyphony(3);
            const int first = blocks == 1 ? count : count / 2;
            outputs[blocks - 1] = Block({stream.begin(), stream.begin() + first});
            const std::vector<Msg> rest = Block({stream.begin() + first, stream.end()});
            outputs[blocks - 1].insert(outputs[blocks - 1].end(), rest.begin(), rest.end());
        }
        EXPECT_GT(outputs[0].size(), static_cast<size_t>(count) / 3) << count;
        EXPECT_EQ(outputs[0], outputs[1]) << count;
    }
}

TEST_F(Cycle, PastTheBoundOnlyWhatEndsNotesIsHandled) {
    // The same through the voice allocator (Steal Lowest).
    for (const float policy : {0.0f, 0.5f}) {
        SCOPED_TRACE(policy);
        engine.reset(new PolyphonyEngine);
        engine->setParameter(kParamStealPolicy, policy);
        SetPolyphony(127);
        engine->setParameter(kParamMidiThrough, 1.0f);
        std::vector<midievent> block;
        for (int note = 0; note < 4; ++note)
            block.push_back(On(0, note));
        while (block.size() < static_cast<size_t>(PolyphonyEngine::kBlockEvents))
            block.push_back(Midi(0xE0, 0, 64));
        // Past the bound: a new note and a bend are dropped; a note-off and All
        // Notes Off still end the notes, the controller itself stays back.
        block.push_back(On(0, 60));
        block.push_back(Midi(0xE0, 0, 1));
        block.push_back(Off(0, 0, 0, 5));
        block.push_back(Midi(0xB0, kova::midi::ccAllNotesOff, 0));
        const std::vector<Msg> out = Block(block);
        ASSERT_EQ(out.size(), static_cast<size_t>(PolyphonyEngine::kBlockEvents) + 4u);
        EXPECT_EQ(out[PolyphonyEngine::kBlockEvents - 1], (Msg{0xE0, 0, 64, 0}));
        EXPECT_EQ(std::vector<Msg>(out.end() - 4, out.end()),
                  (std::vector<Msg>{{0x80, 0, 0, 5}, {0x80, 1, 0, 0}, {0x80, 2, 0, 0}, {0x80, 3, 0, 0}}));
        EXPECT_EQ(Active(), 0);
        // The next block counts afresh.
        EXPECT_EQ(Block({On(0, 60)}), (std::vector<Msg>{{0x90, 60, 100, 0}}));
    }
}

TEST_F(Cycle, TheWorstCaseBlockLosesNoEventAndLeavesInOneHostBlock) {
    // Every note-on of a block at the bound steals.
    constexpr int kEvents = PolyphonyEngine::kBlockEvents;
    SetPolyphony(1);
    engine->setParameter(kParamKill, 1.0f);
    std::vector<midievent> events;
    for (int i = 0; i < kEvents; ++i)
        events.push_back(On(i / 128 % 16, i % 128, 100, i));
    const std::vector<Msg> out = Block(events);
    ASSERT_EQ(out.size(), 2u * kEvents - 1);
    EXPECT_EQ(blockSizes, std::vector<int>{2 * kEvents - 1});
    EXPECT_EQ(out[0], (Msg{0x90, 0, 100, 0}));
    for (int i = 1; i < kEvents; ++i) {
        const int previous = i - 1;
        ASSERT_EQ(out[2 * i - 1], (Msg{0x80 | previous / 128 % 16, previous % 128, 0, i})) << i;
        ASSERT_EQ(out[2 * i], (Msg{0x90 | i / 128 % 16, i % 128, 100, i})) << i;
    }
}

TEST_F(Cycle, AFullTableALoweredLimitStealingAndAPanicAllLeaveInOneBlock) {
    // 128 notes sound (a loaded limit of 128); in one block the limit drops
    // to 1 by remote controller, a panic is triggered and 254 new notes
    // each steal: 127 + 32 + 508 events, none lost.
    std::vector<unsigned char> bank = Bank();
    const int32_t wide = 128;
    std::memcpy(bank.data() + offsetof(VSTPluginProgram, polyphony), &wide, sizeof wide);
    LoadBank(bank);
    std::vector<midievent> notes;
    for (int i = 0; i < 128; ++i)
        notes.push_back(On(i / 64, i % 64));
    ASSERT_EQ(Block(notes).size(), 128u);
    ASSERT_EQ(Active(), 128);

    engine->setParameter(kParamPolyCC, 21 / 128.0f);  // controller 20
    engine->setParameter(kParamPanicCC, 22 / 128.0f); // controller 21
    engine->setParameter(kParamKill, 1.0f);
    std::vector<midievent> block = {Midi(0xB0, 20, 1, 0), Midi(0xB0, 21, 127, 0)};
    for (int i = 0; i < 254; ++i)
        block.push_back(On(9 + i / 128, i % 128, 100, i));
    const std::vector<Msg> out = Block(block);
    ASSERT_EQ(out.size(), 127u + 32u + 508u);
    EXPECT_EQ(blockSizes.back(), 667);
    EXPECT_EQ(out[0], (Msg{0x80, 0, 0, 0}));      // oldest first
    EXPECT_EQ(out[126], (Msg{0x81, 62, 0, 0}));   // the newest stays
    EXPECT_EQ(out[127], (Msg{0xB0, 120, 0, 0}));  // panic
    EXPECT_EQ(out[159], (Msg{0x81, 63, 0, 0}));   // first steal
    EXPECT_EQ(out.back(), (Msg{0x9A, 125, 100, 253}));
    EXPECT_EQ(Active(), 1);
}

TEST_F(Cycle, SuspendForgetsSoundingNotesWithoutNoteOffs) {
    Block({On(0, 60), On(0, 61)});
    engine->suspend();
    EXPECT_TRUE(Out().empty());
    EXPECT_EQ(Active(), 0);
    EXPECT_TRUE(Block({Off(0, 60)}).empty());
}

TEST_F(Cycle, EventsMadeBetweenBlocksLeaveAtTheNextFlushAtFrameZero) {
    Block({On(0, 60, 100, 30), On(0, 61, 100, 31)});
    SetPolyphony(1);
    EXPECT_TRUE(Out().empty());
    EXPECT_EQ(Block(), (std::vector<Msg>{{0x80, 60, 0, 0}}));
}

}  // namespace
