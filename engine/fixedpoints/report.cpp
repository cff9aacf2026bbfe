// The French texts of dovra.res (finite fixed points) and skellin.res
// (points at infinity).
#include "engine/classify/classify_texts.h"
#include "engine/fixedpoints/fixed_points.h"
#include "engine/fixedpoints/texts.h"

#include <string>

namespace vindrel::engine {

namespace {

using namespace fp::texts;

std::string NatureText(const Nature& n)
{
    if (n.type == PointType::Undetermined) {
        return n.explanation.empty() ? std::string(TypeWord(n.type)) : n.explanation;
    }
    std::string s = TypeWord(n.type);
    if (n.stability == Stability::Stable) s += kStable;
    if (n.stability == Stability::Unstable) s += kUnstable;
    if (n.order) s += kOrder + std::to_string(*n.order); // "foyer faible stable d'ordre 2"
    if (n.type == PointType::Degenerate && n.sectors)
        s += " (" + classify::texts::SectorWords(*n.sectors) + ", indice "
            + std::to_string(n.index.value_or(0)) + ")";
    if (!n.explanation.empty()) s += " (" + n.explanation + ")";
    return s;
}

} // namespace

std::string DovraReport(const FixedPointAnalysis& a)
{
    using namespace fp::texts;
    const std::string nl = "\n";
    std::string r = kHeading + std::to_string(a.degree) + ")" + nl;
    r += "    d" + a.xName + "/dt = " + a.pText + nl + "    d" + a.yName + "/dt = " + a.qText + nl + nl;
    if (a.wholePlaneFixed) return r + kWholePlane + nl;
    for (const FixedCurve& c : a.curves)
        r += kCurve + c.text + " = 0" + nl;
    if (!a.pointsCertified) return r + a.notice + nl;
    const size_t n = a.points.size();
    if (n == 0) {
        r += kNoPoint + nl;
    } else {
        r += (n == 1 ? std::string(kOnePoint) : std::to_string(n) + kSeveralPoints) + nl;
    }
    for (size_t i = 0; i < n; ++i) {
        const FixedPoint& p = a.points[i];
        r += nl + kPoint + std::to_string(i + 1) + " : (" + p.xText + " ; " + p.yText + ")" + nl;
        r += kJacobian + p.jacobianText[0][0] + "  " + p.jacobianText[0][1] + " ; " + p.jacobianText[1][0]
            + "  " + p.jacobianText[1][1] + "]" + nl;
        r += kTrace + p.traceText + kDeterminant + p.determinantText + kDiscriminant + p.discriminantText
            + nl;
        r += kEigenvalues + p.eigenText[0] + kSecondEigenvalue + p.eigenText[1] + nl;
        if (p.natureSource == NatureSource::LocalClassifier) {
            // The local analysis explains itself in whole sentences.
            r += kNature
                + NatureText(Nature { p.nature.linearPart, p.nature.type, p.nature.stability, p.nature.order,
                    p.nature.index, p.nature.sectors, {}, {}, {}, {} })
                + nl;
            if (!p.nature.explanation.empty()) r += "  " + p.nature.explanation + nl;
        } else {
            r += kNature + NatureText(p.nature) + nl;
        }
    }
    r += nl + kNonReal + std::to_string(a.complexCount) + nl;
    return r;
}

std::string SkellinReport(const FixedPointAnalysis& a)
{
    using namespace fp::texts;
    const std::string nl = "\n";
    if (a.wholePlaneFixed) return kInfinityHeading + nl + kLineOfSingularities + nl;
    const bool line = a.infinity == InfinityKind::LineOfSingularities;
    if (line && a.infinite.empty())
        return kInfinityHeading + nl + kLineOfSingularitiesDivided + nl + kNoSingularPointDivided + nl;
    if (a.infinite.empty()) return kNoPointAtInfinity;
    std::string r = kInfinityHeading + nl;
    if (line) r += kLineOfSingularitiesDivided + nl;
    r += kOppositePairs + nl;
    r += (line ? OppositeRuleDivided(a.degree) : OppositeRule(a.degree)) + nl;
    for (const InfinitePoint& p : a.infinite) {
        Nature shown { p.nature.linearPart, p.nature.type, p.nature.stability, p.nature.order, p.nature.index,
            p.nature.sectors, {}, {}, {}, {} };
        const std::string first = NatureText(shown);
        shown.stability = p.oppositeStability;
        const std::string opposite = NatureText(shown);
        r += kDirection + p.directionText + " : ";
        if (first == opposite) {
            r += kBothPoints + first + nl;
        } else {
            const std::string& axis = p.dx == 0 ? a.yName : a.xName;
            r += kSide + axis + kPositiveSide + first + " ; " + kSide + axis + kNegativeSide + opposite + nl;
        }
        r += "    " + p.chartText + p.nature.explanation + nl;
    }
    return r;
}

} // namespace vindrel::engine
