#pragma once

#include <cstdint>

namespace kova {
namespace midi {

// One entry of the table of notes sounding downstream. An entry is occupied
// while its channel is not -1. A smaller age means an older note.
struct noteinfo {
    // Added to the velocity while a sustain pedal holds the note (its
    // note-off came with the pedal down). Every note-on that takes or
    // refreshes the entry writes the velocity whole, which clears the mark
    // at no cost: a note struck again or a stolen entry is no longer held.
    static constexpr int32_t heldByPedal = 0x100;

    int32_t channel = -1;  // 0-15, -1 when empty
    int32_t note = -1;     // 0-127, -1 when empty
    int32_t velocity = -1; // 1-127 (plus heldByPedal), -1 when empty
    // Stamp of the last note-on; -1.0 when emptied by construction or
    // suspend, 0.0 when emptied by ending the note.
    float age = -1.0f;

    bool Occupied() const { return channel != -1; }
    bool HeldByPedal() const { return Occupied() && (velocity & heldByPedal) != 0; }
    void HoldByPedal() { velocity |= heldByPedal; }

    // Empty state after construction or suspend.
    void Reset() {
        channel = note = velocity = -1;
        age = -1.0f;
    }

    // Empty state after the note was ended.
    void Release() {
        channel = note = velocity = -1;
        age = 0.0f;
    }
};

static_assert(sizeof(noteinfo) == 16, "noteinfo is four 32-bit fields");

} // namespace midi
} // namespace kova
