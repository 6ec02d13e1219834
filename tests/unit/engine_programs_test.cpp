// The 32 programs, program switching, names, and program and bank chunks.
#include "engine_rig.h"

#include <algorithm>
#include <random>
#include <string>

using namespace engine_test;

namespace {

using Programs = Engine;
using Chunks = Engine;

std::string ProgramName(VSTPlugin& p) {
    char text[64];
    p.getProgramName(text);
    return text;
}

std::vector<unsigned char> RandomBytes(size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<unsigned char> bytes(size);
    for (unsigned char& b : bytes)
        b = static_cast<unsigned char>(rng());
    return bytes;
}

const char* const kNewerBank =
    "Tessaro: Failed to load bank\n(Reason: Saved with newer version\nThis version = 1.03\n"
    "Some settings will be lost !)\n";
const char* const kNewerProgram =
    "Tessaro: Failed to load program\n(Reason: Saved with newer version\nThis version = 1.03\n"
    "Some settings will be lost !)\n";

// --- Programs -------------------------------------------------------------------

TEST_F(Programs, NewProgramsAreNumberedEmptyPresets) {
    char text[64];
    const std::pair<int, const char*> names[] = {
        {0, "01 - empty preset"}, {8, "09 - empty preset"}, {9, "10 - empty preset"}, {31, "32 - empty preset"}};
    for (const auto& n : names) {
        ASSERT_TRUE(plugin->getProgramNameIndexed(0, n.first, text));
        EXPECT_STREQ(text, n.second);
    }
    EXPECT_EQ(ProgramName(*plugin), "01 - empty preset");
    const VSTPluginProgram p = Program(31);
    EXPECT_EQ(p.polyphony, 16);
    EXPECT_EQ(p.reserved0, 0);
}

TEST_F(Programs, NumbersOutsideTheBankAreIgnored) {
    plugin->setProgram(32);
    plugin->setProgram(-1);
    EXPECT_EQ(plugin->getProgram(), 0);
    char text[8] = "keep";
    EXPECT_FALSE(plugin->getProgramNameIndexed(0, 32, text));
    EXPECT_FALSE(plugin->getProgramNameIndexed(0, -1, text));
    EXPECT_STREQ(text, "keep");
    AEffect* effect = plugin->getAeffect();
    effect->dispatcher(effect, effSetProgram, 0, 32, nullptr, 0);
    EXPECT_EQ(plugin->getProgram(), 0);
}

TEST_F(Programs, SwitchingToALowerLimitEndsTheOldestNotes) {
    SetPolyphony(8);
    plugin->setProgram(1);
    SetPolyphony(5);
    plugin->setProgram(0);
    std::vector<VstMidiEvent> notes;
    for (int i = 0; i < 8; ++i)
        notes.push_back(On(0, 50 + i));
    Block(notes);
    plugin->setProgram(1);
    EXPECT_EQ(Block(), (std::vector<Msg>{{0x80, 50, 0, 0}, {0x80, 51, 0, 0}, {0x80, 52, 0, 0}}));
    EXPECT_EQ(Active(), 5);
    plugin->setProgram(0);
    EXPECT_TRUE(Block().empty());
}

TEST_F(Programs, AProgramChangeByMidiLowersTheLimitToo) {
    plugin->setParameter(kParamPresetSwitching, 1.0f);
    plugin->setProgram(2);
    SetPolyphony(1);
    plugin->setProgram(0);
    Block({On(0, 50), On(0, 51), On(0, 52)});
    EXPECT_EQ(Block({Midi(0xC0, 2, 0)}), (std::vector<Msg>{{0x80, 50, 0, 0}, {0x80, 51, 0, 0}}));
    EXPECT_EQ(plugin->getProgram(), 2);
}

TEST_F(Programs, ALongNameKeepsItsFirst47CharactersAndTheCallersTextIsUntouched) {
    std::string sixty(60, 'a');
    for (size_t i = 0; i < sixty.size(); ++i)
        sixty[i] = static_cast<char>('A' + i % 26);
    std::string given = sixty;
    plugin->setProgramName(&given[0]);
    EXPECT_EQ(ProgramName(*plugin), sixty.substr(0, 47));
    EXPECT_EQ(given, sixty);
    plugin->setProgramName(const_cast<char*>("Pads"));
    EXPECT_EQ(ProgramName(*plugin), "Pads");
    EXPECT_EQ(Program(1).name, std::string("02 - empty preset"));
}

TEST_F(Programs, NamesFromAChunkWithoutTerminatorStayWithin48Bytes) {
    std::vector<unsigned char> bank = Bank();
    std::memset(bank.data() + offsetof(VSTPluginProgram, name), 'N', 48);
    LoadBank(bank);
    char text[64];
    std::memset(text, '#', sizeof text);
    plugin->getProgramName(text);
    EXPECT_EQ(std::string(text), std::string(47, 'N'));
    EXPECT_EQ(text[48], '#');
    std::memset(text, '#', sizeof text);
    ASSERT_TRUE(plugin->getProgramNameIndexed(0, 0, text));
    EXPECT_EQ(std::string(text), std::string(47, 'N'));
    EXPECT_EQ(text[48], '#');
}

// --- Chunks ----------------------------------------------------------------------

TEST_F(Chunks, ABankSurvivesARoundTripByteForByte) {
    // Random bytes everywhere: reserved fields, unterminated names, and
    // polyphonies and assignments far out of range all come back unchanged.
    const std::vector<unsigned char> saved = RandomBytes(3072, 7);
    LoadBank(saved);
    EXPECT_EQ(Bank(), saved);
    // Playing and switching programs changes no stored byte.
    plugin->setProgram(5);
    Block({On(0, 60), On(0, 61), Off(0, 60), CC(3, 3)});
    plugin->setProgram(0);
    EXPECT_EQ(Bank(), saved);
}

TEST_F(Chunks, ABankGivenBackFromTheHostsOwnPointerLoadsUnchanged) {
    plugin->setParameter(kParamKill, 1.0f);
    const std::vector<unsigned char> before = Bank();
    void* data = nullptr;
    const VstInt32 size = plugin->getChunk(&data, false);
    EXPECT_EQ(plugin->setChunk(data, size, false), 1);
    EXPECT_EQ(Bank(), before);
}

TEST_F(Chunks, AProgramChunkGoesIntoTheCurrentProgramOnly) {
    plugin->setProgram(4);
    std::vector<unsigned char> program = RandomBytes(96, 11);
    void* data = nullptr;
    ASSERT_EQ(plugin->getChunk(&data, true), 96);
    void* bankData = nullptr;
    plugin->getChunk(&bankData, false);
    EXPECT_EQ(data, static_cast<char*>(bankData) + 4 * 96); // the live record of program 4
    const std::vector<unsigned char> before = Bank();
    ASSERT_EQ(plugin->setChunk(program.data(), 96, true), 1);
    const std::vector<unsigned char> after = Bank();
    for (int i = 0; i < 32; ++i) {
        const bool same = std::equal(after.begin() + i * 96, after.begin() + (i + 1) * 96, before.begin() + i * 96);
        EXPECT_EQ(same, i != 4) << i;
    }
    EXPECT_TRUE(std::equal(program.begin(), program.end(), after.begin() + 4 * 96));
    ASSERT_EQ(plugin->getChunk(&data, true), 96);
    EXPECT_EQ(std::memcmp(data, program.data(), 96), 0);
}

TEST_F(Chunks, ShortChunksAreRefusedAndChangeNothing) {
    const std::vector<unsigned char> before = Bank();
    std::vector<unsigned char> junk = RandomBytes(3071, 3);
    testing::internal::CaptureStderr();
    EXPECT_EQ(plugin->setChunk(junk.data(), 95, true), 0);
    EXPECT_EQ(plugin->setChunk(junk.data(), 3071, false), 0);
    EXPECT_EQ(plugin->setChunk(junk.data(), 0, false), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(Bank(), before);
}

TEST_F(Chunks, MissingDataAndNegativeSizesAreRefused) {
    const std::vector<unsigned char> before = Bank();
    std::vector<unsigned char> junk = RandomBytes(4000, 5);
    EXPECT_EQ(plugin->setChunk(nullptr, 3072, false), 0);
    EXPECT_EQ(plugin->setChunk(junk.data(), -1, false), 0);
    EXPECT_EQ(plugin->setChunk(junk.data(), -3072, true), 0);
    EXPECT_EQ(plugin->getChunk(nullptr, false), 0);
    AEffect* effect = plugin->getAeffect();
    EXPECT_EQ(effect->dispatcher(effect, effSetChunk, 0, -5, junk.data(), 0), 0);
    EXPECT_EQ(effect->dispatcher(effect, effSetChunk, 1, 96, nullptr, 0), 0);
    EXPECT_EQ(Bank(), before);
}

TEST_F(Chunks, ALongerBankLoadsAndTellsTheUserSettingsWillBeLost) {
    const std::vector<unsigned char> newer = RandomBytes(3100, 9);
    testing::internal::CaptureStderr();
    EXPECT_EQ(plugin->setChunk(const_cast<unsigned char*>(newer.data()), 3100, false), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), kNewerBank);
    EXPECT_EQ(Bank(), std::vector<unsigned char>(newer.begin(), newer.begin() + 3072));
}

TEST_F(Chunks, ALongerProgramLoadsAndTellsTheUserToo) {
    plugin->setProgram(2);
    std::vector<unsigned char> newer = RandomBytes(100, 13);
    testing::internal::CaptureStderr();
    EXPECT_EQ(plugin->setChunk(newer.data(), 100, true), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), kNewerProgram);
    EXPECT_TRUE(std::equal(newer.begin(), newer.begin() + 96, Bank().begin() + 2 * 96));
}

TEST_F(Chunks, LoadingALowerLimitEndsNoNoteUntilTheNextNoteOn) {
    SetPolyphony(8);
    plugin->setParameter(kParamKill, 1.0f);
    Block({On(0, 60), On(0, 61), On(0, 62), On(0, 63)});
    std::vector<unsigned char> bank = Bank();
    const int32_t two = 2;
    std::memcpy(bank.data() + offsetof(VSTPluginProgram, polyphony), &two, sizeof two);
    LoadBank(bank);
    EXPECT_TRUE(Block().empty());
    EXPECT_EQ(Active(), 4);
    EXPECT_EQ(Block({On(0, 70, 100, 6)}), (std::vector<Msg>{{0x80, 60, 0, 6}, {0x80, 61, 0, 6}, {0x80, 62, 0, 6},
                                                             {0x90, 70, 100, 6}}));
}

TEST_F(Chunks, ANegativeStoredLimitActsLikeZeroAndIsKeptAsStored) {
    Block({On(0, 60)});
    std::vector<unsigned char> bank = Bank();
    const int32_t negative = -3;
    std::memcpy(bank.data() + offsetof(VSTPluginProgram, polyphony), &negative, sizeof negative);
    LoadBank(bank);
    EXPECT_TRUE(Block({On(0, 61)}).empty());
    EXPECT_EQ(plugin->getParameter(kParamPolyphony), 0.0f);
    plugin->setParameter(kParamKill, 1.0f);
    EXPECT_EQ(Block({On(0, 62)}), (std::vector<Msg>{{0x80, 60, 0, 0}}));
    EXPECT_EQ(Active(), 0);
    EXPECT_EQ(Program(0).polyphony, -3);
    // Switching to it from another program ends every note.
    plugin->setProgram(1);
    Block({On(0, 64), On(0, 65)});
    plugin->setProgram(0);
    EXPECT_EQ(Block(), (std::vector<Msg>{{0x80, 64, 0, 0}, {0x80, 65, 0, 0}}));
}

TEST_F(Chunks, TheDispatcherHandsOutTheProgramAndTheBank) {
    AEffect* effect = plugin->getAeffect();
    void* data = nullptr;
    EXPECT_EQ(effect->dispatcher(effect, effGetChunk, 1, 0, &data, 0), 96);
    EXPECT_EQ(effect->dispatcher(effect, effGetChunk, 0, 0, &data, 0), 3072);
    std::vector<unsigned char> bank = RandomBytes(3072, 17);
    EXPECT_EQ(effect->dispatcher(effect, effSetChunk, 0, 3072, bank.data(), 0), 1);
    EXPECT_EQ(Bank(), bank);
}

}  // namespace
