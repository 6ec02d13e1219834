#include "tools/tessaro-host/smf.h"

#include "tools/tessaro-host/fileread.h"
#include "tools/tessaro-host/filewrite.h"

#include <algorithm>
#include <cstdio>
#include <functional>

namespace tessaro {
namespace host {

SmfEvent SmfEvent::Channel(uint32_t tick, uint8_t status, uint8_t data1, uint8_t data2)
{
    SmfEvent e;
    e.tick = tick;
    e.kind = Kind::Channel;
    e.status = status;
    const uint8_t bytes[2] = {uint8_t(data1 & 0x7F), uint8_t(data2 & 0x7F)};
    e.data.assign(bytes, bytes + ChannelDataLength(status));
    return e;
}

SmfEvent SmfEvent::Meta(uint32_t tick, uint8_t type, std::vector<uint8_t> payload)
{
    SmfEvent e;
    e.tick = tick;
    e.kind = Kind::Meta;
    e.status = type;
    e.data = std::move(payload);
    return e;
}

bool SmfEvent::IsNoteOn() const
{
    return kind == Kind::Channel && (status & 0xF0) == 0x90 && data.size() == 2 && data[1] > 0;
}

bool SmfEvent::IsNoteOff() const
{
    if (kind != Kind::Channel || data.size() != 2)
        return false;
    return (status & 0xF0) == 0x80 || ((status & 0xF0) == 0x90 && data[1] == 0);
}

int ChannelDataLength(uint8_t status)
{
    const uint8_t kind = status & 0xF0;
    return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

namespace {

constexpr uint32_t kTrackMagic = 0x4D54726B;   // "MTrk"
constexpr uint32_t kHeaderMagic = 0x4D546864;  // "MThd"
constexpr uint8_t kEndOfTrack = 0x2F;
constexpr uint8_t kSetTempo = 0x51;

// A bounded cursor over the bytes of one chunk.
class Reader {
public:
    Reader(const uint8_t* begin, size_t size) : p_(begin), end_(begin + size) {}

    size_t Left() const { return static_cast<size_t>(end_ - p_); }
    bool AtEnd() const { return p_ == end_; }

    bool Byte(uint8_t& out)
    {
        if (p_ == end_)
            return false;
        out = *p_++;
        return true;
    }

    bool Peek(uint8_t& out) const
    {
        if (p_ == end_)
            return false;
        out = *p_;
        return true;
    }

    bool Be(int bytes, uint32_t& out)
    {
        if (Left() < static_cast<size_t>(bytes))
            return false;
        out = 0;
        for (int i = 0; i < bytes; ++i)
            out = (out << 8) | *p_++;
        return true;
    }

    // Variable-length quantity: at most four bytes, 28 bits.
    bool Vlq(uint32_t& out)
    {
        out = 0;
        for (int i = 0; i < 4; ++i) {
            uint8_t b;
            if (!Byte(b))
                return false;
            out = (out << 7) | (b & 0x7F);
            if (!(b & 0x80))
                return true;
        }
        return false;
    }

    bool Bytes(size_t n, SmallBytes& out)
    {
        if (Left() < n)
            return false;
        out.assign(p_, p_ + n);
        p_ += n;
        return true;
    }

    const uint8_t* Here() const { return p_; }

    void Skip(size_t n) { p_ += std::min(n, Left()); }

private:
    const uint8_t* p_;
    const uint8_t* end_;
};

std::string At(const char* what, size_t track, size_t event)
{
    char text[128];
    std::snprintf(text, sizeof text, "track %zu, event %zu: %s", track + 1, event + 1, what);
    return text;
}

bool ReadTrack(Reader& in, size_t trackIndex, SmfTrack& track, std::string& error)
{
    // Every event takes at least two bytes, so this is room enough; pages
    // of it that stay unused cost no memory.
    track.events.reserve(in.Left() / 2 + 1);
    uint64_t tick = 0;
    uint8_t running = 0;
    for (size_t n = 0; !in.AtEnd(); ++n) {
        uint32_t delta;
        if (!in.Vlq(delta)) {
            error = At("delta time cut off or longer than four bytes", trackIndex, n);
            return false;
        }
        tick += delta;
        if (tick > UINT32_MAX) {
            error = At("time beyond the range of 32-bit ticks", trackIndex, n);
            return false;
        }
        SmfEvent e;
        e.tick = static_cast<uint32_t>(tick);

        uint8_t first;
        if (!in.Peek(first)) {
            error = At("event missing after its delta time", trackIndex, n);
            return false;
        }
        if (first == 0xFF) {
            in.Skip(1);
            uint8_t type;
            uint32_t length;
            if (!in.Byte(type) || !in.Vlq(length) || !in.Bytes(length, e.data)) {
                error = At("meta event cut off", trackIndex, n);
                return false;
            }
            e.kind = SmfEvent::Kind::Meta;
            e.status = type;
            track.events.push_back(std::move(e));
            if (type == kEndOfTrack)
                return true;  // anything after it is not part of the track
            continue;
        }
        if (first == 0xF0 || first == 0xF7) {
            in.Skip(1);
            uint32_t length;
            if (!in.Vlq(length) || !in.Bytes(length, e.data)) {
                error = At("system exclusive message cut off", trackIndex, n);
                return false;
            }
            e.kind = first == 0xF0 ? SmfEvent::Kind::SysEx : SmfEvent::Kind::Escape;
            e.status = first;
            track.events.push_back(std::move(e));
            continue;
        }
        if (first & 0x80) {
            if (first > 0xEF) {
                error = At("system message byte where only channel messages may stand", trackIndex, n);
                return false;
            }
            in.Skip(1);
            running = first;
        } else if (running == 0) {
            error = At("data byte without a status byte (running status with nothing to run on)", trackIndex, n);
            return false;
        }
        e.kind = SmfEvent::Kind::Channel;
        e.status = running;
        const int length = ChannelDataLength(running);
        if (!in.Bytes(static_cast<size_t>(length), e.data)) {
            error = At("channel message cut off", trackIndex, n);
            return false;
        }
        for (uint8_t b : e.data) {
            if (b & 0x80) {
                error = At("channel message with a data byte above 127", trackIndex, n);
                return false;
            }
        }
        track.events.push_back(std::move(e));
    }
    return true;
}

void PutBe(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutVlq(std::vector<uint8_t>& out, uint32_t value)
{
    uint8_t groups[5];
    int n = 0;
    do {
        groups[n++] = value & 0x7F;
        value >>= 7;
    } while (value && n < 5);
    while (n > 1)
        out.push_back(groups[--n] | 0x80);
    out.push_back(groups[0]);
}

}  // namespace

bool ReadSmf(const std::vector<uint8_t>& bytes, SmfFile& file, std::string& error)
{
    Reader in(bytes.data(), bytes.size());
    uint32_t magic = 0, length = 0, format = 0, ntracks = 0, division = 0;
    if (!in.Be(4, magic) || magic != kHeaderMagic) {
        error = "not a Standard MIDI File (no MThd header)";
        return false;
    }
    if (!in.Be(4, length) || length < 6 || in.Left() < length) {
        error = "MIDI file header cut off";
        return false;
    }
    in.Be(2, format);
    in.Be(2, ntracks);
    in.Be(2, division);
    in.Skip(length - 6);
    if (format == 2) {
        error = "MIDI file format 2 (independent sequences) is not supported; use format 0 or 1";
        return false;
    }
    if (format > 2) {
        error = "unknown MIDI file format " + std::to_string(format);
        return false;
    }
    if ((division & 0x8000) == 0 && division == 0) {
        error = "MIDI file with a time division of 0 ticks per quarter note";
        return false;
    }
    if (division & 0x8000) {
        const int fps = -static_cast<int8_t>(division >> 8);
        if ((fps != 24 && fps != 25 && fps != 29 && fps != 30) || (division & 0xFF) == 0) {
            error = "MIDI file with an invalid SMPTE time division";
            return false;
        }
    }

    SmfFile result;
    result.format = static_cast<int>(format);
    result.division = static_cast<uint16_t>(division);
    while (result.tracks.size() < ntracks) {
        uint32_t chunkMagic, chunkLength;
        if (!in.Be(4, chunkMagic) || !in.Be(4, chunkLength)) {
            error = "MIDI file ends after " + std::to_string(result.tracks.size()) + " of " +
                    std::to_string(ntracks) + " tracks";
            return false;
        }
        if (chunkLength > in.Left()) {
            error = "track " + std::to_string(result.tracks.size() + 1) + " is cut off";
            return false;
        }
        if (chunkMagic != kTrackMagic) {
            in.Skip(chunkLength);  // unknown chunks are allowed and ignored
            continue;
        }
        Reader track(in.Here(), chunkLength);
        in.Skip(chunkLength);
        result.tracks.emplace_back();
        if (!ReadTrack(track, result.tracks.size() - 1, result.tracks.back(), error))
            return false;
    }
    if (result.format == 0 && result.tracks.size() != 1) {
        error = "MIDI file of format 0 must have exactly one track";
        return false;
    }
    file = std::move(result);
    return true;
}

bool ReadSmfFile(const std::string& path, SmfFile& file, std::string& error)
{
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, "MIDI file", kLargestMidiFile, bytes, error))
        return false;
    if (!ReadSmf(bytes, file, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

SmfWriter::SmfWriter(int trackCount, uint16_t division)
{
    PutBe(out_, kHeaderMagic, 4);
    PutBe(out_, 6, 4);
    PutBe(out_, trackCount == 1 ? 0 : 1, 2);
    PutBe(out_, static_cast<uint32_t>(trackCount), 2);
    PutBe(out_, division, 2);
}

void SmfWriter::BeginTrack()
{
    PutBe(out_, kTrackMagic, 4);
    PutBe(out_, 0, 4);  // the length, filled in by EndTrack
    trackStart_ = out_.size();
    last_ = 0;
    running_ = 0;
    ended_ = false;
}

void SmfWriter::Add(uint32_t tick, SmfEvent::Kind kind, uint8_t status, const uint8_t* data, size_t size)
{
    if (ended_)
        return;
    tick = std::max(tick, last_);
    PutVlq(out_, tick - last_);
    last_ = tick;
    switch (kind) {
    case SmfEvent::Kind::Channel:
        if (status != running_)
            out_.push_back(status);
        running_ = status;
        for (int i = 0; i < ChannelDataLength(status); ++i)
            out_.push_back(i < static_cast<int>(size) ? (data[i] & 0x7F) : 0);
        break;
    case SmfEvent::Kind::Meta:
        out_.push_back(0xFF);
        out_.push_back(status);
        PutVlq(out_, static_cast<uint32_t>(size));
        out_.insert(out_.end(), data, data + size);
        running_ = 0;
        ended_ = status == kEndOfTrack;
        break;
    case SmfEvent::Kind::SysEx:
    case SmfEvent::Kind::Escape:
        out_.push_back(kind == SmfEvent::Kind::SysEx ? 0xF0 : 0xF7);
        PutVlq(out_, static_cast<uint32_t>(size));
        out_.insert(out_.end(), data, data + size);
        running_ = 0;
        break;
    }
}

void SmfWriter::EndTrack()
{
    if (!ended_) {
        out_.push_back(0);
        out_.push_back(0xFF);
        out_.push_back(kEndOfTrack);
        out_.push_back(0);
    }
    const uint32_t length = static_cast<uint32_t>(out_.size() - trackStart_);
    for (int i = 0; i < 4; ++i)
        out_[trackStart_ - 4 + size_t(i)] = static_cast<uint8_t>(length >> (8 * (3 - i)));
    ended_ = true;
}

std::vector<uint8_t> WriteSmf(const SmfFile& file)
{
    SmfWriter writer(static_cast<int>(file.tracks.size()), file.division);
    for (const SmfTrack& track : file.tracks) {
        writer.BeginTrack();
        for (const SmfEvent& e : track.events)
            writer.Add(e);
        writer.EndTrack();
    }
    return writer.Take();
}

bool WriteSmfFile(const std::string& path, const SmfFile& file, std::string& error)
{
    return WriteWholeFile(path, WriteSmf(file), error);
}

std::vector<SmfEvent> MergeTracks(const SmfFile& file)
{
    std::vector<SmfEvent> all;
    size_t total = 0;
    for (const SmfTrack& track : file.tracks)
        total += track.events.size();
    all.reserve(total);
    MergedEvents merged(file);
    while (const SmfEvent* e = merged.Next())
        all.push_back(*e);
    return all;
}

MergedEvents::MergedEvents(const SmfFile& file) : file_(file), position_(file.tracks.size(), 0)
{
    for (size_t t = 0; t < file.tracks.size(); ++t)
        if (!file.tracks[t].events.empty())
            heap_.push_back(uint64_t(file.tracks[t].events[0].tick) << 16 | t);
    std::make_heap(heap_.begin(), heap_.end(), std::greater<uint64_t>());
}

const SmfEvent* MergedEvents::Next()
{
    if (heap_.empty())
        return nullptr;
    // The earliest next event; at equal ticks the lower track comes first.
    std::pop_heap(heap_.begin(), heap_.end(), std::greater<uint64_t>());
    const size_t t = size_t(heap_.back() & 0xFFFF);
    const std::vector<SmfEvent>& events = file_.tracks[t].events;
    const SmfEvent* e = &events[position_[t]++];
    if (position_[t] < events.size()) {
        heap_.back() = uint64_t(events[position_[t]].tick) << 16 | t;
        std::push_heap(heap_.begin(), heap_.end(), std::greater<uint64_t>());
    } else {
        heap_.pop_back();
    }
    return e;
}

TempoMap::TempoMap(const SmfFile& file, uint32_t sampleRate) : rate_(sampleRate)
{
    if (file.division & 0x8000) {
        const int fps = -static_cast<int8_t>(file.division >> 8);
        const uint64_t fpsX100 = fps == 29 ? 2997 : static_cast<uint64_t>(fps) * 100;
        ticksPerSecondDen_ = fpsX100 * (file.division & 0xFF);
        return;
    }
    quarter_ = file.division;
    segments_.push_back({0, 0, 500000});  // 120 beats per minute until told otherwise
    MergedEvents merged(file);
    while (const SmfEvent* next = merged.Next()) {
        const SmfEvent& e = *next;
        if (e.kind != SmfEvent::Kind::Meta || e.status != kSetTempo || e.data.size() < 3)
            continue;
        const uint32_t tempo = (uint32_t(e.data[0]) << 16) | (uint32_t(e.data[1]) << 8) | e.data[2];
        if (tempo == 0)
            continue;  // a zero tempo would stop time; ignore it
        const Segment& last = segments_.back();
        const uint64_t micro = last.microTicks + uint64_t(e.tick - last.tick) * last.tempo;
        if (e.tick == last.tick)
            segments_.back().tempo = tempo;
        else
            segments_.push_back({e.tick, micro, tempo});
    }
}

int64_t TempoMap::SampleAt(uint32_t tick) const
{
    // Rounded to the nearest sample, split so that no product overflows.
    auto scaled = [this](uint64_t numerator, uint64_t denominator) {
        const uint64_t whole = numerator / denominator;
        const uint64_t rest = numerator % denominator;
        return static_cast<int64_t>(whole * rate_ + (rest * rate_ + denominator / 2) / denominator);
    };
    if (quarter_ == 0)
        return scaled(uint64_t(tick) * 100, ticksPerSecondDen_);
    auto it = std::upper_bound(segments_.begin(), segments_.end(), tick,
                               [](uint32_t t, const Segment& s) { return t < s.tick; });
    const Segment& s = *(it - 1);
    const uint64_t micro = s.microTicks + uint64_t(tick - s.tick) * s.tempo;
    return scaled(micro, uint64_t(quarter_) * 1000000);
}

uint32_t TempoMap::TickAt(int64_t sample) const
{
    if (sample <= 0)
        return 0;
    // SampleAt never decreases, so search for the first tick at or past the
    // sample, then take the nearer of it and its predecessor.
    uint64_t lo = 0, hi = 1;
    while (hi < UINT32_MAX && SampleAt(static_cast<uint32_t>(hi)) < sample)
        hi = std::min<uint64_t>(hi * 2, UINT32_MAX);
    while (lo < hi) {
        const uint64_t mid = (lo + hi) / 2;
        if (SampleAt(static_cast<uint32_t>(mid)) < sample)
            lo = mid + 1;
        else
            hi = mid;
    }
    const uint32_t t = static_cast<uint32_t>(lo);
    if (t > 0 && sample - SampleAt(t - 1) < SampleAt(t) - sample) {
        // the predecessor is nearer; take the earliest tick with its sample
        uint32_t p = t - 1;
        const int64_t s = SampleAt(p);
        while (p > 0 && SampleAt(p - 1) == s)
            --p;
        return p;
    }
    return t;
}

}  // namespace host
}  // namespace tessaro
