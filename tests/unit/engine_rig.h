// A polyphony engine driven through its public operations by the scripted
// host, with helpers to send MIDI blocks and read what came out.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <ostream>
#include <vector>

#include "fake_host.h"
#include "host_events.h"
#include "plugin/vstplugin.h"

namespace engine_test {

struct Msg {
    int status, data1, data2, delta;
    bool operator==(const Msg& o) const {
        return status == o.status && data1 == o.data1 && data2 == o.data2 && delta == o.delta;
    }
};

inline std::ostream& operator<<(std::ostream& os, const Msg& m) {
    return os << std::hex << "{0x" << m.status << std::dec << ", " << m.data1 << ", " << m.data2 << ", @"
              << m.delta << "}";
}

inline VstMidiEvent On(int channel, int note, int velocity = 100, int delta = 0) {
    return Midi(0x90 | channel, note, velocity, delta);
}
inline VstMidiEvent Off(int channel, int note, int velocity = 0, int delta = 0) {
    return Midi(0x80 | channel, note, velocity, delta);
}
inline VstMidiEvent CC(int controller, int value, int channel = 0) {
    return Midi(0xB0 | channel, controller, value);
}

struct Engine : testing::Test {
    static constexpr int kFrames = 64;

    FakeHost host;
    int status = 0;
    std::unique_ptr<VSTPlugin> plugin;
    size_t seen = 0;  // host events already returned by Out()
    float in[2][kFrames];
    float out[2][kFrames];
    float* inputs[2] = {in[0], in[1]};
    float* outputs[2] = {out[0], out[1]};

    void SetUp() override {
        plugin.reset(new VSTPlugin(FakeHost::Callback, status));
        plugin->resume();
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < kFrames; ++i)
                in[c][i] = out[c][i] = 0.0f;
    }

    void Queue(std::vector<VstMidiEvent> events) {
        EventBlock block(std::move(events));
        EXPECT_EQ(plugin->processEvents(block.Get()), 0);
    }

    // Queues the events, runs one audio block and returns what the host got.
    std::vector<Msg> Block(std::vector<VstMidiEvent> events = {}) {
        Queue(std::move(events));
        plugin->processReplacing(inputs, outputs, kFrames);
        return Out();
    }

    // Host events not yet looked at.
    std::vector<Msg> Out() {
        std::vector<Msg> result;
        for (; seen < host.events.size(); ++seen) {
            const VstMidiEvent& e = host.events[seen];
            result.push_back({static_cast<unsigned char>(e.midiData[0]), static_cast<unsigned char>(e.midiData[1]),
                              static_cast<unsigned char>(e.midiData[2]), e.deltaFrames});
        }
        return result;
    }

    int Polyphony() { return static_cast<int>(plugin->getParameter(kParamPolyphony) * 127.0f + 0.5f); }
    int Active() { return static_cast<int>(plugin->getParameter(kParamActiveNotes)); }
    void SetPolyphony(int polyphony) { plugin->setParameter(kParamPolyphony, polyphony / 127.0f); }

    // The bank as the host would save it.
    std::vector<unsigned char> Bank() {
        void* data = nullptr;
        const VstInt32 size = plugin->getChunk(&data, false);
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        return std::vector<unsigned char>(bytes, bytes + size);
    }
    VSTPluginProgram Program(int index) {
        void* data = nullptr;
        plugin->getChunk(&data, false);
        VSTPluginProgram p;
        std::memcpy(&p, static_cast<const VSTPluginProgram*>(data) + index, sizeof p);
        return p;
    }
    void LoadBank(const std::vector<unsigned char>& bytes) {
        std::vector<unsigned char> copy = bytes;
        ASSERT_EQ(plugin->setChunk(copy.data(), static_cast<VstInt32>(copy.size()), false), 1);
    }
};

}  // namespace engine_test
