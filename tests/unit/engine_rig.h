// A polyphony engine on its own, driven through its public operations as an
// adapter drives it: MIDI queued, one block run, the output lent and given
// back. Helpers send MIDI blocks and read what came out.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <ostream>
#include <vector>

#include "kova/midi/midievent.h"
#include "plugin/polyphonyengine.h"

namespace engine_test {

using kova::midi::midievent;

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

// One MIDI event; every field not given is as a host leaves it, 0.
inline midievent Midi(int status, int data1, int data2, int delta = 0) {
    midievent e;
    e.SetMessage(status, data1, data2);
    e.deltaFrames = delta;
    return e;
}
inline midievent On(int channel, int note, int velocity = 100, int delta = 0) {
    return Midi(0x90 | channel, note, velocity, delta);
}
inline midievent Off(int channel, int note, int velocity = 0, int delta = 0) {
    return Midi(0x80 | channel, note, velocity, delta);
}
inline midievent CC(int controller, int value, int channel = 0) {
    return Midi(0xB0 | channel, controller, value);
}

struct Engine : testing::Test {
    std::unique_ptr<PolyphonyEngine> engine{new PolyphonyEngine};
    std::vector<midievent> events;  // every event the engine handed out, in order
    std::vector<int> blockSizes;    // events per block handed out
    size_t seen = 0;                // events already returned by Out()

    void Queue(const std::vector<midievent>& block) {
        PolyphonyEngine::InputWriter queue = engine->Input();
        for (const midievent& e : block)
            queue.push(e);
        queue.commit();
    }

    // Queues the events, runs one block and returns what left the engine.
    std::vector<Msg> Block(const std::vector<midievent>& block = {}) {
        Queue(block);
        engine->ProcessInput();
        if (engine->HasOutput()) {
            midievent* lent[PolyphonyEngine::kOutQueueSize];
            const int32_t count = engine->LendOutput(lent);
            if (count > 0)
                blockSizes.push_back(count);
            for (int32_t i = 0; i < count; ++i)
                events.push_back(*lent[i]);
            engine->GiveBackOutput();
        }
        return Out();
    }

    // Events not yet looked at.
    std::vector<Msg> Out() {
        std::vector<Msg> result;
        for (; seen < events.size(); ++seen) {
            const midievent& e = events[seen];
            result.push_back({e.midiData[0], e.midiData[1], e.midiData[2], e.deltaFrames});
        }
        return result;
    }

    int Polyphony() { return static_cast<int>(engine->getParameter(kParamPolyphony) * 127.0f + 0.5f); }
    int Active() { return static_cast<int>(engine->getParameter(kParamActiveNotes)); }
    void SetPolyphony(int polyphony) { engine->setParameter(kParamPolyphony, polyphony / 127.0f); }

    // The bank as the host would save it.
    std::vector<unsigned char> Bank() {
        void* data = nullptr;
        const int32_t size = engine->getChunk(&data, false);
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        return std::vector<unsigned char>(bytes, bytes + size);
    }
    VSTPluginProgram Program(int index) {
        void* data = nullptr;
        engine->getChunk(&data, false);
        VSTPluginProgram p;
        std::memcpy(&p, static_cast<const VSTPluginProgram*>(data) + index, sizeof p);
        return p;
    }
    void LoadBank(const std::vector<unsigned char>& bytes) {
        std::vector<unsigned char> copy = bytes;
        ASSERT_EQ(engine->setChunk(copy.data(), static_cast<int32_t>(copy.size()), false), ChunkLoad::Loaded);
    }
};

}  // namespace engine_test
