// Singular points at infinity: the directions where x*Q_d - y*P_d vanishes.
#include "test_support.h"

namespace vindrel::engine {
namespace {

using testing::Analyse;

TEST(PointsAtInfinity, NoneGivesExactlyZero)
{
    // x*Q_1 - y*P_1 = x^2 + y^2 has no real linear factor.
    EXPECT_EQ("0", SkellinReport(Analyse("-y", "x")));
    EXPECT_EQ("0", SkellinReport(Analyse("-y^3+x", "x^3-1"))); // x^4 + y^4
}

TEST(PointsAtInfinity, IdenticallyZeroFormIsALineOfSingularities)
{
    const FixedPointAnalysis a = Analyse("x", "y");
    EXPECT_EQ(InfinityKind::LineOfSingularities, a.infinity);
    EXPECT_TRUE(a.infinite.empty()); // the field divided by v crosses the circle everywhere
    EXPECT_EQ("Points à l'infini (compactification de Poincaré) :\nl'infini est une ligne de singularités : "
              "x*Q_d - y*P_d est identiquement nul. On étudie le champ de chaque carte divisé par v, qui "
              "s'annule sur tout le cercle de l'infini ; ses points singuliers sur le cercle sont les "
              "suivants.\nLe champ divisé par v n'a aucun point singulier sur le cercle de l'infini : les "
              "orbites le traversent.\n",
        SkellinReport(a));
}

TEST(PointsAtInfinity, EndOfTheYAxis)
{
    const FixedPointAnalysis a = Analyse("y", "-x+x^2"); // x*x^2 - y*0 = x^3
    ASSERT_EQ(1u, a.infinite.size());
    EXPECT_DOUBLE_EQ(0.0, a.infinite[0].dx);
    EXPECT_DOUBLE_EQ(1.0, a.infinite[0].dy);
    EXPECT_EQ(PointType::Undetermined, a.infinite[0].nature.type);
    EXPECT_EQ(
        "Points à l'infini (compactification de Poincaré) :\n"
        "chaque direction donne deux points opposés du cercle de l'infini.\n"
        "Degré 2 (pair) : le point opposé a la même nature, de stabilité inverse.\n"
        "  direction x = 0 (axe des y) : les deux points : nature non déterminée\n"
        "    carte u = x/y, v = 1/y, point (0 ; 0) : partie linéaire nilpotente : nature non déterminée.\n",
        SkellinReport(a));
}

struct DirectionCase {
    const char* name;
    const char* P;
    const char* Q;
    std::vector<std::string> texts;
};

class Directions : public ::testing::TestWithParam<DirectionCase> { };

TEST_P(Directions, AreListedBySlopeWithExactTexts)
{
    const DirectionCase& c = GetParam();
    const FixedPointAnalysis a = Analyse(c.P, c.Q);
    std::vector<std::string> texts;
    for (const InfinitePoint& p : a.infinite) {
        texts.push_back(p.directionText);
        EXPECT_NEAR(1.0, p.dx * p.dx + p.dy * p.dy, 1e-12);
    }
    EXPECT_EQ(c.texts, texts);
}

const DirectionCase kDirections[] = {
    // x*(2y) - y*(x) = x*y
    { "BothAxes", "x", "2*y", { "y = 0 (axe des x)", "x = 0 (axe des y)" } },
    // x*(x+y) - y*(x) = x^2: only the y-axis
    { "DoubleFactorCountsOnce", "x", "x+y", { "x = 0 (axe des y)" } },
    // x*(4x) - y*(y) = 4x^2 - y^2: slopes -2 and 2
    { "RationalSlopes", "y", "4*x", { "y = -2*x", "y = 2*x" } },
    // x*(x) - y*(-x + y) = x^2 + x*y - y^2: slopes of m^2 - m - 1 = 0
    { "GoldenSlopes", "-x+y", "x", { "y = (1/2 - 1/2*racine(5))*x", "y = (1/2 + 1/2*racine(5))*x" } },
    // x*(2x^2) - y*(y^2) = 2x^3 - y^3: slope m with m^3 = 2
    { "CubeRootSlopeIsDecimal", "y^2", "2*x^2", { "y = m*x avec m = 1,25992105 (à 10^-9 près)" } },
    // x*(y^2 + x^2 - x*y) - y*(y^2) = (x - y)*(x^2 + y^2): slope 1
    { "SlopeOneIsWrittenPlainly", "y^2", "y^2 + x^2 - x*y", { "y = x" } },
};

INSTANTIATE_TEST_SUITE_P(Poincare, Directions, ::testing::ValuesIn(kDirections),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vindrel::engine
