#pragma once

#include <cstdint>

#include "kova/midi/midievent.h"

namespace kova {
namespace midi {

// Fixed-capacity ring queue of MIDI events. All storage is inside the
// object, so pushing and popping never allocate (safe on the audio thread).
// A push onto a full queue drops the event silently.
template <int N>
class midiqueue {
    static_assert(N > 0, "a queue needs at least one slot");

public:
    static constexpr int32_t slots = N;

    int32_t writePos = 0;   // slot the next pushed event goes into
    int32_t readPos = 0;    // slot of the next event to pop
    int32_t capacity = N;
    int32_t count = 0;
    midievent buffer[N];    // every slot starts as an empty MIDI event

    // Copies the event into the queue; false when the queue was full and
    // the event was dropped.
    bool push(const midievent& event) {
        if (count >= capacity)
            return false;
        ++count;
        buffer[writePos] = event;
        writePos = writePos + 1 == N ? 0 : writePos + 1;
        return true;
    }

    // Only while count > 0. The caller may work on the returned slot in
    // place until it pushes to this same queue again.
    midievent& pop() {
        --count;
        midievent& slot = buffer[readPos];
        readPos = readPos + 1 == N ? 0 : readPos + 1;
        return slot;
    }

    bool empty() const { return count == 0; }
    int32_t size() const { return count; }

    // Drops every queued event.
    void clear() {
        writePos = readPos = count = 0;
    }
};

} // namespace midi
} // namespace kova
