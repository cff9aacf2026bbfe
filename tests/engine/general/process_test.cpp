// The korbast program itself, run from a temporary copy of the tool folder
// (never in build/app/): its two files, their encoding, and refusals.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

class KorbastProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        const fs::path tool = fs::path(VINDREL_APP_DIR) / "sysdyn" / "korbast";
        if (!fs::exists(tool)) GTEST_SKIP() << "korbast is not built: " << tool;
        dir = fs::temp_directory_path()
            / ("korbast_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        fs::copy_file(tool, dir / "korbast");
    }
    void TearDown() override
    {
        if (!dir.empty()) fs::remove_all(dir);
    }

    int Run(const std::string& args)
    {
        const std::string cmd = "cd / && '" + (dir / "korbast").string() + "' " + args + " >/dev/null 2>&1";
        const int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string Read(const char* name)
    {
        std::ifstream in(dir / name, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path dir;
};

TEST_F(KorbastProcess, WritesBothFilesBesideItselfInCodePage850WithCrLf)
{
    ASSERT_EQ(Run("y -x+x^2"), 0);
    const std::string conclusions = Read("brisolt.res"), calculations = Read("tarnel2.res");
    EXPECT_EQ(conclusions.rfind("ETUDE GENERALE DU SYSTEME\r\ndx/dt = y\r\ndy/dt = x\xFD - x\r\n", 0), 0u);
    EXPECT_EQ(calculations.rfind("CALCULS EXPLICATIFS\r\ndx/dt = P(x, y) = y\r\n", 0), 0u);
    // "système": è is byte 138 in code page 850.
    EXPECT_NE(conclusions.find("Le syst\x8Ame est de degr\x82 2.\r\n"), std::string::npos);
    EXPECT_EQ(conclusions.find("Calcul en cours"), std::string::npos);
    for (const auto& text : { conclusions, calculations }) {
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\n') {
                EXPECT_EQ(text[i - 1], '\r');
            }
        }
    }
}

TEST_F(KorbastProcess, LiteralConstantsAreExplainedInBothFiles)
{
    ASSERT_EQ(Run("-a -2abx-b"), 0);
    for (const char* f : { "brisolt.res", "tarnel2.res" })
        EXPECT_NE(
            Read(f).find("Cliquez le bouton Hamiltonien? : il traite les constantes litt\x82rales.\r\n"),
            std::string::npos)
            << f;
}

TEST_F(KorbastProcess, AMissingComponentIsRefusedInBothFiles)
{
    EXPECT_NE(Run("y"), 0);
    for (const char* f : { "brisolt.res", "tarnel2.res" }) {
        const std::string text = Read(f);
        EXPECT_FALSE(text.empty()) << f;
        EXPECT_EQ(text.find("Calcul en cours"), std::string::npos) << f;
        EXPECT_EQ(text.find("ETUDE GENERALE"), std::string::npos) << f;
    }
}

} // namespace
