// Standard MIDI Files: reading formats 0 and 1, writing format 0, and the
// tempo map that turns ticks into sample times and back.
//
// Reading never trusts the file: every length is checked against the bytes
// that are really there, and a malformed file yields one line of error text
// instead of a partial result.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/tessaro-host/smallbytes.h"

namespace tessaro {
namespace host {

struct SmfEvent {
    enum class Kind : uint8_t {
        Channel,  // note, controller, program, pressure or pitch-bend message
        Meta,     // FF type length data
        SysEx,    // F0 length data (data without the leading F0)
        Escape,   // F7 length data: raw bytes sent as they are
    };

    uint32_t tick = 0;      // absolute time in ticks from the start of the track
    Kind kind = Kind::Channel;
    uint8_t status = 0;     // channel status byte, or the meta type
    SmallBytes data;        // one or two data bytes, or the payload

    static SmfEvent Channel(uint32_t tick, uint8_t status, uint8_t data1, uint8_t data2 = 0);
    static SmfEvent Meta(uint32_t tick, uint8_t type, std::vector<uint8_t> payload);

    bool IsNoteOn() const;   // note-on with a velocity above 0
    bool IsNoteOff() const;  // note-off, or note-on with velocity 0
};

struct SmfTrack {
    std::vector<SmfEvent> events;  // in file order, ticks never decreasing
};

struct SmfFile {
    int format = 0;           // 0 or 1
    uint16_t division = 480;  // the header's time division, kept as written
    std::vector<SmfTrack> tracks;
};

// Number of data bytes that follow a channel status byte (1 or 2).
int ChannelDataLength(uint8_t status);

// The largest file the host reads: far beyond any real piece, and small
// enough that reading it cannot exhaust the memory.
constexpr size_t kLargestMidiFile = 64u << 20;

// Parses a whole file. Unknown chunks are skipped; a missing end-of-track
// event is tolerated; running status carries over meta and sysex events,
// as many writers rely on that.
bool ReadSmf(const std::vector<uint8_t>& bytes, SmfFile& file, std::string& error);
bool ReadSmfFile(const std::string& path, SmfFile& file, std::string& error);

// Writes every track of the file (format 0 when there is one track, else
// format 1) with running status, and an end-of-track event wherever a track
// lacks one.
std::vector<uint8_t> WriteSmf(const SmfFile& file);
bool WriteSmfFile(const std::string& path, const SmfFile& file, std::string& error);

// Encodes a file one event at a time, with running status: Add the events
// of a track between BeginTrack and EndTrack, which adds an end-of-track
// event where the track lacks one. Events after an end-of-track event are
// left out; an event earlier than the one before it is moved to its time.
class SmfWriter {
public:
    SmfWriter(int trackCount, uint16_t division);
    void BeginTrack();
    void Add(uint32_t tick, SmfEvent::Kind kind, uint8_t status, const uint8_t* data, size_t size);
    void Add(const SmfEvent& e) { Add(e.tick, e.kind, e.status, e.data.data(), e.data.size()); }
    void EndTrack();
    std::vector<uint8_t> Take() { return std::move(out_); }

private:
    std::vector<uint8_t> out_;
    size_t trackStart_ = 0;
    uint32_t last_ = 0;
    uint8_t running_ = 0;
    bool ended_ = false;
};

// All events of all tracks in time order; events at the same tick keep
// their track order, then their order within the track.
std::vector<SmfEvent> MergeTracks(const SmfFile& file);

// The same order one event at a time, without copying the events.
class MergedEvents {
public:
    explicit MergedEvents(const SmfFile& file);
    // The next event, or null after the last.
    const SmfEvent* Next();

private:
    const SmfFile& file_;
    std::vector<uint64_t> heap_;    // (tick << 16 | track) of each track's next event
    std::vector<size_t> position_;  // per track, the index of its next event
};

// Maps ticks to sample positions with the file's tempo changes (or its
// SMPTE time division) and back. Sample positions are computed in integer
// arithmetic, so both builds place every event on the same sample.
class TempoMap {
public:
    TempoMap(const SmfFile& file, uint32_t sampleRate);

    int64_t SampleAt(uint32_t tick) const;
    // The earliest tick whose sample position is nearest to the given one.
    uint32_t TickAt(int64_t sample) const;

private:
    struct Segment {
        uint32_t tick;         // first tick of the segment
        uint64_t microTicks;   // sum of tick x microseconds-per-quarter up to tick
        uint32_t tempo;        // microseconds per quarter note from here on
    };

    uint32_t rate_;
    uint64_t ticksPerSecondDen_ = 0;  // for SMPTE divisions: ticks per second x 100
    std::vector<Segment> segments_;
    uint32_t quarter_ = 0;            // ticks per quarter note, 0 for SMPTE
};

}  // namespace host
}  // namespace tessaro
