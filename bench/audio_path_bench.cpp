// The audio path with no MIDI: one stereo block of 512 frames through the
// engine, against the plain copy that is its physical floor.
#include <benchmark/benchmark.h>

#include <cstring>

#include "bench/bench_rig.h"

namespace {

constexpr int kFrames = 512;

// The block size arrives at run time, as it does for the engine: with a
// constant size the compiler inlines the copy, which no plug-in can do
// (on i386 that alone makes the copy a third faster than memcpy).
void AudioPath_PlainCopy(benchmark::State& state)
{
    bench::AudioBuffers b(kFrames);
    int frames = kFrames;
    benchmark::DoNotOptimize(frames);
    for (auto _ : state) {
        for (int c = 0; c < 2; ++c)
            std::memcpy(b.outputs[c], b.inputs[c], sizeof(float) * static_cast<size_t>(frames));
        benchmark::DoNotOptimize(b.outputs[0]);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
}

void RunEngine(benchmark::State& state, bench::Effect& effect)
{
    bench::AudioBuffers b(kFrames);
    for (auto _ : state) {
        effect.ProcessReplacing(b.inputs, b.outputs, kFrames);
        benchmark::DoNotOptimize(b.outputs[0]);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
}

void AudioPath_Engine(benchmark::State& state)
{
    auto effect = bench::MakeLinkedEffect();
    RunEngine(state, *effect);
}

void AudioPath_EngineThroughSharedObject(benchmark::State& state)
{
    std::string error;
    auto effect = bench::MakeLoadedEffect(error);
    if (!effect) {
        state.SkipWithError(error.c_str());
        return;
    }
    RunEngine(state, *effect);
}

}  // namespace

TESSARO_BENCHMARK(AudioPath_PlainCopy);
TESSARO_BENCHMARK(AudioPath_Engine);
TESSARO_BENCHMARK(AudioPath_EngineThroughSharedObject);
