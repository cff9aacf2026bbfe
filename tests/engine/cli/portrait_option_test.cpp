// vindrel-analyse --portrait, run in-process; every picture goes into a
// temporary folder of its own.
#include "engine/cli/analyse.h"
#include "run_analyse.h"
#include "engine/cli/portrait_option.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include <unistd.h>

namespace vindrel::engine {
namespace {

namespace fs = std::filesystem;
using testing::Analyse;
using testing::Outcome;

std::string ReadAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

size_t Count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1))
        ++n;
    return n;
}

std::string FirstLine(const std::string& s)
{
    return s.substr(0, s.find('\n'));
}

class PortraitOption : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path()
            / ("vindrel-portrait-cli-" + std::to_string(::getpid()) + "-"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string File(const std::string& name) const { return (dir_ / name).string(); }
    std::string Written(const std::string& name) const
    {
        return std::string("Portrait de phase écrit dans le fichier '") + File(name) + "'.\n";
    }
    // The folder holds exactly these names.
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path dir_;
};

TEST_F(PortraitOption, SaddleSvgHasItsSeparatricesAndLegendAndNoReport)
{
    const Outcome r = Analyse({ "--portrait", File("col.svg"), "x", "-y" });
    ASSERT_EQ(r.status, kAnalyseOk) << r.err;
    EXPECT_EQ(r.out, Written("col.svg"));
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Names(), std::vector<std::string> { "col.svg" });
    const std::string svg = ReadAll(File("col.svg"));
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_EQ(svg.rfind("</svg>\n"), svg.size() - 7);
    for (const char* id : { "id=\"champ\"", "id=\"isoclines\"", "id=\"separatrices\"", "id=\"orbites\"",
             "id=\"points-fixes\"", "id=\"legende\"" })
        EXPECT_EQ(Count(svg, id), 1u) << id;
    EXPECT_EQ(Count(svg, "class=\"separatrice instable\""), 2u);
    EXPECT_EQ(Count(svg, "class=\"separatrice stable\""), 2u);
    EXPECT_EQ(Count(svg, ">col</text>"), 1u);
    // Framed around the only fixed point.
    EXPECT_EQ(Count(svg, ">[-3 ; 3] x [-3 ; 3]</text>"), 1u);
}

TEST_F(PortraitOption, LimitCyclesOfTheStudyAreDrawnUnstableOnesDashed)
{
    PortraitRequest request;
    const auto p = ComputeSystemPortrait(
        request, ParseSystem("-y+x(x^2+y^2-1)(x^2+y^2-4)", "x+y(x^2+y^2-1)(x^2+y^2-4)"));
    std::vector<double> radii;
    for (const auto& o : p.orbits)
        if (o.limitCycle) radii.push_back(std::hypot(o.points[0].x, o.points[0].y) * (o.unstable ? -1 : 1));
    std::sort(radii.begin(), radii.end());
    ASSERT_EQ(radii.size(), 2u);
    EXPECT_NEAR(radii[0], -2, 1e-6); // unstable, dashed
    EXPECT_NEAR(radii[1], 1, 1e-6);
}

TEST_F(PortraitOption, PngNameGivesAPngPicture)
{
    const Outcome r = Analyse({ "--portrait", File("foyer.PNG"), "--", "-x-y", "x-y" });
    ASSERT_EQ(r.status, kAnalyseOk) << r.err;
    EXPECT_EQ(r.out, Written("foyer.PNG"));
    EXPECT_EQ(ReadAll(File("foyer.PNG")).substr(0, 8), "\x89PNG\r\n\x1a\n");
}

TEST_F(PortraitOption, GivenWindowFramesThePicture)
{
    const Outcome r
        = Analyse({ "--window", " -1.5, 2.5 ,-0.5,+1e0", "--portrait", File("duffing.svg"), "y", "x-x^3" });
    ASSERT_EQ(r.status, kAnalyseOk) << r.err;
    const std::string svg = ReadAll(File("duffing.svg"));
    EXPECT_EQ(Count(svg, ">[-1,5 ; 2,5] x [-0,5 ; 1]</text>"), 1u);
}

TEST_F(PortraitOption, DiscShowsThePointsAtInfinity)
{
    const Outcome r = Analyse({ "--disc", "--portrait", File("disque.svg"), "x", "-y" });
    ASSERT_EQ(r.status, kAnalyseOk) << r.err;
    const std::string svg = ReadAll(File("disque.svg"));
    EXPECT_EQ(Count(svg, ">disque de Poincaré</text>"), 1u);
    EXPECT_EQ(Count(svg, ">point à l&apos;infini</text>"), 1u);
}

TEST_F(PortraitOption, OtherVariableLettersAreRead)
{
    const Outcome r = Analyse({ "--vars", "uv", "--portrait", File("uv.svg"), "v", "-u+v-u^2v" });
    ASSERT_EQ(r.status, kAnalyseOk) << r.err;
    EXPECT_EQ(Count(ReadAll(File("uv.svg")), "class=\"orbite cycle-limite\""), 1u);
}

TEST_F(PortraitOption, AnEarlierPictureIsReplacedWhole)
{
    {
        std::ofstream(File("p.svg")) << std::string(100000, 'z');
    }
    ASSERT_EQ(Analyse({ "--portrait", File("p.svg"), "x", "-y" }).status, kAnalyseOk);
    const std::string svg = ReadAll(File("p.svg"));
    EXPECT_EQ(svg.find('z' + std::string(10, 'z')), std::string::npos);
    EXPECT_EQ(svg.rfind("</svg>\n"), svg.size() - 7);
    EXPECT_EQ(Names(), std::vector<std::string> { "p.svg" });
}

std::string Malformed(const std::string& value)
{
    return "--window attend quatre nombres xmin,xmax,ymin,ymax, par exemple -3,3,-2,2 : reçu \"" + value
        + "\".";
}

std::string EmptyWindow(const std::string& value)
{
    return "--window : la fenêtre doit vérifier xmin < xmax et ymin < ymax : reçu \"" + value + "\".";
}

struct BadOptionCase {
    const char* name;
    std::vector<std::string> args; // before "--portrait <dir>/a.svg x y" when withFile
    bool withFile;
    std::string message;
};

class BadPortraitOptions : public PortraitOption, public ::testing::WithParamInterface<BadOptionCase> { };

TEST_P(BadPortraitOptions, AreRefusedWithAFrenchReasonAndTheUsage)
{
    const BadOptionCase& c = GetParam();
    std::vector<std::string> args = c.args;
    if (c.withFile) args.insert(args.end(), { "--portrait", File("a.svg"), "x", "y" });
    const Outcome r = Analyse(args);
    EXPECT_EQ(r.status, kAnalyseUsage);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(FirstLine(r.err), "vindrel-analyse : " + c.message);
    EXPECT_NE(r.err.find("--portrait FICHIER"), std::string::npos) << "usage shown";
    EXPECT_TRUE(Names().empty());
}

INSTANTIATE_TEST_SUITE_P(All, BadPortraitOptions,
    ::testing::Values(BadOptionCase { "ThreeNumbers", { "--window", "1,2,3" }, true, Malformed("1,2,3") },
        BadOptionCase { "FiveNumbers", { "--window", "0,5,1,2,3" }, true, Malformed("0,5,1,2,3") },
        BadOptionCase { "EmptyItem", { "--window", "-1,,0,1" }, true, Malformed("-1,,0,1") },
        BadOptionCase { "Letters", { "--window", "a,b,c,d" }, true, Malformed("a,b,c,d") },
        BadOptionCase { "TrailingText", { "--window", "-1,1,-1,1x" }, true, Malformed("-1,1,-1,1x") },
        BadOptionCase { "NotFinite", { "--window", "-inf,1,nan,1" }, true, Malformed("-inf,1,nan,1") },
        BadOptionCase { "XReversed", { "--window", "2,1,0,1" }, true, EmptyWindow("2,1,0,1") },
        BadOptionCase { "YFlat", { "--window", "0,1,1,1" }, true, EmptyWindow("0,1,1,1") },
        BadOptionCase { "WindowWithoutValue", { "--portrait", "a.svg", "--window" }, false,
            "--window attend quatre nombres xmin,xmax,ymin,ymax, par exemple -3,3,-2,2." },
        BadOptionCase { "PortraitWithoutValue", { "--portrait" }, false,
            "--portrait attend un nom de fichier (.svg ou .png)." },
        BadOptionCase { "OtherPictureFormat", { "--portrait", "a.jpg", "x", "y" }, false,
            "--portrait attend un nom de fichier en .svg ou en .png : reçu \"a.jpg\"." },
        BadOptionCase { "DiscAlone", { "--disc", "x", "y" }, false,
            "--window et --disc ne servent qu'avec --portrait FICHIER." },
        BadOptionCase { "WindowAlone", { "--window", "0,1,0,1", "x", "y" }, false,
            "--window et --disc ne servent qu'avec --portrait FICHIER." },
        BadOptionCase { "WithJson", { "--json" }, true,
            "--portrait et --json ne vont pas ensemble : le portrait remplace les rapports." },
        BadOptionCase { "WindowAndDisc", { "--disc", "--window", "0,1,0,1" }, true,
            "--window et --disc ne vont pas ensemble : le disque de Poincaré montre tout le plan." }),
    [](const auto& info) { return std::string(info.param.name); });

struct InputCase {
    const char* name;
    const char* p;
    const char* q;
    const char* message;
};

class UnportrayableInput : public PortraitOption, public ::testing::WithParamInterface<InputCase> { };

TEST_P(UnportrayableInput, FailsWithAFrenchMessageAndLeavesNoFile)
{
    const InputCase& c = GetParam();
    const Outcome r = Analyse({ "--portrait", File("a.png"), c.p, c.q });
    EXPECT_EQ(r.status, kAnalyseInputError);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, std::string(c.message) + "\n");
    EXPECT_TRUE(Names().empty());
}

INSTANTIATE_TEST_SUITE_P(All, UnportrayableInput,
    ::testing::Values(
        InputCase { "LiteralConstants", "ax", "-y",
            "Le portrait de phase demande des coefficients numériques : donnez une valeur aux constantes "
            "littérales." },
        InputCase { "ParseError", "x2", "y",
            "Erreur dans dx/dt, position 2 : un chiffre ne peut pas suivre directement une lettre : écrivez "
            "x^2 "
            "pour une puissance ou 2x pour un produit." },
        InputCase { "EveryPointFixed", "0", "0*x",
            "Tous les points du plan sont fixes (P = Q = 0) : il n'y a pas de portrait à dessiner." }),
    [](const auto& info) { return std::string(info.param.name); });

struct CertifiedCase {
    const char* name;
    const char* p;
    const char* q;
    std::vector<std::string> present; // legend texts shown once
    std::vector<std::string> absent; // legend texts not shown
    std::string frame; // the window, framed on the fixed points
};

class CertifiedPoints : public PortraitOption, public ::testing::WithParamInterface<CertifiedCase> { };

TEST_P(CertifiedPoints, GiveTheNaturesAndPlacesOfTheLegend)
{
    const CertifiedCase& c = GetParam();
    const Outcome r = Analyse({ "--portrait", File("a.svg"), "--", c.p, c.q });
    ASSERT_EQ(r.status, kAnalyseOk) << r.err;
    const std::string svg = ReadAll(File("a.svg"));
    for (const std::string& e : c.present)
        EXPECT_EQ(Count(svg, ">" + e + "</text>"), 1u) << e;
    for (const std::string& e : c.absent)
        EXPECT_EQ(Count(svg, ">" + e + "</text>"), 0u) << e;
    EXPECT_EQ(Count(svg, ">points fixes calculés numériquement</text>"), 0u);
    EXPECT_EQ(Count(svg, ">" + c.frame + "</text>"), 1u) << c.frame;
}

INSTANTIATE_TEST_SUITE_P(All, CertifiedPoints,
    ::testing::Values(CertifiedCase { "Duffing", "y", "x-x^3", { "centre", "col", "séparatrice stable" },
                          { "nature indéterminée" }, "[-1,6 ; 1,6] x [-1,6 ; 1,6]" },
        CertifiedCase { "LotkaVolterra", "x-xy", "-y+xy", { "centre", "col" }, { "nature indéterminée" },
            "[-1 ; 2] x [-1 ; 2]" },
        CertifiedCase { "NilpotentPointAtTheOrigin", "y", "-x(x-2y)^2", { "nature indéterminée" },
            { "aucun point fixe fini" }, "[-3 ; 3] x [-3 ; 3]" },
        CertifiedCase { "NilpotentSaddleHasNoEigenDirections", "y", "(10x-1)^3", { "col" },
            { "séparatrice stable", "séparatrice instable" }, "[-2,9 ; 3,1] x [-3 ; 3]" },
        CertifiedCase { "SaddleWithAZeroEigenvalue", "x", "-y^3",
            { "col", "séparatrice stable", "séparatrice instable" }, {}, "[-3 ; 3] x [-3 ; 3]" },
        CertifiedCase { "LineOfFixedPoints", "xy", "x(1-x)", { "centre", "courbe de points fixes" }, {},
            "[-2 ; 4] x [-3 ; 3]" },
        CertifiedCase { "LineOfFixedPointsAlone", "xy", "x", { "courbe de points fixes" },
            { "aucun point fixe fini" }, "[-2 ; 2] x [-2 ; 2]" }),
    [](const auto& info) { return std::string(info.param.name); });

// The coordinates of a path, in pixels.
std::vector<std::pair<double, double>> PathPoints(const std::string& svg, const std::string& cls)
{
    std::vector<std::pair<double, double>> points;
    const size_t at = svg.find("class=\"" + cls + "\"");
    if (at == std::string::npos) return points;
    const size_t d = svg.find(" d=\"", at) + 4;
    std::istringstream in(svg.substr(d, svg.find('"', d) - d));
    char command;
    double x, y;
    while (in >> command >> x >> y)
        points.push_back({ x, y });
    return points;
}

TEST_F(PortraitOption, NilpotentPointIsMarkedAtTheOrigin)
{
    ASSERT_EQ(Analyse({ "--portrait", File("a.svg"), "y", "--", "-x(x-2y)^2" }).status, kAnalyseOk);
    const std::string svg = ReadAll(File("a.svg"));
    const std::string markers = svg.substr(svg.find("id=\"points-fixes\""));
    // The square of an undetermined point, centred on pixel (384, 384): x = y = 0.
    EXPECT_EQ(
        Count(markers, "<polygon points=\"378.50,378.50 389.50,378.50 389.50,389.50 378.50,389.50 \""), 1u);
}

TEST_F(PortraitOption, LineOfFixedPointsIsDrawnAlongTheYAxis)
{
    ASSERT_EQ(Analyse({ "--portrait", File("a.svg"), "x*y", "x*(1-x)" }).status, kAnalyseOk);
    const auto points = PathPoints(ReadAll(File("a.svg")), "courbe-points-fixes");
    ASSERT_GT(points.size(), 200u);
    double low = 1e9, high = -1e9;
    for (const auto& [x, y] : points) {
        ASSERT_NEAR(x, 264, 0.005); // x = 0 in [-2, 4], 120 pixels a unit
        low = std::min(low, y);
        high = std::max(high, y);
    }
    EXPECT_NEAR(low, 24, 0.005);
    EXPECT_NEAR(high, 744, 0.005);
}

TEST_F(PortraitOption, WithoutTimeForTheCertifiedSearchTheNumericalOneIsUsedAndSaidSo)
{
    PortraitRequest request;
    request.file = File("a.svg");
    request.pointBudget = std::chrono::milliseconds(0);
    EXPECT_EQ(DrawPortrait(request, ParseSystem("y", "x-x^3")), Written("a.svg"));
    const std::string svg = ReadAll(File("a.svg"));
    for (const char* e : { "points fixes calculés numériquement", "col", "nature indéterminée",
             "[-1,6 ; 1,6] x [-1,6 ; 1,6]" })
        EXPECT_EQ(Count(svg, std::string(">") + e + "</text>"), 1u) << e;
    EXPECT_EQ(Count(svg, ">centre</text>"), 0u);
}

TEST_F(PortraitOption, UnwritableFolderIsNamedAndNothingIsLeft)
{
    const std::string target = File("absent/a.svg");
    const Outcome r = Analyse({ "--portrait", target, "x", "-y" });
    EXPECT_EQ(r.status, kAnalyseInputError);
    EXPECT_EQ(r.err, "Impossible d'écrire le portrait dans le fichier '" + target + "'.\n");
    EXPECT_TRUE(Names().empty());
}

} // namespace
} // namespace vindrel::engine
