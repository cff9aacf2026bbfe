// Fixed-seed random systems checked against two facts that do not depend on
// how the charts are computed: the indices of all singular points of the
// sphere add up to 2 (finite points counted twice, each direction at infinity
// giving two points of equal index), and a quarter turn of the plane, which
// moves the end of the y-axis into the other chart, keeps every nature.
#include "test_support.h"

#include <algorithm>
#include <random>

namespace vindrel::engine {
namespace {

std::string RandomDense(std::mt19937& rng, int degree)
{
    std::uniform_int_distribution<int> coeff(-3, 3);
    std::string s = "0";
    for (int i = 0; i <= degree; ++i) {
        for (int j = 0; i + j <= degree; ++j)
            s += " + (" + std::to_string(coeff(rng)) + ")*x^" + std::to_string(i) + "*y^" + std::to_string(j);
    }
    return s;
}

std::string Substitute(const std::string& text, const std::string& forX, const std::string& forY)
{
    std::string out;
    for (char c : text)
        out += c == 'x' ? forX : (c == 'y' ? forY : std::string(1, c));
    return out;
}

bool Hyperbolic(const Nature& n)
{
    return n.linearPart == LinearPart::Hyperbolic && n.type != PointType::Undetermined;
}

int Index(const Nature& n)
{
    return n.type == PointType::Saddle ? -1 : 1;
}

// Type with the unordered pair of the two opposite points' stabilities.
std::vector<std::string> InfiniteKeys(const FixedPointAnalysis& a)
{
    std::vector<std::string> keys;
    for (const InfinitePoint& p : a.infinite) {
        const char* s1 = JsonName(p.nature.stability);
        const char* s2 = JsonName(p.oppositeStability);
        std::string a1 = s1 ? s1 : "-", a2 = s2 ? s2 : "-";
        if (a2 < a1) std::swap(a1, a2);
        keys.push_back(std::string(JsonName(p.nature.type)) + "/" + a1 + "/" + a2);
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

class SphereIndex : public ::testing::TestWithParam<int> { };

TEST_P(SphereIndex, AddsUpToTwoWhenEveryPointIsHyperbolic)
{
    const int degree = GetParam();
    std::mt19937 rng(20240 + static_cast<unsigned>(degree));
    int checked = 0;
    for (int trial = 0; trial < 120; ++trial) {
        const std::string p = RandomDense(rng, degree), q = RandomDense(rng, degree);
        const FixedPointAnalysis a = testing::Analyse(p, q);
        if (!a.pointsCertified || !a.curves.empty() || a.infinity != InfinityKind::Points) continue;
        const bool allHyperbolic = std::all_of(a.points.begin(), a.points.end(), [](const FixedPoint& f) {
            return Hyperbolic(f.nature);
        }) && std::all_of(a.infinite.begin(), a.infinite.end(), [](const InfinitePoint& f) {
            return Hyperbolic(f.nature);
        });
        if (!allHyperbolic) continue;
        int finite = 0, infinite = 0;
        for (const FixedPoint& f : a.points)
            finite += Index(f.nature);
        for (const InfinitePoint& f : a.infinite) {
            infinite += Index(f.nature);
            // Nodes at infinity: the flow on the circle and across it agree in sign.
            EXPECT_NE(PointType::Focus, f.nature.type);
        }
        EXPECT_EQ(2, 2 * finite + 2 * infinite) << "dx/dt = " << p << "\ndy/dt = " << q << "\n"
                                                << DovraReport(a) << SkellinReport(a);
        std::string bad;
        EXPECT_TRUE(testing::OnlyDecodableCharacters(SkellinReport(a), &bad)) << bad;
        ++checked;
    }
    EXPECT_GE(checked, 40) << "too few all-hyperbolic systems to mean anything";
}

INSTANTIATE_TEST_SUITE_P(Degrees, SphereIndex, ::testing::Values(1, 2, 3),
    [](const auto& info) { return "Degree" + std::to_string(info.param); });

TEST(QuarterTurn, KeepsTheNatureOfEveryPointAtInfinity)
{
    std::mt19937 rng(777);
    int compared = 0;
    for (int trial = 0; trial < 60; ++trial) {
        const int degree = 1 + trial % 3;
        const std::string p = RandomDense(rng, degree), q = RandomDense(rng, degree);
        // X = -y, Y = x: X' = -Q(Y, -X), Y' = P(Y, -X).
        const std::string p2 = "-(" + Substitute(q, "(y)", "(-x)") + ")";
        const std::string q2 = Substitute(p, "(y)", "(-x)");
        const FixedPointAnalysis a = testing::Analyse(p, q), b = testing::Analyse(p2, q2);
        if (a.infinity != InfinityKind::Points) continue;
        EXPECT_EQ(InfiniteKeys(a), InfiniteKeys(b)) << "dx/dt = " << p << "\ndy/dt = " << q << "\n"
                                                    << SkellinReport(a) << SkellinReport(b);
        ++compared;
    }
    EXPECT_GE(compared, 50);
}

} // namespace
} // namespace vindrel::engine
