// SIHoverable: the hover look of a control. A control that mixes it in keeps
// whether the pointer is over it and the outline colours to use then, one
// for the off state and one for the on state of its value.
#pragma once

namespace kova::gui {

class SIHoverable {
public:
    virtual ~SIHoverable() = default;

    // Value controls read the first argument as the normal outline colour
    // and the second as the colour while hovered.
    virtual void SetHoverColours(int off, int on)
    {
        hoverColourOff = off;
        hoverColourOn = on;
    }

    int HoverColourOn() const { return hoverColourOn; }
    int HoverColourOff() const { return hoverColourOff; }
    bool Hovered() const { return hovered; }

protected:
    int hoverColourOn = 0;
    int hoverColourOff = 0;
    bool hovered = false;
};

}  // namespace kova::gui
