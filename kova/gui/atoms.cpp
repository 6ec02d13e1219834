#include "kova/gui/atoms.h"

#include "kova/gui/connection.h"
#include "kova/gui/geomconv.h"

namespace kova::gui {

namespace atoms {

Atom Intern(const char* name, bool onlyIfExists)
{
    Display* display = GetDisplay();
    if (!display)
        return None;
    return XInternAtom(display, name, onlyIfExists ? True : False);
}

}  // namespace atoms

const char* SWindowEventType(int type)
{
    return type == CreateNotify ? "Eventtype: CreateNotify" : "Eventtype: (unknown)";
}

}  // namespace kova::gui
