// The general analysis inside vindrel-analyse: its two text sections and
// the "properties" field of the JSON output.
#include "engine/cli/analyse.h"
#include "engine/general/system.h"
#include "engine/report/dos.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vindrel::engine::general::testing {
namespace {

std::string RunAnalyseOn(const std::vector<std::string>& args, int expected = kAnalyseOk)
{
    std::ostringstream out, err;
    EXPECT_EQ(RunAnalyse(args, out, err), expected) << err.str();
    return out.str();
}

TEST(AnalyseGeneralSections, TextModePrintsBothReports)
{
    const std::string out = RunAnalyseOn({ "y", "-x+x^2" });
    const auto texts = KorbastTexts(ParseSystem("y", "-x+x^2"));
    EXPECT_NE(out.find("==== Conclusions (brisolt.res) ====\n\n" + WrapLongLines(texts[0])), std::string::npos);
    EXPECT_NE(out.find("==== Calculs explicatifs (tarnel2.res) ====\n\n" + WrapLongLines(texts[1])), std::string::npos);
}

TEST(AnalyseGeneralSections, JsonHasThePropertiesObject)
{
    const std::string out = RunAnalyseOn({ "--json", "x-xy", "-y+xy" });
    EXPECT_NE(
        out.find("\"properties\": {\"degree\": 2, \"linear\": false, \"hamiltonian\": false, \"gradient\": "
                 "false, \"homogeneous\": false, \"lotka_volterra\": true, \"reversible\": false, "
                 "\"central_symmetry\": false, \"divergence_sign\": \"changes_sign\", \"invariant_lines\": "
                 "[\"x = 0\", \"y = 0\"]}, \"periodic_orbits\": {\"verdict\": \"centres\", \"reason\": "
                 "\"le point (1, 1) est un centre.\", \"limit_cycles\": []}"),
        std::string::npos)
        << out;
}

TEST(AnalyseGeneralSections, RefusedInputLeavesPropertiesNull)
{
    const std::string out = RunAnalyseOn({ "--json", "sin(x)", "y" }, kAnalyseInputError);
    EXPECT_NE(out.find("\"properties\": null"), std::string::npos) << out;
}

} // namespace
} // namespace vindrel::engine::general::testing
