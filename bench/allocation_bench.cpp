// The cost of a note-on that steals, for each steal policy, with 15 and
// with 127 notes sounding (Kill on, the limit at the count), and with Note
// Return off and on. Every note-on of a block steals, and the blocks leave
// the table as they found it, so all iterations measure the same work:
//
//   oldest:   notes u0 ... uN, u1 ... uN sounding; striking u(k) steals
//             u(k+1), which is struck next.
//   others:   X and L alternate: X has the smallest key of all and steals
//             L (the next smallest, unique), then L steals X back. For
//             newest L is the newest note; for lowest, highest and quietest
//             L has the second lowest note, the second highest note or the
//             second smallest velocity, X the extreme one.
//
// With Note Return on, each stolen note waits until it is struck again, in
// the next event: the blocks have no note-offs. The re-strike blocks have
// neither note-offs nor steals: only the check for waiting notes differs.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "bench/bench_rig.h"

namespace {

struct Plan {
    std::vector<VstMidiEvent> fill;   // sounding before the first block
    std::vector<VstMidiEvent> block;  // note-ons that each steal
};

Plan MakePlan(int policy, int sounding)
{
    Plan plan;
    if (policy == 0) {
        // 15 or 127 sounding: the period divides 256.
        // u(i) = the i-th distinct pair; u1 ... uN sound, u0 waits.
        const int period = sounding + 1;
        for (int i = 1; i <= sounding; ++i)
            plan.fill.push_back(bench::DistinctNoteOn(i));
        for (int k = 0; k < 256; ++k)  // 256 is a multiple of the period
            plan.block.push_back(bench::DistinctNoteOn(k % period));
        return plan;
    }
    // Others on channels 1 and up, notes 2-101, velocity 100.
    std::vector<VstMidiEvent> others;
    for (int i = 0; i < sounding - 1; ++i)
        others.push_back(bench::NoteOn(1 + i / 100, 2 + i % 100));
    VstMidiEvent x = bench::NoteOn(0, 0), l = bench::NoteOn(0, 1);
    if (policy == 3) {
        x = bench::NoteOn(0, 127);
        l = bench::NoteOn(0, 126);
    } else if (policy == 4) {
        x = bench::NoteOn(0, 0, 1);
        l = bench::NoteOn(0, 1, 2);
    }
    plan.fill = others;
    if (policy == 1)
        plan.fill.push_back(l);  // the newest
    else
        plan.fill.insert(plan.fill.begin(), l);
    for (int k = 0; k < 128; ++k) {
        plan.block.push_back(x);
        plan.block.push_back(l);
    }
    return plan;
}

void Steal(benchmark::State& state, int policy, int sounding, bool noteReturn)
{
    auto effect = bench::MakeLinkedEffect();
    effect->SetParameter(0, static_cast<float>(sounding) / 127.0f);
    effect->SetParameter(1, 1.0f);
    effect->SetParameter(11, static_cast<float>(policy) / 4.0f);
    effect->SetParameter(13, noteReturn ? 1.0f : 0.0f);
    const Plan plan = MakePlan(policy, sounding);
    bench::EventBlock fill(plan.fill);
    bench::EventBlock block(plan.block);
    bench::AudioBuffers buffers(1);
    effect->ProcessEvents(fill.Get());
    effect->ProcessReplacing(buffers.inputs, buffers.outputs, 0);
    // Every note-on must steal: a note-off and the note-on go out.
    const int64_t before = bench::EventsReceived();
    effect->ProcessEvents(block.Get());
    effect->ProcessReplacing(buffers.inputs, buffers.outputs, 0);
    if (bench::EventsReceived() - before != 2 * block.Size())
        return state.SkipWithError("a note-on of the block did not steal");
    for (auto _ : state) {
        effect->ProcessEvents(block.Get());
        effect->ProcessReplacing(buffers.inputs, buffers.outputs, 0);
    }
    state.SetItemsProcessed(state.iterations() * block.Size());
}

// 127 notes sounding (lowest policy), each struck again twice per block:
// note-ons with neither a note-off nor a steal.
void Restrike(benchmark::State& state, bool noteReturn)
{
    auto effect = bench::MakeLinkedEffect();
    effect->SetParameter(0, 1.0f);
    effect->SetParameter(1, 1.0f);
    effect->SetParameter(11, 0.5f);
    effect->SetParameter(13, noteReturn ? 1.0f : 0.0f);
    std::vector<VstMidiEvent> notes;
    for (int i = 0; i < 127; ++i)
        notes.push_back(bench::DistinctNoteOn(i));
    bench::EventBlock fill(notes);
    notes.insert(notes.end(), notes.begin(), notes.end());
    bench::EventBlock block(notes);
    bench::AudioBuffers buffers(1);
    effect->ProcessEvents(fill.Get());
    effect->ProcessReplacing(buffers.inputs, buffers.outputs, 0);
    for (auto _ : state) {
        effect->ProcessEvents(block.Get());
        effect->ProcessReplacing(buffers.inputs, buffers.outputs, 0);
    }
    state.SetItemsProcessed(state.iterations() * block.Size());
}

void Restrike_Lowest127(benchmark::State& state) { Restrike(state, false); }
void Restrike_LowestReturn127(benchmark::State& state) { Restrike(state, true); }
TESSARO_BENCHMARK(Restrike_Lowest127);
TESSARO_BENCHMARK(Restrike_LowestReturn127);

#define STEAL_CASE(name, policy, sounding, noteReturn)                          \
    void Steal_##name(benchmark::State& state) { Steal(state, policy, sounding, noteReturn); } \
    TESSARO_BENCHMARK(Steal_##name);

STEAL_CASE(Oldest15, 0, 15, false)
STEAL_CASE(Oldest127, 0, 127, false)
STEAL_CASE(Newest15, 1, 15, false)
STEAL_CASE(Newest127, 1, 127, false)
STEAL_CASE(Lowest15, 2, 15, false)
STEAL_CASE(Lowest127, 2, 127, false)
STEAL_CASE(Highest15, 3, 15, false)
STEAL_CASE(Highest127, 3, 127, false)
STEAL_CASE(Quietest15, 4, 15, false)
STEAL_CASE(Quietest127, 4, 127, false)
STEAL_CASE(OldestReturn127, 0, 127, true)
STEAL_CASE(LowestReturn127, 2, 127, true)

}  // namespace
