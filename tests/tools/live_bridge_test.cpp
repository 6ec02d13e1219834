// The work of `tessaro-host live` in each JACK period, in-process: it
// allocates nothing with either plug-in format, and the status line's
// counts say what the limiter did.
#include <gtest/gtest.h>

#include "counting_allocator.h"
#include "tools/tessaro-host/livebridge.h"
#include "tools/tessaro-host/loadplugin.h"

using namespace tessaro::host;

namespace {

const std::string kPlugin = TESSARO_PLUGIN_PATH;
const std::string kBundle = kPlugin.substr(0, kPlugin.rfind('/') + 1) + "tessaro.lv2";

constexpr int kPeriod = 256;

std::unique_ptr<MidiPlugin> Started(const std::string& path, std::vector<std::pair<int, float>> settings)
{
    std::string error;
    std::unique_ptr<MidiPlugin> plugin = LoadPlugin(path, 44100.0f, 8192, error);
    EXPECT_TRUE(plugin) << error;
    if (plugin) {
        for (const auto& s : settings)
            plugin->SetParameter(s.first, s.second);
        plugin->Start(44100.0f, kPeriod);
    }
    return plugin;
}

void Add(LiveBridge& bridge, uint32_t frame, std::initializer_list<uint8_t> bytes)
{
    bridge.AddInput(frame, bytes.begin(), bytes.size());
}

}  // namespace

TEST(LivePeriods, AllocateNothingWithEitherFormat)
{
    for (const std::string& path : {kPlugin, kBundle}) {
        // Kill, presets switching and MIDI through: every path that sends
        // or changes something is taken.
        std::unique_ptr<MidiPlugin> plugin = Started(path, {{0, 3 / 127.0f}, {1, 1}, {3, 1}, {4, 1}, {5, 1}});
        ASSERT_TRUE(plugin);
        LiveBridge bridge(*plugin, 4096);
        long allocations = 0, sent = 0;
        for (int period = 0; period < 8; ++period) {
            allocations += counting_allocator::AllocationsDuring([&] {
                bridge.BeginPeriod();
                // 300 events: more than one block of the plug-in takes.
                for (int i = 0; i < 300; ++i)
                    Add(bridge, uint32_t(i * kPeriod / 300),
                        {uint8_t((i % 3 ? 0x90 : 0x80) | (i % 4)), uint8_t(30 + i % 60), 100});
                Add(bridge, 200, {0xB0, 64, uint8_t(period % 2 ? 0 : 127)});
                Add(bridge, 201, {0xC0, uint8_t(period)});
                Add(bridge, 202, {0xE0, 0, 64});
                Add(bridge, 203, {0xF8});
                bridge.RunPeriod(kPeriod);
            });
            sent += bridge.OutputCount();
        }
        EXPECT_EQ(allocations, 0) << path;
        EXPECT_GT(sent, 800) << path;
    }
}

TEST(LivePeriods, TheCountsSayWhatTheLimiterDid)
{
    const struct {
        const char* what;
        std::vector<std::pair<int, float>> settings;
        long out, dropped, stolen;
        int sounding;
    } cases[] = {
        {"two voices, no kill", {{0, 2 / 127.0f}, {1, 0}}, 2, 1, 0, 2},
        {"two voices, kill", {{0, 2 / 127.0f}, {1, 1}}, 3, 0, 1, 2},
    };
    for (const auto& c : cases) {
        std::unique_ptr<MidiPlugin> plugin = Started(kPlugin, c.settings);
        ASSERT_TRUE(plugin);
        LiveBridge bridge(*plugin, 64);
        bridge.BeginPeriod();
        Add(bridge, 10, {0x90, 60, 100});
        Add(bridge, 20, {0x90, 64, 100});
        Add(bridge, 30, {0x90, 67, 100});
        bridge.RunPeriod(kPeriod);
        const LiveBridge::Counts& n = bridge.Totals();
        EXPECT_EQ(n.notesIn.load(), 3) << c.what;
        EXPECT_EQ(n.notesOut.load(), c.out) << c.what;
        EXPECT_EQ(n.dropped.load(), c.dropped) << c.what;
        EXPECT_EQ(n.stolen.load(), c.stolen) << c.what;
        EXPECT_EQ(n.sounding.load(), c.sounding) << c.what;
    }

    // A note the pedal held ends at the pedal's release: not stolen.
    std::unique_ptr<MidiPlugin> plugin = Started(kPlugin, {{0, 4 / 127.0f}, {5, 1}});
    ASSERT_TRUE(plugin);
    LiveBridge bridge(*plugin, 64);
    bridge.BeginPeriod();
    Add(bridge, 0, {0x90, 60, 100});
    Add(bridge, 10, {0xB0, 64, 127});
    Add(bridge, 20, {0x80, 60, 0});
    bridge.RunPeriod(kPeriod);
    EXPECT_EQ(bridge.Totals().sounding.load(), 1);
    bridge.BeginPeriod();
    Add(bridge, 5, {0xB0, 64, 0});
    bridge.RunPeriod(kPeriod);
    ASSERT_GE(bridge.OutputCount(), 1);
    EXPECT_EQ(bridge.Output()[bridge.OutputCount() - 1].frame, 5u);
    EXPECT_EQ(bridge.Totals().sounding.load(), 0);
    EXPECT_EQ(bridge.Totals().stolen.load(), 0);
}
