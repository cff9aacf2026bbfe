// The study page from a synthetic object that carries every field of the
// analyses (index and sectors, the circle at infinity, periodic orbits, the
// discussion of one constant): each is shown, and the page passes the checks
// of the course pages.
#include "engine/page/page.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <set>

namespace {

using vindrel::engine::Json;
namespace page = vindrel::page;

Json Obj(std::initializer_list<std::pair<const char*, Json>> fields)
{
    Json o = Json::MakeObject();
    for (const auto& [k, v] : fields)
        o.set(k, v);
    return o;
}

Json Arr(std::initializer_list<Json> items)
{
    Json a = Json::MakeArray();
    for (const Json& v : items)
        a.push(v);
    return a;
}

Json Point(const char* x, double xa, const char* type, const char* stability, int index, const char* sectors)
{
    return Obj(
        { { "x", x }, { "y", "0" }, { "x_approx", xa }, { "y_approx", 0.0 }, { "linear_part", "hyperbolic" },
            { "type", type }, { "stability", stability ? Json(stability) : Json() }, { "order", Json() },
            { "index", index }, { "sectors", sectors } });
}

Json Case(std::initializer_list<std::pair<const char*, Json>> bounds, Json points)
{
    Json c = Obj(bounds);
    c.set("fixed_points", std::move(points));
    c.set("fixed_curves", Json::MakeArray());
    c.set("complex_fixed_points", 0);
    return c;
}

Json Study()
{
    const Json saddle = Point("0", 0, "saddle", nullptr, -1, "hhhh");
    const Json node = Point("-sqrt(2)", -1.4142135623730951, "node", "stable", 1, "p");
    return Obj({ { "input", Obj({ { "P", "y" }, { "Q", "-x-ay" }, { "variables", Arr({ "x", "y" }) } }) },
        { "error", Json() }, { "parameters", Arr({ "a" }) }, { "degree", 3 }, { "P", "y" },
        { "Q", "-a*y - x" }, { "divergence", "-a" },
        { "properties",
            Obj({ { "hamiltonian", false }, { "divergence_sign", "non_positive" },
                { "reversible", Obj({ { "symmetries", Arr({ "(x, y, t) -> (x, -y, -t)" }) } }) } }) },
        { "hamiltonian", Json() }, { "potential", Json() }, { "hamiltonian_conditions", Arr({ "a" }) },
        { "fixed_points", Arr({ node, saddle }) }, { "fixed_curves", Json::MakeArray() },
        { "complex_fixed_points", 2 }, { "infinity_line", true },
        { "infinite_points",
            Arr({ Obj(
                { { "direction", Arr({ 1.0, 0.0 }) }, { "type", "saddle_node" }, { "stability", Json() },
                    { "index", 0 }, { "sectors", "hhp" }, { "reason", "variete centrale" } }) }) },
        { "periodic_orbits",
            Obj({ { "verdict", "limit_cycles" }, { "reason", "le retour de Poincaré a un point fixe." },
                { "limit_cycles",
                    Arr({ Obj({ { "stability", "semi_stable" }, { "proof", "numerical" }, { "curve", Json() },
                        { "period", 6.283185307179586 }, { "point", Arr({ 1.0, 0.0 }) }, { "x_min", -1.0 },
                        { "x_max", 1.0 }, { "y_min", -1.0 }, { "y_max", 1.0 },
                        { "surrounds", Arr({ 0 }) } }) }) } }) },
        { "discussion",
            Obj({ { "parameter", "a" },
                { "cases",
                    Arr({ Case({ { "from", Json() }, { "to", "0" }, { "sample", "-1" } }, Arr({ saddle })),
                        Case({ { "at", "0" }, { "at_approx", 0.0 } }, Json::MakeArray()),
                        Case({ { "from", "0" }, { "to", "sqrt(2)" }, { "sample", "1/2" } }, Arr({ node })),
                        Case({ { "at", "sqrt(2)" }, { "reason", "valeur irrationnelle" } }, Json()),
                        Case({ { "from", "sqrt(2)" }, { "to", Json() }, { "sample", "2" } },
                            Arr({ node, saddle })) }) } }) } });
}

// A drawing as the portrait code writes it: declaration, namespace, an id.
page::Picture Drawing(const std::string&)
{
    return { "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 10 10\"><defs>"
             "<clipPath id=\"zone\"><rect width=\"10\" height=\"10\"/></clipPath></defs>"
             "<path clip-path=\"url(#zone)\" d=\"M0 0L10 10\"/></svg>\n",
        {} };
}

// The checks of the course pages (tests/e2e_pages/check_pages.py --page).
void ExpectValidPage(const std::string& html, const std::string& name)
{
    const auto file = std::filesystem::temp_directory_path() / ("vindrel-page-test-" + name + ".html");
    std::ofstream(file, std::ios::binary) << html;
    const std::string command
        = "python3 " VINDREL_SOURCE_DIR "/tests/e2e_pages/check_pages.py --page '" + file.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << name << ": " << file;
    std::filesystem::remove(file);
    EXPECT_EQ(html.find("<script"), std::string::npos);
    std::set<std::string> ids;
    const std::regex id(" id=\"([^\"]+)\"");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), id); it != std::sregex_iterator(); ++it)
        EXPECT_TRUE(ids.insert((*it)[1]).second) << name << ": id en double " << (*it)[1];
}

TEST(StudyPage, ShowsEveryFieldOfTheAnalyses)
{
    const Json study = Study();
    std::vector<std::string> asked;
    page::PageInput in;
    in.result = &study;
    in.plane = Drawing("");
    in.disc = { {}, "Portrait non dessiné." };
    in.casePicture = [&](const std::string& value) {
        asked.push_back(value);
        return Drawing(value);
    };
    const std::string html = page::BuildPage(in);

    // One small portrait per rational case value; none at sqrt(2).
    EXPECT_EQ(asked, (std::vector<std::string> { "-1", "0", "1/2", "2" }));
    EXPECT_NE(html.find("la valeur n’est pas rationnelle"), std::string::npos);
    for (const char* part :
        { "(−√2\u202F; 0)", "(−1,41421\u202F; 0)", "nœud stable", "h\u2009h\u2009h\u2009h", "<td>−1</td>",
            "<td>+1</td>", "h\u2009h\u2009p", "Le cercle à l’infini est tout entier",
            "2 points fixes non réels", "Au moins un cycle limite", "Le retour de Poincaré", "semi-stable",
            "détecté numériquement", "6,28319", "point n° 1", "seulement si a = 0", "négative ou nulle",
            "<var>a</var> &lt; 0", "<var>a</var> = 0", "0 &lt; <var>a</var> &lt; √2", "<var>a</var> &gt; √2",
            "valeur irrationnelle", "aucun point fixe réel", "Portrait non dessiné.",
            "oui\u202F: (x, y, t) → (x, -y, -t)" })
        EXPECT_NE(html.find(part), std::string::npos) << part;
    EXPECT_EQ(html.find("http"), std::string::npos);
    ExpectValidPage(html, "complete");

    // Without the discussion: portraits at a few values, nothing claimed between.
    Json bare = study;
    bare.set("discussion", Json());
    in.result = &bare;
    asked.clear();
    const std::string samples = page::BuildPage(in);
    EXPECT_EQ(asked, (std::vector<std::string> { "-1", "0", "1" }));
    EXPECT_NE(samples.find("Portraits pour quelques valeurs de a"), std::string::npos);
}

// Fields missing or of an unexpected kind (an older or newer engine, an
// error): the page is still whole and valid. Fixed-seed random damage.
TEST(StudyPage, StaysValidWhenFieldsAreMissingOrOdd)
{
    std::mt19937 random(18);
    const Json study = Study();
    const Json::Object& fields = *study.object();
    for (int round = 0; round < 4; ++round) {
        Json damaged = Json::MakeObject();
        for (const auto& [key, value] : fields) {
            switch (random() % 4) {
            case 0:
                break; // left out
            case 1:
                damaged.set(key, Json());
                break;
            case 2:
                damaged.set(key, key == "input" ? value : Json("1/2*x^2 - y"));
                break;
            default:
                damaged.set(key, value);
            }
        }
        page::PageInput in;
        in.result = &damaged;
        in.casePicture = Drawing;
        ExpectValidPage(page::BuildPage(in), "damaged" + std::to_string(round));
    }
}

} // namespace
