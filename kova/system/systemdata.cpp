#include "kova/system/systemdata.h"

#include <cstring>

kova::system::SSystemData* sd = nullptr;

namespace kova::system {

namespace {
const char kRule[] = "========================================";   // 40
const char kDashes[] = "---------------------------------------";  // 39
}  // namespace

bool SSystemData::getOSInfos()
{
    bool ok = osData.QueryFeatures();
    if (ok) {
        osDescription.Clear(false);
        osDescription.Append(osData.description);
        osSupported = osData.kernelRelease;
    }
    return ok;
}

void SSystemData::getCPUInfos()
{
    processorData.QueryFeatures();
    clockMHz = processorData.clockMHz;
    processorCount = processorData.count;
    processorDescription.Clear(false);
    processorDescription.Append("CPU Type: ");
    processorDescription.Append(processorData.vendor);
    processorDescription.Append("\nCPU Model: ");
    processorDescription.Append(processorData.model);
    processorDescription.Append("\nCPU Count: ");
    processorDescription.Append(32, "%i", processorData.count);
    sse = processorData.features & kFeatureSSE;
    sse2 = processorData.features & kFeatureSSE2;
    mmx = processorData.features & kFeatureMMX;
    now3d = processorData.features & kFeature3DNow;
}

void SSystemData::SetDisplayInfos(const char* description)
{
    displayDescription.Clear(false);
    if (description)
        displayDescription.Append(description);
}

bool SSystemData::Qualifies(bool needSSE, bool needSSE2) const
{
    if (needSSE2)
        return osSupported && mmx && sse && sse2;
    if (needSSE)
        return osSupported && mmx && sse;
    return osSupported && mmx;
}

kova::data::datastring<32, char> SSystemData::ErrorMessage(bool needSSE, bool needSSE2) const
{
    kova::data::datastring<32, char> text;
    text.Append(kRule);
    text.Append("\nE R R O R\n\n");
    text.Append("This Computer doesn't meet\n");
    text.Append("the following necessary reqs\n");
    text.Append("to operate this software:\n");
    if (!osSupported)
        text.Append(osDescription.c_str());
    text.Append("\n");
    if (!mmx)
        text.Append("\nMMX: not available.");
    if (needSSE && !sse)
        text.Append("\nSSE: not available.");
    if (needSSE2 && !sse2)
        text.Append("\nSSE2: not available.");
    text.Append("\n");
    text.Append(kRule);
    text.Append("\n");
    return text;
}

kova::data::datastring<32, char> SSystemData::FeatureMessage() const
{
    kova::data::datastring<32, char> text;
    auto flag = [&](const char* name, bool present) {
        text.Append(96, "\n[ %s: %s ]", name, present ? "available" : "not available");
    };
    text.Append(kRule);
    text.Append("\nS Y S T E M\n\n");
    text.Append(kRule);
    text.Append(osDescription.c_str());
    text.Append("\n");
    text.Append(kDashes);
    text.Append("\n");
    text.Append(processorDescription.c_str());
    flag("MMX", mmx);
    flag("SSE", sse);
    flag("SSE2", sse2);
    text.Append("\n");
    text.Append(kDashes);
    text.Append("\n");
    text.Append(displayDescription.c_str());
    text.Append("\n");
    text.Append(kRule);
    text.Append("\n");
    return text;
}

}  // namespace kova::system
