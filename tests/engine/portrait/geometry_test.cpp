#include "engine/portrait/portrait.h"
#include "field_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vindrel::portrait {
namespace {

using testing::FieldOf;

double Cross2(Vec2 a, Vec2 b) { return a.x * b.y - a.y * b.x; }

// The unit direction from the fixed point to the first point of the curve
// farther than `reach` from it.
Vec2 LeavingDirection(const Orbit& o, Vec2 from, double reach)
{
    for (Vec2 p : o.points)
        if (Norm(p - from) > reach) return (1 / Norm(p - from)) * (p - from);
    return {0, 0};
}

TEST(Separatrices, LeaveATiltedSaddleAlongItsEigenvectors)
{
    // x' = x + 2y, y' = 2x + y: unstable along (1,1) (lambda 3), stable along (1,-1) (lambda -1).
    PolynomialField f = FieldOf("x+2*y", "2*x+y");
    Portrait p = ComputePortrait(f, {{0, 0, "saddle", ""}}, {});
    ASSERT_EQ(p.separatrices.size(), 4u);
    const double s = 1 / std::sqrt(2.0);
    int unstable = 0;
    for (const Separatrix& sep : p.separatrices) {
        Vec2 d = LeavingDirection(sep.orbit, {0, 0}, 1e-2);
        Vec2 axis = sep.kind == SeparatrixKind::Unstable ? Vec2{s, s} : Vec2{s, -s};
        EXPECT_NEAR(std::abs(Dot(d, axis)), 1, 1e-9);
        unstable += sep.kind == SeparatrixKind::Unstable;
        EXPECT_EQ(sep.orbit.points.front().x, 0);
        EXPECT_EQ(sep.orbit.points.front().y, 0);
    }
    EXPECT_EQ(unstable, 2);
}

TEST(Separatrices, FollowTheCurvedStableManifold)
{
    // x' = x + y^2, y' = -y: the stable manifold is x = -y^2/3, the unstable one y = 0.
    PolynomialField f = FieldOf("x+y^2", "-y");
    Portrait p = ComputePortrait(f, {{0, 0, "saddle", ""}}, {});
    ASSERT_EQ(p.separatrices.size(), 4u);
    for (const Separatrix& sep : p.separatrices) {
        ASSERT_GT(sep.orbit.points.size(), 10u);
        for (Vec2 q : sep.orbit.points) {
            if (!p.window.Contains(q)) continue;
            if (sep.kind == SeparatrixKind::Stable) {
                ASSERT_NEAR(q.x, -q.y * q.y / 3, 1e-6) << q.y;
            } else {
                ASSERT_NEAR(q.y, 0, 1e-9);
            }
        }
    }
}

TEST(Separatrices, SaddleNodeHasTwoStableAndOneUnstableOnItsSaddleSide)
{
    // x' = x^2, y' = -y: stable along the y axis, and x > 0 runs away.
    PolynomialField f = FieldOf("x^2", "-y");
    Portrait p = ComputePortrait(f, {{0, 0, "saddle_node", ""}}, {});
    ASSERT_EQ(p.separatrices.size(), 3u);
    int stable = 0;
    for (const Separatrix& sep : p.separatrices) {
        Vec2 d = LeavingDirection(sep.orbit, {0, 0}, 1e-2);
        if (sep.kind == SeparatrixKind::Stable) {
            ++stable;
            EXPECT_NEAR(std::abs(d.y), 1, 1e-6);
        } else {
            EXPECT_NEAR(d.x, 1, 1e-6);
        }
    }
    EXPECT_EQ(stable, 2);
}

TEST(Separatrices, SaddleWithAZeroEigenvalueHasFourAlongItsAxes)
{
    // x' = x, y' = -y^3: the x axis leaves the point, the y axis (the centre
    // direction) comes into it on both sides.
    PolynomialField f = FieldOf("x", "-y^3");
    Portrait p = ComputePortrait(f, {{0, 0, "saddle", "", "semi-hyperbolic"}}, {});
    ASSERT_EQ(p.separatrices.size(), 4u);
    int stable = 0;
    double upward = 0;
    for (const Separatrix& sep : p.separatrices) {
        Vec2 d = LeavingDirection(sep.orbit, {0, 0}, 1e-2);
        if (sep.kind == SeparatrixKind::Stable) {
            ++stable;
            upward += d.y;
            EXPECT_NEAR(std::abs(d.y), 1, 1e-6);
            for (Vec2 q : sep.orbit.points) ASSERT_NEAR(q.x, 0, 1e-9);
        } else {
            EXPECT_NEAR(std::abs(d.x), 1, 1e-6);
            for (Vec2 q : sep.orbit.points) ASSERT_NEAR(q.y, 0, 1e-9);
        }
    }
    EXPECT_EQ(stable, 2);
    EXPECT_NEAR(upward, 0, 1e-6) << "one above, one below";
}

// At 0.1 (not exact in binary), rounding leaves a tiny positive entry in the
// Jacobian of this nilpotent saddle: eigenvalues +-8e-8 whose "eigenvectors"
// started four separatrices, two of them up and down the y axis.
TEST(Separatrices, NoneFromANilpotentPoint)
{
    PolynomialField f = FieldOf("y", "(10*x-1)^3");
    Portrait p = ComputePortrait(f, {{0.1, 0, "saddle", "", "nilpotent"}}, {});
    EXPECT_TRUE(p.separatrices.empty());
    EXPECT_EQ(p.fixedPoints.at(0).type, "saddle");
}

TEST(Separatrices, NoneForNodesFociAndCentres)
{
    PolynomialField f = FieldOf("-x-y", "x-y");
    Portrait p = ComputePortrait(f, {{0, 0, "focus", "stable"}}, {});
    EXPECT_TRUE(p.separatrices.empty());
    EXPECT_FALSE(p.orbits.empty());
}

struct WindowCase {
    const char* name;
    std::vector<FixedPointInput> points;
    Window expected;
};

class DefaultWindows : public ::testing::TestWithParam<WindowCase> {};

TEST_P(DefaultWindows, FrameTheFixedPoints)
{
    const WindowCase& c = GetParam();
    Window w = DefaultWindow(c.points);
    EXPECT_DOUBLE_EQ(w.xmin, c.expected.xmin);
    EXPECT_DOUBLE_EQ(w.xmax, c.expected.xmax);
    EXPECT_DOUBLE_EQ(w.ymin, c.expected.ymin);
    EXPECT_DOUBLE_EQ(w.ymax, c.expected.ymax);
    for (const FixedPointInput& q : c.points) {
        EXPECT_GT(q.x, w.xmin + 0.1 * w.Width());
        EXPECT_LT(q.x, w.xmax - 0.1 * w.Width());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DefaultWindows,
    ::testing::Values(WindowCase{"None", {}, {-2, 2, -2, 2}},
                      WindowCase{"One", {{3, 1, "node", "stable"}}, {0, 6, -2, 4}},
                      WindowCase{"Duffing", {{-1, 0, "center", ""}, {0, 0, "saddle", ""}, {1, 0, "center", ""}},
                                 {-1.6, 1.6, -1.6, 1.6}},
                      WindowCase{"FarApart", {{0, 0, "saddle", ""}, {10, 4, "node", "stable"}}, {-3, 13, -6, 10}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Portrait, GivenWindowIsKeptAndAnEmptyOneRefused)
{
    PolynomialField f = FieldOf("y", "-x");
    PortraitOptions o;
    o.window = Window{-1, 3, 0, 2};
    Portrait p = ComputePortrait(f, {{0, 0, "center", ""}}, o);
    EXPECT_DOUBLE_EQ(p.window.xmax, 3);
    o.window = Window{1, 1, 0, 2};
    try {
        ComputePortrait(f, PortraitInput{}, o);
        FAIL() << "no error";
    } catch (const PortraitError& e) {
        EXPECT_STREQ(e.what(), "La fenêtre doit vérifier xmin < xmax et ymin < ymax.");
    }
}

TEST(Portrait, CentreOrbitsAreClosedAndDrawnOnce)
{
    PolynomialField f = FieldOf("x-x*y", "-y+x*y"); // Lotka-Volterra: centre at (1, 1)
    Portrait p = ComputePortrait(f, {{0, 0, "saddle", ""}, {1, 1, "center", ""}}, {});
    int closed = 0;
    for (const Orbit& o : p.orbits) {
        if (!o.closed) continue;
        ++closed;
        EXPECT_FALSE(o.limitCycle);
        // H = x - ln x + y - ln y is constant along the closed orbit.
        auto h = [](Vec2 q) { return q.x - std::log(q.x) + q.y - std::log(q.y); };
        for (Vec2 q : o.points) ASSERT_NEAR(h(q), h(o.points.front()), 1e-6);
    }
    EXPECT_GE(closed, 1);
}

TEST(Portrait, VanDerPolShowsItsLimitCycleOnce)
{
    PolynomialField f = FieldOf("y", "-x+y-x^2*y");
    Portrait p = ComputePortrait(f, {{0, 0, "focus", "unstable"}}, {});
    int cycles = 0;
    for (const Orbit& o : p.orbits) cycles += o.limitCycle;
    EXPECT_EQ(cycles, 1);
    EXPECT_EQ(p.orbits.size(), 12u);
}

TEST(Linearise, EigenvaluesAndDirections)
{
    Linearisation focus = Linearise(FieldOf("-x-y", "x-y"), {0, 0});
    EXPECT_FALSE(focus.realEigenvalues);
    EXPECT_DOUBLE_EQ(focus.lambda1, -1);
    EXPECT_DOUBLE_EQ(focus.imag, 1);
    Linearisation saddle = Linearise(FieldOf("x", "-y"), {0, 0});
    EXPECT_TRUE(saddle.realEigenvalues);
    EXPECT_DOUBLE_EQ(saddle.lambda1, 1);
    EXPECT_DOUBLE_EQ(saddle.lambda2, -1);
    EXPECT_NEAR(std::abs(saddle.v1.x), 1, 1e-15);
    EXPECT_NEAR(std::abs(saddle.v2.y), 1, 1e-15);
    Linearisation star = Linearise(FieldOf("-x", "-y"), {0, 0});
    EXPECT_TRUE(star.realEigenvalues);
    EXPECT_NEAR(std::abs(star.v1.x * star.v2.y - star.v1.y * star.v2.x), 1, 1e-15);
}

TEST(FixedPoints, FoundNumericallyAndClassifiedFromTheJacobian)
{
    auto pts = FindFixedPointsNumerically(FieldOf("y", "x-x^3"));
    ASSERT_EQ(pts.size(), 3u);
    EXPECT_NEAR(pts[0].x, -1, 1e-12);
    EXPECT_EQ(pts[1].type, "saddle");
    // Trace zero: a centre cannot be told from a weak focus numerically.
    EXPECT_EQ(pts[2].type, "undetermined");
    auto focus = FindFixedPointsNumerically(FieldOf("-x-y", "x-y"));
    ASSERT_EQ(focus.size(), 1u);
    EXPECT_EQ(focus[0].type, "focus");
    EXPECT_EQ(focus[0].stability, "stable");
}

TEST(Disc, CompactifiedFieldIsTangentToTheCircle)
{
    for (const char* p : {"x", "x+y^2", "y", "x-x*y"}) {
        for (const char* q : {"-y", "x-x^3", "-y+x*y"}) {
            PolynomialField f = FieldOf(p, q);
            for (int k = 0; k < 36; ++k) {
                double t = 2 * std::numbers::pi * k / 36;
                Vec2 c{std::cos(t), std::sin(t)};
                EXPECT_NEAR(Dot(f.Disc(c), c), 0, 1e-12) << p << " / " << q << " at " << t;
            }
        }
    }
}

TEST(Disc, SaddleHasFourPointsAtInfinityAndOrbitsStayInside)
{
    PolynomialField f = FieldOf("x", "-y");
    PortraitOptions o;
    o.projection = Projection::PoincareDisc;
    Portrait p = ComputePortrait(f, {{0, 0, "saddle", ""}}, o);
    ASSERT_EQ(p.infinitePoints.size(), 4u);
    for (Vec2 q : p.infinitePoints) {
        EXPECT_NEAR(Norm(q), 1, 1e-12);
        EXPECT_NEAR(std::abs(q.x * q.y), 0, 1e-9); // on the axes
    }
    for (const Orbit& orbit : p.orbits)
        for (Vec2 q : orbit.points) ASSERT_LE(Norm(q), 1 + 1e-12);
    // The unstable separatrices run along the x axis out to infinity.
    for (const Separatrix& s : p.separatrices) {
        if (s.kind == SeparatrixKind::Unstable) {
            EXPECT_GT(std::abs(s.orbit.points.back().x), 0.99);
        }
    }
}

// Regression: orbits crawling along the circle near its degenerate points at
// infinity made the closed-orbit check quadratic; the fast check must still
// find the cycle, once, and every point at infinity.
TEST(Disc, VanDerPolKeepsItsLimitCycleAndItsFourPointsAtInfinity)
{
    PolynomialField f = FieldOf("y", "-x+y-x^2*y");
    PortraitOptions o;
    o.projection = Projection::PoincareDisc;
    Portrait p = ComputePortrait(f, {{0, 0, "focus", "unstable"}}, o);
    ASSERT_EQ(p.infinitePoints.size(), 4u);
    for (Vec2 q : p.infinitePoints) EXPECT_NEAR(std::abs(q.x * q.y), 0, 1e-9);
    std::vector<const Orbit*> cycles;
    for (const Orbit& orbit : p.orbits)
        if (orbit.limitCycle) cycles.push_back(&orbit);
    ASSERT_EQ(cycles.size(), 1u);
    // In the plane the cycle reaches |x| = 2.0086 (amplitude of this Van der Pol).
    double reach = 0;
    for (Vec2 q : cycles[0]->points) reach = std::max(reach, std::abs(FromDisc(q).x));
    EXPECT_NEAR(reach, 2.0086, 0.01);
}

struct InfinityCase {
    const char* name;
    const char* p;
    const char* q;
    std::vector<Vec2> points; // expected directions, counter-clockwise from angle 0
};

class PointsAtInfinity : public ::testing::TestWithParam<InfinityCase> {};

// Regression: zeros of even multiplicity of X*Q_d - Y*P_d (no change of sign)
// were missed, so Duffing's disc showed no point at infinity.
TEST_P(PointsAtInfinity, AreFoundWhateverTheirMultiplicity)
{
    const InfinityCase& c = GetParam();
    PortraitOptions o;
    o.projection = Projection::PoincareDisc;
    o.orbitCount = 0;
    Portrait p = ComputePortrait(FieldOf(c.p, c.q), PortraitInput{}, o);
    ASSERT_EQ(p.infinitePoints.size(), c.points.size());
    std::vector<Vec2> found = p.infinitePoints;
    auto angle = [](Vec2 v) { double a = std::atan2(v.y, v.x); return a < -1e-6 ? a + 2 * std::numbers::pi : a; };
    std::sort(found.begin(), found.end(), [&](Vec2 a, Vec2 b) { return angle(a) < angle(b); });
    for (std::size_t k = 0; k < found.size(); ++k) {
        const Vec2 want = (1 / Norm(c.points[k])) * c.points[k];
        EXPECT_NEAR(found[k].x, want.x, 1e-6) << k;
        EXPECT_NEAR(found[k].y, want.y, 1e-6) << k;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Systems, PointsAtInfinity,
    ::testing::Values(
        InfinityCase{"DuffingQuadrupleZero", "y", "x-x^3", {{0, 1}, {0, -1}}},
        InfinityCase{"TwoDoubleZerosOffTheSamples", "y", "-x*(x-2*y)^2", {{2, 1}, {0, 1}, {-2, -1}, {0, -1}}},
        InfinityCase{"SimpleZeros", "x-x*y", "-y+x*y", {{1, 0}, {0, 1}, {-1, 1}, {-1, 0}, {0, -1}, {1, -1}}},
        InfinityCase{"NoneWhenTheFormIsDefinite", "-y", "x", {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct CurveCase {
    const char* name;
    Projection projection;
    double radius; // where the unit circle of fixed points lies in the drawing
};

class FixedCurves : public ::testing::TestWithParam<CurveCase> {};

TEST_P(FixedCurves, LieOnTheZeroSetOfTheirPolynomial)
{
    // x' = -y(x^2+y^2-1), y' = x(x^2+y^2-1): every point of the unit circle is fixed.
    PolynomialField f = FieldOf("-y*(x^2+y^2-1)", "x*(x^2+y^2-1)");
    const FixedCurveInput circle{{{1, 2, 0}, {1, 0, 2}, {-1, 0, 0}}};
    PortraitOptions o;
    o.projection = GetParam().projection;
    Portrait p = ComputePortrait(f, PortraitInput{{{0, 0, "center", "", "imaginary"}}, {circle}, {}}, o);
    EXPECT_EQ(p.curveCount, 1u);
    ASSERT_GT(p.fixedCurves.size(), 100u);
    double turned = 0; // the segments go all round
    for (const auto& segment : p.fixedCurves) {
        ASSERT_EQ(segment.size(), 2u);
        for (Vec2 q : segment) ASSERT_NEAR(Norm(q), GetParam().radius, 2e-4);
        turned += std::abs(std::atan2(Cross2(segment[0], segment[1]), Dot(segment[0], segment[1])));
    }
    EXPECT_NEAR(turned, 2 * std::numbers::pi, 1e-2);
}

INSTANTIATE_TEST_SUITE_P(Views, FixedCurves,
                         ::testing::Values(CurveCase{"Plane", Projection::Plane, 1},
                                           CurveCase{"Disc", Projection::PoincareDisc, 1 / std::sqrt(2.0)}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FixedCurves, OutsideTheWindowDrawNothingButAreCounted)
{
    PolynomialField f = FieldOf("(x-5)*y", "(x-5)*(1-x)");
    PortraitOptions o;
    o.window = Window{-2, 2, -2, 2};
    Portrait p = ComputePortrait(f, PortraitInput{{{1, 0, "center", "", "imaginary"}}, {{{{1, 1, 0}, {-5, 0, 0}}}}, {}}, o);
    EXPECT_TRUE(p.fixedCurves.empty());
    EXPECT_EQ(p.curveCount, 1u);
}

// Regression: y' = -x(x-2y)^2 keeps its sign across x = 2y, and that half of
// the nullcline Q = 0 showed as a few scattered dots.
TEST(Nullclines, SquaredFactorsAreDrawnWhole)
{
    auto ctx = std::make_shared<const flint::MpolyCtx>(std::vector<std::string>{"x", "y"});
    flint::FmpqMpoly P(ctx), Q(ctx);
    ASSERT_EQ(fmpq_mpoly_set_str_pretty(P.raw(), "y", ctx->cnames(), ctx->raw()), 0);
    ASSERT_EQ(fmpq_mpoly_set_str_pretty(Q.raw(), "-x*(x-2*y)^2", ctx->cnames(), ctx->raw()), 0);
    PortraitOptions o;
    o.window = Window{-2, 2, -2, 2};
    Portrait p = ComputePortrait(FieldOf("y", "-x*(x-2*y)^2"), PortraitInput{{}, {}, SquareFreeField(P, Q)}, o);
    double length = 0;
    for (const auto& segment : p.nullclineQ) {
        for (Vec2 q : segment) ASSERT_TRUE(std::abs(q.x) < 1e-9 || std::abs(q.x - 2 * q.y) < 1e-9) << q.x << ' ' << q.y;
        length += Norm(segment[1] - segment[0]);
    }
    EXPECT_NEAR(length, 4 + std::sqrt(20.0), 0.05); // x = 0 and x = 2y across the window, to a cell or two
    EXPECT_FALSE(p.nullclineP.empty());
}

TEST(Norm, NeitherOverflowsNorUnderflows)
{
    EXPECT_DOUBLE_EQ(Norm({3e200, 4e200}), 5e200);
    EXPECT_DOUBLE_EQ(Norm({3e-200, 4e-200}), 5e-200);
    EXPECT_DOUBLE_EQ(Norm({3, 4}), 5);
    EXPECT_EQ(Norm({0, 0}), 0);
}

TEST(Terms, LiteralConstantsAreRefusedWithAFrenchMessage)
{
    auto ctx = std::make_shared<const flint::MpolyCtx>(std::vector<std::string>{"x", "y", "a"});
    flint::FmpqMpoly P(ctx);
    ASSERT_EQ(fmpq_mpoly_set_str_pretty(P.raw(), "a*x+y", ctx->cnames(), ctx->raw()), 0);
    try {
        TermsOf(P);
        FAIL() << "no error";
    } catch (const PortraitError& e) {
        EXPECT_STREQ(e.what(), "Le portrait de phase demande des coefficients numériques : donnez une valeur aux "
                               "constantes littérales.");
    }
}

} // namespace
} // namespace vindrel::portrait
