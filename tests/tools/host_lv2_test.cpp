// tessaro-host driving the LV2 bundle: the same piece and settings give the
// same file as the VST 2 plug-in, byte for byte; the bundle describes
// itself; settings it cannot take are one clear line.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "plugin/identity.h"
#include "tests/tools/host_run.h"
#include "tools/tessaro-host/example.h"
#include "tools/tessaro-host/presetfile.h"
#include "tools/tessaro-host/smf.h"

using namespace tessaro::host;

namespace {

const std::string kPlugin = TESSARO_PLUGIN_PATH;
// The bundle the build puts beside the VST 2 plug-in.
const std::string kBundle = kPlugin.substr(0, kPlugin.rfind('/') + 1) + "tessaro.lv2";

// 150 notes struck and released within 300 ticks of 1/2000 s: one block
// of 8192 frames carries all 300 events, more than the host sends at once.
SmfFile BusyPiece()
{
    SmfFile f;
    f.division = uint16_t((uint8_t(-25) << 8) | 80);
    f.tracks.resize(1);
    for (int n = 0; n < 150; ++n) {
        const uint32_t t = uint32_t(n) * 2;
        f.tracks[0].events.push_back(SmfEvent::Channel(t, uint8_t(0x90 | (n / 100)), uint8_t(n % 100), 100));
        f.tracks[0].events.push_back(SmfEvent::Channel(t + 1, uint8_t(0x80 | (n / 100)), uint8_t(n % 100), 0));
    }
    return f;
}

}  // namespace

TEST(Lv2Process, TheBundleLimitsEveryPieceExactlyAsTheVstPlugInDoes)
{
    ScratchFolder scratch;
    std::string error;
    const std::string example = scratch / "example.mid", busy = scratch / "busy.mid";
    ASSERT_TRUE(WriteSmfFile(example, MakeExamplePiece(), error)) << error;
    ASSERT_TRUE(WriteSmfFile(busy, BusyPiece(), error)) << error;
    // A bank whose program 3 holds polyphony 5 with kill, and a program
    // preset of polyphony 2, both written by the VST 2 plug-in.
    ASSERT_EQ(RunHost(scratch, {"save", kPlugin, scratch / "bank.fxb", "--program", "3", "--set", "0=5/127",
                                "--set", "1=1"})
                  .exitCode,
              0);
    ASSERT_EQ(RunHost(scratch, {"save", kPlugin, scratch / "two.fxp", "--set", "0=2/127"}).exitCode, 0);

    const std::vector<std::vector<std::string>> runs = {
        {example, "--set", "0=4/127", "--set", "1=1"},
        {example, "--set", "0=3/127", "--set", "4=1", "--set", "2=1", "--block", "7", "--rate", "48000"},
        {example, "--load", scratch / "bank.fxb", "--program", "3"},
        // Program 3 has polyphony 5, the input still holds 16: setting 16
        // must reach the plug-in all the same.
        {example, "--load", scratch / "bank.fxb", "--program", "3", "--set", "0=16/127"},
        {example, "--program", "6", "--load", scratch / "two.fxp", "--set", "1=0.75"},
        {busy, "--set", "0=100/127", "--set", "1=1", "--block", "8192"},
        {example, "--set", "0=3/127", "--set", "1=1", "--set", "11=0.75", "--set", "12=1", "--set", "13=1"},
    };
    for (const std::vector<std::string>& run : runs) {
        std::vector<std::string> vst = {"process", kPlugin, run[0], scratch / "vst.mid"};
        std::vector<std::string> lv2 = {"process", kBundle, run[0], scratch / "lv2.mid"};
        vst.insert(vst.end(), run.begin() + 1, run.end());
        lv2.insert(lv2.end(), run.begin() + 1, run.end());
        const HostResult v = RunHost(scratch, vst);
        const HostResult l = RunHost(scratch, lv2);
        const std::string what = ::testing::PrintToString(run);
        ASSERT_EQ(v.exitCode, 0) << what << v.err;
        ASSERT_EQ(l.exitCode, 0) << what << l.err;
        const std::string vstFile = ReadText(scratch / "vst.mid");
        EXPECT_GT(vstFile.size(), 100u) << what;
        EXPECT_TRUE(vstFile == ReadText(scratch / "lv2.mid")) << what << "\nVST 2:\n" << v.out << "LV2:\n" << l.out;
    }
}

TEST(Lv2Info, ShowsTheBundlesIdentityPortsAndParameters)
{
    ScratchFolder scratch;
    const HostResult r = RunHost(scratch, {"info", kBundle});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const char* line : {"URI:            http://tessaro-midi.eu/plugins/tessaro", "name:           Tessaro",
                             "midi_in", "atom input, MIDI events", "midi_out", "polyphony",
                             "control input, integer 0 to 127 (16)", "sounding_notes",
                             "http://tessaro-midi.eu/plugins/tessaro#ui", "(port polyphony)", "programs:       32",
                             "OP: Steal                Oldest     (port steal_policy)"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
}

TEST(Lv2Process, SettingsTheBundleCannotTakeAreOneClearLine)
{
    ScratchFolder scratch;
    std::string error;
    ASSERT_TRUE(WriteSmfFile(scratch / "in.mid", MakeExamplePiece(), error)) << error;
    PresetFile foreign;
    foreign.fxID = tessaro::FourCharCode('A', 'b', 'c', 'd');
    foreign.chunk.assign(96, 0);
    ASSERT_TRUE(WritePresetFile(scratch / "foreign.fxp", foreign, error));
    PresetFile shortBank;
    shortBank.kind = PresetFile::Kind::Bank;
    shortBank.fxID = tessaro::kUniqueID;
    shortBank.chunk.assign(1000, 0);
    ASSERT_TRUE(WritePresetFile(scratch / "short.fxb", shortBank, error));
    ASSERT_TRUE(WriteSmfFile(scratch / "in.mid.lv2", MakeExamplePiece(), error)) << error;
    ASSERT_EQ(mkdir((scratch / "empty.lv2").c_str(), 0755), 0);
    const struct {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"process", kBundle, scratch / "in.mid", scratch / "out.mid", "--set", "9=1"}, "parameters 0 to"},
        {{"process", kBundle, scratch / "in.mid", scratch / "out.mid", "--load", scratch / "foreign.fxp"}, "'Abcd'"},
        {{"process", kBundle, scratch / "in.mid", scratch / "out.mid", "--load", scratch / "short.fxb"},
         "refused the bank (1000-byte chunk, 3072 expected)"},
        {{"process", scratch / "missing.lv2", scratch / "in.mid", scratch / "out.mid"}, "no such folder"},
        {{"process", scratch / "in.mid.lv2", scratch / "in.mid", scratch / "out.mid"}, "a bundle is a folder"},
        {{"process", scratch / "empty.lv2", scratch / "in.mid", scratch / "out.mid"}, "no manifest.ttl"},
        {{"save", kBundle, scratch / "bank.fxb"}, "not an LV2 bundle"},
    };
    for (const auto& c : cases) {
        const HostResult r = RunHost(scratch, c.args);
        EXPECT_EQ(r.exitCode, 1) << c.says << ": " << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
        EXPECT_FALSE(Exists(scratch / "out.mid")) << c.says;
    }
}
