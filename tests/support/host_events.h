// MIDI events and event blocks laid out as a host hands them to a plug-in.
#pragma once

#include <cstddef>
#include <cstring>
#include <utility>
#include <vector>

#include "plugin/vst/aeffectx.h"

// One MIDI event; every field not given is 0.
inline VstMidiEvent Midi(int status, int data1, int data2, int delta = 0)
{
    VstMidiEvent e;
    std::memset(&e, 0, sizeof e);
    e.type = kVstMidiType;
    e.byteSize = 24;
    e.deltaFrames = delta;
    e.midiData[0] = static_cast<char>(status);
    e.midiData[1] = static_cast<char>(data1);
    e.midiData[2] = static_cast<char>(data2);
    return e;
}

// A host-side event block of any length, laid out as VstEvents.
struct EventBlock {
    std::vector<VstMidiEvent> events;
    std::vector<unsigned char> header;

    explicit EventBlock(std::vector<VstMidiEvent> list) : events(std::move(list))
    {
        header.assign(offsetof(VstEvents, events) + sizeof(VstEvent*) * (events.size() + 2), 0);
        VstEvents* block = Get();
        block->numEvents = static_cast<VstInt32>(events.size());
        for (size_t i = 0; i < events.size(); ++i)
            block->events[i] = reinterpret_cast<VstEvent*>(&events[i]);
    }
    EventBlock(const EventBlock&) = delete;
    EventBlock& operator=(const EventBlock&) = delete;

    VstEvents* Get() { return reinterpret_cast<VstEvents*>(header.data()); }
};
