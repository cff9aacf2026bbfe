// The separatrices drawn from the points at infinity, on fixed-seed random
// systems (some with the whole circle singular): each starts at its point (or
// the opposite one), is an orbit run in the sense its kind says, also in its
// first stretch (traced in the chart), and there are as many as the
// hyperbolic sectors have boundaries, less at most the two along the circle.
#include "engine/cli/portrait_option.h"
#include "engine/fixedpoints/system.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace vindrel::engine {
namespace {

std::string RandomPart(std::mt19937& rng, int degree)
{
    std::uniform_int_distribution<int> c(-3, 3);
    std::string s = "0";
    for (int d = 0; d <= degree; ++d)
        for (int i = 0; i <= d; ++i)
            s += "+(" + std::to_string(c(rng)) + ")*x^" + std::to_string(i) + "*y^" + std::to_string(d - i);
    return s;
}

// Rays next to an h sector: the boundaries of the hyperbolic sectors.
int HyperbolicBoundaries(const std::string& sectors)
{
    if (sectors.size() < 2) return 0;
    int n = 0;
    for (size_t i = 0; i < sectors.size(); ++i)
        n += sectors[i] == 'h' || sectors[(i + 1) % sectors.size()] == 'h';
    return n;
}

TEST(InfinitySeparatrices, StartAtTheirPointFollowTheFlowAndBoundTheHyperbolicSectors)
{
    std::mt19937 rng(5150);
    int drawn = 0;
    for (int k = 0; k < 36; ++k) {
        const int degree = 2 + k % 2;
        std::string pq = RandomPart(rng, degree), qq = RandomPart(rng, degree);
        if (k % 3 == 2) {
            // x Q_3 - y P_3 = 0: the whole circle is singular; the divided field
            // has a point in the direction y = a x where R and Q_2 - (y/x) P_2 vanish.
            std::uniform_int_distribution<int> c(-2, 2);
            const std::string a = std::to_string(c(rng)), line = "(y-(" + a + ")*x)";
            const std::string r = line + "*(" + std::to_string(c(rng)) + "*x+" + std::to_string(c(rng)) + "*y+1)";
            const std::string p2 = "(" + RandomPart(rng, 2) + ")";
            pq = RandomPart(rng, 1) + "+" + p2 + "+x*" + r;
            qq = RandomPart(rng, 1) + "+(" + a + ")*" + p2 + "+" + line + "*(" + RandomPart(rng, 1) + ")+y*" + r;
        }
        const std::string name = pq + " ; " + qq;
        const ParsedSystem system = ParseSystem(pq, qq);
        const FixedPointAnalysis a = AnalyseSystemFixedPoints(system, Deadline());
        if (!a.pointsCertified || a.wholePlaneFixed) continue;
        PortraitRequest request;
        request.view = PortraitView::Disc;
        const portrait::Portrait p = ComputeSystemPortrait(request, system, 200);
        const portrait::PolynomialField f(portrait::TermsOf(system.P), portrait::TermsOf(system.Q));
        std::map<size_t, int> count;
        for (const portrait::Separatrix& s : p.separatrices) {
            if (!s.fromInfinity) continue;
            ++count[s.fixedPoint];
            const InfinitePoint& at = a.infinite.at(s.fixedPoint);
            const auto& pts = s.orbit.points;
            ASSERT_GE(pts.size(), 3u);
            EXPECT_NEAR(1, std::abs(pts[0].x * at.dx + pts[0].y * at.dy), 1e-9) << name;
            // Segments against the flow, near the point and farther on.
            int against[2] = { 0, 0 }, along[2] = { 0, 0 };
            const double sense = s.kind == portrait::SeparatrixKind::Unstable ? 1 : -1;
            for (size_t i = 1; i + 1 < pts.size(); ++i) {
                const portrait::Vec2 d = pts[i + 1] - pts[i], v = f.Disc(pts[i]);
                if (portrait::Norm(d) < 1e-7 || portrait::Norm(v) < 1e-9) continue;
                const int part = portrait::Norm(pts[i] - pts[0]) < 0.04 ? 0 : 1;
                (sense * portrait::Dot(d, v) > 0 ? along : against)[part] += 1;
            }
            EXPECT_GT(along[0], 4 * against[0]) << name;
            EXPECT_GE(along[1], 4 * against[1]) << name;
            ++drawn;
        }
        for (size_t i = 0; i < a.infinite.size(); ++i) {
            const Nature& n = a.infinite[i].nature;
            if (!n.sectors || n.type == PointType::Undetermined) continue;
            const int b = HyperbolicBoundaries(*n.sectors);
            EXPECT_LE(count[i], b) << *n.sectors << " " << name;
            EXPECT_GE(count[i], b - 2) << *n.sectors << " " << name;
        }
    }
    EXPECT_GE(drawn, 20);
}

} // namespace
} // namespace vindrel::engine
