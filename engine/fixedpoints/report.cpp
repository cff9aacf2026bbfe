// The French texts of dovra.res (finite fixed points) and skellin.res
// (points at infinity).
#include "engine/fixedpoints/fixed_points.h"

#include <string>

namespace vindrel::engine {

namespace {

const char* TypeWord(PointType t)
{
    switch (t) {
    case PointType::Saddle:
        return "col";
    case PointType::Node:
        return "noeud";
    case PointType::StarNode:
        return "noeud étoilé";
    case PointType::DegenerateNode:
        return "noeud dégénéré";
    case PointType::Focus:
        return "foyer";
    case PointType::Center:
        return "centre";
    case PointType::WeakFocus:
        return "foyer faible";
    case PointType::SaddleNode:
        return "col-noeud";
    case PointType::Cusp:
        return "point de rebroussement";
    case PointType::EllipticSaddle:
        return "col elliptique";
    case PointType::Undetermined:
        return "nature non déterminée";
    }
    return "";
}

std::string NatureText(const Nature& n)
{
    if (n.type == PointType::Undetermined) {
        return n.explanation.empty() ? std::string(TypeWord(n.type)) : n.explanation;
    }
    std::string s = TypeWord(n.type);
    if (n.order) s += " d'ordre " + std::to_string(*n.order);
    if (n.stability == Stability::Stable) s += " stable";
    if (n.stability == Stability::Unstable) s += " instable";
    if (!n.explanation.empty()) s += " (" + n.explanation + ")";
    return s;
}

} // namespace

std::string DovraReport(const FixedPointAnalysis& a)
{
    const std::string nl = "\n";
    std::string r = "Points fixes du système (degré " + std::to_string(a.degree) + ")" + nl;
    r += "    d" + a.xName + "/dt = " + a.pText + nl + "    d" + a.yName + "/dt = " + a.qText + nl + nl;
    if (a.wholePlaneFixed) return r + "P = Q = 0 : tous les points du plan sont fixes." + nl;
    for (const FixedCurve& c : a.curves)
        r += "Courbe de points fixes : " + c.text + " = 0" + nl;
    if (!a.pointsCertified) return r + a.notice + nl;
    const size_t n = a.points.size();
    if (n == 0) {
        r += "Aucun point fixe réel isolé." + nl;
    } else {
        r += (n == 1 ? std::string("Un point fixe réel isolé :")
                     : std::to_string(n) + " points fixes réels isolés :")
            + nl;
    }
    for (size_t i = 0; i < n; ++i) {
        const FixedPoint& p = a.points[i];
        r += nl + "Point " + std::to_string(i + 1) + " : (" + p.xText + " ; " + p.yText + ")" + nl;
        r += "  matrice jacobienne : [" + p.jacobianText[0][0] + "  " + p.jacobianText[0][1] + " ; "
            + p.jacobianText[1][0] + "  " + p.jacobianText[1][1] + "]" + nl;
        r += "  trace T = " + p.traceText + ", déterminant D = " + p.determinantText
            + ", T² - 4D = " + p.discriminantText + nl;
        r += "  valeurs propres : lambda1 = " + p.eigenText[0] + ", lambda2 = " + p.eigenText[1] + nl;
        if (p.natureSource == NatureSource::LocalClassifier) {
            // The local analysis explains itself in whole sentences.
            r += "  nature : "
                + NatureText(
                    Nature { p.nature.linearPart, p.nature.type, p.nature.stability, p.nature.order, {}, {} })
                + nl;
            if (!p.nature.explanation.empty()) r += "  " + p.nature.explanation + nl;
        } else {
            r += "  nature : " + NatureText(p.nature) + nl;
        }
    }
    r += nl + "Solutions non réelles (sans multiplicité) : " + std::to_string(a.complexCount) + nl;
    return r;
}

std::string SkellinReport(const FixedPointAnalysis& a)
{
    const std::string nl = "\n";
    if (a.infinity == InfinityKind::LineOfSingularities) {
        return "Points à l'infini (compactification de Poincaré) :" + nl
            + "l'infini est une ligne de singularités" + nl;
    }
    if (a.infinite.empty()) return "0";
    std::string r = "Points à l'infini (compactification de Poincaré) :" + nl;
    r += "chaque direction donne deux points opposés du cercle de l'infini." + nl;
    for (const InfinitePoint& p : a.infinite)
        r += "  direction " + p.directionText + " : " + NatureText(p.nature) + nl;
    return r;
}

} // namespace vindrel::engine
