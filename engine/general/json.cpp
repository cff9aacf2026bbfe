// The properties of the general analysis as a JSON object.
#include "engine/general/general.h"

#include "engine/cli/json.h"

namespace vindrel::engine::general {

namespace {

const char* TypeName(PointType t)
{
    switch (t) {
    case PointType::Saddle:
        return "saddle";
    case PointType::Node:
        return "node";
    case PointType::StarNode:
        return "star_node";
    case PointType::DegenerateNode:
        return "degenerate_node";
    case PointType::Focus:
        return "focus";
    case PointType::Center:
        return "center";
    case PointType::WeakFocus:
        return "weak_focus";
    case PointType::SaddleNode:
        return "saddle_node";
    case PointType::Cusp:
        return "cusp";
    case PointType::EllipticSaddle:
        return "elliptic_saddle";
    case PointType::Undetermined:
        break;
    }
    return "undetermined";
}

const char* PartName(LinearPart p)
{
    switch (p) {
    case LinearPart::Hyperbolic:
        return "hyperbolic";
    case LinearPart::Imaginary:
        return "imaginary";
    case LinearPart::SemiHyperbolic:
        return "semi-hyperbolic";
    case LinearPart::Nilpotent:
        return "nilpotent";
    case LinearPart::Zero:
        return "zero";
    }
    return "zero";
}

const char* StabilityName(Stability s)
{
    switch (s) {
    case Stability::Stable:
        return "stable";
    case Stability::Unstable:
        return "unstable";
    case Stability::None:
        break;
    }
    return nullptr;
}

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

const char* VerdictName(PeriodicOrbits v)
{
    switch (v) {
    case PeriodicOrbits::Impossible:
        return "impossible";
    case PeriodicOrbits::Possible:
        return "possible";
    case PeriodicOrbits::Unknown:
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
            lin.set("type", TypeName(p.linearType->type));
            lin.set("linear_part", PartName(p.linearType->part));
            const char* st = StabilityName(p.linearType->stability);
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
    o.set("periodic_orbits", VerdictName(a.periodic.verdict));
    o.set("reason", a.periodic.reason);
    return o;
}

} // namespace vindrel::engine::general
