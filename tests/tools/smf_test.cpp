// Standard MIDI Files: what the host reads and writes, and how it times it.
#include <gtest/gtest.h>

#include <random>

#include "tools/tessaro-host/example.h"
#include "tools/tessaro-host/smf.h"

using namespace tessaro::host;

namespace {

std::vector<uint8_t> Header(int format, int tracks, int division)
{
    return {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, uint8_t(format), 0, uint8_t(tracks), uint8_t(division >> 8),
            uint8_t(division)};
}

std::vector<uint8_t> Track(const std::vector<uint8_t>& body)
{
    std::vector<uint8_t> t;
    t.reserve(8 + body.size());
    for (char c : std::string("MTrk"))
        t.push_back(uint8_t(c));
    for (int shift = 24; shift >= 0; shift -= 8)
        t.push_back(uint8_t(body.size() >> shift));
    for (uint8_t b : body)
        t.push_back(b);
    return t;
}

std::vector<uint8_t> Join(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

bool SameEvent(const SmfEvent& a, const SmfEvent& b)
{
    return a.tick == b.tick && a.kind == b.kind && a.status == b.status && a.data == b.data;
}

SmfFile EveryKindOfEvent()
{
    SmfFile f;
    f.format = 0;
    f.division = 96;
    f.tracks.resize(1);
    auto& e = f.tracks[0].events;
    e.push_back(SmfEvent::Meta(0, 0x51, {0x07, 0xA1, 0x20}));
    e.push_back(SmfEvent::Channel(0, 0x90, 60, 100));
    e.push_back(SmfEvent::Channel(0, 0x90, 64, 90));      // running status
    e.push_back(SmfEvent::Channel(10, 0xB3, 7, 127));
    e.push_back(SmfEvent::Channel(10, 0xC3, 5));           // one data byte
    e.push_back(SmfEvent::Channel(20, 0xE0, 0, 64));
    e.push_back(SmfEvent::Channel(20, 0xD2, 33));
    e.push_back(SmfEvent::Channel(30, 0xA1, 60, 12));
    SmfEvent sysex;
    sysex.tick = 40;
    sysex.kind = SmfEvent::Kind::SysEx;
    sysex.status = 0xF0;
    sysex.data = {0x7E, 0x7F, 0x09, 0x01, 0xF7};
    e.push_back(sysex);
    e.push_back(SmfEvent::Channel(40, 0x80, 60, 0));
    e.push_back(SmfEvent::Channel(200000, 0x80, 64, 0));  // a delta time of three bytes
    e.push_back(SmfEvent::Meta(200000, 0x2F, {}));
    return f;
}

}  // namespace

// ---------------------------------------------------------------- round trip

TEST(MidiFiles, EveryKindOfEventSurvivesWritingAndReadingBack)
{
    const SmfFile original = EveryKindOfEvent();
    SmfFile read;
    std::string error;
    ASSERT_TRUE(ReadSmf(WriteSmf(original), read, error)) << error;
    EXPECT_EQ(read.format, 0);
    EXPECT_EQ(read.division, 96);
    ASSERT_EQ(read.tracks.size(), 1u);
    const auto& a = original.tracks[0].events;
    const auto& b = read.tracks[0].events;
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i)
        EXPECT_TRUE(SameEvent(a[i], b[i])) << "event " << i;
}

TEST(MidiFiles, AWrittenTrackGetsItsEndOfTrackEvenWhenTheEventsLackOne)
{
    SmfFile f;
    f.tracks.resize(1);
    f.tracks[0].events.push_back(SmfEvent::Channel(5, 0x90, 60, 1));
    const std::vector<uint8_t> bytes = WriteSmf(f);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(std::vector<uint8_t>(bytes.end() - 4, bytes.end()), (std::vector<uint8_t>{0x00, 0xFF, 0x2F, 0x00}));
}

TEST(MidiFiles, TheWriterUsesRunningStatusForRepeatedChannelStatus)
{
    SmfFile f;
    f.tracks.resize(1);
    f.tracks[0].events.push_back(SmfEvent::Channel(0, 0x90, 60, 100));
    f.tracks[0].events.push_back(SmfEvent::Channel(0, 0x90, 64, 100));
    const std::vector<uint8_t> bytes = WriteSmf(f);
    // header 14 + track header 8 + (0 90 3C 64) + (0 40 64) + end of track 4
    const std::vector<uint8_t> body(bytes.begin() + 22, bytes.end());
    EXPECT_EQ(body, (std::vector<uint8_t>{0x00, 0x90, 0x3C, 0x64, 0x00, 0x40, 0x64, 0x00, 0xFF, 0x2F, 0x00}));
}

TEST(MidiFiles, TheBundledExamplePieceIsTheSameEveryTimeAndReadsBack)
{
    const std::vector<uint8_t> first = WriteSmf(MakeExamplePiece());
    EXPECT_EQ(first, WriteSmf(MakeExamplePiece()));
    SmfFile read;
    std::string error;
    ASSERT_TRUE(ReadSmf(first, read, error)) << error;
    EXPECT_EQ(read.format, 1);
    EXPECT_EQ(read.tracks.size(), 3u);
    int channels[16] = {};
    int noteOns = 0;
    for (const SmfEvent& e : MergeTracks(read))
        if (e.IsNoteOn()) {
            ++noteOns;
            ++channels[e.status & 0x0F];
        }
    EXPECT_GT(channels[0], 0);
    EXPECT_GT(channels[1], 0);
    EXPECT_GT(noteOns, 100);
}

// ------------------------------------------------------------ running status

TEST(MidiFiles, RunningStatusCarriesAcrossEventsAndOverMetaEvents)
{
    const auto bytes = Join(Header(0, 1, 96), Track({0x00, 0x91, 60, 100,   // note-on channel 2
                                                     0x10, 62, 101,         // running status
                                                     0x00, 0xFF, 0x01, 0x01, 'x',  // a text event
                                                     0x10, 64, 0,           // still note-on, velocity 0
                                                     0x00, 0xFF, 0x2F, 0x00}));
    SmfFile f;
    std::string error;
    ASSERT_TRUE(ReadSmf(bytes, f, error)) << error;
    const auto& e = f.tracks[0].events;
    ASSERT_EQ(e.size(), 5u);
    EXPECT_EQ(e[1].status, 0x91);
    EXPECT_EQ(e[1].tick, 16u);
    EXPECT_EQ(e[1].data, (std::vector<uint8_t>{62, 101}));
    EXPECT_EQ(e[3].status, 0x91);
    EXPECT_TRUE(e[3].IsNoteOff());
    EXPECT_EQ(e[3].tick, 32u);
}

TEST(MidiFiles, RunningStatusWorksForOneByteMessages)
{
    const auto bytes = Join(Header(0, 1, 96), Track({0x00, 0xC0, 5, 0x00, 6, 0x00, 0xFF, 0x2F, 0x00}));
    SmfFile f;
    std::string error;
    ASSERT_TRUE(ReadSmf(bytes, f, error)) << error;
    ASSERT_EQ(f.tracks[0].events.size(), 3u);
    EXPECT_EQ(f.tracks[0].events[1].status, 0xC0);
    EXPECT_EQ(f.tracks[0].events[1].data, (std::vector<uint8_t>{6}));
}

// ----------------------------------------------------------------- the tempo

TEST(MidiTiming, TicksBecomeSamplesThroughEveryTempoChange)
{
    SmfFile f;
    f.division = 480;
    f.tracks.resize(2);
    f.tracks[0].events.push_back(SmfEvent::Meta(960, 0x51, {0x03, 0xD0, 0x90}));  // 250000: 240 per minute
    const TempoMap tempo(f, 44100);
    EXPECT_EQ(tempo.SampleAt(0), 0);
    EXPECT_EQ(tempo.SampleAt(480), 22050);   // half a second at the default 120 per minute
    EXPECT_EQ(tempo.SampleAt(960), 44100);
    EXPECT_EQ(tempo.SampleAt(1440), 55125);  // a quarter second more at 240 per minute
    EXPECT_EQ(tempo.TickAt(44100), 960u);
    EXPECT_EQ(tempo.TickAt(55125), 1440u);
    EXPECT_EQ(tempo.TickAt(0), 0u);
}

TEST(MidiTiming, EverySampleOfATickMapsBackToThatTick)
{
    SmfFile f;
    f.division = 96;
    f.tracks.resize(1);
    f.tracks[0].events.push_back(SmfEvent::Meta(100, 0x51, {0x06, 0x1A, 0x80}));  // 400000
    f.tracks[0].events.push_back(SmfEvent::Meta(333, 0x51, {0x0F, 0x42, 0x40}));  // 1000000
    const TempoMap tempo(f, 48000);
    for (uint32_t tick = 0; tick < 2000; ++tick)
        ASSERT_EQ(tempo.TickAt(tempo.SampleAt(tick)), tick);
}

TEST(MidiTiming, SmpteTimeDivisionsCountTicksPerSecond)
{
    SmfFile f;
    f.division = uint16_t((uint8_t(-25) << 8) | 40);  // 25 frames of 40 ticks: 1000 per second
    f.tracks.resize(1);
    const TempoMap tempo(f, 44100);
    EXPECT_EQ(tempo.SampleAt(1000), 44100);
    EXPECT_EQ(tempo.SampleAt(1), 44);  // 44.1 rounds down
    EXPECT_EQ(tempo.TickAt(44100), 1000u);
}

TEST(MidiTiming, TracksOfAFormatOneFileMergeInTimeAndKeepTheirOrderAtEqualTimes)
{
    SmfFile f;
    f.format = 1;
    f.tracks.resize(2);
    f.tracks[0].events.push_back(SmfEvent::Channel(10, 0x90, 1, 1));
    f.tracks[0].events.push_back(SmfEvent::Channel(30, 0x90, 3, 1));
    f.tracks[1].events.push_back(SmfEvent::Channel(10, 0x90, 2, 1));
    f.tracks[1].events.push_back(SmfEvent::Channel(20, 0x90, 4, 1));
    const auto merged = MergeTracks(f);
    ASSERT_EQ(merged.size(), 4u);
    EXPECT_EQ(merged[0].data[0], 1);
    EXPECT_EQ(merged[1].data[0], 2);
    EXPECT_EQ(merged[2].data[0], 4);
    EXPECT_EQ(merged[3].data[0], 3);
}

// ------------------------------------------------------------ broken files

TEST(BrokenMidiFiles, AreRefusedWithAReason)
{
    const auto good = Join(Header(0, 1, 96), Track({0x00, 0x90, 60, 100, 0x00, 0xFF, 0x2F, 0x00}));
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* says;
    } cases[] = {
        {"empty file", {}, "MThd"},
        {"not a MIDI file", {'R', 'I', 'F', 'F', 0, 0, 0, 0}, "MThd"},
        {"cut inside the header", std::vector<uint8_t>(good.begin(), good.begin() + 10), "header"},
        {"cut inside the track", std::vector<uint8_t>(good.begin(), good.end() - 3), "cut off"},
        {"a track missing", Join(Header(1, 2, 96), Track({0x00, 0xFF, 0x2F, 0x00})), "1 of 2"},
        {"format 2", Join(Header(2, 1, 96), Track({0x00, 0xFF, 0x2F, 0x00})), "format 2"},
        {"no ticks per quarter", Join(Header(0, 1, 0), Track({0x00, 0xFF, 0x2F, 0x00})), "division"},
        {"data before any status", Join(Header(0, 1, 96), Track({0x00, 60, 100})), "running status"},
        {"a delta time of five bytes", Join(Header(0, 1, 96), Track({0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 1, 1})),
         "delta"},
        {"a data byte above 127", Join(Header(0, 1, 96), Track({0x00, 0x90, 60, 0x90})), "above 127"},
        {"a meta event longer than its track", Join(Header(0, 1, 96), Track({0x00, 0xFF, 0x01, 0x20, 'a'})),
         "meta"},
        {"a sysex longer than its track", Join(Header(0, 1, 96), Track({0x00, 0xF0, 0x05, 0x7E})), "exclusive"},
        {"a system byte as status", Join(Header(0, 1, 96), Track({0x00, 0xF8})), "system message"},
    };
    for (const Case& c : cases) {
        SmfFile f;
        f.division = 1234;
        std::string error;
        EXPECT_FALSE(ReadSmf(c.bytes, f, error)) << c.what;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.what << ": " << error;
        EXPECT_EQ(f.division, 1234) << c.what << " must leave the result alone";
    }
}

TEST(BrokenMidiFiles, UnknownChunksAreSkipped)
{
    auto bytes = Header(0, 1, 96);
    bytes = Join(bytes, {'X', 'Y', 'Z', 'W', 0, 0, 0, 3, 1, 2, 3});
    bytes = Join(bytes, Track({0x00, 0x90, 60, 100, 0x00, 0xFF, 0x2F, 0x00}));
    SmfFile f;
    std::string error;
    ASSERT_TRUE(ReadSmf(bytes, f, error)) << error;
    EXPECT_EQ(f.tracks[0].events.size(), 2u);
}

TEST(BrokenMidiFiles, RandomDamageNeverCrashesTheReaderAndWhatItAcceptsWritesBack)
{
    const std::vector<uint8_t> good = WriteSmf(MakeExamplePiece());
    std::mt19937 random(20261207);
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> bytes = good;
        const int damage = 1 + int(random() % 8);
        for (int i = 0; i < damage && !bytes.empty(); ++i) {
            const size_t at = random() % bytes.size();
            switch (random() % 3) {
            case 0: bytes[at] = uint8_t(random()); break;
            case 1: bytes.erase(bytes.begin() + ptrdiff_t(at)); break;
            case 2: bytes.resize(at + 1); break;
            }
        }
        SmfFile f;
        std::string error;
        if (!ReadSmf(bytes, f, error)) {
            ASSERT_FALSE(error.empty());
            continue;
        }
        ++accepted;
        SmfFile again;
        ASSERT_TRUE(ReadSmf(WriteSmf(f), again, error)) << "round " << round << ": " << error;
        auto withoutEnds = [](const SmfFile& file) {
            std::vector<SmfEvent> events;
            for (const SmfEvent& e : MergeTracks(file))
                if (!(e.kind == SmfEvent::Kind::Meta && e.status == 0x2F))
                    events.push_back(e);
            return events;
        };
        const auto before = withoutEnds(f), after = withoutEnds(again);
        ASSERT_EQ(before.size(), after.size()) << "round " << round;
        for (size_t i = 0; i < before.size(); ++i)
            ASSERT_TRUE(SameEvent(before[i], after[i])) << "round " << round << ", event " << i;
    }
    EXPECT_GT(accepted, 0);  // some damage lands in data bytes and leaves a readable file
}
