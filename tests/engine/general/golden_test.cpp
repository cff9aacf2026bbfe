// Golden reports: the two texts of the general analysis for systems of
// different kinds, compared exactly with reviewed texts under golden/.
// Set VINDREL_UPDATE_GOLDEN=1 to rewrite them after a deliberate change.
#include "support.h"

#include "engine/general/system.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace vindrel::engine::general::testing {
namespace {

struct GoldenCase {
    const char* name;
    const char* P;
    const char* Q;
    std::vector<std::pair<const char*, const char*>> points;
};

const std::vector<GoldenCase>& Cases()
{
    static const std::vector<GoldenCase> cases = {
        { "linear_saddle", "x+2*y", "x-y", { { "0", "0" } } },
        { "linear_centre", "y", "-x", { { "0", "0" } } },
        { "hamiltonian", "y", "-x+x^2", { { "0", "0" }, { "1", "0" } } },
        { "gradient", "x-x^3", "-y", { { "-1", "0" }, { "0", "0" }, { "1", "0" } } },
        { "lotka_volterra", "x-x*y", "-y+x*y", { { "0", "0" }, { "1", "1" } } },
        { "van_der_pol", "y", "-x+y-x^2*y", { { "0", "0" } } },
        { "duffing", "y", "x-x^3", { { "-1", "0" }, { "0", "0" }, { "1", "0" } } },
        { "weak_focus", "-y-x^3", "x-y^3", { { "0", "0" } } },
        { "no_fixed_point", "y", "1+x^2", {} },
        { "saddle_node", "x^2", "-y", { { "0", "0" } } },
        { "cusp", "y", "x^2", { { "0", "0" } } },
        { "literal_constants", "-a", "-2*a*b*x-b", {} },
    };
    return cases;
}

std::string GoldenPath(const std::string& file)
{
    return std::string(VINDREL_SOURCE_DIR) + "/tests/engine/general/golden/" + file;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

GeneralReports RunCase(const GoldenCase& c)
{
    auto ctx = std::string(c.name) == "literal_constants" ? XYAB() : XY();
    const FmpqMpoly P = Poly(ctx, c.P), Q = Poly(ctx, c.Q);
    std::vector<FixedPoint> points;
    for (const auto& [x, y] : c.points) {
        points.push_back(RationalPoint(x, y));
    }
    return AnalyseGeneral(P, Q, std::move(points), PointList::Complete).reports;
}

class GoldenReports : public ::testing::TestWithParam<GoldenCase> { };

TEST_P(GoldenReports, MatchReviewedTexts)
{
    const auto& c = GetParam();
    const GeneralReports r = RunCase(c);
    const std::string base = c.name;
    if (std::getenv("VINDREL_UPDATE_GOLDEN")) {
        std::ofstream(GoldenPath(base + ".brisolt.txt"), std::ios::binary) << r.conclusions << '\n';
        std::ofstream(GoldenPath(base + ".tarnel2.txt"), std::ios::binary) << r.calculations << '\n';
    }
    EXPECT_EQ(r.conclusions + '\n', ReadFile(GoldenPath(base + ".brisolt.txt")));
    EXPECT_EQ(r.calculations + '\n', ReadFile(GoldenPath(base + ".tarnel2.txt")));
    EXPECT_TRUE(OnlyResultCharacters(r.conclusions));
    EXPECT_TRUE(OnlyResultCharacters(r.calculations));
}

// The whole pipeline (parser, certified fixed-point search, local
// classification) gives the same reviewed texts.
TEST_P(GoldenReports, MatchThroughTheFixedPointSearch)
{
    const auto& c = GetParam();
    const auto texts = KorbastTexts(ParseSystem(c.P, c.Q));
    const std::string base = c.name;
    EXPECT_EQ(texts[0], ReadFile(GoldenPath(base + ".brisolt.txt")));
    EXPECT_EQ(texts[1], ReadFile(GoldenPath(base + ".tarnel2.txt")));
}

INSTANTIATE_TEST_SUITE_P(Systems, GoldenReports, ::testing::ValuesIn(Cases()),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vindrel::engine::general::testing
