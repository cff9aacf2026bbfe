#include "engine/cli/analyse.h"

#include "engine/cli/batch.h"
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
    ScaleRequest scale; // --batch, --jobs, --budget, --sections
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
        } else if (const OptionRead r = ReadReportOption(args, i, o.report, problem);
                   r != OptionRead::NotMine) {
            if (r == OptionRead::Bad) return false;
        } else if (const OptionRead r = ReadScaleOption(args, i, o.scale, problem);
                   r != OptionRead::NotMine) {
            if (r == OptionRead::Bad) return false;
        } else if (a.rfind("--", 0) == 0) {
            problem = "option inconnue : " + a;
            return false;
        } else {
            break;
        }
    }
    o.words.assign(args.begin() + static_cast<long>(i), args.end());
    if (o.scale.batch && o.report.Requested()) {
        problem = "--report et --batch ne vont pas ensemble : une page décrit un seul système.";
        return false;
    }
    if (o.scale.batch) o.output = Output::Json;
    if (o.report.Requested())
        return CheckReportRequest(o.report, o.portrait, o.output == Output::Json, problem)
            && CheckScaleRequest(o.scale, false, o.words.size(), problem);
    return CheckPortraitRequest(
               o.portrait, o.output == Output::Json ? ReportFormat::Json : ReportFormat::Text, problem)
        && CheckScaleRequest(o.scale, o.portrait.Requested(), o.words.size(), problem);
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

struct Outcome {
    Json result;
    std::string text;
    int status = kAnalyseOk;
};

// One system: every field set (null where not computed) before any work,
// so that an error leaves the whole shape.
Outcome AnalyseOne(const Options& o, const std::string* refusal = nullptr)
{
    // A portrait replaces the reports.
    const bool pointFieldsOnly = o.output == Output::Json && o.scale.pointsOnly && !o.report.Requested();
    std::vector<ReportSection> sections = o.portrait.Requested()
        ? std::vector<ReportSection> {}
        : AnalyseSections(Deadline::ForBudget(o.scale.budget),
              pointFieldsOnly ? ReportTexts::Skipped : ReportTexts::Written);

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

    int status = kAnalyseOk;
    std::string text;
    std::optional<ReportPage> page;
    if (o.report.Requested()) page.emplace(o.report, o.portrait);
    try {
        if (refusal) throw EngineError(*refusal);
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
            if (o.scale.pointsOnly && !section.fixedPoints) continue;
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
    return { std::move(result), std::move(text), status };
}

Options JsonOptions(const std::vector<std::string>& words, const AnalyseSettings& settings)
{
    Options o;
    o.output = Output::Json;
    o.vars = settings.vars;
    o.words = words;
    o.scale.pointsOnly = settings.pointsOnly;
    o.scale.budget = settings.budget;
    return o;
}

} // namespace

Json AnalyseJsonObject(const std::vector<std::string>& words, const AnalyseSettings& settings, int& status)
{
    Outcome r = AnalyseOne(JsonOptions(words, settings));
    status = r.status;
    return std::move(r.result);
}

Json AnalyseErrorObject(const std::string& message, const AnalyseSettings& settings)
{
    return AnalyseOne(JsonOptions({}, settings), &message).result;
}

int RunAnalyse(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    Options o;
    std::string problem;
    if (!ParseOptions(args, o, problem)) {
        err << "vindrel-analyse : " << problem << "\n" << kAnalyseUsageText;
        return kAnalyseUsage;
    }
    if (o.scale.batch) {
        const AnalyseSettings settings { o.vars, o.scale.pointsOnly, o.scale.budget };
        return RunBatchCommand(o.scale, o.words.empty() ? std::string() : o.words[0], settings, out, err);
    }
    if (o.words.empty() && o.output == Output::Text) {
        err << kAnalyseUsageText;
        return kAnalyseUsage;
    }
    const Outcome r = AnalyseOne(o);
    if (o.output == Output::Json) {
        out << r.result.dump() << "\n";
    } else if (r.status == kAnalyseOk) {
        out << r.text;
    } else {
        err << r.text;
    }
    return r.status;
}

} // namespace vindrel::engine
