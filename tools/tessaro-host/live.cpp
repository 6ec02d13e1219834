#include "tools/tessaro-host/live.h"

#include <jack/jack.h>
#include <jack/midiport.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tools/tessaro-host/editorhost.h"
#include "tools/tessaro-host/failure.h"
#include "tools/tessaro-host/livebridge.h"
#include "tools/tessaro-host/loadplugin.h"
#include "tools/tessaro-host/presetfile.h"
#include "tools/tessaro-host/settings.h"

namespace tessaro {
namespace host {

namespace {

// Room for the input events of one period: far more than a MIDI port's
// buffer holds at any usual period size.
size_t EventCapacity(jack_nframes_t frames)
{
    return std::max<size_t>(4096, size_t(frames) * 2);
}

std::atomic<bool> g_stop{false};

void OnSignal(int)
{
    g_stop = true;
}

void Silent(const char*) {}

struct LiveOptions {
    std::string pluginPath;
    std::string name = "tessaro";
    std::vector<std::string> connectIn, connectOut;
    std::vector<Setting> settings;
    std::string savePath;
    bool editor = false;
};

// The JACK client: its ports, the callbacks, and the bridge to the plug-in.
class LiveClient {
public:
    ~LiveClient() { Close(); }

    // Opens the client and registers its ports; false after saying why.
    bool Open(const std::string& name, std::string& error)
    {
        jack_set_error_function(Silent);
        jack_set_info_function(Silent);
        jack_status_t status;
        client_ = jack_client_open(name.c_str(), JackNoStartServer, &status);
        if (!client_) {
            if (status & JackServerFailed)
                error = "no JACK server is running; start jackd (for example jackd -d alsa), or run under "
                        "PipeWire with pw-jack tessaro-host live ...";
            else if (status & JackNameNotUnique)
                error = "the JACK client name " + name + " is taken; choose another with --name";
            else
                error = "the JACK server refused the client " + name + " (status 0x" + Hex(status) + ")";
            return false;
        }
        in_ = jack_port_register(client_, "midi_in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
        out_ = jack_port_register(client_, "midi_out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        if (!in_ || !out_) {
            error = "the JACK server refused the MIDI ports of " + name;
            return false;
        }
        return true;
    }

    std::string Name() const { return jack_get_client_name(client_); }
    float SampleRate() const { return float(jack_get_sample_rate(client_)); }
    int PeriodFrames() const { return int(jack_get_buffer_size(client_)); }

    // Checks that every port to connect exists; names the ones that do.
    bool CheckPorts(const std::vector<std::string>& sources, const std::vector<std::string>& targets,
                    std::string& error)
    {
        for (const std::string& p : sources)
            if (!Exists(p, JackPortIsOutput)) {
                error = "--connect-in " + p + ": no such MIDI port; " + PortList(JackPortIsOutput, "play into");
                return false;
            }
        for (const std::string& p : targets)
            if (!Exists(p, JackPortIsInput)) {
                error = "--connect-out " + p + ": no such MIDI port; " + PortList(JackPortIsInput, "listen to");
                return false;
            }
        return true;
    }

    // Runs the started plug-in from now on.
    bool Activate(MidiPlugin& plugin, const std::vector<std::string>& sources,
                  const std::vector<std::string>& targets, std::string& error)
    {
        plugin_ = &plugin;
        bridge_.reset(new LiveBridge(plugin, EventCapacity(jack_get_buffer_size(client_))));
        jack_set_process_callback(client_, &LiveClient::OnProcess, this);
        jack_set_buffer_size_callback(client_, &LiveClient::OnBufferSize, this);
        jack_set_sample_rate_callback(client_, &LiveClient::OnSampleRate, this);
        jack_set_xrun_callback(client_, &LiveClient::OnXrun, this);
        jack_on_info_shutdown(client_, &LiveClient::OnShutdown, this);
        if (jack_activate(client_) != 0) {
            error = "the JACK server did not start the client " + Name();
            return false;
        }
        active_ = true;
        for (const std::string& p : sources)
            if (jack_connect(client_, p.c_str(), jack_port_name(in_)) != 0 &&
                !jack_port_connected_to(in_, p.c_str())) {
                error = "cannot connect " + p + " to " + jack_port_name(in_);
                return false;
            }
        for (const std::string& p : targets)
            if (jack_connect(client_, jack_port_name(out_), p.c_str()) != 0 &&
                !jack_port_connected_to(out_, p.c_str())) {
                error = "cannot connect " + std::string(jack_port_name(out_)) + " to " + p;
                return false;
            }
        return true;
    }

    // Stops processing; the plug-in is no longer called afterwards.
    void Deactivate()
    {
        if (active_)
            jack_deactivate(client_);
        active_ = false;
    }

    void Close()
    {
        Deactivate();
        if (client_)
            jack_client_close(client_);
        client_ = nullptr;
        bridge_.reset();
        plugin_ = nullptr;
    }

    bool ServerGone() const { return serverGone_; }

    // "in 12 notes, out 10, sounding 4, dropped 2, stolen 1, xruns 0"
    std::string Status() const
    {
        const LiveBridge::Counts& c = bridge_->Totals();
        char text[160];
        std::snprintf(text, sizeof text, "in %ld notes, out %ld, sounding %d, dropped %ld, stolen %ld, xruns %ld",
                      c.notesIn.load(), c.notesOut.load(), c.sounding.load(), c.dropped.load(), c.stolen.load(),
                      xruns_.load());
        return text;
    }

private:
    static std::string Hex(unsigned value)
    {
        char text[16];
        std::snprintf(text, sizeof text, "%X", value);
        return text;
    }

    bool Exists(const std::string& name, unsigned long direction) const
    {
        const jack_port_t* p = jack_port_by_name(client_, name.c_str());
        return p && (jack_port_flags(p) & direction) &&
               std::string(jack_port_type(p)) == JACK_DEFAULT_MIDI_TYPE && !jack_port_is_mine(client_, p);
    }

    // "the ports that can play into tessaro are a, b", or what to do when
    // there are none.
    std::string PortList(unsigned long direction, const char* verb) const
    {
        std::string list;
        if (const char** ports = jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, direction)) {
            for (const char** p = ports; *p; ++p)
                if (!jack_port_is_mine(client_, jack_port_by_name(client_, *p)))
                    list += (list.empty() ? "" : ", ") + std::string(*p);
            jack_free(ports);
        }
        if (list.empty())
            return "no MIDI port can " + std::string(verb) + " " + Name() +
                   " yet; for ALSA hardware start the bridge (a2jmidid -e, or jackd with -X seq)";
        return "the ports that can " + std::string(verb) + " " + Name() + " are " + list;
    }

    // The audio thread, once per period.
    static int OnProcess(jack_nframes_t frames, void* arg)
    {
        LiveClient& self = *static_cast<LiveClient*>(arg);
        void* out = jack_port_get_buffer(self.out_, frames);
        jack_midi_clear_buffer(out);
        self.inside_.store(true);
        if (!self.suspended_.load()) {
            void* in = jack_port_get_buffer(self.in_, frames);
            LiveBridge& bridge = *self.bridge_;
            bridge.BeginPeriod();
            const jack_nframes_t count = jack_midi_get_event_count(in);
            for (jack_nframes_t i = 0; i < count; ++i) {
                jack_midi_event_t e;
                if (jack_midi_event_get(&e, in, i) == 0)
                    bridge.AddInput(e.time, e.buffer, e.size);
            }
            bridge.RunPeriod(frames);
            for (int i = 0; i < bridge.OutputCount(); ++i) {
                const LiveBridge::Event& e = bridge.Output()[i];
                jack_midi_event_write(out, e.frame, e.bytes, e.size);
            }
        }
        self.inside_.store(false);
        return 0;
    }

    // Suspends processing, lets `change` set the plug-in up anew, resumes.
    template <typename Change>
    void Suspended(Change change)
    {
        suspended_.store(true);
        while (inside_.load())
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        change();
        suspended_.store(false);
    }

    static int OnBufferSize(jack_nframes_t frames, void* arg)
    {
        LiveClient& self = *static_cast<LiveClient*>(arg);
        self.Suspended([&] {
            self.plugin_->Stop();
            self.bridge_->Reserve(EventCapacity(frames));
            self.plugin_->Start(self.plugin_->SampleRate(), int(frames));
        });
        return 0;
    }

    static int OnSampleRate(jack_nframes_t rate, void* arg)
    {
        LiveClient& self = *static_cast<LiveClient*>(arg);
        if (self.plugin_ && float(rate) != self.plugin_->SampleRate())
            self.Suspended([&] {
                self.plugin_->Stop();
                self.plugin_->Start(float(rate), self.plugin_->BlockSize());
            });
        return 0;
    }

    static int OnXrun(void* arg)
    {
        ++static_cast<LiveClient*>(arg)->xruns_;
        return 0;
    }

    static void OnShutdown(jack_status_t, const char*, void* arg)
    {
        static_cast<LiveClient*>(arg)->serverGone_ = true;
        g_stop = true;
    }

    jack_client_t* client_ = nullptr;
    jack_port_t* in_ = nullptr;
    jack_port_t* out_ = nullptr;
    MidiPlugin* plugin_ = nullptr;
    std::unique_ptr<LiveBridge> bridge_;
    bool active_ = false;
    std::atomic<bool> inside_{false};
    std::atomic<bool> suspended_{false};
    std::atomic<long> xruns_{0};
    std::atomic<bool> serverGone_{false};
};

// 0, or the exit status after saying in one line what was wrong.
int ParseLiveOptions(int argc, char** argv, LiveOptions& o)
{
    std::vector<std::string> positional;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--editor") {
            o.editor = true;
            continue;
        }
        if (arg != "--name" && arg != "--connect-in" && arg != "--connect-out" && arg != "--preset" &&
            arg != "--set" && arg != "--save")
            return Usage("unknown option " + arg);
        if (i + 1 >= argc)
            return Usage(arg + " needs a value");
        const std::string value = argv[++i];
        std::string error;
        Setting s;
        if (arg == "--name") {
            if (value.empty())
                return Usage("--name needs a client name");
            o.name = value;
        } else if (arg == "--connect-in") {
            o.connectIn.push_back(value);
        } else if (arg == "--connect-out") {
            o.connectOut.push_back(value);
        } else if (arg == "--set") {
            if (!ParseParameterSetting(value, s, error))
                return Usage(error);
            o.settings.push_back(std::move(s));
        } else if (arg == "--preset") {
            if (!ParseLoadSetting(value, s, error))
                return Fail(error);
            o.settings.push_back(std::move(s));
        } else if (arg == "--save") {
            bool known;
            if (!PathWantsBank(value, known) || !known)
                return Usage("--save " + value + ": name the bank file .fxb");
            o.savePath = value;
        }
    }
    if (positional.size() != 1)
        return Usage("live takes one plug-in");
    o.pluginPath = positional[0];
    return 0;
}

bool SaveBank(MidiPlugin& plugin, const std::string& path, std::string& error)
{
    PresetFile bank;
    if (!plugin.SaveBank(bank, error)) {
        error = path + ": nothing saved: " + error;
        return false;
    }
    return WritePresetFile(path, bank, error);
}

// Refreshes the status line a few times a second, on a terminal only.
class StatusLine {
public:
    StatusLine() : shown_(isatty(STDOUT_FILENO)) {}
    ~StatusLine()
    {
        if (printed_)
            std::fputs("\n", stdout);
    }
    void Show(const LiveClient& client)
    {
        const auto now = std::chrono::steady_clock::now();
        if (!shown_ || now < next_)
            return;
        next_ = now + std::chrono::milliseconds(250);
        std::printf("\r%s\033[K", client.Status().c_str());
        std::fflush(stdout);
        printed_ = true;
    }

private:
    bool shown_;
    bool printed_ = false;
    std::chrono::steady_clock::time_point next_{};
};

}  // namespace

int RunLive(int argc, char** argv)
{
    LiveOptions o;
    if (const int status = ParseLiveOptions(argc, argv, o))
        return status;

    // From the start: a stop asked for while the client starts up still
    // ends the program cleanly.
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    action.sa_flags = SA_RESTART;  // a signal during start-up interrupts no call to the server
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    std::string error;
    LiveClient client;
    if (!client.Open(o.name, error))
        return Fail(error);

    if (o.editor) {
        if (!client.CheckPorts(o.connectIn, o.connectOut, error))
            return Fail(error);
        StatusLine status;
        EditOptions edit;
        edit.pluginPath = o.pluginPath;
        edit.sampleRate = client.SampleRate();
        edit.blockSize = client.PeriodFrames();
        edit.settings = o.settings;
        edit.startAudio = [&](MidiPlugin& plugin, std::string& why) {
            plugin.Start(client.SampleRate(), client.PeriodFrames());
            return client.Activate(plugin, o.connectIn, o.connectOut, why);
        };
        edit.tick = [&] {
            status.Show(client);
            return !g_stop;
        };
        edit.stopAudio = [&] { client.Close(); };  // before the editor unloads the plug-in
        edit.beforeUnload = [&](MidiPlugin& plugin, std::string& why) {
            return o.savePath.empty() || SaveBank(plugin, o.savePath, why);
        };
        const int result = RunEditor(edit);
        client.Close();
        if (client.ServerGone())
            return Fail("the JACK server stopped; nothing more to do");
        return result;
    }

    // Loaded for the server's sample rate, with room for any period size.
    std::unique_ptr<MidiPlugin> plugin = LoadPlugin(o.pluginPath, client.SampleRate(), 8192, error);
    if (!plugin)
        return Fail(error);
    if (!ApplySettings(*plugin, o.settings, error))
        return Fail(error);
    if (!client.CheckPorts(o.connectIn, o.connectOut, error))
        return Fail(error);
    plugin->Start(client.SampleRate(), client.PeriodFrames());
    if (!client.Activate(*plugin, o.connectIn, o.connectOut, error)) {
        client.Close();
        return Fail(error);
    }
    {
        StatusLine status;
        while (!g_stop) {
            status.Show(client);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    client.Deactivate();
    plugin->Stop();
    const bool gone = client.ServerGone();
    const bool saved = o.savePath.empty() || SaveBank(*plugin, o.savePath, error);
    client.Close();  // before the plug-in goes
    plugin.reset();
    if (!saved)
        return Fail(error);
    if (gone)
        return Fail("the JACK server stopped" + std::string(o.savePath.empty() ? "" : "; the bank was saved"));
    return 0;
}

}  // namespace host
}  // namespace tessaro
