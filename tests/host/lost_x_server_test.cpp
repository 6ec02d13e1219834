// The X server the plug-in's own connection talks to goes away while the
// editor is open on it: the host process lives and the engine goes on
// limiting.
#include "fake_host.h"
#include "host_events.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <chrono>
#include <thread>
#include <vector>

#include "private_x_server.h"  // after gtest: Xlib's macros clash with it

namespace {

// One block of events through the plug-in; returns what it sent the host.
std::vector<int> Block(AEffect* effect, FakeHost& host, std::vector<VstMidiEvent> midi)
{
    EventBlock block(std::move(midi));
    host.events.clear();
    effect->dispatcher(effect, effProcessEvents, 0, 0, block.Get(), 0);
    std::vector<float> in(64, 0.0f), out0(64), out1(64);
    float* inputs[2] = {in.data(), in.data()};
    float* outputs[2] = {out0.data(), out1.data()};
    effect->processReplacing(effect, inputs, outputs, 64);
    std::vector<int> sent;  // status and key of each event
    for (const VstMidiEvent& e : host.events)
        sent.push_back(((unsigned char)e.midiData[0] << 8) | (unsigned char)e.midiData[1]);
    return sent;
}

// The child: a host with the editor open on the plug-in's own connection.
// Exit status 0 when everything held; Xlib's exit gives 1.
int RunHost(const PrivateXServer& server)
{
    const Window parent = server.HostWindow();
    if (!parent)
        return 10;

    void* library = dlopen(TESSARO_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return 11;
    auto entry = (AEffect * (*)(audioMasterCallback)) dlsym(library, "VSTPluginMain");
    FakeHost host;
    AEffect* effect = entry ? entry(FakeHost::Callback) : nullptr;
    if (!effect)
        return 12;
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0);
    effect->setParameter(effect, 0, 2.0f / 127.0f);  // polyphony 2
    // No display handed over: the editor lives on the plug-in's connection.
    effect->dispatcher(effect, effEditOpen, 0, 0, (void*)parent, 0);

    if (Block(effect, host, {Midi(0x90, 60, 100), Midi(0x90, 64, 100), Midi(0x90, 67, 100)}) !=
        std::vector<int>{0x903C, 0x9040})
        return 13;

    server.Kill();
    // The editor's timers and the event pump meet the broken connection.
    for (int i = 0; i < 20; ++i) {
        effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }

    if (Block(effect, host,
              {Midi(0x80, 60, 0), Midi(0x80, 64, 0), Midi(0x90, 70, 100), Midi(0x90, 72, 100),
               Midi(0x90, 74, 100)}) != std::vector<int>{0x803C, 0x8040, 0x9046, 0x9048})
        return 14;

    effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0);
    effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0);
    dlclose(library);
    return 0;
}

}  // namespace

TEST(LostXServer, TheHostLivesAndTheEngineGoesOnLimiting)
{
    PrivateXServer server;
    ASSERT_GT(server.pid, 0) << "Xvfb did not start (run scripts/setup.sh)";
    EXPECT_EQ(server.RunChild(RunHost), 0) << "1: Xlib ended the host; -1: it hung or crashed; 10-12: no host set "
                                              "up; 13: no limit before the loss; 14: no limit after it";
}
