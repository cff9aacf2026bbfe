// Local portraits by blow-up: known portraits, the index sum on the Poincaré
// sphere on random systems, agreement with the centre manifold and Andreev's
// theorem, and the bounds on depth and time.
#include "engine/blowup/blowup.h"
#include "engine/classify/classify.h"
#include "engine/fixedpoints/system.h"
#include "engine/parse/parser.h"

#include <gtest/gtest.h>

#include <random>

namespace vindrel::engine {
namespace {

BlowupResult Blow(const std::string& p, const std::string& q, Deadline d = Deadline())
{
    const ParsedSystem s = ParseSystem(p, q);
    return BlowUpOrigin(s.P, s.Q, d);
}

int Bendixson(const std::string& sectors)
{
    int e = 0, h = 0;
    for (char c : sectors)
        (c == 'e' ? e : h) += (c == 'e' || c == 'h');
    return 1 + (e - h) / 2;
}

TEST(Blowup, KnownPortraits)
{
    struct Case {
        const char *p, *q, *sectors;
        int index;
    } cases[] = {
        { "x^2-y^2", "2xy", "ee", 2 }, // z' = z^2
        { "x^2-y^2", "-2xy", "hhhhhh", -2 }, // z' = conj(z)^2
        { "x^3-3xy^2", "3x^2y-y^3", "eeee", 3 }, // z' = z^3
        { "y^2", "x^3", "hh", 0 }, // a cusp through two blow-ups
        { "x^2", "-y", "hhp", 0 }, // saddle-node
    };
    for (const Case& c : cases) {
        const BlowupResult r = Blow(c.p, c.q);
        EXPECT_EQ(BlowupOutcome::Decided, r.outcome) << c.p << ", " << c.q << ": " << r.explanation;
        EXPECT_EQ(c.sectors, r.sectors) << c.p << ", " << c.q;
        EXPECT_EQ(c.index, r.index) << c.p << ", " << c.q;
    }
    EXPECT_EQ(BlowupOutcome::Monodromic, Blow("y^3", "-x^3").outcome);
}

std::string RandomPart(std::mt19937& rng, int low, int high, int range)
{
    std::uniform_int_distribution<int> c(-range, range);
    std::string s;
    for (int d = low; d <= high; ++d)
        for (int i = 0; i <= d; ++i)
            if (int k = c(rng); k != 0)
                s += (k > 0 ? "+" : "") + std::to_string(k) + "*x^" + std::to_string(i) + "*y^"
                    + std::to_string(d - i);
    return s.empty() ? "0" : s;
}

// 2 (sum over the finite points) + 2 (sum over the directions at infinity) = 2,
// with Bendixson's formula at every point; systems with a linearly zero origin
// put the blow-up to work.
TEST(Blowup, IndicesOnThePoincareSphereAddUpToTwo)
{
    std::mt19937 rng(2024);
    int checked = 0, blownUp = 0;
    for (int k = 0; k < 90; ++k) {
        const int degree = 2 + k % 2;
        const int low = k % 3 == 0 ? 0 : 2; // dense, or no constant and linear terms
        const std::string p = RandomPart(rng, low, degree, 2), q = RandomPart(rng, low, degree, 2);
        const FixedPointAnalysis a = AnalyseSystemFixedPoints(ParseSystem(p, q), Deadline());
        if (!a.pointsCertified || !a.curves.empty() || a.infinity != InfinityKind::Points) continue;
        int sum = 0;
        bool known = true;
        auto add = [&](const Nature& n) {
            known = known && n.index.has_value();
            if (!n.index) return;
            sum += *n.index;
            EXPECT_EQ(Bendixson(*n.sectors), *n.index) << p << ", " << q;
            blownUp += n.linearPart == LinearPart::Zero;
        };
        for (const FixedPoint& f : a.points)
            add(f.nature);
        for (const InfinitePoint& i : a.infinite)
            add(i.nature);
        if (!known) continue;
        ++checked;
        EXPECT_EQ(1, sum) << "dx/dt = " << p << ", dy/dt = " << q;
    }
    EXPECT_GE(checked, 60);
    EXPECT_GE(blownUp, 30);
}

// Semi-hyperbolic and nilpotent origins: the sectors from the blow-up are
// those of the centre manifold reduction and of Andreev's table.
TEST(Blowup, AgreesWithCentreManifoldAndAndreev)
{
    std::mt19937 rng(77);
    int compared = 0;
    for (int k = 0; k < 120; ++k) {
        const bool nilpotent = k % 2 == 0;
        const std::string p = (nilpotent ? "y+" : "") + RandomPart(rng, 2, 3, 2);
        const std::string q
            = (nilpotent ? "" : std::to_string(k % 4 < 2 ? -1 : 2) + "*y+") + RandomPart(rng, 2, 3, 2);
        const ParsedSystem s = ParseSystem(p, q);
        Nature n = ClassifyOrigin(s.P, s.Q);
        if (n.reason.rfind("non isole", 0) == 0) continue;
        FillStandardPortrait(n);
        const BlowupResult b = BlowUpOrigin(s.P, s.Q, Deadline());
        SCOPED_TRACE("dx/dt = " + p + ", dy/dt = " + q + " : " + b.explanation);
        if (n.type == PointType::Undetermined || n.type == PointType::Center) {
            EXPECT_EQ(BlowupOutcome::Monodromic, b.outcome);
            continue;
        }
        ++compared;
        ASSERT_EQ(BlowupOutcome::Decided, b.outcome);
        EXPECT_EQ(*n.sectors, b.sectors);
        EXPECT_EQ(n.stability, b.stability);
    }
    EXPECT_GE(compared, 100);
}

TEST(Blowup, StopsHonestlyAtTheDepthAndTimeBounds)
{
    const BlowupResult deep = Blow("y", "x^40");
    EXPECT_EQ(BlowupOutcome::Open, deep.outcome);
    EXPECT_NE(std::string::npos, deep.explanation.find("éclatements successifs")) << deep.explanation;
    const BlowupResult late = Blow("x^2-y^2", "2xy", Deadline(std::chrono::milliseconds(0)));
    EXPECT_EQ(BlowupOutcome::Open, late.outcome);
    EXPECT_NE(std::string::npos, late.explanation.find("non déterminée")) << late.explanation;
}

} // namespace
} // namespace vindrel::engine
