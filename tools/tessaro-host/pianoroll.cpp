#include "tools/tessaro-host/pianoroll.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tessaro {
namespace host {

constexpr Rgb PianoRollColours::kBackground;
constexpr Rgb PianoRollColours::kDropped;
constexpr Rgb PianoRollColours::kGhost;
constexpr Rgb PianoRollColours::kText;

Rgb PianoRollColours::Channel(int channel)
{
    static const Rgb kChannels[8] = {
        {240, 165, 40}, {80, 175, 240}, {120, 210, 90}, {210, 120, 220},
        {240, 220, 80}, {90, 220, 200}, {240, 130, 110}, {170, 170, 250},
    };
    return kChannels[channel & 7];
}

namespace {

constexpr Rgb kGrid{44, 44, 52};
constexpr Rgb kOctave{62, 62, 72};
constexpr Rgb kFrame{110, 110, 120};
constexpr int kLeft = 40;   // room for the octave labels
constexpr int kRight = 12;
constexpr int kLine = 14;   // height of a line of text

std::string NoteName(int note)
{
    return "C" + std::to_string(note / 12 - 1);
}

struct Panel {
    int top, bottom;  // pixel rows of the plot area
    int lowNote, highNote, rowHeight;
    int64_t endSample;
    int plotLeft, plotRight;

    int X(int64_t sample) const
    {
        if (endSample <= 0)
            return plotLeft;
        return plotLeft + int((plotRight - plotLeft) * std::min<int64_t>(sample, endSample) / endSample);
    }
    int Y(int note) const { return bottom - (note - lowNote + 1) * rowHeight; }
};

void DrawGrid(RgbImage& img, const Panel& p, uint32_t sampleRate)
{
    img.FillRect(p.plotLeft, p.top, p.plotRight, p.bottom, PianoRollColours::kBackground);
    for (int n = p.lowNote; n <= p.highNote; ++n) {
        if (n % 12 == 0) {
            img.FillRect(p.plotLeft, p.Y(n) + p.rowHeight - 1, p.plotRight, p.Y(n) + p.rowHeight, kOctave);
            img.Text(4, p.Y(n) + p.rowHeight - 7, NoteName(n), PianoRollColours::kText);
        }
    }
    for (int64_t s = 0; sampleRate > 0 && s <= p.endSample; s += sampleRate)
        img.FillRect(p.X(s), p.top, p.X(s) + 1, p.bottom, kGrid);
    img.FrameRect(p.plotLeft - 1, p.top - 1, p.plotRight + 1, p.bottom + 1, kFrame);
}

void DrawSpan(RgbImage& img, const Panel& p, const NoteSpan& s, Rgb colour)
{
    const int y = p.Y(s.note);
    const int x0 = p.X(s.start);
    const int x1 = std::max(p.X(s.end), x0 + 2);
    img.FillRect(x0, y, x1, y + std::max(p.rowHeight - 1, 1), colour);
}

// The caption broken after commas into lines no wider than `width`.
std::vector<std::string> CaptionLines(const std::string& caption, int width)
{
    std::vector<std::string> lines(1);
    size_t at = 0;
    while (at < caption.size()) {
        size_t end = caption.find(", ", at);
        end = end == std::string::npos ? caption.size() : end + 2;
        const std::string piece = caption.substr(at, end - at);
        if (!lines.back().empty() && RgbImage::TextWidth(lines.back() + piece) > width)
            lines.emplace_back();
        lines.back() += piece;
        at = end;
    }
    return lines;
}

}  // namespace

RgbImage DrawPianoRoll(const LimiterAnalysis& a, int64_t endSample, uint32_t sampleRate,
                       const std::string& caption, int width)
{
    int low = 127, high = 0;
    for (const auto* spans : {&a.before, &a.after})
        for (const NoteSpan& s : *spans) {
            low = std::min<int>(low, s.note);
            high = std::max<int>(high, s.note);
        }
    if (low > high)
        low = high = 60;
    low = std::max(0, low - 2);
    high = std::min(127, high + 2);
    const int rows = high - low + 1;
    const int rowHeight = std::max(2, std::min(8, 260 / rows));
    const int plotHeight = rows * rowHeight;

    const std::vector<std::string> lines = CaptionLines(caption, width - kLeft - kRight);
    const int header = kLine * int(lines.size() + 1);
    const int height = header + (kLine + plotHeight + 8) * 2 + kLine + 4;
    RgbImage img(width, height, {18, 18, 20});
    for (size_t i = 0; i < lines.size(); ++i)
        img.Text(kLeft, 4 + kLine * int(i), lines[i], PianoRollColours::kText);

    Panel p{0, 0, low, high, rowHeight, endSample, kLeft, width - kRight};
    const LimiterSummary& s = a.summary;

    int y = header;
    img.Text(kLeft, y, "Before: " + std::to_string(s.noteOnsIn) + " notes, at most " +
                           std::to_string(s.mostSoundingIn) + " at once; " + std::to_string(s.notesDropped) +
                           " dropped (red)",
             PianoRollColours::kText);
    p.top = y + kLine;
    p.bottom = p.top + plotHeight;
    DrawGrid(img, p, sampleRate);
    for (const NoteSpan& n : a.before)
        DrawSpan(img, p, n, n.changed ? PianoRollColours::kDropped : PianoRollColours::Channel(n.channel));

    y = p.bottom + 8;
    img.Text(kLeft, y, "After: " + std::to_string(s.noteOnsOut) + " notes, at most " +
                           std::to_string(s.mostSoundingOut) + " at once; " + std::to_string(s.notesEndedEarly) +
                           " ended early (grey: the length they had)" +
                           (s.notesReturned > 0 ? "; " + std::to_string(s.notesReturned) + " returned" : ""),
             PianoRollColours::kText);
    p.top = y + kLine;
    p.bottom = p.top + plotHeight;
    DrawGrid(img, p, sampleRate);
    for (const NoteSpan& n : a.before)
        if (!n.changed)
            DrawSpan(img, p, n, PianoRollColours::kGhost);
    for (const NoteSpan& n : a.after)
        DrawSpan(img, p, n, PianoRollColours::Channel(n.channel));

    img.Text(kLeft, p.bottom + 6, "Time grid: 1 second; colours: MIDI channels", PianoRollColours::kText);
    return img;
}

}  // namespace host
}  // namespace tessaro
