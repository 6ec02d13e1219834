// Where the editor panel's controls lie, in panel pixels: the one table the
// panel builds its controls from and that `tessaro-host layout` prints, so
// that scripts driving the editor in a real host click where the controls
// are.
#pragma once

#include "plugin/identity.h"

struct SPanelPlace {
    const char* key;  // the name tools print
    int x, y, width, height;
};

namespace panel_layout {

constexpr int kTitleWidth = 234;
constexpr SPanelPlace kTitle{"title", (tessaro::kEditorWidth - kTitleWidth) / 2, 12, kTitleWidth, 30};
constexpr SPanelPlace kPolyphony{"polyphony", 60, 70, 50, 30};
constexpr SPanelPlace kKill{"kill", 120, 70, 50, 30};
constexpr SPanelPlace kPanic{"panic", 180, 70, 50, 30};
constexpr SPanelPlace kPresets{"presets_switching", 227, 47, 16, 16};
constexpr SPanelPlace kPedal{"sustain_pedal", 210, 130, 16, 16};
constexpr SPanelPlace kThrough{"midi_through", 230, 130, 16, 16};
constexpr SPanelPlace kPolyCC{"polyphony_cc", 65, 110, 22, 15};
constexpr SPanelPlace kKillCC{"kill_cc", 125, 110, 22, 15};
constexpr SPanelPlace kPanicCC{"panic_cc", 185, 110, 22, 15};
constexpr SPanelPlace kLearnPoly{"learn_polyphony", 95, 110, 15, 15};
constexpr SPanelPlace kLearnKill{"learn_kill", 155, 110, 15, 15};
constexpr SPanelPlace kLearnPanic{"learn_panic", 215, 110, 15, 15};
constexpr SPanelPlace kActiveNotes{"active_notes", 172, 132, 28, 12};
// The voice allocation options, bottom left: the steal policy and two toggles.
constexpr SPanelPlace kSteal{"steal_policy", 13, 130, 46, 16};
constexpr SPanelPlace kPerChannel{"per_channel", 63, 130, 16, 16};
constexpr SPanelPlace kNoteReturn{"note_return", 83, 130, 16, 16};

constexpr SPanelPlace kAll[] = {kTitle,      kPolyphony,   kKill,   kPanic,      kPresets,   kPedal,
                                kThrough,    kPolyCC,      kKillCC, kPanicCC,    kLearnPoly, kLearnKill,
                                kLearnPanic, kActiveNotes, kSteal,  kPerChannel, kNoteReturn};

}  // namespace panel_layout
