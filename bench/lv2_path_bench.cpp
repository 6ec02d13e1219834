// The LV2 plug-in's run(): the DSP binary loaded from the bundle through
// its descriptor, as a host loads it, against a pass-through LV2 MIDI
// filter written here that forges every input event into its output and
// does nothing else (the floor of the interface), and against the VST 2
// path through tessaro.so on the same events.
//
// One stream, cut into blocks of 256 frames: 128 note-ons on one channel,
// then their 128 note-offs, at polyphony 16 with Kill on (112 note-ons
// steal, 112 note-offs are swallowed). With 256 events a block the stream
// is one block; with 32 it is eight. Every round through the stream
// leaves the plug-in as it found it.
#include <benchmark/benchmark.h>

#include <dlfcn.h>
#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/urid/urid.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_rig.h"
#include "plugin/lv2/lv2ports.h"

namespace {

using namespace tessaro::lv2;

constexpr int kStreamEvents = 256;
constexpr uint32_t kFrames = 256;
constexpr uint32_t kOutBytes = TESSARO_LV2_MIDI_OUT_BYTES;

// Event i of the stream, as MIDI bytes.
void StreamEvent(int i, uint8_t bytes[3])
{
    const bool on = i < kStreamEvents / 2;
    bytes[0] = on ? 0x90 : 0x80;
    bytes[1] = static_cast<uint8_t>(i % (kStreamEvents / 2));
    bytes[2] = on ? 100 : 0;
}

// URIDs numbered in the order asked for.
class UridMap {
public:
    UridMap()
    {
        map_.handle = this;
        map_.map = &Map;
        feature.URI = LV2_URID__map;
        feature.data = &map_;
    }
    LV2_URID operator()(const char* uri) { return Map(this, uri); }
    LV2_Feature feature;

private:
    static LV2_URID Map(LV2_URID_Map_Handle handle, const char* uri)
    {
        std::vector<std::string>& uris = static_cast<UridMap*>(handle)->uris_;
        for (size_t i = 0; i < uris.size(); ++i)
            if (uris[i] == uri)
                return static_cast<LV2_URID>(i + 1);
        uris.emplace_back(uri);
        return static_cast<LV2_URID>(uris.size());
    }
    LV2_URID_Map map_;
    std::vector<std::string> uris_;
};

// The stream as atom sequences of `perBlock` events each, and midi_out.
struct Buffers {
    Buffers(UridMap& map, int perBlock)
    {
        const LV2_URID sequence = map(LV2_ATOM__Sequence);
        const LV2_URID midiEvent = map(LV2_MIDI__MidiEvent);
        for (int first = 0; first < kStreamEvents; first += perBlock) {
            std::vector<uint64_t> words(1 + (sizeof(LV2_Atom_Sequence) + perBlock * 24) / 8);
            auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(words.data());
            seq->atom.type = sequence;
            seq->atom.size = sizeof(LV2_Atom_Sequence_Body);
            for (int i = first; i < first + perBlock; ++i) {
                uint8_t* at = reinterpret_cast<uint8_t*>(words.data()) + sizeof(LV2_Atom) + seq->atom.size;
                LV2_Atom_Event event;
                event.time.frames = (i - first) * int64_t{kFrames} / perBlock;
                event.body.type = midiEvent;
                event.body.size = 3;
                uint8_t bytes[8] = {};
                StreamEvent(i, bytes);
                std::memcpy(at, &event, sizeof event);
                std::memcpy(at + sizeof event, bytes, sizeof bytes);
                seq->atom.size += sizeof(LV2_Atom_Event) + 8;
            }
            in.push_back(std::move(words));
        }
        out.resize(kOutBytes / 8);
    }
    LV2_Atom_Sequence* In(size_t block) { return reinterpret_cast<LV2_Atom_Sequence*>(in[block].data()); }
    LV2_Atom_Sequence* Out() { return reinterpret_cast<LV2_Atom_Sequence*>(out.data()); }
    // What a host does before every run: midi_out's size is its room.
    void OfferRoom() { Out()->atom.size = kOutBytes - sizeof(LV2_Atom); }

    std::vector<std::vector<uint64_t>> in;
    std::vector<uint64_t> out;
};

// The pass-through filter, reached through a descriptor as the plug-in is.
struct PassThrough {
    const LV2_Atom_Sequence* in = nullptr;
    LV2_Atom_Sequence* out = nullptr;
    LV2_Atom_Forge forge;
    LV2_URID midiEvent = 0;

    static LV2_Handle Instantiate(const LV2_Descriptor*, double, const char*, const LV2_Feature* const* features)
    {
        const LV2_URID_Map* map = nullptr;
        for (int i = 0; features[i]; ++i)
            if (std::strcmp(features[i]->URI, LV2_URID__map) == 0)
                map = static_cast<const LV2_URID_Map*>(features[i]->data);
        auto* self = new PassThrough;
        lv2_atom_forge_init(&self->forge, const_cast<LV2_URID_Map*>(map));
        self->midiEvent = map->map(map->handle, LV2_MIDI__MidiEvent);
        return self;
    }
    static void Connect(LV2_Handle handle, uint32_t port, void* data)
    {
        auto* self = static_cast<PassThrough*>(handle);
        if (port == kPortMidiIn)
            self->in = static_cast<const LV2_Atom_Sequence*>(data);
        else if (port == kPortMidiOut)
            self->out = static_cast<LV2_Atom_Sequence*>(data);
    }
    static void Run(LV2_Handle handle, uint32_t)
    {
        auto* self = static_cast<PassThrough*>(handle);
        LV2_Atom_Forge& forge = self->forge;
        lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(self->out), self->out->atom.size + sizeof(LV2_Atom));
        LV2_Atom_Forge_Frame frame;
        lv2_atom_forge_sequence_head(&forge, &frame, 0);
        LV2_ATOM_SEQUENCE_FOREACH(self->in, event)
        {
            if (event->body.type != self->midiEvent)
                continue;
            lv2_atom_forge_frame_time(&forge, event->time.frames);
            lv2_atom_forge_write(&forge, &event->body, sizeof(LV2_Atom) + event->body.size);
        }
        lv2_atom_forge_pop(&forge, &frame);
    }
    static void Cleanup(LV2_Handle handle) { delete static_cast<PassThrough*>(handle); }
};

const LV2_Descriptor kPassThrough = {"urn:tessaro:bench:pass-through", PassThrough::Instantiate, PassThrough::Connect,
                                     nullptr, PassThrough::Run, nullptr, PassThrough::Cleanup, nullptr};

// An instance with midi_in, midi_out and the control ports connected; the
// DSP binary stays loaded as long as it lives.
class Instance {
public:
    Instance(const LV2_Descriptor& descriptor, UridMap& map, int perBlock, void* library = nullptr)
        : descriptor_(descriptor), library_(library), buffers_(map, perBlock)
    {
        const LV2_Feature* features[] = {&map.feature, nullptr};
        handle_ = descriptor_.instantiate(&descriptor_, 48000.0, TESSARO_LV2_BUNDLE, features);
        descriptor_.connect_port(handle_, kPortMidiIn, buffers_.In(0));
        descriptor_.connect_port(handle_, kPortMidiOut, buffers_.Out());
        for (uint32_t port = kPortPolyphony; port < kPortCount; ++port)
            descriptor_.connect_port(handle_, port, &controls_[port]);
        controls_[kPortPolyphony] = 16.0f;
        controls_[kPortKill] = 1.0f;
        if (descriptor_.activate)
            descriptor_.activate(handle_);
    }
    ~Instance()
    {
        if (descriptor_.deactivate)
            descriptor_.deactivate(handle_);
        descriptor_.cleanup(handle_);
        if (library_)
            dlclose(library_);
    }

    void Time(benchmark::State& state)
    {
        const size_t blocks = buffers_.in.size();
        size_t next = 0;
        int64_t out = 0;
        for (auto _ : state) {
            descriptor_.connect_port(handle_, kPortMidiIn, buffers_.In(next));
            buffers_.OfferRoom();
            descriptor_.run(handle_, kFrames);
            out += buffers_.Out()->atom.size;
            next = next + 1 == blocks ? 0 : next + 1;
        }
        benchmark::DoNotOptimize(out);
        state.SetItemsProcessed(state.iterations() * (kStreamEvents / int64_t(blocks)));
    }

private:
    const LV2_Descriptor& descriptor_;
    void* library_;
    Buffers buffers_;
    LV2_Handle handle_ = nullptr;
    float controls_[kPortCount] = {};
};

std::unique_ptr<Instance> LoadTessaro(UridMap& map, int perBlock, std::string& error)
{
    const std::string file = std::string(TESSARO_LV2_BUNDLE) + "/tessaro_dsp.so";
    void* library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    auto entry = library ? reinterpret_cast<const LV2_Descriptor* (*)(uint32_t)>(dlsym(library, "lv2_descriptor"))
                         : nullptr;
    const LV2_Descriptor* descriptor = entry ? entry(0) : nullptr;
    if (!descriptor) {
        error = "cannot load " + file;
        if (library)
            dlclose(library);
        return nullptr;
    }
    return std::unique_ptr<Instance>(new Instance(*descriptor, map, perBlock, library));
}

void PassThroughRun(benchmark::State& state, int perBlock)
{
    UridMap map;
    Instance(kPassThrough, map, perBlock).Time(state);
}

void TessaroRun(benchmark::State& state, int perBlock)
{
    UridMap map;
    std::string error;
    std::unique_ptr<Instance> instance = LoadTessaro(map, perBlock, error);
    if (!instance)
        return state.SkipWithError(error.c_str());
    instance->Time(state);
}

// The same events through the VST 2 plug-in, with deltaFrames as above.
void VstRun(benchmark::State& state, int perBlock)
{
    std::string error;
    std::unique_ptr<bench::Effect> effect = bench::MakeLoadedEffect(error);
    if (!effect)
        return state.SkipWithError(error.c_str());
    effect->SetParameter(kParamPolyphony, 16.0f / 127.0f);
    effect->SetParameter(kParamKill, 1.0f);
    std::vector<std::unique_ptr<bench::EventBlock>> blocks;
    for (int first = 0; first < kStreamEvents; first += perBlock) {
        std::vector<VstMidiEvent> events;
        for (int i = first; i < first + perBlock; ++i) {
            uint8_t bytes[3];
            StreamEvent(i, bytes);
            VstMidiEvent e = bytes[0] == 0x90 ? bench::NoteOn(0, bytes[1]) : bench::NoteOff(0, bytes[1]);
            e.deltaFrames = static_cast<VstInt32>((i - first) * int64_t{kFrames} / perBlock);
            events.push_back(e);
        }
        blocks.emplace_back(new bench::EventBlock(events));
    }
    bench::AudioBuffers buffers(1);
    size_t next = 0;
    for (auto _ : state) {
        effect->ProcessEvents(blocks[next]->Get());
        effect->ProcessReplacing(buffers.inputs, buffers.outputs, 0);
        next = next + 1 == blocks.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(state.iterations() * perBlock);
}

void Lv2Path_PassThrough256(benchmark::State& state) { PassThroughRun(state, 256); }
void Lv2Path_PassThrough32(benchmark::State& state) { PassThroughRun(state, 32); }
void Lv2Path_Tessaro256(benchmark::State& state) { TessaroRun(state, 256); }
void Lv2Path_Tessaro32(benchmark::State& state) { TessaroRun(state, 32); }
void Lv2Path_Vst256(benchmark::State& state) { VstRun(state, 256); }
void Lv2Path_Vst32(benchmark::State& state) { VstRun(state, 32); }

}  // namespace

TESSARO_BENCHMARK(Lv2Path_PassThrough256);
TESSARO_BENCHMARK(Lv2Path_PassThrough32);
TESSARO_BENCHMARK(Lv2Path_Tessaro256);
TESSARO_BENCHMARK(Lv2Path_Tessaro32);
TESSARO_BENCHMARK(Lv2Path_Vst256);
TESSARO_BENCHMARK(Lv2Path_Vst32);
