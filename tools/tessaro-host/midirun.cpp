#include "tools/tessaro-host/midirun.h"

#include <algorithm>

namespace tessaro {
namespace host {

static_assert(kEventsPerBlock <= MidiPlugin::kMaxBlockEvents, "a fed block must fit the host's event block");

PlacedMessages PlaceMessages(const SmfFile& file, const TempoMap& tempo)
{
    PlacedMessages placed;
    for (const SmfEvent& e : MergeTracks(file)) {
        if (e.kind == SmfEvent::Kind::SysEx || e.kind == SmfEvent::Kind::Escape) {
            ++placed.sysexCount;
            continue;
        }
        if (e.kind != SmfEvent::Kind::Channel)
            continue;
        TimedMessage m;
        m.sample = tempo.SampleAt(e.tick);
        m.status = e.status;
        m.data1 = e.data.size() > 0 ? e.data[0] : 0;
        m.data2 = e.data.size() > 1 ? e.data[1] : 0;
        placed.messages.push_back(m);
    }
    return placed;
}

int64_t EndOfMessages(const std::vector<TimedMessage>& messages)
{
    return messages.empty() ? 1 : messages.back().sample + 1;
}

void FeedBlock(MidiPlugin& plugin, const std::vector<TimedMessage>& in, FeedState& state, int64_t endSample)
{
    MidiPlugin::BlockEvent events[kEventsPerBlock];
    const int64_t pos = state.pos;
    const size_t next = state.next;
    int64_t blockEnd = pos + plugin.BlockSize();
    if (blockEnd > endSample)
        blockEnd = std::max(endSample, pos + 1);
    size_t last = next;
    while (last < in.size() && in[last].sample < blockEnd && last - next < size_t(kEventsPerBlock))
        ++last;
    if (last < in.size() && in[last].sample < blockEnd) {
        // Too many events: end the block before the first one that does
        // not fit, or, when they all share the block's first sample, send
        // them in a block of no frames.
        const int64_t cut = in[last].sample;
        if (cut > pos) {
            blockEnd = cut;
            while (last > next && in[last - 1].sample >= cut)
                --last;
        } else {
            blockEnd = pos;
        }
    }
    int count = 0;
    for (size_t i = next; i < last; ++i) {
        events[count++] = {static_cast<int32_t>(std::max<int64_t>(in[i].sample - pos, 0)),
                           {in[i].status, in[i].data1, in[i].data2}};
    }
    plugin.ProcessBlock(events, count, static_cast<int>(blockEnd - pos));
    state.next = last;
    state.pos = blockEnd;
}

std::vector<TimedMessage> RunThrough(MidiPlugin& plugin, const std::vector<TimedMessage>& in, int64_t endSample)
{
    const int64_t origin = plugin.Position();
    const size_t firstOutput = plugin.Output().size();
    FeedState state;
    while (state.pos < endSample || state.next < in.size())
        FeedBlock(plugin, in, state, endSample);

    std::vector<TimedMessage> out;
    const auto& collected = plugin.Output();
    for (size_t i = firstOutput; i < collected.size(); ++i) {
        TimedMessage m;
        m.sample = collected[i].sample - origin;
        m.status = collected[i].bytes[0];
        m.data1 = collected[i].bytes[1] & 0x7F;
        m.data2 = collected[i].bytes[2] & 0x7F;
        if (m.status < 0x80 || m.status >= 0xF0)
            continue;  // not a channel message; nothing a file track can hold as such
        out.push_back(m);
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const TimedMessage& a, const TimedMessage& b) { return a.sample < b.sample; });
    return out;
}

SmfFile BuildOutputFile(const SmfFile& input, const std::vector<TimedMessage>& out, const TempoMap& tempo)
{
    SmfFile file;
    file.format = 0;
    file.division = input.division;
    file.tracks.emplace_back();
    std::vector<SmfEvent>& track = file.tracks[0].events;
    for (const SmfEvent& e : MergeTracks(input)) {
        if (e.kind == SmfEvent::Kind::Meta && e.status != 0x2F && e.status != 0x20 && e.status != 0x21)
            track.push_back(e);
    }
    const size_t metas = track.size();
    for (const TimedMessage& m : out)
        track.push_back(SmfEvent::Channel(tempo.TickAt(m.sample), m.status, m.data1, m.data2));
    // Meta events first at equal ticks, so a tempo change precedes the notes it times.
    std::inplace_merge(track.begin(), track.begin() + ptrdiff_t(metas), track.end(),
                       [](const SmfEvent& a, const SmfEvent& b) { return a.tick < b.tick; });
    return file;
}

}  // namespace host
}  // namespace tessaro
