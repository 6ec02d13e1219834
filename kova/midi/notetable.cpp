#include "kova/midi/notetable.h"

#include <cstring>

namespace kova {
namespace midi {

int findOldestNote(const noteinfo* table, int tableSize) {
    int best = noEntry;
    for (int i = 0; i < tableSize; ++i) {
        if (!table[i].Occupied())
            continue;
        if (best == noEntry || table[i].age < table[best].age)
            best = i;
    }
    return best;
}

int findNote(const noteinfo* table, int tableSize, int channel, int note) {
    for (int i = 0; i < tableSize; ++i)
        if (table[i].channel == channel && table[i].note == note)
            return i;
    return noEntry;
}

int findEmptyEntry(const noteinfo* table, int tableSize) {
    for (int i = 0; i < tableSize; ++i)
        if (!table[i].Occupied())
            return i;
    return noEntry;
}

void clearNotes(noteinfo* table, int tableSize) {
    for (int i = 0; i < tableSize; ++i)
        table[i].Reset();
}

void noteindex::Clear() {
    std::memset(entryOf, 0xFF, sizeof entryOf); // every byte -1: no entry
    occupiedBits[0] = occupiedBits[1] = 0;
    std::memset(older, 0xFF, sizeof older);
    std::memset(newer, 0xFF, sizeof newer);
    oldest = newest = noEntry;
}

void noteindex::Rebuild(const noteinfo* table, int tableSize) {
    Clear();
    if (tableSize > maxEntries)
        tableSize = maxEntries;

    // Occupied entries sorted by (age, entry): insertion sort, stable, so
    // equal ages keep the lowest entry first as the plain scan does.
    int8_t order[maxEntries];
    int count = 0;
    for (int i = 0; i < tableSize; ++i) {
        if (!table[i].Occupied())
            continue;
        int pos = count++;
        while (pos > 0 && table[order[pos - 1]].age > table[i].age) {
            order[pos] = order[pos - 1];
            --pos;
        }
        order[pos] = static_cast<int8_t>(i);
    }
    for (int k = 0; k < count; ++k) {
        const noteinfo& e = table[order[k]];
        entryOf[e.channel & 0x0F][e.note & 0x7F] = order[k];
        occupiedBits[order[k] >> 6] |= uint64_t(1) << (order[k] & 63);
        Append(order[k]);
    }
}

int noteindex::FirstEmpty(int tableSize) const {
    int entry;
    if (~occupiedBits[0] != 0)
        entry = __builtin_ctzll(~occupiedBits[0]);
    else if (~occupiedBits[1] != 0)
        entry = 64 + __builtin_ctzll(~occupiedBits[1]);
    else
        return noEntry;
    return entry < tableSize ? entry : noEntry;
}

void noteindex::Unlink(int entry) {
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

void noteindex::Append(int entry) {
    older[entry] = static_cast<int8_t>(newest);
    newer[entry] = noEntry;
    if (newest == noEntry)
        oldest = entry;
    else
        newer[newest] = static_cast<int8_t>(entry);
    newest = entry;
}

void noteindex::Occupy(int entry, int channel, int note) {
    entryOf[channel & 0x0F][note & 0x7F] = static_cast<int8_t>(entry);
    occupiedBits[entry >> 6] |= uint64_t(1) << (entry & 63);
    Append(entry);
}

void noteindex::Touch(int entry) {
    if (newest == entry)
        return;
    Unlink(entry);
    Append(entry);
}

void noteindex::Release(int entry, int channel, int note) {
    entryOf[channel & 0x0F][note & 0x7F] = noEntry;
    occupiedBits[entry >> 6] &= ~(uint64_t(1) << (entry & 63));
    Unlink(entry);
}

void noteindex::Replace(int entry, int oldChannel, int oldNote, int channel, int note) {
    entryOf[oldChannel & 0x0F][oldNote & 0x7F] = noEntry;
    entryOf[channel & 0x0F][note & 0x7F] = static_cast<int8_t>(entry);
    Touch(entry);
}

} // namespace midi
} // namespace kova
