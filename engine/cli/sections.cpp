// The analyses vindrel-analyse runs, one section per result file.
#include "engine/cli/analyse.h"

#include "engine/general/system.h"
#include "engine/hamiltonian/hamiltonian.h"
#include "engine/poly/print.h"

namespace vindrel::engine {

namespace {

Json Conditions(const ParsedSystem& s, const ExistenceTest& t)
{
    if (s.parameters.empty()) return nullptr;
    Json list = Json::MakeArray();
    if (t.existence == Existence::Never) return list.push("1"); // 1 = 0: no value of the constants works
    for (const auto& c : t.conditions)
        list.push(ToCanonical(c));
    return list;
}

ReportSection HamiltonianSection()
{
    return ReportSection { "quenmar2.pho", "Hamiltonien et potentiel (quenmar2.pho)",
        [](const ParsedSystem& s) { return HamiltonianReport(s); },
        { "divergence", "hamiltonian", "potential", "hamiltonian_conditions" },
        [](const ParsedSystem& s, Json& o) {
            const HamiltonianAnalysis a = AnalyseHamiltonian(s);
            o.set("divergence", ToCanonical(a.divergence));
            o.set(
                "hamiltonian", a.hamiltonian.function ? Json(ToCanonical(*a.hamiltonian.function)) : Json());
            o.set("potential", a.gradient.function ? Json(ToCanonical(*a.gradient.function)) : Json());
            o.set("hamiltonian_conditions", Conditions(s, a.hamiltonian));
        } };
}

// The general analysis: brisolt.res, with the "properties" field, and
// tarnel2.res.
ReportSection GeneralConclusionsSection()
{
    return ReportSection { general::kConclusionsFile, "Conclusions (brisolt.res)",
        [](const ParsedSystem& s) { return general::AnalyseSystem(s).reports.conclusions + "\n"; },
        { "properties" },
        [](const ParsedSystem& s, Json& o) {
            o.set("properties", general::PropertiesJson(general::AnalyseSystem(s)));
        } };
}

ReportSection GeneralCalculationsSection()
{
    return ReportSection { general::kCalculationsFile, "Calculs explicatifs (tarnel2.res)",
        [](const ParsedSystem& s) { return general::AnalyseSystem(s).reports.calculations + "\n"; }, {},
        [](const ParsedSystem&, Json&) {} };
}

} // namespace

std::vector<ReportSection> AnalyseSections()
{
    return { GeneralConclusionsSection(), HamiltonianSection(), GeneralCalculationsSection() };
}

} // namespace vindrel::engine
