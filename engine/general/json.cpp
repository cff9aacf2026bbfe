// The properties of the general analysis as a JSON object.
#include "engine/general/general.h"

#include "engine/fixedpoints/fixed_points.h"
#include "engine/text/json.h"

namespace vindrel::engine::general {

namespace {

const char* SignName(DivergenceSign s)
{
    switch (s) {
    case DivergenceSign::Zero:
        return "zero";
    case DivergenceSign::NonNegative:
        return "non_negative";
    case DivergenceSign::NonPositive:
        return "non_positive";
    case DivergenceSign::ChangesSign:
        return "changes_sign";
    case DivergenceSign::Unknown:
        break;
    }
    return "unknown";
}

} // namespace

Json PropertiesJson(const GeneralAnalysis& a)
{
    const auto& p = a.properties;
    Json o = Json::MakeObject();
    if (p.hasParameters) {
        o.set("parameters", true);
        o.set("hamiltonian", p.hamiltonian);
        for (const char* n : { "linear", "gradient", "homogeneous", "lotka_volterra", "reversible" })
            o.set(n, nullptr);
    } else {
        o.set("degree", p.degree);
        if (p.linear && p.linearType) {
            Json lin = Json::MakeObject();
            lin.set("type", JsonName(p.linearType->type));
            lin.set("linear_part", JsonName(p.linearType->part));
            const char* st = JsonName(p.linearType->stability);
            lin.set("stability", st ? Json(st) : Json());
            o.set("linear", std::move(lin));
        } else {
            o.set("linear", p.linear);
        }
        o.set("hamiltonian", p.hamiltonian);
        o.set("gradient", p.gradient);
        o.set("homogeneous", p.homogeneous);
        o.set("lotka_volterra", p.lotkaVolterra);
        Json sym = Json::MakeArray();
        bool reversible = false, central = false;
        for (Symmetry s : p.symmetries) {
            if (s == Symmetry::Central) {
                central = true;
            } else {
                reversible = true;
                sym.push(SymmetryText(s));
            }
        }
        if (reversible) {
            Json r = Json::MakeObject();
            r.set("symmetries", std::move(sym));
            o.set("reversible", std::move(r));
        } else {
            o.set("reversible", false);
        }
        o.set("central_symmetry", central);
        o.set("divergence_sign", SignName(p.divergenceSign));
        if (p.linesSearched) {
            Json lines = Json::MakeArray();
            for (const auto& l : p.invariantLines)
                lines.push(l.text);
            o.set("invariant_lines", std::move(lines));
        } else {
            o.set("invariant_lines", nullptr);
        }
    }
    return o;
}

Json PeriodicOrbitsJson(const GeneralAnalysis& a)
{
    return periodic::StudyJson(a.orbits);
}

} // namespace vindrel::engine::general
