// Index theory and the verdict on periodic orbits, on known cases; the
// linear classification rules; exact eigenvalue texts.
#include "engine/general/text.h"
#include "support.h"

#include <gtest/gtest.h>

namespace vindrel::engine::general::testing {
namespace {

// A non-linear system whose divergence changes sign: neither the linear
// rule, the gradient rule nor Bendixson-Dulac decides, only the points do.
SystemProperties OpenSystem()
{
    SystemProperties p;
    p.degree = 2;
    p.divergenceSign = DivergenceSign::ChangesSign;
    return p;
}

FixedPoint PointOf(PointType type, LinearPart part = LinearPart::Hyperbolic)
{
    FixedPoint p;
    p.xText = "0";
    p.yText = "0";
    Nature n;
    n.type = type;
    n.linearPart = part;
    p.nature = n;
    return p;
}

// A linearly zero point whose blow-up gave this index.
FixedPoint DegenerateOf(int index)
{
    FixedPoint p = PointOf(PointType::Degenerate, LinearPart::Zero);
    p.nature->index = index;
    return p;
}

struct IndexCase {
    const char* name;
    std::vector<FixedPoint> points;
    PointList list;
    bool commonFactor;
    PeriodicOrbits verdict;
    std::string reason;
};

class IndexRules : public ::testing::TestWithParam<IndexCase> { };

TEST_P(IndexRules, GiveTheVerdict)
{
    const auto& c = GetParam();
    auto props = OpenSystem();
    if (c.commonFactor) props.commonFactor = "x";
    const auto v = DecidePeriodicOrbits(props, c.points, c.list);
    EXPECT_EQ(v.verdict, c.verdict);
    EXPECT_EQ(v.reason, c.reason);
}

const std::string kNoPoint
    = "il n'a aucun point fixe, or une orbite périodique entoure au moins un point fixe.";
const std::string kNoIndexOne
    = "aucun point fixe n'est d'indice +1, or une orbite périodique entoure des points "
      "fixes dont la somme des indices vaut 1.";
const std::string kOpen
    = "ni le critère de Bendixson-Dulac ni la théorie de l'indice ne permettent de conclure.";
using PT = PointType;
using LP = LinearPart;
using PO = PeriodicOrbits;

INSTANTIATE_TEST_SUITE_P(Index, IndexRules,
    ::testing::Values(
        IndexCase { "NoFixedPointForbidsOrbits", {}, PointList::Complete, false, PO::Impossible, kNoPoint },
        IndexCase { "OnlySaddlesForbidOrbits", { PointOf(PT::Saddle), PointOf(PT::Saddle) },
            PointList::Complete, false, PO::Impossible, kNoIndexOne },
        IndexCase { "SaddleAndSaddleNodeForbidOrbits",
            { PointOf(PT::Saddle), PointOf(PT::SaddleNode, LP::SemiHyperbolic) }, PointList::Complete, false,
            PO::Impossible, kNoIndexOne },
        IndexCase { "NodeLeavesTheQuestionOpen", { PointOf(PT::Saddle), PointOf(PT::Node) },
            PointList::Complete, false, PO::Unknown, kOpen },
        IndexCase { "UndecidedSemiHyperbolicPointHasNoKnownIndex",
            { PointOf(PT::Saddle), PointOf(PT::Undetermined, LP::SemiHyperbolic) }, PointList::Complete,
            false, PO::Unknown, kOpen },
        IndexCase { "UndecidedImaginaryPointHasIndexOne", { PointOf(PT::Undetermined, LP::Imaginary) },
            PointList::Complete, false, PO::Unknown, kOpen },
        IndexCase { "IndexTwoAndASaddleAddUpToOne", { DegenerateOf(2), PointOf(PT::Saddle) },
            PointList::Complete, false, PO::Unknown, kOpen },
        IndexCase { "IndicesTwoAndMinusTwoNeverAddUpToOne", { DegenerateOf(2), DegenerateOf(-2) },
            PointList::Complete, false, PO::Impossible,
            "aucun ensemble de points fixes n'a une somme d'indices égale à 1, or une orbite périodique "
            "entoure des points fixes dont la somme des indices vaut 1." },
        IndexCase { "PartialListConcludesNothing", {}, PointList::Partial, false, PO::Unknown, kOpen },
        IndexCase { "CurveOfFixedPointsConcludesNothing", { PointOf(PT::Saddle) }, PointList::Complete, true,
            PO::Unknown, kOpen },
        IndexCase { "ProvedCentreGivesOrbits", { PointOf(PT::Saddle), PointOf(PT::Center, LP::Imaginary) },
            PointList::Complete, false, PO::Possible, "le point (0, 0) est un centre." }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PeriodicRules, BendixsonBeatsIndexTheory)
{
    auto props = OpenSystem();
    props.divergenceSign = DivergenceSign::NonPositive;
    const auto v = DecidePeriodicOrbits(props, { PointOf(PT::Focus) }, PointList::Complete);
    EXPECT_EQ(v.verdict, PO::Impossible);
    EXPECT_EQ(v.reason,
        "la divergence garde un signe constant et ne s'annule que sur un ensemble d'intérieur vide "
        "(critère de Bendixson-Dulac).");
}

TEST(PeriodicRules, LinearSystemHasOrbitsOnlyWhenItIsACentre)
{
    auto ctx = XY();
    EXPECT_EQ(
        AnalyseGeneral(Poly(ctx, "y"), Poly(ctx, "-4*x"), { RationalPoint("0", "0") }, PointList::Complete)
            .periodic.verdict,
        PO::Possible);
    // An unstable focus of a linear system: no periodic orbit, whatever the index says.
    EXPECT_EQ(
        AnalyseGeneral(Poly(ctx, "x+y"), Poly(ctx, "-x+y"), { RationalPoint("0", "0") }, PointList::Complete)
            .periodic.verdict,
        PO::Impossible);
}

FixedPoint UndecidedLinearCentre(const char* x, const char* y)
{
    FixedPoint p = RationalPoint(x, y);
    Nature n;
    n.linearPart = LP::Imaginary;
    p.nature = n;
    return p;
}

TEST(CentreProof, ReversibilityDecidesOnlyOnTheAxis)
{
    // x' = -y + x y, y' = x + x²: reversible for (x, -y, -t), whose axis is y = 0.
    auto ctx = XY();
    const auto props = AnalyseProperties(Poly(ctx, "-y+x*y"), Poly(ctx, "x+x^2"));
    FixedPoint on = UndecidedLinearCentre("0", "0");
    ProveCentre(props, on);
    EXPECT_EQ(on.nature->type, PT::Center);
    EXPECT_EQ(on.nature->explanation,
        "Le système est réversible pour (x, y, t) -> (x, -y, -t) et le point est sur l'axe y = 0 : c'est "
        "donc un "
        "centre.");
    FixedPoint off = UndecidedLinearCentre("0", "1");
    ProveCentre(props, off);
    EXPECT_EQ(off.nature->type, PT::Undetermined);
}

TEST(CentreProof, CentralSymmetryAloneProvesNothing)
{
    // x' = -y - x³, y' = x is odd but neither reversible nor Hamiltonian.
    auto ctx = XY();
    const auto props = AnalyseProperties(Poly(ctx, "-y-x^3"), Poly(ctx, "x"));
    FixedPoint p = UndecidedLinearCentre("0", "0");
    ProveCentre(props, p);
    EXPECT_EQ(p.nature->type, PT::Undetermined);
}

TEST(CentreProof, LocalClassificationDecidesAWeakFocusAtARationalPoint)
{
    // The same system moved to (1, -2): the weak focus is found there.
    auto ctx = XY();
    const auto a = AnalyseGeneral(
        Poly(ctx, "-(y+2)-(x-1)^3"), Poly(ctx, "x-1"), { RationalPoint("1", "-2") }, PointList::Complete);
    ASSERT_TRUE(a.points[0].nature.has_value());
    EXPECT_EQ(a.points[0].nature->type, PT::WeakFocus);
    EXPECT_EQ(a.points[0].nature->stability, Stability::Stable);
}

struct LinearCase {
    const char* name;
    int t, d, disc;
    bool scalar, zero;
    PointType type;
    Stability stability;
    LinearPart part;
};

class LinearRules : public ::testing::TestWithParam<LinearCase> { };

TEST_P(LinearRules, FollowTheTraceDeterminantPlane)
{
    const auto& c = GetParam();
    const auto v = ClassifyLinear(c.t, c.d, c.disc, c.scalar, c.zero);
    EXPECT_EQ(v.type, c.type);
    EXPECT_EQ(v.stability, c.stability);
    EXPECT_EQ(v.part, c.part);
}

using St = Stability;
INSTANTIATE_TEST_SUITE_P(TraceDeterminant, LinearRules,
    ::testing::Values(LinearCase { "NegativeDeterminantIsSaddle", 1, -1, 1, false, false, PT::Saddle,
                          St::None, LP::Hyperbolic },
        LinearCase { "StableNode", -1, 1, 1, false, false, PT::Node, St::Stable, LP::Hyperbolic },
        LinearCase { "UnstableStarNode", 1, 1, 0, true, false, PT::StarNode, St::Unstable, LP::Hyperbolic },
        LinearCase {
            "StableDegenerateNode", -1, 1, 0, false, false, PT::DegenerateNode, St::Stable, LP::Hyperbolic },
        LinearCase { "UnstableFocus", 1, 1, -1, false, false, PT::Focus, St::Unstable, LP::Hyperbolic },
        LinearCase { "ZeroTracePositiveDeterminantIsImaginary", 0, 1, -1, false, false, PT::Undetermined,
            St::None, LP::Imaginary },
        LinearCase { "OneZeroEigenvalueIsSemiHyperbolic", -1, 0, 1, false, false, PT::Undetermined, St::None,
            LP::SemiHyperbolic },
        LinearCase { "NilpotentPart", 0, 0, 0, false, false, PT::Undetermined, St::None, LP::Nilpotent },
        LinearCase { "ZeroMatrix", 0, 0, 0, true, true, PT::Undetermined, St::None, LP::Zero }),
    [](const auto& info) { return std::string(info.param.name); });

struct EigenCase {
    const char* name;
    const char* trace;
    const char* disc;
    const char* first;
    const char* second;
};

class Eigenvalues : public ::testing::TestWithParam<EigenCase> { };

TEST_P(Eigenvalues, AreWrittenExactly)
{
    const auto& c = GetParam();
    const auto e = EigenvalueTexts(Q(c.trace).raw(), Q(c.disc).raw());
    EXPECT_EQ(e.first, c.first);
    EXPECT_EQ(e.second, c.second);
}

INSTANTIATE_TEST_SUITE_P(Texts, Eigenvalues,
    ::testing::Values(EigenCase { "RationalPair", "-3", "1", "-2", "-1" },
        EigenCase { "GoldenRatioRoots", "1", "5", "1/2 - racine(5)/2", "1/2 + racine(5)/2" },
        EigenCase { "SquareFactorLeavesTheRoot", "0", "12", "-racine(3)", "racine(3)" },
        EigenCase { "FractionDiscriminant", "0", "2/9", "-racine(2)/6", "racine(2)/6" },
        EigenCase { "PureImaginaryUnit", "0", "-4", "-i", "i" },
        EigenCase { "ComplexWithRoot", "1", "-3", "1/2 - i racine(3)/2", "1/2 + i racine(3)/2" },
        EigenCase { "ComplexWithIntegerPart", "2", "-16", "1 - 2i", "1 + 2i" },
        EigenCase { "DoubleEigenvalue", "-1", "0", "-1/2", "-1/2" }),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vindrel::engine::general::testing

namespace vindrel::engine::general::testing {
namespace {

TEST(PropertiesJson, DescribesTheHamiltonianExample)
{
    auto ctx = XY();
    const auto a = AnalyseGeneral(Poly(ctx, "y"), Poly(ctx, "-x+x^2"),
        { RationalPoint("0", "0"), RationalPoint("1", "0") }, PointList::Complete);
    EXPECT_EQ(PropertiesJson(a).dump(),
        "{\"degree\": 2, \"linear\": false, \"hamiltonian\": true, \"gradient\": false, \"homogeneous\": "
        "false, "
        "\"lotka_volterra\": false, \"reversible\": {\"symmetries\": [\"(x, y, t) -> (x, -y, -t)\"]}, "
        "\"central_symmetry\": false, \"divergence_sign\": \"zero\", \"invariant_lines\": []}");
    EXPECT_EQ(PeriodicOrbitsJson(a).dump(),
        "{\"verdict\": \"centres\", \"reason\": \"le point (0, 0) est un centre.\", \"limit_cycles\": []}");
}

TEST(PropertiesJson, GivesTheLinearTypeAndNullsForLiteralConstants)
{
    auto ctx = XY();
    const auto lin
        = AnalyseGeneral(Poly(ctx, "-x"), Poly(ctx, "-y"), { RationalPoint("0", "0") }, PointList::Complete);
    EXPECT_NE(PropertiesJson(lin).dump().find("\"linear\": {\"type\": \"star_node\", \"linear_part\": "
                                              "\"hyperbolic\", \"stability\": \"stable\"}"),
        std::string::npos);
    auto pctx = XYAB();
    const auto lit = AnalyseGeneral(Poly(pctx, "-a"), Poly(pctx, "-2*a*b*x-b"), {}, PointList::Partial);
    EXPECT_EQ(PropertiesJson(lit).dump(),
        "{\"parameters\": true, \"hamiltonian\": true, \"linear\": null, \"gradient\": null, "
        "\"homogeneous\": null, "
        "\"lotka_volterra\": null, \"reversible\": null}");
    EXPECT_EQ(PeriodicOrbitsJson(lit).dump(),
        "{\"verdict\": \"open\", \"reason\": \"le système contient des constantes littérales.\", "
        "\"limit_cycles\": []}");
}

} // namespace
} // namespace vindrel::engine::general::testing

namespace vindrel::engine::general::testing {
namespace {

TEST(CentreProof, UndecidedNatureFromTheSearchIsDecidedForAHamiltonianSystem)
{
    auto ctx = XY();
    FixedPoint p = RationalPoint("0", "0");
    Nature undecided;
    undecided.linearPart = LinearPart::Imaginary;
    p.nature = undecided;
    const auto a = AnalyseGeneral(Poly(ctx, "y"), Poly(ctx, "-x+x^2"), { p }, PointList::Partial);
    EXPECT_EQ(a.points[0].nature->type, PointType::Center);
    // A decided nature is never overridden.
    Nature weak = undecided;
    weak.type = PointType::WeakFocus;
    p.nature = weak;
    const auto b = AnalyseGeneral(Poly(ctx, "y"), Poly(ctx, "-x+x^2"), { p }, PointList::Partial);
    EXPECT_EQ(b.points[0].nature->type, PointType::WeakFocus);
}

} // namespace
} // namespace vindrel::engine::general::testing

namespace vindrel::engine::general::testing {
namespace {

TEST(EigenvalueTexts, HugeDiscriminantKeepsSmallSquaresOutOfTheRoot)
{
    // disc = 4 * 9 * (2^127 - 1), a prime too large to factor quickly: the
    // root part is racine(9 * p) = 3 racine(p).
    Fmpq disc;
    fmpq_set_str(disc.raw(), "6125082604576892342340742933771827806172", 10);
    const auto e = EigenvalueTexts(Q("0").raw(), disc.raw());
    EXPECT_EQ(e.second, "3 racine(170141183460469231731687303715884105727)");
}

} // namespace
} // namespace vindrel::engine::general::testing

namespace vindrel::engine::general::testing {
namespace {

// For points known only by texts, the signs read from the nature give back
// the same verdict through the trace-determinant rules.
TEST(SignsFromNature, RoundTripThroughTheLinearRules)
{
    const std::vector<std::pair<LinearPart, PointType>> kinds = { { LinearPart::Hyperbolic,
                                                                      PointType::Saddle },
        { LinearPart::Hyperbolic, PointType::Node }, { LinearPart::Hyperbolic, PointType::StarNode },
        { LinearPart::Hyperbolic, PointType::DegenerateNode }, { LinearPart::Hyperbolic, PointType::Focus },
        { LinearPart::Imaginary, PointType::Undetermined },
        { LinearPart::SemiHyperbolic, PointType::Undetermined },
        { LinearPart::Nilpotent, PointType::Undetermined }, { LinearPart::Zero, PointType::Undetermined } };
    for (const auto& [part, type] : kinds)
        for (Stability st : { Stability::Stable, Stability::Unstable }) {
            Nature n;
            n.linearPart = part;
            n.type = type;
            n.stability = type == PointType::Saddle || part != LinearPart::Hyperbolic ? Stability::None : st;
            FixedPoint p;
            SignsFromNature(n, st == Stability::Stable ? -0.5 : 0.5, p);
            const auto v = ClassifyLinear(
                p.traceSign, p.determinantSign, p.discriminantSign, p.jacobianScalar, p.jacobianZero);
            EXPECT_EQ(v.part, part);
            EXPECT_EQ(v.type, type);
            EXPECT_EQ(v.stability, n.stability);
        }
}

} // namespace
} // namespace vindrel::engine::general::testing
