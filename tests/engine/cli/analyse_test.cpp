#include "engine/cli/analyse.h"
#include "engine/hamiltonian/hamiltonian.h"
#include "engine/poly/print.h"
#include "engine/text/json.h"
#include "mini_json.h"
#include "run_analyse.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vindrel::engine {
namespace {

using testing::Analyse;
using testing::JValue;
using testing::Outcome;
using testing::ParseJson;

JValue AnalyseJson(const std::vector<std::string>& args, int expectedStatus = kAnalyseOk)
{
    std::vector<std::string> all = { "--json" };
    all.insert(all.end(), args.begin(), args.end());
    const Outcome r = Analyse(all);
    EXPECT_EQ(r.status, expectedStatus) << r.out << r.err;
    return ParseJson(r.out);
}

TEST(AnalyseJson, ContractExampleSystem)
{
    const JValue j = AnalyseJson({ "y", "-x+x^2" });
    EXPECT_EQ(j["input"]["P"].s, "y");
    EXPECT_EQ(j["input"]["Q"].s, "-x+x^2");
    ASSERT_EQ(j["input"]["variables"].a.size(), 2u);
    EXPECT_EQ(j["input"]["variables"].a[0].s, "x");
    EXPECT_EQ(j["error"].kind, JValue::Null);
    EXPECT_EQ(j["parameters"].kind, JValue::Array);
    EXPECT_TRUE(j["parameters"].a.empty());
    EXPECT_EQ(j["degree"].n, 2);
    EXPECT_EQ(j["P"].s, "y");
    EXPECT_EQ(j["Q"].s, "x^2 - x");
    EXPECT_EQ(j["divergence"].s, "0");
    EXPECT_EQ(j["potential"].kind, JValue::Null);
    EXPECT_EQ(j["hamiltonian_conditions"].kind, JValue::Null);
    // H is defined up to a constant: check it by differentiation.
    const ParsedSystem h = ParseSystem(j["hamiltonian"].s, "0");
    EXPECT_EQ(ToCanonical(Derivative(h.P, 1)), "y");
    EXPECT_EQ(ToCanonical(Derivative(h.P, 0)), "-x^2 + x");
}

TEST(AnalyseJson, LiteralConstantsGiveParametersAndConditions)
{
    const JValue always = AnalyseJson({ "--", "-a", "-2abx-b" });
    ASSERT_EQ(always["parameters"].a.size(), 2u);
    EXPECT_EQ(always["parameters"].a[1].s, "b");
    EXPECT_EQ(always["hamiltonian_conditions"].kind, JValue::Array);
    EXPECT_TRUE(always["hamiltonian_conditions"].a.empty());
    EXPECT_EQ(always["hamiltonian"].s, "a*b*x^2 + b*x - a*y");

    const JValue conditional = AnalyseJson({ "ax+y", "bx-y" });
    ASSERT_EQ(conditional["hamiltonian_conditions"].a.size(), 1u);
    EXPECT_EQ(conditional["hamiltonian_conditions"].a[0].s, "a - 1");
    EXPECT_EQ(conditional["hamiltonian"].kind, JValue::Null);

    const JValue never = AnalyseJson({ "ax^2+x", "-2axy" });
    ASSERT_EQ(never["hamiltonian_conditions"].a.size(), 1u);
    EXPECT_EQ(never["hamiltonian_conditions"].a[0].s, "1");
}

TEST(AnalyseJson, GradientSystemGivesThePotential)
{
    const JValue j = AnalyseJson({ "3x^2-1", "0" });
    EXPECT_EQ(j["potential"].s, "x^3 - x");
}

TEST(AnalyseJson, ParseErrorHasComponentAndPosition)
{
    const JValue j = AnalyseJson({ "y", "3+x2" }, kAnalyseInputError);
    EXPECT_EQ(j["error"]["component"].n, 2);
    EXPECT_EQ(j["error"]["position"].n, 4);
    EXPECT_EQ(j["error"]["message"].s,
        "Erreur dans dy/dt, position 4 : un chiffre ne peut pas suivre directement une lettre : écrivez x^2 "
        "pour "
        "une puissance ou 2x pour un produit.");
    for (const char* key : { "parameters", "degree", "P", "Q", "divergence", "hamiltonian", "potential" })
        EXPECT_EQ(j[key].kind, JValue::Null) << key;
}

TEST(AnalyseJson, RefusedWordsHaveNoPosition)
{
    const JValue j = AnalyseJson({ "x", "+", "y", "x" }, kAnalyseInputError);
    EXPECT_EQ(j["error"]["component"].kind, JValue::Null);
    EXPECT_EQ(j["error"]["position"].kind, JValue::Null);
    EXPECT_EQ(j["error"]["message"].s.rfind("Les composantes ne doivent pas contenir d'espace", 0), 0u);
}

TEST(AnalyseJson, OtherVariables)
{
    const JValue j = AnalyseJson({ "--vars", "uv", "v", "-u" });
    EXPECT_EQ(j["input"]["variables"].a[0].s, "u");
    EXPECT_EQ(j["hamiltonian"].s, "1/2*u^2 + 1/2*v^2");
    EXPECT_TRUE(j["parameters"].a.empty());
}

TEST(AnalyseJson, BadVariablesAreAnInputError)
{
    const JValue j = AnalyseJson({ "--vars", "xx", "y", "x" }, kAnalyseInputError);
    EXPECT_EQ(
        j["error"]["message"].s, "--vars attend deux lettres distinctes, par exemple xy : reçu \"xx\".");
    EXPECT_EQ(j["input"]["variables"].kind, JValue::Null);
}

TEST(AnalyseText, PrintsEachSectionWithItsHeading)
{
    const Outcome r = Analyse({ "y", "x-x^3" });
    EXPECT_EQ(r.status, kAnalyseOk);
    const std::string first = "==== Hamiltonien et potentiel (quenmar2.pho) ====\n\n"
        + HamiltonianReport(ParseSystem("y", "x-x^3")) + "\n";
    EXPECT_EQ(r.out.substr(0, first.size()), first);
    EXPECT_NE(r.out.find("\n==== Points fixes (dovra.res) ====\n\n"), std::string::npos);
    EXPECT_NE(r.out.find("\n==== Points à l'infini (skellin.res) ====\n\n"), std::string::npos);
    EXPECT_EQ(r.err, "");
}

TEST(AnalyseText, ErrorGoesToTheErrorStream)
{
    const Outcome r = Analyse({ "sin(x)", "y" });
    EXPECT_EQ(r.status, kAnalyseInputError);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("Erreur dans dx/dt, position 1 : la fonction sin", 0), 0u);
}

struct UsageCase {
    std::vector<std::string> args;
    const char* firstLine;
};

class Usage : public ::testing::TestWithParam<UsageCase> { };

TEST_P(Usage, PrintsTheUsage)
{
    const Outcome r = Analyse(GetParam().args);
    EXPECT_EQ(r.status, kAnalyseUsage);
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')), GetParam().firstLine);
    EXPECT_NE(r.err.find(kAnalyseUsageText), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Args, Usage,
    ::testing::Values(UsageCase { {}, "Usage : vindrel-analyse [--json] [--vars xy] [--] P Q" },
        UsageCase { { "--frobnicate", "y", "x" }, "vindrel-analyse : option inconnue : --frobnicate" },
        UsageCase { { "--vars" }, "vindrel-analyse : --vars attend deux lettres, par exemple xy." }));

TEST(Json, EscapesStringsAndKeepsKeyOrder)
{
    Json o = Json::MakeObject();
    o.set("b", "a\"b\\c\nd\x01");
    o.set("a", Json::MakeArray().push(1).push(0.5).push(nullptr).push(true));
    o.set("b", "remplacé");
    EXPECT_EQ(o.dump(), "{\"b\": \"remplacé\", \"a\": [1, 0.5, null, true]}");
    EXPECT_EQ(JsonQuote("a\"b\\c\nd\x01\t"), "\"a\\\"b\\\\c\\nd\\u0001\\t\"");
}

TEST(Json, DoublesKeepSeventeenDigitsAndAPoint)
{
    EXPECT_EQ(Json(1.0).dump(), "1.0");
    EXPECT_EQ(Json(0.1).dump(), "0.10000000000000001");
    EXPECT_EQ(Json(1.0 / 0.0).dump(), "null");
    EXPECT_EQ(ParseJson(Json(2.0 / 3.0).dump()).n, 2.0 / 3.0);
}

TEST(Json, EveryUserTextRoundTrips)
{
    const std::string nasty = std::string("x\0y\"\\/\x7F\x1F é", 11);
    Json o = Json::MakeObject();
    o.set("s", nasty);
    EXPECT_EQ(ParseJson(o.dump())["s"].s, nasty);
}

} // namespace
} // namespace vindrel::engine
