// Running a MIDI file through a plug-in: the file's channel messages are
// placed on sample positions with its tempo map, fed block by block with
// exact deltaFrames, and the plug-in's output is turned back into a
// format-0 file with the same time division.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/tessaro-host/analysis.h"
#include "tools/tessaro-host/midiplugin.h"
#include "tools/tessaro-host/smf.h"

namespace tessaro {
namespace host {

// A block never carries more events than this, as a host's blocks seldom
// do (the plug-in itself takes up to 4,096 a block without loss). Busier
// stretches are split into shorter blocks at event boundaries, so every
// event still lands on its exact sample.
constexpr int kEventsPerBlock = 128;

struct PlacedMessages {
    std::vector<TimedMessage> messages;  // channel messages in time order
    int sysexCount = 0;                  // system exclusive messages left out
};

PlacedMessages PlaceMessages(const SmfFile& file, const TempoMap& tempo);

// The sample just past the last message (at least 1), where the run ends.
int64_t EndOfMessages(const std::vector<TimedMessage>& messages);

// Where a run through a plug-in stands: the next message to send and the
// sample position of the next block, both from the start of the run.
struct FeedState {
    size_t next = 0;
    int64_t pos = 0;
};

// Sends one block: at most the host's block size, ending early where the
// messages would not fit (see kEventsPerBlock), and never past endSample
// unless messages remain.
void FeedBlock(MidiPlugin& plugin, const std::vector<TimedMessage>& in, FeedState& state, int64_t endSample);

// Feeds the messages to a started plug-in from its current position (taken
// as sample 0) up to endSample and returns what it sent back, in time order.
// The plug-in's kept output is taken block by block and cleared.
std::vector<TimedMessage> RunThrough(MidiPlugin& plugin, const std::vector<TimedMessage>& in, int64_t endSample);

// The output file, encoded: the input's meta events (tempo, time signature,
// names; end-of-track, channel prefix and port are per-track and left out)
// and the plug-in's messages, in one track.
std::vector<uint8_t> EncodeOutputFile(const SmfFile& input, const std::vector<TimedMessage>& out,
                                      const TempoMap& tempo);

// Drops the input's channel messages once they are placed: the output
// needs only its meta events.
void KeepOnlyMetaEvents(SmfFile& file);

}  // namespace host
}  // namespace tessaro
