#include "kova/system/operatingsystemdata.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kova::system {

bool SOperatingSystemData::ReleaseQualifies(const char* release)
{
    // Compared in double against the single-precision 2.4, so a release that
    // reads exactly 2.4 is below it and fails.
    return !(std::strtod(release, nullptr) < (double)2.4f);
}

void SOperatingSystemData::AddText(const char* text, bool isRelease)
{
    // The description holds at most 255 characters; longer text is cut.
    const size_t used = std::strlen(description);
    const size_t room = sizeof description - 1 - used;
    const size_t length = std::min(std::strlen(text), room);
    std::memcpy(description + used, text, length);
    description[used + length] = 0;
    if (isRelease && !ReleaseQualifies(text))
        kernelRelease = false;
}

bool SOperatingSystemData::QueryFeatures()
{
    static const char* const files[] = {"/proc/sys/kernel/ostype", "/proc/sys/kernel/osrelease",
                                        "/proc/sys/kernel/version"};
    kernelRelease = true;
    result = true;
    for (const char* name : files) {
        FILE* file = std::fopen(name, "r");
        if (!file)
            continue;
        char text[4097];
        size_t got = std::fread(text, 1, 4096, file);
        std::fclose(file);
        if (got == 0 || got == 4096)
            continue;
        text[got] = 0;
        AddText(text, name == files[1]);
    }
    return result;
}

}  // namespace kova::system
