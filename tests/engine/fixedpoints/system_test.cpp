// The fixed-point search on parsed systems, and its fields and reports in
// vindrel-analyse.
#include "engine/cli/analyse.h"
#include "engine/errors.h"
#include "engine/fixedpoints/system.h"

#include "engine/report/decode_table.h"
#include "engine/report/dos.h"
#include "test_support.h"

#include <sstream>

namespace vindrel::engine {
namespace {

std::string AnalyseJson(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    std::vector<std::string> all = { "--json" };
    all.insert(all.end(), args.begin(), args.end());
    RunAnalyse(all, out, err);
    return out.str();
}

TEST(SystemFixedPoints, OneConstantIsNamedInTheSingular)
{
    const ParsedSystem s = ParseSystem("a*y", "-x");
    EXPECT_EQ(
        "durmosk ne traite que des systèmes à coefficients numériques : la constante littérale a n'a pas de "
        "valeur.\nDonnez-lui une valeur numérique pour obtenir les points fixes.",
        NumericCoefficientsNeeded(s));
    EXPECT_THROW(AnalyseSystemFixedPoints(s, Deadline()), ParametersNotSupported);
    EXPECT_TRUE(testing::OnlyDecodableCharacters(NumericCoefficientsNeeded(ParseSystem("a*y", "-b*x+c"))));
}

TEST(SystemFixedPoints, CentreIsProvedByTheLocalClassification)
{
    const FixedPointAnalysis a = AnalyseSystemFixedPoints(ParseSystem("y", "-x+x^2"), Deadline());
    ASSERT_EQ(2u, a.points.size());
    EXPECT_EQ(PointType::Center, a.points[0].nature.type);
    EXPECT_EQ(NatureSource::LocalClassifier, a.points[0].natureSource);
    EXPECT_EQ(NatureSource::LinearPart, a.points[1].natureSource);
}

TEST(SystemFixedPoints, WeakFocusNamesStabilityThenOrder)
{
    const FixedPointAnalysis a = AnalyseSystemFixedPoints(ParseSystem("-y+x^3", "x+y^3"), Deadline());
    ASSERT_EQ(1u, a.points.size());
    EXPECT_EQ(PointType::WeakFocus, a.points[0].nature.type);
    EXPECT_NE(std::string::npos, DovraReport(a).find("  nature : foyer faible instable d'ordre 1\n"));
}

TEST(SystemFixedPoints, OtherVariableNamesAppearInTheDirections)
{
    const FixedPointAnalysis a = AnalyseSystemFixedPoints(ParseSystem("v", "-u+u^2", 'u', 'v'), Deadline());
    ASSERT_EQ(1u, a.infinite.size());
    EXPECT_EQ("u = 0 (axe des v)", a.infinite[0].directionText);
}

TEST(AnalyseJsonFields, FixedPointsOfTheReferenceExample)
{
    const std::string json = AnalyseJson({ "y", "-x+x^2" });
    EXPECT_NE(std::string::npos,
        json.find(
            "\"fixed_points\": [{\"x\": \"0\", \"y\": \"0\", \"x_approx\": 0.0, \"y_approx\": 0.0, "
            "\"trace\": 0.0, \"determinant\": 1.0, \"linear_part\": \"imaginary\", \"type\": \"center\", "
            "\"stability\": null, \"order\": null, \"index\": 1, \"sectors\": \"\"}, {\"x\": \"1\", \"y\": \"0\", \"x_approx\": 1.0, "
            "\"y_approx\": 0.0, \"trace\": 0.0, \"determinant\": -1.0, \"linear_part\": \"hyperbolic\", "
            "\"type\": \"saddle\", \"stability\": null, \"order\": null, \"index\": -1, \"sectors\": \"hhhh\"}], "
            "\"fixed_curves\": [], "
            "\"complex_fixed_points\": 0, \"infinite_points\": [{\"direction\": [0.0, 1.0], "
            "\"type\": \"node\", \"stability\": \"stable\", \"opposite_stability\": \"unstable\", "
            "\"reason\": \"Andreev: n = 5, m = 2\", \"index\": 1, \"sectors\": \"p\"}], \"infinity_line\": false"))
        << json;
}

TEST(AnalyseJsonFields, NonQuadraticCoordinateIsNullWithItsApproximation)
{
    const std::string json = AnalyseJson({ "y", "x^3-2" });
    EXPECT_NE(std::string::npos, json.find("{\"x\": null, \"y\": \"0\", \"x_approx\": 1.2599210498948"))
        << json;
    EXPECT_NE(std::string::npos, json.find("\"complex_fixed_points\": 2")) << json;
}

TEST(AnalyseJsonFields, CurvesAndLiteralConstants)
{
    EXPECT_NE(std::string::npos, AnalyseJson({ "x*y", "x*(x+y-1)" }).find("\"fixed_curves\": [\"x\"]"));
    const std::string json = AnalyseJson({ "a*y", "-x" });
    EXPECT_NE(std::string::npos,
        json.find("\"fixed_points\": null, \"fixed_curves\": null, "
                  "\"complex_fixed_points\": null, \"infinite_points\": null"))
        << json;
}

TEST(AnalyseTextMode, PrintsBothFilesOfDurmosk)
{
    std::ostringstream out, err;
    EXPECT_EQ(kAnalyseOk, RunAnalyse({ "-y", "x" }, out, err));
    EXPECT_NE(
        std::string::npos, out.str().find("==== Points fixes (dovra.res) ====\n\nPoints fixes du système"));
    EXPECT_NE(std::string::npos, out.str().find("==== Points à l'infini (skellin.res) ====\n\n0\n"));
}

// What durmosk writes reads back unchanged through the front end's decoding.
TEST(DurmoskTexts, ReadBackThroughTheFrontEnd)
{
    const char* systems[][2] = { { "y", "-x+x^2" }, { "x^2-2", "y^2-3" }, { "y", "x^3-2" },
        { "(x^2+y^2-1)*x", "(x^2+y^2-1)*y" }, { "-y", "x+y" }, { "y^2", "2*x^2" }, { "0", "0" },
        { "x^21+y", "y^20-x" }, { "a*y", "-b*x" }, { "y", "x^2" } };
    for (const auto& sys : systems) {
        const ParsedSystem s = ParseSystem(sys[0], sys[1]);
        std::vector<std::string> texts;
        if (s.parameters.empty()) {
            const FixedPointAnalysis a = AnalyseSystemFixedPoints(s, Deadline());
            texts = { DovraReport(a), SkellinReport(a) };
        } else {
            texts = { NumericCoefficientsNeeded(s) };
        }
        for (std::string t : texts) {
            if (!t.empty() && t.back() == '\n') t.pop_back();
            EXPECT_EQ(t, testing::FrontEndRead(ToDos850(t))) << sys[0] << " ; " << sys[1];
        }
    }
}

} // namespace
} // namespace vindrel::engine
