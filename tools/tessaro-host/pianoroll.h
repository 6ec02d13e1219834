// The before/after piano roll: the incoming notes above, the outgoing notes
// below, on one time axis, so a musician sees at a glance which notes the
// limiter dropped (red above) and which it ended early (grey tails below
// show the length the note would have had).
#pragma once

#include <cstdint>
#include <string>

#include "tools/tessaro-host/analysis.h"
#include "tools/tessaro-host/image.h"

namespace tessaro {
namespace host {

struct PianoRollColours {
    static constexpr Rgb kBackground{28, 28, 32};
    static constexpr Rgb kDropped{225, 45, 45};
    static constexpr Rgb kGhost{78, 78, 88};
    static constexpr Rgb kText{220, 220, 210};
    static Rgb Channel(int channel);
};

// caption: one line drawn at the top (the settings, for example).
RgbImage DrawPianoRoll(const LimiterAnalysis& analysis, int64_t endSample, uint32_t sampleRate,
                       const std::string& caption, int width = 1200);

}  // namespace host
}  // namespace tessaro
