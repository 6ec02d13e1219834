#pragma once

#include <cstdint>

#include "kova/midi/midievent.h"
#include "kova/midi/midiqueue.h"
#include "kova/midi/noteinfo.h"

namespace kova {
namespace midi {

// The table of sounding notes is a plain array of noteinfo entries plus an
// occupancy count and an age counter owned by the caller. The operations
// below admit, refuse or steal for one note-on, end notes and release them.
//
// Two ways to call them:
//  - plain: the table alone; every lookup scans the table in entry order.
//  - indexed: the same operations with a noteindex kept beside the table;
//    lookups take constant time. The table stays the source of truth and
//    both ways produce exactly the same events and the same table.

// Ages reaching this stamp are rescaled so that they stay exact floats.
constexpr float ageRescaleAt = 32768.0f;
constexpr float ageRescaleFactor = 1.0f / 32768.0f;
constexpr int noEntry = -1;

// A stored polyphony may come from a chunk unchecked; a negative one limits
// like 0 (values above the table size simply never limit).
inline int polyphonyLimit(int polyphony) { return polyphony < 0 ? 0 : polyphony; }

// Index of the occupied entry with the smallest age; the lowest index wins
// a tie. noEntry when the table is empty.
int findOldestNote(const noteinfo* table, int tableSize);

// Index of the occupied entry holding (channel, note), or noEntry.
int findNote(const noteinfo* table, int tableSize, int channel, int note);

// Index of the first empty entry, or noEntry.
int findEmptyEntry(const noteinfo* table, int tableSize);

// Empties every entry as at construction (age -1.0).
void clearNotes(noteinfo* table, int tableSize);

// Constant-time lookups beside a table of at most 128 entries: the entry of
// each (channel, note), a bitmap of occupied entries for the first empty
// one, and the occupied entries linked from oldest to newest. Because every
// stamp is unique and a rescale keeps the order, list order is age order;
// each rescale re-sorts the list by (age, entry) so that ages which the
// rescale made equal keep the plain scan's lowest-entry-first tie rule.
class noteindex {
public:
    static constexpr int maxEntries = 128;

    noteindex() { Clear(); }

    // Every entry empty.
    void Clear();
    // Rebuilds the index from the table contents (after the table was
    // changed without it). Allocates nothing.
    void Rebuild(const noteinfo* table, int tableSize);

    int Find(int channel, int note) const {
        return entryOf[channel & 0x0F][note & 0x7F];
    }
    int FirstEmpty(int tableSize) const;
    int Oldest() const { return oldest; }
    // The next newer occupied entry, noEntry after the newest.
    int Newer(int entry) const { return newer[entry]; }

    // Entry just became occupied by (channel, note) with the newest stamp.
    void Occupy(int entry, int channel, int note);
    // Entry received the newest stamp.
    void Touch(int entry);
    // Occupy, Release and a steal without the age order, for a caller that
    // keeps an order of its own: Oldest() and Newer() are then wrong until
    // Rebuild() (the ordered operations stay safe meanwhile).
    void Place(int entry, int channel, int note) {
        entryOf[channel & 0x0F][note & 0x7F] = static_cast<int8_t>(entry);
        occupiedBits[entry >> 6] |= uint64_t(1) << (entry & 63);
    }
    void Vacate(int entry, int channel, int note) {
        entryOf[channel & 0x0F][note & 0x7F] = noEntry;
        occupiedBits[entry >> 6] &= ~(uint64_t(1) << (entry & 63));
    }
    void Move(int entry, int oldChannel, int oldNote, int channel, int note) {
        entryOf[oldChannel & 0x0F][oldNote & 0x7F] = noEntry;
        entryOf[channel & 0x0F][note & 0x7F] = static_cast<int8_t>(entry);
    }
    // Entry holding (channel, note) was emptied.
    void Release(int entry, int channel, int note);
    // The oldest entry, whose note was stolen, now holds (channel, note)
    // instead of (oldChannel, oldNote), with the newest stamp.
    void ReplaceOldest(int oldChannel, int oldNote, int channel, int note);

private:
    void Unlink(int entry);
    void Append(int entry);

    int8_t entryOf[16][128];
    uint64_t occupiedBits[2];
    int8_t older[maxEntries];
    int8_t newer[maxEntries];
    int oldest;
    int newest;
};

// The per-note operations run for every event, so they are inline.
inline int noteindex::FirstEmpty(int tableSize) const {
    int entry;
    if (~occupiedBits[0] != 0)
        entry = __builtin_ctzll(~occupiedBits[0]);
    else if (~occupiedBits[1] != 0)
        entry = 64 + __builtin_ctzll(~occupiedBits[1]);
    else
        return noEntry;
    return entry < tableSize ? entry : noEntry;
}

inline void noteindex::Unlink(int entry) {
    const int before = older[entry];
    const int after = newer[entry];
    if (before == noEntry)
        oldest = after;
    else
        newer[before] = static_cast<int8_t>(after);
    if (after == noEntry)
        newest = before;
    else
        older[after] = static_cast<int8_t>(before);
    older[entry] = newer[entry] = noEntry;
}

inline void noteindex::Append(int entry) {
    older[entry] = static_cast<int8_t>(newest);
    newer[entry] = noEntry;
    if (newest == noEntry)
        oldest = entry;
    else
        newer[newest] = static_cast<int8_t>(entry);
    newest = entry;
}

inline void noteindex::Occupy(int entry, int channel, int note) {
    entryOf[channel & 0x0F][note & 0x7F] = static_cast<int8_t>(entry);
    occupiedBits[entry >> 6] |= uint64_t(1) << (entry & 63);
    Append(entry);
}

inline void noteindex::Touch(int entry) {
    if (newest == entry)
        return;
    Unlink(entry);
    Append(entry);
}

inline void noteindex::Release(int entry, int channel, int note) {
    entryOf[channel & 0x0F][note & 0x7F] = noEntry;
    occupiedBits[entry >> 6] &= ~(uint64_t(1) << (entry & 63));
    Unlink(entry);
}

inline void noteindex::ReplaceOldest(int oldChannel, int oldNote, int channel, int note) {
    const int entry = oldest;
    entryOf[oldChannel & 0x0F][oldNote & 0x7F] = noEntry;
    entryOf[channel & 0x0F][note & 0x7F] = static_cast<int8_t>(entry);
    if (newest == entry)
        return;
    // Unlink from the front, append at the back.
    const int next = newer[entry];
    oldest = next;
    older[next] = noEntry;
    older[entry] = static_cast<int8_t>(newest);
    newer[entry] = noEntry;
    newer[newest] = static_cast<int8_t>(entry);
    newest = entry;
}

namespace detail {

// Lookups by scanning the table.
struct scanlookup {
    const noteinfo* table;
    int tableSize;

    int Find(int c, int n) const { return findNote(table, tableSize, c, n); }
    int FirstEmpty() const { return findEmptyEntry(table, tableSize); }
    int Oldest() const { return findOldestNote(table, tableSize); }
    void Occupy(int, int, int) {}
    void Touch(int) {}
    void Release(int, int, int) {}
    void ReplaceOldest(int, int, int, int) {}
    void Rescaled() {}
};

// Lookups through a noteindex.
struct indexlookup {
    const noteinfo* table;
    int tableSize;
    noteindex* index;

    int Find(int c, int n) const { return index->Find(c, n); }
    int FirstEmpty() const { return index->FirstEmpty(tableSize); }
    int Oldest() const { return index->Oldest(); }
    void Occupy(int e, int c, int n) { index->Occupy(e, c, n); }
    void Touch(int e) { index->Touch(e); }
    void Release(int e, int c, int n) { index->Release(e, c, n); }
    void ReplaceOldest(int oc, int on, int c, int n) { index->ReplaceOldest(oc, on, c, n); }
    void Rescaled() { index->Rebuild(table, tableSize); }
};

// Gives the entry the next stamp; rescales every age, empty entries
// included, once the counter reaches the rescale stamp. The newest note
// then has age 1.0 and all older ones lie below it.
template <class Lookup>
__attribute__((noinline)) float rescale(noteinfo* table, int tableSize, Lookup lookup) {
    for (int i = 0; i < tableSize; ++i)
        table[i].age *= ageRescaleFactor;
    lookup.Rescaled();
    return 1.0f;
}

// The counter goes in and out by value so that, in the caller's loop, it
// can stay in a register.
template <class Lookup>
inline void stamp(noteinfo* table, int tableSize, int entry, float& ageCounter, const Lookup& lookup) {
    float next = ageCounter + 1.0f;
    table[entry].age = next;
    if (__builtin_expect(next >= ageRescaleAt, 0))
        next = rescale(table, tableSize, lookup);
    ageCounter = next;
}

template <class Out, class Lookup>
void endNote(noteinfo* table, int index, const midievent& tmpl, Out* out, int* activeCount,
             Lookup& lookup) {
    noteinfo& entry = table[index];
    const int channel = entry.channel;
    const int note = entry.note;
    out->pushMessage(tmpl, 0x80 | channel, note, 0);
    entry.Release();
    --*activeCount;
    lookup.Release(index, channel, note);
}

template <class Out, class Lookup>
__attribute__((always_inline)) inline void noteOn(const midievent& event, Out* out, int polyphony, bool killOldest, noteinfo* table,
            int* activeCount, float& ageCounter, int tableSize, Lookup& lookup) {
    const int c = event.Channel();
    const int n = event.Data1();
    const int v = event.Data2();
    const int limit = polyphonyLimit(polyphony);

    // A repeated note-on of a sounding note is always accepted, refreshes
    // its age and never ends another note.
    const int sounding = lookup.Find(c, n);
    if (sounding != noEntry) {
        table[sounding].velocity = v;
        lookup.Touch(sounding);
        stamp(table, tableSize, sounding, ageCounter, lookup);
        out->push(event);
        return;
    }

    if (*activeCount < limit) {
        const int entry = lookup.FirstEmpty();
        if (entry == noEntry)
            return;
        table[entry].channel = c;
        table[entry].note = n;
        table[entry].velocity = v;
        ++*activeCount;
        lookup.Occupy(entry, c, n);
        stamp(table, tableSize, entry, ageCounter, lookup);
        out->push(event);
        return;
    }

    if (!killOldest)
        return;

    // The limit may have been lowered without ending notes (a loaded chunk):
    // end the oldest ones first.
    while (*activeCount > limit) {
        const int oldest = lookup.Oldest();
        if (oldest == noEntry)
            break;
        endNote(table, oldest, event, out, activeCount, lookup);
    }

    const int victim = lookup.Oldest();
    if (victim == noEntry)
        return; // polyphony 0: nothing may sound

    noteinfo& entry = table[victim];
    const int oldChannel = entry.channel;
    const int oldNote = entry.note;
    out->pushMessage(event, 0x80 | oldChannel, oldNote, 0);
    entry.channel = c;
    entry.note = n;
    entry.velocity = v;
    lookup.ReplaceOldest(oldChannel, oldNote, c, n);  // the victim is the oldest entry
    stamp(table, tableSize, victim, ageCounter, lookup);
    // The note-on leaves as it came, as an admitted one does: for valid MIDI
    // its bytes already read 0x90 | c, n, v.
    out->push(event);
}

template <class Out, class Lookup>
__attribute__((always_inline)) inline bool noteOff(const midievent& event, Out* out, noteinfo* table, int* activeCount,
                                                  Lookup& lookup, uint32_t pedalsDown) {
    const int c = event.Channel();
    const int n = event.Data1();
    const int entry = lookup.Find(c, n);
    if (entry == noEntry)
        return false;
    // Tested only for sounding notes, so swallowed note-offs pay nothing.
    if (__builtin_expect((pedalsDown >> c) & 1, 0)) {
        table[entry].HoldByPedal();
        return false;
    }
    table[entry].Release();
    --*activeCount;
    lookup.Release(entry, c, n);
    out->pushMessage(event, 0x80 | c, n, 0);
    return true;
}

} // namespace detail

// Out, where the operations below push their events, is a midiqueue or a
// midiqueue writer.

// Handles one note-on with velocity above 0: admits it into a free entry,
// drops it, or (with killOldest) ends the oldest note to make room. Pushes
// the resulting note-offs and the note-on to out, all carrying the fields of
// event (its deltaFrames in particular); event itself is left unchanged.
// The table is updated even when out is full and drops the events.
template <class Out>
void midiNoteOnQueueAdvanced(const midievent& event, Out* out, int* polyphony, bool killOldest,
                             noteinfo* table, int* activeCount, float& ageCounter, int tableSize) {
    detail::scanlookup lookup{table, tableSize};
    detail::noteOn(event, out, *polyphony, killOldest, table, activeCount, ageCounter, tableSize, lookup);
}

template <class Out>
inline void midiNoteOnQueueAdvanced(const midievent& event, Out* out, int* polyphony, bool killOldest,
                                    noteinfo* table, int* activeCount, float& ageCounter, int tableSize,
                                    noteindex& index) {
    detail::indexlookup lookup{table, tableSize, &index};
    detail::noteOn(event, out, *polyphony, killOldest, table, activeCount, ageCounter, tableSize, lookup);
}

// Ends the note of entry `index`: pushes its note-off (release velocity 0)
// with the other fields of tmpl, and empties the entry.
template <class Out>
void endNote(noteinfo* table, int index, const midievent& tmpl, Out* out, int* activeCount) {
    detail::scanlookup lookup{table, 0};
    detail::endNote(table, index, tmpl, out, activeCount, lookup);
}

template <class Out>
void endNote(noteinfo* table, int index, const midievent& tmpl, Out* out, int* activeCount,
             noteindex& noteIndex) {
    detail::indexlookup lookup{table, 0, &noteIndex};
    detail::endNote(table, index, tmpl, out, activeCount, lookup);
}

// Handles a note-off (or a note-on with velocity 0): when the note is
// sounding, empties its entry and pushes a note-off with release velocity 0
// at the event's deltaFrames. A note that is not sounding was refused or
// already ended, and its note-off is swallowed (returns false).
template <class Out>
bool midiNoteOffQueue(const midievent& event, Out* out, noteinfo* table, int* activeCount,
                      int tableSize) {
    detail::scanlookup lookup{table, tableSize};
    return detail::noteOff(event, out, table, activeCount, lookup, 0);
}

// The same with a bit per channel whose sustain pedal is down in
// pedalsDown: a sounding note of such a channel is not ended but marked as
// held by the pedal (noteinfo::heldByPedal), and nothing goes out.
template <class Out>
bool midiNoteOffQueue(const midievent& event, Out* out, noteinfo* table, int* activeCount,
                      int tableSize, noteindex& index, uint32_t pedalsDown = 0) {
    detail::indexlookup lookup{table, tableSize, &index};
    return detail::noteOff(event, out, table, activeCount, lookup, pedalsDown);
}

// Ends every sounding note of the channel, in ascending note order, with
// note-offs copied from tmpl (its deltaFrames in particular). Returns the
// number ended.
template <class Out>
int endChannelNotes(int channel, const midievent& tmpl, Out* out, noteinfo* table, int* activeCount,
                    noteindex& index) {
    int ended = 0;
    for (int note = 0; note < 128 && *activeCount > 0; ++note) {
        const int entry = index.Find(channel, note);
        if (entry == noEntry)
            continue;
        endNote(table, entry, tmpl, out, activeCount, index);
        ++ended;
    }
    return ended;
}

// Ends the oldest notes, with fresh note-offs at deltaFrames 0, until at
// most polyphonyLimit(polyphony) notes sound. Returns the number ended.
template <class Out>
int endNotesAbove(int polyphony, Out* out, noteinfo* table, int* activeCount, int tableSize) {
    const int limit = polyphonyLimit(polyphony);
    int ended = 0;
    midievent fresh;
    while (*activeCount > limit) {
        const int oldest = findOldestNote(table, tableSize);
        if (oldest == noEntry)
            break;
        endNote(table, oldest, fresh, out, activeCount);
        ++ended;
    }
    return ended;
}

// The same with the index; the note-offs carry deltaFrames.
template <class Out>
int endNotesAbove(int polyphony, Out* out, noteinfo* table, int* activeCount, noteindex& index,
                  int32_t deltaFrames = 0) {
    const int limit = polyphonyLimit(polyphony);
    int ended = 0;
    midievent fresh;
    fresh.deltaFrames = deltaFrames;
    while (*activeCount > limit) {
        const int oldest = index.Oldest();
        if (oldest == noEntry)
            break;
        endNote(table, oldest, fresh, out, activeCount, index);
        ++ended;
    }
    return ended;
}

} // namespace midi
} // namespace kova
