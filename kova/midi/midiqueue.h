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
    // the event was dropped. A run of pushes goes faster through a writer.
    bool push(const midievent& event) {
        writer w(*this);
        const bool pushed = w.push(event);
        w.commit();
        return pushed;
    }

    // Pushes a copy of tmpl carrying another message (see writer).
    bool pushMessage(const midievent& tmpl, int status, int data1, int data2) {
        writer w(*this);
        const bool pushed = w.pushMessage(tmpl, status, data1, data2);
        w.commit();
        return pushed;
    }

    // Only while count > 0. The caller may work on the returned slot in
    // place until it pushes to this same queue again.
    midievent& pop() {
        count.store(count.load(std::memory_order_relaxed) - 1, std::memory_order_relaxed);
        midievent& slot = buffer[readPos];
        readPos = readPos + 1 == N ? 0 : readPos + 1;
        return slot;
    }

    class writer;
    class reader;

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

    // The same for an owner that walks the events itself: they lie in at
    // most two runs, up to the end of the ring, then from its start (the
    // second run may be empty).
    struct runs {
        midievent* first;
        int32_t firstLength;
        midievent* second;
        int32_t secondLength;
    };
    runs lendRuns() {
        const int32_t n = count.load(std::memory_order_relaxed);
        const int32_t first = n < N - readPos ? n : N - readPos;
        const runs lentRuns{&buffer[readPos], first, &buffer[0], n - first};
        readPos = (readPos + n) % N;
        lent.store(n, std::memory_order_relaxed);
        count.store(0, std::memory_order_release);
        return lentRuns;
    }

    void giveBack() { lent.store(0, std::memory_order_release); }

    // Drops every queued event.
    void clear() {
        writePos = readPos = 0;
        count.store(0, std::memory_order_relaxed);
    }
};

// A run of pushes by the queue's owner, with the write position and count
// held in registers instead of being stored and reloaded for every event.
// The pushed events become visible to size() and empty() at commit(); the
// queue must not be touched in any other way between reload() and commit().
template <int N>
class midiqueue<N>::writer {
public:
    explicit writer(midiqueue& queue) : q(queue) { reload(); }

    // Copies the 32 bytes of an event in the host's layout; returns the
    // queued copy, or null when the queue was full and it was dropped.
    midievent* pushBytes(const void* event) {
        if (free == 0)
            return nullptr;
        --free;
        midievent* slot = &q.buffer[pos];
        std::memcpy(static_cast<void*>(slot), event, sizeof(midievent));
        if (__builtin_expect(++pos == N, 0))
            pos = 0;
        return slot;
    }
    bool push(const midievent& event) { return pushBytes(&event) != nullptr; }
    // Pushes a copy of tmpl carrying another message. The message is
    // written into the queued copy, never into tmpl: bytes written just
    // before a wide copy reads them would stall the store forwarding.
    bool pushMessage(const midievent& tmpl, int status, int data1, int data2) {
        midievent* slot = pushBytes(&tmpl);
        if (!slot)
            return false;
        slot->SetMessage(status, data1, data2);
        return true;
    }

    void commit() {
        q.writePos = pos;
        q.count.store(room - free, std::memory_order_release);
    }
    // Takes up the queue's state again after others pushed to it.
    void reload() {
        pos = q.writePos;
        room = q.capacity - q.lent.load(std::memory_order_acquire);
        free = room - q.count.load(std::memory_order_relaxed);
    }

private:
    midiqueue& q;
    int32_t pos;
    int32_t free;  // slots left for pushes
    int32_t room;  // slots not lent
};

// The pops of the queue's owner, the counterpart of writer: hands out the
// queued events as runs that lie side by side in the ring (at most two:
// up to the end of the ring, then from its start). Events may be worked on
// in place; the queue learns of the pops at commit().
template <int N>
class midiqueue<N>::reader {
public:
    explicit reader(midiqueue& queue)
        : q(queue), pos(queue.readPos), left(queue.count.load(std::memory_order_relaxed)) {}

    // The next run of events and its length in `length`; null when every
    // queued event was taken.
    midievent* takeRun(int32_t& length) {
        if (left == 0)
            return nullptr;
        length = left < N - pos ? left : N - pos;
        midievent* run = &q.buffer[pos];
        left -= length;
        pos += length;
        if (pos == N)
            pos = 0;
        return run;
    }
    void commit() {
        q.readPos = pos;
        q.count.store(left, std::memory_order_release);
    }

private:
    midiqueue& q;
    int32_t pos;
    int32_t left;
};

} // namespace midi
} // namespace kova
