// velquin2 run as a process from a temporary copy of the program folder.
#include "engine/report/result_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace vindrel::engine {
namespace {

namespace fs = std::filesystem;

class Velquin2Process : public ::testing::Test {
protected:
    void SetUp() override
    {
        const fs::path built = fs::path(VINDREL_APP_DIR) / "sysdyn" / "velquin2";
        ASSERT_TRUE(fs::exists(built)) << "build the velquin2 target first: " << built;
        dir_ = fs::temp_directory_path()
            / ("vindrel-velquin2-" + std::to_string(::getpid()) + "-"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "elsewhere");
        fs::copy_file(built, dir_ / "velquin2");
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs from another current directory: the file must land beside the tool.
    int Run(const std::string& args)
    {
        const std::string cmd = "cd '" + (dir_ / "elsewhere").string() + "' && '"
            + (dir_ / "velquin2").string() + "' " + args + " 2>/dev/null";
        const int raw = std::system(cmd.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    std::string Result() const
    {
        std::ifstream in(dir_ / "quenmar2.pho", std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    fs::path dir_;
};

TEST_F(Velquin2Process, WritesQuenmar2BesideItselfInDosBytes)
{
    EXPECT_EQ(Run("y -x+x^2 xy"), 0);
    const std::string bytes = Result();
    EXPECT_EQ(
        bytes.rfind("Recherche d'un hamiltonien et d'un potentiel\r\n\r\nSyst\x8Ame \x82tudi\x82 :\r\n", 0),
        0u);
    EXPECT_NE(bytes.find("    H(x,y) = -1/3 x^3 + 1/2 x\xFD + 1/2 y\xFD\r\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir_ / "elsewhere" / "quenmar2.pho"));
}

TEST_F(Velquin2Process, RejoinsAComponentTypedWithBlanks)
{
    EXPECT_EQ(Run("y -x \\* \\( 1+x \\) xy"), 0);
    EXPECT_NE(Result().find("dy/dt = Q(x,y) = -x\xFD - x\r\n"), std::string::npos);
}

TEST_F(Velquin2Process, ErrorReplacesThePlaceholderAndFailsTheExit)
{
    EXPECT_EQ(Run("y x2 xy"), 1);
    const std::string bytes = Result();
    EXPECT_EQ(bytes.find(kPlaceholder), std::string::npos);
    EXPECT_NE(
        bytes.find("Erreur dans dy/dt, position 2 : un chiffre ne peut pas suivre directement une lettre"),
        std::string::npos);
}

TEST_F(Velquin2Process, MissingComponentsAreReported)
{
    EXPECT_EQ(Run(""), 1);
    EXPECT_EQ(Result().rfind(
                  "Il faut deux composantes, dx/dt et dy/dt, suivies des variables (xy) : re\x87u \"\".", 0),
        0u);
}

} // namespace
} // namespace vindrel::engine
