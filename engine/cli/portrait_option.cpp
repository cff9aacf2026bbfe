#include "engine/cli/portrait_option.h"

#include "engine/errors.h"
#include "engine/fixedpoints/system.h"
#include "engine/general/system.h"
#include "engine/portrait/portrait.h"

#include <flint/fmpq_mpoly.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <stdexcept>

namespace vindrel::engine {

namespace {

bool EndsWithNoCase(const std::string& s, const std::string& suffix)
{
    if (s.size() < suffix.size()) return false;
    return std::equal(suffix.begin(), suffix.end(), s.end() - static_cast<long>(suffix.size()),
        [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

std::string Trimmed(const std::string& s)
{
    const size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos) return "";
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// "xmin,xmax,ymin,ymax": four finite decimal numbers (point as the decimal
// separator, since the comma separates them).
std::optional<std::array<double, 4>> ParseWindow(const std::string& text)
{
    std::array<double, 4> v {};
    size_t start = 0;
    for (size_t k = 0; k < 4; ++k) {
        const size_t comma = text.find(',', start);
        if ((k < 3) != (comma != std::string::npos)) return std::nullopt;
        const std::string item = Trimmed(text.substr(start, k < 3 ? comma - start : std::string::npos));
        const char* first = item.data();
        const char* last = item.data() + item.size();
        if (!item.empty() && *first == '+') ++first;
        const auto [end, ec] = std::from_chars(first, last, v[k]);
        if (item.empty() || ec != std::errc() || end != last || !std::isfinite(v[k])) return std::nullopt;
        start = comma + 1;
    }
    return v;
}

std::string Quoted(const std::string& s)
{
    return "\"" + s + "\"";
}

std::vector<portrait::FixedPointInput> PointsOf(const FixedPointAnalysis& analysis)
{
    std::vector<portrait::FixedPointInput> points;
    for (const FixedPoint& p : analysis.points) {
        const char* stability = JsonName(p.nature.stability);
        std::vector<portrait::SeparatrixStart> separatrices;
        for (const SeparatrixDirection& d : p.nature.separatrices)
            separatrices.push_back({ { d.dx, d.dy }, d.unstable });
        points.push_back({ p.xApprox, p.yApprox, JsonName(p.nature.type), stability ? stability : "",
            JsonName(p.nature.linearPart), std::move(separatrices) });
    }
    return points;
}

// The points at infinity with the chart their nature was found in (the
// field divided by v there when the whole circle is singular).
std::vector<portrait::InfinitePointInput> InfiniteOf(const FixedPointAnalysis& analysis)
{
    std::vector<portrait::InfinitePointInput> out;
    const auto division = analysis.infinity == InfinityKind::Points ? portrait::ChartDivision::None
                                                                     : portrait::ChartDivision::ByV;
    for (const InfinitePoint& p : analysis.infinite) {
        const char* stability = JsonName(p.nature.stability);
        std::vector<portrait::SeparatrixStart> separatrices;
        for (const SeparatrixDirection& d : p.nature.separatrices)
            separatrices.push_back({ { d.dx, d.dy }, d.unstable });
        out.push_back({ { p.dx, p.dy }, p.dx != 0 ? portrait::Chart::AlongX : portrait::Chart::AlongY,
            JsonName(p.nature.type), stability ? stability : "", JsonName(p.nature.linearPart),
            std::move(separatrices), division });
    }
    return out;
}

// The curves of fixed points, read back from their exact texts in the
// system's variables.
std::vector<portrait::FixedCurveInput> CurvesOf(
    const FixedPointAnalysis& analysis, const ParsedSystem& system)
{
    std::vector<portrait::FixedCurveInput> curves;
    const flint::MpolyCtxPtr& ctx = system.P.ctx();
    for (const FixedCurve& c : analysis.curves) {
        flint::FmpqMpoly g(ctx);
        if (fmpq_mpoly_set_str_pretty(g.raw(), c.json.c_str(), ctx->cnames(), ctx->raw()) != 0)
            throw std::logic_error("courbe de points fixes illisible : " + c.json);
        curves.push_back({ portrait::TermsOf(g) });
    }
    return curves;
}

} // namespace

OptionRead ReadPortraitOption(
    const std::vector<std::string>& args, size_t& i, PortraitRequest& request, std::string& problem)
{
    const std::string& a = args[i];
    if (a == "--disc") {
        request.view = PortraitView::Disc;
        return OptionRead::Read;
    }
    if (a != "--portrait" && a != "--window") return OptionRead::NotMine;
    if (i + 1 >= args.size()) {
        problem = a == "--portrait"
            ? "--portrait attend un nom de fichier (.svg ou .png)."
            : "--window attend quatre nombres xmin,xmax,ymin,ymax, par exemple -3,3,-2,2.";
        return OptionRead::Bad;
    }
    const std::string& value = args[++i];
    if (a == "--portrait") {
        if (!EndsWithNoCase(value, ".svg") && !EndsWithNoCase(value, ".png")) {
            problem = "--portrait attend un nom de fichier en .svg ou en .png : reçu " + Quoted(value) + ".";
            return OptionRead::Bad;
        }
        request.file = value;
        return OptionRead::Read;
    }
    const auto window = ParseWindow(value);
    if (!window) {
        problem = "--window attend quatre nombres xmin,xmax,ymin,ymax, par exemple -3,3,-2,2 : reçu "
            + Quoted(value) + ".";
        return OptionRead::Bad;
    }
    const auto& w = *window;
    if (!(w[0] < w[1]) || !(w[2] < w[3])) {
        problem
            = "--window : la fenêtre doit vérifier xmin < xmax et ymin < ymax : reçu " + Quoted(value) + ".";
        return OptionRead::Bad;
    }
    request.window = window;
    return OptionRead::Read;
}

bool CheckPortraitRequest(const PortraitRequest& request, ReportFormat format, std::string& problem)
{
    const bool drawingOption = request.window || request.view == PortraitView::Disc;
    if (!request.Requested()) {
        if (drawingOption) problem = "--window et --disc ne servent qu'avec --portrait FICHIER.";
        return !drawingOption;
    }
    if (format == ReportFormat::Json) {
        problem = "--portrait et --json ne vont pas ensemble : le portrait remplace les rapports.";
        return false;
    }
    if (request.window && request.view == PortraitView::Disc) {
        problem = "--window et --disc ne vont pas ensemble : le disque de Poincaré montre tout le plan.";
        return false;
    }
    return true;
}

// The limit cycles that the study of periodic orbits traced; none when it
// runs out of time.
std::vector<portrait::CycleInput> CyclesOf(
    const ParsedSystem& system, const FixedPointAnalysis& analysis, std::chrono::milliseconds budget)
{
    std::vector<portrait::CycleInput> out;
    try {
        const general::GeneralAnalysis a = general::AnalyseSystem(system, analysis, Deadline(budget));
        for (const periodic::Cycle& c : a.orbits.cycles) {
            if (!c.traced) continue;
            portrait::CycleInput in;
            for (const periodic::Vec& p : c.orbit)
                in.points.push_back({ p.x, p.y });
            in.unstable = c.stability == periodic::CycleStability::Unstable;
            out.push_back(std::move(in));
        }
    } catch (const LimitExceeded&) {
    }
    return out;
}

portrait::Portrait ComputeSystemPortrait(
    const PortraitRequest& request, const ParsedSystem& system, int pixels)
{
    namespace pt = portrait;
    if (fmpq_mpoly_is_zero(system.P.raw(), system.P.craw())
        && fmpq_mpoly_is_zero(system.Q.raw(), system.Q.craw()))
        throw EngineError(
            "Tous les points du plan sont fixes (P = Q = 0) : il n'y a pas de portrait à dessiner.");
    const pt::PolynomialField field(pt::TermsOf(system.P), pt::TermsOf(system.Q));

    pt::PortraitOptions options;
    options.pixels = pixels;
    pt::PortraitInput input;
    input.nullclines = pt::SquareFreeField(system.P, system.Q);
    const FixedPointAnalysis analysis = AnalyseSystemFixedPoints(system, Deadline(request.pointBudget));
    if (analysis.pointsCertified) {
        input.points = PointsOf(analysis);
        input.curves = CurvesOf(analysis, system);
        input.infinite = InfiniteOf(analysis);
        input.cycles = CyclesOf(system, analysis, request.pointBudget);
    } else {
        input.points = pt::FindFixedPointsNumerically(field);
        options.pointOrigin = pt::PointOrigin::Numerical;
    }
    options.projection
        = request.view == PortraitView::Disc ? pt::Projection::PoincareDisc : pt::Projection::Plane;
    if (request.window) {
        const auto& w = *request.window;
        options.window = pt::Window { w[0], w[1], w[2], w[3] };
    }
    return pt::ComputePortrait(field, input, options);
}

std::string DrawPortrait(const PortraitRequest& request, const ParsedSystem& system)
{
    portrait::WritePortrait(ComputeSystemPortrait(request, system), request.file);

    std::error_code ec;
    const std::filesystem::path shown = std::filesystem::absolute(request.file, ec);
    return std::string(kPortraitWritten) + "'" + (ec ? request.file : shown.string()) + "'.\n";
}

} // namespace vindrel::engine
