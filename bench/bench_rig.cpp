#include "bench/bench_rig.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "plugin/vstplugin.h"

namespace bench {

namespace {

int64_t g_received = 0;
volatile unsigned char g_sink = 0;

}  // namespace

VstIntPtr CountingHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float)
{
    switch (opcode) {
    case audioMasterVersion:
        return 2400;
    case audioMasterWantMidi:
        return 1;
    case audioMasterProcessEvents: {
        const VstEvents* events = static_cast<const VstEvents*>(ptr);
        unsigned char sum = 0;
        for (VstInt32 i = 0; i < events->numEvents; ++i)
            sum ^= static_cast<unsigned char>(reinterpret_cast<const VstMidiEvent*>(events->events[i])->midiData[1]);
        g_sink ^= sum;
        g_received += events->numEvents;
        return 1;
    }
    case audioMasterGetProductString:
        std::strcpy(static_cast<char*>(ptr), "tessaro-bench");
        return 1;
    case audioMasterGetVendorString:
        std::strcpy(static_cast<char*>(ptr), "Tessaro");
        return 1;
    case audioMasterCanDo:
        return 1;
    default:
        return 0;
    }
}

double Smallest(const std::vector<double>& values)
{
    return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
}

int64_t EventsReceived()
{
    return g_received;
}

EventBlock::EventBlock(const std::vector<VstMidiEvent>& events) : events_(events)
{
    header_.resize(offsetof(VstEvents, events) + sizeof(VstEvent*) * (events_.size() + 2));
    VstEvents* block = Get();
    block->numEvents = static_cast<VstInt32>(events_.size());
    block->reserved = 0;
    for (size_t i = 0; i < events_.size(); ++i) {
        VstEvent* e = reinterpret_cast<VstEvent*>(&events_[i]);
        std::memcpy(header_.data() + offsetof(VstEvents, events) + i * sizeof(VstEvent*), &e, sizeof e);
    }
}

VstMidiEvent NoteOn(int channel, int note, int velocity)
{
    VstMidiEvent e;
    std::memset(&e, 0, sizeof e);
    e.type = kVstMidiType;
    e.byteSize = 24;
    e.midiData[0] = static_cast<char>(0x90 | channel);
    e.midiData[1] = static_cast<char>(note);
    e.midiData[2] = static_cast<char>(velocity);
    return e;
}

VstMidiEvent NoteOff(int channel, int note)
{
    VstMidiEvent e = NoteOn(channel, note, 0);
    e.midiData[0] = static_cast<char>(0x80 | channel);
    return e;
}

VstMidiEvent DistinctNoteOn(int64_t i)
{
    const int pair = static_cast<int>(i % 2048);
    return NoteOn(pair / 128, pair % 128);
}

VstMidiEvent DistinctNoteOff(int64_t i)
{
    const int pair = static_cast<int>(i % 2048);
    return NoteOff(pair / 128, pair % 128);
}

AudioBuffers::AudioBuffers(int n) : frames(n)
{
    for (int c = 0; c < 2; ++c) {
        in[c].assign(size_t(n), 0.0f);
        out[c].assign(size_t(n), 0.0f);
        for (int i = 0; i < n; ++i)
            in[c][size_t(i)] = 0.001f * float((i * 37 + c) % 1000);
        inputs[c] = in[c].data();
        outputs[c] = out[c].data();
    }
}

namespace {

class LinkedEffect : public Effect {
public:
    LinkedEffect()
    {
        int status = 0;
        plugin_.reset(new VSTPlugin(CountingHost, status));
        plugin_->setSampleRate(44100.0f);
        plugin_->setBlockSize(512);
        plugin_->resume();
    }
    void ProcessEvents(VstEvents* events) override { plugin_->processEvents(events); }
    void ProcessReplacing(float** in, float** out, int frames) override
    {
        plugin_->processReplacing(in, out, frames);
    }
    void SetParameter(int index, float value) override { plugin_->setParameter(index, value); }

private:
    std::unique_ptr<VSTPlugin> plugin_;
};

class LoadedEffect : public Effect {
public:
    LoadedEffect(void* library, AEffect* effect) : library_(library), effect_(effect)
    {
        Dispatch(effOpen);
        Dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
        Dispatch(effSetBlockSize, 0, 512);
        Dispatch(effMainsChanged, 0, 1);
    }
    ~LoadedEffect() override
    {
        Dispatch(effMainsChanged, 0, 0);
        Dispatch(effClose);
        dlclose(library_);
    }
    void ProcessEvents(VstEvents* events) override { Dispatch(effProcessEvents, 0, 0, events); }
    void ProcessReplacing(float** in, float** out, int frames) override
    {
        effect_->processReplacing(effect_, in, out, frames);
    }
    void SetParameter(int index, float value) override { effect_->setParameter(effect_, index, value); }

private:
    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f)
    {
        return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
    }

    void* library_;
    AEffect* effect_;
};

}  // namespace

std::unique_ptr<Effect> MakeLinkedEffect()
{
    return std::unique_ptr<Effect>(new LinkedEffect);
}

std::unique_ptr<Effect> MakeLoadedEffect(std::string& error)
{
    void* library = dlopen(TESSARO_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* why = dlerror();
        error = why ? why : "dlopen failed";
        return nullptr;
    }
    typedef AEffect* (*Entry)(audioMasterCallback);
    Entry entry = reinterpret_cast<Entry>(dlsym(library, "VSTPluginMain"));
    AEffect* effect = entry ? entry(CountingHost) : nullptr;
    if (!effect) {
        error = "the plug-in returned no effect";
        dlclose(library);
        return nullptr;
    }
    return std::unique_ptr<Effect>(new LoadedEffect(library, effect));
}

}  // namespace bench
