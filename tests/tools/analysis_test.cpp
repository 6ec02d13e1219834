// The summary of what the limiter did, computed from what went in and out.
#include <gtest/gtest.h>

#include "tools/tessaro-host/analysis.h"

using namespace tessaro::host;

namespace {

TimedMessage On(int64_t at, int note, int channel = 0) { return {at, uint8_t(0x90 | channel), uint8_t(note), 100}; }
TimedMessage Off(int64_t at, int note, int channel = 0, int velocity = 0)
{
    return {at, uint8_t(0x80 | channel), uint8_t(note), uint8_t(velocity)};
}

}  // namespace

TEST(LimiterSummary, ADroppedNoteAndItsSwallowedNoteOffCountOnceAsDropped)
{
    // polyphony 2 without kill: the third note never sounds
    const std::vector<TimedMessage> in = {On(0, 60), On(10, 64), On(20, 67), Off(100, 60, 0, 64), Off(100, 64, 0, 64),
                                          Off(100, 67, 0, 64)};
    const std::vector<TimedMessage> out = {On(0, 60), On(10, 64), Off(100, 60), Off(100, 64)};
    const LimiterAnalysis a = Analyse(in, out, 101);
    EXPECT_EQ(a.summary.noteOnsIn, 3);
    EXPECT_EQ(a.summary.noteOnsOut, 2);
    EXPECT_EQ(a.summary.notesDropped, 1);
    EXPECT_EQ(a.summary.notesEndedEarly, 0);
    EXPECT_EQ(a.summary.mostSoundingIn, 3);
    EXPECT_EQ(a.summary.mostSoundingOut, 2);
    ASSERT_EQ(a.before.size(), 3u);
    EXPECT_FALSE(a.before[0].changed);
    EXPECT_TRUE(a.before[2].changed);
}

TEST(LimiterSummary, AStolenNoteCountsAsEndedEarlyNotAsDropped)
{
    // polyphony 2 with kill: the first note is ended when the third comes
    const std::vector<TimedMessage> in = {On(0, 60), On(10, 64), On(20, 67), Off(100, 60), Off(100, 64), Off(100, 67)};
    const std::vector<TimedMessage> out = {On(0, 60), On(10, 64), Off(20, 60), On(20, 67), Off(100, 64), Off(100, 67)};
    const LimiterAnalysis a = Analyse(in, out, 101);
    EXPECT_EQ(a.summary.notesDropped, 0);
    EXPECT_EQ(a.summary.notesEndedEarly, 1);
    EXPECT_EQ(a.summary.noteOnsOut, 3);
    EXPECT_EQ(a.summary.mostSoundingOut, 2);
    ASSERT_EQ(a.after.size(), 3u);
    EXPECT_TRUE(a.after[0].changed);
    EXPECT_EQ(a.after[0].end, 20);
    EXPECT_FALSE(a.after[1].changed);
    EXPECT_EQ(a.after[1].end, 100);
}

TEST(LimiterSummary, OtherMessagesArePassedDroppedOrAddedByThePlugIn)
{
    const std::vector<TimedMessage> in = {{5, 0xB0, 7, 100}, {6, 0xE0, 0, 64}, {7, 0xC0, 3, 0}};
    const std::vector<TimedMessage> out = {{5, 0xB0, 7, 100}, {9, 0xB0, 120, 0}};
    const LimiterSummary s = Analyse(in, out, 10).summary;
    EXPECT_EQ(s.otherIn, 3);
    EXPECT_EQ(s.otherPassed, 1);
    EXPECT_EQ(s.otherAdded, 1);
    const std::string text = FormatSummary(s);
    EXPECT_NE(text.find("3 in, 1 passed, 2 dropped, 1 added by the plug-in"), std::string::npos) << text;
}

TEST(LimiterSummary, TheSameNoteOnTwoChannelsSoundsTwiceAndARepeatedNoteOnce)
{
    EXPECT_EQ(MostSoundingAtOnce({On(0, 60, 0), On(0, 60, 1)}), 2);
    EXPECT_EQ(MostSoundingAtOnce({On(0, 60), On(5, 60), Off(9, 60)}), 1);
    EXPECT_EQ(MostSoundingAtOnce({On(0, 60), {1, 0x90, 60, 0}, On(2, 62)}), 1);  // velocity 0 ends a note
}

TEST(LimiterSummary, NotesStillSoundingAtTheEndLastUntilTheEnd)
{
    const LimiterAnalysis a = Analyse({On(3, 50)}, {On(3, 50)}, 77);
    ASSERT_EQ(a.before.size(), 1u);
    EXPECT_EQ(a.before[0].start, 3);
    EXPECT_EQ(a.before[0].end, 77);
}
