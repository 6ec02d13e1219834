#pragma once

#include <cstdint>

#include "kova/midi/midievent.h"
#include "kova/midi/midistatus.h"
#include "kova/midi/noteinfo.h"
#include "kova/midi/notetable.h"

namespace kova {
namespace midi {

// Which sounding note gives way at the limit. Each policy orders notes by a
// key; the note with the smallest key gives way and the waiting note with
// the largest key comes back first:
//   oldest (age), newest (-age), lowest (note, age), highest (-note, age),
//   quietest (velocity, age).
enum stealpolicy { stealOldest = 0, stealNewest = 1, stealLowest = 2, stealHighest = 3, stealQuietest = 4 };
constexpr int stealPolicies = 5;

// A stored policy may come from a chunk unchecked; outside the range it
// behaves as stealOldest.
inline int stealPolicyOf(int32_t stored) { return stored >= 0 && stored < stealPolicies ? stored : stealOldest; }

// How notes are allocated. With all three at their defaults the plain note
// table operations do the same work faster.
struct allocation {
    int policy = stealOldest;
    bool perChannel = false;  // the limit counts each channel on its own
    bool noteReturn = false;  // notes that lost their voice with the key down wait for room

    bool Plain() const { return policy == stealOldest && !perChannel && !noteReturn; }
    bool operator==(const allocation& o) const {
        return policy == o.policy && perChannel == o.perChannel && noteReturn == o.noteReturn;
    }
};

// The note table of the caller (entries, count, age counter and noteindex,
// which stay the source of truth) with what the allocation options need
// besides:
//  - the sounding notes in linked lists per bucket (note number for lowest
//    and highest, velocity for quietest, else one bucket), per group (the
//    channel with Per Channel, else one group), each list oldest first,
//    with a bitmap of the buckets in use; so the smallest key of a group is
//    found in constant time, however full the table;
//  - with Per Channel, the count of sounding notes per channel;
//  - with Note Return, a strike number per note-on and up to 128 waiting
//    notes (key down, no voice), each keeping the strike of its key's last
//    note-on, so that waiting notes compare as the sounding notes they
//    were; found by (channel, note) in constant time.
// While it works the noteindex keeps its lookups but not its age order
// (this keeps one of its own): the caller rebuilds the index before the
// plain operations rely on that order again.
class voiceallocator {
public:
    static constexpr int maxEntries = noteindex::maxEntries;
    static constexpr int maxWaiting = 128;
    // Returns between two flushes of the output: the caller's queue bound
    // counts on it. Notes beyond it keep waiting for the next flush.
    static constexpr int maxReturnsPerFlush = 128;

    voiceallocator(noteinfo* table, int tableSize, int* activeCount, float* ageCounter, noteindex* index);
    voiceallocator(const voiceallocator&) = delete;
    voiceallocator& operator=(const voiceallocator&) = delete;

    const allocation& Settings() const { return settings; }

    // Takes up the table as it is now (the plain operations may have
    // changed it) and orders its notes for `a`. Waiting notes are kept only
    // if `a` returns notes. Allocates nothing; linear in the table.
    void Arrange(const allocation& a);
    // Takes notes that others ended through the noteindex alone (All Notes
    // Off, a lifted pedal) out of the order and the channel counts.
    void DropEnded();

    // The output was handed over: the share of returns starts again.
    void NewFlush() { returnsLeft = maxReturnsPerFlush; }

    // Forgets the channel's waiting notes, or all of them; nothing is sent.
    void ForgetChannel(int channel);
    void ForgetAll();

    // Whether some waiting note has room: its count (the total, or its
    // channel's with Per Channel) is below the limit and the table has a
    // free entry.
    bool HasRoom(int polyphony) const {
        if (waitingCount == 0 || *activeCount >= tableSize)
            return false;
        const int limit = polyphonyLimit(polyphony);
        if (!perChannel)
            return *activeCount < limit;
        for (int c = 0; c < 16; ++c)
            if (waitingIn[c] != 0 && channelCount[c] < limit)
                return true;
        return false;
    }

    // A note-on with velocity above 0: a re-strike of a waiting note stops
    // it waiting, then the note is admitted, stolen for (Kill on) or
    // refused. Events go out as the plain note-on would send them.
    // Policy is settings().policy, given at compile time: the note-on is
    // the hot path, and with the policy known the search for the victim
    // and its move in the order are a few instructions each.
    // Returns false, having done nothing more than the re-strike check,
    // in the rare case that Kill is on and the note's count is above the
    // limit (it was lowered without ending notes, as by a loaded chunk):
    // the caller then calls NoteOnAboveLimit. That one ends notes through
    // a call out of line, and keeping it out of here lets a caller's
    // output writer stay in registers.
    template <int Policy, class Out>
    bool NoteOn(const midievent& event, Out* out, int polyphony, bool kill);
    // The rest of such a note-on: ends the notes with the smallest keys
    // until the count is at the limit, then steals as NoteOn does.
    template <int Policy, class Out>
    void NoteOnAboveLimit(const midievent& event, Out* out, int polyphony);
    // A note-off (or velocity 0 note-on): ends the sounding note, marks it
    // held with its channel's bit in pedalsDown, or stops a waiting note
    // from waiting (sending nothing).
    template <class Out>
    void NoteOff(const midievent& event, Out* out, uint32_t pedalsDown);
    // Ends the notes with the smallest keys, with fresh note-offs at
    // deltaFrames, until the total (with Per Channel each channel's count,
    // channels in ascending order) is within the limit. Returns the number
    // ended.
    template <class Out>
    int Lower(int polyphony, Out* out, int32_t deltaFrames);
    // While some waiting note has room, the one with the largest key among
    // them sounds again: a fresh note-on at deltaFrames, the newest note.
    // At most maxReturnsPerFlush between two NewFlush calls. Returns the
    // number returned.
    template <class Out>
    int ReturnNotes(int polyphony, Out* out, int32_t deltaFrames);

private:
    struct key {
        int primary;
        int64_t order;
        bool operator<(const key& o) const { return primary != o.primary ? primary < o.primary : order < o.order; }
    };
    struct waiter {
        int16_t channel, note, velocity;
        uint64_t strike;
    };

    key KeyOf(int note, int velocity, uint64_t strike) const;
    // The bucket of a note under Policy.
    template <int Policy>
    static int BucketFor(int note, int velocity) {
        if (Policy == stealLowest || Policy == stealHighest)
            return note & 0x7F;
        if (Policy == stealQuietest)
            return velocity & 0x7F;
        return 0;
    }
    int BucketOf(int entry) const {
        if (byNote)
            return table[entry].note & 0x7F;
        if (byVelocity)
            return table[entry].velocity & 0x7F;
        return 0;
    }
    // The sounding note with the smallest key in the group under Policy;
    // noEntry if none. It heads the list of *bucket, except with
    // stealNewest, where it is the last of the group's one list. The
    // bucket comes from the bitmap search: the steal needs it at once, and
    // reading it back from bucketOf would lengthen the chain of dependent
    // loads from one note-on to the next.
    template <int Policy>
    int VictimFor(int group, int* bucket) const;
    // The same for the policy of the settings.
    int Victim(int group) const;
    // Puts the entry last in its list.
    void Link(int entry);
    void Unlink(int entry);
    // Puts the entry last in the list of (group, bucket): the list
    // operations of Link alone.
    void Append(int entry, int group, int bucket);
    // A steal's move in the order: the entry, first in the list of `from`,
    // goes last in the list of `to`, in the same group, so its group mark
    // and the channel count stay as they are.
    void MoveFirst(int entry, int group, int from, int to);
    void Wait(int channel, int note, int velocity, uint64_t strike);
    void Unwait(int channel, int note);
    void Admit(int channel, int note, int velocity);
    void Release(int entry, int channel, int note) {
        Unlink(entry);
        table[entry].Release();
        --*activeCount;
        index->Vacate(entry, channel, note);
    }
    // Ends the note of `entry` with a note-off copied from tmpl; its key
    // being down (not held by a pedal), it waits if notes return.
    template <class Out>
    void End(int entry, const midievent& tmpl, Out* out);
    // Ends notes of the group until its count is within the limit.
    template <class Out>
    void EndAbove(int group, int limit, const midievent& tmpl, Out* out);
    // The note of the event (c, n, v read from it) takes the entry of the
    // group's note with the smallest key, at the limit with Kill on;
    // refused if there is none.
    template <int Policy, class Out>
    void Steal(const midievent& event, int c, int n, int v, Out* out, int group);
    // A refused note waits if notes return.
    void Refuse(int channel, int note, int velocity) {
        if (noteReturn)
            Wait(channel, note, velocity, ++strikes);
    }
    detail::indexlookup Lookup() const { return detail::indexlookup{table, tableSize, index}; }

    noteinfo* const table;
    const int tableSize;
    int* const activeCount;
    float* const ageCounter;
    noteindex* const index;

    allocation settings;
    // The settings as bools, which the int stores of the note operations
    // cannot alias, so they stay in registers.
    bool byNote = false, byVelocity = false;
    bool perChannel = false, noteReturn = false;
    uint64_t strikes = 0;
    uint64_t strikeOf[maxEntries];  // kept with Note Return only

    int16_t groupOf[maxEntries];  // noEntry while the entry is not in the order
    int16_t bucketOf[maxEntries];
    int16_t before[maxEntries];
    int16_t after[maxEntries];
    int16_t head[16][128];
    int16_t tail[16][128];
    uint64_t used[16][2];
    int channelCount[16];  // kept with Per Channel only

    waiter waiting[maxWaiting];
    int waitingCount = 0;
    int16_t waitingAt[16][128];
    int waitingIn[16];
    int returnsLeft = maxReturnsPerFlush;
};

template <int Policy>
inline int voiceallocator::VictimFor(int group, int* bucket) const {
    *bucket = 0;
    if (Policy == stealNewest)
        return tail[group][0];
    const uint64_t* bits = used[group];
    if (Policy == stealHighest) {
        if (bits[1] != 0)
            *bucket = 127 - __builtin_clzll(bits[1]);
        else if (bits[0] != 0)
            *bucket = 63 - __builtin_clzll(bits[0]);
        else
            return noEntry;
    } else {
        if (bits[0] != 0)
            *bucket = __builtin_ctzll(bits[0]);
        else if (bits[1] != 0)
            *bucket = 64 + __builtin_ctzll(bits[1]);
        else
            return noEntry;
    }
    return head[group][*bucket];
}

inline int voiceallocator::Victim(int group) const {
    int bucket;
    switch (settings.policy) {
    case stealNewest: return VictimFor<stealNewest>(group, &bucket);
    case stealLowest: return VictimFor<stealLowest>(group, &bucket);
    case stealHighest: return VictimFor<stealHighest>(group, &bucket);
    case stealQuietest: return VictimFor<stealQuietest>(group, &bucket);
    default: return VictimFor<stealOldest>(group, &bucket);
    }
}

inline void voiceallocator::Append(int entry, int group, int bucket) {
    const int last = tail[group][bucket];
    before[entry] = static_cast<int16_t>(last);
    after[entry] = noEntry;
    if (last == noEntry) {
        head[group][bucket] = static_cast<int16_t>(entry);
        used[group][bucket >> 6] |= uint64_t(1) << (bucket & 63);
    } else {
        after[last] = static_cast<int16_t>(entry);
    }
    tail[group][bucket] = static_cast<int16_t>(entry);
}

inline void voiceallocator::Link(int entry) {
    const int channel = table[entry].channel & 0x0F;
    const int group = perChannel ? channel : 0;
    const int bucket = BucketOf(entry);
    groupOf[entry] = static_cast<int16_t>(group);
    if (perChannel)
        ++channelCount[channel];
    bucketOf[entry] = static_cast<int16_t>(bucket);
    Append(entry, group, bucket);
}

inline void voiceallocator::MoveFirst(int entry, int group, int from, int to) {
    // The group's bitmap is read once and written once. Each steal changes
    // it (a bucket empties, another fills), the next note-on's search reads
    // it, and two changes through memory would each wait for the last.
    uint64_t low = used[group][0];
    uint64_t high = used[group][1];
    const int next = after[entry];
    head[group][from] = static_cast<int16_t>(next);
    if (next == noEntry) {
        tail[group][from] = noEntry;
        const uint64_t bit = uint64_t(1) << (from & 63);
        if (from < 64)
            low &= ~bit;
        else
            high &= ~bit;
    } else {
        before[next] = noEntry;
    }
    const int last = tail[group][to];
    before[entry] = static_cast<int16_t>(last);
    after[entry] = noEntry;
    if (last == noEntry) {
        head[group][to] = static_cast<int16_t>(entry);
        const uint64_t bit = uint64_t(1) << (to & 63);
        if (to < 64)
            low |= bit;
        else
            high |= bit;
    } else {
        after[last] = static_cast<int16_t>(entry);
    }
    tail[group][to] = static_cast<int16_t>(entry);
    used[group][0] = low;
    used[group][1] = high;
}

inline void voiceallocator::Unlink(int entry) {
    const int group = groupOf[entry];
    const int bucket = bucketOf[entry];
    const int prev = before[entry];
    const int next = after[entry];
    if (prev == noEntry)
        head[group][bucket] = static_cast<int16_t>(next);
    else
        after[prev] = static_cast<int16_t>(next);
    if (next == noEntry)
        tail[group][bucket] = static_cast<int16_t>(prev);
    else
        before[next] = static_cast<int16_t>(prev);
    if (head[group][bucket] == noEntry)
        used[group][bucket >> 6] &= ~(uint64_t(1) << (bucket & 63));
    groupOf[entry] = noEntry;
    if (perChannel)
        --channelCount[group];
}

template <class Out>
void voiceallocator::EndAbove(int group, int limit, const midievent& tmpl, Out* out) {
    int victim;
    while ((perChannel ? channelCount[group] : *activeCount) > limit &&
           (victim = Victim(group)) != noEntry)
        End(victim, tmpl, out);
}

template <class Out>
void voiceallocator::End(int entry, const midievent& tmpl, Out* out) {
    const noteinfo& e = table[entry];
    const int channel = e.channel;
    const int note = e.note;
    const int velocity = e.velocity & 0x7F;
    const bool keyDown = !e.HeldByPedal();
    Release(entry, channel, note);
    out->pushMessage(tmpl, statusNoteOff | channel, note, 0);
    if (noteReturn && keyDown)
        Wait(channel, note, velocity, strikeOf[entry]);
}

template <int Policy, class Out>
__attribute__((always_inline)) inline bool voiceallocator::NoteOn(const midievent& event, Out* out, int polyphony, bool kill) {
    const int c = event.Channel();
    const int n = event.Data1();
    const int v = event.Data2();
    const int limit = polyphonyLimit(polyphony);
    if (waitingCount != 0)
        Unwait(c, n);

    const int sounding = index->Find(c, n);
    if (sounding != noEntry) {
        // Struck again: the newest note, with its new velocity.
        Unlink(sounding);
        table[sounding].velocity = v;
        detail::indexlookup lookup = Lookup();
        detail::stamp(table, tableSize, sounding, *ageCounter, lookup);
        if (noteReturn)
            strikeOf[sounding] = ++strikes;
        Link(sounding);
        out->push(event);
        return true;
    }

    const int counted = perChannel ? channelCount[c] : *activeCount;
    if (counted < limit && *activeCount < tableSize) {
        Admit(c, n, v);
        out->push(event);
        return true;
    }
    if (!kill || counted < limit) {
        // At the limit without Kill, or the table is full.
        Refuse(c, n, v);
        return true;
    }
    if (__builtin_expect(counted > limit, 0))
        return false;
    // Two copies of the steal: without Per Channel the group is the
    // constant 0, which takes the group's row out of every index.
    if (perChannel)
        Steal<Policy>(event, c, n, v, out, c);
    else
        Steal<Policy>(event, c, n, v, out, 0);
    return true;
}

template <int Policy, class Out>
__attribute__((noinline)) void voiceallocator::NoteOnAboveLimit(const midievent& event, Out* out, int polyphony) {
    // The smallest keys end first.
    const int c = event.Channel();
    const int group = perChannel ? c : 0;
    EndAbove(group, polyphonyLimit(polyphony), event, out);
    Steal<Policy>(event, c, event.Data1(), event.Data2(), out, group);
}

template <int Policy, class Out>
__attribute__((always_inline)) inline void voiceallocator::Steal(const midievent& event, int c, int n, int v, Out* out,
                                                                  int group) {
    int victimBucket;
    const int victim = VictimFor<Policy>(group, &victimBucket);
    if (victim == noEntry) {
        // Nothing to steal: polyphony 0.
        Refuse(c, n, v);
        return;
    }
    // The victim's entry takes the new note, as the plain steal does. It
    // stays in its group (the only one, or the channel of both notes), so
    // only its place in the order changes: it leaves the head of its list
    // for the end of the new note's list. With stealNewest the victim is
    // already the last note of the group's one list, where the new note
    // belongs, and nothing moves at all.
    noteinfo& entry = table[victim];
    const int oldChannel = entry.channel;
    const int oldNote = entry.note;
    const int oldVelocity = entry.velocity;
    if (noteReturn && (oldVelocity & noteinfo::heldByPedal) == 0)
        Wait(oldChannel, oldNote, oldVelocity & 0x7F, strikeOf[victim]);
    entry.channel = c;
    entry.note = n;
    entry.velocity = v;
    index->Move(victim, oldChannel, oldNote, c, n);
    detail::indexlookup lookup = Lookup();
    detail::stamp(table, tableSize, victim, *ageCounter, lookup);
    if (noteReturn)
        strikeOf[victim] = ++strikes;
    if (Policy != stealNewest) {
        const int bucket = BucketFor<Policy>(n, v);
        bucketOf[victim] = static_cast<int16_t>(bucket);
        MoveFirst(victim, group, victimBucket, bucket);
    }
    // The events go out last: their byte stores may alias any member, and
    // before them the compiler can keep what it read in registers.
    out->pushMessage(event, statusNoteOff | oldChannel, oldNote, 0);
    out->push(event);
}

template <class Out>
__attribute__((always_inline)) inline void voiceallocator::NoteOff(const midievent& event, Out* out, uint32_t pedalsDown) {
    const int c = event.Channel();
    const int n = event.Data1();
    const int entry = index->Find(c, n);
    if (entry == noEntry) {
        if (waitingCount != 0)
            Unwait(c, n);
        return;
    }
    if ((pedalsDown >> c) & 1) {
        table[entry].HoldByPedal();
        return;
    }
    Release(entry, c, n);
    out->pushMessage(event, statusNoteOff | c, n, 0);
}

template <class Out>
int voiceallocator::Lower(int polyphony, Out* out, int32_t deltaFrames) {
    const int limit = polyphonyLimit(polyphony);
    midievent fresh;
    fresh.deltaFrames = deltaFrames;
    int ended = 0;
    int victim;
    if (!perChannel) {
        while (*activeCount > limit && (victim = Victim(0)) != noEntry) {
            End(victim, fresh, out);
            ++ended;
        }
        return ended;
    }
    for (int c = 0; c < 16; ++c) {
        while (channelCount[c] > limit && (victim = Victim(c)) != noEntry) {
            End(victim, fresh, out);
            ++ended;
        }
    }
    return ended;
}

template <class Out>
__attribute__((noinline)) int voiceallocator::ReturnNotes(int polyphony, Out* out, int32_t deltaFrames) {
    const int limit = polyphonyLimit(polyphony);
    int returned = 0;
    while (waitingCount != 0 && *activeCount < tableSize && returnsLeft > 0) {
        int best = noEntry;
        key bestKey{0, 0};
        for (int i = 0; i < waitingCount; ++i) {
            const waiter& w = waiting[i];
            if ((perChannel ? channelCount[w.channel] : *activeCount) >= limit)
                continue;
            const key k = KeyOf(w.note, w.velocity, w.strike);
            if (best == noEntry || bestKey < k) {
                best = i;
                bestKey = k;
            }
        }
        if (best == noEntry)
            break;
        const waiter w = waiting[best];
        Unwait(w.channel, w.note);
        Admit(w.channel, w.note, w.velocity);
        midievent fresh;
        fresh.SetMessage(statusNoteOn | w.channel, w.note, w.velocity);
        fresh.deltaFrames = deltaFrames;
        out->push(fresh);
        --returnsLeft;
        ++returned;
    }
    return returned;
}

} // namespace midi
} // namespace kova
