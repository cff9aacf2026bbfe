#include "engine/cli/report_option.h"

#include "engine/errors.h"
#include "engine/portrait/portrait.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace vindrel::engine {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Below this, no portrait is started: the page must still be written in time.
constexpr milliseconds kPortraitFloor { 1500 };
constexpr int kCasePixels = 260;

bool EndsWithNoCase(const std::string& s, const std::string& suffix)
{
    return s.size() >= suffix.size()
        && std::equal(suffix.begin(), suffix.end(), s.end() - static_cast<long>(suffix.size()),
            [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

// The component with every occurrence of the constant replaced by the value.
std::string Substitute(const std::string& component, char constant, const std::string& value)
{
    std::string out;
    for (char c : component)
        out += c == constant ? "(" + value + ")" : std::string(1, c);
    return out;
}

std::string InputText(const Json& result, const char* key)
{
    const Json* input = result.find("input");
    const Json* v = input ? input->find(key) : nullptr;
    return v && v->string() ? *v->string() : std::string();
}

void WriteWhole(const std::string& file, const std::string& text)
{
    const std::string temp = file + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) {
            std::remove(temp.c_str());
            throw EngineError("Impossible d'écrire la page dans le fichier '" + file + "'.");
        }
    }
    if (std::rename(temp.c_str(), file.c_str()) != 0) {
        std::remove(temp.c_str());
        throw EngineError("Impossible d'écrire la page dans le fichier '" + file + "'.");
    }
}

// "Pas de portrait : " and the reason, which goes on in lower case.
std::string NoPortrait(std::string reason)
{
    if (!reason.empty() && reason[0] >= 'A' && reason[0] <= 'Z')
        reason[0] = static_cast<char>(reason[0] - 'A' + 'a');
    return "Pas de portrait : " + reason;
}

} // namespace

OptionRead ReadReportOption(
    const std::vector<std::string>& args, size_t& i, ReportRequest& request, std::string& problem)
{
    if (args[i] != "--report") return OptionRead::NotMine;
    if (i + 1 >= args.size()) {
        problem = "--report attend un nom de fichier en .html.";
        return OptionRead::Bad;
    }
    const std::string& value = args[++i];
    if (!EndsWithNoCase(value, ".html") && !EndsWithNoCase(value, ".htm")) {
        problem = "--report attend un nom de fichier en .html : reçu \"" + value + "\".";
        return OptionRead::Bad;
    }
    request.file = value;
    return OptionRead::Read;
}

bool CheckReportRequest(
    const ReportRequest& report, const PortraitRequest& drawing, bool json, std::string& problem)
{
    if (json)
        problem = "--report et --json ne vont pas ensemble : la page remplace les rapports.";
    else if (drawing.Requested())
        problem = "--report et --portrait ne vont pas ensemble : la page contient déjà les portraits.";
    else if (drawing.view == PortraitView::Disc)
        problem = "--disc ne sert pas avec --report : la page montre déjà le disque de Poincaré.";
    return !report.Requested() || problem.empty();
}

ReportPage::ReportPage(ReportRequest request, const PortraitRequest& drawing)
    : request_(std::move(request))
    , drawing_(drawing)
{
}

void ReportPage::Add(const ReportSection& section, const ParsedSystem& system, Json& result)
{
    page::ReportText r { section.file, section.title, {}, {} };
    // A section that fails (time spent, a limit of the engine) leaves its
    // fields null and says why; the page keeps the others.
    try {
        section.json(system, result);
        r.text = section.report(system);
    } catch (const EngineError& e) {
        r.failure = e.what();
    }
    reports_.push_back(std::move(r));
}

page::Picture ReportPage::Draw(const ParsedSystem& system, PortraitView view, int pixels) const
{
    const auto left = std::chrono::duration_cast<milliseconds>(kComputationBudget - (Clock::now() - start_));
    if (left < kPortraitFloor)
        return { {}, "Portrait non dessiné : le temps permis (10 secondes) est écoulé." };
    PortraitRequest request = drawing_;
    request.view = view;
    if (view == PortraitView::Disc) request.window.reset();
    request.pointBudget = std::min(kPortraitPointBudget, milliseconds(left.count() / 3));
    try {
        return { portrait::SvgText(ComputeSystemPortrait(request, system, pixels)), {} };
    } catch (const portrait::PortraitError& e) {
        return { {}, NoPortrait(e.what()) };
    } catch (const EngineError& e) {
        return { {}, NoPortrait(e.what()) };
    }
}

std::string ReportPage::Write(const ParsedSystem& system, const Json& result)
{
    page::PageInput in;
    in.result = &result;
    in.reports = reports_;
    in.plane = Draw(system, PortraitView::Plane, 720);
    in.disc = Draw(system, PortraitView::Disc, 720);
    if (system.parameters.size() == 1) {
        const std::string p = InputText(result, "P"), q = InputText(result, "Q");
        in.casePicture = [&, p, q](const std::string& value) {
            const char a = system.parameters[0];
            try {
                const ParsedSystem at
                    = ParseSystem(Substitute(p, a, value), Substitute(q, a, value), system.xvar, system.yvar);
                return Draw(at, PortraitView::Plane, kCasePixels);
            } catch (const EngineError& e) {
                return page::Picture { {}, NoPortrait(e.what()) };
            }
        };
    }
    WriteWhole(request_.file, page::BuildPage(in));
    std::error_code ec;
    const std::filesystem::path shown = std::filesystem::absolute(request_.file, ec);
    return std::string(kReportWritten) + "'" + (ec ? request_.file : shown.string()) + "'.\n";
}

} // namespace vindrel::engine
