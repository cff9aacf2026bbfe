#include "engine/errors.h"
#include "engine/poly/print.h"
#include "engine/report/result_file.h"
#include "engine/tool/tool_main.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace vindrel::engine {
namespace {

class RunToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = std::filesystem::temp_directory_path()
            / ("vindrel-tool-" + std::to_string(::getpid()) + "-"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        tool_ = ToolSpec { "essai", { "un.res", "deux.res" }, true, dir_ };
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    int Run(
        std::vector<std::string> words, const std::function<std::vector<std::string>(const ParsedSystem&)>& f)
    {
        words.insert(words.begin(), "essai");
        std::vector<char*> argv;
        for (auto& w : words)
            argv.push_back(w.data());
        return RunTool(static_cast<int>(argv.size()), argv.data(), tool_, f);
    }

    std::string Read(const std::string& name) const
    {
        std::ifstream in(dir_ / name, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::filesystem::path dir_;
    ToolSpec tool_;
};

std::vector<std::string> Echo(const ParsedSystem& s)
{
    return { "P = " + ToReport(s.P), "Q = " + ToReport(s.Q) };
}

TEST_F(RunToolTest, WritesEachComputedTextInDosBytes)
{
    EXPECT_EQ(Run({ "y", "-x+x^2", "xy" }, Echo), kExitOk);
    EXPECT_EQ(Read("un.res"), "P = y");
    EXPECT_EQ(Read("deux.res"), "Q = x\xFD - x");
}

TEST_F(RunToolTest, ThePlaceholderIsInPlaceWhileComputing)
{
    std::string seen;
    Run({ "y", "x", "xy" }, [&](const ParsedSystem& s) {
        seen = Read("un.res") + "|" + Read("deux.res");
        return Echo(s);
    });
    EXPECT_EQ(seen, std::string(kPlaceholder) + "|" + kPlaceholder);
}

TEST_F(RunToolTest, ParseErrorGoesIntoEveryFile)
{
    EXPECT_EQ(Run({ "x2", "y", "xy" }, Echo), kExitInputError);
    const std::string text = Read("un.res");
    EXPECT_EQ(text, Read("deux.res"));
    EXPECT_EQ(
        text.rfind("Le syst\x8Ame n'a pas pu \x88tre lu.\r\nErreur dans dx/dt, position 2 : un chiffre", 0),
        0u)
        << text;
}

TEST_F(RunToolTest, RefusedWordsGoIntoEveryFile)
{
    EXPECT_EQ(Run({ "x", "+", "y", "x", "xy" }, Echo), kExitInputError);
    EXPECT_EQ(
        Read("deux.res").rfind("Les composantes ne doivent pas contenir d'espace : \"x + y x\"", 0), 0u);
}

TEST_F(RunToolTest, ParametersNotSupportedIsReportedAsSuch)
{
    EXPECT_EQ(Run({ "a*y", "x", "xy" },
                  [](const ParsedSystem&) -> std::vector<std::string> {
                      throw ParametersNotSupported("Ce calcul ne traite pas les constantes littérales (a).");
                  }),
        kExitInputError);
    EXPECT_EQ(Read("un.res"), "Ce calcul ne traite pas les constantes litt\x82rales (a).\r\n");
}

TEST_F(RunToolTest, UnexpectedExceptionIsAnInternalErrorInEveryFile)
{
    EXPECT_EQ(Run({ "y", "x", "xy" },
                  [](const ParsedSystem&) -> std::vector<std::string> { throw std::runtime_error("boum"); }),
        kExitInternalError);
    EXPECT_EQ(Read("un.res"),
        "Erreur interne de essai : boum\r\nLe calcul n'a pas pu aboutir pour ce syst\x8Ame.\r\n");
}

TEST_F(RunToolTest, WrongNumberOfTextsIsAnInternalError)
{
    EXPECT_EQ(
        Run({ "y", "x", "xy" }, [](const ParsedSystem&) { return std::vector<std::string> { "seul" }; }),
        kExitInternalError);
    EXPECT_NE(Read("deux.res"), kPlaceholder);
}

TEST_F(RunToolTest, UndecodableCharactersAreReplacedNotLost)
{
    EXPECT_EQ(Run({ "y", "x", "xy" },
                  [](const ParsedSystem&) {
                      return std::vector<std::string> { "√2", "ok" };
                  }),
        kExitOk);
    EXPECT_EQ(Read("un.res"), "?2");
    EXPECT_EQ(Read("deux.res"), "ok");
}

TEST_F(RunToolTest, KorbastStyleToolHasNoVariablesWord)
{
    tool_.takesVarsWord = false;
    EXPECT_EQ(Run({ "y", "x+y" }, Echo), kExitOk);
    EXPECT_EQ(Read("deux.res"), "Q = x + y");
}

TEST_F(RunToolTest, UnwritableDirectoryGivesItsOwnStatus)
{
    tool_.outputDir = dir_ / "absent";
    EXPECT_EQ(Run({ "y", "x", "xy" }, Echo), kExitCannotWrite);
}

TEST_F(RunToolTest, OneUnwritableFileLeavesNoPlaceholderInTheOthers)
{
    tool_.files = { "un.res", "absent/deux.res" };
    EXPECT_EQ(Run({ "y", "x", "xy" }, Echo), kExitCannotWrite);
    // The sentence is 70 characters before the directory; past 100 the
    // directory goes on an indented line of its own.
    const std::string dir = dir_.string() + ".";
    EXPECT_EQ(Read("un.res"),
        "Les fichiers de r\x82sultats de essai n'ont pas tous pu \x88tre \x82"
        "crits dans"
            + std::string(70 + dir.size() > 100 ? "\r\n  " : " ") + dir + "\r\n");
}

TEST_F(RunToolTest, ComputationPastTheBudgetEndsWithTheTimeoutMessage)
{
    tool_.budget = std::chrono::milliseconds(200);
    EXPECT_EXIT(Run({ "y", "x", "xy" },
                    [](const ParsedSystem& s) {
                        std::this_thread::sleep_for(std::chrono::seconds(5));
                        return Echo(s);
                    }),
        ::testing::ExitedWithCode(kExitTimeout), "");
    EXPECT_EQ(Read("un.res"),
        "Calcul abandonn\x82 : il d\x82passe le temps permis (10 secondes).\r\n"
        "Essayez un syst\x8Ame plus simple (degr\x82 plus petit, coefficients plus courts).");
    EXPECT_EQ(Read("deux.res"), Read("un.res"));
}

TEST_F(RunToolTest, CooperativeDeadlineGivesTheSameMessage)
{
    EXPECT_EQ(Run({ "y", "x", "xy" },
                  [](const ParsedSystem&) -> std::vector<std::string> {
                      Deadline d(std::chrono::milliseconds(0));
                      d.check();
                      return {};
                  }),
        kExitInputError);
    EXPECT_EQ(Read("un.res").rfind("Calcul abandonn\x82", 0), 0u);
}

} // namespace
} // namespace vindrel::engine
