// The VST 2 adapter around the engine: the host's event blocks in and out,
// the audio, suspend and sample rate, the dispatcher's routes to programs
// and chunks, and the message about a chunk from a newer version.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "fake_host.h"
#include "host_events.h"
#include "plugin/vstplugin.h"

namespace {

struct Msg {
    int status, data1, data2, delta;
    bool operator==(const Msg& o) const
    {
        return status == o.status && data1 == o.data1 && data2 == o.data2 && delta == o.delta;
    }
};

std::ostream& operator<<(std::ostream& os, const Msg& m)
{
    return os << std::hex << "{0x" << m.status << std::dec << ", " << m.data1 << ", " << m.data2 << ", @"
              << m.delta << "}";
}

VstMidiEvent On(int channel, int note)
{
    return Midi(0x90 | channel, note, 100);
}

std::vector<unsigned char> RandomBytes(size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<unsigned char> bytes(size);
    for (unsigned char& b : bytes)
        b = static_cast<unsigned char>(rng());
    return bytes;
}

const char* const kNewerBank =
    "Tessaro: Failed to load bank\n(Reason: Saved with newer version\nThis version = 1.03\n"
    "Some settings will be lost !)\n";
const char* const kNewerProgram =
    "Tessaro: Failed to load program\n(Reason: Saved with newer version\nThis version = 1.03\n"
    "Some settings will be lost !)\n";

struct Adapter : testing::Test {
    static constexpr int kFrames = 64;

    FakeHost host;
    int status = 0;
    std::unique_ptr<VSTPlugin> plugin;
    size_t seen = 0;  // host events already returned by Out()
    float in[2][kFrames];
    float out[2][kFrames];
    float* inputs[2] = {in[0], in[1]};
    float* outputs[2] = {out[0], out[1]};

    void SetUp() override
    {
        plugin.reset(new VSTPlugin(FakeHost::Callback, status));
        plugin->resume();
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < kFrames; ++i)
                in[c][i] = out[c][i] = 0.0f;
    }

    void Queue(std::vector<VstMidiEvent> events)
    {
        EventBlock block(std::move(events));
        EXPECT_EQ(plugin->processEvents(block.Get()), 0);
    }

    std::vector<Msg> Block(std::vector<VstMidiEvent> events = {})
    {
        Queue(std::move(events));
        plugin->processReplacing(inputs, outputs, kFrames);
        return Out();
    }

    std::vector<Msg> Out()
    {
        std::vector<Msg> result;
        for (; seen < host.events.size(); ++seen) {
            const VstMidiEvent& e = host.events[seen];
            result.push_back({static_cast<unsigned char>(e.midiData[0]), static_cast<unsigned char>(e.midiData[1]),
                              static_cast<unsigned char>(e.midiData[2]), e.deltaFrames});
        }
        return result;
    }

    int Active() { return static_cast<int>(plugin->getParameter(kParamActiveNotes)); }

    std::vector<unsigned char> Bank()
    {
        void* data = nullptr;
        const VstInt32 size = plugin->getChunk(&data, false);
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        return std::vector<unsigned char>(bytes, bytes + size);
    }
};

// --- Events and audio ----------------------------------------------------------

TEST_F(Adapter, EventsOfOtherTypesAndMissingBlocksAreIgnored)
{
    VstMidiEvent sysex = On(0, 60);
    sysex.type = kVstSysExType;
    EXPECT_TRUE(Block({sysex}).empty());
    EXPECT_EQ(plugin->processEvents(nullptr), 0);
    plugin->processReplacing(inputs, outputs, kFrames);
    EXPECT_TRUE(Out().empty());
}

TEST_F(Adapter, ProcessReplacingCopiesAndProcessAddsTheAudio)
{
    for (int i = 0; i < kFrames; ++i) {
        in[0][i] = float(i);
        in[1][i] = -float(i);
        out[0][i] = out[1][i] = 100.0f;
    }
    plugin->processReplacing(inputs, outputs, kFrames);
    for (int i = 0; i < kFrames; ++i) {
        ASSERT_EQ(out[0][i], float(i));
        ASSERT_EQ(out[1][i], -float(i));
    }
    plugin->process(inputs, outputs, kFrames);
    for (int i = 0; i < kFrames; ++i) {
        ASSERT_EQ(out[0][i], 2.0f * float(i));
        ASSERT_EQ(out[1][i], -2.0f * float(i));
    }
    plugin->process(inputs, outputs, 0);
    EXPECT_EQ(out[0][5], 10.0f);
}

TEST_F(Adapter, WhileSuspendedNothingIsTouchedAndMidiWaitsForResume)
{
    plugin->suspend();
    for (int i = 0; i < kFrames; ++i)
        out[0][i] = out[1][i] = 7.0f;
    in[0][0] = 1.0f;
    Queue({On(0, 60)});
    plugin->processReplacing(inputs, outputs, kFrames);
    plugin->process(inputs, outputs, kFrames);
    EXPECT_EQ(out[0][0], 7.0f);
    EXPECT_TRUE(Out().empty());
    plugin->resume();
    EXPECT_EQ(Block(), (std::vector<Msg>{{0x90, 60, 100, 0}}));
}

TEST_F(Adapter, ASampleRateChangeWhileRunningEmptiesTheNoteTable)
{
    plugin->setParameter(kParamPolyphony, 2 / 127.0f);
    Block({On(0, 60), On(0, 61)});
    plugin->setSampleRate(48000.0f);
    EXPECT_EQ(plugin->getSampleRate(), 48000.0f);
    EXPECT_EQ(Active(), 0);
    EXPECT_FALSE(plugin->IsSuspended());
    // The old notes no longer count and their note-offs are swallowed.
    EXPECT_EQ(Block({On(0, 62), On(0, 63), Midi(0x80, 60, 0)}),
              (std::vector<Msg>{{0x90, 62, 100, 0}, {0x90, 63, 100, 0}}));
}

TEST_F(Adapter, ASampleRateChangeWhileSuspendedOnlyStoresTheRate)
{
    plugin->suspend();
    plugin->setSampleRate(96000.0f);
    EXPECT_EQ(plugin->getSampleRate(), 96000.0f);
    EXPECT_TRUE(plugin->IsSuspended());
}

TEST_F(Adapter, TheDispatcherRoutesEventsAndRefusesAMissingBlock)
{
    AEffect* effect = plugin->getAeffect();
    EXPECT_EQ(effect->dispatcher(effect, effProcessEvents, 0, 0, nullptr, 0), 0);
    EventBlock block({On(0, 64)});
    effect->dispatcher(effect, effProcessEvents, 0, 0, block.Get(), 0);
    effect->processReplacing(effect, inputs, outputs, kFrames);
    EXPECT_EQ(Out(), (std::vector<Msg>{{0x90, 64, 100, 0}}));
}

TEST_F(Adapter, AFloodOfEventsInOneBlockLosesNoNoteOff)
{
    // Half the block note-ons, then their note-offs, last note first, at
    // polyphony 4: the first four notes sound, and their note-offs come
    // last. Up to 4,096 events nothing is lost; past that, note-offs of
    // sounding notes still get through.
    plugin->setParameter(kParamPolyphony, 4 / 127.0f);
    for (const int total : {300, 4096, 10000}) {
        const int notes = total / 2;
        auto note = [](int i) { return i < 4 ? std::pair<int, int>(0, i) : std::pair<int, int>(1 + i % 15, i % 128); };
        std::vector<VstMidiEvent> block;
        for (int i = 0; i < notes; ++i)
            block.push_back(Midi(0x90 | note(i).first, note(i).second, 100, 0));
        for (int i = notes - 1; i >= 0; --i)
            block.push_back(Midi(0x80 | note(i).first, note(i).second, 0, 32));
        EXPECT_EQ(Block(std::move(block)), (std::vector<Msg>{{0x90, 0, 100, 0},
                                                             {0x90, 1, 100, 0},
                                                             {0x90, 2, 100, 0},
                                                             {0x90, 3, 100, 0},
                                                             {0x80, 3, 0, 32},
                                                             {0x80, 2, 0, 32},
                                                             {0x80, 1, 0, 32},
                                                             {0x80, 0, 0, 32}}))
            << total;
        EXPECT_EQ(Active(), 0) << total;
    }
}

TEST_F(Adapter, GesturesReachTheHostUnlessItIsOneThatCrashesOnThem)
{
    plugin->BeginGesture(kParamKill);
    plugin->UserChange(kParamKill, 1.0f);
    plugin->EndGesture(kParamKill);
    EXPECT_EQ(host.edits, (std::vector<std::string>{"begin 1", "automate 1", "end 1"}));

    host.edits.clear();
    host.product = "Ardour";
    VSTPlugin ardours(FakeHost::Callback, status);
    ardours.BeginGesture(kParamKill);
    ardours.UserChange(kParamKill, 1.0f);
    ardours.EndGesture(kParamKill);
    EXPECT_EQ(host.edits, std::vector<std::string>{"automate 1"});
}

// --- Programs and chunks --------------------------------------------------------

TEST_F(Adapter, ProgramNumbersOutsideTheBankAreIgnored)
{
    AEffect* effect = plugin->getAeffect();
    effect->dispatcher(effect, effSetProgram, 0, 32, nullptr, 0);
    EXPECT_EQ(plugin->getProgram(), 0);
}

TEST_F(Adapter, MissingChunkDataAndNegativeSizesAreRefused)
{
    const std::vector<unsigned char> before = Bank();
    std::vector<unsigned char> junk = RandomBytes(4000, 5);
    EXPECT_EQ(plugin->setChunk(nullptr, 3072, false), 0);
    EXPECT_EQ(plugin->setChunk(junk.data(), -1, false), 0);
    EXPECT_EQ(plugin->setChunk(junk.data(), 95, true), 0);
    AEffect* effect = plugin->getAeffect();
    EXPECT_EQ(effect->dispatcher(effect, effSetChunk, 0, -5, junk.data(), 0), 0);
    EXPECT_EQ(effect->dispatcher(effect, effSetChunk, 1, 96, nullptr, 0), 0);
    EXPECT_EQ(Bank(), before);
}

TEST_F(Adapter, TheDispatcherHandsOutTheProgramAndTheBank)
{
    AEffect* effect = plugin->getAeffect();
    void* data = nullptr;
    EXPECT_EQ(effect->dispatcher(effect, effGetChunk, 1, 0, &data, 0), 96);
    EXPECT_EQ(effect->dispatcher(effect, effGetChunk, 0, 0, &data, 0), 3072);
    std::vector<unsigned char> bank = RandomBytes(3072, 17);
    EXPECT_EQ(effect->dispatcher(effect, effSetChunk, 0, 3072, bank.data(), 0), 1);
    EXPECT_EQ(Bank(), bank);
}

TEST_F(Adapter, AChunkHandedOutStaysAsItWasWhileAControllerMovesTheLimit)
{
    plugin->setParameter(kParamPolyCC, 21 / 128.0f);  // controller 20
    for (const bool isPreset : {false, true}) {
        void* data = nullptr;
        const VstInt32 size = plugin->getChunk(&data, isPreset);
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        const std::vector<unsigned char> handedOut(bytes, bytes + size);
        Block({Midi(0xB0, 20, isPreset ? 9 : 5)});
        EXPECT_EQ(std::vector<unsigned char>(bytes, bytes + size), handedOut) << isPreset;
        // The next chunk has the new limit.
        VSTPluginProgram program;
        plugin->getChunk(&data, isPreset);
        std::memcpy(&program, data, sizeof program);
        EXPECT_EQ(program.polyphony, isPreset ? 9 : 5) << isPreset;
    }
}

TEST_F(Adapter, ALongerChunkLoadsAndTellsTheUserSettingsWillBeLost)
{
    std::vector<unsigned char> newer = RandomBytes(3100, 9);
    testing::internal::CaptureStderr();
    EXPECT_EQ(plugin->setChunk(newer.data(), 3100, false), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), kNewerBank);
    EXPECT_EQ(Bank(), std::vector<unsigned char>(newer.begin(), newer.begin() + 3072));

    plugin->setProgram(2);
    testing::internal::CaptureStderr();
    EXPECT_EQ(plugin->setChunk(newer.data(), 100, true), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), kNewerProgram);
    // A chunk of the right size is loaded without a word.
    testing::internal::CaptureStderr();
    EXPECT_EQ(plugin->setChunk(newer.data(), 96, true), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
