// What the benchmarks share: a host that only counts the events it is
// given, the engine created directly or through the dlopened plug-in, and
// blocks of MIDI events laid out as a host hands them over.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "plugin/vst/aeffectx.h"

// Registers a benchmark with the smallest time over repetitions reported
// beside mean, median and spread: on a shared machine interference only
// ever adds time, so the minimum is the steadiest estimate of the cost.
#define TESSARO_BENCHMARK(fn) BENCHMARK(fn)->ComputeStatistics("min", bench::Smallest)

namespace bench {

double Smallest(const std::vector<double>& values);

// The host callback of every benchmark: answers like a plain host and
// counts the output events, touching each so the work cannot be skipped.
VstIntPtr CountingHost(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
int64_t EventsReceived();

// A VstEvents block owning its events.
class EventBlock {
public:
    explicit EventBlock(const std::vector<VstMidiEvent>& events);
    VstEvents* Get() { return reinterpret_cast<VstEvents*>(header_.data()); }
    int Size() const { return static_cast<int>(events_.size()); }

private:
    std::vector<VstMidiEvent> events_;
    std::vector<unsigned char> header_;
};

VstMidiEvent NoteOn(int channel, int note, int velocity = 100);
VstMidiEvent NoteOff(int channel, int note);

// The i-th of 2048 distinct (channel, note) pairs, cycling.
VstMidiEvent DistinctNoteOn(int64_t i);
VstMidiEvent DistinctNoteOff(int64_t i);

// Stereo buffers of one audio block.
struct AudioBuffers {
    explicit AudioBuffers(int frames);
    int frames;
    std::vector<float> in[2], out[2];
    float* inputs[2];
    float* outputs[2];
};

// The effect under test, reached either through its C++ class (linked in)
// or through the AEffect of the dlopened shared object, so the two paths
// can be compared call for call.
class Effect {
public:
    virtual ~Effect() = default;
    virtual void ProcessEvents(VstEvents* events) = 0;
    virtual void ProcessReplacing(float** in, float** out, int frames) = 0;
    virtual void SetParameter(int index, float value) = 0;
};

// The engine as a C++ object; resumed, rate 44100, block 512.
std::unique_ptr<Effect> MakeLinkedEffect();
// The engine through dlopen and the dispatcher; null (with the reason in
// `error`) when the shared object cannot be loaded.
std::unique_ptr<Effect> MakeLoadedEffect(std::string& error);

}  // namespace bench
