#pragma once

#include <cstdint>

#include "kova/midi/midievent.h"
#include "kova/midi/noteinfo.h"
#include "kova/midi/notetable.h"

namespace kova {
namespace midi {

// The sustain pedal of each of the 16 channels as the limiter sees it. The
// notes a pedal holds (their note-off came while it was down, see
// midiNoteOffQueue) keep their entries in the note table, marked there
// (noteinfo::heldByPedal), so they
// still count against the limit and are stolen or ended like any other.
// Only a channel whose pedal is down has held notes: lifting a pedal ends
// them all.
class sustainpedals {
public:
    // Controller values from this one up press the pedal.
    static constexpr int downFrom = 64;

    // A bit per channel whose pedal is down; 0 when no pedal is.
    uint32_t DownMask() const { return down; }
    bool Down(int channel) const { return (down >> (channel & 0x0F)) & 1; }

    void Press(int channel) { down |= uint32_t(1) << (channel & 0x0F); }

    // Every pedal up without ending any note (the table is cleared too).
    void Clear() { down = 0; }

    // Lifts the channel's pedal: ends the notes it holds, in ascending note
    // order, with note-offs copied from tmpl (its deltaFrames in
    // particular). Returns the number ended.
    template <class Out>
    int Lift(int channel, const midievent& tmpl, Out* out, noteinfo* table, int* activeCount,
             noteindex& index) {
        channel &= 0x0F;
        int ended = 0;
        if (Down(channel)) {
            for (int note = 0; note < 128; ++note) {
                const int entry = index.Find(channel, note);
                if (entry == noEntry || !table[entry].HeldByPedal())
                    continue;
                endNote(table, entry, tmpl, out, activeCount, index);
                ++ended;
            }
        }
        down &= ~(uint32_t(1) << channel);
        return ended;
    }

    // Lifts every pedal, with fresh note-offs at deltaFrames, in ascending
    // channel, then note order. Returns the number ended.
    template <class Out>
    int LiftAll(Out* out, noteinfo* table, int* activeCount, noteindex& index, int32_t deltaFrames = 0) {
        midievent fresh;
        fresh.deltaFrames = deltaFrames;
        int ended = 0;
        for (int channel = 0; channel < 16 && down != 0; ++channel)
            ended += Lift(channel, fresh, out, table, activeCount, index);
        return ended;
    }

private:
    uint32_t down = 0;
};

} // namespace midi
} // namespace kova
