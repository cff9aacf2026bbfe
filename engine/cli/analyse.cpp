#include "engine/cli/analyse.h"

#include "engine/cli/portrait_option.h"
#include "engine/cli/report_option.h"
#include "engine/portrait/field.h"

#include "engine/errors.h"
#include "engine/hamiltonian/hamiltonian.h"
#include "engine/poly/print.h"
#include "engine/report/dos.h"
#include "engine/tool/words.h"

#include <optional>

namespace vindrel::engine {

namespace {

enum class Output { Text, Json };

struct Options {
    Output output = Output::Text;
    std::string vars = "xy";
    std::vector<std::string> words;
    PortraitRequest portrait;
    ReportRequest report;
};

// Options come first; "--" or the first other word ends them, so a
// component such as "-x" is never taken for an option.
bool ParseOptions(const std::vector<std::string>& args, Options& o, std::string& problem)
{
    size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") {
            ++i;
            break;
        }
        if (a == "--json") {
            o.output = Output::Json;
        } else if (a == "--vars") {
            if (i + 1 >= args.size()) {
                problem = "--vars attend deux lettres, par exemple xy.";
                return false;
            }
            o.vars = args[++i];
        } else if (const OptionRead r = ReadPortraitOption(args, i, o.portrait, problem);
                   r != OptionRead::NotMine) {
            if (r == OptionRead::Bad) return false;
        } else if (const OptionRead r = ReadReportOption(args, i, o.report, problem); r != OptionRead::NotMine) {
            if (r == OptionRead::Bad) return false;
        } else if (a.rfind("--", 0) == 0) {
            problem = "option inconnue : " + a;
            return false;
        } else {
            break;
        }
    }
    o.words.assign(args.begin() + static_cast<long>(i), args.end());
    if (o.report.Requested()) return CheckReportRequest(o.report, o.portrait, o.output == Output::Json, problem);
    return CheckPortraitRequest(
        o.portrait, o.output == Output::Json ? ReportFormat::Json : ReportFormat::Text, problem);
}

Json ErrorJson(const std::string& message, const ParseError* pe)
{
    Json e = Json::MakeObject();
    e.set("message", message);
    e.set("component", pe ? Json(pe->component()) : Json());
    e.set("position", pe ? Json(pe->position()) : Json());
    return e;
}

Json Parameters(const ParsedSystem& s)
{
    Json list = Json::MakeArray();
    for (char c : s.parameters)
        list.push(std::string(1, c));
    return list;
}

} // namespace

int RunAnalyse(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    Options o;
    std::string problem;
    if (!ParseOptions(args, o, problem)) {
        err << "vindrel-analyse : " << problem << "\n" << kAnalyseUsageText;
        return kAnalyseUsage;
    }
    // A portrait replaces the reports.
    const std::vector<ReportSection> sections
        = o.portrait.Requested() ? std::vector<ReportSection> {} : AnalyseSections();

    Json result = Json::MakeObject();
    Json input = Json::MakeObject();
    input.set("P", nullptr);
    input.set("Q", nullptr);
    const bool varsValid
        = o.vars.size() == 2 && IsLetter(o.vars[0]) && IsLetter(o.vars[1]) && o.vars[0] != o.vars[1];
    Json vars = Json::MakeArray();
    for (char c : o.vars)
        vars.push(std::string(1, c));
    input.set("variables", varsValid ? vars : Json());
    result.set("input", input);
    result.set("error", nullptr);
    for (const char* key : { "parameters", "degree", "P", "Q" })
        result.set(key, nullptr);
    for (const auto& section : sections)
        for (const auto& key : section.jsonFields)
            result.set(key, nullptr);

    if (o.words.empty() && o.output == Output::Text) {
        err << kAnalyseUsageText;
        return kAnalyseUsage;
    }
    int status = kAnalyseOk;
    std::string text;
    std::optional<ReportPage> page;
    if (o.report.Requested()) page.emplace(o.report, o.portrait);
    try {
        if (!varsValid)
            throw EngineError("--vars attend deux lettres distinctes, par exemple xy : reçu \""
                + SanitizeForDos(o.vars) + "\".");
        const Components c = RejoinWords(o.words, VarsWord::Absent, o.vars[0], o.vars[1]);
        input.set("P", c.p);
        input.set("Q", c.q);
        result.set("input", input);
        const ParsedSystem s = ParseSystem(c.p, c.q, c.xvar, c.yvar);
        result.set("parameters", Parameters(s));
        result.set("degree", SystemDegree(s));
        result.set("P", ToCanonical(s.P));
        result.set("Q", ToCanonical(s.Q));
        if (o.portrait.Requested()) text = DrawPortrait(o.portrait, s);
        for (const auto& section : sections) {
            if (o.output == Output::Json) {
                section.json(s, result);
            } else if (page) {
                page->Add(section, s, result);
            } else {
                // Wrapped like the result files, so that both read the same.
                text += "==== " + section.title + " ====\n\n" + WrapLongLines(section.report(s)) + "\n";
            }
        }
        if (page) text = page->Write(s, result);
    } catch (const ParseError& e) {
        result.set("error", ErrorJson(e.what(), &e));
        text = std::string(e.what()) + "\n";
        status = kAnalyseInputError;
    } catch (const EngineError& e) {
        result.set("error", ErrorJson(e.what(), nullptr));
        text = std::string(e.what()) + "\n";
        status = kAnalyseInputError;
    } catch (const portrait::PortraitError& e) {
        result.set("error", ErrorJson(e.what(), nullptr));
        text = std::string(e.what()) + "\n";
        status = kAnalyseInputError;
    } catch (const std::exception& e) {
        result.set("error", ErrorJson(std::string("Erreur interne : ") + e.what(), nullptr));
        text = std::string("Erreur interne : ") + e.what() + "\n";
        status = kAnalyseInternalError;
    }
    if (o.output == Output::Json) {
        out << result.dump() << "\n";
    } else if (status == kAnalyseOk) {
        out << text;
    } else {
        err << text;
    }
    return status;
}

} // namespace vindrel::engine
