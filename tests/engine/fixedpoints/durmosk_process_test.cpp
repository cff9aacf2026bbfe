// durmosk run as a process from a temporary copy of the program folder:
// its two files, their bytes, the lone 0 and literal constants.
#include "engine/support/tool_copy.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vindrel::engine {
namespace {

namespace fs = std::filesystem;

class DurmoskProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fs::exists(tool_.built())) << "build the durmosk target first: " << tool_.built();
        tool_.Make("vindrel-durmosk");
        dir_ = tool_.dir();
    }

    int Run(const std::string& args) { return tool_.Run(args, dir_ / "elsewhere"); }
    std::string File(const char* name) const { return tool_.Read(name); }

    test::ToolCopy tool_ { "durmosk" };
    fs::path dir_;
};

TEST_F(DurmoskProcess, WritesBothFilesBesideItselfInDosBytes)
{
    EXPECT_EQ(0, Run("y -x+x^2 xy"));
    const std::string dovra = File("dovra.res");
    EXPECT_EQ(0u,
        dovra.rfind("Points fixes du syst\x8Ame (degr\x82 2)\r\n    dx/dt = y\r\n    dy/dt = x\xFD - "
                    "x\r\n\r\n2 points fixes r\x82"
                    "els isol\x82s :\r\n",
            0));
    EXPECT_NE(std::string::npos, dovra.find("Point 2 : (1 ; 0)\r\n"));
    EXPECT_NE(std::string::npos, dovra.find("  nature : col (d\x82terminant < 0)\r\n"));
    EXPECT_NE(std::string::npos, dovra.find("  trace T = 0, d\x82terminant D = 1, T\xFD - 4D = -4\r\n"));
    EXPECT_EQ("Points \x85 l'infini (compactification de Poincar\x82) :\r\n"
              "chaque direction donne deux points oppos\x82s du cercle de l'infini.\r\n"
              "Degr\x82 2 (pair) : le point oppos\x82 a la m\x88me nature, de stabilit\x82 inverse.\r\n"
              "  direction x = 0 (axe des y) : c\x93t\x82 y > 0 : noeud stable ; c\x93t\x82 y < 0 : noeud "
              "instable\r\n"
              "    carte u = x/y, v = 1/y, point (0 ; 0) : au point ramen\x82 \x85 l'origine (x = u, y = v) : Partie\r\n"
              "      lin\x82"
              "aire nilpotente (T = D = 0, J <> 0). Th\x82or\x8Ame d'Andreev : F(x) = -x^5 + ... (n = 5) et\r\n"
              "      G(x) = -4*x^2 + ... (m = 2). Le point est : noeud stable.\r\n",
        File("skellin.res"));
    EXPECT_FALSE(fs::exists(dir_ / "elsewhere" / "dovra.res"));
}

TEST_F(DurmoskProcess, NoPointAtInfinityLeavesJustZero)
{
    EXPECT_EQ(0, Run("-y x xy"));
    EXPECT_EQ("0", File("skellin.res"));
}

TEST_F(DurmoskProcess, SeveralConstantsAskForNumbersInBothFiles)
{
    // Not an error: the discussion treats one constant, the Hamiltonian search several.
    EXPECT_EQ(0, Run("a*y -b*x xy"));
    const std::string expected
        = "La discussion selon les valeurs d'une constante ne traite qu'une seule constante litt\x82rale ; ce\r\n"
          "  syst\x8Ame en contient plusieurs : a et b.\r\n"
          "Donnez une valeur num\x82rique \x85 toutes les constantes sauf une pour obtenir la discussion ; seule "
          "la\r\n"
          "  recherche d'un hamiltonien (bouton Hamiltonien?) traite plusieurs constantes.\r\n";
    EXPECT_EQ(expected, File("dovra.res"));
    EXPECT_EQ(expected, File("skellin.res"));
}

TEST_F(DurmoskProcess, OneConstantGivesThePointsCaseByCase)
{
    EXPECT_EQ(0, Run("a-x^2 -y xy"));
    EXPECT_NE(std::string::npos, File("dovra.res").find("Si a = 0 :\r\n  Un point fixe r\x82"
                                                        "el isol\x82 :\r\n"));
}

TEST_F(DurmoskProcess, UnreadableComponentIsReportedInBothFiles)
{
    EXPECT_EQ(1, Run("y 'sin(x)' xy"));
    EXPECT_EQ(0u, File("dovra.res").rfind("Le syst\x8Ame n'a pas pu \x88tre lu.\r\nErreur dans dy/dt", 0));
    EXPECT_EQ(File("dovra.res"), File("skellin.res"));
}

} // namespace
} // namespace vindrel::engine
