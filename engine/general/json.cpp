// The properties of the general analysis as a JSON object.
#include "engine/general/general.h"

namespace vindrel::engine::general {

namespace {

std::string Quote(const std::string& s)
{
    std::string out = "\"";
    for (char c : s) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                static const char* hex = "0123456789abcdef";
                out += "\\u00";
                out += hex[(c >> 4) & 0xF];
                out += hex[c & 0xF];
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

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
        return "\"stable\"";
    case Stability::Unstable:
        return "\"unstable\"";
    case Stability::None:
        break;
    }
    return "null";
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

std::string Bool(bool b)
{
    return b ? "true" : "false";
}

} // namespace

std::string PropertiesJson(const GeneralAnalysis& a)
{
    const auto& p = a.properties;
    std::string out = "{";
    auto field = [&](const std::string& name, const std::string& value) {
        if (out.size() > 1) out += ", ";
        out += Quote(name) + ": " + value;
    };
    if (p.hasParameters) {
        field("parameters", "true");
        field("hamiltonian", Bool(p.hamiltonian));
        for (const char* n : { "linear", "gradient", "homogeneous", "lotka_volterra", "reversible" })
            field(n, "null");
    } else {
        field("degree", std::to_string(p.degree));
        if (p.linear && p.linearType)
            field("linear",
                "{\"type\": " + Quote(TypeName(p.linearType->type))
                    + ", \"linear_part\": " + Quote(PartName(p.linearType->part))
                    + ", \"stability\": " + StabilityName(p.linearType->stability) + "}");
        else
            field("linear", Bool(p.linear));
        field("hamiltonian", Bool(p.hamiltonian));
        field("gradient", Bool(p.gradient));
        field("homogeneous", Bool(p.homogeneous));
        field("lotka_volterra", Bool(p.lotkaVolterra));
        std::string sym;
        bool central = false;
        for (Symmetry s : p.symmetries) {
            if (s == Symmetry::Central) {
                central = true;
                continue;
            }
            sym += (sym.empty() ? "" : ", ") + Quote(SymmetryText(s));
        }
        field("reversible", sym.empty() ? "false" : "{\"symmetries\": [" + sym + "]}");
        field("central_symmetry", Bool(central));
        field("divergence_sign", Quote(SignName(p.divergenceSign)));
        std::string lines;
        for (const auto& l : p.invariantLines)
            lines += (lines.empty() ? "" : ", ") + Quote(l.text);
        field("invariant_lines", p.linesSearched ? "[" + lines + "]" : "null");
    }
    field("periodic_orbits", Quote(VerdictName(a.periodic.verdict)));
    field("reason", Quote(a.periodic.reason));
    return out + "}";
}

} // namespace vindrel::engine::general
