#include "tools/tessaro-host/analysis.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <tuple>

namespace tessaro {
namespace host {

namespace {

// What identifies a message when it goes in and comes out unchanged: notes
// by their channel and number (the limiter rewrites velocities of
// note-offs), everything else by all its bytes.
using Key = std::tuple<int64_t, int, int, int, int>;

Key KeyOf(const TimedMessage& m)
{
    if (m.IsNoteOn())
        return Key(m.sample, 0x90, m.Channel(), m.data1, 0);
    if (m.IsNoteOff())
        return Key(m.sample, 0x80, m.Channel(), m.data1, 0);
    return Key(m.sample, m.status, 0, m.data1, m.data2);
}

// Pairs every outgoing message with an identical incoming one where there
// is one; returns per message whether it found a partner. Both lists are in
// time order and messages only match on the same sample, so each sample's
// messages are paired on their own: sorted by key, the n-th outgoing
// message of a key takes the n-th incoming one. This keeps the memory to
// a bit per message beyond the busiest sample.
void Match(const std::vector<TimedMessage>& in, const std::vector<TimedMessage>& out,
           std::vector<bool>& inMatched, std::vector<bool>& outMatched)
{
    inMatched.assign(in.size(), false);
    outMatched.assign(out.size(), false);
    std::vector<std::pair<Key, size_t>> ins, outs;
    size_t i = 0, o = 0;
    while (i < in.size() && o < out.size()) {
        const int64_t sample = std::min(in[i].sample, out[o].sample);
        ins.clear();
        outs.clear();
        for (; i < in.size() && in[i].sample == sample; ++i)
            ins.emplace_back(KeyOf(in[i]), i);
        for (; o < out.size() && out[o].sample == sample; ++o)
            outs.emplace_back(KeyOf(out[o]), o);
        std::sort(ins.begin(), ins.end());
        std::sort(outs.begin(), outs.end());
        for (size_t a = 0, b = 0; a < ins.size() && b < outs.size();) {
            if (ins[a].first < outs[b].first) {
                ++a;
            } else if (outs[b].first < ins[a].first) {
                ++b;
            } else {
                inMatched[ins[a++].second] = true;
                outMatched[outs[b++].second] = true;
            }
        }
    }
}

// Note spans; `marks` tells per message whether it changed, and a span takes
// the mark of its note-on (fromStart) or of the note-off that ended it.
std::vector<NoteSpan> Spans(const std::vector<TimedMessage>& messages, const std::vector<bool>& marks,
                            bool fromStart, int64_t endSample)
{
    std::vector<NoteSpan> spans;
    spans.reserve(size_t(std::count_if(messages.begin(), messages.end(),
                                       [](const TimedMessage& m) { return m.IsNoteOn(); })));
    std::map<std::pair<int, int>, size_t> open;  // (channel, note) -> index in spans
    for (size_t i = 0; i < messages.size(); ++i) {
        const TimedMessage& m = messages[i];
        if (!m.IsNote())
            continue;
        const auto key = std::make_pair(m.Channel(), int(m.data1));
        auto it = open.find(key);
        if (it != open.end()) {
            // a note-off ends the note; a repeated note-on restarts it
            spans[it->second].end = m.sample;
            if (!fromStart && m.IsNoteOff())
                spans[it->second].changed = marks[i];
            open.erase(it);
        }
        if (m.IsNoteOn()) {
            NoteSpan s;
            s.start = m.sample;
            s.end = endSample;
            s.channel = uint8_t(m.Channel());
            s.note = m.data1;
            s.velocity = m.data2;
            s.changed = fromStart && marks[i];
            open[key] = spans.size();
            spans.push_back(s);
        }
    }
    return spans;
}

}  // namespace

int MostSoundingAtOnce(const std::vector<TimedMessage>& messages)
{
    std::set<std::pair<int, int>> sounding;
    size_t most = 0;
    for (const TimedMessage& m : messages) {
        if (m.IsNoteOn())
            sounding.insert({m.Channel(), m.data1});
        else if (m.IsNoteOff())
            sounding.erase({m.Channel(), m.data1});
        most = std::max(most, sounding.size());
    }
    return static_cast<int>(most);
}

LimiterAnalysis Analyse(const std::vector<TimedMessage>& in, const std::vector<TimedMessage>& out,
                        int64_t endSample)
{
    LimiterAnalysis a;
    std::vector<bool> inMatched, outMatched;
    Match(in, out, inMatched, outMatched);

    LimiterSummary& s = a.summary;
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i].IsNoteOn()) {
            ++s.noteOnsIn;
            s.notesDropped += inMatched[i] ? 0 : 1;
        } else if (!in[i].IsNote()) {
            ++s.otherIn;
            s.otherPassed += inMatched[i] ? 1 : 0;
        }
    }
    for (size_t o = 0; o < out.size(); ++o) {
        if (out[o].IsNoteOn()) {
            ++s.noteOnsOut;
            s.notesReturned += outMatched[o] ? 0 : 1;
        }
        else if (out[o].IsNoteOff())
            s.notesEndedEarly += outMatched[o] ? 0 : 1;
        else if (!outMatched[o])
            ++s.otherAdded;
    }
    s.mostSoundingIn = MostSoundingAtOnce(in);
    s.mostSoundingOut = MostSoundingAtOnce(out);

    inMatched.flip();  // now: dropped
    outMatched.flip();  // now: ended early
    a.before = Spans(in, inMatched, true, endSample);
    a.after = Spans(out, outMatched, false, endSample);
    return a;
}

std::string FormatSummary(const LimiterSummary& s)
{
    char text[1024];
    int n = std::snprintf(text, sizeof text,
                          "note-ons:                     %d in, %d out\n"
                          "most notes sounding at once:  %d before, %d after\n"
                          "notes dropped:                %d\n"
                          "notes ended early:            %d\n"
                          "notes returned:               %d\n"
                          "other messages:               %d in, %d passed, %d dropped",
                          s.noteOnsIn, s.noteOnsOut, s.mostSoundingIn, s.mostSoundingOut, s.notesDropped,
                          s.notesEndedEarly, s.notesReturned, s.otherIn, s.otherPassed, s.otherIn - s.otherPassed);
    std::string result(text, size_t(n));
    if (s.otherAdded > 0)
        result += ", " + std::to_string(s.otherAdded) + " added by the plug-in";
    result += "\n";
    if (s.sysexIn > 0)
        result += "system exclusive:             " + std::to_string(s.sysexIn) +
                  " in the file, not sent (the host passes channel messages only)\n";
    return result;
}

}  // namespace host
}  // namespace tessaro
