// Operating-system facts read from the kernel files under /proc/sys/kernel.
#pragma once

namespace kova::system {

class SOperatingSystemData {
public:
    // Reads ostype, osrelease and version into the description and checks
    // the kernel release. Returns the result flag (always true).
    bool QueryFeatures();

    // Appends one kernel file's text; for the release file also checks it.
    void AddText(const char* text, bool isRelease);

    // True when the release text reads as at least the minimum kernel: its
    // leading decimal number (2.6.18 reads 2.6) must not be below 2.4f.
    static bool ReleaseQualifies(const char* release);

    char description[256] = {};
    bool kernelRelease = false;
    bool result = false;
};

}  // namespace kova::system
