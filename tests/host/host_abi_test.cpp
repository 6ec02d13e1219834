// Tessaro as a host sees it: the built shared object, loaded with dlopen
// and driven only through the AEffect record.
#include "counting_allocator.h"
#include "fake_host.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

typedef AEffect* (*EntryProc)(audioMasterCallback);

struct LoadedPlugin {
    void* handle = nullptr;
    EntryProc entry = nullptr;
    EntryProc legacy = nullptr;

    LoadedPlugin()
    {
        handle = dlopen(TESSARO_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            return;
        entry = (EntryProc)dlsym(handle, "VSTPluginMain");
        legacy = (EntryProc)dlsym(handle, "main");
    }
    ~LoadedPlugin()
    {
        if (handle)
            dlclose(handle);
    }
};

VstIntPtr Call(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
               float opt = 0)
{
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}

VstMidiEvent Midi(int deltaFrames, int status, int data1, int data2)
{
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.deltaFrames = deltaFrames;
    event.midiData[0] = (char)status;
    event.midiData[1] = (char)data1;
    event.midiData[2] = (char)data2;
    return event;
}

}  // namespace

TEST(SharedObject, ExportsOnlyTheTwoEntries)
{
    std::string command = std::string("nm -D --defined-only ") + TESSARO_PLUGIN_PATH;
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> exported;
    char line[512];
    while (fgets(line, sizeof line, pipe)) {
        char address[64], kind[8], name[400];
        if (sscanf(line, "%63s %7s %399s", address, kind, name) == 3)
            exported.insert(name);
    }
    pclose(pipe);
    EXPECT_EQ(exported, (std::set<std::string>{"VSTPluginMain", "main"}));
}

TEST(SharedObject, BothEntriesAreTheSameFunction)
{
    LoadedPlugin plugin;
    ASSERT_NE(plugin.handle, nullptr) << dlerror();
    ASSERT_NE(plugin.entry, nullptr);
    EXPECT_EQ(plugin.entry, plugin.legacy);
}

TEST(SharedObject, LoadsAndUnloadsRepeatedlyInOneProcess)
{
    for (int round = 0; round < 3; ++round) {
        LoadedPlugin plugin;
        ASSERT_NE(plugin.handle, nullptr) << dlerror();
        FakeHost host;
        AEffect* effect = plugin.legacy(FakeHost::Callback);
        ASSERT_NE(effect, nullptr);
        Call(effect, effOpen);
        Call(effect, effMainsChanged, 0, 1);
        Call(effect, effMainsChanged, 0, 0);
        EXPECT_EQ(Call(effect, effClose), 1);
    }
}

TEST(SharedObject, EachBinaryGivesBackAtUnloadWhatItsLoadTook)
{
    // Hosts that rescan plug-ins load and unload them again and again.
    for (const char* path : {TESSARO_PLUGIN_PATH, TESSARO_LV2_UI_PATH}) {
        auto cycle = [path] {
            void* handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
            ASSERT_NE(handle, nullptr) << dlerror();
            dlclose(handle);
        };
        cycle();  // the first load sets up what the process keeps
        EXPECT_EQ(counting_allocator::AllocationsLeftBy([&] {
                      for (int i = 0; i < 10; ++i)
                          cycle();
                  }),
                  0)
            << path;
    }
}

TEST(SharedObject, AHostDrivesABlockThroughTheRecord)
{
    LoadedPlugin plugin;
    ASSERT_NE(plugin.handle, nullptr) << dlerror();
    FakeHost host;
    AEffect* effect = plugin.entry(FakeHost::Callback);
    ASSERT_NE(effect, nullptr);

    EXPECT_EQ(effect->magic, kEffectMagic);
    EXPECT_EQ(effect->uniqueID, kVstFourCC('T', 'S', 'R', 'o'));
    EXPECT_EQ(effect->numParams, 6);
    EXPECT_EQ(effect->numPrograms, 32);
    EXPECT_TRUE(effect->flags & effFlagsIsSynth);
    EXPECT_TRUE(effect->flags & effFlagsProgramChunks);

    char text[256] = {};
    Call(effect, effGetParamName, 0, 0, text);
    EXPECT_STREQ(text, "OP: Polyphony");
    Call(effect, effGetParamDisplay, 0, 0, text);
    EXPECT_STREQ(text, "16");
    Call(effect, effGetProgramNameIndexed, 9, 0, text);
    EXPECT_STREQ(text, "10 - empty preset");
    EXPECT_EQ(Call(effect, effGetPlugCategory), kPlugCategSynth);

    Call(effect, effOpen);
    Call(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    Call(effect, effSetBlockSize, 0, 64);
    Call(effect, effMainsChanged, 0, 1);
    effect->setParameter(effect, 0, 2.0f / 127.0f);  // polyphony 2
    EXPECT_NEAR(effect->getParameter(effect, 0), 2.0f / 127.0f, 1e-6);

    struct {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent* events[3];
    } block{};
    VstMidiEvent notes[3] = {Midi(0, 0x90, 60, 100), Midi(5, 0x90, 64, 100), Midi(9, 0x90, 67, 100)};
    block.numEvents = 3;
    for (int i = 0; i < 3; ++i)
        block.events[i] = (VstEvent*)&notes[i];
    Call(effect, effProcessEvents, 0, 0, &block);

    std::vector<float> in0(64, 0.25f), in1(64, -0.5f), out0(64, 9.0f), out1(64, 9.0f);
    float* inputs[2] = {in0.data(), in1.data()};
    float* outputs[2] = {out0.data(), out1.data()};
    effect->processReplacing(effect, inputs, outputs, 64);

    EXPECT_EQ(out0, in0);
    EXPECT_EQ(out1, in1);
    ASSERT_EQ(host.events.size(), 2u);
    EXPECT_EQ((unsigned char)host.events[0].midiData[1], 60);
    EXPECT_EQ((unsigned char)host.events[1].midiData[1], 64);
    EXPECT_EQ(host.events[1].deltaFrames, 5);

    Call(effect, effMainsChanged, 0, 0);
    EXPECT_EQ(Call(effect, effClose), 1);
}
