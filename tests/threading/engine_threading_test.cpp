// The engine under two threads: one plays blocks of notes as a host's audio
// thread does, the other changes parameters, programs, names and chunks as
// a host's GUI thread and the editor do. Nothing may race, and every
// note-on that left the plug-in must leave with its note-off.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "host_events.h"
#include "plugin/vstplugin.h"

namespace {

// Written only from the thread that processes audio.
std::vector<VstMidiEvent> sent;

VstIntPtr RecordingHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float)
{
    if (opcode == audioMasterVersion)
        return 2400;
    if (opcode == audioMasterProcessEvents) {
        const VstEvents* block = static_cast<const VstEvents*>(ptr);
        for (VstInt32 i = 0; i < block->numEvents; ++i) {
            VstMidiEvent e;
            std::memcpy(&e, block->events[i], sizeof e);
            sent.push_back(e);
        }
        return 1;
    }
    return 0;
}

struct Audio {
    explicit Audio(VSTPlugin& plugin) : plugin(plugin) {}

    VSTPlugin& plugin;
    float in[2][128] = {};
    float out[2][128] = {};
    float* inputs[2] = {in[0], in[1]};
    float* outputs[2] = {out[0], out[1]};
    std::set<std::pair<int, int>> held;  // notes the host holds down

    void Run(std::vector<VstMidiEvent> events, bool replacing)
    {
        EventBlock block(std::move(events));
        plugin.processEvents(block.Get());
        if (replacing)
            plugin.processReplacing(inputs, outputs, 128);
        else
            plugin.process(inputs, outputs, 128);
    }

    void RandomBlock(std::mt19937& rng, bool replacing)
    {
        std::vector<VstMidiEvent> block;
        const int count = int(rng() % 40);
        for (int i = 0; i < count; ++i) {
            const int delta = i * 3;
            const unsigned kind = rng() % 100;
            if (kind < 50) {
                const int c = int(rng() % 3), n = int(rng() % 48);
                block.push_back(Midi(0x90 | c, n, 1 + int(rng() % 127), delta));
                held.insert({c, n});
            } else if (kind < 90 && !held.empty()) {
                auto it = held.begin();
                std::advance(it, rng() % held.size());
                // Half as note-off, half as note-on with velocity 0.
                block.push_back(Midi((rng() % 2 ? 0x80 : 0x90) | it->first, it->second, 0, delta));
                held.erase(it);
            } else if (kind < 96) {
                block.push_back(Midi(0xB0, 20 + int(rng() % 4), int(rng() % 128), delta)); // remote controllers
            } else {
                block.push_back(Midi(0xC0, int(rng() % 34), 0, delta));
            }
        }
        Run(std::move(block), replacing);
    }

    void ReleaseEverything()
    {
        std::vector<VstMidiEvent> block;
        for (const auto& note : held)
            block.push_back(Midi(0x80 | note.first, note.second, 0, 0));
        held.clear();
        Run(std::move(block), true);
        Run({}, true);
    }
};

void ChangeSettings(VSTPlugin& plugin, std::mt19937& rng, const std::atomic<bool>& stop)
{
    std::vector<unsigned char> bank(VSTPluginProgramBank::kBankSize);
    char text[64];
    while (!stop.load()) {
        switch (rng() % 12) {
        case 0:
            plugin.setParameter(kParamPolyphony, float(rng() % 128) / 127.0f);
            break;
        case 1:
            plugin.setParameter(kParamKill, float(rng() % 2));
            break;
        case 2:
            plugin.setProgram(VstInt32(rng() % 32));
            break;
        case 3: {
            // A bank with small and negative limits, preset switching on.
            VSTPluginProgramBank fresh;
            for (VSTPluginProgram& p : fresh.programs) {
                p.polyphony = int(rng() % 12) - 2;
                p.kill = rng() % 2;
                p.presetSwitching = 1;
                p.polyCC = 21;
                p.killCC = 22;
                p.panicCC = 23;
            }
            std::memcpy(bank.data(), &fresh, bank.size());
            plugin.setChunk(bank.data(), VstInt32(bank.size()), false);
            break;
        }
        case 4:
            std::memcpy(bank.data(), "Program from the editor", 24);
            plugin.setChunk(bank.data(), VSTPluginProgramBank::kProgramSize, true);
            break;
        case 5:
            plugin.setParameterAutomated(kParamPanic, float(rng() % 2));
            break;
        case 6:
            plugin.setParameter(kParamMidiThrough, float(rng() % 2));
            break;
        case 7:
            plugin.getParameterDisplay(kParamPolyphony, text);
            plugin.getProgramName(text);
            plugin.getProgramNameIndexed(0, VstInt32(rng() % 32), text);
            (void)plugin.getParameter(kParamActiveNotes);
            break;
        case 8:
            plugin.setProgramName(const_cast<char*>("Renamed while playing"));
            break;
        case 9: {
            // The host copies the chunk while the audio thread goes on.
            void* data = nullptr;
            EXPECT_EQ(plugin.getChunk(&data, false), VSTPluginProgramBank::kBankSize);
            std::memcpy(bank.data(), data, bank.size());
            break;
        }
        case 10:
            plugin.Engine().ArmLearn(LearnTarget::Polyphony, true);
            plugin.Engine().SetLearning(true);
            break;
        default:
            plugin.setParameter(kParamPolyCC + int(rng() % 3), float(21 + rng() % 3) / 128.0f);
            break;
        }
    }
}

TEST(EngineThreads, EveryNoteThatSoundsIsEndedWhileSettingsChangeUnderneath)
{
    sent.clear();
    int status = 0;
    VSTPlugin* plugin = new VSTPlugin(RecordingHost, status);
    plugin->resume();
    plugin->setParameter(kParamPolyphony, 6.0f / 127.0f);
    plugin->setParameter(kParamKill, 1.0f);

    std::atomic<bool> started{false};
    std::atomic<bool> stop{false};
    Audio audio(*plugin);
    std::thread control([&] {
        std::mt19937 rng(2);
        started = true;
        ChangeSettings(*plugin, rng, stop);
    });
    std::thread player([&] {
        while (!started.load())
            std::this_thread::yield();
        std::mt19937 rng(1);
        for (int block = 0; block < 4000; ++block)
            audio.RandomBlock(rng, block % 3 != 0);
        stop = true;
    });
    player.join();
    control.join();
    audio.ReleaseEverything();

    std::map<std::pair<int, int>, bool> sounding;
    long noteOns = 0, noteOffs = 0;
    for (const VstMidiEvent& e : sent) {
        const int status = static_cast<unsigned char>(e.midiData[0]);
        const std::pair<int, int> key{status & 0x0F, e.midiData[1] & 0x7F};
        if ((status & 0xF0) == 0x90) {
            ASSERT_GT(e.midiData[2], 0) << "note-ons leave with a velocity";
            sounding[key] = true;
            ++noteOns;
        } else if ((status & 0xF0) == 0x80) {
            ASSERT_TRUE(sounding[key]) << "note-off for a note that was not sounding";
            sounding[key] = false;
            ++noteOffs;
        }
    }
    for (const auto& note : sounding)
        EXPECT_FALSE(note.second) << "channel " << note.first.first << " note " << note.first.second
                                  << " never ended";
    EXPECT_GT(noteOns, 1000);
    EXPECT_GT(noteOffs, 1000);
    EXPECT_EQ(plugin->getParameter(kParamActiveNotes), 0.0f);
    plugin->getAeffect()->dispatcher(plugin->getAeffect(), effClose, 0, 0, nullptr, 0);
}

}  // namespace
