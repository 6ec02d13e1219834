// run() never allocates: blocks with every kind of event and control
// change go through the dlopened DSP binary while a counting global
// operator new watches (the binary's allocations resolve to this one).
#include "lv2_rig.h"

#include "counting_allocator.h"

using namespace lv2_test;

TEST(RealTime, RunAllocatesNothing)
{
    Instance plugin;
    ASSERT_TRUE(plugin.Ready());
    plugin.controls[kPortMidiThrough] = 1;
    plugin.controls[kPortPresetsSwitching] = 1;
    plugin.Run();

    // The plug-in's own allocations are seen by the counter.
    const LV2_Feature* features[] = {&plugin.map.feature, nullptr};
    LV2_Handle other = nullptr;
    ASSERT_GT(counting_allocator::AllocationsDuring([&] {
        other = plugin.descriptor->instantiate(plugin.descriptor, 48000.0, TESSARO_LV2_BUNDLE, features);
    }), 0);
    ASSERT_NE(other, nullptr);
    plugin.descriptor->cleanup(other);

    long sent = 0;
    long allocations = 0;
    for (int block = 0; block < 4; ++block) {
        plugin.controls[kPortKill] = float(block % 2);
        plugin.controls[kPortPolyphony] = float(3 + block);
        plugin.controls[kPortPanic] = float(block % 2);
        for (int i = 0; i < 300; ++i)  // more than the input queue holds: it is drained on the way
            plugin.Queue(i / 5, Bytes((i % 3 ? 0x90 : 0x80) | (i % 16), 20 + i % 90, 100));
        plugin.Queue(60, Bytes(0xE0, 0, 64));
        plugin.Queue(61, {0xC0, uint8_t(block)});
        plugin.Queue(62, {0xF8});
        allocations += counting_allocator::AllocationsDuring([&] { plugin.RunOnly(); });
        sent += long(plugin.Output().size());
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_GT(sent, 100);
}
