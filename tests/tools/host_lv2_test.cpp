// tessaro-host driving the LV2 bundle: the same piece and settings give the
// same file as the VST 2 plug-in, byte for byte; the bundle describes
// itself; settings it cannot take are one clear line.
#include <gtest/gtest.h>

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

}  // namespace

TEST(Lv2Process, TheBundleLimitsEveryPieceExactlyAsTheVstPlugInDoes)
{
    ScratchFolder scratch;
    std::string error;
    const std::string piece = scratch / "example.mid";
    ASSERT_TRUE(WriteSmfFile(piece, MakeExamplePiece(), error)) << error;
    // A bank whose program 3 holds polyphony 5 with kill, and a program
    // preset of polyphony 2, both written by the VST 2 plug-in.
    ASSERT_EQ(RunHost(scratch, {"save", kPlugin, scratch / "bank.fxb", "--program", "3", "--set", "0=5/127",
                                "--set", "1=1"})
                  .exitCode,
              0);
    ASSERT_EQ(RunHost(scratch, {"save", kPlugin, scratch / "two.fxp", "--set", "0=2/127"}).exitCode, 0);

    const std::vector<std::vector<std::string>> settings = {
        {"--set", "0=4/127", "--set", "1=1"},
        {"--set", "0=3/127", "--set", "4=1", "--set", "2=1", "--block", "7", "--rate", "48000"},
        {"--load", scratch / "bank.fxb", "--program", "3"},
        // Program 3 has polyphony 5, the input still holds 16: setting 16
        // must reach the plug-in all the same.
        {"--load", scratch / "bank.fxb", "--program", "3", "--set", "0=16/127"},
        {"--program", "6", "--load", scratch / "two.fxp", "--set", "1=0.75"},
    };
    for (const std::vector<std::string>& s : settings) {
        std::vector<std::string> vst = {"process", kPlugin, piece, scratch / "vst.mid"};
        std::vector<std::string> lv2 = {"process", kBundle, piece, scratch / "lv2.mid"};
        vst.insert(vst.end(), s.begin(), s.end());
        lv2.insert(lv2.end(), s.begin(), s.end());
        const HostResult v = RunHost(scratch, vst);
        const HostResult l = RunHost(scratch, lv2);
        const std::string what = ::testing::PrintToString(s);
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
                             "http://tessaro-midi.eu/plugins/tessaro#ui", "(port polyphony)", "programs:       32"})
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
    const struct {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"process", kBundle, scratch / "in.mid", scratch / "out.mid", "--set", "9=1"}, "parameters 0 to"},
        {{"process", kBundle, scratch / "in.mid", scratch / "out.mid", "--load", scratch / "foreign.fxp"}, "'Abcd'"},
        {{"process", scratch / "missing.lv2", scratch / "in.mid", scratch / "out.mid"}, "no such folder"},
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
