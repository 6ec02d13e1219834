// The allocation options: which note a steal or a lower limit ends, the
// limit per channel, and notes that come back when a voice frees.
#include <cmath>
#include <cstddef>
#include <cstring>

#include "engine_rig.h"

using namespace engine_test;

namespace {

struct Allocation : Engine {
    void Options(int policy, bool perChannel = false, bool noteReturn = false) {
        engine->setParameter(kParamStealPolicy, policy / 4.0f);
        engine->setParameter(kParamPerChannel, perChannel ? 1.0f : 0.0f);
        engine->setParameter(kParamNoteReturn, noteReturn ? 1.0f : 0.0f);
    }
};

struct Note {
    int channel, note, velocity;
};

struct VictimCase {
    int policy;
    std::vector<Note> struck;  // in this order; a repeated note is struck again
    Note victim;
};

// Three notes sound at the limit of 3; the victim is the one a fourth
// note-on steals and the one lowering the limit to 2 ends.
const VictimCase kVictims[] = {
    {0, {{0, 60, 100}, {0, 50, 80}, {0, 70, 80}}, {0, 60, 0}},
    {1, {{0, 60, 100}, {0, 50, 80}, {0, 70, 80}}, {0, 70, 0}},
    {2, {{1, 50, 100}, {0, 50, 100}, {0, 70, 100}}, {1, 50, 0}},    // tie on note: the older
    {2, {{1, 50, 100}, {0, 50, 100}, {0, 70, 100}, {1, 50, 90}}, {0, 50, 0}},  // struck again: newest
    {3, {{0, 70, 100}, {1, 70, 100}, {0, 50, 100}}, {0, 70, 0}},
    {3, {{0, 30, 100}, {0, 90, 100}, {0, 50, 100}}, {0, 90, 0}},
    {4, {{0, 60, 100}, {0, 61, 80}, {1, 62, 80}}, {0, 61, 0}},
    {4, {{0, 60, 100}, {0, 61, 80}, {1, 62, 81}}, {0, 61, 0}},
};

TEST_F(Allocation, EachPolicyEndsTheNoteWithTheSmallestKeyWhenStealingAndLowering) {
    for (const VictimCase& c : kVictims) {
        for (bool lowering : {false, true}) {
            SCOPED_TRACE(testing::Message() << "policy " << c.policy << (lowering ? " lowering" : " stealing"));
            engine.reset(new PolyphonyEngine);
            SetPolyphony(3);
            engine->setParameter(kParamKill, 1.0f);
            Options(c.policy);
            for (const Note& n : c.struck)
                Block({On(n.channel, n.note, n.velocity)});
            const Msg off{0x80 | c.victim.channel, c.victim.note, 0, 0};
            if (lowering) {
                SetPolyphony(2);
                EXPECT_EQ(Block(), (std::vector<Msg>{off}));
            } else {
                EXPECT_EQ(Block({On(2, 10)}), (std::vector<Msg>{off, {0x92, 10, 100, 0}}));
            }
        }
    }
}

TEST_F(Allocation, ANoteOnAboveALoadedLowerLimitEndsTheSmallestKeysThenSteals) {
    SetPolyphony(8);
    engine->setParameter(kParamKill, 1.0f);
    Options(3);
    Block({On(0, 60), On(0, 64), On(0, 50), On(0, 62)});
    // A limit loaded lower ends no note until the next note-on.
    std::vector<unsigned char> bank = Bank();
    const int32_t two = 2;
    std::memcpy(bank.data() + offsetof(VSTPluginProgram, polyphony), &two, sizeof two);
    LoadBank(bank);
    EXPECT_TRUE(Block().empty());
    EXPECT_EQ(Block({On(0, 70, 100, 6)}), (std::vector<Msg>{{0x80, 64, 0, 6}, {0x80, 62, 0, 6}, {0x80, 60, 0, 6},
                                                             {0x90, 70, 100, 6}}));
    EXPECT_EQ(Active(), 2);
}

TEST_F(Allocation, PerChannelAdmitsAndStealsWithinTheChannel) {
    SetPolyphony(2);
    Options(0, true);
    Block({On(0, 60), On(1, 40), On(1, 41), On(0, 61)});
    EXPECT_TRUE(Block({On(0, 62)}).empty());  // channel 0 is at the limit, Kill off
    EXPECT_EQ(Active(), 4);
    engine->setParameter(kParamKill, 1.0f);
    // Channel 1's notes are older, yet channel 0's oldest gives way.
    EXPECT_EQ(Block({On(0, 62)}), (std::vector<Msg>{{0x80, 60, 0, 0}, {0x90, 62, 100, 0}}));
    // Lowering ends notes per channel, channels in ascending order.
    SetPolyphony(1);
    EXPECT_EQ(Block(), (std::vector<Msg>{{0x80, 61, 0, 0}, {0x81, 40, 0, 0}}));
    // Per Channel off lowers to the total.
    engine->setParameter(kParamPerChannel, 0.0f);
    EXPECT_EQ(Block(), (std::vector<Msg>{{0x81, 41, 0, 0}}));
    // Notes ended by All Notes Off leave their channel's count.
    engine->setParameter(kParamPerChannel, 1.0f);
    EXPECT_EQ(Block({CC(123, 0, 0), On(0, 70)}), (std::vector<Msg>{{0x80, 62, 0, 0}, {0x90, 70, 100, 0}}));
}

TEST_F(Allocation, PerChannelBelowTheLimitRefusesWhenTheTableIsFull) {
    SetPolyphony(9);
    engine->setParameter(kParamKill, 1.0f);
    Options(0, true);
    std::vector<midievent> fill;
    for (int channel = 0; channel < 16; ++channel)
        for (int note = 0; note < 8; ++note)
            fill.push_back(On(channel, note));
    EXPECT_EQ(Block(fill).size(), 128u);
    EXPECT_TRUE(Block({On(3, 100)}).empty());
    EXPECT_EQ(Active(), 128);
}

TEST_F(Allocation, StolenRefusedAndLoweredNotesReturnInKeyOrderAtTheFrame) {
    SetPolyphony(2);
    engine->setParameter(kParamKill, 1.0f);
    Options(0, false, true);
    // Stolen: the first note waits and comes back when a voice frees.
    Block({On(0, 60, 90), On(0, 62), On(0, 64, 100, 5)});
    EXPECT_EQ(Block({Off(0, 62, 0, 10)}), (std::vector<Msg>{{0x80, 62, 0, 10}, {0x90, 60, 90, 10}}));
    // Refused: with Kill off two more wait; the newest (largest key) first.
    engine->setParameter(kParamKill, 0.0f);
    Block({On(0, 40, 70), On(0, 41, 71)});
    EXPECT_EQ(Block({Off(0, 64, 0, 3)}), (std::vector<Msg>{{0x80, 64, 0, 3}, {0x90, 41, 71, 3}}));
    EXPECT_EQ(Block({Off(0, 60, 0, 4)}), (std::vector<Msg>{{0x80, 60, 0, 4}, {0x90, 40, 70, 4}}));
    // Lowered, with the highest policy: both wait, and when the limit rises
    // the lower note (the larger key) comes back first, at frame 0.
    engine->setParameter(kParamStealPolicy, 0.75f);
    SetPolyphony(0);
    EXPECT_EQ(Block(), (std::vector<Msg>{{0x80, 41, 0, 0}, {0x80, 40, 0, 0}}));
    SetPolyphony(2);
    EXPECT_EQ(Block(), (std::vector<Msg>{{0x90, 40, 70, 0}, {0x90, 41, 71, 0}}));
    // A returned note-on is a fresh event, and sounds as the newest.
    const midievent& back = events[events.size() - 2];
    midievent fresh;
    fresh.SetMessage(0x90, 40, 70);
    EXPECT_EQ(std::memcmp(&back, &fresh, sizeof fresh), 0);
    EXPECT_EQ(Active(), 2);
}

TEST_F(Allocation, AWaitingNotesNoteOffSendsNothingAndAHeldNoteNeverWaits) {
    SetPolyphony(1);
    engine->setParameter(kParamKill, 1.0f);
    engine->setParameter(kParamSustainPedal, 1.0f);
    Options(0, false, true);
    Block({On(0, 60), On(0, 62)});  // 60 waits
    EXPECT_TRUE(Block({CC(64, 127), Off(0, 60)}).empty());
    // 62 is held by the pedal; stolen, it does not wait (its key is up).
    EXPECT_EQ(Block({Off(0, 62), On(0, 64)}), (std::vector<Msg>{{0x80, 62, 0, 0}, {0x90, 64, 100, 0}}));
    EXPECT_EQ(Block({CC(64, 0), Off(0, 64)}), (std::vector<Msg>{{0x80, 64, 0, 0}}));
    EXPECT_EQ(Active(), 0);
}

TEST_F(Allocation, AllNotesOffSuspendAndTheOptionOffForgetWaitingNotes) {
    struct Forget {
        const char* what;
        void (*forget)(Allocation&);
        std::vector<Msg> sent;
    };
    const Forget cases[] = {
        {"all notes off", [](Allocation& t) { t.Queue({CC(123, 0)}); }, {{0x80, 62, 0, 0}}},
        {"suspend", [](Allocation& t) { t.engine->suspend(); }, {}},
        {"parameter", [](Allocation& t) { t.engine->setParameter(kParamNoteReturn, 0.0f); }, {}},
        {"program", [](Allocation& t) { t.engine->setProgram(1); }, {}},
        {"chunk", [](Allocation& t) {
             std::vector<unsigned char> bank = t.Bank();
             bank[72] = 0;
             t.LoadBank(bank);
         }, {}},
    };
    for (const Forget& c : cases) {
        SCOPED_TRACE(c.what);
        engine.reset(new PolyphonyEngine);
        SetPolyphony(1);
        engine->setParameter(kParamKill, 1.0f);
        Options(0, false, true);
        Block({On(0, 60), On(0, 62)});  // 60 waits
        c.forget(*this);
        EXPECT_EQ(Block(), c.sent);
        SetPolyphony(2);
        EXPECT_TRUE(Block().empty());
    }
}

TEST_F(Allocation, ReturnsBeyondAFlushsShareComeWithTheNextBlock) {
    // Lowering to 0 and raising again, twice, before one flush: 254
    // returns would not fit the output queue's bound; the last wait.
    SetPolyphony(127);
    Options(0, false, true);
    std::vector<midievent> fill;
    for (int note = 0; note < 127; ++note)
        fill.push_back(On(note % 16, note));
    Block(fill);
    for (int round = 0; round < 2; ++round) {
        SetPolyphony(0);
        SetPolyphony(127);
    }
    EXPECT_EQ(Block().size(), 127u * 3 + 1);
    EXPECT_EQ(Block().size(), 126u);
    EXPECT_EQ(Active(), 127);
}

TEST_F(Allocation, ParametersAndChunksKeepEveryStoredValue) {
    // Offsets 64, 68, 72 of a record: values a chunk may hold.
    const int32_t stored[][3] = {{7, 2, -1}, {-3, 0, 5}, {4, 1, 1}};
    for (const auto& values : stored) {
        std::vector<unsigned char> bank = Bank();
        for (int field = 0; field < 3; ++field)
            std::memcpy(&bank[64 + 4 * field], &values[field], 4);
        LoadBank(bank);
        EXPECT_EQ(Bank(), bank);
        const int policy = values[0] >= 0 && values[0] <= 4 ? values[0] : 0;
        EXPECT_EQ(engine->getParameter(kParamStealPolicy), policy / 4.0f);
        EXPECT_EQ(engine->getParameter(kParamPerChannel), values[1] ? 1.0f : 0.0f);
        EXPECT_EQ(engine->getParameter(kParamNoteReturn), values[2] ? 1.0f : 0.0f);
        // Setting what it already has, or NaN, changes no byte.
        engine->setParameter(kParamStealPolicy, policy / 4.0f);
        engine->setParameter(kParamPerChannel, values[1] ? 1.0f : 0.0f);
        engine->setParameter(kParamNoteReturn, values[2] ? 1.0f : 0.0f);
        engine->setParameter(kParamStealPolicy, std::nanf(""));
        engine->setParameter(kParamStealPolicy, 1.5f);
        EXPECT_EQ(Bank(), bank);
    }
    // A policy stored outside the range steals the oldest.
    std::vector<unsigned char> bank = Bank();
    bank[64] = 9;
    LoadBank(bank);
    SetPolyphony(2);
    engine->setParameter(kParamKill, 1.0f);
    Block({On(0, 70), On(0, 50)});
    EXPECT_EQ(Block({On(0, 60)}), (std::vector<Msg>{{0x80, 70, 0, 0}, {0x90, 60, 100, 0}}));
}

TEST_F(Allocation, ParameterNamesAndDisplays) {
    const char* const policies[] = {"Oldest", "Newest", "Lowest", "Highest", "Quietest"};
    char text[64];
    for (int policy = 0; policy < 5; ++policy) {
        engine->setParameter(kParamStealPolicy, policy > 0 ? policy * 0.25f - 0.1f : 0.0f);  // rounds to it
        engine->getParameterDisplay(kParamStealPolicy, text);
        EXPECT_STREQ(text, policies[policy]);
    }
    const char* const names[] = {"OP: Steal", "OP: Per Channel", "OP: Note Return"};
    for (int index = kParamStealPolicy; index <= kParamNoteReturn; ++index) {
        engine->getParameterName(index, text);
        EXPECT_STREQ(text, names[index - kParamStealPolicy]);
    }
    engine->setParameter(kParamNoteReturn, 0.6f);
    engine->getParameterDisplay(kParamNoteReturn, text);
    EXPECT_STREQ(text, "On");
    engine->getParameterDisplay(kParamPerChannel, text);
    EXPECT_STREQ(text, "Off");
}

}  // namespace
