// The discussion according to one constant: known discussions of the
// course, the invariant that every value of an interval gives the answer of
// its sample (random one-parameter systems), the files and the JSON.
#include "engine/cli/analyse.h"
#include "engine/discussion/internal.h"
#include "engine/fixedpoints/system.h"
#include "engine/general/general.h"
#include "engine/report/dos.h"

#include <gtest/gtest.h>

#include <random>

namespace vindrel::engine::discussion {
namespace {

// "a < -2 : noeud instable" for each case, the natures joined by ", ".
std::vector<std::string> Summary(const std::string& p, const std::string& q)
{
    const Discussion d = Discuss(ParseSystem(p, q));
    std::vector<std::string> out;
    for (const Case& c : d.cases) {
        std::string line = CaseRange(d, c) + " :";
        if (c.points)
            for (size_t i = 0; i < c.points->points.size(); ++i)
                line += (i ? ", " : " ") + general::NatureName(c.points->points[i].nature);
        out.push_back(line);
    }
    return out;
}

TEST(Discussion, KnownDiscussionsOfTheCourse)
{
    EXPECT_EQ(Summary("y", "-x-ay"),
        (std::vector<std::string> { "a < -2 : noeud instable", "a = -2 : noeud dégénéré instable",
            "-2 < a < 0 : foyer instable", "a = 0 : centre", "0 < a < 2 : foyer stable",
            "a = 2 : noeud dégénéré stable", "a > 2 : noeud stable" }));
    // The star node at a = 1/4: the eigenvalues -1 and -1 of a scalar matrix.
    EXPECT_EQ(Summary("a-x^2", "-y"),
        (std::vector<std::string> { "a < 0 :", "a = 0 : col-noeud", "0 < a < 1/4 : col, noeud stable",
            "a = 1/4 : col, noeud étoilé stable", "a > 1/4 : col, noeud stable" }));
    EXPECT_EQ(Summary("y", "ay-x-x^2y"),
        (std::vector<std::string> { "a < -2 : noeud stable", "a = -2 : noeud dégénéré stable",
            "-2 < a < 0 : foyer stable", "a = 0 : foyer faible d'ordre 1, stable",
            "0 < a < 2 : foyer instable", "a = 2 : noeud dégénéré instable", "a > 2 : noeud instable" }));
    EXPECT_EQ(Summary("ax-y", "x+ay"),
        (std::vector<std::string> { "a < 0 : foyer stable", "a = 0 : centre", "a > 0 : foyer instable" }));
    // Irrational critical values a = -racine(2), racine(2), where T² - 4D = a^4 - 4 vanishes: not studied.
    EXPECT_EQ(Summary("y", "-x-a^2y"),
        (std::vector<std::string> { "a < -racine(2) : noeud stable",
            "a = -racine(2) :", "-racine(2) < a < 0 : foyer stable", "a = 0 : centre",
            "0 < a < racine(2) : foyer stable", "a = racine(2) :", "a > racine(2) : noeud stable" }));
}

// A random one-parameter system: small integer coefficients, some of them
// affine in a, of degree 1 or 2.
std::string RandomComponent(std::mt19937& rng, int degree)
{
    static const char* const kMonomials[] = { "", "x", "y", "x^2", "xy", "y^2" };
    std::uniform_int_distribution<int> coeff(-3, 3), pick(0, 2);
    std::string out;
    for (int m = 0; m < (degree == 1 ? 3 : 6); ++m) {
        const int c0 = pick(rng) == 0 ? 0 : coeff(rng), c1 = pick(rng) == 0 ? coeff(rng) : 0;
        if (c0 == 0 && c1 == 0) continue;
        const std::string mono = kMonomials[m];
        std::string term = "(" + std::to_string(c0) + (c1 >= 0 ? "+" : "") + std::to_string(c1) + "a)";
        out += "+" + term + (mono.empty() ? "" : "*" + mono);
    }
    return out.empty() ? "a" : out;
}

// Quadratic and cubic terms, some coefficients affine in a.
std::string RandomTerms(std::mt19937& rng)
{
    static const char* const kMonomials[] = { "x^2", "xy", "y^2", "x^3", "x^2y", "xy^2", "y^3" };
    std::uniform_int_distribution<int> coeff(-3, 3), pick(0, 3);
    std::string out;
    for (const char* m : kMonomials) {
        const int c0 = pick(rng) == 0 ? coeff(rng) : 0, c1 = pick(rng) == 0 ? coeff(rng) : 0;
        if (c0 != 0 || c1 != 0) out += "+(" + std::to_string(c0) + "+(" + std::to_string(c1) + ")a)*" + m;
    }
    return out + "+a*x^3";
}

// A random rational strictly inside the interval of the case (its ends are
// certified rational bounds of the critical values).
flint::Fmpq RandomInside(std::mt19937& rng, const Discussion& d, const Case& c)
{
    std::uniform_int_distribution<int> num(1, 999);
    flint::Fmpq t, lo, hi, five;
    fmpq_set_si(t.raw(), num(rng), 1000);
    fmpq_set_si(five.raw(), 5, 1);
    if (c.from) lo = UpperBound(d.values[*c.from]);
    if (c.to) hi = LowerBound(d.values[*c.to]);
    if (!c.from) fmpq_sub(lo.raw(), hi.raw(), five.raw());
    if (!c.to) fmpq_add(hi.raw(), lo.raw(), five.raw());
    flint::Fmpq v;
    fmpq_sub(v.raw(), hi.raw(), lo.raw());
    fmpq_mul(v.raw(), v.raw(), t.raw());
    fmpq_add(v.raw(), v.raw(), lo.raw());
    return v;
}

TEST(Discussion, EveryValueOfAnIntervalGivesTheAnswerOfItsSample)
{
    std::mt19937 rng(20261208);
    int checked = 0;
    for (int n = 0; n < 48; ++n) {
        const int degree = n % 3 == 1 ? 2 : 1;
        std::string p = RandomComponent(rng, degree), q = RandomComponent(rng, degree);
        if (n % 3 == 2) {
            // A weak focus at the origin for every a (linear part [u v ; w -u], u² + vw < 0):
            // its stability follows the first Lyapunov value.
            std::uniform_int_distribution<int> small(-2, 2), big(1, 3);
            const int u = small(rng), v = -big(rng), w = u * u + big(rng);
            p = std::to_string(u) + "x+" + std::to_string(v) + "y" + RandomTerms(rng);
            q = std::to_string(w) + "x+" + std::to_string(-u) + "y" + RandomTerms(rng);
        }
        const ParsedSystem s = ParseSystem(p, q);
        if (s.parameters.size() != 1) continue;
        const Discussion d = Discuss(s);
        for (size_t k = 0; k < d.cases.size(); ++k) {
            const Case& c = d.cases[k];
            // No spurious boundary: a value differs from one side at least.
            if (c.single && CaseSignature(c)) {
                EXPECT_FALSE(CaseSignature(c) == CaseSignature(d.cases[k - 1])
                    && CaseSignature(c) == CaseSignature(d.cases[k + 1]))
                    << p << " / " << q << " at " << CaseRange(d, c);
            }
            if (c.single) continue;
            for (int trial = 0; trial < 3; ++trial) {
                const flint::Fmpq v = RandomInside(rng, d, c);
                Case at;
                at.points = AnalyseSystemFixedPoints(Substitute(s, v), Deadline());
                EXPECT_EQ(CaseSignature(at), CaseSignature(c))
                    << p << " / " << q << " case " << CaseRange(d, c) << " at " << fmpq_get_d(v.raw());
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 200);
}

TEST(Discussion, TheFilesSayItCaseByCaseInDecodableText)
{
    const ParsedSystem s = ParseSystem("ax-1", "-y");
    const std::vector<std::string> korbast = KorbastTexts(s), durmosk = DurmoskTexts(s);
    EXPECT_NE(korbast[0].find("DISCUSSION SELON LES VALEURS DE a\nValeurs critiques de a : -1 et 0.\n"),
        std::string::npos);
    EXPECT_NE(korbast[0].find("Si a < -1 : un point fixe, (1/a ; 0) : noeud stable.\n"
                              "Si a = -1 : un point fixe, (-1 ; 0) : noeud étoilé stable.\n"
                              "Si -1 < a < 0 : un point fixe, (1/a ; 0) : noeud stable.\n"
                              "Si a = 0 : aucun point fixe.\n"
                              "Si a > 0 : un point fixe, (1/a ; 0) : col.\n"),
        std::string::npos)
        << korbast[0];
    EXPECT_NE(korbast[1].find("  T(a) = a - 1 ; racines réelles : 1\n  D(a) = -a ; racines réelles : 0\n"),
        std::string::npos)
        << korbast[1];
    EXPECT_NE(
        durmosk[0].find("  Point 1 : (-1/2 ; 0)\n    en fonction de a : (1/a ; 0)\n"), std::string::npos);
    const std::vector<std::string> several = KorbastTexts(ParseSystem("ax", "by"));
    EXPECT_NE(several[0].find("ne traite qu'une seule constante littérale"), std::string::npos);
    for (const std::vector<std::string>& files :
        { korbast, durmosk, several, DurmoskTexts(ParseSystem("ax", "by")) })
        for (const std::string& t : files)
            EXPECT_TRUE(IsDecodable(t)) << t;
}

TEST(Discussion, JsonCoversTheLineAndIsNullForSeveralConstants)
{
    int status = -1;
    const Json j = AnalyseJsonObject({ "a-x^2", "-y" }, AnalyseSettings {}, status);
    EXPECT_EQ(status, kAnalyseOk);
    const Json* d = j.find("discussion");
    ASSERT_TRUE(d && d->isObject());
    EXPECT_EQ(*d->find("parameter")->string(), "a");
    const Json::Array& cases = *d->find("cases")->array();
    ASSERT_EQ(cases.size(), 5u);
    EXPECT_TRUE(cases[0].find("from")->isNull());
    EXPECT_EQ(*cases[0].find("to")->string(), "0");
    EXPECT_EQ(*cases[0].find("sample")->string(), "-1");
    EXPECT_TRUE(cases[0].find("fixed_points")->array()->empty());
    EXPECT_EQ(*cases[3].find("at")->string(), "1/4");
    EXPECT_EQ(*cases[3].find("fixed_points")->array()->at(1).find("type")->string(), "star_node");
    EXPECT_TRUE(cases[4].find("to")->isNull());
    EXPECT_TRUE(j.find("fixed_points")->isNull());
    const Json several = AnalyseJsonObject({ "ax", "by" }, AnalyseSettings {}, status);
    EXPECT_TRUE(several.find("discussion")->isNull());
}

TEST(Discussion, GivesUpAtTheDeadlineWithTheTimeMessage)
{
    EXPECT_THROW(Discuss(ParseSystem("a-x^2", "-y"), Deadline(std::chrono::milliseconds(0))), LimitExceeded);
}

} // namespace
} // namespace vindrel::engine::discussion
