// The analyses vindrel-analyse runs, one section per result file.
#include "engine/cli/analyse.h"

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

} // namespace

std::vector<ReportSection> AnalyseSections()
{
    return { HamiltonianSection() };
}

} // namespace vindrel::engine
