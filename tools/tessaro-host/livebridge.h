// What `tessaro-host live` does in each period of the JACK server, apart
// from JACK's own buffer calls: the period's input events go to the started
// plug-in at their frames (in blocks of at most the block size and
// kEventsPerBlock events, exactly as `process` feeds a file), and its output
// events come back at their frames, in order. It also keeps the counts of
// the status line.
//
// Everything is allocated by the constructor and Reserve; the period
// calls allocate nothing, take no lock and make no system call.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/tessaro-host/analysis.h"
#include "tools/tessaro-host/midiplugin.h"

namespace tessaro {
namespace host {

class LiveBridge {
public:
    struct Event {
        uint32_t frame;
        uint8_t size;
        uint8_t bytes[3];
    };

    // The status line's counts since the start; any thread may read them.
    struct Counts {
        std::atomic<long> notesIn{0};
        std::atomic<long> notesOut{0};
        std::atomic<long> dropped{0};   // note-ons the plug-in did not pass
        std::atomic<long> stolen{0};    // notes the plug-in ended early to make room
        std::atomic<int> sounding{0};   // notes sounding at the output now
        std::atomic<long> ignored{0};   // input events that were no short MIDI message, or did not fit
    };

    // `plugin` is started; `capacity` is the most input events a period takes.
    LiveBridge(MidiPlugin& plugin, size_t capacity);
    ~LiveBridge();
    LiveBridge(const LiveBridge&) = delete;
    LiveBridge& operator=(const LiveBridge&) = delete;

    // Makes room for more events a period; never while a period runs.
    void Reserve(size_t capacity);

    // --- Once per period, on the audio thread --------------------------------

    void BeginPeriod();
    // An input event at its frame; events come in frame order.
    void AddInput(uint32_t frame, const uint8_t* bytes, size_t size);
    void RunPeriod(uint32_t frames);
    const Event* Output() const { return out_.data(); }
    int OutputCount() const { return outCount_; }

    const Counts& Totals() const { return counts_; }

private:
    void Count();

    MidiPlugin& plugin_;
    std::vector<TimedMessage> in_;  // never grows past its capacity on the audio thread
    std::vector<MidiPlugin::OutputEvent> outStore_;
    MidiPlugin::OutputArray array_;
    std::vector<Event> out_;
    int outCount_ = 0;
    Counts counts_;
    // Per channel and note: note-ons and note-offs of the current frame
    // not yet matched, and whether the note sounds at the output.
    uint16_t pendingOn_[16][128] = {};
    uint16_t pendingOff_[16][128] = {};
    bool sounding_[16][128] = {};
    bool released_[16] = {};  // the channel's pedal or notes were released at this frame
    int soundingCount_ = 0;
};

// The length of a MIDI message by its status byte (1 to 3).
size_t ShortMessageLength(uint8_t status);

}  // namespace host
}  // namespace tessaro
