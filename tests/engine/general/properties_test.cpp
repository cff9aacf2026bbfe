// System properties: named systems, the Bendixson-Dulac sign rules, and
// fixed-seed random systems checked against direct computations.
#include "support.h"

#include <gtest/gtest.h>

#include <random>

namespace vindrel::engine::general::testing {
namespace {

struct PropertyCase {
    const char* name;
    const char* P;
    const char* Q;
    int degree;
    bool linear, hamiltonian, gradient, homogeneous, lotkaVolterra;
    std::vector<Symmetry> symmetries;
    std::vector<std::string> lines;
};

class NamedSystems : public ::testing::TestWithParam<PropertyCase> { };

TEST_P(NamedSystems, HaveTheirKnownProperties)
{
    const auto& c = GetParam();
    auto ctx = XY();
    const auto props = AnalyseProperties(Poly(ctx, c.P), Poly(ctx, c.Q));
    EXPECT_EQ(props.degree, c.degree);
    EXPECT_EQ(props.linear, c.linear);
    EXPECT_EQ(props.hamiltonian, c.hamiltonian);
    EXPECT_EQ(props.gradient, c.gradient);
    EXPECT_EQ(props.homogeneous, c.homogeneous);
    EXPECT_EQ(props.lotkaVolterra, c.lotkaVolterra);
    EXPECT_EQ(props.symmetries, c.symmetries);
    std::vector<std::string> lines;
    for (const auto& l : props.invariantLines)
        lines.push_back(l.text);
    EXPECT_EQ(lines, c.lines);
}

using S = Symmetry;
INSTANTIATE_TEST_SUITE_P(Properties, NamedSystems,
    ::testing::Values(PropertyCase { "LotkaVolterraHasBothAxesInvariant", "x-x*y", "-y+x*y", 2, false, false,
                          false, false, true, {}, { "x = 0", "y = 0" } },
        PropertyCase { "HamiltonianIsReversibleInY", "y", "-x+x^2", 2, false, true, false, false, false,
            { S::ReverseY }, {} },
        PropertyCase { "GradientOfAQuarticPotential", "x-x^3", "-y", 3, false, false, true, false, false,
            { S::Central }, { "x = 0", "x + 1 = 0", "x - 1 = 0", "y = 0" } },
        PropertyCase { "HomogeneousQuadratic", "x^2-y^2", "2*x*y", 2, false, false, false, true, false,
            { S::ReverseX }, { "y = 0" } },
        PropertyCase { "LinearNodeWithRationalEigenvectors", "2*x+y", "x+2*y", 1, true, false, true, true,
            false, { S::Central }, { "x - y = 0", "x + y = 0" } },
        PropertyCase { "AffineLineOffOrigin", "x-1", "-(y-2)", 1, true, true, true, false, false, {},
            { "x - 1 = 0", "y - 2 = 0" } },
        PropertyCase { "ConstantFlowHasAFamilyOfLines", "1", "0", 0, true, true, true, true, false,
            { S::ReverseX }, { "y = constante" } },
        PropertyCase { "GradientReversibleInXOnly", "x^2+y", "x", 2, false, false, true, false, false,
            { S::ReverseX }, {} }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Properties, ZeroSystemIsReportedAsEveryPointFixed)
{
    auto ctx = XY();
    const auto props = AnalyseProperties(Poly(ctx, "0"), Poly(ctx, "0"));
    EXPECT_TRUE(props.zeroSystem);
    const auto a = AnalyseGeneral(Poly(ctx, "0"), Poly(ctx, "0"), {}, PointList::Complete);
    EXPECT_EQ(a.periodic.verdict, PeriodicOrbits::Impossible);
    EXPECT_NE(a.reports.conclusions.find("tous les points du plan sont fixes"), std::string::npos);
}

TEST(Properties, CommonFactorOfPAndQIsReported)
{
    auto ctx = XY();
    const auto props = AnalyseProperties(Poly(ctx, "x*(x-y)"), Poly(ctx, "x*(y+1)"));
    ASSERT_TRUE(props.commonFactor.has_value());
    EXPECT_EQ(*props.commonFactor, "x");
}

TEST(Properties, LiteralConstantsStopTheAnalysisButDecideTheDivergence)
{
    auto ctx = XYAB();
    const auto props = AnalyseProperties(Poly(ctx, "-a"), Poly(ctx, "-2*a*b*x-b"));
    EXPECT_TRUE(props.hasParameters);
    EXPECT_TRUE(props.hamiltonian);
    const auto r = AnalyseGeneral(Poly(ctx, "a*x"), Poly(ctx, "y"), {}, PointList::Complete).reports;
    EXPECT_NE(r.conclusions.find("La divergence dépend des constantes"), std::string::npos);
    const auto never = AnalyseGeneral(Poly(ctx, "a*y+x"), Poly(ctx, "b*x"), {}, PointList::Complete).reports;
    EXPECT_NE(never.conclusions.find("n'est nulle pour aucune valeur des constantes"), std::string::npos);
    EXPECT_NE(never.calculations.find("Cliquez le bouton Hamiltonien?"), std::string::npos);
}

// The divergence d is obtained from P = integral of d in x, Q = x.
struct SignCase {
    const char* name;
    const char* divergence;
    DivergenceSign sign;
};

class DivergenceSigns : public ::testing::TestWithParam<SignCase> { };

TEST_P(DivergenceSigns, AreDecidedExactly)
{
    const auto& c = GetParam();
    auto ctx = XY();
    FmpqMpoly P(ctx);
    fmpq_mpoly_integral(P.raw(), Poly(ctx, c.divergence).raw(), 0, ctx->raw());
    const auto props = AnalyseProperties(P, Poly(ctx, "x"));
    EXPECT_EQ(props.divergenceSign, c.sign) << props.divergenceSignReason;
}

using D = DivergenceSign;
INSTANTIATE_TEST_SUITE_P(Bendixson, DivergenceSigns,
    ::testing::Values(SignCase { "Zero", "0", D::Zero }, SignCase { "PositiveConstant", "3", D::NonNegative },
        SignCase { "NegativeConstant", "-1/2", D::NonPositive },
        SignCase { "OddDegreeChanges", "x+y^3", D::ChangesSign },
        SignCase { "SumOfEvenPowers", "x^2+2*y^4", D::NonNegative },
        SignCase { "MinusSumOfEvenPowers", "-x^2*y^2-3*y^4-1", D::NonPositive },
        SignCase { "PerfectSquare", "x^2-2*x*y+y^2", D::NonNegative },
        SignCase { "MinusPerfectSquare", "-(x^2+y+1)^2", D::NonPositive },
        SignCase { "DefiniteQuadratic", "x^2+x*y+y^2+x+1", D::NonNegative },
        SignCase { "NegativeQuadratic", "-x^2-y^2+2*x*y-1", D::NonPositive },
        SignCase { "IndefiniteQuadratic", "1-x^2", D::ChangesSign },
        SignCase { "QuadraticWithNegativeMinimum", "x^2+y^2-1", D::ChangesSign },
        SignCase { "QuarticLeftUndecided", "x^2*y^2-x^4", D::Unknown }),
    [](const auto& info) { return std::string(info.param.name); });

// Random systems of degree <= 3 with small coefficients, fixed seed.
std::string PolyTextOf(const FmpqMpoly& p)
{
    return flint::TakeString(fmpq_mpoly_get_str_pretty(p.raw(), p.ctx()->cnames(), p.craw()));
}

class RandomSystems : public ::testing::Test {
protected:
    std::mt19937 rng { 20240607 };
    flint::MpolyCtxPtr ctx = XY();

    FmpqMpoly RandomPoly(int degree, int density)
    {
        std::string s = "0";
        std::uniform_int_distribution<int> coeff(-3, 3), keep(0, 99);
        for (int i = 0; i <= degree; ++i)
            for (int j = 0; i + j <= degree; ++j)
                if (keep(rng) < density)
                    s += "+(" + std::to_string(coeff(rng)) + ")*x^" + std::to_string(i) + "*y^"
                        + std::to_string(j);
        return Poly(ctx, s);
    }

    FmpqMpoly Substitute(const FmpqMpoly& p, const char* x, const char* y)
    {
        FmpqMpoly X = Poly(ctx, x), Y = Poly(ctx, y), out(ctx);
        fmpq_mpoly_struct* subs[2] = { X.raw(), Y.raw() };
        fmpq_mpoly_compose_fmpq_mpoly(out.raw(), p.raw(), subs, ctx->raw(), ctx->raw());
        return out;
    }

    bool Eq(const FmpqMpoly& a, const FmpqMpoly& b) { return fmpq_mpoly_equal(a.raw(), b.raw(), ctx->raw()); }
    FmpqMpoly Neg(const FmpqMpoly& a)
    {
        FmpqMpoly n(ctx);
        fmpq_mpoly_neg(n.raw(), a.raw(), ctx->raw());
        return n;
    }
};

TEST_F(RandomSystems, SymmetriesAgreeWithSubstitution)
{
    for (int n = 0; n < 300; ++n) {
        const FmpqMpoly P = RandomPoly(3, n % 3 == 0 ? 20 : 45), Q = RandomPoly(3, n % 3 == 0 ? 20 : 45);
        if (fmpq_mpoly_is_zero(P.raw(), ctx->raw()) && fmpq_mpoly_is_zero(Q.raw(), ctx->raw())) continue;
        const auto props = AnalyseProperties(P, Q);
        auto has = [&](Symmetry s) {
            return std::find(props.symmetries.begin(), props.symmetries.end(), s) != props.symmetries.end();
        };
        EXPECT_EQ(
            has(Symmetry::ReverseY), Eq(Substitute(P, "x", "-y"), Neg(P)) && Eq(Substitute(Q, "x", "-y"), Q));
        EXPECT_EQ(
            has(Symmetry::ReverseX), Eq(Substitute(P, "-x", "y"), P) && Eq(Substitute(Q, "-x", "y"), Neg(Q)));
        EXPECT_EQ(has(Symmetry::Central),
            Eq(Substitute(P, "-x", "-y"), Neg(P)) && Eq(Substitute(Q, "-x", "-y"), Neg(Q)));
        // Homogeneous of degree d: P(2x, 2y) = 2^d P(x, y), with one d for both.
        const int dp = static_cast<int>(fmpq_mpoly_total_degree_si(P.raw(), ctx->raw()));
        const int dq = static_cast<int>(fmpq_mpoly_total_degree_si(Q.raw(), ctx->raw()));
        auto scaled = [&](const FmpqMpoly& p, int d) {
            if (d < 0) return true;
            FmpqMpoly r(ctx);
            fmpq_mpoly_scalar_mul_si(r.raw(), p.raw(), 1L << d, ctx->raw());
            return Eq(Substitute(p, "2*x", "2*y"), r);
        };
        EXPECT_EQ(props.homogeneous, scaled(P, dp) && scaled(Q, dq) && (dp < 0 || dq < 0 || dp == dq));
        // Lotka-Volterra: P = x A, Q = y B with A and B of degree at most 1.
        auto factorOf = [&](const FmpqMpoly& p, const char* v) {
            FmpqMpoly quotient(ctx);
            return fmpq_mpoly_divides(quotient.raw(), p.raw(), Poly(ctx, v).raw(), ctx->raw())
                && fmpq_mpoly_total_degree_si(quotient.raw(), ctx->raw()) <= 1;
        };
        EXPECT_EQ(props.lotkaVolterra, factorOf(P, "x") && factorOf(Q, "y"));
    }
}

TEST_F(RandomSystems, InvariantLinesDivideTheirDerivativeAndPlantedLinesAreFound)
{
    std::uniform_int_distribution<int> small(-3, 3);
    for (int n = 0; n < 150; ++n) {
        // Plant L = x + b y + c: take P at random and Q so that P + b Q = L R.
        const int b = small(rng) == 0 ? 1 : small(rng), c = small(rng);
        if (b == 0) continue;
        const std::string L = "(x+(" + std::to_string(b) + ")*y+(" + std::to_string(c) + "))";
        const FmpqMpoly P = RandomPoly(3, 40), R = RandomPoly(2, 40);
        if (fmpq_mpoly_is_zero(R.raw(), ctx->raw())) continue; // every parallel line would do
        FmpqMpoly LR(ctx), Q(ctx);
        fmpq_mpoly_mul(LR.raw(), Poly(ctx, L).raw(), R.raw(), ctx->raw());
        fmpq_mpoly_sub(Q.raw(), LR.raw(), P.raw(), ctx->raw());
        Fmpq inv;
        fmpq_set_si(inv.raw(), b < 0 ? -1 : 1, static_cast<ulong>(b < 0 ? -b : b));
        fmpq_mpoly_scalar_mul_fmpq(Q.raw(), Q.raw(), inv.raw(), ctx->raw());
        const auto props = AnalyseProperties(P, Q);
        if (!props.linesSearched || props.zeroSystem) continue;
        bool found = false;
        for (const auto& line : props.invariantLines) {
            if (line.kind == LineKind::ParallelFamily) continue;
            FmpqMpoly Lp(ctx), G(ctx), t(ctx), quotient(ctx);
            fmpq_mpoly_scalar_mul_fmpq(G.raw(), P.raw(), line.a.raw(), ctx->raw());
            fmpq_mpoly_scalar_mul_fmpq(t.raw(), Q.raw(), line.b.raw(), ctx->raw());
            fmpq_mpoly_add(G.raw(), G.raw(), t.raw(), ctx->raw());
            Lp = Poly(ctx, "x");
            fmpq_mpoly_scalar_mul_fmpq(Lp.raw(), Lp.raw(), line.a.raw(), ctx->raw());
            fmpq_mpoly_scalar_mul_fmpq(t.raw(), Poly(ctx, "y").raw(), line.b.raw(), ctx->raw());
            fmpq_mpoly_add(Lp.raw(), Lp.raw(), t.raw(), ctx->raw());
            fmpq_mpoly_add_fmpq(Lp.raw(), Lp.raw(), line.c.raw(), ctx->raw());
            EXPECT_TRUE(fmpq_mpoly_divides(quotient.raw(), G.raw(), Lp.raw(), ctx->raw())) << line.text;
            FmpqMpoly planted = Poly(ctx, L), q2(ctx);
            if (fmpq_mpoly_divides(q2.raw(), Lp.raw(), planted.raw(), ctx->raw())) found = true;
        }
        std::string seen;
        for (const auto& line : props.invariantLines)
            seen += line.text + " ; ";
        EXPECT_TRUE(found) << "planted line " << L << " not found in P = " << PolyTextOf(P)
                           << ", Q = " << PolyTextOf(Q) << ": " << seen;
    }
}

TEST_F(RandomSystems, NonNegativeDivergenceIsNeverNegativeAtSamplePoints)
{
    std::uniform_int_distribution<int> v(-20, 20);
    int decided = 0;
    for (int n = 0; n < 300; ++n) {
        const FmpqMpoly P = RandomPoly(3, 35), Q = RandomPoly(3, 35);
        const auto props = AnalyseProperties(P, Q);
        if (props.zeroSystem) continue;
        const int sign = props.divergenceSign == DivergenceSign::NonNegative ? 1
            : props.divergenceSign == DivergenceSign::NonPositive            ? -1
                                                                             : 0;
        if (sign == 0) continue;
        ++decided;
        FmpqMpoly div(ctx), t(ctx);
        fmpq_mpoly_derivative(div.raw(), P.raw(), 0, ctx->raw());
        fmpq_mpoly_derivative(t.raw(), Q.raw(), 1, ctx->raw());
        fmpq_mpoly_add(div.raw(), div.raw(), t.raw(), ctx->raw());
        for (int k = 0; k < 50; ++k) {
            Fmpq x, y, value;
            fmpq_set_si(x.raw(), v(rng), 4);
            fmpq_set_si(y.raw(), v(rng), 4);
            fmpq* vals[2] = { x.raw(), y.raw() };
            fmpq_mpoly_evaluate_all_fmpq(value.raw(), div.raw(), vals, ctx->raw());
            EXPECT_GE(sign * fmpq_sgn(value.raw()), 0);
        }
    }
    EXPECT_GT(decided, 10);
}

TEST_F(RandomSystems, ReportsUseOnlyResultCharacters)
{
    for (int n = 0; n < 100; ++n) {
        // Without constant terms the origin is a fixed point.
        FmpqMpoly P = RandomPoly(3, 45), Q = RandomPoly(3, 45);
        Fmpq p0, q0, zero;
        fmpq* vals[2] = { zero.raw(), zero.raw() };
        fmpq_mpoly_evaluate_all_fmpq(p0.raw(), P.raw(), vals, ctx->raw());
        fmpq_mpoly_evaluate_all_fmpq(q0.raw(), Q.raw(), vals, ctx->raw());
        fmpq_mpoly_sub_fmpq(P.raw(), P.raw(), p0.raw(), ctx->raw());
        fmpq_mpoly_sub_fmpq(Q.raw(), Q.raw(), q0.raw(), ctx->raw());
        const auto a = AnalyseGeneral(P, Q, { RationalPoint("0", "0") }, PointList::Partial);
        EXPECT_TRUE(OnlyResultCharacters(a.reports.conclusions)) << a.reports.conclusions;
        EXPECT_TRUE(OnlyResultCharacters(a.reports.calculations)) << a.reports.calculations;
        EXPECT_NE(a.periodic.verdict, PeriodicOrbits::Possible)
            << "no centre can be proved by a partial list here" << a.reports.conclusions;
    }
}

} // namespace
} // namespace vindrel::engine::general::testing

namespace vindrel::engine::general::testing {
namespace {

// tarnel2.res tells the blow-up of the first degenerate point step by step,
// numbered without a gap and ending on its name; the next one in a paragraph.
TEST(Calculations, FirstDegeneratePointStepByStep)
{
    auto ctx = XY();
    const auto a = AnalyseGeneral(Poly(ctx, "y^2"), Poly(ctx, "x^2*(x-1)^2"),
        { RationalPoint("0", "0"), RationalPoint("1", "0") }, PointList::Complete);
    const std::string& text = a.reports.calculations;
    EXPECT_TRUE(OnlyResultCharacters(text)) << text;
    const std::size_t second = text.find("POINT FIXE (1, 0)");
    ASSERT_NE(second, std::string::npos) << text;
    int last = 0;
    for (std::size_t at = text.find("\nEtape "); at != std::string::npos;
         at = text.find("\nEtape ", at + 1)) {
        EXPECT_LT(at, second) << text;
        EXPECT_EQ(++last, std::stoi(text.substr(at + 7))) << text;
    }
    EXPECT_GE(last, 6);
    const std::size_t end = text.find("\nEtape " + std::to_string(last) + " : Le point est : ");
    EXPECT_NE(end, std::string::npos) << text;
    EXPECT_NE(text.find("Eclatement", second), std::string::npos) << text;
}

} // namespace
} // namespace vindrel::engine::general::testing
