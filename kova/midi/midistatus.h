// MIDI status bytes: the kind of a channel message in its high nibble (the
// channel in the low one), and the system messages.
#pragma once

namespace kova {
namespace midi {

// The lowest status byte; below it are data bytes.
constexpr int statusFirst = 0x80;
// The kind of a status byte: its high nibble.
constexpr int statusKindMask = 0xF0;

// Channel messages, by kind.
constexpr int statusNoteOff = 0x80;
constexpr int statusNoteOn = 0x90;  // velocity 0 is a note-off
constexpr int statusPolyPressure = 0xA0;
constexpr int statusControlChange = 0xB0;
constexpr int statusProgramChange = 0xC0;
constexpr int statusChannelPressure = 0xD0;
constexpr int statusPitchBend = 0xE0;

// System messages (the kind 0xF0).
constexpr int statusSystem = 0xF0;
constexpr int statusSystemExclusive = 0xF0;
constexpr int statusTimeCodeQuarterFrame = 0xF1;
constexpr int statusSongPosition = 0xF2;
constexpr int statusSongSelect = 0xF3;

}  // namespace midi
}  // namespace kova
