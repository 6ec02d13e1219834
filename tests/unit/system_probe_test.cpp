// Load-time probes: what the processor and kernel files say decides
// whether Tessaro agrees to run.
#include "kova/system/operatingsystemdata.h"
#include "kova/system/processordata.h"
#include "kova/system/systemdata.h"

#include <gtest/gtest.h>

#include <string>

using kova::system::SOperatingSystemData;
using kova::system::SProcessorData;
using kova::system::SSystemData;

namespace {

SProcessorData Parse(const std::string& text)
{
    SProcessorData cpu;
    cpu.ParseCpuInfo(text.c_str());
    return cpu;
}

}  // namespace

TEST(ProcessorProbe, ReadsVendorModelAndClockOfTheFirstProcessor)
{
    SProcessorData cpu = Parse("processor\t: 0\nvendor_id\t: GenuineIntel\ncpu family\t: 6\n"
                               "model name\t: Some CPU @ 2.40GHz\ncpu MHz\t\t: 2394.73\n"
                               "flags\t\t: fpu mmx sse sse2\n");
    EXPECT_STREQ(cpu.vendor, "GenuineIntel");
    EXPECT_STREQ(cpu.model, "Some CPU @ 2.40GHz");
    EXPECT_EQ(cpu.clockMHz, 2395);
    EXPECT_EQ(cpu.features, kova::system::kFeatureMMX | kova::system::kFeatureSSE | kova::system::kFeatureSSE2);
}

TEST(ProcessorProbe, ClockHalvesRoundToEven)
{
    EXPECT_EQ(Parse("cpu MHz\t\t: 2394.5\n").clockMHz, 2394);
    EXPECT_EQ(Parse("cpu MHz\t\t: 2395.5\n").clockMHz, 2396);
}

TEST(ProcessorProbe, ProcessorZeroFallsBackToCpuCores)
{
    EXPECT_EQ(Parse("processor\t: 0\ncpu cores\t: 4\n").count, 4);
    EXPECT_EQ(Parse("processor\t: 3\ncpu cores\t: 4\n").count, 3);
}

TEST(ProcessorProbe, ProcessorZeroWithoutCoresAsksTheSystem)
{
    EXPECT_GE(Parse("processor\t: 0\nflags: mmx\n").count, 1);
}

TEST(ProcessorProbe, OnlyTheFirst2048BytesCount)
{
    std::string text = "processor\t: 1\n" + std::string(2100, 'x') + "\nflags : mmx sse\n";
    SProcessorData cpu = Parse(text);
    EXPECT_EQ(cpu.features, 0u);
    EXPECT_EQ(cpu.count, 1);
}

TEST(ProcessorProbe, EmptyModelNameGivesEmptyText)
{
    EXPECT_STREQ(Parse("model name\t:\nvendor_id : X\n").model, "");
}

TEST(KernelProbe, ReleaseCheckNeedsMoreThan2_4)
{
    EXPECT_FALSE(SOperatingSystemData::ReleaseQualifies("2.4.20\n"));
    EXPECT_FALSE(SOperatingSystemData::ReleaseQualifies("2.4.31\n"));
    EXPECT_TRUE(SOperatingSystemData::ReleaseQualifies("2.5.1\n"));
    EXPECT_TRUE(SOperatingSystemData::ReleaseQualifies("2.6.32\n"));
    EXPECT_TRUE(SOperatingSystemData::ReleaseQualifies("5.10.0-28-amd64\n"));
}

TEST(KernelProbe, DescriptionKeepsAtMost255Characters)
{
    SOperatingSystemData os;
    os.kernelRelease = true;
    os.AddText("Linux\n", false);
    os.AddText("6.1.0\n", true);
    os.AddText(std::string(400, 'v').c_str(), false);
    EXPECT_EQ(std::string(os.description).size(), 255u);
    EXPECT_EQ(std::string(os.description).substr(0, 12), "Linux\n6.1.0\n");
    EXPECT_TRUE(os.kernelRelease);
}

TEST(Requirements, MmxAndAKernelAreEnoughWithoutSse)
{
    SSystemData system;
    system.osSupported = true;
    system.mmx = true;
    EXPECT_TRUE(system.Qualifies(false, false));
    EXPECT_FALSE(system.Qualifies(true, false));
    system.sse = true;
    EXPECT_TRUE(system.Qualifies(true, false));
    EXPECT_FALSE(system.Qualifies(true, true));
    system.osSupported = false;
    EXPECT_FALSE(system.Qualifies(false, false));
}

TEST(Requirements, ErrorReportListsWhatIsMissing)
{
    SSystemData system;
    system.osSupported = true;
    std::string report = system.ErrorMessage(true, false).c_str();
    EXPECT_NE(report.find("E R R O R"), std::string::npos);
    EXPECT_NE(report.find("\nMMX: not available."), std::string::npos);
    EXPECT_NE(report.find("\nSSE: not available."), std::string::npos);
    EXPECT_EQ(report.find("SSE2"), std::string::npos);
}

TEST(Requirements, ThisMachineIsProbed)
{
    SSystemData system;
    EXPECT_TRUE(system.getOSInfos());
    system.getCPUInfos();
    EXPECT_NE(std::string(system.osDescription.c_str()).find("Linux"), std::string::npos);
    EXPECT_GT(system.processorCount, 0);
    EXPECT_EQ(std::string(system.processorDescription.c_str()).rfind("CPU Type: ", 0), 0u);
}
