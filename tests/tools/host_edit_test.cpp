// tessaro-host edit: the plug-in's editor embedded in a host window on a
// private X server, photographed, played to and clicked.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "tests/tools/host_run.h"
#include "tools/tessaro-host/smf.h"

using namespace tessaro::host;

namespace {

const std::string kPlugin = TESSARO_PLUGIN_PATH;
const std::string kBundle = kPlugin.substr(0, kPlugin.rfind('/') + 1) + "tessaro.lv2";

bool HaveProgram(const char* name)
{
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// An X server of our own for the whole suite; it picks a free display
// number and tells us through a pipe. It does not reset when the last
// client leaves, so the next run never meets a server in mid-reset.
class PrivateDisplay : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!HaveProgram("Xvfb"))
            return;
        int fds[2];
        if (pipe(fds) != 0)
            return;
        server_ = fork();
        if (server_ == 0) {
            close(fds[0]);
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24", "-nolisten", "tcp",
                   "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        char number[32] = {};
        size_t got = 0;
        while (got < sizeof number - 1) {
            const ssize_t n = read(fds[0], number + got, sizeof number - 1 - got);
            if (n <= 0 || std::strchr(number, '\n'))
                break;
            got += size_t(n);
        }
        close(fds[0]);
        if (number[0] >= '0' && number[0] <= '9')
            display_ = std::string(":") + std::string(number, std::strcspn(number, "\n"));
    }

    static void TearDownTestSuite()
    {
        if (server_ > 0) {
            kill(server_, SIGTERM);
            waitpid(server_, nullptr, 0);
            server_ = -1;
        }
    }

    void SetUp() override
    {
        if (display_.empty())
            GTEST_SKIP() << "no Xvfb to show the editor on";
    }

    std::string Environment() const { return "DISPLAY=" + display_; }

    // Width and height from the PNG header.
    static std::pair<uint32_t, uint32_t> PngSize(const std::string& png)
    {
        auto be = [&](size_t at) {
            return (uint32_t(uint8_t(png[at])) << 24) | (uint32_t(uint8_t(png[at + 1])) << 16) |
                   (uint32_t(uint8_t(png[at + 2])) << 8) | uint32_t(uint8_t(png[at + 3]));
        };
        if (png.size() < 24 || png.compare(12, 4, "IHDR") != 0)
            return {0, 0};
        return {be(16), be(20)};
    }

    struct Click {
        bool found = false;  // the host window appeared
        bool ended = false;  // closing it ended the host
        std::string out, err;
    };

    // Starts `edit`, clicks the panel's kill button, closes the window and
    // waits for the host to end.
    Click ClickKillAndClose(const std::string& plugin)
    {
        Click click;
        const std::string command = Environment() + " " + HostCommand() + " edit '" + plugin + "' >'" +
                                    (scratch / "edit.out") + "' 2>'" + (scratch / "edit.err") + "' & echo $! >'" +
                                    (scratch / "edit.pid") + "'";
        const pid_t host = std::system(command.c_str()) == 0
                               ? static_cast<pid_t>(std::atol(ReadText(scratch / "edit.pid").c_str()))
                               : 0;
        if (host <= 0)
            return click;
        const std::string xdo = Environment() + " xdotool ";
        click.found = std::system((Environment() + " timeout 10 xdotool search --sync --name 'tessaro-host' >'" +
                                   (scratch / "window") + "'")
                                      .c_str()) == 0;
        const std::string window = ReadText(scratch / "window").substr(0, ReadText(scratch / "window").find('\n'));
        if (click.found && !window.empty()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));  // let the editor map its panel
            // The kill button's middle, in the 260 x 162 panel at the window's origin.
            std::system((xdo + "mousemove --window " + window + " 145 85 click 1").c_str());
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            std::system((xdo + "windowclose " + window).c_str());
        }
        for (int i = 0; i < 100 && !click.ended; ++i) {
            click.ended = kill(host, 0) != 0;
            if (!click.ended)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (!click.ended)
            kill(host, SIGTERM);
        click.out = ReadText(scratch / "edit.out");
        click.err = ReadText(scratch / "edit.err");
        return click;
    }

    ScratchFolder scratch;
    static pid_t server_;
    static std::string display_;
};

pid_t PrivateDisplay::server_ = -1;
std::string PrivateDisplay::display_;

using EditCommand = PrivateDisplay;

}  // namespace

TEST_F(EditCommand, TheEditorOpensInsideTheHostWindowAndIsPhotographed)
{
    const std::string shot = scratch / "editor.png";
    const HostResult r = RunHost(scratch, {"edit", kPlugin, "--screenshot", shot, "--after", "1200"}, Environment());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(PngSize(ReadText(shot)), std::make_pair(260u, 162u));
}

TEST_F(EditCommand, AHostThatPassesNoDisplayStillShowsTheEditor)
{
    const std::string passed = scratch / "passed.png", own = scratch / "own.png";
    HostResult r = RunHost(scratch, {"edit", kPlugin, "--screenshot", passed, "--after", "1200"}, Environment());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = RunHost(scratch, {"edit", kPlugin, "--no-display-pass", "--screenshot", own, "--after", "1200"},
                Environment());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(PngSize(ReadText(own)), std::make_pair(260u, 162u));
    // The same panel either way: served through the host or by the plug-in itself.
    EXPECT_EQ(ReadText(own), ReadText(passed));
}

TEST_F(EditCommand, PlayingAChordChangesWhatTheEditorShows)
{
    SmfFile chord;
    chord.tracks.resize(1);
    for (int note : {48, 52, 55, 59, 62, 65})
        chord.tracks[0].events.push_back(SmfEvent::Channel(0, 0x90, uint8_t(note), 100));
    for (int note : {48, 52, 55, 59, 62, 65})
        chord.tracks[0].events.push_back(SmfEvent::Channel(480 * 40, 0x80, uint8_t(note), 0));
    std::string error;
    ASSERT_TRUE(WriteSmfFile(scratch / "chord.mid", chord, error));

    const std::string quiet = scratch / "quiet.png", playing = scratch / "playing.png";
    HostResult r = RunHost(scratch, {"edit", kPlugin, "--screenshot", quiet, "--after", "1200"}, Environment());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = RunHost(scratch,
                {"edit", kPlugin, "--play", scratch / "chord.mid", "--screenshot", playing, "--after", "1200"},
                Environment());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(PngSize(ReadText(playing)), std::make_pair(260u, 162u));
    EXPECT_NE(ReadText(playing), ReadText(quiet));
}

TEST_F(EditCommand, ClickingTheKillButtonIsHeardByTheHost)
{
    if (!HaveProgram("xdotool"))
        GTEST_SKIP() << "no xdotool to click with";
    const Click click = ClickKillAndClose(kPlugin);
    ASSERT_TRUE(click.found) << "the host window never appeared: " << click.err;
    EXPECT_TRUE(click.ended) << "closing the window must end the host";
    // The click is one gesture: begin, the change, end.
    EXPECT_NE(click.out.find("begin edit: parameter 1\nautomate: parameter 1 = 1\nend edit: parameter 1\n"),
              std::string::npos)
        << click.out << click.err;
}

TEST_F(EditCommand, TheLv2EditorShowsTheSamePanelAndItsClicksReachTheHost)
{
    const std::string vst = scratch / "vst.png", lv2 = scratch / "lv2.png";
    HostResult r = RunHost(scratch, {"edit", kPlugin, "--screenshot", vst, "--after", "1200"}, Environment());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = RunHost(scratch, {"edit", kBundle, "--screenshot", lv2, "--after", "1200"}, Environment());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(PngSize(ReadText(lv2)), std::make_pair(260u, 162u));
    EXPECT_TRUE(ReadText(lv2) == ReadText(vst)) << "the LV2 UI must draw the VST 2 editor's panel";

    if (!HaveProgram("xdotool"))
        GTEST_SKIP() << "no xdotool to click with";
    const Click click = ClickKillAndClose(kBundle);
    ASSERT_TRUE(click.found) << "the host window never appeared: " << click.err;
    EXPECT_TRUE(click.ended) << "closing the window must end the host";
    // The write to the kill input is reported as the VST 2 parameter.
    EXPECT_NE(click.out.find("begin edit: parameter 1\nautomate: parameter 1 = 1\nend edit: parameter 1\n"),
              std::string::npos)
        << click.out << click.err;
}

TEST_F(EditCommand, WithoutAnXServerTheHostSaysSoInOneLine)
{
    const HostResult r = RunHost(scratch, {"edit", kPlugin}, "DISPLAY=:99999");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cannot open the X display"), std::string::npos) << r.err;
}
