// The audio thread never allocates: processEvents, processReplacing and
// process are run through every kind of event while a counting global
// operator new watches.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "host_events.h"
#include "plugin/vstplugin.h"

namespace {

// Counts only while armed, so the rest of the test program is unaffected.
std::atomic<bool> armed{false};
std::atomic<long> allocations{0};

int eventsSent = 0;

// A host that records without allocating.
VstIntPtr QuietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float)
{
    switch (opcode) {
    case audioMasterVersion:
        return 2400;
    case audioMasterProcessEvents:
        eventsSent += static_cast<VstEvents*>(ptr)->numEvents;
        return 1;
    default:
        return 0;
    }
}

struct Block {
    VstMidiEvent events[300];
    struct {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[300];
    } list;

    Block() { std::memset(this, 0, sizeof *this); }
    void Add(int status, int data1, int data2)
    {
        VstMidiEvent& e = events[list.numEvents];
        e = Midi(status, data1, data2, list.numEvents % 64);
        list.events[list.numEvents] = reinterpret_cast<VstEvent*>(&e);
        ++list.numEvents;
    }
    VstEvents* Get() { return reinterpret_cast<VstEvents*>(&list); }
};

}  // namespace

// Out of line, so the compiler sees them as the allocation functions they are.
[[gnu::noinline]] void* operator new(std::size_t size)
{
    if (armed.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

[[gnu::noinline]] void operator delete(void* p) noexcept
{
    std::free(p);
}

[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace {

TEST(AudioPath, TheAllocationCounterSeesAnAllocation)
{
    allocations = 0;
    armed = true;
    int* volatile probe = new int(3); // volatile: the allocation cannot be optimised away
    armed = false;
    delete probe;
    EXPECT_EQ(allocations.load(), 1);
}

TEST(AudioPath, ProcessingEveryKindOfEventAllocatesNothing)
{
    int status = 0;
    VSTPlugin* plugin = new VSTPlugin(QuietHost, status);
    plugin->resume();
    plugin->setParameter(kParamMidiThrough, 1.0f);
    plugin->setParameter(kParamPresetSwitching, 1.0f);
    plugin->setParameter(kParamKill, 1.0f);
    plugin->setParameter(kParamPolyCC, 2 / 128.0f);
    plugin->setParameter(kParamKillCC, 3 / 128.0f);
    plugin->setParameter(kParamPanicCC, 4 / 128.0f);

    // Steals, note-offs, remote controllers, panic, a program change,
    // forwarded messages, then learn capture, and an overfull block.
    Block first;
    for (int i = 0; i < 40; ++i)
        first.Add(0x90, 30 + i, 100);
    for (int i = 0; i < 20; ++i)
        first.Add(0x80, 30 + i, 0);
    first.Add(0xB0, 1, 5);    // polyphony 5: ends notes
    first.Add(0xB0, 2, 127);  // kill on
    first.Add(0xB0, 3, 127);  // panic
    first.Add(0xC0, 7, 0);    // program 7
    first.Add(0xE0, 0, 64);
    first.Add(0xB0, 9, 1);
    Block second;
    second.Add(0xB0, 12, 3);  // learnt
    for (int i = 0; i < 299; ++i)
        second.Add(0x90 | (i % 16), i % 128, 1 + i % 127);

    float in[2][256] = {};
    float out[2][256] = {};
    float* inputs[2] = {in[0], in[1]};
    float* outputs[2] = {out[0], out[1]};

    eventsSent = 0;
    allocations = 0;
    armed = true;
    plugin->processEvents(first.Get());
    plugin->processReplacing(inputs, outputs, 256);
    plugin->learnPolyCC = true;
    plugin->learnMode = true;
    plugin->processEvents(second.Get());
    plugin->process(inputs, outputs, 256);
    plugin->processEvents(first.Get());
    plugin->processReplacing(inputs, outputs, 256);
    armed = false;

    EXPECT_EQ(allocations.load(), 0);
    EXPECT_GT(eventsSent, 100);
    EXPECT_EQ(plugin->getProgram(), 7);
    EXPECT_EQ(plugin->getParameter(kParamPolyCC), 13 / 128.0f);
    plugin->getAeffect()->dispatcher(plugin->getAeffect(), effClose, 0, 0, nullptr, 0);
}

}  // namespace
