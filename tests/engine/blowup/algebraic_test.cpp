// Linearly zero points at irrational coordinates: x' = p(x^2 - 2, y),
// y' = 2x q(x^2 - 2, y) is, near (+-racine(2), 0), the field (p, q) near the
// origin carried by the local diffeomorphism (x, y) -> (x^2 - 2, y) and
// multiplied by 2x. Its two points must have the sectors and the index that
// the rational blow-up finds for (p, q) at the origin, and on the sphere the
// indices still add up to 2.
#include "engine/blowup/blowup.h"
#include "engine/fixedpoints/system.h"
#include "engine/parse/parser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace vindrel::engine {
namespace {

std::string RandomPart(std::mt19937& rng, int low, int high)
{
    std::uniform_int_distribution<int> c(-2, 2);
    std::string s = "0";
    for (int d = low; d <= high; ++d)
        for (int i = 0; i <= d; ++i)
            s += "+(" + std::to_string(c(rng)) + ")*x^" + std::to_string(i) + "*y^" + std::to_string(d - i);
    return s;
}

std::string Moved(const std::string& p)
{
    std::string out;
    for (char ch : p)
        out += ch == 'x' ? std::string("(x^2-2)") : std::string(1, ch);
    return out;
}

TEST(AlgebraicBlowup, MovedPointsKeepTheSectorsOfTheOriginAndTheSphereSum)
{
    std::mt19937 rng(314);
    int compared = 0, summed = 0, open = 0, again = 0;
    for (int k = 0; k < 120; ++k) {
        const std::string p = RandomPart(rng, 2, 2 + k % 2), q = RandomPart(rng, 2, 2 + k % 2);
        const ParsedSystem origin = ParseSystem(p, q);
        const BlowupResult r = BlowUpOrigin(origin.P, origin.Q, Deadline());
        const FixedPointAnalysis a
            = AnalyseSystemFixedPoints(ParseSystem(Moved(p), "2*x*(" + Moved(q) + ")"), Deadline());
        if (!a.pointsCertified || !a.curves.empty()) continue;
        for (const FixedPoint& pt : a.points) {
            if (pt.yApprox != 0 || std::abs(std::abs(pt.xApprox) - std::sqrt(2.0)) > 1e-12) continue;
            ASSERT_EQ(LinearPart::Zero, pt.nature.linearPart) << p << " ; " << q;
            if (r.outcome != BlowupOutcome::Decided) continue;
            if (pt.nature.type == PointType::Undetermined) {
                ++open;
                continue;
            }
            again += pt.nature.explanation.find("éclaté à son tour") != std::string::npos;
            std::string reversed = r.sectors;
            std::reverse(reversed.begin(), reversed.end());
            const std::string& got = *pt.nature.sectors;
            EXPECT_TRUE(got == r.sectors || got == CanonicalSectors(reversed))
                << p << " ; " << q << ": " << got;
            EXPECT_EQ(r.index, pt.nature.index) << p << " ; " << q;
            ++compared;
        }
        if (a.infinity != InfinityKind::Points) continue;
        int sum = 0;
        bool known = true;
        for (const FixedPoint& pt : a.points)
            known = known && pt.nature.index && (sum += 2 * *pt.nature.index, true);
        for (const InfinitePoint& pt : a.infinite)
            known = known && pt.nature.index && (sum += 2 * *pt.nature.index, true);
        if (!known) continue;
        EXPECT_EQ(2, sum) << p << " ; " << q;
        ++summed;
    }
    EXPECT_GE(compared, 30);
    EXPECT_GE(summed, 10);
    EXPECT_LE(open, 0) << compared;
    EXPECT_GE(again, 4) << compared;
}

// The points (+-racine(2), 0) need a second blow-up over Q(racine(2)): a
// saddle and a node; a point that needs more blow-ups than the limit stops
// with its reason.
TEST(AlgebraicBlowup, DivisorPointsInTheFieldAreBlownUpAgainWithinTheDepthLimit)
{
    const FixedPointAnalysis a
        = AnalyseSystemFixedPoints(ParseSystem("(x^2-2)^3-y^2", "(x^2-2)*y^3"), Deadline());
    ASSERT_EQ(2u, a.points.size());
    int sum = 0;
    for (const FixedPoint& pt : a.points) {
        ASSERT_TRUE(pt.nature.index.has_value()) << pt.nature.explanation;
        EXPECT_EQ(pt.xApprox < 0 ? "hhhh" : "p", *pt.nature.sectors);
        sum += 2 * *pt.nature.index;
    }
    for (const InfinitePoint& pt : a.infinite)
        sum += 2 * pt.nature.index.value_or(100);
    EXPECT_EQ(2, sum);
    const FixedPointAnalysis deep = AnalyseSystemFixedPoints(ParseSystem("y^2", "(x^2-2)^40"), Deadline());
    for (const FixedPoint& pt : deep.points) {
        EXPECT_EQ(PointType::Undetermined, pt.nature.type);
        EXPECT_NE(std::string::npos, pt.nature.explanation.find("éclatements successifs"));
    }
}

} // namespace
} // namespace vindrel::engine
