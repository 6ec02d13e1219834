#include "plugin/hostidentity.h"

#include <cstring>

#include "plugin/startupstatus.h"

namespace {

struct HostPattern {
    const char* product;
    int code;
};

// Tested in this order; the first match decides. "Cubase" comes first and
// is refined by the vendor version.
const HostPattern kHostPatterns[] = {
    {"Cubase", kHostCubase},       {"Samplitude", kHostSamplitude}, {"SAVIHost", kHostSaviHost},
    {"Melodyne", kHostMelodyne},   {"Tracktion", kHostTracktion},   {"Cantabile", kHostCantabile},
    {"Phrazor", kHostPhrazor},     {"Usine", kHostUsine},           {"energyXT", kHostEnergyXT},
};

// Cubase from this vendor version on is the fourth generation.
constexpr int kCubase4VendorVersion = 8200;

// Hosts that crash on audioMasterBeginEdit. Ardour (7.3 seen, later
// releases too) dies in its begin-edit handling for a parameter under Touch
// or Latch automation: it starts the touch on its VST event thread, which
// has no tempo map.
const char* const kHostsWithoutGestures[] = {"Ardour"};

// Display names by host code.
const char* const kHostNames[] = {
    "(unknown)", "Sonar",     "Energy XT",  "Project 5", "FL Studio", "Cantabile", "SaviHost",
    "Melodyne",  "Cubase/Nuendo", "Cubase4/Nuendo4", "Samplitude", "Tracktion", "Phrazor", "Usine",
};

}  // namespace

int IdentifyHost(const char* product, int vendorVersion, int& status)
{
    if (!product || !*product)
        return kHostUnknown;
    for (const HostPattern& pattern : kHostPatterns) {
        if (!std::strstr(product, pattern.product))
            continue;
        if (pattern.code == kHostCubase)
            return vendorVersion >= kCubase4VendorVersion ? kHostCubase4 : kHostCubase;
        if (pattern.code == kHostUsine)
            status = kStartupHostNotSupported;
        return pattern.code;
    }
    return kHostUnknown;
}

bool HostNeedsVendorVersion(const char* product)
{
    return product && std::strstr(product, "Cubase");
}

const char* HostName(int code)
{
    if (code < 0 || code >= (int)(sizeof kHostNames / sizeof kHostNames[0]))
        return kHostNames[0];
    return kHostNames[code];
}

bool HostTakesGestures(const char* product)
{
    for (const char* host : kHostsWithoutGestures)
        if (product && std::strstr(product, host))
            return false;
    return true;
}
