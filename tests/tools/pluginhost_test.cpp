// The host side in-process: loading the plug-in, its callback answers, and
// feeding crowded blocks without losing an event.
#include <gtest/gtest.h>

#include "tools/tessaro-host/midirun.h"
#include "tools/tessaro-host/pluginhost.h"

using namespace tessaro::host;

namespace {

const std::string kPlugin = TESSARO_PLUGIN_PATH;

}  // namespace

TEST(PlugInHost, LoadsThePlugInAndAsksForMidiWhenStarted)
{
    PluginHost host;
    std::string error;
    ASSERT_TRUE(host.Load(kPlugin, error)) << error;
    EXPECT_EQ(host.Text(effGetEffectName), "Tessaro");
    EXPECT_FALSE(host.WantsMidi());
    host.Start(48000.0f, 256);
    EXPECT_TRUE(host.WantsMidi());
    host.Unload();
    EXPECT_EQ(host.Effect(), nullptr);
}

TEST(PlugInHost, ManyEventsOnOneSampleAreFedInSeveralBlocksAndNoneIsLost)
{
    PluginHost host;
    std::string error;
    ASSERT_TRUE(host.Load(kPlugin, error)) << error;
    host.Effect()->setParameter(host.Effect(), 0, 1.0f);  // polyphony 127
    host.Start(44100.0f, 512);

    // 150 note-ons and their 150 note-offs, all on one sample: more than
    // the plug-in queues per block, so the host sends them in several blocks
    // (of no frames); a block of all 300 would lose the last 44 note-offs.
    std::vector<TimedMessage> in;
    for (int i = 0; i < 150; ++i)
        in.push_back({0, uint8_t(0x90 | (i / 100)), uint8_t(i % 100), 100});
    for (int i = 0; i < 150; ++i)
        in.push_back({0, uint8_t(0x80 | (i / 100)), uint8_t(i % 100), 0});
    const std::vector<TimedMessage> out = RunThrough(host, in, 20);

    int ons = 0, offs = 0;
    for (const TimedMessage& m : out) {
        EXPECT_EQ(m.sample, 0);
        ons += m.IsNoteOn() ? 1 : 0;
        offs += m.IsNoteOff() ? 1 : 0;
    }
    EXPECT_EQ(ons, 127);  // the first 127 in order; the rest find the limit
    EXPECT_EQ(offs, 127);
    EXPECT_EQ(out.front().data1, 0);
    EXPECT_EQ(host.Position(), 20);
}

TEST(PlugInHost, AnEmptyPieceStillRunsOneBlock)
{
    PluginHost host;
    std::string error;
    ASSERT_TRUE(host.Load(kPlugin, error)) << error;
    host.Start(44100.0f, 512);
    EXPECT_TRUE(RunThrough(host, {}, EndOfMessages({})).empty());
    EXPECT_EQ(host.Position(), 1);
}

TEST(PlugInHost, AFailedLoadLeavesNothingLoaded)
{
    PluginHost host;
    std::string error;
    EXPECT_FALSE(host.Load("/nonexistent/plugin.so", error));
    EXPECT_NE(error.find("no such file"), std::string::npos) << error;
    EXPECT_EQ(host.Effect(), nullptr);
    EXPECT_EQ(host.Dispatch(effGetVstVersion), 0);
}
