#include "kova/midi/voiceallocator.h"

#include <cstring>

namespace kova {
namespace midi {

voiceallocator::voiceallocator(noteinfo* table, int tableSize, int* activeCount, float* ageCounter,
                               noteindex* index)
    : table(table), tableSize(tableSize < maxEntries ? tableSize : maxEntries), activeCount(activeCount),
      ageCounter(ageCounter), index(index) {
    std::memset(strikeOf, 0, sizeof strikeOf);
    std::memset(waitingAt, 0xFF, sizeof waitingAt); // every byte -1: not waiting
    std::memset(waitingIn, 0, sizeof waitingIn);
    Arrange(allocation());
}

void voiceallocator::Arrange(const allocation& a) {
    settings = a;
    byNote = a.policy == stealLowest || a.policy == stealHighest;
    byVelocity = a.policy == stealQuietest;
    perChannel = a.perChannel;
    noteReturn = a.noteReturn;
    if (!a.noteReturn)
        ForgetAll();
    std::memset(groupOf, 0xFF, sizeof groupOf);
    std::memset(head, 0xFF, sizeof head);
    std::memset(tail, 0xFF, sizeof tail);
    std::memset(used, 0, sizeof used);
    std::memset(channelCount, 0, sizeof channelCount);
    index->Rebuild(table, tableSize);
    // The index lists the notes oldest first. Without waiting notes the
    // strikes may be stale (they are kept with Note Return only) and are
    // numbered afresh in that order; waiting notes exist only while the
    // strikes were kept, and then they already follow it.
    const bool renumber = waitingCount == 0;
    for (int entry = index->Oldest(); entry != noEntry; entry = index->Newer(entry)) {
        if (renumber)
            strikeOf[entry] = ++strikes;
        Link(entry);
    }
}

void voiceallocator::DropEnded() {
    for (int entry = 0; entry < tableSize; ++entry) {
        if (groupOf[entry] != noEntry && !table[entry].Occupied())
            Unlink(entry);
    }
}

void voiceallocator::ForgetChannel(int channel) {
    channel &= 0x0F;
    for (int i = waitingCount - 1; i >= 0 && waitingIn[channel] != 0; --i)
        if (waiting[i].channel == channel)
            Unwait(channel, waiting[i].note);
}

void voiceallocator::ForgetAll() {
    for (int i = 0; i < waitingCount; ++i)
        waitingAt[waiting[i].channel][waiting[i].note] = noEntry;
    waitingCount = 0;
    std::memset(waitingIn, 0, sizeof waitingIn);
}

voiceallocator::key voiceallocator::KeyOf(int note, int velocity, uint64_t strike) const {
    const int64_t age = static_cast<int64_t>(strike);
    switch (settings.policy) {
    case stealNewest: return key{0, -age};
    case stealLowest: return key{note, age};
    case stealHighest: return key{-note, age};
    case stealQuietest: return key{velocity, age};
    default: return key{0, age};
    }
}

void voiceallocator::Wait(int channel, int note, int velocity, uint64_t strike) {
    if (waitingCount == maxWaiting) {
        // Full: of all of them and the newcomer, the smallest key is forgotten.
        int smallest = noEntry;
        key smallestKey = KeyOf(note, velocity, strike);
        for (int i = 0; i < waitingCount; ++i) {
            const key k = KeyOf(waiting[i].note, waiting[i].velocity, waiting[i].strike);
            if (k < smallestKey) {
                smallest = i;
                smallestKey = k;
            }
        }
        if (smallest == noEntry)
            return;
        Unwait(waiting[smallest].channel, waiting[smallest].note);
    }
    waiting[waitingCount] = waiter{static_cast<int16_t>(channel), static_cast<int16_t>(note),
                                   static_cast<int16_t>(velocity), strike};
    waitingAt[channel][note] = static_cast<int16_t>(waitingCount);
    ++waitingCount;
    ++waitingIn[channel];
}

void voiceallocator::Unwait(int channel, int note) {
    const int at = waitingAt[channel][note];
    if (at == noEntry)
        return;
    waitingAt[channel][note] = noEntry;
    --waitingIn[channel];
    const int last = --waitingCount;
    if (at != last) {
        waiting[at] = waiting[last];
        waitingAt[waiting[at].channel][waiting[at].note] = static_cast<int16_t>(at);
    }
}

void voiceallocator::Admit(int channel, int note, int velocity) {
    const int entry = index->FirstEmpty(tableSize);
    noteinfo& e = table[entry];
    e.channel = channel;
    e.note = note;
    e.velocity = velocity;
    ++*activeCount;
    index->Place(entry, channel, note);
    detail::indexlookup lookup = Lookup();
    detail::stamp(table, tableSize, entry, *ageCounter, lookup);
    if (noteReturn)
        strikeOf[entry] = ++strikes;
    Link(entry);
}

} // namespace midi
} // namespace kova
