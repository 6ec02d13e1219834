#include "kova/system/processordata.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace kova::system {

namespace {

constexpr size_t kCpuInfoBytes = 2048;

// Copies the value of a "key : value" line: the characters from two places
// after the ':' to the end of the line.
void LineValue(const char* from, char* out, size_t outSize)
{
    out[0] = 0;
    const char* colon = std::strchr(from, ':');
    if (!colon || colon[1] == 0 || colon[1] == '\n')
        return;
    const char* start = colon + 2;
    size_t len = std::strcspn(start, "\n");
    if (len >= outSize)
        len = outSize - 1;
    std::memcpy(out, start, len);
    out[len] = 0;
}

int LogicalProcessorsFromCpuid()
{
#if defined(__i386__) || defined(__x86_64__)
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) && edx != 0 && ((eax >> 8) & 0xF) == 15 &&
        (edx & (1u << 28)))
        return (int)((ebx >> 16) & 0xFF);
#endif
    return 0;
}

}  // namespace

bool SProcessorData::QueryRegistry()
{
    count = 0;
    clockMHz = 0;
    features = 0;
    FILE* file = std::fopen("/proc/cpuinfo", "r");
    if (!file) {
        std::fputs("Error: Reading /proc/cpuinfo failed (not found).", stderr);
        return false;
    }
    char text[kCpuInfoBytes + 1];
    size_t got = std::fread(text, 1, kCpuInfoBytes, file);
    std::fclose(file);
    if (got == 0) {
        std::fputs("Error: Reading /proc/cpuinfo failed (no data).", stderr);
        return false;
    }
    text[got] = 0;
    return ParseCpuInfo(text);
}

bool SProcessorData::QueryFeatures()
{
    QueryRegistry();
    return true;
}

bool SProcessorData::ParseCpuInfo(const char* source)
{
    char text[kCpuInfoBytes + 1];
    std::strncpy(text, source, kCpuInfoBytes);
    text[kCpuInfoBytes] = 0;

    if (const char* p = std::strstr(text, "vendor_id"))
        std::sscanf(p, "vendor_id : %255s", vendor);
    if (const char* p = std::strstr(text, "model name"))
        LineValue(p, model, sizeof model);
    if (const char* p = std::strstr(text, "cpu MHz")) {
        char value[64];
        LineValue(p, value, sizeof value);
        // Single precision, then nearest integer with halves to even.
        clockMHz = (int32_t)std::nearbyint((float)std::strtod(value, nullptr));
    }
    if (std::strstr(text, "mmx"))
        features |= kFeatureMMX;
    if (std::strstr(text, "3dnow"))
        features |= kFeature3DNow;
    if (std::strstr(text, "sse"))
        features |= kFeatureSSE;
    if (std::strstr(text, "sse2"))
        features |= kFeatureSSE2;

    const char* p = std::strstr(text, "processor");
    if (!p)
        return true;
    std::sscanf(p, "processor : %i", &count);
    if (count > 0)
        return true;
    if (const char* cores = std::strstr(text, "cpu cores")) {
        std::sscanf(cores, "cpu cores : %i", &count);
        return true;
    }
    count = (int32_t)sysconf(_SC_NPROCESSORS_ONLN);
    int logical = LogicalProcessorsFromCpuid();
    if (logical > 1)
        count = logical;
    return true;
}

}  // namespace kova::system
