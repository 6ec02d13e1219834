#include "tools/tessaro-host/example.h"

#include <algorithm>
#include <string>

namespace tessaro {
namespace host {

namespace {

constexpr uint16_t kTicksPerQuarter = 480;
constexpr uint32_t kBar = 4 * kTicksPerQuarter;

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> Tempo(uint32_t microsPerQuarter)
{
    return {uint8_t(microsPerQuarter >> 16), uint8_t(microsPerQuarter >> 8), uint8_t(microsPerQuarter)};
}

void Note(SmfTrack& track, uint32_t start, uint32_t length, int channel, int note, int velocity)
{
    track.events.push_back(SmfEvent::Channel(start, uint8_t(0x90 | channel), uint8_t(note), uint8_t(velocity)));
    track.events.push_back(SmfEvent::Channel(start + length, uint8_t(0x80 | channel), uint8_t(note), 64));
}

void SortByTick(SmfTrack& track)
{
    std::stable_sort(track.events.begin(), track.events.end(),
                     [](const SmfEvent& a, const SmfEvent& b) { return a.tick < b.tick; });
}

}  // namespace

SmfFile MakeExamplePiece()
{
    // Chords as root plus intervals: Cmaj9, Am9, Fmaj9, G13, Em7, Am9, Dm9, G7(13)
    struct Chord {
        int root;
        int pad[5];
        int stab[4];
    };
    static const Chord kChords[8] = {
        {48, {0, 7, 11, 14, 16}, {16, 19, 23, 26}}, {45, {0, 7, 10, 14, 15}, {15, 19, 22, 26}},
        {41, {0, 7, 11, 14, 16}, {16, 19, 23, 26}}, {43, {0, 10, 14, 16, 21}, {16, 21, 22, 26}},
        {40, {0, 7, 10, 14, 15}, {15, 19, 22, 24}}, {45, {0, 7, 10, 14, 15}, {15, 19, 22, 26}},
        {38, {0, 7, 10, 14, 15}, {15, 19, 22, 26}}, {43, {0, 7, 10, 16, 21}, {16, 21, 22, 26}},
    };

    SmfFile file;
    file.format = 1;
    file.division = kTicksPerQuarter;
    file.tracks.resize(3);

    SmfTrack& conductor = file.tracks[0];
    conductor.events.push_back(SmfEvent::Meta(0, 0x03, Bytes("Tessaro example")));
    conductor.events.push_back(SmfEvent::Meta(0, 0x58, {4, 2, 24, 8}));
    conductor.events.push_back(SmfEvent::Meta(0, 0x51, Tempo(500000)));         // 120 per minute
    conductor.events.push_back(SmfEvent::Meta(4 * kBar, 0x51, Tempo(454545)));  // 132 per minute

    SmfTrack& pads = file.tracks[1];
    SmfTrack& stabs = file.tracks[2];
    pads.events.push_back(SmfEvent::Meta(0, 0x03, Bytes("Pads")));
    stabs.events.push_back(SmfEvent::Meta(0, 0x03, Bytes("Stabs and bass")));
    stabs.events.push_back(SmfEvent::Channel(0, 0xC1, 5));
    stabs.events.push_back(SmfEvent::Channel(0, 0xB1, 7, 100));

    for (int bar = 0; bar < 8; ++bar) {
        const Chord& c = kChords[bar];
        const uint32_t start = uint32_t(bar) * kBar;
        // Pads strummed from the bottom, released just before the next chord.
        for (int i = 0; i < 5; ++i)
            Note(pads, start + uint32_t(i) * 10, kBar - 60, 0, c.root + 12 + c.pad[i], 70 + 5 * i);
        // Bass on beats 1 and 3, stabs on every off-beat.
        Note(stabs, start, kTicksPerQuarter * 3 / 2, 1, c.root - 12, 100);
        Note(stabs, start + 2 * kTicksPerQuarter, kTicksPerQuarter * 3 / 2, 1, c.root - 12 + 7, 90);
        for (int beat = 0; beat < 4; ++beat) {
            const uint32_t at = start + uint32_t(beat) * kTicksPerQuarter + kTicksPerQuarter / 2;
            for (int i = 0; i < 4; ++i)
                Note(stabs, at, kTicksPerQuarter / 3, 1, c.root + 24 + c.stab[i] - 12, 96 - 4 * i);
        }
    }
    stabs.events.push_back(SmfEvent::Channel(6 * kBar, 0xB1, 7, 80));
    SortByTick(pads);
    SortByTick(stabs);
    return file;
}

}  // namespace host
}  // namespace tessaro
