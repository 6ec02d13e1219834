#include "tools/tessaro-host/midirun.h"

#include <algorithm>

namespace tessaro {
namespace host {

static_assert(kEventsPerBlock <= MidiPlugin::kMaxBlockEvents, "a fed block must fit the host's event block");

PlacedMessages PlaceMessages(const SmfFile& file, const TempoMap& tempo)
{
    PlacedMessages placed;
    size_t channelMessages = 0;
    for (const SmfTrack& track : file.tracks)
        for (const SmfEvent& e : track.events)
            channelMessages += e.kind == SmfEvent::Kind::Channel;
    placed.messages.reserve(channelMessages);
    MergedEvents merged(file);
    while (const SmfEvent* next = merged.Next()) {
        const SmfEvent& e = *next;
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
    std::vector<TimedMessage> out;
    out.reserve(in.size());
    auto take = [&]() {
        for (const MidiPlugin::OutputEvent& e : plugin.Output()) {
            TimedMessage m;
            m.sample = e.sample - origin;
            m.status = e.bytes[0];
            m.data1 = e.bytes[1] & 0x7F;
            m.data2 = e.bytes[2] & 0x7F;
            if (m.status < 0x80 || m.status >= 0xF0)
                continue;  // not a channel message; nothing a file track can hold as such
            out.push_back(m);
        }
        plugin.ClearOutput();
    };
    take();  // whatever was kept before the run
    out.clear();
    FeedState state;
    while (state.pos < endSample || state.next < in.size()) {
        FeedBlock(plugin, in, state, endSample);
        take();
    }
    auto earlier = [](const TimedMessage& a, const TimedMessage& b) { return a.sample < b.sample; };
    if (!std::is_sorted(out.begin(), out.end(), earlier))
        std::stable_sort(out.begin(), out.end(), earlier);
    return out;
}

std::vector<uint8_t> EncodeOutputFile(const SmfFile& input, const std::vector<TimedMessage>& out,
                                      const TempoMap& tempo)
{
    std::vector<const SmfEvent*> metas;
    MergedEvents merged(input);
    while (const SmfEvent* e = merged.Next())
        if (e->kind == SmfEvent::Kind::Meta && e->status != 0x2F && e->status != 0x20 && e->status != 0x21)
            metas.push_back(e);
    SmfWriter writer(1, input.division);
    writer.BeginTrack();
    // Meta events first at equal ticks, so a tempo change precedes the notes it times.
    size_t m = 0;
    for (const TimedMessage& message : out) {
        const uint32_t tick = tempo.TickAt(message.sample);
        for (; m < metas.size() && metas[m]->tick <= tick; ++m)
            writer.Add(*metas[m]);
        const uint8_t data[2] = {message.data1, message.data2};
        writer.Add(tick, SmfEvent::Kind::Channel, message.status, data, 2);
    }
    for (; m < metas.size(); ++m)
        writer.Add(*metas[m]);
    writer.EndTrack();
    return writer.Take();
}

void KeepOnlyMetaEvents(SmfFile& file)
{
    for (SmfTrack& track : file.tracks) {
        std::vector<SmfEvent> metas;
        for (SmfEvent& e : track.events)
            if (e.kind == SmfEvent::Kind::Meta)
                metas.push_back(std::move(e));
        track.events.swap(metas);
    }
}

}  // namespace host
}  // namespace tessaro
