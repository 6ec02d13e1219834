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


} // namespace midi
} // namespace kova
