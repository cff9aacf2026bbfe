#include "decode_table.h"
#include "engine/report/dos.h"
#include "engine/report/result_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vindrel::engine {
namespace {

using testing::FrontEndRead;

TEST(ToDos850, EachFrenchLetterGetsItsDosCode)
{
    EXPECT_EQ(ToDos850("éèêëçàâäûùüïîôö²"),
        std::string("\x82\x8A\x88\x89\x87\x85\x83\x84\x96\x97\x81\x8B\x8C\x93\x94\xFD"));
}

TEST(ToDos850, LineFeedsBecomeCrLf)
{
    EXPECT_EQ(ToDos850("a\nb\n"), "a\r\nb\r\n");
}

TEST(ToDos850, RefusesCharactersTheFrontEndCannotShow)
{
    for (const char* text : { "É", "«", "√5", "∞", "λ", "≠", "\xC3", "€" })
        EXPECT_THROW(ToDos850(text), std::logic_error) << text;
    EXPECT_FALSE(IsDecodable("Équation"));
    EXPECT_TRUE(IsDecodable("Système de gradient : dP/dy = dQ/dx, x² + 1"));
}

TEST(ToDos850, EveryAllowedTextReadsBackUnchanged)
{
    std::string all;
    for (int c = 0x20; c < 0x7F; ++c)
        all += static_cast<char>(c);
    all += "\néèêëçàâäûùüïîôö²\nfin";
    EXPECT_EQ(FrontEndRead(ToDos850(all)), all);
}

TEST(SanitizeForDos, ReplacesWhatCannotBeShownAndKeepsTheRest)
{
    EXPECT_EQ(SanitizeForDos("x×y é\t\xFF²"), "x?y é??²");
    EXPECT_TRUE(IsDecodable(SanitizeForDos("«√∞»\x01\xC3")));
}

class ResultFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = std::filesystem::temp_directory_path()
            / ("vindrel-result-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    static std::string Bytes(const std::filesystem::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::filesystem::path dir_;
};

TEST_F(ResultFile, WritesDosBytesAndLeavesNoTemporaryFile)
{
    const auto file = dir_ / "quenmar2.pho";
    WriteResultFile(file, "Hamiltonien\nH = x² + y²");
    EXPECT_EQ(Bytes(file), "Hamiltonien\r\nH = x\xFD + y\xFD");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);
}

TEST_F(ResultFile, ReplacesTheOldFileWhole)
{
    const auto file = dir_ / "dovra.res";
    WriteResultFile(file, std::string(10000, 'a'));
    WriteResultFile(file, "court");
    EXPECT_EQ(Bytes(file), "court");
}

TEST_F(ResultFile, RefusedTextLeavesTheOldFileUntouched)
{
    const auto file = dir_ / "dovra.res";
    WriteResultFile(file, "ancien");
    EXPECT_THROW(WriteResultFile(file, "√2"), std::logic_error);
    EXPECT_EQ(Bytes(file), "ancien");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);
}

TEST_F(ResultFile, UnwritableDirectoryIsAnError)
{
    EXPECT_THROW(WriteResultFile(dir_ / "absent" / "f.res", "x"), std::system_error);
}

TEST(ExecutableDir, IsTheDirectoryOfTheTestProgram)
{
    EXPECT_EQ(ExecutableDir(), std::filesystem::canonical("/proc/self/exe").parent_path());
}

TEST(Placeholder, IsDecodable)
{
    EXPECT_TRUE(IsDecodable(kPlaceholder));
}

} // namespace
} // namespace vindrel::engine
