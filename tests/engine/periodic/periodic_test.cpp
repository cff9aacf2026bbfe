// The study of periodic orbits on known systems (a cycle proven by
// Lienard's theorem, by an invariant circle, none by the invariant lines,
// semi-stable and nested cycles), then a property: every cycle found on
// random quadratic systems near a Hopf bifurcation comes back to its point.
#include "engine/general/system.h"
#include "engine/portrait/integrate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace vindrel::engine::periodic {
namespace {

Study Orbits(const std::string& p, const std::string& q)
{
    return general::AnalyseSystem(ParseSystem(p, q)).orbits;
}

TEST(PeriodicOrbits, VanDerPolHasOneStableCycleProvenByLienard)
{
    const Study s = Orbits("y", "-x+y-x^2y");
    EXPECT_EQ(s.verdict, Verdict::LimitCycles);
    ASSERT_EQ(s.cycles.size(), 1u);
    const Cycle& c = s.cycles[0];
    EXPECT_EQ(c.stability, CycleStability::Stable);
    EXPECT_EQ(c.proof, Proof::Proven);
    EXPECT_NEAR(c.period, 6.66329, 1e-5);
    EXPECT_NEAR(c.xMax, 2.00862, 1e-5);
    EXPECT_NEAR(c.xMin, -2.00862, 1e-5);
    EXPECT_EQ(c.surrounds, std::vector<int> { 0 });
}

struct LienardCase {
    const char *P, *Q;
    CycleStability stability;
};

class LienardForms : public ::testing::TestWithParam<LienardCase> { };

// Van der Pol in time reversed, with x and y exchanged, with y scaled, and
// in the plane of Lienard (x' = y - F(x)): the theorem applies to each.
TEST_P(LienardForms, ProveOneCycle)
{
    const Study s = Orbits(GetParam().P, GetParam().Q);
    ASSERT_EQ(s.cycles.size(), 1u);
    EXPECT_EQ(s.cycles[0].proof, Proof::Proven);
    EXPECT_EQ(s.cycles[0].stability, GetParam().stability);
    EXPECT_NEAR(s.cycles[0].period, 6.663286859, 1e-7);
}

INSTANTIATE_TEST_SUITE_P(VanDerPol, LienardForms,
    ::testing::Values(LienardCase { "-y", "x-y+x^2y", CycleStability::Unstable },
        LienardCase { "-y+x-xy^2", "x", CycleStability::Stable },
        LienardCase { "2y", "-x/2+y-x^2y", CycleStability::Stable },
        LienardCase { "y+x-x^3/3", "-x", CycleStability::Stable }));

TEST(PeriodicOrbits, CircularCycleIsProvenByItsInvariantCircle)
{
    const Study s = Orbits("x-y-x^3-xy^2", "x+y-x^2y-y^3");
    ASSERT_EQ(s.cycles.size(), 1u);
    EXPECT_EQ(s.cycles[0].stability, CycleStability::Stable);
    EXPECT_EQ(s.cycles[0].proof, Proof::Proven);
    EXPECT_EQ(s.cycles[0].curve, "x^2 + y^2 - 1");
    EXPECT_NEAR(s.cycles[0].period, 2 * M_PI, 1e-7);
    EXPECT_EQ(StudyJson(s).find("limit_cycles")->array()->at(0).find("curve")->dump(), "\"x^2 + y^2 - 1\"");
}

TEST(PeriodicOrbits, QuarticOvalAroundAStarNodeIsProvenUnstable)
{
    const Study s = Orbits("-4y^3+x(x^4+y^4-1)", "4x^3+y(x^4+y^4-1)");
    ASSERT_EQ(s.cycles.size(), 1u);
    EXPECT_EQ(s.cycles[0].stability, CycleStability::Unstable);
    EXPECT_EQ(s.cycles[0].proof, Proof::Proven);
    EXPECT_EQ(s.cycles[0].curve, "x^4 + y^4 - 1");
}

TEST(PeriodicOrbits, CompetitionHasNoneByItsInvariantLines)
{
    const Study s = Orbits("3x-x^2-2xy", "2y-xy-y^2");
    EXPECT_EQ(s.verdict, Verdict::None);
    EXPECT_EQ(s.reason,
        "les droites invariantes x = 0 ; y = 0 ne sont traversées par aucune orbite ; une orbite périodique "
        "entoure donc des points fixes d'une seule des régions qu'elles découpent, d'indices de somme 1 : "
        "dans "
        "la région de (1, 1), les indices -1 ne donnent jamais la somme 1 ; les autres régions n'ont aucun "
        "point fixe hors des droites.");
    EXPECT_TRUE(s.cycles.empty());
}

TEST(PeriodicOrbits, BrusselatorHasOneStableCycle)
{
    const Study s = Orbits("1-4x+x^2y", "3x-x^2y");
    EXPECT_EQ(s.verdict, Verdict::LimitCycles);
    ASSERT_EQ(s.cycles.size(), 1u);
    EXPECT_EQ(s.cycles[0].stability, CycleStability::Stable);
    EXPECT_EQ(s.cycles[0].proof, Proof::Numerical);
}

TEST(PeriodicOrbits, TouchingDisplacementIsASemiStableCycle)
{
    const Study s = Orbits("-y+x(x^2+y^2-1)^2", "x+y(x^2+y^2-1)^2");
    ASSERT_EQ(s.cycles.size(), 1u);
    EXPECT_EQ(s.cycles[0].stability, CycleStability::SemiStable);
    EXPECT_NEAR(s.cycles[0].xMax, 1, 1e-5);
}

TEST(PeriodicOrbits, NestedCyclesAreBothFoundWithOppositeStabilities)
{
    const Study s = Orbits("-y+x(x^2+y^2-1)(x^2+y^2-4)", "x+y(x^2+y^2-1)(x^2+y^2-4)");
    ASSERT_EQ(s.cycles.size(), 2u);
    EXPECT_NEAR(s.cycles[0].xMax, 1, 1e-7);
    EXPECT_NEAR(s.cycles[1].xMax, 2, 1e-7);
    EXPECT_EQ(s.cycles[0].stability, CycleStability::Stable);
    EXPECT_EQ(s.cycles[1].stability, CycleStability::Unstable);
}

TEST(PeriodicOrbits, StopsAtTheDeadline)
{
    const ParsedSystem sys = ParseSystem("y", "-x+y-x^2y");
    EXPECT_THROW(general::AnalyseSystem(sys, Deadline(std::chrono::milliseconds(0))), LimitExceeded);
}

// x' = l x - y + f, y' = x + l y + g with f, g quadratic: for l = 0 the
// origin is a weak focus whose first Lyapunov quantity has the sign of
// a = f_xy (f_xx + f_yy) - g_xy (g_xx + g_yy) - f_xx g_xx + f_yy g_yy (the
// coefficients below are k/2, whence the factors); a
// small l of the other sign gives birth to a small cycle.
TEST(PeriodicOrbitsProperty, EveryCycleComesBackToItsPointAfterOnePeriod)
{
    std::mt19937 rng(15);
    std::uniform_int_distribution<int> coeff(-3, 3);
    int checked = 0;
    for (int n = 0; n < 30; ++n) {
        int k[6];
        for (int& v : k)
            v = coeff(rng);
        const int a = k[1] * (k[0] + k[2]) - k[4] * (k[3] + k[5]) - 2 * k[0] * k[3] + 2 * k[2] * k[5];
        if (a == 0) continue;
        auto c = [&](int i) { return std::to_string(k[i]) + "/2"; };
        const std::string l = a < 0 ? "1/400" : "-1/400";
        const std::string P = l + "*x-y+" + c(0) + "*x^2+" + c(1) + "*x*y+" + c(2) + "*y^2";
        const std::string Q = "x+" + l + "*y+" + c(3) + "*x^2+" + c(4) + "*x*y+" + c(5) + "*y^2";
        const ParsedSystem sys = ParseSystem(P, Q);
        const Study s = general::AnalyseSystem(sys).orbits;
        const portrait::PolynomialField field(portrait::TermsOf(sys.P), portrait::TermsOf(sys.Q));
        for (const Cycle& cy : s.cycles) {
            if (!cy.traced) continue;
            const bool back = cy.stability == CycleStability::Unstable;
            const portrait::Rhs f = [&](portrait::Vec2 p) { return back ? -1.0 * field(p) : field(p); };
            portrait::StepControl ctl;
            ctl.rtol = 1e-13;
            ctl.atol = 1e-15;
            const auto end = portrait::IntegrateTo(f, { cy.point.x, cy.point.y }, cy.period, ctl).end;
            EXPECT_LE(std::hypot(end.x - cy.point.x, end.y - cy.point.y), cy.error) << P << " ; " << Q;
            ++checked;
        }
    }
    EXPECT_GE(checked, 20);
}

// x' = s y, y' = -s (g(x) + f(x) y) with g = a x + b x^3 (a > 0, b >= 0) and
// f = -c + d x^2 (c, d > 0): Lienard's theorem gives one cycle, stable for
// s = 1 and unstable for s = -1, and the return map must find exactly it.
TEST(PeriodicOrbitsProperty, LienardAndTheReturnMapAgree)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> pos(1, 4), nonneg(0, 3);
    for (int n = 0; n < 8; ++n) {
        const int a = pos(rng), b = nonneg(rng), c = pos(rng), d = pos(rng);
        const std::string s = n % 2 ? "-" : "";
        const std::string P = s + "y";
        const std::string Q = s + "(-" + std::to_string(a) + "*x-" + std::to_string(b) + "*x^3+("
            + std::to_string(c) + "-" + std::to_string(d) + "*x^2)*y/2)";
        const Study st = Orbits(P, Q);
        ASSERT_EQ(st.cycles.size(), 1u) << P << " ; " << Q;
        EXPECT_EQ(st.cycles[0].proof, Proof::Proven) << P << " ; " << Q;
        EXPECT_TRUE(st.cycles[0].traced) << P << " ; " << Q;
        EXPECT_EQ(st.cycles[0].stability, n % 2 ? CycleStability::Unstable : CycleStability::Stable)
            << P << " ; " << Q;
    }
}

} // namespace
} // namespace vindrel::engine::periodic
