#include "tools/tessaro-host/livebridge.h"

#include <algorithm>

#include "tools/tessaro-host/midirun.h"

namespace tessaro {
namespace host {

size_t ShortMessageLength(uint8_t status)
{
    if (status < 0xF0)
        return (status & 0xE0) == 0xC0 ? 2 : 3;
    if (status == 0xF1 || status == 0xF3)
        return 2;
    return status == 0xF2 ? 3 : 1;
}

LiveBridge::LiveBridge(MidiPlugin& plugin, size_t capacity) : plugin_(plugin)
{
    Reserve(capacity);
    plugin_.SendOutputTo(&array_);
}

LiveBridge::~LiveBridge()
{
    plugin_.SendOutputTo(nullptr);
}

void LiveBridge::Reserve(size_t capacity)
{
    in_.reserve(capacity);
    // Each block of input may bring a full block of output.
    const size_t blocks = capacity / size_t(kEventsPerBlock) + 2;
    outStore_.resize(std::max(capacity * 2, blocks * size_t(MidiPlugin::kMaxBlockEvents)));
    out_.resize(outStore_.size());
    array_.events = outStore_.data();
    array_.capacity = int(outStore_.size());
    array_.count = 0;
}

void LiveBridge::BeginPeriod()
{
    in_.clear();
    outCount_ = 0;
}

void LiveBridge::AddInput(uint32_t frame, const uint8_t* bytes, size_t size)
{
    if (size == 0 || size > 3 || bytes[0] < 0x80 || bytes[0] == 0xF0 || in_.size() == in_.capacity()) {
        counts_.ignored.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    TimedMessage m;
    m.sample = frame;
    m.status = bytes[0];
    m.data1 = size > 1 ? bytes[1] : 0;
    m.data2 = size > 2 ? bytes[2] : 0;
    in_.push_back(m);
}

void LiveBridge::RunPeriod(uint32_t frames)
{
    const int64_t start = plugin_.Position();
    array_.count = 0;
    FeedState state;
    while (state.pos < int64_t(frames) || state.next < in_.size())
        FeedBlock(plugin_, in_, state, frames);
    uint32_t last = 0;
    for (int i = 0; i < array_.count; ++i) {
        const MidiPlugin::OutputEvent& e = array_.events[i];
        Event& out = out_[size_t(outCount_++)];
        // In order and inside the period, whatever the plug-in reports.
        const int64_t frame = std::min<int64_t>(std::max<int64_t>(e.sample - start, last), int64_t(frames) - 1);
        last = uint32_t(frame);
        out.frame = last;
        out.size = uint8_t(ShortMessageLength(e.bytes[0]));
        std::copy(e.bytes, e.bytes + 3, out.bytes);
    }
    Count();
}

void LiveBridge::Count()
{
    auto isOn = [](uint8_t s, uint8_t velocity) { return (s & 0xF0) == 0x90 && velocity > 0; };
    auto isOff = [](uint8_t s, uint8_t velocity) { return (s & 0xF0) == 0x80 || ((s & 0xF0) == 0x90 && velocity == 0); };
    long notesIn = 0, notesOut = 0, dropped = 0, stolen = 0;
    size_t i = 0;
    int o = 0;
    while (i < in_.size() || o < outCount_) {
        // One frame at a time: a message is matched only on its own frame.
        uint32_t frame = UINT32_MAX;
        if (i < in_.size())
            frame = uint32_t(in_[i].sample);
        if (o < outCount_)
            frame = std::min(frame, out_[size_t(o)].frame);
        const size_t inEnd = size_t(std::find_if(in_.begin() + ptrdiff_t(i), in_.end(),
                                                 [frame](const TimedMessage& m) { return uint32_t(m.sample) != frame; }) -
                                    in_.begin());
        for (size_t k = i; k < inEnd; ++k) {
            const TimedMessage& m = in_[k];
            const int ch = m.status & 0x0F;
            if (m.status >= 0xF0)
                continue;
            if (isOn(m.status, m.data2)) {
                ++notesIn;
                ++pendingOn_[ch][m.data1];
            } else if (isOff(m.status, m.data2)) {
                ++pendingOff_[ch][m.data1];
            } else if ((m.status & 0xF0) == 0xB0 && ((m.data1 == 64 && m.data2 < 64) || m.data1 >= 120)) {
                released_[ch] = true;
            }
        }
        for (; o < outCount_ && out_[size_t(o)].frame == frame; ++o) {
            const Event& e = out_[size_t(o)];
            const int ch = e.bytes[0] & 0x0F;
            const uint8_t note = e.bytes[1] & 0x7F;
            if (e.bytes[0] >= 0xF0)
                continue;
            if (isOn(e.bytes[0], e.bytes[2])) {
                ++notesOut;
                if (pendingOn_[ch][note])
                    --pendingOn_[ch][note];
                soundingCount_ += sounding_[ch][note] ? 0 : 1;
                sounding_[ch][note] = true;
            } else if (isOff(e.bytes[0], e.bytes[2])) {
                if (pendingOff_[ch][note])
                    --pendingOff_[ch][note];
                else if (!released_[ch] && sounding_[ch][note])
                    ++stolen;
                soundingCount_ -= sounding_[ch][note] ? 1 : 0;
                sounding_[ch][note] = false;
            }
        }
        for (; i < inEnd; ++i) {
            const TimedMessage& m = in_[i];
            const int ch = m.status & 0x0F;
            dropped += pendingOn_[ch][m.data1];
            pendingOn_[ch][m.data1] = 0;
            pendingOff_[ch][m.data1] = 0;
            released_[ch] = false;
        }
    }
    counts_.notesIn.fetch_add(notesIn, std::memory_order_relaxed);
    counts_.notesOut.fetch_add(notesOut, std::memory_order_relaxed);
    counts_.dropped.fetch_add(dropped, std::memory_order_relaxed);
    counts_.stolen.fetch_add(stolen, std::memory_order_relaxed);
    counts_.sounding.store(soundingCount_, std::memory_order_relaxed);
}

}  // namespace host
}  // namespace tessaro
