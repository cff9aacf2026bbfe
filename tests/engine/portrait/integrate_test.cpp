#include "engine/portrait/integrate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace vindrel::portrait {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

Vec2 Harmonic(Vec2 p) { return {p.y, -p.x}; }

TraceLimits Unbounded()
{
    TraceLimits l;
    l.inside = [](Vec2 p) { return Norm(p) < 100; };
    l.maxLength = 1000;
    l.maxSteps = 200000;
    return l;
}

StepControl Tight(double tol)
{
    StepControl c;
    c.rtol = tol;
    c.atol = tol;
    c.hmax = 0.5;
    c.hinit = 1e-3;
    return c;
}

struct ToleranceCase {
    double tol;
    double maxError;
};

class HarmonicPeriod : public ::testing::TestWithParam<ToleranceCase> {};

TEST_P(HarmonicPeriod, ReturnsToTheStartWithinTheRequestedTolerance)
{
    const ToleranceCase c = GetParam();
    IntegrationResult r = IntegrateTo(Harmonic, {1, 0}, kTwoPi, Tight(c.tol));
    EXPECT_LT(Norm(r.end - Vec2{1, 0}), c.maxError);
    EXPECT_GT(r.accepted, 0);
}

INSTANTIATE_TEST_SUITE_P(Tolerances, HarmonicPeriod,
                         ::testing::Values(ToleranceCase{1e-5, 1e-4}, ToleranceCase{1e-8, 1e-7},
                                           ToleranceCase{1e-11, 1e-10}));

TEST(DormandPrince, TighterToleranceTakesMoreStepsAndErrsLess)
{
    IntegrationResult loose = IntegrateTo(Harmonic, {1, 0}, kTwoPi, Tight(1e-5));
    IntegrationResult tight = IntegrateTo(Harmonic, {1, 0}, kTwoPi, Tight(1e-10));
    EXPECT_GT(tight.accepted, 3 * loose.accepted);
    EXPECT_LT(Norm(tight.end - Vec2{1, 0}), Norm(loose.end - Vec2{1, 0}));
    // Fifth order: a large first step is rejected and retried, not accepted blindly.
    StepControl reckless = Tight(1e-10);
    reckless.hinit = 0.5;
    EXPECT_GT(IntegrateTo(Harmonic, {1, 0}, kTwoPi, reckless).rejected, 0);
}

TEST(TraceOrbit, LinearCentreClosesAfterExactlyOneTurn)
{
    TraceLimits limits = Unbounded();
    limits.closeTolerance = 1e-3; // above the chords' distance to the arcs, for steps up to hmax
    StepControl control = Tight(1e-10);
    control.hmax = 0.02;
    Trace t = TraceOrbit([](Vec2 p) { return Vec2{-p.y, p.x}; }, {1, 0}, TimeDirection::Forward, limits, control);
    ASSERT_EQ(t.reason, StopReason::Closed);
    EXPECT_EQ(t.loopStart, 0u);
    EXPECT_EQ(t.points.front().x, t.points.back().x);
    EXPECT_EQ(t.points.front().y, t.points.back().y);
    double winding = 0;
    for (std::size_t k = 1; k < t.points.size(); ++k) {
        Vec2 a = t.points[k - 1], b = t.points[k];
        winding += std::atan2(a.x * b.y - a.y * b.x, Dot(a, b));
    }
    EXPECT_NEAR(winding, kTwoPi, 1e-9); // once round, not twice
    for (Vec2 p : t.points) EXPECT_NEAR(Norm(p), 1, 1e-8);
}

// Duffing: H = y^2/2 - x^2/2 + x^4/4 is constant along orbits.
double DuffingEnergy(Vec2 p) { return p.y * p.y / 2 - p.x * p.x / 2 + p.x * p.x * p.x * p.x / 4; }

class DuffingOrbit : public ::testing::TestWithParam<Vec2> {};

TEST_P(DuffingOrbit, KeepsTheHamiltonianConstant)
{
    Vec2 start = GetParam();
    TraceLimits limits = Unbounded();
    limits.closeTolerance = 1e-4;
    Rhs f = BoundedSpeed([](Vec2 p) { return Vec2{p.y, p.x - p.x * p.x * p.x}; });
    Trace t = TraceOrbit(f, start, TimeDirection::Forward, limits, Tight(1e-11));
    EXPECT_EQ(t.reason, StopReason::Closed);
    const double h0 = DuffingEnergy(start);
    for (Vec2 p : t.points) ASSERT_NEAR(DuffingEnergy(p), h0, 1e-8 * std::abs(h0)) << p.x << ", " << p.y;
}

INSTANTIATE_TEST_SUITE_P(InsideAndOutsideTheLoops, DuffingOrbit,
                         ::testing::Values(Vec2{1.2, 0}, Vec2{-0.6, 0.1}, Vec2{0.5, 0.5}, Vec2{0, 1.5}));

TEST(TraceOrbit, VanDerPolOrbitsFindTheLimitCycleFromBothSides)
{
    Rhs f = BoundedSpeed([](Vec2 p) { return Vec2{p.y, -p.x + p.y - p.x * p.x * p.y}; });
    TraceLimits limits = Unbounded();
    limits.closeTolerance = 1e-3;
    for (Vec2 start : {Vec2{0.1, 0}, Vec2{3, 3}}) {
        Trace t = TraceOrbit(f, start, TimeDirection::Forward, limits, Tight(1e-10));
        ASSERT_EQ(t.reason, StopReason::Closed);
        EXPECT_GT(t.loopStart, 0u);
        double amplitude = 0;
        for (std::size_t k = t.loopStart; k < t.points.size(); ++k)
            amplitude = std::max(amplitude, std::abs(t.points[k].x));
        EXPECT_NEAR(amplitude, 2.0086, 0.01); // the known amplitude for mu = 1
    }
}

TEST(TraceOrbit, EndsExactlyOnAnAttractingFixedPoint)
{
    TraceLimits limits = Unbounded();
    limits.sinks = {{0, 0}};
    limits.sinkRadius = 1e-3;
    Trace t = TraceOrbit([](Vec2 p) { return Vec2{-p.x, -2 * p.y}; }, {1, 1}, TimeDirection::Forward, limits,
                         Tight(1e-9));
    EXPECT_EQ(t.reason, StopReason::ReachedFixedPoint);
    EXPECT_EQ(t.points.back().x, 0);
    EXPECT_EQ(t.points.back().y, 0);
}

TEST(TraceOrbit, BackwardTimeRunsAgainstTheFieldAndStopsAtTheRegionEdge)
{
    TraceLimits limits = Unbounded();
    limits.inside = [](Vec2 p) { return Norm(p) < 2; };
    Trace t = TraceOrbit([](Vec2 p) { return Vec2{-p.x, -p.y}; }, {0.5, 0}, TimeDirection::Backward, limits,
                         Tight(1e-9));
    EXPECT_EQ(t.reason, StopReason::LeftRegion);
    EXPECT_GE(t.points.back().x, 2);
    EXPECT_NEAR(t.points.back().y, 0, 1e-12);
}

TEST(TraceOrbit, FiniteTimeBlowUpIsTamedByBoundedSpeed)
{
    // x' = x^2 escapes in finite time; with bounded speed the orbit still
    // leaves the region in a finite number of steps.
    TraceLimits limits = Unbounded();
    Trace t = TraceOrbit(BoundedSpeed([](Vec2 p) { return Vec2{p.x * p.x, 0}; }), {1, 0}, TimeDirection::Forward,
                         limits, Tight(1e-9));
    EXPECT_EQ(t.reason, StopReason::LeftRegion);
}

} // namespace
} // namespace vindrel::portrait
