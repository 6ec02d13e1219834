// The event path: the cost per event of blocks of 256 note-ons and
// note-offs with the kill option on, against copying the same blocks in and
// out unchanged (each case has its own copy baseline, since the blocks it
// walks through decide how well they sit in the cache). Blocks run with no audio frames so only the MIDI work is
// measured; every block leaves the engine in the state it found it, so all
// iterations measure the same work.
//
//   Poly16:    polyphony 16; 128 new notes (112 of them steal), then their
//              128 note-offs (16 pass, 112 are swallowed).
//   FullTable: polyphony 127 with 127 notes sounding, the worst case for
//              scans of the 128-entry note table: 128 times a new note that
//              steals the oldest, then that stolen note's (swallowed) note-off.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "bench/bench_rig.h"

namespace {

constexpr int kBlockEvents = 256;

// What a plug-in that changes nothing would do: queue the events on input,
// move them to its output block and hand that to the host.
class CopyThrough {
public:
    void ProcessEvents(const VstEvents* events)
    {
        for (VstInt32 i = 0; i < events->numEvents && count_ < kBlockEvents; ++i)
            if (events->events[i]->type == kVstMidiType)
                std::memcpy(&queue_[count_++], events->events[i], sizeof(VstMidiEvent));
    }
    void Flush()
    {
        for (int i = 0; i < count_; ++i) {
            storage_[i] = queue_[i];
            out_.events[i] = reinterpret_cast<VstEvent*>(&storage_[i]);
        }
        out_.numEvents = count_;
        out_.reserved = 0;
        count_ = 0;
        bench::CountingHost(nullptr, audioMasterProcessEvents, 0, 0, &out_, 0.0f);
    }

private:
    struct {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[kBlockEvents];
    } out_;
    VstMidiEvent queue_[kBlockEvents];
    VstMidiEvent storage_[kBlockEvents];
    int count_ = 0;
};

std::vector<std::unique_ptr<bench::EventBlock>> Poly16Blocks()
{
    std::vector<VstMidiEvent> events;
    for (int i = 0; i < 128; ++i)
        events.push_back(bench::DistinctNoteOn(i));
    for (int i = 0; i < 128; ++i)
        events.push_back(bench::DistinctNoteOff(i));
    std::vector<std::unique_ptr<bench::EventBlock>> blocks;
    blocks.emplace_back(new bench::EventBlock(events));
    return blocks;
}

// Sixteen blocks walk once through the 2048 distinct notes; block b steals
// notes b*128 ... b*128+127 while starting the notes 127 further on.
std::vector<std::unique_ptr<bench::EventBlock>> FullTableBlocks()
{
    std::vector<std::unique_ptr<bench::EventBlock>> blocks;
    for (int b = 0; b < 16; ++b) {
        std::vector<VstMidiEvent> events;
        for (int k = 0; k < 128; ++k) {
            const int j = b * 128 + k;
            events.push_back(bench::DistinctNoteOn(127 + j));
            events.push_back(bench::DistinctNoteOff(j));
        }
        blocks.emplace_back(new bench::EventBlock(events));
    }
    return blocks;
}

void CopyBlocks(benchmark::State& state, std::vector<std::unique_ptr<bench::EventBlock>> blocks)
{
    CopyThrough copy;
    size_t next = 0;
    for (auto _ : state) {
        copy.ProcessEvents(blocks[next]->Get());
        copy.Flush();
        next = (next + 1) % blocks.size();
    }
    state.SetItemsProcessed(state.iterations() * kBlockEvents);
}

void EventPath_PlainCopy(benchmark::State& state)
{
    CopyBlocks(state, Poly16Blocks());
}

void EventPath_PlainCopyFullTable(benchmark::State& state)
{
    CopyBlocks(state, FullTableBlocks());
}

void Run(benchmark::State& state, bench::Effect& effect, std::vector<std::unique_ptr<bench::EventBlock>> blocks)
{
    bench::AudioBuffers buffers(1);
    const int64_t before = bench::EventsReceived();
    size_t next = 0;
    for (auto _ : state) {
        effect.ProcessEvents(blocks[next]->Get());
        effect.ProcessReplacing(buffers.inputs, buffers.outputs, 0);
        next = (next + 1) % blocks.size();
    }
    state.SetItemsProcessed(state.iterations() * kBlockEvents);
    state.counters["out_per_block"] =
        double(bench::EventsReceived() - before) / double(std::max<int64_t>(state.iterations(), 1));
}

void Poly16(benchmark::State& state, bench::Effect& effect)
{
    effect.SetParameter(0, 16.0f / 127.0f);
    effect.SetParameter(1, 1.0f);
    Run(state, effect, Poly16Blocks());
}

void FullTable(benchmark::State& state, bench::Effect& effect)
{
    effect.SetParameter(0, 1.0f);  // polyphony 127
    effect.SetParameter(1, 1.0f);
    std::vector<VstMidiEvent> fill;
    for (int i = 0; i < 127; ++i)
        fill.push_back(bench::DistinctNoteOn(i));
    bench::EventBlock first(fill);
    bench::AudioBuffers buffers(1);
    effect.ProcessEvents(first.Get());
    effect.ProcessReplacing(buffers.inputs, buffers.outputs, 0);
    Run(state, effect, FullTableBlocks());
}

void EventPath_Poly16Kill(benchmark::State& state)
{
    auto effect = bench::MakeLinkedEffect();
    Poly16(state, *effect);
}

void EventPath_FullTableKill(benchmark::State& state)
{
    auto effect = bench::MakeLinkedEffect();
    FullTable(state, *effect);
}

void EventPath_Poly16KillThroughSharedObject(benchmark::State& state)
{
    std::string error;
    auto effect = bench::MakeLoadedEffect(error);
    if (!effect)
        return state.SkipWithError(error.c_str());
    Poly16(state, *effect);
}

void EventPath_FullTableKillThroughSharedObject(benchmark::State& state)
{
    std::string error;
    auto effect = bench::MakeLoadedEffect(error);
    if (!effect)
        return state.SkipWithError(error.c_str());
    FullTable(state, *effect);
}

}  // namespace

TESSARO_BENCHMARK(EventPath_PlainCopy);
TESSARO_BENCHMARK(EventPath_PlainCopyFullTable);
TESSARO_BENCHMARK(EventPath_Poly16Kill);
TESSARO_BENCHMARK(EventPath_FullTableKill);
TESSARO_BENCHMARK(EventPath_Poly16KillThroughSharedObject);
TESSARO_BENCHMARK(EventPath_FullTableKillThroughSharedObject);
