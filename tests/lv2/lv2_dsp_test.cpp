// The LV2 DSP binary as a host drives it: MIDI through atom sequences,
// the control ports, and state.
#include "lv2_rig.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>

#include "plugin/programbank.h"

using namespace lv2_test;

namespace {

std::vector<std::string> CommandLines(const std::string& command)
{
    std::vector<std::string> lines;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return lines;
    char line[512];
    while (fgets(line, sizeof line, pipe))
        lines.emplace_back(line);
    pclose(pipe);
    return lines;
}

std::set<std::string> Exported(const char* file)
{
    std::set<std::string> names;
    for (const std::string& line : CommandLines("nm -D --defined-only " + BundleFile(file))) {
        char address[64], kind[8], name[400];
        if (sscanf(line.c_str(), "%63s %7s %399s", address, kind, name) == 3)
            names.insert(name);
    }
    return names;
}

// A bank whose program 0 listens to controller 1 for the polyphony.
SavedState BankWithPolyphonyController(Instance& plugin)
{
    VSTPluginProgramBank bank;
    bank.programs[0].polyCC = 1 + 1;
    SavedState state;
    const auto* bytes = reinterpret_cast<const uint8_t*>(bank.programs);
    state.values[plugin.map(kBankStateURI)] = {plugin.map(LV2_ATOM__Chunk),
                                                std::vector<uint8_t>(bytes, bytes + sizeof bank.programs)};
    return state;
}

}  // namespace

TEST(Binaries, EachExportsOnlyItsDescriptorFunction)
{
    EXPECT_EQ(Exported("tessaro_dsp.so"), (std::set<std::string>{"lv2_descriptor"}));
    EXPECT_EQ(Exported("tessaro_ui.so"), (std::set<std::string>{"lv2ui_descriptor"}));
}

TEST(Binaries, TheDspBinaryNeedsNoXLibrary)
{
    int needed = 0;
    for (const std::string& line : CommandLines("readelf -d " + BundleFile("tessaro_dsp.so"))) {
        if (line.find("(NEEDED)") == std::string::npos)
            continue;
        ++needed;
        EXPECT_EQ(line.find("libX"), std::string::npos) << line;
    }
    EXPECT_GT(needed, 0);
}

TEST(Bundle, LilvFindsThePluginWithThePortsInTheirOrder)
{
    // lv2info reads the bundle's Turtle as hosts do; its ports must be the
    // ones the binaries number.
    const char* const symbols[kPortCount] = {
        "midi_in",          "midi_out",          "polyphony",     "kill",           "panic",
        "presets_switching", "midi_through",     "sustain_pedal", "steal_policy",   "per_channel",
        "note_return",      "program",           "polyphony_now", "kill_now",       "panic_now",
        "presets_switching_now", "midi_through_now", "sustain_pedal_now", "steal_policy_now",
        "per_channel_now",  "note_return_now",   "program_now",   "sounding_notes"};
    // lv2info sees this bundle and the LV2 core vocabulary only: another
    // installed bundle may say more about the core classes (a label of its
    // own for the MIDI plug-in class, say).
    char dir[] = "/tmp/tessaro-lv2-path-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = dir;
    ASSERT_EQ(symlink(TESSARO_LV2_BUNDLE, (path + "/tessaro.lv2").c_str()), 0);
    ASSERT_EQ(symlink("/usr/lib/lv2/core.lv2", (path + "/core.lv2").c_str()), 0);
    std::vector<std::string> found;
    bool midiClass = false;
    for (const std::string& line :
         CommandLines("LV2_PATH=" + path + " lv2info " + kPluginURI + " 2>/dev/null; rm -r " + path)) {
        char symbol[64];
        if (sscanf(line.c_str(), " Symbol: %63s", symbol) == 1)
            found.emplace_back(symbol);
        midiClass = midiClass || line.find("Class:             MIDI Plugin") != std::string::npos;
    }
    EXPECT_EQ(found, std::vector<std::string>(symbols, symbols + kPortCount)) << "is lv2info (lilv-utils) installed?";
    EXPECT_TRUE(midiClass);
}

TEST(Midi, EventsKeepTheirFramesAndTheLimitHolds)
{
    Instance plugin;
    ASSERT_TRUE(plugin.Ready());
    plugin.controls[kPortPolyphony] = 2;  // differs from the default: applied at the first run
    plugin.controls[kPortMidiThrough] = 1;
    plugin.Queue(0, Bytes(0x90, 60, 100));
    plugin.Queue(5, Bytes(0x90, 64, 100));
    plugin.Queue(9, Bytes(0x90, 67, 100));  // beyond the limit: dropped
    plugin.Queue(12, Bytes(0x80, 67, 0));   // its note-off: swallowed
    plugin.Queue(20, {0xC1, 7});            // forwarded with its two bytes
    plugin.Queue(33, Bytes(0x80, 60, 0));
    EXPECT_EQ(plugin.Run(), (std::vector<Timed>{{0, Bytes(0x90, 60, 100)},
                                                {5, Bytes(0x90, 64, 100)},
                                                {20, {0xC1, 7}},
                                                {33, Bytes(0x80, 60, 0)}}));
    EXPECT_EQ(plugin.controls[kPortSoundingNotes], 1);
}

TEST(Midi, OutputTimesNeverDecrease)
{
    Instance plugin;
    ASSERT_TRUE(plugin.Ready());
    SavedState state = BankWithPolyphonyController(plugin);
    ASSERT_EQ(plugin.Restore(state), LV2_STATE_SUCCESS);
    plugin.Queue(10, Bytes(0x90, 60, 100));
    plugin.Queue(20, Bytes(0x90, 62, 100));
    plugin.Queue(30, Bytes(0xB0, 1, 1));  // polyphony 1: the engine ends note 60 itself
    std::vector<Timed> out = plugin.Run();
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[2].bytes, Bytes(0x80, 60, 0));
    EXPECT_EQ(out[2].frame, 30);  // at the controller's frame
    EXPECT_EQ(plugin.controls[kPortPolyphonyNow], 1);


    // Events whose times go back (made on another thread between the drain
    // and the hand-over, or sent so by a host) leave at the time before.
    plugin.Queue(30, Bytes(0x80, 62, 0));
    plugin.Queue(10, Bytes(0x90, 64, 100));
    out = plugin.Run();
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1].bytes, Bytes(0x90, 64, 100));
    EXPECT_EQ(out[1].frame, 30);
}

TEST(Midi, AFloodOfEventsInOneBlockLosesNoNoteOff)
{
    // Half the block note-ons, then their note-offs, last note first, at
    // polyphony 4: the first four notes sound, and their note-offs come
    // last. Up to 4,096 events nothing is lost; past that, note-offs of
    // sounding notes still get through.
    Instance plugin;
    ASSERT_TRUE(plugin.Ready());
    plugin.controls[kPortPolyphony] = 4;
    for (const int total : {300, 4096, 10000}) {
        const int notes = total / 2;
        auto status = [](int i, int kind) { return kind | (i < 4 ? 0 : 1 + i % 15); };
        auto note = [](int i) { return i < 4 ? i : i % 128; };
        for (int i = 0; i < notes; ++i)
            plugin.Queue(0, Bytes(status(i, 0x90), note(i), 100));
        for (int i = notes - 1; i >= 0; --i)
            plugin.Queue(32, Bytes(status(i, 0x80), note(i), 0));
        EXPECT_EQ(plugin.Run(), (std::vector<Timed>{{0, Bytes(0x90, 0, 100)},
                                                    {0, Bytes(0x90, 1, 100)},
                                                    {0, Bytes(0x90, 2, 100)},
                                                    {0, Bytes(0x90, 3, 100)},
                                                    {32, Bytes(0x80, 3, 0)},
                                                    {32, Bytes(0x80, 2, 0)},
                                                    {32, Bytes(0x80, 1, 0)},
                                                    {32, Bytes(0x80, 0, 0)}}))
            << total;
        EXPECT_EQ(plugin.controls[kPortSoundingNotes], 0) << total;
    }
}

TEST(Midi, ASequenceIsReadOnlyWithinItsSize)
{
    // A note-on, then a second one that breaks the sequence: its body claims
    // nearly 4 GB (a walk by pointers wraps around on 32 bits and never
    // ends), or the sequence ends inside its body or its header. Only the
    // first one is read.
    struct Case {
        const char* what;
        uint32_t bodySize;    // of the second event
        uint32_t cutBytes;    // taken off the sequence's end
    };
    for (const Case& c : {Case{"huge body", 0xFFFFFFF0u, 0}, Case{"body cut", 3, 6}, Case{"header cut", 3, 16}}) {
        Instance plugin;
        ASSERT_TRUE(plugin.Ready());
        plugin.Queue(0, Bytes(0x90, 60, 100));
        plugin.Queue(1, Bytes(0x90, 62, 100));
        auto* sequence = reinterpret_cast<LV2_Atom_Sequence*>(plugin.in);
        auto* second = reinterpret_cast<LV2_Atom_Event*>(plugin.in + sizeof(LV2_Atom_Sequence) + 24);
        second->body.size = c.bodySize;
        sequence->atom.size -= c.cutBytes;
        EXPECT_EQ(plugin.Run(), (std::vector<Timed>{{0, Bytes(0x90, 60, 100)}})) << c.what;
    }
}

TEST(Midi, WithoutRoomForTheSequenceHeaderMidiOutIsLeftAlone)
{
    Instance plugin;
    ASSERT_TRUE(plugin.Ready());
    for (const uint32_t room : {0u, 4u, 7u}) {
        std::memset(plugin.out, 0xAB, 64);
        const std::vector<uint8_t> before(plugin.out, plugin.out + 64);
        plugin.Queue(0, Bytes(0x90, 60 + int(room), 100));
        plugin.RunOnly(64, room);
        EXPECT_EQ(std::vector<uint8_t>(plugin.out + sizeof(LV2_Atom), plugin.out + 64),
                  std::vector<uint8_t>(before.begin() + sizeof(LV2_Atom), before.end()))
            << room;
    }
    // What could not be written is not delivered late.
    plugin.Queue(0, Bytes(0x90, 70, 100));
    EXPECT_EQ(plugin.Run(), (std::vector<Timed>{{0, Bytes(0x90, 70, 100)}}));
}

TEST(Controls, AHostValueAppliesOnlyWhenItChanges)
{
    Instance plugin;
    ASSERT_TRUE(plugin.Ready());
    SavedState state = BankWithPolyphonyController(plugin);
    ASSERT_EQ(plugin.Restore(state), LV2_STATE_SUCCESS);
    plugin.Run();  // takes note of the ports after the restore
    plugin.controls[kPortPresetsSwitching] = 1;
    plugin.Run();
    EXPECT_EQ(plugin.controls[kPortPresetsSwitchingNow], 1);

    // The engine changes itself; the unchanged host values leave that alone.
    plugin.Queue(0, Bytes(0xB0, 1, 5));
    plugin.Run();
    plugin.Run();
    EXPECT_EQ(plugin.controls[kPortPolyphonyNow], 5);
    EXPECT_EQ(plugin.controls[kPortPolyphony], 16);
    plugin.Queue(0, {0xC0, 3});
    plugin.Run();
    plugin.Run();
    EXPECT_EQ(plugin.controls[kPortProgramNow], 3);

    // Host changes apply.
    plugin.controls[kPortProgram] = 7;
    plugin.Run();
    EXPECT_EQ(plugin.controls[kPortProgramNow], 7);
    plugin.controls[kPortPolyphony] = 10;
    plugin.controls[kPortKill] = 1;
    plugin.Run();
    EXPECT_EQ(plugin.controls[kPortPolyphonyNow], 10);
    EXPECT_EQ(plugin.controls[kPortKillNow], 1);
}

TEST(Controls, TheAllocationOptionsTakeNativeValues)
{
    Instance plugin;
    ASSERT_TRUE(plugin.Ready());
    plugin.controls[kPortPolyphony] = 2;
    plugin.controls[kPortKill] = 1;
    plugin.controls[kPortStealPolicy] = 3;  // highest: the highest note gives way
    plugin.controls[kPortNoteReturn] = 1;
    plugin.Queue(0, Bytes(0x90, 40, 100));
    plugin.Queue(1, Bytes(0x90, 70, 90));
    plugin.Queue(2, Bytes(0x90, 50, 100));
    plugin.Queue(3, Bytes(0x80, 50, 0));  // 70 comes back
    EXPECT_EQ(plugin.Run(), (std::vector<Timed>{{0, Bytes(0x90, 40, 100)},
                                                {1, Bytes(0x90, 70, 90)},
                                                {2, Bytes(0x80, 70, 0)},
                                                {2, Bytes(0x90, 50, 100)},
                                                {3, Bytes(0x80, 50, 0)},
                                                {3, Bytes(0x90, 70, 90)}}));
    EXPECT_EQ(plugin.controls[kPortStealPolicyNow], 3);
    EXPECT_EQ(plugin.controls[kPortNoteReturnNow], 1);
    EXPECT_EQ(plugin.controls[kPortPerChannelNow], 0);
    plugin.controls[kPortStealPolicy] = 9;  // clamped to quietest
    plugin.Run();
    EXPECT_EQ(plugin.controls[kPortStealPolicyNow], 4);
}

TEST(Controls, ProgramValuesOutsideTheBankAreIgnored)
{
    Instance plugin;
    ASSERT_TRUE(plugin.Ready());
    plugin.controls[kPortProgram] = 5;
    plugin.Run();
    for (const float value : {-0.7f, 31.6f, 1e10f, -1e10f, INFINITY, -INFINITY}) {
        plugin.controls[kPortProgram] = value;
        plugin.Run();
        EXPECT_EQ(plugin.controls[kPortProgramNow], 5) << value;
    }
    plugin.controls[kPortProgram] = 30.6f;  // the nearest program
    plugin.Run();
    EXPECT_EQ(plugin.controls[kPortProgramNow], 31);
}

TEST(State, ASavedBankAndProgramComeBackExactlyAndWinOverThePorts)
{
    SavedState saved;
    {
        Instance first;
        ASSERT_TRUE(first.Ready());
        first.controls[kPortProgram] = 5;
        first.Run();
        first.controls[kPortPolyphony] = 9;
        first.controls[kPortKill] = 1;
        first.Run();
        ASSERT_EQ(first.Save(saved), LV2_STATE_SUCCESS);
        const SavedState::Value& bank = saved.values.at(first.map(kBankStateURI));
        EXPECT_EQ(bank.type, first.map(LV2_ATOM__Chunk));
        EXPECT_EQ(bank.bytes.size(), 3072u);
        EXPECT_EQ(saved.values.at(first.map(kProgramStateURI)).type, first.map(LV2_ATOM__Int));
    }
    Instance second;
    ASSERT_TRUE(second.Ready());
    // The host restores port values of its own as well (here older ones
    // than the engine's state); the restored state wins. The rigs map URIDs
    // in the same order, so the saved keys mean the same here.
    second.controls[kPortProgram] = 2;
    second.controls[kPortPolyphony] = 20;
    ASSERT_EQ(second.Restore(saved), LV2_STATE_SUCCESS);
    second.Run();
    EXPECT_EQ(second.controls[kPortProgramNow], 5);
    EXPECT_EQ(second.controls[kPortPolyphonyNow], 9);
    EXPECT_EQ(second.controls[kPortKillNow], 1);
    SavedState again;
    ASSERT_EQ(second.Save(again), LV2_STATE_SUCCESS);
    EXPECT_EQ(again.values.at(second.map(kBankStateURI)).bytes, saved.values.at(second.map(kBankStateURI)).bytes);
    EXPECT_EQ(again.values.at(second.map(kProgramStateURI)).bytes,
              saved.values.at(second.map(kProgramStateURI)).bytes);

    second.controls[kPortPolyphony] = 3;
    second.Run();
    EXPECT_EQ(second.controls[kPortPolyphonyNow], 3);
}

TEST(State, AShortBankIsRefusedAndChangesNothing)
{
    Instance plugin;
    ASSERT_TRUE(plugin.Ready());
    SavedState state = BankWithPolyphonyController(plugin);
    state.values.begin()->second.bytes.resize(3000);
    EXPECT_NE(plugin.Restore(state), LV2_STATE_SUCCESS);
    plugin.controls[kPortPolyphony] = 4;
    plugin.Run();  // no restore took place: the host's change applies
    EXPECT_EQ(plugin.controls[kPortPolyphonyNow], 4);
    plugin.Queue(0, Bytes(0xB0, 1, 100));  // no controller assigned
    plugin.Run();
    EXPECT_EQ(plugin.controls[kPortPolyphonyNow], 4);
}
