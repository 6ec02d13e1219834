// SCycleButton: a button that steps through a fixed list of choices and
// shows the current one's caption. A left press selects the next choice,
// the wheel the next (up) or the previous (down); both wrap around. Every
// change the user makes is reported on event channel 3 (kind 1, the new
// choice's index), as a button's click is. SetValue from code reports only
// with notify.
//
// The first choice draws in the button's off look, every other in its on
// look, so a choice away from the first stands out.
#pragma once

#include "kova/gui/button.h"

namespace kova::gui {

class SCycleButton : public SButton<false> {
public:
    // captions: count texts that outlive the button.
    SCycleButton(SGlobals* globals, SControl* owner, unsigned int id, const char* name, int flags, int x, int y,
                 int width, int height, int parentWindow, const char* const* captions, int count);

    void MouseStateChanged(bool* state, int code) override;
    // Values outside the list are refused (false).
    bool SetValue(int v, bool notify) override;
    int GetLabelColour() override;
    void DrawLabel() override;

    // The caption of the current choice.
    const char* Caption() const;
    int Count() const { return count; }

private:
    const char* const* captions;
    const int count;
};

}  // namespace kova::gui
