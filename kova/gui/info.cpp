#include "kova/gui/info.h"

#include <cstdio>

namespace kova::gui {

void SInfo(const char* text, const char* title)
{
    std::fprintf(stderr, "%s: %s\n", title ? title : "", text ? text : "");
}

}  // namespace kova::gui
