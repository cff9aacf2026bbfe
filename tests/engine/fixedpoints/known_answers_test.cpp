// Textbook systems with known fixed points, natures and counts.
#include "test_support.h"

#include <optional>

namespace vindrel::engine {
namespace {

using testing::Analyse;

struct ExpectedPoint {
    std::string x, y; // exact JSON texts ("" when not exact)
    const char* linearPart;
    const char* type;
    const char* stability; // nullptr for none
};

struct KnownSystem {
    const char* name;
    const char* P;
    const char* Q;
    std::vector<ExpectedPoint> points;
    int complexCount;
    std::vector<std::string> curves;
};

class KnownSystems : public ::testing::TestWithParam<KnownSystem> { };

TEST_P(KnownSystems, FindsEveryPointWithItsNature)
{
    const KnownSystem& k = GetParam();
    const FixedPointAnalysis a = Analyse(k.P, k.Q);
    ASSERT_TRUE(a.pointsCertified) << a.notice;
    ASSERT_EQ(k.points.size(), a.points.size()) << DovraReport(a);
    for (size_t i = 0; i < k.points.size(); ++i) {
        const ExpectedPoint& e = k.points[i];
        const FixedPoint& p = a.points[i];
        EXPECT_EQ(e.x, p.xJson) << "point " << i;
        EXPECT_EQ(e.y, p.yJson) << "point " << i;
        EXPECT_STREQ(e.linearPart, JsonName(p.nature.linearPart)) << "point " << i;
        EXPECT_STREQ(e.type, JsonName(p.nature.type)) << "point " << i;
        const char* st = JsonName(p.nature.stability);
        EXPECT_EQ(std::string(e.stability ? e.stability : "null"), std::string(st ? st : "null"))
            << "point " << i;
    }
    EXPECT_EQ(k.complexCount, a.complexCount);
    std::vector<std::string> curves;
    for (const FixedCurve& c : a.curves)
        curves.push_back(c.json);
    EXPECT_EQ(k.curves, curves);
}

const KnownSystem kSystems[] = {
    { "CentreCandidateAndSaddle", "y", "-x+x^2",
        { { "0", "0", "imaginary", "undetermined", nullptr }, { "1", "0", "hyperbolic", "saddle", nullptr } },
        0, {} },
    { "LotkaVolterraSaddleAndCentreCandidate", "x-x*y", "-y+x*y",
        { { "0", "0", "hyperbolic", "saddle", nullptr }, { "1", "1", "imaginary", "undetermined", nullptr } },
        0, {} },
    { "CompetitionWithFourPoints", "x*(3-x-2*y)", "y*(2-x-y)",
        { { "0", "0", "hyperbolic", "node", "unstable" }, { "0", "2", "hyperbolic", "node", "stable" },
            { "1", "1", "hyperbolic", "saddle", nullptr }, { "3", "0", "hyperbolic", "node", "stable" } },
        0, {} },
    { "GoldenRatioCoordinate", "y", "x^2-x-1",
        { { "1/2 - 1/2*sqrt(5)", "0", "imaginary", "undetermined", nullptr },
            { "1/2 + 1/2*sqrt(5)", "0", "hyperbolic", "saddle", nullptr } },
        0, {} },
    { "HalfSquareRootCoordinate", "4*x^2-5", "y",
        { { "-sqrt(5)/2", "0", "hyperbolic", "saddle", nullptr },
            { "sqrt(5)/2", "0", "hyperbolic", "node", "unstable" } },
        0, {} },
    { "BothCoordinatesQuadraticInAQuarticField", "x^2-2", "y^2-3",
        { { "-sqrt(2)", "-sqrt(3)", "hyperbolic", "node", "stable" },
            { "-sqrt(2)", "sqrt(3)", "hyperbolic", "saddle", nullptr },
            { "sqrt(2)", "-sqrt(3)", "hyperbolic", "saddle", nullptr },
            { "sqrt(2)", "sqrt(3)", "hyperbolic", "node", "unstable" } },
        0, {} },
    { "DoubleRootIsOnePointWithNilpotentPart", "y", "x^2",
        { { "0", "0", "nilpotent", "undetermined", nullptr } }, 0, {} },
    { "TwoPointsWithEqualAbscissa", "x", "y^2-1",
        { { "0", "-1", "hyperbolic", "saddle", nullptr }, { "0", "1", "hyperbolic", "node", "unstable" } }, 0,
        {} },
    { "VeryClosePointsAreSeparated", "y", "(x-1)*(1000000000000*x-1000000000001)",
        { { "1", "0", "imaginary", "undetermined", nullptr },
            { "1000000000001/1000000000000", "0", "hyperbolic", "saddle", nullptr } },
        0, {} },
    { "NoRealPointTwoComplexOnes", "x^2+y^2+1", "x-y", {}, 2, {} },
    { "CubeRootIsDecimalAndComplexPairCounted", "y", "x^3-2",
        { { "", "0", "hyperbolic", "saddle", nullptr } }, 2, {} },
    { "StarNode", "x", "y", { { "0", "0", "hyperbolic", "star_node", "unstable" } }, 0, {} },
    { "DegenerateNode", "-x+y", "-y", { { "0", "0", "hyperbolic", "degenerate_node", "stable" } }, 0, {} },
    { "StableFocus", "-x-y", "x-y", { { "0", "0", "hyperbolic", "focus", "stable" } }, 0, {} },
    { "SemiHyperbolic", "x^2", "-y", { { "0", "0", "semi-hyperbolic", "undetermined", nullptr } }, 0, {} },
    { "ZeroLinearPart", "x^2", "y^2", { { "0", "0", "zero", "undetermined", nullptr } }, 0, {} },
    { "LineOfFixedPointsPlusIsolatedSaddle", "x*y", "x*(x+y-1)",
        { { "1", "0", "hyperbolic", "saddle", nullptr } }, 0, { "x" } },
    { "CircleOfFixedPointsPlusStarNode", "(x^2+y^2-1)*x", "(x^2+y^2-1)*(y-2)",
        { { "0", "2", "hyperbolic", "star_node", "unstable" } }, 0, { "x^2 + y^2 - 1" } },
    { "CommonFactorWithoutRealPointIsNoCurve", "(x^2+y^2+1)*x", "(x^2+y^2+1)*y",
        { { "0", "0", "hyperbolic", "star_node", "unstable" } }, 0, {} },
    { "CommonFactorWithOnlyAnIsolatedRealPoint", "(x^2+y^2)*(x-1)", "(x^2+y^2)*y",
        { { "0", "0", "zero", "undetermined", nullptr }, { "1", "0", "hyperbolic", "star_node", "unstable" } },
        0, {} },
    { "PointOnTheCurveIsNotIsolated", "x^2", "x*y", {}, 0, { "x" } },
    { "MultipleIrrationalPointsNeedTheGcdOverTheirField", "(x^2-2)^2", "(y-x)^2",
        { { "-sqrt(2)", "-sqrt(2)", "zero", "undetermined", nullptr },
            { "sqrt(2)", "sqrt(2)", "zero", "undetermined", nullptr } },
        0, {} },
    { "ZeroComponentMakesTheOtherACurve", "0", "x^2+y^2-1", {}, 0, { "x^2 + y^2 - 1" } },
    { "ZeroComponentWithoutRealCurve", "0", "x^2+1", {}, 0, {} },
    { "ConstantComponentHasNoFixedPoint", "1", "x", {}, 0, {} },
    { "ComplexPointOnTheCurveIsNotCounted", "(x-y)*(x^2+1)", "(x-y)*(y^2+1)", {}, 2, { "x - y" } },
};

INSTANTIATE_TEST_SUITE_P(Textbook, KnownSystems, ::testing::ValuesIn(kSystems),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FixedPointTexts, RationalPointReportShowsExactJacobianTraceAndEigenvalues)
{
    const FixedPointAnalysis a = Analyse("y", "-x+x^2");
    EXPECT_EQ("Points fixes du système (degré 2)\n"
              "    dx/dt = y\n"
              "    dy/dt = x² - x\n"
              "\n"
              "2 points fixes réels isolés :\n"
              "\n"
              "Point 1 : (0 ; 0)\n"
              "  matrice jacobienne : [0  1 ; -1  0]\n"
              "  trace T = 0, déterminant D = 1, T² - 4D = -4\n"
              "  valeurs propres : lambda1 = i, lambda2 = -i\n"
              "  nature : nature non déterminée par la partie linéaire (valeurs propres imaginaires pures : "
              "centre ou foyer faible)\n"
              "\n"
              "Point 2 : (1 ; 0)\n"
              "  matrice jacobienne : [0  1 ; 1  0]\n"
              "  trace T = 0, déterminant D = -1, T² - 4D = 4\n"
              "  valeurs propres : lambda1 = 1, lambda2 = -1\n"
              "  nature : col (déterminant < 0)\n"
              "\n"
              "Solutions non réelles (sans multiplicité) : 0\n",
        DovraReport(a));
    EXPECT_DOUBLE_EQ(0.0, a.points[0].trace);
    EXPECT_DOUBLE_EQ(1.0, a.points[0].determinant);
    EXPECT_DOUBLE_EQ(-1.0, a.points[1].determinant);
}

TEST(FixedPointTexts, QuadraticPointUsesRacineInTheReportAndSqrtInJson)
{
    const FixedPointAnalysis a = Analyse("4*x^2-5", "y");
    ASSERT_EQ(2u, a.points.size());
    EXPECT_EQ("racine(5)/2", a.points[1].xText);
    EXPECT_EQ("sqrt(5)/2", a.points[1].xJson);
    EXPECT_NEAR(1.118033988749895, a.points[1].xApprox, 1e-15);
    EXPECT_NE(std::string::npos, DovraReport(a).find("Point 2 : (racine(5)/2 ; 0)"));
}

TEST(FixedPointTexts, ComplexEigenvaluesOfARationalFocusAreExact)
{
    const FixedPointAnalysis a = Analyse("-x-y", "x-y");
    EXPECT_EQ("-1 + i", a.points[0].eigenText[0]);
    EXPECT_EQ("-1 - i", a.points[0].eigenText[1]);
    const FixedPointAnalysis b = Analyse("-y", "x+y"); // T = 1, D = 1
    EXPECT_EQ("1/2 + i*racine(3)/2", b.points[0].eigenText[0]);
    EXPECT_EQ("1/2 - i*racine(3)/2", b.points[0].eigenText[1]);
    EXPECT_EQ("foyer instable (T² - 4D < 0 et trace non nulle, trace > 0)",
        DovraReport(b).substr(DovraReport(b).find("foyer")).substr(0, 59));
}

TEST(FixedPointTexts, NonQuadraticCoordinateIsADecimalWithItsBound)
{
    const FixedPointAnalysis a = Analyse("y", "x^3-2");
    ASSERT_EQ(1u, a.points.size());
    EXPECT_EQ("1,25992105 (à 10^-9 près)", a.points[0].xText);
    EXPECT_NEAR(1.2599210498948732, a.points[0].xApprox, 1e-15);
    EXPECT_LE(a.points[0].xBox[0], 1.2599210498948732);
    EXPECT_GE(a.points[0].xBox[1], 1.2599210498948732);
}

TEST(FixedPointTexts, WholePlaneOfFixedPoints)
{
    const FixedPointAnalysis a = Analyse("0", "0");
    EXPECT_TRUE(a.wholePlaneFixed);
    EXPECT_EQ("Points fixes du système (degré 0)\n    dx/dt = 0\n    dy/dt = 0\n\n"
              "P = Q = 0 : tous les points du plan sont fixes.\n",
        DovraReport(a));
    EXPECT_EQ("Points à l'infini (compactification de Poincaré) :\nl'infini est une ligne de singularités\n",
        SkellinReport(a));
}

TEST(FixedPointTexts, CurveIsNamedInTheReport)
{
    const FixedPointAnalysis a = Analyse("x*y", "x*(x+y-1)");
    EXPECT_NE(std::string::npos, DovraReport(a).find("Courbe de points fixes : x = 0\n"));
    EXPECT_NE(std::string::npos,
        DovraReport(Analyse("(x^2+y^2-1)*x", "(x^2+y^2-1)*(y-2)"))
            .find("Courbe de points fixes : x² + y² - 1 = 0\n"));
}

struct NatureLine {
    const char* P;
    const char* Q;
    const char* line;
};

class NatureLines : public ::testing::TestWithParam<NatureLine> { };

TEST_P(NatureLines, NameTheTypeStabilityAndRule)
{
    const std::string report = DovraReport(Analyse(GetParam().P, GetParam().Q));
    EXPECT_NE(std::string::npos, report.find(std::string("  nature : ") + GetParam().line + "\n")) << report;
}

const NatureLine kNatureLines[] = {
    { "x+y", "x-y", "col (déterminant < 0)" },
    { "-2*x", "-y", "noeud stable (déterminant > 0 et T² - 4D > 0, trace < 0)" },
    { "2*x", "y", "noeud instable (déterminant > 0 et T² - 4D > 0, trace > 0)" },
    { "-x", "-y", "noeud étoilé stable (T² - 4D = 0 et matrice jacobienne scalaire, trace < 0)" },
    { "x+y", "y", "noeud dégénéré instable (T² - 4D = 0 et matrice jacobienne non scalaire, trace > 0)" },
    { "x-y", "x+y", "foyer instable (T² - 4D < 0 et trace non nulle, trace > 0)" },
    { "y", "-x+y^2",
        "nature non déterminée par la partie linéaire (valeurs propres imaginaires pures : centre ou "
        "foyer faible)" },
    { "x^2", "-y",
        "nature non déterminée par la partie linéaire (une valeur propre nulle : point semi-hyperbolique)" },
    { "x^2", "y^2", "nature non déterminée par la partie linéaire (partie linéaire nulle)" },
};

INSTANTIATE_TEST_SUITE_P(Linear, NatureLines, ::testing::ValuesIn(kNatureLines));

// ---- the hook for non-hyperbolic points -------------------------------------

TEST(LocalClassifierHook, ReceivesTheSystemTranslatedToTheOrigin)
{
    std::vector<std::string> seen;
    FixedPointOptions options;
    options.classifier = [&](const flint::FmpqMpoly& p, const flint::FmpqMpoly& q) -> std::optional<Nature> {
        seen.push_back(flint::TakeString(fmpq_mpoly_get_str_pretty(p.raw(), p.ctx()->cnames(), p.craw()))
            + " | " + flint::TakeString(fmpq_mpoly_get_str_pretty(q.raw(), q.ctx()->cnames(), q.craw())));
        Nature n;
        n.linearPart = LinearPart::Imaginary;
        n.type = PointType::Center;
        n.explanation = "hamiltonien";
        return n;
    };
    const FixedPointAnalysis a = Analyse("y", "-x+x^2", options);
    // The saddle is not passed; the nilpotent end of the y-axis (chart u = x/y, v = 1/y) is.
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ("-x^3 + x^2*y + y | -x^2*y + x*y^2", seen[0]);
    EXPECT_EQ("y | x^2 - x", seen[1]);
    EXPECT_EQ(PointType::Center, a.points[0].nature.type);
    EXPECT_NE(std::string::npos, DovraReport(a).find("  nature : centre\n  hamiltonien\n"));

    seen.clear();
    Analyse("y-1", "-(x-2)", options);
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("y | -x", seen[0]);
}

TEST(LocalClassifierHook, KeepsTheHonestTextWhenItCannotDecide)
{
    FixedPointOptions options;
    options.classifier
        = [](const flint::FmpqMpoly&, const flint::FmpqMpoly&) { return std::optional<Nature>(); };
    const FixedPointAnalysis a = Analyse("y", "x^2", options);
    EXPECT_EQ(LinearPart::Nilpotent, a.points[0].nature.linearPart);
    EXPECT_NE(std::string::npos,
        DovraReport(a).find("nature non déterminée par la partie linéaire (partie linéaire nilpotente)"));
}

// ---- limits and misuse --------------------------------------------------------

TEST(FixedPointLimits, ExpiredBudgetSaysWhatWasNotCertified)
{
    const FixedPointAnalysis a = AnalyseFixedPoints(
        testing::Poly("y"), testing::Poly("-x+x^2"), Deadline(std::chrono::milliseconds(-1)));
    EXPECT_FALSE(a.pointsCertified);
    EXPECT_TRUE(a.points.empty());
    EXPECT_EQ("Points fixes du système (degré 2)\n"
              "    dx/dt = y\n"
              "    dy/dt = x² - x\n"
              "\n"
              "Les points fixes isolés n'ont pas été certifiés : le temps permis (10 secondes) est dépassé.\n"
              "Les courbes de points fixes ci-dessus et les points à l'infini sont certifiés.\n",
        DovraReport(a));
    EXPECT_EQ(1u, a.infinite.size());
}

// No cap on the degrees: a product of degrees beyond 400 is solved when the
// budget allows it, and gives up with the budget's message when it does not.
TEST(FixedPointLimits, HighDegreesAreSolvedWithinTheBudgetOrSayWhy)
{
    const FixedPointAnalysis a = Analyse("x^21+y", "y^20-x");
    ASSERT_TRUE(a.pointsCertified) << a.notice;
    // y = -x^21 and x = y^20 = x^420: x = 0 or x^419 = 1, so (0, 0) and (1, -1).
    ASSERT_EQ(2u, a.points.size());
    EXPECT_DOUBLE_EQ(1, a.points[1].xApprox);
    EXPECT_DOUBLE_EQ(-1, a.points[1].yApprox);
    const FixedPointAnalysis b = AnalyseFixedPoints(
        testing::Poly("x^21+y"), testing::Poly("y^20-x"), Deadline::ForBudget(std::chrono::milliseconds(2)));
    EXPECT_FALSE(b.pointsCertified);
    EXPECT_EQ(
        "Les points fixes isolés n'ont pas été certifiés : le temps permis (0,002 seconde) est dépassé.\n"
        "Les courbes de points fixes ci-dessus et les points à l'infini sont certifiés.",
        b.notice);
}

TEST(FixedPointLimits, LiteralConstantsAreRejected)
{
    auto ctx = std::make_shared<const flint::MpolyCtx>(std::vector<std::string> { "x", "y", "a" });
    EXPECT_THROW(AnalyseFixedPoints(
                     testing::Poly("a*y", ctx), testing::Poly("-x", ctx), Deadline(std::chrono::hours(1))),
        std::invalid_argument);
    // A context with more variables is fine while they do not occur.
    EXPECT_EQ(1u,
        AnalyseFixedPoints(testing::Poly("y", ctx), testing::Poly("-x", ctx), Deadline(std::chrono::hours(1)))
            .points.size());
}

} // namespace
} // namespace vindrel::engine
