// The nature of the points at infinity: known answers worked out by hand in
// the charts u = y/x, v = 1/x and u = x/y, v = 1/y, the opposite point's
// stability by the parity of the degree, and the exact skellin.res texts.
#include "engine/fixedpoints/system.h"
#include "test_support.h"

namespace vindrel::engine {
namespace {

FixedPointAnalysis Full(const std::string& p, const std::string& q)
{
    return AnalyseSystemFixedPoints(ParseSystem(p, q), Deadline());
}

struct Expected {
    std::string direction;
    PointType type;
    Stability stability;
    Stability opposite;
};

struct NatureCase {
    const char* name;
    const char* P;
    const char* Q;
    std::vector<Expected> points;
};

class InfiniteNatures : public ::testing::TestWithParam<NatureCase> { };

TEST_P(InfiniteNatures, MatchTheHandComputation)
{
    const NatureCase& c = GetParam();
    const FixedPointAnalysis a = Full(c.P, c.Q);
    ASSERT_EQ(c.points.size(), a.infinite.size()) << SkellinReport(a);
    std::string bad;
    EXPECT_TRUE(testing::OnlyDecodableCharacters(SkellinReport(a), &bad)) << bad;
    for (size_t i = 0; i < c.points.size(); ++i) {
        const InfinitePoint& p = a.infinite[i];
        const Expected& e = c.points[i];
        SCOPED_TRACE(p.directionText + " : " + p.chartText + p.nature.explanation);
        EXPECT_EQ(e.direction, p.directionText);
        EXPECT_EQ(JsonName(e.type), std::string(JsonName(p.nature.type)));
        EXPECT_EQ(e.stability, p.nature.stability);
        EXPECT_EQ(e.opposite, p.oppositeStability);
    }
}

constexpr Stability kNone = Stability::None;
constexpr Stability kStable = Stability::Stable;
constexpr Stability kUnstable = Stability::Unstable;

const NatureCase kNatures[] = {
    // u' = -2u, v' = -v at the x end; u' = 2u, v' = v at the y end; degree 1: opposite alike.
    { "LinearSaddleHasNodesAtInfinity", "x", "-y",
        { { "y = 0 (axe des x)", PointType::Node, kStable, kStable },
            { "x = 0 (axe des y)", PointType::Node, kUnstable, kUnstable } } },
    // x end: centre manifold u = -v^2 + ..., v' = v^5 + ..., lambda = -1: saddle.
    // y end: linear part zero; u' = u^3 + v^2 + ..., v' = u^2 v - v^3 + ...: blown up, every orbit near
    // it leaves it (the orbits come from x -> -infinity with y ~ -x^3/3): unstable node.
    { "VanDerPol", "y", "-x+y-x^2y",
        { { "y = 0 (axe des x)", PointType::Saddle, kNone, kNone },
            { "x = 0 (axe des y)", PointType::Node, kUnstable, kUnstable } } },
    // H = xy(x + y): at u = -1 the Jacobian [[-1, 2], [0, -1]]; on the axes v' = -v^2, u' = u^2 on
    // the centre manifold u = 0; degree 2: the opposite node is unstable.
    { "LotkaVolterraSixPoints", "x-xy", "-y+xy",
        { { "y = -x", PointType::DegenerateNode, kStable, kUnstable },
            { "y = 0 (axe des x)", PointType::SaddleNode, kNone, kNone },
            { "x = 0 (axe des y)", PointType::SaddleNode, kNone, kNone } } },
    // h(u) = u + u^2, P_2(1, u) = 1: lambda1 = 1, lambda2 = -1 at u = 0.
    { "QuadraticSaddleAtInfinity", "x^2", "2xy+y^2",
        { { "y = -x", PointType::StarNode, kStable, kUnstable },
            { "y = 0 (axe des x)", PointType::Saddle, kNone, kNone },
            { "x = 0 (axe des y)", PointType::StarNode, kStable, kUnstable } } },
    // Degree 0: u' = -u, v' = -v; the flow leaves by x > 0 and comes from x < 0.
    { "ConstantFieldDegreeZero", "1", "0",
        { { "y = 0 (axe des x)", PointType::StarNode, kStable, kUnstable } } },
    // lambda1 = -2 m, lambda2 = -m at u = m = +-racine(2).
    { "IrrationalSlopesOfALinearSaddle", "y", "2x",
        { { "y = -racine(2)*x", PointType::Node, kUnstable, kUnstable },
            { "y = racine(2)*x", PointType::Node, kStable, kStable } } },
    { "CubeRootSlope", "y^2", "2x^2",
        { { "y = m*x avec m = 1,25992105 (à 10^-9 près)", PointType::Node, kStable, kUnstable } } },
    // h(u) = (u^2 - 2)^2: a double irrational root, lambda2 = u^3 <> 0; on the circle u' vanishes
    // to order 2.
    { "DoubleIrrationalRootIsASaddleNode", "-y^3+x", "-4xy^2+4x^3",
        { { "y = -racine(2)*x", PointType::SaddleNode, kNone, kNone },
            { "y = racine(2)*x", PointType::SaddleNode, kNone, kNone } } },
    // h(u) = (u^2 - 2)^3, lambda2 = u^5: order 3 with the sign of lambda2: nodes.
    { "TripleIrrationalRootIsANode", "-y^5", "-6xy^4+12x^3y^2-8x^5+y",
        { { "y = -racine(2)*x", PointType::Node, kStable, kStable },
            { "y = racine(2)*x", PointType::Node, kUnstable, kUnstable } } },
    // P_2 and Q_2 share y^2 - 2x^2: lambda2 = 0 at irrational points, left open.
    { "CommonIrrationalFactorIsLeftOpen", "y^2-2x^2+x", "y^2-2x^2+1",
        { { "y = -racine(2)*x", PointType::Undetermined, kNone, kNone },
            // h'(1) = 1 = -P_2(1, 1), and dF/dv = -1 there.
            { "y = x", PointType::DegenerateNode, kUnstable, kStable },
            { "y = racine(2)*x", PointType::Undetermined, kNone, kNone } } },
};

INSTANTIATE_TEST_SUITE_P(Charts, InfiniteNatures, ::testing::ValuesIn(kNatures),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InfinityReport, LinearSaddleInFull)
{
    EXPECT_EQ(
        "Points à l'infini (compactification de Poincaré) :\n"
        "chaque direction donne deux points opposés du cercle de l'infini.\n"
        "Degré 1 (impair) : le point opposé a la même nature et la même stabilité.\n"
        "  direction y = 0 (axe des x) : les deux points : noeud stable\n"
        "    carte u = y/x, v = 1/x, point (0 ; 0) : valeurs propres lambda1 = -2 (le long de l'infini) "
        "et lambda2 = -1 (transverse), distinctes et de même signe : noeud stable.\n"
        "  direction x = 0 (axe des y) : les deux points : noeud instable\n"
        "    carte u = x/y, v = 1/y, point (0 ; 0) : valeurs propres lambda1 = 2 (le long de l'infini) "
        "et lambda2 = 1 (transverse), distinctes et de même signe : noeud instable.\n",
        SkellinReport(Full("x", "-y")));
}

TEST(InfinityReport, EvenDegreeNamesBothSides)
{
    const std::string r = SkellinReport(Full("x-xy", "-y+xy"));
    EXPECT_NE(std::string::npos,
        r.find("Degré 2 (pair) : le point opposé a la même nature, de stabilité inverse.\n"));
    EXPECT_NE(std::string::npos,
        r.find(
            "  direction y = -x : côté x > 0 : noeud dégénéré stable ; côté x < 0 : noeud dégénéré instable\n"
            "    carte u = y/x, v = 1/x, point (-1 ; 0) : valeurs propres lambda1 = -1 (le long de l'infini) "
            "et lambda2 = -1 (transverse), égales, partie linéaire non diagonale : noeud dégénéré stable.\n"))
        << r;
    EXPECT_NE(std::string::npos,
        r.find("  direction y = 0 (axe des x) : les deux points : col-noeud\n"
               "    carte u = y/x, v = 1/x, point (0 ; 0) : au point ramené à l'origine (x = u, y = v) : "
               "Valeurs "
               "propres 0 et "
               "lambda = 1 (D = 0, T <> 0)."))
        << r;
}

TEST(InfinityReport, VerticalEndNamesTheYSides)
{
    const std::string r = SkellinReport(Full("y", "-x+x^2"));
    EXPECT_NE(std::string::npos,
        r.find("  direction x = 0 (axe des y) : côté y > 0 : noeud stable ; côté y < 0 : noeud instable\n"))
        << r;
}

TEST(InfinityReport, CentreManifoldOnTheCircleIsExplained)
{
    const FixedPointAnalysis a = Full("-y^5", "-6xy^4+12x^3y^2-8x^5+y");
    ASSERT_EQ(2u, a.infinite.size());
    EXPECT_EQ("carte u = y/x, v = 1/x, point (racine(2) ; 0) : ", a.infinite[1].chartText);
    EXPECT_EQ(
        "valeurs propres lambda1 = 0 (le long de l'infini) et lambda2 = 5,656854249 (transverse) ; le "
        "cercle de l'infini (v = 0) est invariant, c'est une variété centrale ; sur lui, u' s'annule à "
        "l'ordre 3 au point, avec un coefficient positif : ordre impair, coefficient et lambda2 de même "
        "signe : noeud instable.",
        a.infinite[1].nature.explanation);
}

TEST(InfinityReport, OpenIrrationalPointSaysWhatIsMissing)
{
    const FixedPointAnalysis a = Full("y^2-2x^2+x", "y^2-2x^2+1");
    ASSERT_EQ(3u, a.infinite.size());
    EXPECT_EQ(LinearPart::SemiHyperbolic, a.infinite[0].nature.linearPart);
    EXPECT_EQ(
        "valeurs propres lambda1 = -6,828427125 (le long de l'infini) et lambda2 = 0 (transverse) : point "
        "semi-hyperbolique dont la variété centrale n'est pas le cercle de l'infini, en un point de "
        "coordonnée irrationnelle : nature non déterminée.",
        a.infinite[0].nature.explanation);
    EXPECT_EQ("lambda1 = -6,828427125, lambda2 = 0, coordonnee irrationnelle", a.infinite[0].nature.reason);
}

TEST(InfinityReport, LocalAnalysisNamesItsCoordinates)
{
    // H = -(y - x)^2: a double root u = 1, lambda2 = -1; the local classification decides.
    const FixedPointAnalysis a = Full("y", "-x+2y");
    ASSERT_EQ(1u, a.infinite.size());
    EXPECT_EQ(NatureSource::LocalClassifier, a.infinite[0].natureSource);
    EXPECT_EQ(PointType::SaddleNode, a.infinite[0].nature.type);
    EXPECT_EQ("carte u = y/x, v = 1/x, point (1 ; 0) : ", a.infinite[0].chartText);
    EXPECT_EQ(
        0u, a.infinite[0].nature.explanation.rfind("au point ramené à l'origine (x = u - 1, y = v) : ", 0))
        << a.infinite[0].nature.explanation;
}

TEST(InfinityReport, ChartVariablesAvoidTheSystemsNames)
{
    const FixedPointAnalysis a = AnalyseSystemFixedPoints(ParseSystem("u", "-v", 'u', 'v'), Deadline());
    ASSERT_EQ(2u, a.infinite.size());
    EXPECT_EQ("carte r = v/u, s = 1/u, point (0 ; 0) : ", a.infinite[0].chartText);
    EXPECT_EQ("carte r = u/v, s = 1/v, point (0 ; 0) : ", a.infinite[1].chartText);
}

TEST(InfinityReport, NoPointStaysExactlyZeroAndTheLineOfSingularitiesIsKept)
{
    EXPECT_EQ("0", SkellinReport(Full("-y", "x")));
    const std::string line = SkellinReport(Full("x+x^2", "y+x*y"));
    EXPECT_EQ(0u,
        line.find("Points à l'infini (compactification de Poincaré) :\nl'infini est une ligne de singularités : "
                  "x*Q_d - y*P_d est identiquement nul."))
        << line;
}

} // namespace
} // namespace vindrel::engine
