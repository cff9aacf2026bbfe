// Known answers for the nature of the origin, one or more per kind of linear
// part, and invariance of the nature under linear changes of coordinates.
#include "engine/classify/classify.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>

namespace vindrel::engine {
namespace {

flint::MpolyCtxPtr Ctx()
{
    static const auto ctx = std::make_shared<const flint::MpolyCtx>(std::vector<std::string> { "x", "y" });
    return ctx;
}

flint::FmpqMpoly Parse(const std::string& text, const flint::MpolyCtxPtr& ctx = Ctx())
{
    flint::FmpqMpoly p(ctx);
    if (fmpq_mpoly_set_str_pretty(p.raw(), text.c_str(), ctx->cnames(), p.craw()) != 0)
        throw std::invalid_argument("bad test polynomial: " + text);
    return p;
}

Nature Classify(const std::string& p, const std::string& q)
{
    return ClassifyOrigin(Parse(p), Parse(q));
}

struct KnownCase {
    const char* name;
    const char* p;
    const char* q;
    LinearPart linear;
    PointType type;
    Stability stability;
    std::optional<int> order;
    const char* reason;
};

void PrintTo(const KnownCase& c, std::ostream* os)
{
    *os << c.name;
}

class KnownNature : public ::testing::TestWithParam<KnownCase> { };

TEST_P(KnownNature, MatchesTheKnownAnswer)
{
    const KnownCase& c = GetParam();
    const Nature n = Classify(c.p, c.q);
    EXPECT_EQ(n.linearPart, c.linear);
    EXPECT_EQ(n.type, c.type);
    EXPECT_EQ(n.stability, c.stability);
    EXPECT_EQ(n.order, c.order);
    EXPECT_EQ(n.reason, c.reason);
}

using LP = LinearPart;
using PT = PointType;
using St = Stability;
constexpr std::optional<int> kNoOrder;

// Lyapunov values L1 of ordinary examples come from the classical formula
// 16 L1 w = f_xxx + f_xyy + g_xxy + g_yyy + (f_xy (f_xx + f_yy) - g_xy (g_xx + g_yy)
// - f_xx g_xx + f_yy g_yy) / w for x' = -w y + f, y' = w x + g, time scaled by w.
const KnownCase kImaginary[] = {
    { "RadialCubeIsUnstableWeakFocusOfOrder1", "-y + x*(x^2+y^2)", "x + y*(x^2+y^2)", LP::Imaginary,
        PT::WeakFocus, St::Unstable, 1, "L1 = 1 > 0" },
    { "RadialMinusCubeIsStableWeakFocusOfOrder1", "-y - x*(x^2+y^2)", "x - y*(x^2+y^2)", LP::Imaginary,
        PT::WeakFocus, St::Stable, 1, "L1 = -1 < 0" },
    { "QuadraticTermsGiveL1OfOneEighth", "-y + x^2 + x*y", "x + x*y", LP::Imaginary, PT::WeakFocus,
        St::Unstable, 1, "L1 = 1/8 > 0" },
    { "CubicTermGivesL1OfMinusThreeQuarters", "-y - 2*x^3 + y^3", "x + x*y^2", LP::Imaginary, PT::WeakFocus,
        St::Stable, 1, "L1 = -3/4 < 0" },
    { "FrequencyTwoIsScaledOut", "-2*y + x^2 + x*y", "2*x + x*y", LP::Imaginary, PT::WeakFocus, St::Unstable,
        1, "L1 = 1/32 > 0" },
    { "RadialFifthPowerIsWeakFocusOfOrder2", "-y + x*(x^2+y^2)^2", "x + y*(x^2+y^2)^2", LP::Imaginary,
        PT::WeakFocus, St::Unstable, 2, "L1 = 0, L2 = 1 > 0" },
    { "RadialSeventhPowerIsStableWeakFocusOfOrder3", "-y - x*(x^2+y^2)^3", "x - y*(x^2+y^2)^3", LP::Imaginary,
        PT::WeakFocus, St::Stable, 3, "L1 = L2 = 0, L3 = -1 < 0" },
    { "IrrationalFrequencyKeepsASquareRootInAnEvenOrder", "-y + x*(2*x^2+y^2)^2", "2*x + y*(2*x^2+y^2)^2",
        LP::Imaginary, PT::WeakFocus, St::Unstable, 2, "L1 = 0, L2 = sqrt(2) > 0" },
    { "HamiltonianCentre", "y", "-x + x^2", LP::Imaginary, PT::Center, St::None, kNoOrder, "Hamiltonien" },
    { "ReversibleNonHamiltonianCentre", "-y + x*y", "x + x^2 - y^2", LP::Imaginary, PT::Center, St::None,
        kNoOrder, "reversible" },
    { "ReversibleAboutTheOtherAxis", "-y + x^2 - y^2", "x - x*y", LP::Imaginary, PT::Center, St::None,
        kNoOrder, "reversible" },
    // x' = -y (1 + x), y' = x (1 + x): M = 1/(1+x) integrates it, and x^2 + y^2 is a first integral.
    { "PolynomialFirstIntegralProvesACentre", "-y - x*y", "x + x^2", LP::Imaginary, PT::Center, St::None,
        kNoOrder, "reversible" },
    { "SymmetricAboutTheDiagonalIsReversible", "-y*(1 + x + y)", "x*(1 + x + y)", LP::Imaginary, PT::Center,
        St::None, kNoOrder, "reversible" },
    // H = x^2/2 + y^2/2 + x^3 + x^2 y times 1 + y: no reflection maps the cubic x^2 (x + y) to itself.
    { "NonReversibleCentreFoundByItsFirstIntegral", "(1+y)*(y + x^2)", "-(1+y)*(x + 3*x^2 + 2*x*y)",
        LP::Imaginary, PT::Center, St::None, kNoOrder, "integrale premiere" },
    // H = (1 + x)^2 G, G = (x^2 + y^2)/2 + x y^2 + y^3, divided by 1 + x: M = 1 + x, H of degree 5.
    { "CentreFoundByItsIntegratingFactor", "(1+x)*(2*x*y + 3*y^2 + y)",
        "-(x^2 + y^2 + 2*x*y^2 + 2*y^3 + (1+x)*(x + y^2))", LP::Imaginary, PT::Center, St::None, kNoOrder,
        "integrale premiere" },
    // Lotka-Volterra centre: integrating factor 1/((1 + x)(1 + 2y)), no symmetry, no polynomial integral.
    { "CentreFoundByItsInverseIntegratingFactor", "-y - x*y", "x + 2*x*y", LP::Imaginary, PT::Center,
        St::None, kNoOrder, "integrale premiere" },
    { "L1FromTheClassicalFormulaWithMixedTerms", "-y - x*y", "x + 3*x^2 + 2*x*y", LP::Imaginary,
        PT::WeakFocus, St::Stable, 1, "L1 = -3/4 < 0" },
    // Kapteyn-Bautin centre (C + 2a = A + 3b + 5d = a^2 + bd + 2d^2 = 0): no symmetry, no polynomial
    // integral of low degree; its inverse integrating factor has degree 5.
    { "KapteynBautinCentreFoundByItsInverseIntegratingFactor", "-y - 3*x^2 + 2*x*y + y^2",
        "x + x^2 - 4*x*y - y^2", LP::Imaginary, PT::Center, St::None, kNoOrder, "integrale premiere" },
    // r' = -r^13: L1..L5 vanish, and a focus has no first integral nor symmetry to be found.
    { "FocusOfOrder6IsNotMistakenForACentre", "-y - x*(x^2+y^2)^6", "x - y*(x^2+y^2)^6", LP::Imaginary,
        PT::Undetermined, St::None, kNoOrder, "L1 = L2 = L3 = L4 = L5 = 0, centre non prouve" },
};
INSTANTIATE_TEST_SUITE_P(Imaginary, KnownNature, ::testing::ValuesIn(kImaginary),
    [](const auto& info) { return std::string(info.param.name); });

const KnownCase kHyperbolic[] = {
    { "NegativeDeterminantIsASaddle", "x + y^2", "-2*y", LP::Hyperbolic, PT::Saddle, St::None, kNoOrder,
        "D = -2 < 0" },
    { "RealEigenvaluesOfOneSignGiveANode", "-x", "-2*y + x^2", LP::Hyperbolic, PT::Node, St::Stable, kNoOrder,
        "T = -3, D = 2 > 0, T^2 - 4D = 1 > 0" },
    { "ScalarMatrixGivesAStarNode", "x", "y + x*y", LP::Hyperbolic, PT::StarNode, St::Unstable, kNoOrder,
        "T = 2, D = 1 > 0, T^2 - 4D = 0" },
    { "JordanBlockGivesADegenerateNode", "-x + y", "-y", LP::Hyperbolic, PT::DegenerateNode, St::Stable,
        kNoOrder, "T = -2, D = 1 > 0, T^2 - 4D = 0" },
    { "ComplexEigenvaluesGiveAFocus", "x - y", "x + y", LP::Hyperbolic, PT::Focus, St::Unstable, kNoOrder,
        "T = 2, D = 2 > 0, T^2 - 4D = -4 < 0" },
};
INSTANTIATE_TEST_SUITE_P(Hyperbolic, KnownNature, ::testing::ValuesIn(kHyperbolic),
    [](const auto& info) { return std::string(info.param.name); });

const KnownCase kSemiHyperbolic[] = {
    { "EvenReducedEquationIsASaddleNode", "x^2", "-y", LP::SemiHyperbolic, PT::SaddleNode, St::None, kNoOrder,
        "variete centrale: x' = x^2 + ..." },
    { "OddReducedEquationOfTheSameSignIsAStableNode", "-x^3", "-y", LP::SemiHyperbolic, PT::Node, St::Stable,
        kNoOrder, "variete centrale: x' = -x^3 + ..." },
    { "OddReducedEquationOfOppositeSignIsASaddle", "x^3", "-y", LP::SemiHyperbolic, PT::Saddle, St::None,
        kNoOrder, "variete centrale: x' = x^3 + ..." },
    // On y = 0, x' = x y would vanish; on the centre manifold y = x^2 - 2x^4 + ..., x' = x^3 + ...
    { "CentreManifoldCurvatureEntersTheReducedEquation", "x*y", "-y + x^2", LP::SemiHyperbolic, PT::Saddle,
        St::None, kNoOrder, "variete centrale: x' = x^3 + ..." },
    { "CurveOfFixedPointsOnTheCentreManifold", "x*y - x^3", "-y + x^2", LP::SemiHyperbolic, PT::Undetermined,
        St::None, kNoOrder, "non isole: courbe de points fixes x^2 - y = 0" },
    { "UnstableNodeAlongTheCentreManifold", "x^3", "y", LP::SemiHyperbolic, PT::Node, St::Unstable, kNoOrder,
        "variete centrale: x' = x^3 + ..." },
    // The leading term x^21 lies beyond the default series order 20.
    { "HighDegreeLeadingTermIsStillFound", "-x^3*y^5 + x^21", "-y + x^20", LP::SemiHyperbolic, PT::Saddle,
        St::None, kNoOrder, "variete centrale: x' = x^21 + ..." },
    { "LineOfFixedPointsIsNotIsolated", "x*y", "-y", LP::SemiHyperbolic, PT::Undetermined, St::None, kNoOrder,
        "non isole: courbe de points fixes y = 0" },
};
INSTANTIATE_TEST_SUITE_P(SemiHyperbolic, KnownNature, ::testing::ValuesIn(kSemiHyperbolic),
    [](const auto& info) { return std::string(info.param.name); });

const KnownCase kNilpotent[] = {
    { "EvenPowerIsACusp", "y", "x^2", LP::Nilpotent, PT::Cusp, St::None, kNoOrder, "Andreev: n = 2, G = 0" },
    { "OddPowerWithPositiveCoefficientIsASaddle", "y", "x^3", LP::Nilpotent, PT::Saddle, St::None, kNoOrder,
        "Andreev: n = 3, G = 0" },
    { "OddPowerWithNegativeCoefficientIsAHamiltonianCentre", "y", "-x^3", LP::Nilpotent, PT::Center, St::None,
        kNoOrder, "Andreev: n = 3, G = 0, Hamiltonien" },
    { "StrongDampingWithEvenPowerIsASaddleNode", "y", "x^4 + x*y", LP::Nilpotent, PT::SaddleNode, St::None,
        kNoOrder, "Andreev: n = 4, m = 1" },
    { "LargeOddDivergenceGivesAnEllipticSaddle", "y", "-x^3 + 4*x*y", LP::Nilpotent, PT::EllipticSaddle,
        St::None, kNoOrder, "Andreev: n = 3, m = 1" },
    { "LargeEvenDivergenceGivesANode", "y", "-x^5 - 4*x^2*y", LP::Nilpotent, PT::Node, St::Stable, kNoOrder,
        "Andreev: n = 5, m = 2" },
    { "WeakDivergenceLeavesFocusOrCentreOpen", "y", "-x^3 - x*y + x^2*y", LP::Nilpotent, PT::Undetermined,
        St::None, kNoOrder, "Andreev: n = 3, m = 1" },
    { "WeakDivergenceOddInXIsAReversibleCentre", "y", "-x^3 + x*y", LP::Nilpotent, PT::Center, St::None,
        kNoOrder, "Andreev: n = 3, m = 1, reversible" },
    { "VanishingDivergenceAlongTheCurveWithSymmetry", "y", "-x^3 + x*y^2", LP::Nilpotent, PT::Center,
        St::None, kNoOrder, "Andreev: n = 3, G = 0, reversible" },
    { "HighDegreeRestoringTermIsStillFound", "y + x^12*y^3", "x^23 - 11/3*x*y + y^2", LP::Nilpotent,
        PT::Saddle, St::None, kNoOrder, "Andreev: n = 23, m = 1" },
    { "CurveOfFixedPointsIsNotIsolated", "y - x^2", "x*y - x^3", LP::Nilpotent, PT::Undetermined, St::None,
        kNoOrder, "non isole: courbe de points fixes x^2 - y = 0" },
};
INSTANTIATE_TEST_SUITE_P(Nilpotent, KnownNature, ::testing::ValuesIn(kNilpotent),
    [](const auto& info) { return std::string(info.param.name); });

const KnownCase kZero[] = {
    { "TwoLinesOfDirections", "x^2 - y^2", "2*x*y", LP::Zero, PT::Undetermined, St::None, kNoOrder,
        "partie lineaire nulle, 1 direction(s) caracteristique(s)" },
    { "MonodromicHamiltonianCentre", "-y^3", "x^3", LP::Zero, PT::Center, St::None, kNoOrder,
        "partie lineaire nulle, aucune direction caracteristique, Hamiltonien" },
    { "RepeatedCommonFactorNamesTheCurveOnce", "x^3", "x^2*y", LP::Zero, PT::Undetermined, St::None, kNoOrder,
        "non isole: courbe de points fixes x = 0" },
    { "OnlyRealBranchesThroughTheOriginAreNamed", "(x^2+y^2)*(x-y)*(1+x)*x", "(x^2+y^2)*(x-y)*(1+x)*y^2",
        LP::Zero, PT::Undetermined, St::None, kNoOrder, "non isole: courbe de points fixes x - y = 0" },
    // x^2 + y^2 divides both components but vanishes only at the origin: the point is isolated.
    { "ComplexCommonFactorKeepsThePointIsolated", "x*(x^2+y^2)", "y*(x^2+y^2)", LP::Zero, PT::Undetermined,
        St::None, kNoOrder, "partie lineaire nulle, toutes directions caracteristiques" },
    { "RealCommonFactorMakesALineOfFixedPoints", "x*y", "y^2", LP::Zero, PT::Undetermined, St::None, kNoOrder,
        "non isole: courbe de points fixes y = 0" },
    { "ZeroFieldIsAllFixed", "0", "0", LP::Zero, PT::Undetermined, St::None, kNoOrder,
        "non isole: tous les points sont fixes" },
};
INSTANTIATE_TEST_SUITE_P(Zero, KnownNature, ::testing::ValuesIn(kZero),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ClassifyExplanation, WeakFocusNamesOrderAndStabilityInFrench)
{
    const Nature n = Classify("-y - x*(x^2+y^2)^2", "x - y*(x^2+y^2)^2");
    EXPECT_EQ(n.explanation,
        "Valeurs propres imaginaires pures +/- i racine(D) (T = 0, D = 1 > 0) : centre ou foyer faible. "
        "Valeurs de Lyapunov : L1 = 0, L2 = -1 < 0. Le point est : foyer faible stable d'ordre 2.");
}

TEST(ClassifyExplanation, UnprovenCentreListsTheOrdersChecked)
{
    const Nature n = Classify("-y - x*(x^2+y^2)^6", "x - y*(x^2+y^2)^6");
    EXPECT_EQ(n.explanation,
        "Valeurs propres imaginaires pures +/- i racine(D) (T = 0, D = 1 > 0) : centre ou foyer faible. Les "
        "valeurs de Lyapunov L1 à L5 sont nulles et aucune preuve de centre n'a été trouvée : centre ou "
        "foyer "
        "faible d'ordre > 5 (non déterminé).");
}

TEST(ClassifyExplanation, ReversibilityNamesTheAxis)
{
    const Nature n = Classify("-y + x*y", "x + x^2 - y^2");
    EXPECT_EQ(n.explanation,
        "Valeurs propres imaginaires pures +/- i racine(D) (T = 0, D = 1 > 0) : centre ou foyer faible. "
        "Valeurs de Lyapunov : L1 = L2 = L3 = L4 = L5 = 0. Le système est réversible : il est invariant par "
        "la symétrie d'axe y = 0 parallèlement à la droite x = 0, accompagnée du changement de t en -t ; le "
        "point est donc un centre. Le point est : centre.");
}

TEST(ClassifyExplanation, AndreevCoefficientsAreShown)
{
    const Nature n = Classify("y", "-x^3 + 4*x*y");
    EXPECT_EQ(n.explanation,
        "Partie linéaire nilpotente (T = D = 0, J <> 0). Théorème d'Andreev : F(x) = -x^3 + ... (n = 3) et "
        "G(x) = 4*x + ... (m = 1). Le point est : point col-elliptique (un secteur elliptique et un secteur "
        "hyperbolique).");
}

TEST(ClassifyExplanation, MonodromicZeroLinearPartNamesTheProof)
{
    const Nature n = Classify("-y^3", "x^3");
    EXPECT_EQ(n.explanation,
        "Partie linéaire nulle ; partie homogène de plus bas degré : degré 3. La forme x^4 + y^4 ne s'annule "
        "sur "
        "aucune droite réelle : aucune direction caractéristique. Le point est un centre ou un foyer. La "
        "divergence est identiquement nulle : le système est hamiltonien, et le point est un centre. Le "
        "point "
        "est : centre.");
}

TEST(ClassifyExplanation, CharacteristicDirectionsAreListed)
{
    const Nature n = Classify("x^2 - y^2", "2*x*y");
    EXPECT_EQ(n.explanation,
        "Partie linéaire nulle ; partie homogène de plus bas degré : degré 2. Directions caractéristiques "
        "(zéros réels de x^2*y + y^3) : y = 0. Nature non déterminée (pas d'éclatement).");
}

TEST(ClassifyExplanation, IrrationalDirectionsAreGivenByTheirPolynomial)
{
    // x Q - y P = x (x^3 + x^2 y - 2 x y^2 - y^3): x = 0 and three real irrational slopes.
    const Nature n = Classify("x^3", "2*x^2*y - y^3 + x^3 - 2*x*y^2");
    EXPECT_EQ(n.reason, "partie lineaire nulle, 4 direction(s) caracteristique(s)");
    EXPECT_EQ(n.explanation,
        "Partie linéaire nulle ; partie homogène de plus bas degré : degré 3. Directions caractéristiques "
        "(zéros réels de x^4 + x^3*y - 2*x^2*y^2 - x*y^3) : x = 0, y = m*x, m racine réelle de m^3 + 2*m^2 - "
        "m - 1. Nature non déterminée (pas d'éclatement).");
}

// Reasons are ASCII; explanations use only what the front end decodes.
bool OnlyDecodableCharacters(const std::string& text)
{
    static const std::string allowed[]
        = { "é", "è", "ê", "ë", "ç", "à", "â", "ä", "û", "ù", "ü", "ï", "î", "ô", "ö", "²" };
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7f) {
            ++i;
            continue;
        }
        bool found = false;
        for (const auto& a : allowed)
            if (text.compare(i, a.size(), a) == 0) {
                i += a.size();
                found = true;
                break;
            }
        if (!found) return false;
    }
    return true;
}

TEST(ClassifyTexts, EveryKnownCaseWritesOnlyDecodableCharacters)
{
    auto check = [](const auto& cases) {
        for (const KnownCase& c : cases) {
            const Nature n = Classify(c.p, c.q);
            EXPECT_TRUE(OnlyDecodableCharacters(n.explanation)) << c.name << ": " << n.explanation;
            EXPECT_FALSE(n.explanation.empty()) << c.name;
            for (char ch : n.reason)
                EXPECT_TRUE(ch >= 0x20 && ch < 0x7f) << c.name << ": " << n.reason;
        }
    };
    check(kImaginary);
    check(kHyperbolic);
    check(kSemiHyperbolic);
    check(kNilpotent);
    check(kZero);
}

TEST(ClassifyTexts, IrrationalDirectionsAndSquareRootsStayDecodable)
{
    EXPECT_TRUE(OnlyDecodableCharacters(Classify("x^3", "2*x^2*y - y^3 + x^3 - 2*x*y^2").explanation));
    EXPECT_TRUE(
        OnlyDecodableCharacters(Classify("-y + x*(2*x^2+y^2)^2", "2*x + y*(2*x^2+y^2)^2").explanation));
}

TEST(ClassifyPreconditions, RejectsAPointThatIsNotFixed)
{
    EXPECT_THROW(Classify("1 + x", "y"), std::invalid_argument);
}

TEST(ClassifyPreconditions, RejectsALiteralConstant)
{
    const auto ctx = std::make_shared<const flint::MpolyCtx>(std::vector<std::string> { "x", "y", "a" });
    EXPECT_THROW(ClassifyOrigin(Parse("a*x", ctx), Parse("y", ctx)), std::invalid_argument);
}

} // namespace
} // namespace vindrel::engine
