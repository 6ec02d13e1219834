// The host boundary: identity, dispatcher answers, editor opcodes, the
// host name an instance reports and the start-up refusals of the entry
// function.
#include "fake_host.h"
#include "kova/gui/globals.h"
#include "plugin/identity.h"
#include "plugin/library.h"
#include "plugin/startupstatus.h"
#include "plugin/vstplugin.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct PluginBase : testing::Test {
    FakeHost host;
    int status = 0;
    VSTPlugin* plugin = nullptr;
    AEffect* effect = nullptr;

    void SetUp() override { Make(); }
    void TearDown() override
    {
        if (effect)
            effect->dispatcher(effect, effClose, 0, 0, nullptr, 0);
    }
    void Make()
    {
        plugin = new VSTPlugin(FakeHost::Callback, status);
        effect = plugin->getAeffect();
    }
    VstIntPtr Call(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0)
    {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
};

}  // namespace

TEST_F(PluginBase, TheRecordCarriesTessarosIdentity)
{
    EXPECT_EQ(effect->magic, kEffectMagic);
    EXPECT_EQ(effect->uniqueID, ('T' << 24) | ('S' << 16) | ('R' << 8) | 'o');
    EXPECT_EQ(effect->version, 1);
    EXPECT_EQ(effect->numPrograms, 32);
    EXPECT_EQ(effect->numParams, 6);
    EXPECT_EQ(effect->numInputs, 2);
    EXPECT_EQ(effect->numOutputs, 2);
    EXPECT_EQ(effect->flags, effFlagsHasEditor | effFlagsCanMono | effFlagsCanReplacing | effFlagsProgramChunks |
                                 effFlagsIsSynth);
    EXPECT_FLOAT_EQ(effect->ioRatio, 1.0f);
    EXPECT_EQ(effect->object, plugin);
    EXPECT_EQ(status, 0);
}

TEST_F(PluginBase, DispatcherAnswersTheFixedQueries)
{
    EXPECT_EQ(Call(effGetPlugCategory), kPlugCategSynth);
    EXPECT_EQ(Call(effGetVstVersion), 2300);
    EXPECT_EQ(Call(effIdentify), kVstFourCC('N', 'v', 'E', 'f'));
    EXPECT_EQ(Call(effGetVendorVersion), 103);
    EXPECT_EQ(Call(effCanBeAutomated, 3), 1);
    EXPECT_EQ(Call(effKeysRequired), 1);
    EXPECT_EQ(Call(200), 0);
    EXPECT_EQ(Call(-5), 0);

    char text[256];
    EXPECT_EQ(Call(effGetEffectName, 0, 0, text), 1);
    EXPECT_STREQ(text, "Tessaro");
    EXPECT_EQ(Call(effGetProductString, 0, 0, text), 1);
    EXPECT_STREQ(text, "Tessaro");
    EXPECT_EQ(Call(effGetVendorString, 0, 0, text), 1);
    EXPECT_EQ(std::strlen(text), 15u);

    VstPinProperties pin;
    std::memset(&pin, 0x5A, sizeof pin);
    EXPECT_EQ(Call(effGetInputProperties, 0, 0, &pin), 0);
    EXPECT_EQ((unsigned char)pin.label[0], 0x5A);
}

TEST_F(PluginBase, CanDoAnswersOnlyItsFiveCapabilities)
{
    for (const char* yes : {"sendVstMidiEvent", "sendVstEvents", "receiveVstEvents", "receiveVstMidiEvent",
                            "receiveVstTimeInfo"})
        EXPECT_EQ(Call(effCanDo, 0, 0, (void*)yes), 1) << yes;
    EXPECT_EQ(Call(effCanDo, 0, 0, (void*)"sendVstMidiEventX"), -1);
    EXPECT_EQ(Call(effCanDo, 0, 0, (void*)""), -1);
    EXPECT_EQ(Call(effCanDo, 0, 0, (void*)"sizeWindow"), -1);
}

TEST_F(PluginBase, OddHostArgumentsAreRefusedSafely)
{
    EXPECT_EQ(Call(effEditGetRect, 0, 0, nullptr), 0);
    EXPECT_EQ(Call(effEditOpen, 0, 0, nullptr), 0);
    EXPECT_EQ(Call(effCanDo, 0, 0, nullptr), 0);
    EXPECT_EQ(Call(effGetParamName, 0, 0, nullptr), 0);
    EXPECT_EQ(Call(effGetEffectName, 0, 0, nullptr), 0);
    EXPECT_EQ(Call(effProcessEvents, 0, 0, nullptr), 0);
    EXPECT_EQ(Call(effGetChunk, 0, 0, nullptr), 0);
}

TEST_F(PluginBase, EditorRectangleIs260By162BeforeAnyOpen)
{
    ERect* rect = nullptr;
    EXPECT_NE(Call(effEditGetRect, 0, 0, &rect), 0);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 260);
    EXPECT_EQ(rect->bottom - rect->top, 162);
    EXPECT_EQ(Call(effEditIdle), 0);
}

TEST_F(PluginBase, MainsChangedSuspendsAndResumes)
{
    EXPECT_TRUE(plugin->IsSuspended());
    Call(effMainsChanged, 0, 1);
    EXPECT_FALSE(plugin->IsSuspended());
    EXPECT_EQ(host.wantMidiCalls, 1);
    Call(effMainsChanged, 0, 0);
    EXPECT_TRUE(plugin->IsSuspended());
}

TEST_F(PluginBase, SecondResumeKeepsTheTextsAndAsksForMidiAgain)
{
    host.directory = "/home/musician/.vst/tessaro.so";
    Call(effMainsChanged, 0, 1);
    const char* name = plugin->EffectName();
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name, "Tessaro");
    EXPECT_STREQ(plugin->PluginDirectory(), "/home/musician/.vst");
    host.directory = "/elsewhere/x.so";
    Call(effMainsChanged, 0, 1);
    EXPECT_EQ(plugin->EffectName(), name);
    EXPECT_STREQ(plugin->PluginDirectory(), "/home/musician/.vst");
    EXPECT_EQ(host.wantMidiCalls, 2);
}

TEST_F(PluginBase, SampleRateAndBlockSizeAreStored)
{
    Call(effSetSampleRate, 0, 0, nullptr, 96000.0f);
    Call(effSetBlockSize, 0, 256);
    EXPECT_FLOAT_EQ(plugin->getSampleRate(), 96000.0f);
    EXPECT_EQ(plugin->getBlockSize(), 256);
}

TEST_F(PluginBase, AutomatedChangesReachTheHost)
{
    plugin->setParameterAutomated(2, 0.75f);
    ASSERT_EQ(host.automated.size(), 1u);
    EXPECT_EQ(host.automated[0].first, 2);
    EXPECT_FLOAT_EQ(host.automated[0].second, 0.75f);
}

TEST_F(PluginBase, HostAnsweringMinusOneStillCanDo)
{
    host.canDoAnswer = -1;
    EXPECT_TRUE(plugin->canHostDo((char*)"sizeWindow"));
    host.canDoAnswer = 0;
    EXPECT_FALSE(plugin->canHostDo((char*)"sizeWindow"));
}

TEST_F(PluginBase, HostNamesComeFromTheHostCode)
{
    EXPECT_STREQ(plugin->PluginHostName(), "(unknown)");
}

TEST(HostIdentification, CubaseFourIsNamedByVendorVersion)
{
    FakeHost host;
    host.product = "Cubase VST";
    host.vendorVersion = 9000;
    int status = 0;
    VSTPlugin plugin(FakeHost::Callback, status);
    EXPECT_STREQ(plugin.PluginHostName(), "Cubase4/Nuendo4");
}

TEST(StartupRefusal, FailureMessagesNameTheReason)
{
    char text[512];
    TessaroFailureMessage(kStartupSystemNotSupported, "", text, sizeof text);
    EXPECT_STREQ(text, "Failed to load plugin\n(Reason: System not supported\nPlease check the requirements)");
    TessaroFailureMessage(kStartupHostNotSupported, "Usine", text, sizeof text);
    EXPECT_STREQ(text, "Failed to load plugin\n(Reason: Host not supported (Usine))");
    TessaroFailureMessage(7, "", text, sizeof text);
    EXPECT_EQ(std::string(text).rfind("Failed to load plugin\n(Reason: Internal Error\nPlease report to \n", 0), 0u);
}

TEST(StartupRefusal, HostAnsweringVersionZeroGetsNothing)
{
    FakeHost host;
    host.version = 0;
    testing::internal::CaptureStderr();
    EXPECT_EQ(TessaroCreateInstance(FakeHost::Callback), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(StartupRefusal, RefusedHostIsToldWhyAndGetsNothing)
{
    FakeHost host;
    host.product = "Usine Hollyhock";
    testing::internal::CaptureStderr();
    EXPECT_EQ(TessaroCreateInstance(FakeHost::Callback), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Tessaro: Failed to load plugin\n(Reason: Host not supported (Usine))\n");
}

TEST(StartupRefusal, AnOrdinaryHostGetsAnInstance)
{
    FakeHost host;
    AEffect* effect = TessaroCreateInstance(FakeHost::Callback);
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->magic, kEffectMagic);
    EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0), 1);
}
