// The shared resource lists: growable arrays of pens, brushes and fonts.
// The plain lists only hold pointers; the owned variants delete their
// entries when they are destroyed.
#pragma once

#include <vector>

#include "kova/gui/context/brush.h"
#include "kova/gui/context/font.h"
#include "kova/gui/context/pen.h"

namespace kova::gui::context {

template <typename T>
class SResourceList {
public:
    SResourceList() = default;
    virtual ~SResourceList() = default;
    SResourceList(const SResourceList&) = delete;
    SResourceList& operator=(const SResourceList&) = delete;

    void Add(T* item) { items.push_back(item); }
    int Count() const { return (int)items.size(); }
    T* Get(int i) const { return items[(size_t)i]; }

protected:
    // Deletes every entry (leaving null in its slot), then empties the list.
    void DeleteAll()
    {
        for (T*& item : items) {
            delete item;
            item = nullptr;
        }
        items.clear();
    }

    std::vector<T*> items;
};

class SPenList : public SResourceList<SDrawPen> {};
class SPenListOwned : public SPenList {
public:
    ~SPenListOwned() override { DeleteAll(); }
};

class SBrushList : public SResourceList<SDrawBrush> {};
class SBrushListOwned : public SBrushList {
public:
    ~SBrushListOwned() override { DeleteAll(); }
};

class SFontList : public SResourceList<SDrawFont> {};
class SFontListOwned : public SFontList {
public:
    ~SFontListOwned() override { DeleteAll(); }
};

}  // namespace kova::gui::context
