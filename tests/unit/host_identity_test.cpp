// Host identification from the product string: the host code, the refusal.
#include "plugin/hostidentity.h"
#include "plugin/startupstatus.h"

#include <gtest/gtest.h>

TEST(HostIdentification, ProductStringsMapToHostCodes)
{
    struct Case {
        const char* product;
        int version;
        int code;
        int status;
    } cases[] = {
        {"", 0, kHostUnknown, 0},
        {"Cubase SX", 8199, kHostCubase, 0},
        {"Cubase", 8200, kHostCubase4, 0},
        {"Cubase energyXT", 100, kHostCubase, 0},
        {"Samplitude 11", 0, kHostSamplitude, 0},
        {"SAVIHost", 0, kHostSaviHost, 0},
        {"Usine 5.2", 0, kHostUsine, kStartupHostNotSupported},
        {"energyXT2", 0, kHostEnergyXT, 0},
        {"usine", 0, kHostUnknown, 0},
        {"Ardour", 0, kHostUnknown, 0},
    };
    for (const Case& c : cases) {
        int status = 0;
        EXPECT_EQ(IdentifyHost(c.product, c.version, status), c.code) << c.product;
        EXPECT_EQ(status, c.status) << c.product;
    }
}
