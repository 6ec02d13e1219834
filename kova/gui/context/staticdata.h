// Process-wide drawing resources shared by every window: the table of 29
// standard colours and the pen, brush and font lists. The one instance,
// `statdata`, is created when the plug-in's shared object is loaded (after
// the plug-in's own display is open) and destroyed at unload: first the
// font, brush and pen lists (DestroyLists), then the object, before the
// display is closed. Pens, brushes and fonts live until then; widgets never
// delete them.
//
// Nothing here takes a lock: lookups and appends happen while drawing,
// which the callers serialise (the dispatcher holds the display lock).
#pragma once

#include "kova/gui/context/resourcelists.h"

// Standard colour indices, in the order AddColours allocates them.
namespace kova::gui::colours {
enum StandardColour {
    White = 0, Yellow = 1, Orange = 2, Brown = 3, Red = 4, DarkRed = 5, DeepRed = 6, Magenta = 7,
    Violet = 8, Lilac = 9, Blue = 10, SkyBlue = 11, Cyan = 12, Green = 13, DarkGreen = 14, DeepGreen = 15,
    Lime = 16, YellowGreen = 17, Cream = 18, Grey = 19, Black = 20, PaleGold = 21, Gold = 22,
    FrameGrey = 23, DarkFrameGrey = 24, Grey22 = 25, Grey44 = 26, Grey66 = 27, Grey90 = 28,
    Count = 29
};
}  // namespace kova::gui::colours

// A fixed table of pixel values: appends go to the next slot until the table
// is full; further appends are refused.
class SColourTable {
public:
    static constexpr int Capacity = 29;

    // False when the table is full.
    bool Add(int pixel);
    int Count() const { return count; }
    // Slot i; 0 for an index outside the filled slots.
    int Get(int i) const { return (i >= 0 && i < count && i < Capacity) ? slots[i] : 0; }

private:
    int count = 0;
    int slots[Capacity] = {};
};

class SStaticData {
public:
    SStaticData();
    ~SStaticData();
    SStaticData(const SStaticData&) = delete;
    SStaticData& operator=(const SStaticData&) = delete;

    // Allocates the 29 standard colours on the display in use and marks the
    // colours ready.
    void AddColours();
    bool ColoursReady() const { return coloursReady != 0; }
    // Standard colour i (kova::gui::colours); 0 before AddColours.
    int Colour(int i) const { return colours.Get(i); }

    // The first pen of the colour, whatever its width and dash style; a new
    // solid pen of width 1 when there is none.
    kova::gui::context::SDrawPen* FindPen(int colour);
    // The first brush whose effective colour is the colour; a new solid
    // brush when there is none.
    kova::gui::context::SDrawBrush* FindBrush(int colour);
    // The first font of that size and style loaded on the display in use; a
    // new font when there is none.
    kova::gui::context::SDrawFont* FindFont(int size, bool bold, bool italic);

    // Deletes the font, brush and pen lists with their entries, in that
    // order. Safe to call more than once; the destructor calls it.
    void DestroyLists();

    kova::gui::context::SPenListOwned* Pens() const { return pens; }
    kova::gui::context::SBrushListOwned* Brushes() const { return brushes; }
    kova::gui::context::SFontListOwned* Fonts() const { return fonts; }

private:
    int coloursReady = 0;
    kova::gui::context::SPenListOwned* pens;
    kova::gui::context::SBrushListOwned* brushes;
    kova::gui::context::SFontListOwned* fonts;
    SColourTable colours;
};

extern SStaticData* statdata;
