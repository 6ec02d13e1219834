// The preset containers: byte layout, round trips and what is refused.
#include <gtest/gtest.h>

#include "plugin/vst/aeffect.h"
#include "tools/tessaro-host/presetfile.h"

using namespace tessaro::host;

namespace {

uint32_t Be32(const std::vector<uint8_t>& b, size_t at)
{
    return (uint32_t(b[at]) << 24) | (uint32_t(b[at + 1]) << 16) | (uint32_t(b[at + 2]) << 8) | b[at + 3];
}

PresetFile Program()
{
    PresetFile p;
    p.kind = PresetFile::Kind::Program;
    p.fxID = kVstFourCC('T', 'S', 'R', 'o');
    p.fxVersion = 1;
    p.numPrograms = 32;
    p.programName = "Four voices, kill";
    for (int i = 0; i < 96; ++i)
        p.chunk.push_back(uint8_t(i * 3));
    return p;
}

PresetFile Bank()
{
    PresetFile p = Program();
    p.kind = PresetFile::Kind::Bank;
    p.programName.clear();
    p.chunk.assign(3072, 0);
    for (size_t i = 0; i < p.chunk.size(); ++i)
        p.chunk[i] = uint8_t(i ^ (i >> 8));
    return p;
}

}  // namespace

TEST(PresetFiles, AProgramFileHasTheStandardLayout)
{
    const std::vector<uint8_t> b = EncodePreset(Program());
    ASSERT_EQ(b.size(), 60u + 96u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "CcnK");
    EXPECT_EQ(Be32(b, 4), b.size() - 8);
    EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 12), "FPCh");
    EXPECT_EQ(Be32(b, 12), 1u);
    EXPECT_EQ(std::string(b.begin() + 16, b.begin() + 20), "TSRo");
    EXPECT_EQ(Be32(b, 20), 1u);
    EXPECT_EQ(Be32(b, 24), 32u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[28])), "Four voices, kill");
    EXPECT_EQ(Be32(b, 56), 96u);
    EXPECT_EQ(b[60], 0);
    EXPECT_EQ(b[61], 3);
}

TEST(PresetFiles, ABankFileHasTheStandardLayout)
{
    const std::vector<uint8_t> b = EncodePreset(Bank());
    ASSERT_EQ(b.size(), 160u + 3072u);
    EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 12), "FBCh");
    EXPECT_EQ(Be32(b, 4), b.size() - 8);
    for (size_t i = 28; i < 156; ++i)
        ASSERT_EQ(b[i], 0) << "future byte " << i;
    EXPECT_EQ(Be32(b, 156), 3072u);
    EXPECT_EQ(b[160 + 258], uint8_t(258 ^ 1));
}

TEST(PresetFiles, ProgramsAndBanksReadBackAsTheyWereWritten)
{
    for (const PresetFile& original : {Program(), Bank()}) {
        PresetFile read;
        std::string error;
        ASSERT_TRUE(DecodePreset(EncodePreset(original), read, error)) << error;
        EXPECT_EQ(read.kind, original.kind);
        EXPECT_EQ(read.fxID, original.fxID);
        EXPECT_EQ(read.fxVersion, original.fxVersion);
        EXPECT_EQ(read.numPrograms, original.numPrograms);
        EXPECT_EQ(read.programName, original.programName);
        EXPECT_EQ(read.chunk, original.chunk);
        EXPECT_EQ(read.currentProgram, -1);
    }
}

TEST(PresetFiles, AVersionTwoBankKeepsItsCurrentProgram)
{
    PresetFile bank = Bank();
    bank.version = 2;
    bank.currentProgram = 7;
    const std::vector<uint8_t> b = EncodePreset(bank);
    EXPECT_EQ(Be32(b, 28), 7u);
    PresetFile read;
    std::string error;
    ASSERT_TRUE(DecodePreset(b, read, error)) << error;
    EXPECT_EQ(read.currentProgram, 7);
}

TEST(PresetFiles, ALongProgramNameIsCutToFitItsField)
{
    PresetFile p = Program();
    p.programName = std::string(40, 'x');
    PresetFile read;
    std::string error;
    ASSERT_TRUE(DecodePreset(EncodePreset(p), read, error)) << error;
    EXPECT_EQ(read.programName, std::string(27, 'x'));
}

TEST(PresetFiles, EveryTruncatedFileIsRefused)
{
    for (const PresetFile& original : {Program(), Bank()}) {
        const std::vector<uint8_t> full = EncodePreset(original);
        for (size_t n = 0; n < full.size(); ++n) {
            PresetFile read;
            read.fxID = 42;
            std::string error;
            ASSERT_FALSE(DecodePreset(std::vector<uint8_t>(full.begin(), full.begin() + ptrdiff_t(n)), read, error))
                << n << " bytes";
            ASSERT_FALSE(error.empty());
            ASSERT_EQ(read.fxID, 42) << "a refused file must leave the result alone";
        }
    }
}

TEST(PresetFiles, FilesOfOtherKindsAreRefusedWithAReason)
{
    std::vector<uint8_t> b = EncodePreset(Program());
    std::string error;
    PresetFile read;

    std::vector<uint8_t> wrongMagic = b;
    wrongMagic[0] = 'X';
    EXPECT_FALSE(DecodePreset(wrongMagic, read, error));
    EXPECT_NE(error.find("CcnK"), std::string::npos) << error;

    std::vector<uint8_t> parameters = b;
    parameters[9] = 'x';
    parameters[10] = 'C';
    parameters[11] = 'k';  // FxCk: a program of parameter values
    EXPECT_FALSE(DecodePreset(parameters, read, error));
    EXPECT_NE(error.find("parameter values"), std::string::npos) << error;

    std::vector<uint8_t> unknown = b;
    unknown[8] = 'Z';
    EXPECT_FALSE(DecodePreset(unknown, read, error));
    EXPECT_NE(error.find("unknown preset kind"), std::string::npos) << error;

    std::vector<uint8_t> hugeChunk = b;
    hugeChunk[56] = 0x7F;  // chunk size far beyond the file
    EXPECT_FALSE(DecodePreset(hugeChunk, read, error));
    EXPECT_NE(error.find("cut off"), std::string::npos) << error;

    std::vector<uint8_t> negativeChunk = b;
    negativeChunk[56] = 0xFF;
    EXPECT_FALSE(DecodePreset(negativeChunk, read, error));
}

TEST(PresetFiles, UniqueIdsAreShownAsTheirFourCharacters)
{
    EXPECT_EQ(FourCCText(kVstFourCC('T', 'S', 'R', 'o')), "'TSRo'");
    EXPECT_EQ(FourCCText(0x00000102), "0x00000102");
}

TEST(PresetFiles, TheFileNameChoosesProgramOrBank)
{
    bool known;
    EXPECT_TRUE(PathWantsBank("a/b/all.FXB", known));
    EXPECT_TRUE(known);
    EXPECT_FALSE(PathWantsBank("one.fxp", known));
    EXPECT_TRUE(known);
    PathWantsBank("preset.bin", known);
    EXPECT_FALSE(known);
}
