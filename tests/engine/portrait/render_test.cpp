#include "engine/portrait/cairo_api.h"
#include "engine/portrait/portrait.h"
#include "field_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include <sys/stat.h>

namespace vindrel::portrait {
namespace {

using testing::FieldOf;

std::size_t Count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) ++n;
    return n;
}

std::string ReadAll(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class TempDir {
public:
    TempDir()
        : path_(std::filesystem::temp_directory_path()
                / ("portrait-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-"
                   + ::testing::UnitTest::GetInstance()->current_test_info()->name()))
    {
        std::filesystem::create_directories(path_);
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

Portrait SaddlePortrait()
{
    return ComputePortrait(FieldOf("x", "-y"), {{0, 0, "saddle", ""}}, {});
}

TEST(Svg, HoldsEveryNamedGroupOnce)
{
    std::string svg = SvgText(SaddlePortrait());
    for (const char* id : {"id=\"champ\"", "id=\"isoclines\"", "id=\"separatrices\"", "id=\"orbites\"",
                           "id=\"points-fixes\"", "id=\"legende\""})
        EXPECT_EQ(Count(svg, id), 1u) << id;
    EXPECT_EQ(svg.rfind("</svg>\n"), svg.size() - 7);
}

TEST(Svg, DrawsEachSeparatrixAndOrbitAsOnePath)
{
    Portrait p = SaddlePortrait();
    std::string svg = SvgText(p);
    EXPECT_EQ(Count(svg, "class=\"separatrice instable\""), 2u);
    EXPECT_EQ(Count(svg, "class=\"separatrice stable\""), 2u);
    EXPECT_EQ(Count(svg, "class=\"orbite\""), p.orbits.size());
    EXPECT_EQ(Count(svg, "class=\"isocline-p\""), 1u);
    EXPECT_EQ(Count(svg, "class=\"isocline-q\""), 1u);
}

// The arrowheads drawn in a colour, as (tip, middle of the base) in pixels.
std::vector<std::pair<Vec2, Vec2>> ArrowHeads(const std::string& svg, const std::string& colour)
{
    std::vector<std::pair<Vec2, Vec2>> heads;
    const std::string tail = "\" fill=\"" + colour + "\"";
    for (auto at = svg.find("<polygon points=\""); at != std::string::npos; at = svg.find("<polygon points=\"", at + 1)) {
        const auto begin = at + 17, end = svg.find('"', begin);
        if (svg.compare(end, tail.size(), tail) != 0) continue;
        std::istringstream in(svg.substr(begin, end - begin));
        Vec2 p[3];
        char comma;
        for (Vec2& q : p) in >> q.x >> comma >> q.y;
        heads.push_back({p[0], 0.5 * (p[1] + p[2])});
    }
    return heads;
}

// Regression: stable separatrices are traced back in time from the saddle,
// and their arrows pointed away from it, against the flow.
TEST(Svg, SeparatrixArrowsFollowTheFlow)
{
    const std::string svg = SvgText(SaddlePortrait());
    const Vec2 saddle{384, 384}; // the middle of the 720-pixel plot of [-3, 3]^2
    const auto stable = ArrowHeads(svg, "#1f77b4"), unstable = ArrowHeads(svg, "#d62728");
    ASSERT_EQ(stable.size(), 2u);
    ASSERT_EQ(unstable.size(), 2u);
    for (const auto& [tip, base] : stable) EXPECT_LT(Norm(tip - saddle), Norm(base - saddle));
    for (const auto& [tip, base] : unstable) EXPECT_GT(Norm(tip - saddle), Norm(base - saddle));
}

struct LegendCase {
    const char* name;
    const char* p;
    const char* q;
    std::vector<FixedPointInput> points;
    std::vector<std::string> entries;
};

class Legend : public ::testing::TestWithParam<LegendCase> {};

TEST_P(Legend, NamesEachNatureOnceInFrench)
{
    const LegendCase& c = GetParam();
    std::string svg = SvgText(ComputePortrait(FieldOf(c.p, c.q), c.points, {}));
    for (const std::string& e : c.entries) EXPECT_EQ(Count(svg, ">" + e + "</text>"), 1u) << e;
}

INSTANTIATE_TEST_SUITE_P(
    Systems, Legend,
    ::testing::Values(
        LegendCase{"Saddle", "x", "-y", {{0, 0, "saddle", ""}},
                   {"Portrait de phase", "[-3 ; 3] x [-3 ; 3]", "col", "isocline P = 0", "isocline Q = 0",
                    "séparatrice stable", "séparatrice instable", "orbite", "champ de directions"}},
        LegendCase{"Duffing", "y", "x-x^3", {{-1, 0, "center", ""}, {0, 0, "saddle", ""}, {1, 0, "center", ""}},
                   {"centre", "col", "[-1,6 ; 1,6] x [-1,6 ; 1,6]"}},
        LegendCase{"VanDerPol", "y", "-x+y-x^2*y", {{0, 0, "focus", "unstable"}}, {"foyer instable", "cycle limite"}},
        LegendCase{"NoFixedPoint", "1", "x", {}, {"aucun point fixe fini"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct NatureCase {
    const char* type;
    const char* stability;
    const char* label;
};

class Natures : public ::testing::TestWithParam<NatureCase> {};

TEST_P(Natures, HaveTheirFrenchName)
{
    EXPECT_EQ(NatureLabel(GetParam().type, GetParam().stability), GetParam().label);
}

INSTANTIATE_TEST_SUITE_P(All, Natures,
                         ::testing::Values(NatureCase{"saddle", "", "col"}, NatureCase{"node", "stable", "noeud stable"},
                                           NatureCase{"node", "unstable", "noeud instable"},
                                           NatureCase{"focus", "stable", "foyer stable"},
                                           NatureCase{"focus", "unstable", "foyer instable"},
                                           NatureCase{"center", "", "centre"},
                                           NatureCase{"star_node", "stable", "noeud étoilé stable"},
                                           NatureCase{"degenerate_node", "unstable", "noeud dégénéré instable"},
                                           NatureCase{"weak_focus", "stable", "foyer faible stable"},
                                           NatureCase{"saddle_node", "", "col-noeud"},
                                           NatureCase{"cusp", "", "point de rebroussement"},
                                           NatureCase{"elliptic_saddle", "", "col elliptique"},
                                           NatureCase{"undetermined", "", "nature indéterminée"}));

TEST(Legend, ListsOnlyWhatIsDrawn)
{
    // A focus: no separatrix, no limit cycle.
    std::string svg = SvgText(ComputePortrait(FieldOf("-x-y", "x-y"), {{0, 0, "focus", "stable"}}, {}));
    for (const char* absent : {"séparatrice stable", "séparatrice instable", "cycle limite",
                               "point à l&apos;infini", "points fixes calculés numériquement"})
        EXPECT_EQ(Count(svg, std::string(">") + absent + "</text>"), 0u) << absent;
    for (const char* present : {"isocline P = 0", "isocline Q = 0", "orbite", "foyer stable"})
        EXPECT_EQ(Count(svg, std::string(">") + present + "</text>"), 1u) << present;
}

struct CurveLegendCase {
    const char* name;
    std::vector<FixedPointInput> points;
    std::vector<FixedCurveInput> curves;
    std::size_t curveEntries;   // "courbe de points fixes"
    std::size_t noPointEntries; // "aucun point fixe fini"
};

class CurveLegend : public ::testing::TestWithParam<CurveLegendCase> {};

TEST_P(CurveLegend, NamesTheDrawnCurvesAndNeverCallsThePlaneEmptyBesideOne)
{
    // x' = (x-a)y, y' = (x-a)x: the line x = a is made of fixed points.
    const CurveLegendCase& c = GetParam();
    PortraitOptions o;
    o.window = Window{-2, 2, -2, 2};
    const std::string svg = SvgText(ComputePortrait(FieldOf("x*y", "x^2"), PortraitInput{c.points, c.curves, {}}, o));
    EXPECT_EQ(Count(svg, ">courbe de points fixes</text>"), c.curveEntries);
    EXPECT_EQ(Count(svg, "class=\"courbe-points-fixes\""), c.curveEntries);
    EXPECT_EQ(Count(svg, "id=\"courbes-points-fixes\""), c.curveEntries);
    EXPECT_EQ(Count(svg, ">aucun point fixe fini</text>"), c.noPointEntries);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CurveLegend,
    ::testing::Values(CurveLegendCase{"LineInTheWindow", {}, {{{{1, 1, 0}}}}, 1, 0},
                      CurveLegendCase{"LineOutsideTheWindow", {}, {{{{1, 1, 0}, {-5, 0, 0}}}}, 0, 0},
                      CurveLegendCase{"NoCurveNoPoint", {}, {}, 0, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Legend, SaysWhenTheFixedPointsWereFoundNumerically)
{
    PortraitOptions o;
    o.pointOrigin = PointOrigin::Numerical;
    Portrait p = ComputePortrait(FieldOf("x", "-y"), {{0, 0, "saddle", ""}}, o);
    EXPECT_EQ(Count(SvgText(p), ">points fixes calculés numériquement</text>"), 1u);
}

TEST(WritePortrait, PngByItsNameSvgOtherwiseAndNoTemporaryLeft)
{
    TempDir dir;
    Portrait p = SaddlePortrait();
    WritePortrait(p, (dir.path() / "a.PNG").string());
    WritePortrait(p, (dir.path() / "a.svg").string());
    std::string png = ReadAll(dir.path() / "a.PNG");
    ASSERT_GT(png.size(), 1000u);
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(ReadAll(dir.path() / "a.svg"), SvgText(p));
    std::size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) files += e.is_regular_file();
    EXPECT_EQ(files, 2u);
}

TEST(WritePortrait, UnwritablePlaceIsReportedAndLeavesNothing)
{
    TempDir dir;
    Portrait p = SaddlePortrait();
    for (const char* name : {"absent/a.svg", "absent/a.png"}) {
        std::string target = (dir.path() / name).string();
        try {
            WritePortrait(p, target);
            FAIL() << "no error for " << name;
        } catch (const PortraitError& e) {
            EXPECT_EQ(std::string(e.what()), "Impossible d'écrire le portrait dans le fichier '" + target + "'.");
        }
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// Cairo is opened at the first PNG, not linked: a missing library is a French
// message, and opening it twice gives the same functions.
TEST(WritePortrait, CairoIsOpenedOnDemandAndItsAbsenceIsExplained)
{
    try {
        LoadCairo("libvindrel-absent-cairo.so.2");
        FAIL() << "no error for a missing library";
    } catch (const PortraitError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Impossible de dessiner le portrait en PNG : la bibliothèque libvindrel-absent-cairo.so.2 (Cairo) "
                  "est introuvable : installez-la, ou donnez un nom de fichier en .svg.");
    }
    const CairoApi& cairo = LoadCairo();
    EXPECT_EQ(&cairo, &LoadCairo());
    EXPECT_NE(cairo.show_text, nullptr);
    EXPECT_NE(cairo.surface_write_to_png, nullptr);
}

// Regression: the temporary file had the fixed name "<picture>.tmp", so a
// file of the user's by that name was overwritten, then deleted.
TEST(WritePortrait, SparesAFileNamedLikeATemporaryAndGivesUsualPermissions)
{
    TempDir dir;
    auto target = dir.path() / "p.png";
    std::ofstream(dir.path() / "p.png.tmp") << "mine";
    std::ofstream(dir.path() / "p.svg.tmp") << "mine too";
    WritePortrait(SaddlePortrait(), target.string());
    WritePortrait(SaddlePortrait(), (dir.path() / "p.svg").string());
    EXPECT_EQ(ReadAll(dir.path() / "p.png.tmp"), "mine");
    EXPECT_EQ(ReadAll(dir.path() / "p.svg.tmp"), "mine too");
    std::size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) files += e.is_regular_file();
    EXPECT_EQ(files, 4u);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const auto perms = std::filesystem::status(target).permissions();
    EXPECT_EQ(static_cast<unsigned>(perms), 0666u & ~static_cast<unsigned>(mask));
}

TEST(WritePortrait, ReplacesAnEarlierPicture)
{
    TempDir dir;
    auto target = dir.path() / "p.svg";
    std::ofstream(target) << "old";
    WritePortrait(SaddlePortrait(), target.string());
    EXPECT_EQ(ReadAll(target).rfind("<?xml", 0), 0u);
}

} // namespace
} // namespace vindrel::portrait
