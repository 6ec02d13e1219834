// tessaro-host driving the built plug-in end to end: MIDI files through the
// limiter with exactly known results, presets out and back in, and every
// user error as one clear line.
#include <gtest/gtest.h>
#include <png.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <tuple>

#include "plugin/vst/aeffect.h"
#include "tests/tools/host_run.h"
#include "tools/tessaro-host/example.h"
#include "tools/tessaro-host/pianoroll.h"
#include "tools/tessaro-host/presetfile.h"
#include "tools/tessaro-host/smf.h"

using namespace tessaro::host;

namespace {

const std::string kPlugin = TESSARO_PLUGIN_PATH;
// A shared object of the test's own architecture that is no plug-in.
const std::string kSystemLibrary =
    sizeof(void*) == 8 ? "/lib/x86_64-linux-gnu/libm.so.6" : "/lib/i386-linux-gnu/libm.so.6";

using Message = std::tuple<uint32_t, int, int, int>;  // tick, status, data 1, data 2

// Three notes on channel 1, a volume change, the same note number on
// channel 2, then all note-offs; a tempo change from 120 to 150 per minute
// at tick 96 so that both directions of the tempo map are exercised.
SmfFile Phrase()
{
    SmfFile f;
    f.format = 1;
    f.division = 96;
    f.tracks.resize(2);
    auto& tempo = f.tracks[0].events;
    tempo.push_back(SmfEvent::Meta(0, 0x51, {0x07, 0xA1, 0x20}));
    tempo.push_back(SmfEvent::Meta(96, 0x51, {0x06, 0x1A, 0x80}));
    auto& notes = f.tracks[1].events;
    notes.push_back(SmfEvent::Channel(0, 0x90, 60, 100));
    notes.push_back(SmfEvent::Channel(48, 0x90, 64, 90));
    notes.push_back(SmfEvent::Channel(96, 0x90, 67, 80));
    notes.push_back(SmfEvent::Channel(120, 0xB0, 7, 100));
    notes.push_back(SmfEvent::Channel(144, 0x91, 60, 70));
    notes.push_back(SmfEvent::Channel(192, 0x80, 60, 64));
    notes.push_back(SmfEvent::Channel(192, 0x80, 64, 64));
    notes.push_back(SmfEvent::Channel(192, 0x80, 67, 64));
    notes.push_back(SmfEvent::Channel(200, 0x81, 60, 64));
    return f;
}

std::vector<Message> ChannelMessages(const std::string& path, SmfFile* file = nullptr)
{
    SmfFile f;
    std::string error;
    EXPECT_TRUE(ReadSmfFile(path, f, error)) << error;
    std::vector<Message> messages;
    for (const SmfEvent& e : MergeTracks(f))
        if (e.kind == SmfEvent::Kind::Channel)
            messages.emplace_back(e.tick, e.status, e.data[0], e.data.size() > 1 ? e.data[1] : 0);
    if (file)
        *file = f;
    return messages;
}

// Lines the host itself wrote to standard error (the plug-in may add its
// own diagnostics about the environment, such as a missing X display).
int HostLines(const std::string& err)
{
    int lines = 0;
    for (size_t at = err.find("tessaro-host:"); at != std::string::npos; at = err.find("tessaro-host:", at + 1))
        lines += (at == 0 || err[at - 1] == '\n') ? 1 : 0;
    return lines;
}

class ProcessCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(WriteSmfFile(in, Phrase(), error)) << error;
    }

    HostResult Process(std::vector<std::string> extra)
    {
        std::vector<std::string> args = {"process", kPlugin, in, out};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunHost(scratch, args);
    }

    ScratchFolder scratch;
    const std::string in = scratch / "phrase.mid";
    const std::string out = scratch / "limited.mid";
};

}  // namespace

// ------------------------------------------------------------ the limiter

TEST_F(ProcessCommand, WithTwoVoicesAndNoKillTheThirdNoteAndItsNoteOffAreDropped)
{
    const HostResult r = Process({"--set", "0=2/127"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    SmfFile file;
    const std::vector<Message> expected = {
        {0, 0x90, 60, 100}, {48, 0x90, 64, 90}, {192, 0x80, 60, 0}, {192, 0x80, 64, 0}};
    EXPECT_EQ(ChannelMessages(out, &file), expected);
    EXPECT_EQ(file.format, 0);
    EXPECT_EQ(file.division, 96);
    EXPECT_NE(r.out.find("OP: Polyphony = 2"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("4 in, 2 out"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("4 before, 2 after"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("notes dropped:                2"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("1 in, 0 passed, 1 dropped"), std::string::npos) << r.out;
}

TEST_F(ProcessCommand, WithTwoVoicesAndKillTheOldestNoteEndsWhereTheNewOneStarts)
{
    const HostResult r = Process({"--set", "0=2/127", "--set", "1=1"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<Message> expected = {
        {0, 0x90, 60, 100}, {48, 0x90, 64, 90},  {96, 0x80, 60, 0},  {96, 0x90, 67, 80},
        {144, 0x80, 64, 0}, {144, 0x91, 60, 70}, {192, 0x80, 67, 0}, {200, 0x81, 60, 0}};
    EXPECT_EQ(ChannelMessages(out), expected);
    EXPECT_NE(r.out.find("notes ended early:            2"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("notes dropped:                0"), std::string::npos) << r.out;
}

TEST_F(ProcessCommand, TheAllocationOptionsAreSetByIndexAndReturnedNotesCounted)
{
    // Steal Highest: the new note 67 ends 64, not the older 60; with Note
    // Return, 64 and 67 come back when 60 ends, each until its own note-off.
    const HostResult r = Process({"--set", "0=2/127", "--set", "1=1", "--set", "11=0.75", "--set", "13=1"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<Message> messages = ChannelMessages(out);
    ASSERT_GE(messages.size(), 4u);
    EXPECT_EQ(messages[2], Message(96, 0x80, 64, 0));
    EXPECT_NE(r.out.find("OP: Steal = Highest, OP: Per Channel = Off, OP: Note Return = On"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("notes returned:               2"), std::string::npos) << r.out;
}

TEST_F(ProcessCommand, MidiThroughLetsTheControllerPass)
{
    const HostResult r = Process({"--set", "0=2/127", "--set", "4=1"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<Message> expected = {
        {0, 0x90, 60, 100}, {48, 0x90, 64, 90}, {120, 0xB0, 7, 100}, {192, 0x80, 60, 0}, {192, 0x80, 64, 0}};
    EXPECT_EQ(ChannelMessages(out), expected);
}

TEST_F(ProcessCommand, OddBlockSizesAndRatesPutEveryEventOnItsOwnTick)
{
    const HostResult r = Process({"--set", "0=2/127", "--set", "1=1", "--block", "7", "--rate", "48000"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto tiny = ChannelMessages(out);
    ASSERT_EQ(Process({"--set", "0=2/127", "--set", "1=1"}).exitCode, 0);
    EXPECT_EQ(tiny, ChannelMessages(out));
}

TEST_F(ProcessCommand, TheTempoMapOfTheInputIsKeptInTheOutput)
{
    ASSERT_EQ(Process({}).exitCode, 0);
    SmfFile f;
    std::string error;
    ASSERT_TRUE(ReadSmfFile(out, f, error)) << error;
    std::vector<uint32_t> tempoTicks;
    for (const SmfEvent& e : f.tracks[0].events)
        if (e.kind == SmfEvent::Kind::Meta && e.status == 0x51)
            tempoTicks.push_back(e.tick);
    EXPECT_EQ(tempoTicks, (std::vector<uint32_t>{0, 96}));
}

TEST_F(ProcessCommand, ThePianoRollIsWrittenAsAPicture)
{
    const HostResult r = Process({"--set", "0=2/127", "--roll", scratch / "roll.png"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // Read back with libpng: the note dropped at two voices is drawn in its colour.
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, (scratch / "roll.png").c_str())) << image.message;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) << image.message;
    const Rgb dropped = PianoRollColours::kDropped;
    size_t droppedPixels = 0;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        droppedPixels += rgb[i] == dropped.r && rgb[i + 1] == dropped.g && rgb[i + 2] == dropped.b;
    EXPECT_GT(droppedPixels, 20u);
}

TEST(ProcessBusyBlocks, ThreeHundredEventsInOneBlockAllArriveOnTheirSamples)
{
    // More events than the plug-in queues per block: the host must split.
    ScratchFolder scratch;
    SmfFile f;
    f.division = uint16_t((uint8_t(-25) << 8) | 80);  // 2000 ticks per second
    f.tracks.resize(1);
    std::vector<Message> expected;
    for (int n = 0; n < 150; ++n) {
        // a tick is 22.05 samples: all 300 events fall into one block of 8192
        const uint32_t t = uint32_t(n) * 2;
        const int channel = n / 100, note = n % 100;
        f.tracks[0].events.push_back(SmfEvent::Channel(t, uint8_t(0x90 | channel), uint8_t(note), 100));
        f.tracks[0].events.push_back(SmfEvent::Channel(t + 1, uint8_t(0x80 | channel), uint8_t(note), 0));
        expected.emplace_back(t, 0x90 | channel, note, 100);
        expected.emplace_back(t + 1, 0x80 | channel, note, 0);
    }
    std::string error;
    ASSERT_TRUE(WriteSmfFile(scratch / "busy.mid", f, error));
    const HostResult r =
        RunHost(scratch, {"process", kPlugin, scratch / "busy.mid", scratch / "out.mid", "--block", "8192"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ChannelMessages(scratch / "out.mid"), expected);
}

// ---------------------------------------------------------------- presets

TEST_F(ProcessCommand, AProgramSavedWithSettingsLoadsBackWithThem)
{
    const std::string fxp = scratch / "four-kill.fxp";
    HostResult r = RunHost(scratch, {"save", kPlugin, fxp, "--set", "0=4/127", "--set", "1=1"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    PresetFile preset;
    std::string error;
    ASSERT_TRUE(ReadPresetFile(fxp, preset, error)) << error;
    EXPECT_EQ(preset.kind, PresetFile::Kind::Program);
    EXPECT_EQ(FourCCText(preset.fxID), "'TSRo'");
    EXPECT_EQ(preset.fxVersion, 1);
    EXPECT_EQ(preset.chunk.size(), 96u);
    EXPECT_EQ(preset.programName, "01 - empty preset");

    r = Process({"--load", fxp});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("OP: Polyphony = 4, OP: Kill = On"), std::string::npos) << r.out;
}

TEST_F(ProcessCommand, ABankKeepsEveryProgramApart)
{
    const std::string fxb = scratch / "bank.fxb";
    HostResult r = RunHost(scratch, {"save", kPlugin, fxb, "--program", "3", "--set", "0=5/127"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    PresetFile preset;
    std::string error;
    ASSERT_TRUE(ReadPresetFile(fxb, preset, error)) << error;
    EXPECT_EQ(preset.kind, PresetFile::Kind::Bank);
    EXPECT_EQ(preset.chunk.size(), 3072u);
    EXPECT_EQ(preset.numPrograms, 32);

    r = Process({"--load", fxb, "--program", "3"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("OP: Polyphony = 5,"), std::string::npos) << r.out;
    r = Process({"--load", fxb, "--program", "2"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("OP: Polyphony = 16,"), std::string::npos) << r.out;
}

TEST_F(ProcessCommand, APresetOfAnotherPlugInIsRefusedAndNothingIsWritten)
{
    PresetFile foreign;
    foreign.fxID = kVstFourCC('A', 'b', 'c', 'd');
    foreign.chunk.assign(96, 0);
    std::string error;
    ASSERT_TRUE(WritePresetFile(scratch / "foreign.fxp", foreign, error));
    const HostResult r = Process({"--load", scratch / "foreign.fxp"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("'Abcd'"), std::string::npos) << r.err;
    EXPECT_FALSE(Exists(out));
}

TEST_F(ProcessCommand, ATruncatedPresetIsRefusedAndNothingIsWritten)
{
    ASSERT_EQ(RunHost(scratch, {"save", kPlugin, scratch / "all.fxb"}).exitCode, 0);
    const std::string whole = ReadText(scratch / "all.fxb");
    std::ofstream(scratch / "cut.fxb", std::ios::binary) << whole.substr(0, whole.size() - 100);
    const HostResult r = Process({"--load", scratch / "cut.fxb"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cut off"), std::string::npos) << r.err;
    EXPECT_EQ(HostLines(r.err), 1) << r.err;  // a bad file is no mistake on the command line
    EXPECT_FALSE(Exists(out));
}

// ----------------------------------------------------------------- errors

TEST_F(ProcessCommand, EveryFailureIsOneLineOnStandardErrorAndWritesNothing)
{
    std::ofstream(scratch / "garbage.mid", std::ios::binary) << "MThd\0\0\0\6garbage";
    SmfFile endless;
    endless.division = 1;
    endless.tracks.resize(1);
    endless.tracks[0].events.push_back(SmfEvent::Meta(0, 0x51, {0xFF, 0xFF, 0xFF}));  // 16.7 s a tick
    endless.tracks[0].events.push_back(SmfEvent::Channel(0x0FFFFFFF, 0x90, 60, 100));
    std::string error;
    ASSERT_TRUE(WriteSmfFile(scratch / "endless.mid", endless, error));
    std::ofstream(scratch / "huge.mid").close();
    ASSERT_EQ(truncate((scratch / "huge.mid").c_str(), off_t(65) << 20), 0);  // sparse: no disk used
    const struct {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"process", scratch / "missing.so", in, out}, "no such file"},
        {{"process", in, in, out}, "not a loadable shared object"},
        {{"process", kSystemLibrary, in, out}, "neither VSTPluginMain nor main"},
        {{"process", kPlugin, scratch / "missing.mid", out}, "cannot open"},
        {{"process", kPlugin, scratch / "garbage.mid", out}, "garbage.mid"},
        {{"process", kPlugin, in, out, "--set", "9=0.5"}, "parameters 0 to 5"},
        {{"process", kPlugin, in, out, "--program", "32"}, "programs 0 to 31"},
        {{"process", kPlugin, in, scratch / "no/such/folder/out.mid"}, "cannot write"},
        {{"process", kPlugin, scratch / "endless.mid", out}, "more than 24 hours"},
        {{"process", kPlugin, "/tmp", out}, "/tmp: a folder, not a MIDI file"},
        {{"process", kPlugin, in, out, "--load", "/tmp"}, "/tmp: a folder, not a preset file"},
        {{"process", kPlugin, "/dev/zero", out}, "/dev/zero: larger than 64 MB"},
        {{"process", kPlugin, scratch / "huge.mid", out}, "huge.mid: larger than 64 MB"},
    };
    for (const auto& c : cases) {
        const HostResult r = RunHost(scratch, c.args);
        EXPECT_EQ(r.exitCode, 1) << c.says << ": " << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(HostLines(r.err), 1) << r.err;
        EXPECT_FALSE(Exists(out)) << c.says;
    }
}

TEST_F(ProcessCommand, MistakesOnTheCommandLineAreOneLineThatPointsToTheUsage)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"process", kPlugin, in},
             {"process", kPlugin, in, out, "--set", "0=1.5"},
             {"process", kPlugin, in, out, "--set", "polyphony"},
             {"process", kPlugin, in, out, "--rate", "0"},
             {"process", kPlugin, in, out, "--frobnicate"},
             {"save", kPlugin, scratch / "preset.txt"},
             {"dance"},
         }) {
        const HostResult r = RunHost(scratch, args);
        EXPECT_EQ(r.exitCode, 2) << args.back();
        EXPECT_NE(r.err.find("(tessaro-host --help shows the usage)\n"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
        EXPECT_FALSE(Exists(out));
    }
}

// A long piece costs at most 64 bytes of memory per event: a 64 MB file
// then stays within reach of a 32-bit host. The peak of a run of a million
// events is compared with the peak of a run of a short piece.
TEST_F(ProcessCommand, MemoryGrowsByAtMost64BytesPerEvent)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer's own bookkeeping is no measure of the host's memory";
#endif
    // Note after note on one channel: every event goes through the limiter.
    SmfFile long_;
    long_.tracks.resize(1);
    constexpr int kNotes = 500000;
    for (uint32_t n = 0; n < kNotes; ++n) {
        long_.tracks[0].events.push_back(SmfEvent::Channel(2 * n, 0x90, uint8_t(60 + n % 12), 100));
        long_.tracks[0].events.push_back(SmfEvent::Channel(2 * n + 1, 0x80, uint8_t(60 + n % 12), 0));
    }
    std::string error;
    ASSERT_TRUE(WriteSmfFile(scratch / "long.mid", long_, error)) << error;
    long_ = SmfFile();
    auto peak = [&](const std::string& file) {
        std::string command = HostCommand() + " process " + ShellQuoted(kPlugin) + " " + ShellQuoted(file) + " " +
                              ShellQuoted(out) + " >/dev/null 2>&1";
        const pid_t child = fork();
        if (child == 0) {
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        struct rusage usage {};
        wait4(child, &status, 0, &usage);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << file;
        return double(usage.ru_maxrss) * 1024.0;
    };
    const double longPeak = peak(scratch / "long.mid");
    EXPECT_EQ(ChannelMessages(out).size(), size_t(2 * kNotes));
    EXPECT_LE((longPeak - peak(in)) / (2.0 * kNotes), 64.0);
}

// ------------------------------------------------------------ other commands

TEST(InfoCommand, ShowsThePlugInsIdentityParametersAndPrograms)
{
    ScratchFolder scratch;
    const HostResult r = RunHost(scratch, {"info", kPlugin});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const char* line : {"name:           Tessaro", "unique ID:      'TSRo'", "version:        1",
                             "category:       synth (2)", "programs:       32", "parameters:     6 + 3",
                             "OP: Steal                Oldest", "program-chunks", "editor:         260 x 162", "OP: Polyphony", "OP: Midi Through",
                             "OP: Sustain Pedal", "0  01 - empty preset", "31  32 - empty preset"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
}

TEST(ExampleCommand, WritesTheBundledPiece)
{
    ScratchFolder scratch;
    const HostResult r = RunHost(scratch, {"example", scratch / "example.mid"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<uint8_t> expected = WriteSmf(MakeExamplePiece());
    EXPECT_EQ(ReadText(scratch / "example.mid"), std::string(expected.begin(), expected.end()));
}
