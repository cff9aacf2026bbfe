// Fixed-seed random systems checked by identities: every point solves the
// system inside its box, the real count agrees with an independent count,
// and the answer does not change when x and y are swapped or x is scaled.
#include "test_support.h"

#include "engine/fixedpoints/system.h"

#include <arb.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace vindrel::engine {
namespace {

using testing::Poly;
using testing::XyContext;

std::string RandomDense(std::mt19937& rng, int degree)
{
    std::uniform_int_distribution<int> coeff(-5, 5);
    std::string s = "0";
    for (int i = 0; i <= degree; ++i) {
        for (int j = 0; i + j <= degree; ++j) {
            s += " + (" + std::to_string(coeff(rng)) + ")*x^" + std::to_string(i) + "*y^" + std::to_string(j);
        }
    }
    return s;
}

std::string Substitute(const std::string& text, const std::string& forX, const std::string& forY)
{
    std::string out;
    for (char c : text) {
        if (c == 'x')
            out += forX;
        else if (c == 'y')
            out += forY;
        else
            out += c;
    }
    return out;
}

bool BoxSolves(const flint::FmpqMpoly& p, const FixedPoint& pt)
{
    arb_t x, y, v, t, pw;
    arb_init(x), arb_init(y), arb_init(v), arb_init(t), arb_init(pw);
    arf_t lo, hi;
    arf_init(lo), arf_init(hi);
    arf_set_d(lo, pt.xBox[0]), arf_set_d(hi, pt.xBox[1]);
    arb_set_interval_arf(x, lo, hi, 128);
    arf_set_d(lo, pt.yBox[0]), arf_set_d(hi, pt.yBox[1]);
    arb_set_interval_arf(y, lo, hi, 128);
    ulong e[2];
    flint::Fmpq c;
    for (slong k = 0; k < fmpq_mpoly_length(p.raw(), p.craw()); ++k) {
        fmpq_mpoly_get_term_coeff_fmpq(c.raw(), p.raw(), k, p.craw());
        fmpq_mpoly_get_term_exp_ui(e, p.raw(), k, p.craw());
        arb_set_fmpq(t, c.raw(), 128);
        arb_pow_ui(pw, x, e[0], 128);
        arb_mul(t, t, pw, 128);
        arb_pow_ui(pw, y, e[1], 128);
        arb_mul(t, t, pw, 128);
        arb_add(v, v, t, 128);
    }
    const bool ok = arb_contains_zero(v);
    arb_clear(x), arb_clear(y), arb_clear(v), arb_clear(t), arb_clear(pw);
    arf_clear(lo), arf_clear(hi);
    return ok;
}

// Distinct real roots of Res_y(P, Q) in x, counted with Sturm sequences.
long RealRootsOfResultant(const flint::FmpqMpoly& P, const flint::FmpqMpoly& Q)
{
    flint::FmpqMpoly r(P.ctx());
    fmpq_mpoly_resultant(r.raw(), P.raw(), Q.raw(), 1, P.craw());
    flint::FmpqPoly u;
    fmpq_mpoly_get_fmpq_poly(u.raw(), r.raw(), 0, r.craw());
    flint::FmpzPoly z, d, g;
    fmpq_poly_get_numerator(z.raw(), u.raw());
    fmpz_poly_derivative(d.raw(), z.raw());
    fmpz_poly_gcd(g.raw(), z.raw(), d.raw());
    fmpz_poly_div(z.raw(), z.raw(), g.raw());
    return fmpz_poly_num_real_roots_sturm(z.raw());
}

struct Sample {
    std::string P, Q;
};

std::vector<Sample> Samples()
{
    std::mt19937 rng(20261207);
    std::vector<Sample> out;
    for (int degree : { 1, 2, 2, 3, 3, 3, 4, 4, 5 }) {
        for (int k = 0; k < 3; ++k)
            out.push_back({ RandomDense(rng, degree), RandomDense(rng, degree) });
    }
    return out;
}

TEST(RandomSystems, EveryReportedPointSolvesTheSystemInItsBox)
{
    for (const Sample& s : Samples()) {
        const auto P = Poly(s.P), Q = Poly(s.Q);
        const FixedPointAnalysis a = AnalyseFixedPoints(P, Q, Deadline(std::chrono::hours(1)));
        ASSERT_TRUE(a.pointsCertified) << s.P;
        for (const FixedPoint& pt : a.points) {
            EXPECT_TRUE(BoxSolves(P, pt) && BoxSolves(Q, pt)) << s.P << " ; " << s.Q << " at " << pt.xApprox;
            EXPECT_LE(pt.xBox[1] - pt.xBox[0], 1e-12 * std::max(1.0, std::fabs(pt.xApprox)));
        }
    }
}

TEST(RandomSystems, RealCountMatchesSturmCountOnTheResultant)
{
    for (const Sample& s : Samples()) {
        const auto P = Poly(s.P), Q = Poly(s.Q);
        const FixedPointAnalysis a = AnalyseFixedPoints(P, Q, Deadline(std::chrono::hours(1)));
        // Generic systems: distinct real points have distinct abscissas.
        EXPECT_EQ(RealRootsOfResultant(P, Q), static_cast<long>(a.points.size())) << s.P << " ; " << s.Q;
    }
}

TEST(RandomSystems, SwappingXAndYSwapsThePoints)
{
    for (const Sample& s : Samples()) {
        const FixedPointAnalysis a
            = AnalyseFixedPoints(Poly(s.P), Poly(s.Q), Deadline(std::chrono::hours(1)));
        // New coordinates (X, Y) = (y, x): dX/dt = Q(Y, X), dY/dt = P(Y, X).
        const FixedPointAnalysis c = AnalyseFixedPoints(Poly(Substitute(s.Q, "y", "x")),
            Poly(Substitute(s.P, "y", "x")), Deadline(std::chrono::hours(1)));
        ASSERT_EQ(a.points.size(), c.points.size()) << s.P;
        EXPECT_EQ(a.complexCount, c.complexCount);
        std::vector<std::pair<double, double>> pa, pc;
        for (const FixedPoint& p : a.points)
            pa.emplace_back(p.yApprox, p.xApprox);
        for (const FixedPoint& p : c.points)
            pc.emplace_back(p.xApprox, p.yApprox);
        std::sort(pa.begin(), pa.end());
        for (size_t i = 0; i < pa.size(); ++i) {
            EXPECT_NEAR(pa[i].first, pc[i].first, 1e-12 * (1 + std::fabs(pa[i].first)));
            EXPECT_NEAR(pa[i].second, pc[i].second, 1e-12 * (1 + std::fabs(pa[i].second)));
        }
    }
}

TEST(RandomSystems, ScalingXScalesTheAbscissas)
{
    for (const Sample& s : Samples()) {
        const FixedPointAnalysis a
            = AnalyseFixedPoints(Poly(s.P), Poly(s.Q), Deadline(std::chrono::hours(1)));
        // x = 3X: dX/dt = P(3X, y)/3, dy/dt = Q(3X, y) has the points (x/3, y)
        // and a similar Jacobian, so the same natures.
        const FixedPointAnalysis c = AnalyseFixedPoints(Poly("(" + Substitute(s.P, "(3*x)", "y") + ")/3"),
            Poly(Substitute(s.Q, "(3*x)", "y")), Deadline(std::chrono::hours(1)));
        ASSERT_EQ(a.points.size(), c.points.size()) << s.P;
        EXPECT_EQ(a.complexCount, c.complexCount);
        for (size_t i = 0; i < a.points.size(); ++i) {
            EXPECT_NEAR(
                a.points[i].xApprox / 3, c.points[i].xApprox, 1e-12 * (1 + std::fabs(a.points[i].xApprox)));
            EXPECT_NEAR(
                a.points[i].yApprox, c.points[i].yApprox, 1e-12 * (1 + std::fabs(a.points[i].yApprox)));
            EXPECT_EQ(a.points[i].nature.type, c.points[i].nature.type);
        }
    }
}

TEST(RandomSystems, ACommonLinearFactorAddsOneCurveAndKeepsThePoints)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> coeff(1, 4);
    for (const Sample& s : Samples()) {
        const std::string g = "(" + std::to_string(coeff(rng)) + "*x-" + std::to_string(coeff(rng)) + "*y+"
            + std::to_string(coeff(rng)) + ")";
        const FixedPointAnalysis alone
            = AnalyseFixedPoints(Poly(s.P), Poly(s.Q), Deadline(std::chrono::hours(1)));
        const FixedPointAnalysis both = AnalyseFixedPoints(
            Poly(g + "*(" + s.P + ")"), Poly(g + "*(" + s.Q + ")"), Deadline(std::chrono::hours(1)));
        ASSERT_EQ(1u, both.curves.size()) << g;
        ASSERT_EQ(alone.points.size(), both.points.size()) << s.P;
        EXPECT_EQ(alone.complexCount, both.complexCount);
        for (size_t i = 0; i < alone.points.size(); ++i) {
            EXPECT_EQ(alone.points[i].xApprox, both.points[i].xApprox);
            EXPECT_EQ(alone.points[i].yApprox, both.points[i].yApprox);
        }
    }
}

// A common factor with finitely many real points (a definite form, a sum of
// squares) gives isolated points, found exactly: those of the cofactors and
// those of the factor, and on the sphere the indices add up to 2.
TEST(RandomSystems, ACommonFactorWithoutRealCurveAddsIsolatedPoints)
{
    struct Factor {
        std::string g;
        std::vector<std::pair<double, double>> points;
    };
    const double r2 = std::sqrt(2.0);
    const std::vector<Factor> factors = { { "(x^2+y^2)", { { 0, 0 } } },
        { "((x-1)^4+2*(y+1)^2)", { { 1, -1 } } }, { "((x^2-2)^2+(y-x)^2)", { { -r2, -r2 }, { r2, r2 } } },
        { "(x^2+x*y+y^2)*((x-2)^2+3*y^2)", { { 0, 0 }, { 2, 0 } } } };
    std::mt19937 rng(11);
    int summed = 0;
    for (int k = 0; k < 24; ++k) {
        const Factor& f = factors[static_cast<size_t>(k) % factors.size()];
        const std::string p = RandomDense(rng, 1 + k % 2), q = RandomDense(rng, 1);
        const FixedPointAnalysis alone
            = AnalyseFixedPoints(Poly(p), Poly(q), Deadline(std::chrono::hours(1)));
        const FixedPointAnalysis a = AnalyseSystemFixedPoints(
            ParseSystem(f.g + "*(" + p + ")", f.g + "*(" + q + ")"), Deadline(std::chrono::hours(1)));
        if (!alone.curves.empty()) continue;
        EXPECT_TRUE(a.curves.empty()) << f.g;
        EXPECT_EQ(alone.complexCount, a.complexCount) << f.g << " " << p << " ; " << q;
        std::vector<std::pair<double, double>> expected = f.points, found;
        for (const FixedPoint& pt : alone.points)
            if (std::none_of(f.points.begin(), f.points.end(), [&](const auto& z) {
                    return std::hypot(z.first - pt.xApprox, z.second - pt.yApprox) < 1e-9;
                }))
                expected.emplace_back(pt.xApprox, pt.yApprox);
        for (const FixedPoint& pt : a.points)
            found.emplace_back(pt.xApprox, pt.yApprox);
        std::sort(expected.begin(), expected.end());
        ASSERT_EQ(expected.size(), found.size()) << f.g << " " << p << " ; " << q;
        for (size_t i = 0; i < found.size(); ++i)
            EXPECT_LT(
                std::hypot(expected[i].first - found[i].first, expected[i].second - found[i].second), 1e-9);
        if (a.infinity != InfinityKind::Points) continue;
        int sum = 0;
        bool known = true;
        for (const FixedPoint& pt : a.points) {
            known = known && pt.nature.index.has_value();
            sum += 2 * pt.nature.index.value_or(0);
        }
        for (const InfinitePoint& pt : a.infinite) {
            known = known && pt.nature.index.has_value();
            sum += 2 * pt.nature.index.value_or(0);
        }
        if (!known) continue;
        EXPECT_EQ(2, sum) << f.g << " " << p << " ; " << q << DovraReport(a) << SkellinReport(a);
        ++summed;
    }
    EXPECT_GE(summed, 12);
}

TEST(RandomSystems, ReportsUseOnlyDecodableCharacters)
{
    for (const Sample& s : Samples()) {
        const FixedPointAnalysis a
            = AnalyseFixedPoints(Poly(s.P), Poly(s.Q), Deadline(std::chrono::hours(1)));
        std::string bad;
        EXPECT_TRUE(testing::OnlyDecodableCharacters(DovraReport(a), &bad)) << bad;
        EXPECT_TRUE(testing::OnlyDecodableCharacters(SkellinReport(a), &bad)) << bad;
    }
}

} // namespace
} // namespace vindrel::engine
