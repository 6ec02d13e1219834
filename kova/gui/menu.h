// The base of the toolkit's pop-up menus. A window shows at most one menu
// (SWindow::SetMenu); the menu knows the control it belongs to.
#pragma once

#include "kova/gui/control.h"

namespace kova::gui {

class SMenu : public SControl {
public:
    using SControl::SControl;

    void SetControl(SControl* c) { control = c; }
    SControl* GetControl() const { return control; }

private:
    SControl* control = nullptr;
};

}  // namespace kova::gui
