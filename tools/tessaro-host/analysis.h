// What the limiter did to a piece: the incoming and outgoing channel
// messages, placed on sample positions, are matched against each other to
// count the notes that were dropped or ended early, and turned into note
// spans for the piano roll.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessaro {
namespace host {

struct TimedMessage {
    int64_t sample = 0;  // position from the start of the piece
    uint8_t status = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;

    bool IsNoteOn() const { return (status & 0xF0) == 0x90 && data2 > 0; }
    bool IsNoteOff() const { return (status & 0xF0) == 0x80 || ((status & 0xF0) == 0x90 && data2 == 0); }
    bool IsNote() const { return IsNoteOn() || IsNoteOff(); }
    int Channel() const { return status & 0x0F; }
};

struct LimiterSummary {
    int noteOnsIn = 0;
    int noteOnsOut = 0;
    int mostSoundingIn = 0;   // greatest number of notes sounding at once
    int mostSoundingOut = 0;
    int notesDropped = 0;     // incoming note-ons that did not go out
    int notesEndedEarly = 0;  // outgoing note-offs that no incoming note-off explains
    int notesReturned = 0;    // outgoing note-ons that no incoming note-on explains (Note Return)
    int otherIn = 0;          // messages other than notes
    int otherPassed = 0;
    int otherAdded = 0;       // sent by the plug-in on its own (a panic, for example)
    int sysexIn = 0;          // system exclusive messages of the file, not sent to the plug-in
};

struct NoteSpan {
    int64_t start = 0;
    int64_t end = 0;
    uint8_t channel = 0;
    uint8_t note = 0;
    uint8_t velocity = 0;
    bool changed = false;  // incoming: dropped; outgoing: ended early
};

struct LimiterAnalysis {
    LimiterSummary summary;
    std::vector<NoteSpan> before;  // the incoming notes
    std::vector<NoteSpan> after;   // the outgoing notes
};

// Both lists in time order; endSample closes the notes left sounding.
LimiterAnalysis Analyse(const std::vector<TimedMessage>& in, const std::vector<TimedMessage>& out,
                        int64_t endSample);

// Greatest number of distinct (channel, note) pairs sounding at once.
int MostSoundingAtOnce(const std::vector<TimedMessage>& messages);

// The summary as a few aligned lines for a terminal.
std::string FormatSummary(const LimiterSummary& summary);

}  // namespace host
}  // namespace tessaro
