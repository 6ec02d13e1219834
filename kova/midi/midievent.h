#pragma once

#include <cstdint>
#include <type_traits>

namespace kova {
namespace midi {

// Controller numbers the engine acts on.
constexpr int ccSustainPedal = 64;
constexpr int ccAllSoundOff = 120;
constexpr int ccAllNotesOff = 123;
// Omni Off, Omni On, Mono On and Poly On: a receiver that obeys them ends
// all its notes, as at All Notes Off.
constexpr int ccFirstModeMessage = 124;
constexpr int ccLastModeMessage = 127;

// Whether a control change ends every sounding note of its channel in a
// receiver.
constexpr bool EndsChannelNotes(int controller)
{
    return controller == ccAllSoundOff || controller == ccAllNotesOff ||
           (controller >= ccFirstModeMessage && controller <= ccLastModeMessage);
}

// One MIDI event, laid out byte for byte as the host's 32-byte MIDI event
// record, so host events are copied in whole and handed back unchanged.
// The engine reads and writes only midiData[0..2]; every other field is
// carried through untouched.
struct midievent {
    int32_t type = 1;        // MIDI event kind of the host interface
    int32_t byteSize = 24;   // size of the record after the first two fields
    int32_t deltaFrames = 0; // sample offset within the current block
    int32_t flags = 0;
    int32_t noteLength = 0;
    int32_t noteOffset = 0;
    unsigned char midiData[4] = {0, 0, 0, 0}; // status, data 1, data 2, unused
    char detune = 0;
    unsigned char noteOffVelocity = 0;
    unsigned char reserved1 = 0;
    unsigned char reserved2 = 0;

    int Channel() const { return midiData[0] & 0x0F; }
    int Kind() const { return midiData[0] & 0xF0; }
    // Note, controller or program number.
    int Data1() const { return midiData[1] & 0x7F; }
    // Velocity or controller value.
    int Data2() const { return midiData[2] & 0x7F; }

    void SetMessage(int status, int data1, int data2) {
        midiData[0] = static_cast<unsigned char>(status);
        midiData[1] = static_cast<unsigned char>(data1);
        midiData[2] = static_cast<unsigned char>(data2);
    }
};

static_assert(sizeof(midievent) == 32, "midievent must match the host's MIDI event record");
static_assert(std::is_trivially_copyable<midievent>::value, "midievent is copied as raw bytes");

} // namespace midi
} // namespace kova
