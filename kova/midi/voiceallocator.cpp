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
    if (!a.noteReturn)
        ForgetAll();
    std::memset(groupOf, 0xFF, sizeof groupOf);
    std::memset(head, 0xFF, sizeof head);
    std::memset(tail, 0xFF, sizeof tail);
    std::memset(used, 0, sizeof used);
    std::memset(channelCount, 0, sizeof channelCount);
    // The index lists the notes oldest first. Without waiting notes the
    // strikes may be stale (the plain operations do not stamp them) and are
    // numbered afresh in that order; waiting notes exist only while the
    // strikes were kept, and then they already follow it.
    const bool renumber = waitingCount == 0;
    for (int entry = index->Oldest(); entry != noEntry; entry = index->Newer(entry)) {
        if (renumber)
            strikeOf[entry] = ++strikes;
        ++channelCount[table[entry].channel & 0x0F];
        Link(entry);
    }
}

void voiceallocator::DropEnded() {
    for (int entry = 0; entry < tableSize; ++entry) {
        if (groupOf[entry] != noEntry && !table[entry].Occupied()) {
            --channelCount[channelOf[entry]];
            Unlink(entry);
        }
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

int voiceallocator::Victim(int group) const {
    const uint64_t* bits = used[group];
    int bucket;
    if (settings.policy == stealNewest)
        return tail[group][0];
    if (settings.policy == stealHighest) {
        if (bits[1] != 0)
            bucket = 127 - __builtin_clzll(bits[1]);
        else if (bits[0] != 0)
            bucket = 63 - __builtin_clzll(bits[0]);
        else
            return noEntry;
    } else {
        if (bits[0] != 0)
            bucket = __builtin_ctzll(bits[0]);
        else if (bits[1] != 0)
            bucket = 64 + __builtin_ctzll(bits[1]);
        else
            return noEntry;
    }
    return head[group][bucket];
}

void voiceallocator::Link(int entry) {
    const int group = settings.perChannel ? table[entry].channel & 0x0F : 0;
    const int bucket = BucketOf(entry);
    groupOf[entry] = static_cast<int8_t>(group);
    channelOf[entry] = static_cast<int8_t>(table[entry].channel & 0x0F);
    bucketOf[entry] = static_cast<int8_t>(bucket);
    const int last = tail[group][bucket];
    before[entry] = static_cast<int8_t>(last);
    after[entry] = noEntry;
    if (last == noEntry) {
        head[group][bucket] = static_cast<int8_t>(entry);
        used[group][bucket >> 6] |= uint64_t(1) << (bucket & 63);
    } else {
        after[last] = static_cast<int8_t>(entry);
    }
    tail[group][bucket] = static_cast<int8_t>(entry);
}

void voiceallocator::Unlink(int entry) {
    const int group = groupOf[entry];
    const int bucket = bucketOf[entry];
    const int prev = before[entry];
    const int next = after[entry];
    if (prev == noEntry)
        head[group][bucket] = static_cast<int8_t>(next);
    else
        after[prev] = static_cast<int8_t>(next);
    if (next == noEntry)
        tail[group][bucket] = static_cast<int8_t>(prev);
    else
        before[next] = static_cast<int8_t>(prev);
    if (head[group][bucket] == noEntry)
        used[group][bucket >> 6] &= ~(uint64_t(1) << (bucket & 63));
    groupOf[entry] = noEntry;
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
    waiting[waitingCount] = waiter{static_cast<int8_t>(channel), static_cast<int8_t>(note),
                                   static_cast<int8_t>(velocity), strike};
    waitingAt[channel][note] = static_cast<int8_t>(waitingCount);
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
        waitingAt[waiting[at].channel][waiting[at].note] = static_cast<int8_t>(at);
    }
}

void voiceallocator::Admit(int channel, int note, int velocity) {
    const int entry = index->FirstEmpty(tableSize);
    noteinfo& e = table[entry];
    e.channel = channel;
    e.note = note;
    e.velocity = velocity;
    ++*activeCount;
    ++channelCount[channel];
    index->Occupy(entry, channel, note);
    detail::indexlookup lookup = Lookup();
    detail::stamp(table, tableSize, entry, *ageCounter, lookup);
    strikeOf[entry] = ++strikes;
    Link(entry);
}

} // namespace midi
} // namespace kova
