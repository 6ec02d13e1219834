#pragma once

#include <atomic>
#include <cstdint>
#include <cstring>

#include "kova/midi/midievent.h"

namespace kova {
namespace midi {

// Fixed-capacity ring queue of MIDI events. All storage is inside the
// object, so pushing and popping never allocate (safe on the audio thread).
// A push onto a full queue drops the event silently.
//
// Pushes and pops need one owner at a time (a single thread, or a lock),
// but the count may be read by anyone: it is atomic so that a consumer can
// see "nothing queued" without taking the owner's lock.
template <int N>
class midiqueue {
    static_assert(N > 0, "a queue needs at least one slot");

public:
    static constexpr int32_t slots = N;

    int32_t writePos = 0;   // slot the next pushed event goes into
    int32_t readPos = 0;    // slot of the next event to pop
    int32_t capacity = N;
    std::atomic<int32_t> count{0};
    midievent buffer[N];    // every slot starts as an empty MIDI event
    // Slots handed out by lend() and not yet given back: pushes leave them
    // alone, so the queue then holds at most capacity - lent events.
    std::atomic<int32_t> lent{0};

    // Copies the event into the queue; false when the queue was full and
    // the event was dropped.
    bool push(const midievent& event) { return pushBytes(&event); }

    // The same for the 32 bytes of an event in the host's layout.
    bool pushBytes(const void* event) {
        const int32_t queued = count.load(std::memory_order_relaxed);
        if (queued + lent.load(std::memory_order_acquire) >= capacity)
            return false;
        std::memcpy(static_cast<void*>(&buffer[writePos]), event, sizeof(midievent));
        count.store(queued + 1, std::memory_order_release);
        writePos = writePos + 1 == N ? 0 : writePos + 1;
        return true;
    }

    // Only while count > 0. The caller may work on the returned slot in
    // place until it pushes to this same queue again.
    midievent& pop() {
        count.store(count.load(std::memory_order_relaxed) - 1, std::memory_order_relaxed);
        midievent& slot = buffer[readPos];
        readPos = readPos + 1 == N ? 0 : readPos + 1;
        return slot;
    }

    bool empty() const { return count.load(std::memory_order_acquire) == 0; }
    int32_t size() const { return count.load(std::memory_order_acquire); }

    // Empties the queue without copying: writes the address of every
    // queued event, oldest first, into slots and returns their number. The
    // events stay valid, and untouched by later pushes, until giveBack().
    // The owner may give back without holding the lock pushes take.
    template <typename Pointer>
    int32_t lend(Pointer* slots) {
        const int32_t n = count.load(std::memory_order_relaxed);
        // The queued events lie in at most two runs: up to the end of the
        // ring, then from its start.
        const int32_t first = n < N - readPos ? n : N - readPos;
        for (int32_t i = 0; i < first; ++i)
            slots[i] = reinterpret_cast<Pointer>(&buffer[readPos + i]);
        for (int32_t i = first; i < n; ++i)
            slots[i] = reinterpret_cast<Pointer>(&buffer[i - first]);
        readPos = (readPos + n) % N;
        lent.store(n, std::memory_order_relaxed);
        count.store(0, std::memory_order_release);
        return n;
    }

    void giveBack() { lent.store(0, std::memory_order_release); }

    // Drops every queued event.
    void clear() {
        writePos = readPos = 0;
        count.store(0, std::memory_order_relaxed);
    }
};

} // namespace midi
} // namespace kova
