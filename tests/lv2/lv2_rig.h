// A small LV2 host for the tests: loads the bundle's DSP binary with dlopen,
// maps URIDs, connects every port to a buffer of its own, writes MIDI into
// midi_in as an atom sequence and reads midi_out back. State is saved into
// and restored from a map the test can inspect.
#pragma once

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cstring>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "plugin/lv2/lv2ports.h"

namespace lv2_test {

using namespace tessaro::lv2;

inline std::string BundleFile(const char* name)
{
    return std::string(TESSARO_LV2_BUNDLE) + "/" + name;
}

class UridMap {
public:
    UridMap()
    {
        feature.URI = LV2_URID__map;
        feature.data = &map;
        map.handle = this;
        map.map = &Map;
    }
    LV2_URID operator()(const char* uri) { return Map(this, uri); }

    LV2_Feature feature;

private:
    static LV2_URID Map(LV2_URID_Map_Handle handle, const char* uri)
    {
        auto& ids = static_cast<UridMap*>(handle)->ids;
        auto found = ids.find(uri);
        if (found != ids.end())
            return found->second;
        const LV2_URID id = static_cast<LV2_URID>(ids.size() + 1);
        ids.emplace(uri, id);
        return id;
    }

    LV2_URID_Map map;
    std::map<std::string, LV2_URID> ids;
};

// A library of the bundle, open for the object's lifetime.
struct Library {
    explicit Library(const char* file) : handle(dlopen(BundleFile(file).c_str(), RTLD_NOW | RTLD_LOCAL)) {}
    ~Library()
    {
        if (handle)
            dlclose(handle);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    void* Symbol(const char* name) const { return handle ? dlsym(handle, name) : nullptr; }

    void* handle;
};

// A MIDI message with the frame it comes at.
struct Timed {
    int64_t frame;
    std::vector<uint8_t> bytes;
    bool operator==(const Timed& o) const { return frame == o.frame && bytes == o.bytes; }
};

inline std::ostream& operator<<(std::ostream& os, const Timed& t)
{
    os << "@" << t.frame << " {";
    for (uint8_t b : t.bytes)
        os << " " << int(b);
    return os << " }";
}

// Saved state: key URID to type URID and bytes.
struct SavedState {
    struct Value {
        LV2_URID type;
        std::vector<uint8_t> bytes;
    };
    std::map<LV2_URID, Value> values;

    static LV2_State_Status Store(LV2_State_Handle handle, uint32_t key, const void* value, size_t size,
                                  uint32_t type, uint32_t)
    {
        const auto* bytes = static_cast<const uint8_t*>(value);
        static_cast<SavedState*>(handle)->values[key] = {type, std::vector<uint8_t>(bytes, bytes + size)};
        return LV2_STATE_SUCCESS;
    }
    static const void* Retrieve(LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type,
                                uint32_t* flags)
    {
        auto& values = static_cast<SavedState*>(handle)->values;
        auto found = values.find(key);
        if (found == values.end())
            return nullptr;
        *size = found->second.bytes.size();
        *type = found->second.type;
        *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
        return found->second.bytes.data();
    }
};

// One instance of the plug-in with every port connected.
class Instance {
public:
    // Room for a flood of 10,000 events in, and what tessaro.ttl asks for out.
    static constexpr uint32_t kBufferBytes = 262144;

    Instance() : dsp("tessaro_dsp.so"), inBuffer(kBufferBytes / 8), outBuffer(kBufferBytes / 8)
    {
        auto entry = reinterpret_cast<const LV2_Descriptor* (*)(uint32_t)>(dsp.Symbol("lv2_descriptor"));
        if (!entry)
            return;
        descriptor = entry(0);
        const LV2_Feature* features[] = {&map.feature, nullptr};
        handle = descriptor->instantiate(descriptor, 48000.0, TESSARO_LV2_BUNDLE, features);
        if (!handle)
            return;
        descriptor->connect_port(handle, kPortMidiIn, in);
        descriptor->connect_port(handle, kPortMidiOut, out);
        for (uint32_t port = kPortPolyphony; port < kPortCount; ++port)
            descriptor->connect_port(handle, port, &controls[port]);
        // The Turtle defaults, as a host sets them.
        controls[kPortPolyphony] = 16.0f;
        descriptor->activate(handle);
        ClearInput();
    }
    ~Instance()
    {
        if (handle) {
            descriptor->deactivate(handle);
            descriptor->cleanup(handle);
        }
    }
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    bool Ready() const { return handle != nullptr; }

    void Queue(int64_t frame, std::vector<uint8_t> bytes)
    {
        auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(in);
        LV2_Atom_Event* event = lv2_atom_sequence_end(&seq->body, seq->atom.size);
        event->time.frames = frame;
        event->body.type = midiEvent;
        event->body.size = static_cast<uint32_t>(bytes.size());
        std::memcpy(event + 1, bytes.data(), bytes.size());
        seq->atom.size += static_cast<uint32_t>(sizeof(LV2_Atom_Event) + lv2_atom_pad_size(event->body.size));
    }

    // Runs one block with what was queued and returns midi_out's events.
    std::vector<Timed> Run(uint32_t frames = 64)
    {
        RunOnly(frames);
        return Output();
    }

    // The block alone, allocating nothing; Output() reads it afterwards.
    // The host gives midi_out `room` bytes after the atom header.
    void RunOnly(uint32_t frames = 64, uint32_t room = kBufferBytes - sizeof(LV2_Atom))
    {
        auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(out);
        seq->atom.type = 0;
        seq->atom.size = room;
        descriptor->run(handle, frames);
        ClearInput();
    }

    std::vector<Timed> Output()
    {
        auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(out);
        std::vector<Timed> events;
        EXPECT_EQ(seq->atom.type, sequence);
        LV2_ATOM_SEQUENCE_FOREACH(seq, event)
        {
            EXPECT_EQ(event->body.type, midiEvent);
            const auto* bytes = reinterpret_cast<const uint8_t*>(event + 1);
            events.push_back({event->time.frames, std::vector<uint8_t>(bytes, bytes + event->body.size)});
        }
        return events;
    }

    const LV2_State_Interface* State() const
    {
        return static_cast<const LV2_State_Interface*>(descriptor->extension_data(LV2_STATE__interface));
    }
    LV2_State_Status Save(SavedState& state)
    {
        const LV2_Feature* features[] = {&map.feature, nullptr};
        return State()->save(handle, &SavedState::Store, &state, LV2_STATE_IS_POD, features);
    }
    LV2_State_Status Restore(SavedState& state)
    {
        const LV2_Feature* features[] = {&map.feature, nullptr};
        return State()->restore(handle, &SavedState::Retrieve, &state, LV2_STATE_IS_POD, features);
    }

    UridMap map;
    Library dsp;
    const LV2_Descriptor* descriptor = nullptr;
    LV2_Handle handle = nullptr;
    float controls[kPortCount] = {};
    // Mapped once: run() allocates nothing, and neither do the rig's blocks.
    const LV2_URID sequence = map(LV2_ATOM__Sequence);
    const LV2_URID midiEvent = map(LV2_MIDI__MidiEvent);
    // The port buffers, in 64-bit words so that the sequences are aligned
    // as LV2 requires; in and out are their bytes.
    std::vector<uint64_t> inBuffer, outBuffer;
    uint8_t* const in = reinterpret_cast<uint8_t*>(inBuffer.data());
    uint8_t* const out = reinterpret_cast<uint8_t*>(outBuffer.data());

private:
    void ClearInput()
    {
        auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(in);
        seq->atom.type = sequence;
        seq->atom.size = sizeof(LV2_Atom_Sequence_Body);
        seq->body.unit = 0;
        seq->body.pad = 0;
    }
};

inline std::vector<uint8_t> Bytes(int status, int data1, int data2)
{
    return {uint8_t(status), uint8_t(data1), uint8_t(data2)};
}

}  // namespace lv2_test
