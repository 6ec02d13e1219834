// The note table: admitting, refusing and stealing notes, and the queues.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "kova/midi/notetable.h"

using namespace kova::midi;

namespace {

constexpr int kTable = 128;

struct Sent {
    int status, data1, data2, delta;
    bool operator==(const Sent& o) const {
        return status == o.status && data1 == o.data1 && data2 == o.data2 && delta == o.delta;
    }
};

std::ostream& operator<<(std::ostream& os, const Sent& s) {
    return os << std::hex << "{0x" << s.status << std::dec << ", " << s.data1 << ", " << s.data2
              << ", @" << s.delta << "}";
}

midievent Event(int status, int data1, int data2, int delta = 0) {
    midievent e;
    e.SetMessage(status, data1, data2);
    e.deltaFrames = delta;
    return e;
}

// A note table with its count and counter, driven by note-ons and note-offs
// and drained into a list of sent messages.
struct Table {
    noteinfo notes[kTable];
    int activeCount = 0;
    float ageCounter = 0.0f;
    int polyphony = 2;
    bool kill = false;
    midiqueue<256> out;

    void On(int channel, int note, int velocity = 100, int delta = 0) {
        midievent e = Event(0x90 | channel, note, velocity, delta);
        midiNoteOnQueueAdvanced(e, &out, &polyphony, kill, notes, &activeCount, ageCounter, kTable);
    }
    bool Off(int channel, int note, int delta = 0) {
        midievent e = Event(0x80 | channel, note, 64, delta);
        return midiNoteOffQueue(e, &out, notes, &activeCount, kTable);
    }
    std::vector<Sent> Drain() {
        std::vector<Sent> sent;
        while (!out.empty()) {
            const midievent& e = out.pop();
            sent.push_back({e.midiData[0], e.midiData[1], e.midiData[2], e.deltaFrames});
        }
        return sent;
    }
    bool Sounding(int channel, int note) const {
        return findNote(notes, kTable, channel, note) != noEntry;
    }
};

} // namespace

// --- The queue -------------------------------------------------------------

TEST(EventQueue, KeepsEventsInOrderAcrossTheEndOfItsRing) {
    midiqueue<4> q;
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(q.push(Event(0x90, round * 10 + i, 1)));
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(q.pop().midiData[1], round * 10 + i);
    }
    EXPECT_TRUE(q.empty());
}

TEST(EventQueue, DropsWhatArrivesWhenFullAndKeepsWhatItHas) {
    midiqueue<2> q;
    EXPECT_TRUE(q.push(Event(0x90, 1, 1)));
    EXPECT_TRUE(q.push(Event(0x90, 2, 1)));
    EXPECT_FALSE(q.push(Event(0x90, 3, 1)));
    EXPECT_EQ(q.size(), 2);
    EXPECT_EQ(q.pop().midiData[1], 1);
    EXPECT_EQ(q.pop().midiData[1], 2);
}

TEST(EventQueue, LentEventsStayIntactWhilePushesGoOn) {
    midiqueue<4> q;
    q.push(Event(0x90, 1, 1));
    q.push(Event(0x90, 2, 1));
    q.pop();                      // the ring's read position is now slot 1
    q.push(Event(0x90, 3, 1));
    const midievent* lent[4] = {};
    ASSERT_EQ(q.lend(lent), 2);
    EXPECT_TRUE(q.empty());
    // Two slots are lent, so only two more fit, and they must not land on
    // the lent ones even though the ring wraps.
    EXPECT_TRUE(q.push(Event(0x90, 4, 1)));
    EXPECT_TRUE(q.push(Event(0x90, 5, 1)));
    EXPECT_FALSE(q.push(Event(0x90, 6, 1)));
    EXPECT_EQ(lent[0]->midiData[1], 2);
    EXPECT_EQ(lent[1]->midiData[1], 3);
    q.giveBack();
    EXPECT_TRUE(q.push(Event(0x90, 7, 1)));
    EXPECT_EQ(q.pop().midiData[1], 4);
    EXPECT_EQ(q.pop().midiData[1], 5);
    EXPECT_EQ(q.pop().midiData[1], 7);
}

TEST(EventQueue, LentRunsSplitWhereTheRingWraps) {
    midiqueue<4> q;
    for (int i = 1; i <= 3; ++i)
        q.push(Event(0x90, i, 1));
    q.pop();
    q.pop();                      // slot 2 holds the oldest event
    q.push(Event(0x90, 4, 1));
    q.push(Event(0x90, 5, 1));
    const midiqueue<4>::runs runs = q.lendRuns();
    ASSERT_EQ(runs.firstLength, 2);
    ASSERT_EQ(runs.secondLength, 1);
    EXPECT_EQ(runs.first[0].midiData[1], 3);
    EXPECT_EQ(runs.first[1].midiData[1], 4);
    EXPECT_EQ(runs.second[0].midiData[1], 5);
    EXPECT_TRUE(q.empty());
    EXPECT_TRUE(q.push(Event(0x90, 6, 1)));
    EXPECT_FALSE(q.push(Event(0x90, 7, 1)));  // three slots are lent
}

TEST(EventQueue, AWritersPushesShowOnlyAtCommitAndRespectLentSlots) {
    midiqueue<4> q;
    q.push(Event(0x90, 1, 1));
    q.push(Event(0x90, 2, 1));
    const midievent* lent[4] = {};
    ASSERT_EQ(q.lend(lent), 2);
    q.push(Event(0x90, 3, 1));

    midiqueue<4>::writer w(q);
    EXPECT_TRUE(w.push(Event(0x90, 4, 1)));
    EXPECT_FALSE(w.push(Event(0x90, 5, 1)));  // two slots are lent
    EXPECT_EQ(q.size(), 1);                    // not yet committed
    w.commit();
    EXPECT_EQ(q.size(), 2);
    EXPECT_EQ(lent[0]->midiData[1], 1);
    EXPECT_EQ(lent[1]->midiData[1], 2);

    // Another push in between is picked up by reload().
    q.giveBack();
    q.push(Event(0x90, 6, 1));
    w.reload();
    EXPECT_TRUE(w.push(Event(0x90, 7, 1)));
    EXPECT_FALSE(w.push(Event(0x90, 8, 1)));
    w.commit();
    for (int expected : {3, 4, 6, 7})
        EXPECT_EQ(q.pop().midiData[1], expected);
    EXPECT_TRUE(q.empty());
}

TEST(EventQueue, PushMessageChangesTheCopyAndKeepsTheOtherFields) {
    midiqueue<4> q;
    midievent tmpl = Event(0x90, 60, 100);
    tmpl.deltaFrames = 17;
    tmpl.midiData[3] = 0x55;
    const midievent before = tmpl;
    midiqueue<4>::writer w(q);
    EXPECT_TRUE(w.pushMessage(tmpl, 0x83, 61, 0));
    w.commit();
    EXPECT_TRUE(q.pushMessage(tmpl, 0x84, 62, 5));
    EXPECT_EQ(std::memcmp(&tmpl, &before, sizeof tmpl), 0);
    const midievent& a = q.pop();
    EXPECT_EQ(a.deltaFrames, 17);
    EXPECT_EQ((std::vector<int>{a.midiData[0], a.midiData[1], a.midiData[2], a.midiData[3]}),
              (std::vector<int>{0x83, 61, 0, 0x55}));
    const midievent& b = q.pop();
    EXPECT_EQ((std::vector<int>{b.midiData[0], b.midiData[1], b.midiData[2], b.midiData[3]}),
              (std::vector<int>{0x84, 62, 5, 0x55}));
}

TEST(EventQueue, AReaderHandsOutTheRingInRunsAndCommitsWhatIsLeft) {
    midiqueue<4> q;
    for (int i = 0; i < 3; ++i)
        q.push(Event(0x90, i, 1));
    q.pop();
    q.pop();
    for (int i = 3; i < 6; ++i)
        q.push(Event(0x90, i, 1));  // slots 2, 3, 0, 1 now hold 2, 3, 4, 5
    std::vector<int> taken;
    std::vector<int> runs;
    midiqueue<4>::reader r(q);
    int32_t length = 0;
    while (midievent* run = r.takeRun(length)) {
        runs.push_back(length);
        for (int32_t i = 0; i < length; ++i)
            taken.push_back(run[i].midiData[1]);
    }
    EXPECT_EQ(runs, (std::vector<int>{2, 2}));
    EXPECT_EQ(taken, (std::vector<int>{2, 3, 4, 5}));
    EXPECT_EQ(q.size(), 4);  // not yet committed
    r.commit();
    EXPECT_TRUE(q.empty());
    // The ring goes on where the reader left it.
    q.push(Event(0x90, 6, 1));
    EXPECT_EQ(q.pop().midiData[1], 6);
}

TEST(EventQueue, StartsWithEveryEventSlotMarkedAsMidi) {
    midiqueue<8> q;
    for (const midievent& e : q.buffer) {
        EXPECT_EQ(e.type, 1);
        EXPECT_EQ(e.byteSize, 24);
        EXPECT_EQ(e.deltaFrames, 0);
    }
}

// --- Admitting and refusing -------------------------------------------------

TEST(NoteLimit, NotesBeyondTheLimitAreDroppedWhenKillIsOff) {
    Table t;
    t.On(0, 60);
    t.On(0, 62);
    t.On(0, 64);
    EXPECT_EQ(t.Drain(), (std::vector<Sent>{{0x90, 60, 100, 0}, {0x90, 62, 100, 0}}));
    EXPECT_EQ(t.activeCount, 2);
    EXPECT_FALSE(t.Sounding(0, 64));
}

TEST(NoteLimit, TheNoteOffOfARefusedNoteIsSwallowed) {
    Table t;
    t.On(0, 60);
    t.On(0, 62);
    t.On(0, 64);
    t.Drain();
    EXPECT_FALSE(t.Off(0, 64));
    EXPECT_TRUE(t.Drain().empty());
    EXPECT_EQ(t.activeCount, 2);
}

TEST(NoteLimit, ANoteOffLeavesWithReleaseVelocityZeroAndFreesItsPlace) {
    Table t;
    t.On(3, 60);
    t.Drain();
    EXPECT_TRUE(t.Off(3, 60, 17));
    EXPECT_EQ(t.Drain(), (std::vector<Sent>{{0x83, 60, 0, 17}}));
    EXPECT_EQ(t.activeCount, 0);
    EXPECT_EQ(t.notes[0].age, 0.0f); // ended, not reset
}

TEST(NoteLimit, TheSameNoteOnTwoChannelsCountsAsTwoNotes) {
    Table t;
    t.On(0, 60);
    t.On(1, 60);
    t.On(2, 60);
    EXPECT_EQ(t.activeCount, 2);
    EXPECT_TRUE(t.Sounding(0, 60));
    EXPECT_TRUE(t.Sounding(1, 60));
    EXPECT_FALSE(t.Sounding(2, 60));
}

TEST(NoteLimit, ARepeatedNoteOnPassesAtTheLimitAndDoesNotCountTwice) {
    Table t;
    t.On(0, 60);
    t.On(0, 62);
    t.Drain();
    t.On(0, 60, 30, 5);
    EXPECT_EQ(t.Drain(), (std::vector<Sent>{{0x90, 60, 30, 5}}));
    EXPECT_EQ(t.activeCount, 2);
    EXPECT_EQ(t.notes[0].velocity, 30);
}

TEST(NoteLimit, ANewNoteTakesTheFirstFreeEntry) {
    Table t;
    t.polyphony = 8;
    t.On(0, 1);
    t.On(0, 2);
    t.On(0, 3);
    t.Off(0, 2);
    t.On(0, 4);
    EXPECT_EQ(t.notes[1].note, 4);
}

TEST(NoteLimit, ALimitAboveTheTableSizeDropsNotesOnceTheTableIsFull) {
    Table t;
    t.polyphony = 200;
    for (int i = 0; i < 128; ++i)
        t.On(i / 100, i % 100);
    t.Drain();
    t.On(5, 5);
    EXPECT_TRUE(t.Drain().empty());
    EXPECT_EQ(t.activeCount, 128);
}

// --- Stealing ---------------------------------------------------------------

TEST(Stealing, WithKillOnTheOldestNoteEndsAtTheNewNotesTime) {
    Table t;
    t.kill = true;
    t.On(0, 60, 100, 1);
    t.On(0, 62, 100, 2);
    t.On(0, 64, 90, 3);
    EXPECT_EQ(t.Drain(), (std::vector<Sent>{{0x90, 60, 100, 1}, {0x90, 62, 100, 2},
                                            {0x80, 60, 0, 3}, {0x90, 64, 90, 3}}));
    EXPECT_TRUE(t.Sounding(0, 62));
    EXPECT_TRUE(t.Sounding(0, 64));
    EXPECT_FALSE(t.Sounding(0, 60));
    EXPECT_EQ(t.activeCount, 2);
}

TEST(Stealing, ARepeatedNoteOnMakesThatNoteTheNewest) {
    Table t;
    t.kill = true;
    t.On(0, 60);
    t.On(0, 62);
    t.On(0, 60); // 62 is now the oldest
    t.Drain();
    t.On(0, 64);
    EXPECT_EQ(t.Drain(), (std::vector<Sent>{{0x80, 62, 0, 0}, {0x90, 64, 100, 0}}));
}

TEST(Stealing, AStolenNotesLaterNoteOffIsSwallowed) {
    Table t;
    t.kill = true;
    t.On(0, 60);
    t.On(0, 62);
    t.On(0, 64);
    t.Drain();
    EXPECT_FALSE(t.Off(0, 60));
    EXPECT_TRUE(t.Drain().empty());
}

TEST(Stealing, PolyphonyZeroEndsEverySoundingNoteAndDropsTheNewOne) {
    Table t;
    t.polyphony = 3;
    t.kill = true;
    t.On(0, 60, 100, 0);
    t.On(0, 62, 100, 0);
    t.On(0, 64, 100, 0);
    t.Drain();
    t.polyphony = 0;
    t.On(0, 70, 100, 9);
    EXPECT_EQ(t.Drain(), (std::vector<Sent>{{0x80, 60, 0, 9}, {0x80, 62, 0, 9}, {0x80, 64, 0, 9}}));
    EXPECT_EQ(t.activeCount, 0);
}

TEST(Stealing, ALimitLoweredWithoutEndingNotesEndsTheOldestFirstThenSteals) {
    Table t;
    t.polyphony = 4;
    t.kill = true;
    for (int n = 0; n < 4; ++n)
        t.On(0, 60 + n);
    t.Drain();
    t.polyphony = 2;
    t.On(0, 70);
    EXPECT_EQ(t.Drain(), (std::vector<Sent>{{0x80, 60, 0, 0}, {0x80, 61, 0, 0}, {0x80, 62, 0, 0},
                                            {0x90, 70, 100, 0}}));
    EXPECT_EQ(t.activeCount, 2);
    EXPECT_TRUE(t.Sounding(0, 63));
    EXPECT_TRUE(t.Sounding(0, 70));
}

TEST(Stealing, ANegativeLimitFromAChunkLimitsLikeZero) {
    Table t;
    t.polyphony = 2;
    t.kill = true;
    t.On(0, 60);
    t.Drain();
    t.polyphony = -5;
    t.On(0, 61);
    EXPECT_EQ(t.Drain(), (std::vector<Sent>{{0x80, 60, 0, 0}}));
    EXPECT_EQ(t.activeCount, 0);
    t.kill = false;
    t.On(0, 62);
    EXPECT_TRUE(t.Drain().empty());
}

TEST(Stealing, WithAFullOutputQueueTheTableStillChanges) {
    Table t;
    t.kill = true;
    t.On(0, 60);
    t.On(0, 62);
    t.Drain();
    for (int i = 0; i < 256; ++i)
        t.out.push(Event(0xB0, 1, 1));
    t.On(0, 64);
    EXPECT_EQ(t.out.size(), 256);
    for (const Sent& s : t.Drain())
        EXPECT_EQ(s.status, 0xB0);
    EXPECT_TRUE(t.Sounding(0, 64));
    EXPECT_FALSE(t.Sounding(0, 60));
    EXPECT_EQ(t.activeCount, 2);
}

TEST(Stealing, TheOldestNoteIsFoundByAgeAndEqualAgesFavourTheFirstEntry) {
    noteinfo notes[4];
    EXPECT_EQ(findOldestNote(notes, 4), noEntry);
    notes[1] = {0, 1, 1, 5.0f};
    notes[2] = {0, 2, 1, 3.0f};
    notes[3] = {0, 3, 1, 3.0f};
    EXPECT_EQ(findOldestNote(notes, 4), 2);
}

// --- Ages -------------------------------------------------------------------

TEST(NoteAges, The32768thStampRescalesAndKeepsTheStealOrder) {
    Table t;
    t.polyphony = 3;
    t.kill = true;
    t.On(0, 10); // stamp 1
    t.On(0, 11); // stamp 2
    t.On(0, 12); // stamp 3
    // Repeated note-ons of 12 and 11 advance the counter to 32767.
    for (int i = 4; i < 32768; ++i)
        t.On(0, (i % 2) ? 12 : 11);
    EXPECT_EQ(t.ageCounter, 32767.0f);
    t.Drain();
    t.On(0, 10); // the 32768th stamp
    EXPECT_EQ(t.ageCounter, 1.0f);
    EXPECT_EQ(t.notes[0].age, 1.0f);
    EXPECT_LT(t.notes[1].age, 1.0f);
    EXPECT_LT(t.notes[2].age, 1.0f);
    // Ages after the rescale: 11 was stamped 32766, 12 stamped 32767.
    t.Drain();
    t.On(0, 20); // steals 11, then 12, then 10
    t.On(0, 21);
    t.On(0, 22);
    EXPECT_EQ(t.Drain(), (std::vector<Sent>{{0x80, 11, 0, 0}, {0x90, 20, 100, 0},
                                            {0x80, 12, 0, 0}, {0x90, 21, 100, 0},
                                            {0x80, 10, 0, 0}, {0x90, 22, 100, 0}}));
    EXPECT_EQ(t.ageCounter, 4.0f);
}

TEST(NoteAges, EmptyEntriesAreRescaledToo) {
    Table t;
    t.On(0, 10); // entry 0, stamp 1
    t.On(0, 11); // entry 1, stamp 2
    t.Off(0, 10); // entry 0 ended: age 0
    for (int i = 3; i <= 32768; ++i)
        t.On(0, 11);
    EXPECT_EQ(t.ageCounter, 1.0f);
    EXPECT_EQ(t.notes[1].age, 1.0f);
    EXPECT_EQ(t.notes[0].age, 0.0f);
    EXPECT_EQ(t.notes[2].age, -1.0f / 32768.0f);
}

// --- Indexed lookups ---------------------------------------------------------

namespace {

// The same stream through the plain and the indexed operations.
struct TwinTables {
    Table plain;
    Table fast;
    noteindex index;

    void Configure(int polyphony, bool kill) {
        plain.polyphony = fast.polyphony = polyphony;
        plain.kill = fast.kill = kill;
    }
    void On(int c, int n, int v, int d) {
        plain.On(c, n, v, d);
        midievent e = Event(0x90 | c, n, v, d);
        midiNoteOnQueueAdvanced(e, &fast.out, &fast.polyphony, fast.kill, fast.notes, &fast.activeCount,
                                fast.ageCounter, kTable, index);
    }
    void Off(int c, int n, int d) {
        plain.Off(c, n, d);
        midievent e = Event(0x80 | c, n, 0, d);
        midiNoteOffQueue(e, &fast.out, fast.notes, &fast.activeCount, kTable, index);
    }
    void Lower(int polyphony) {
        endNotesAbove(polyphony, &plain.out, plain.notes, &plain.activeCount, kTable);
        endNotesAbove(polyphony, &fast.out, fast.notes, &fast.activeCount, index);
    }
    void Clear() {
        clearNotes(plain.notes, kTable);
        clearNotes(fast.notes, kTable);
        plain.activeCount = fast.activeCount = 0;
        index.Clear();
    }
};

bool SameTable(const Table& a, const Table& b) {
    if (a.activeCount != b.activeCount || a.ageCounter != b.ageCounter)
        return false;
    for (int i = 0; i < kTable; ++i) {
        const noteinfo& x = a.notes[i];
        const noteinfo& y = b.notes[i];
        if (x.channel != y.channel || x.note != y.note || x.velocity != y.velocity || x.age != y.age)
            return false;
    }
    return true;
}

} // namespace

TEST(IndexedNoteTable, GivesExactlyThePlainScansEventsOnLongRandomStreams) {
    std::mt19937 rng(20261207);
    for (int run = 0; run < 12; ++run) {
        TwinTables t;
        // Small note ranges make repeats and steals frequent; runs of more
        // than 32768 note-ons cross the age rescale several times.
        const int channels = 1 + run % 3;
        const int notes = 4 + (run * 37) % 150;
        long sentTotal = 0;
        for (int step = 0; step < 120000; ++step) {
            const unsigned r = rng() % 1000;
            const int c = int(rng() % channels);
            const int n = int(rng() % notes) % 128;
            const int d = int(rng() % 512);
            if (r < 600) {
                t.On(c, n, 1 + int(rng() % 127), d);
            } else if (r < 960) {
                t.Off(c, n, d);
            } else if (r < 985) {
                // A limit changed without ending notes, as a loaded chunk does.
                const int poly = int(rng() % 140) - 6;
                t.Configure(poly, rng() % 4 != 0);
            } else if (r < 998) {
                t.Lower(int(rng() % 20));
            } else {
                t.Clear();
            }
            const std::vector<Sent> a = t.plain.Drain();
            const std::vector<Sent> b = t.fast.Drain();
            ASSERT_EQ(a, b) << "run " << run << " step " << step;
            ASSERT_TRUE(SameTable(t.plain, t.fast)) << "run " << run << " step " << step;
            sentTotal += long(a.size());
        }
        EXPECT_GT(sentTotal, 50000);
        EXPECT_GT(t.plain.ageCounter, 0.0f);
    }
}

TEST(IndexedNoteTable, KeepsThePlainTieRuleWhenRescalesMakeOldAgesEqual) {
    // Two notes held through many rescales shrink towards zero; once they
    // underflow to the same age, the lower entry counts as the older one.
    TwinTables t;
    t.Configure(4, true);
    t.On(0, 1, 100, 0); // entry 0
    t.On(0, 2, 100, 0); // entry 1
    t.Off(0, 1, 0);
    t.On(0, 3, 100, 0); // entry 0, newer than entry 1
    for (int i = 0; i < 12 * 32768; ++i)
        t.On(0, 4 + (i & 1), 100, 0);
    t.plain.Drain();
    t.fast.Drain();
    ASSERT_EQ(t.plain.notes[0].age, t.plain.notes[1].age);
    t.On(0, 9, 100, 0);
    EXPECT_EQ(t.plain.Drain(), t.fast.Drain());
    EXPECT_TRUE(SameTable(t.plain, t.fast));
}
