// `tessaro-host live` as a JACK client, against a dummy JACK server of the
// test's own: a player client of the test plays a MIDI file into it and
// records what comes back, frame for frame, which must be exactly what
// `tessaro-host process` writes for the same file and settings.
#if TESSARO_HOST_LIVE

#include <fcntl.h>
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "tests/tools/host_run.h"
#include "tools/tessaro-host/midirun.h"
#include "tools/tessaro-host/smf.h"

using namespace tessaro::host;

namespace {

const std::string kPlugin = TESSARO_PLUGIN_PATH;
constexpr jack_nframes_t kPeriod = 256;
constexpr uint32_t kRate = 44100;
const std::string kServer = "tessaro-test-" + std::to_string(getpid());

using Clock = std::chrono::steady_clock;

// Waits up to `seconds` for `done`.
template <typename Done>
bool WaitFor(Done done, double seconds)
{
    const auto until = Clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (Clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void Silent(const char*) {}

jack_client_t* OpenClient(const char* name)
{
    jack_status_t status;
    return jack_client_open(name, jack_options_t(JackNoStartServer | JackServerName), &status, kServer.c_str());
}

// tessaro-host started in the background with the test's server.
class Background {
public:
    Background(const ScratchFolder& scratch, const std::vector<std::string>& args) : scratch_(scratch)
    {
        std::string command = "exec " + HostCommand();
        for (const std::string& a : args)
            command += " " + ShellQuoted(a);
        command += " >'" + (scratch / "live.out") + "' 2>'" + (scratch / "live.err") + "'";
        pid_ = fork();
        if (pid_ == 0) {
            setenv("JACK_DEFAULT_SERVER", kServer.c_str(), 1);
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~Background()
    {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    // Ends it as Ctrl-C would; its exit status.
    int Stop()
    {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::string Err() const { return ReadText(scratch_ / "live.err"); }

private:
    const ScratchFolder& scratch_;
    pid_t pid_ = -1;
};

// The test's JACK client: plays messages from the period after it is told
// to, and records every event that reaches it, with its frame counted from
// the same origin.
class Player {
public:
    Player()
    {
        client_ = OpenClient("player");
        if (!client_)
            return;
        out_ = jack_port_register(client_, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        in_ = jack_port_register(client_, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
        recorded_.reserve(100000);
        jack_set_process_callback(client_, &Player::Process, this);
        jack_activate(client_);
    }
    ~Player()
    {
        if (client_)
            jack_client_close(client_);
    }
    bool Ready() const { return client_ && in_ && out_; }
    bool Connected() const { return jack_port_connected(in_) > 0 && jack_port_connected(out_) > 0; }

    // Plays the messages (samples from 0); true once they all were played
    // and `tail` more frames have passed.
    void Play(const std::vector<TimedMessage>& messages) { messages_ = messages, playing_ = true; }
    bool Finished(jack_nframes_t tail) const
    {
        return origin_ >= 0 && jack_frame_time(client_) > origin_ + messages_.back().sample + tail;
    }
    const std::vector<TimedMessage>& Recorded() const { return recorded_; }

private:
    static int Process(jack_nframes_t frames, void* arg)
    {
        Player& self = *static_cast<Player*>(arg);
        const int64_t start = jack_last_frame_time(self.client_);
        void* out = jack_port_get_buffer(self.out_, frames);
        jack_midi_clear_buffer(out);
        if (self.playing_ && self.origin_ < 0)
            self.origin_ = start + 2 * int64_t(frames);
        void* in = jack_port_get_buffer(self.in_, frames);
        for (uint32_t i = 0; i < jack_midi_get_event_count(in); ++i) {
            jack_midi_event_t e;
            if (jack_midi_event_get(&e, in, i) == 0 && self.origin_ >= 0 && self.recorded_.size() < 100000) {
                TimedMessage m;
                m.sample = start + e.time - self.origin_;
                m.status = e.buffer[0];
                m.data1 = e.size > 1 ? e.buffer[1] : 0;
                m.data2 = e.size > 2 ? e.buffer[2] : 0;
                self.recorded_.push_back(m);
            }
        }
        for (; self.origin_ >= 0 && self.next_ < self.messages_.size(); ++self.next_) {
            const TimedMessage& m = self.messages_[self.next_];
            const int64_t at = self.origin_ + m.sample - start;
            if (at >= int64_t(frames))
                break;
            const uint8_t bytes[3] = {m.status, m.data1, m.data2};
            jack_midi_event_write(out, jack_nframes_t(at), bytes, ShortLength(m.status));
        }
        return 0;
    }

    static size_t ShortLength(uint8_t status) { return (status & 0xE0) == 0xC0 ? 2 : 3; }

    jack_client_t* client_ = nullptr;
    jack_port_t* out_ = nullptr;
    jack_port_t* in_ = nullptr;
    std::vector<TimedMessage> messages_;
    std::atomic<bool> playing_{false};
    std::atomic<int64_t> origin_{-1};
    size_t next_ = 0;
    std::vector<TimedMessage> recorded_;
};

class Live : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        jack_set_error_function(Silent);
        jack_set_info_function(Silent);
        server_ = fork();
        if (server_ == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            execlp("jackd", "jackd", "-n", kServer.c_str(), "-d", "dummy", "-r", std::to_string(kRate).c_str(),
                   "-p", std::to_string(kPeriod).c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        serverUp_ = WaitFor(
            [] {
                jack_client_t* probe = OpenClient("probe");
                if (probe)
                    jack_client_close(probe);
                return probe != nullptr;
            },
            10);
    }
    static void TearDownTestSuite()
    {
        if (server_ > 0) {
            kill(server_, SIGTERM);
            waitpid(server_, nullptr, 0);
        }
    }
    void SetUp() override { ASSERT_TRUE(serverUp_) << "jackd -d dummy did not start (run scripts/setup.sh)"; }

    static pid_t server_;
    static bool serverUp_;
    ScratchFolder scratch;
};

pid_t Live::server_ = -1;
bool Live::serverUp_ = false;

// Chords of six notes eight times a second on two channels, with the
// sustain pedal held over the middle of the piece: enough for four voices
// to steal and the pedal to hold notes past their note-offs.
SmfFile Chords()
{
    SmfFile f;
    f.division = 480;  // at 120 per minute a tick is 1/960 s
    f.tracks.resize(1);
    auto& e = f.tracks[0].events;
    for (uint32_t c = 0; c < 8; ++c) {
        const uint32_t t = c * 120 + (c % 3) * 7;
        if (c == 3)
            e.push_back(SmfEvent::Channel(t, 0xB0, 64, 127));
        if (c == 6)
            e.push_back(SmfEvent::Channel(t, 0xB0, 64, 0));
        for (uint8_t n = 0; n < 6; ++n)
            e.push_back(SmfEvent::Channel(t + n, uint8_t(0x90 | (n % 2)), uint8_t(48 + 5 * n + c), 90));
        for (uint8_t n = 0; n < 6; ++n)
            e.push_back(SmfEvent::Channel(t + 100 - n, uint8_t(0x80 | (n % 2)), uint8_t(48 + 5 * n + c), 0));
    }
    std::stable_sort(e.begin(), e.end(), [](const SmfEvent& a, const SmfEvent& b) { return a.tick < b.tick; });
    return f;
}

}  // namespace

TEST_F(Live, LimitsExactlyAsProcessDoesFrameForFrame)
{
    std::string error;
    ASSERT_TRUE(WriteSmfFile(scratch / "in.mid", Chords(), error)) << error;
    SmfFile in;
    ASSERT_TRUE(ReadSmfFile(scratch / "in.mid", in, error)) << error;
    const TempoMap tempo(in, kRate);
    const std::vector<TimedMessage> messages = PlaceMessages(in, tempo).messages;

    for (const std::vector<std::string>& settings : std::vector<std::vector<std::string>>{
             {"--set", "0=4/127", "--set", "1=1"},
             {"--set", "0=4/127", "--set", "1=1", "--set", "5=1"},
         }) {
        const std::string what = settings.back();
        std::vector<std::string> args = {"process", kPlugin, scratch / "in.mid", scratch / "out.mid", "--block",
                                         std::to_string(kPeriod), "--rate", std::to_string(kRate)};
        args.insert(args.end(), settings.begin(), settings.end());
        const HostResult processed = RunHost(scratch, args);
        ASSERT_EQ(processed.exitCode, 0) << processed.err;
        SmfFile outFile;
        ASSERT_TRUE(ReadSmfFile(scratch / "out.mid", outFile, error)) << error;
        const std::vector<TimedMessage> expected = PlaceMessages(outFile, tempo).messages;
        ASSERT_GT(expected.size(), 40u);

        Player player;
        ASSERT_TRUE(player.Ready());
        std::vector<std::string> live = {"live", kPlugin, "--connect-in", "player:out", "--connect-out", "player:in"};
        live.insert(live.end(), settings.begin(), settings.end());
        Background host(scratch, live);
        ASSERT_TRUE(WaitFor([&] { return player.Connected(); }, 10)) << host.Err();
        player.Play(messages);
        ASSERT_TRUE(WaitFor([&] { return player.Finished(8 * kPeriod); }, 20));
        EXPECT_EQ(host.Stop(), 0) << host.Err();
        EXPECT_EQ(host.Err().find("tessaro-host:"), std::string::npos) << host.Err();

        const std::vector<TimedMessage>& got = player.Recorded();
        ASSERT_EQ(got.size(), expected.size()) << what;
        const int64_t offset = got[0].sample - expected[0].sample;
        EXPECT_EQ(offset % kPeriod, 0) << what << ": " << offset;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].sample - offset, expected[i].sample) << what << ", event " << i;
            EXPECT_EQ(std::make_tuple(got[i].status, got[i].data1, got[i].data2),
                      std::make_tuple(expected[i].status, expected[i].data1, expected[i].data2))
                << what << ", event " << i;
        }
    }
}

TEST_F(Live, AnUnknownPortIsOneLineThatNamesThePortsThatExist)
{
    Player player;
    ASSERT_TRUE(player.Ready());
    const HostResult r =
        RunHost(scratch, {"live", kPlugin, "--connect-in", "keyboard:out"}, "JACK_DEFAULT_SERVER=" + kServer);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("tessaro-host: --connect-in keyboard:out: no such MIDI port; the ports that can play "
                         "into tessaro are player:out\n"),
              std::string::npos)
        << r.err;
}

TEST_F(Live, TheBankSavedOnExitLoadsBackWithTheSettingsMade)
{
    Background host(scratch, {"live", kPlugin, "--name", "saver", "--set", "0=5/127", "--set", "1=1", "--set",
                              "5=1", "--save", scratch / "live.fxb"});
    jack_client_t* watcher = OpenClient("watcher");
    ASSERT_NE(watcher, nullptr);
    EXPECT_TRUE(WaitFor([&] { return jack_port_by_name(watcher, "saver:midi_in") != nullptr; }, 10)) << host.Err();
    jack_client_close(watcher);
    EXPECT_EQ(host.Stop(), 0) << host.Err();

    std::string error;
    ASSERT_TRUE(WriteSmfFile(scratch / "in.mid", Chords(), error)) << error;
    const HostResult saved =
        RunHost(scratch, {"process", kPlugin, scratch / "in.mid", scratch / "a.mid", "--load", scratch / "live.fxb"});
    const HostResult set = RunHost(scratch, {"process", kPlugin, scratch / "in.mid", scratch / "b.mid", "--set",
                                             "0=5/127", "--set", "1=1", "--set", "5=1"});
    ASSERT_EQ(saved.exitCode, 0) << saved.err;
    const std::string settings = set.out.substr(0, set.out.find('\n'));
    EXPECT_NE(settings.find("Polyphony = 5, OP: Kill = On"), std::string::npos) << settings;
    EXPECT_EQ(saved.out.substr(0, saved.out.find('\n')), settings);
}

TEST(LiveWithoutServer, SaysHowToStartOneInOneLine)
{
    ScratchFolder scratch;
    const HostResult r = RunHost(scratch, {"live", kPlugin}, "JACK_DEFAULT_SERVER=tessaro-none-" +
                                                                  std::to_string(getpid()));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("tessaro-host: no JACK server is running; start jackd"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("pw-jack"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
}

#endif
