// Which host runs the plug-in, from the product string the host reports:
// its code, its display name, whether it is refused, and whether it takes
// edit gestures.
#pragma once

enum HostCode {
    kHostUnknown = 0,
    kHostEnergyXT = 2,
    kHostCantabile = 5,
    kHostSaviHost = 6,
    kHostMelodyne = 7,
    kHostCubase = 8,
    kHostCubase4 = 9,
    kHostSamplitude = 10,
    kHostTracktion = 11,
    kHostPhrazor = 12,
    kHostUsine = 13,
};

// The host code a product string yields (vendorVersion refines "Cubase");
// status becomes kStartupHostNotSupported for a refused host.
int IdentifyHost(const char* product, int vendorVersion, int& status);
// Whether the product's host needs its vendor version to be identified.
bool HostNeedsVendorVersion(const char* product);
// The display name of a host code; "(unknown)" for codes it does not know.
const char* HostName(int code);
// False for a host known to crash on edit gestures: it is told only of the
// changes.
bool HostTakesGestures(const char* product);
