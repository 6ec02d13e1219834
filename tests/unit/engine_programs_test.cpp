// The 32 programs, program switching, names, and program and bank chunks.
#include "engine_rig.h"

#include <algorithm>
#include <random>
#include <string>

using namespace engine_test;

namespace {

using Programs = Engine;
using Chunks = Engine;

std::string ProgramName(PolyphonyEngine& p) {
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

// --- Programs -------------------------------------------------------------------

TEST_F(Programs, NewProgramsAreNumberedEmptyPresets) {
    char text[64];
    const std::pair<int, const char*> names[] = {
        {0, "01 - empty preset"}, {8, "09 - empty preset"}, {9, "10 - empty preset"}, {31, "32 - empty preset"}};
    for (const auto& n : names) {
        ASSERT_TRUE(engine->getProgramNameIndexed(n.first, text));
        EXPECT_STREQ(text, n.second);
    }
    EXPECT_EQ(ProgramName(*engine), "01 - empty preset");
    const VSTPluginProgram p = Program(31);
    EXPECT_EQ(p.polyphony, 16);
    EXPECT_EQ(p.reserved0, 0);
}

TEST_F(Programs, NumbersOutsideTheBankAreIgnored) {
    engine->setProgram(32);
    engine->setProgram(-1);
    EXPECT_EQ(engine->getProgram(), 0);
    char text[8] = "keep";
    EXPECT_FALSE(engine->getProgramNameIndexed(32, text));
    EXPECT_FALSE(engine->getProgramNameIndexed(-1, text));
    EXPECT_STREQ(text, "keep");
}

TEST_F(Programs, SwitchingToALowerLimitEndsTheOldestNotes) {
    SetPolyphony(8);
    engine->setProgram(1);
    SetPolyphony(5);
    engine->setProgram(0);
    std::vector<midievent> notes;
    for (int i = 0; i < 8; ++i)
        notes.push_back(On(0, 50 + i));
    Block(notes);
    engine->setProgram(1);
    EXPECT_EQ(Block(), (std::vector<Msg>{{0x80, 50, 0, 0}, {0x80, 51, 0, 0}, {0x80, 52, 0, 0}}));
    EXPECT_EQ(Active(), 5);
    engine->setProgram(0);
    EXPECT_TRUE(Block().empty());
}

TEST_F(Programs, AProgramChangeByMidiLowersTheLimitToo) {
    engine->setParameter(kParamPresetSwitching, 1.0f);
    engine->setProgram(2);
    SetPolyphony(1);
    engine->setProgram(0);
    Block({On(0, 50), On(0, 51), On(0, 52)});
    EXPECT_EQ(Block({Midi(0xC0, 2, 0)}), (std::vector<Msg>{{0x80, 50, 0, 0}, {0x80, 51, 0, 0}}));
    EXPECT_EQ(engine->getProgram(), 2);
}

TEST_F(Programs, ALongNameKeepsItsFirst47CharactersAndTheCallersTextIsUntouched) {
    std::string sixty(60, 'a');
    for (size_t i = 0; i < sixty.size(); ++i)
        sixty[i] = static_cast<char>('A' + i % 26);
    std::string given = sixty;
    engine->setProgramName(&given[0]);
    EXPECT_EQ(ProgramName(*engine), sixty.substr(0, 47));
    EXPECT_EQ(given, sixty);
    engine->setProgramName(const_cast<char*>("Pads"));
    EXPECT_EQ(ProgramName(*engine), "Pads");
    EXPECT_EQ(Program(1).name, std::string("02 - empty preset"));
}

TEST_F(Programs, NamesFromAChunkWithoutTerminatorStayWithin48Bytes) {
    std::vector<unsigned char> bank = Bank();
    std::memset(bank.data() + offsetof(VSTPluginProgram, name), 'N', 48);
    LoadBank(bank);
    char text[64];
    std::memset(text, '#', sizeof text);
    engine->getProgramName(text);
    EXPECT_EQ(std::string(text), std::string(47, 'N'));
    EXPECT_EQ(text[48], '#');
    std::memset(text, '#', sizeof text);
    ASSERT_TRUE(engine->getProgramNameIndexed(0, text));
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
    engine->setProgram(5);
    Block({On(0, 60), On(0, 61), Off(0, 60), CC(3, 3)});
    engine->setProgram(0);
    EXPECT_EQ(Bank(), saved);
}

TEST_F(Chunks, ABankGivenBackFromTheHostsOwnPointerLoadsUnchanged) {
    engine->setParameter(kParamKill, 1.0f);
    const std::vector<unsigned char> before = Bank();
    void* data = nullptr;
    const int32_t size = engine->getChunk(&data, false);
    EXPECT_EQ(engine->setChunk(data, size, false), ChunkLoad::Loaded);
    EXPECT_EQ(Bank(), before);
}

TEST_F(Chunks, AProgramChunkGoesIntoTheCurrentProgramOnly) {
    engine->setProgram(4);
    std::vector<unsigned char> program = RandomBytes(96, 11);
    void* data = nullptr;
    ASSERT_EQ(engine->getChunk(&data, true), 96);
    const unsigned char* record = static_cast<const unsigned char*>(data);
    const std::vector<unsigned char> current(record, record + 96);
    const std::vector<unsigned char> before = Bank();
    EXPECT_TRUE(std::equal(current.begin(), current.end(), before.begin() + 4 * 96)); // program 4's record
    ASSERT_EQ(engine->setChunk(program.data(), 96, true), ChunkLoad::Loaded);
    const std::vector<unsigned char> after = Bank();
    for (int i = 0; i < 32; ++i) {
        const bool same = std::equal(after.begin() + i * 96, after.begin() + (i + 1) * 96, before.begin() + i * 96);
        EXPECT_EQ(same, i != 4) << i;
    }
    EXPECT_TRUE(std::equal(program.begin(), program.end(), after.begin() + 4 * 96));
    ASSERT_EQ(engine->getChunk(&data, true), 96);
    EXPECT_EQ(std::memcmp(data, program.data(), 96), 0);
}

TEST_F(Chunks, ShortChunksAreRefusedAndChangeNothing) {
    const std::vector<unsigned char> before = Bank();
    std::vector<unsigned char> junk = RandomBytes(3071, 3);
    testing::internal::CaptureStderr();
    EXPECT_EQ(engine->setChunk(junk.data(), 95, true), ChunkLoad::Refused);
    EXPECT_EQ(engine->setChunk(junk.data(), 3071, false), ChunkLoad::Refused);
    EXPECT_EQ(engine->setChunk(junk.data(), 0, false), ChunkLoad::Refused);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(Bank(), before);
}

TEST_F(Chunks, MissingDataAndNegativeSizesAreRefused) {
    const std::vector<unsigned char> before = Bank();
    std::vector<unsigned char> junk = RandomBytes(4000, 5);
    EXPECT_EQ(engine->setChunk(nullptr, 3072, false), ChunkLoad::Refused);
    EXPECT_EQ(engine->setChunk(junk.data(), -1, false), ChunkLoad::Refused);
    EXPECT_EQ(engine->setChunk(junk.data(), -3072, true), ChunkLoad::Refused);
    EXPECT_EQ(engine->getChunk(nullptr, false), 0);
    EXPECT_EQ(Bank(), before);
}

TEST_F(Chunks, ALongerBankLoadsAndIsReportedAsFromANewerVersion) {
    const std::vector<unsigned char> newer = RandomBytes(3100, 9);
    EXPECT_EQ(engine->setChunk(newer.data(), 3100, false), ChunkLoad::LoadedFromNewerVersion);
    EXPECT_EQ(Bank(), std::vector<unsigned char>(newer.begin(), newer.begin() + 3072));
}

TEST_F(Chunks, ALongerProgramLoadsAndIsReportedToo) {
    engine->setProgram(2);
    std::vector<unsigned char> newer = RandomBytes(100, 13);
    EXPECT_EQ(engine->setChunk(newer.data(), 100, true), ChunkLoad::LoadedFromNewerVersion);
    EXPECT_TRUE(std::equal(newer.begin(), newer.begin() + 96, Bank().begin() + 2 * 96));
}

TEST_F(Chunks, LoadingALowerLimitEndsNoNoteUntilTheNextNoteOn) {
    SetPolyphony(8);
    engine->setParameter(kParamKill, 1.0f);
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
    EXPECT_EQ(engine->getParameter(kParamPolyphony), 0.0f);
    engine->setParameter(kParamKill, 1.0f);
    EXPECT_EQ(Block({On(0, 62)}), (std::vector<Msg>{{0x80, 60, 0, 0}}));
    EXPECT_EQ(Active(), 0);
    EXPECT_EQ(Program(0).polyphony, -3);
    // Switching to it from another program ends every note.
    engine->setProgram(1);
    Block({On(0, 64), On(0, 65)});
    engine->setProgram(0);
    EXPECT_EQ(Block(), (std::vector<Msg>{{0x80, 64, 0, 0}, {0x80, 65, 0, 0}}));
}

}  // namespace
