#include "engine/general/system.h"

#include "engine/fixedpoints/system.h"

namespace vindrel::engine::general {

namespace {

struct PointsFound {
    std::vector<FixedPoint> points;
    PointList list = PointList::Partial;
};

// The finite fixed points of the certified search, as the general analysis
// takes them: rational points get their exact linear data computed again
// here (with racine(n) eigenvalues); the others keep the texts of the
// search, with the signs that their linear part implies.
PointsFound TakePoints(const FixedPointAnalysis& found)
{
    PointsFound out;
    out.list = found.pointsCertified ? PointList::Complete : PointList::Partial;
    for (const engine::FixedPoint& f : found.points) {
        FixedPoint p;
        p.xText = f.xText;
        p.yText = f.yText;
        p.xApprox = f.xApprox;
        p.yApprox = f.yApprox;
        p.nature = f.nature;
        // The rule of the linear part is written by the report itself.
        if (f.natureSource == NatureSource::LinearPart) p.nature->explanation.clear();
        Fmpq x, y;
        if (f.exactness == Exactness::Rational && fmpq_set_str(x.raw(), f.xJson.c_str(), 10) == 0
            && fmpq_set_str(y.raw(), f.yJson.c_str(), 10) == 0) {
            fmpq_canonicalise(x.raw());
            fmpq_canonicalise(y.raw());
            p.x = std::move(x);
            p.y = std::move(y);
        } else {
            for (int i = 0; i < 4; ++i)
                p.jacobian[i] = f.jacobianText[i / 2][i % 2];
            p.trace = f.traceText;
            p.determinant = f.determinantText;
            p.discriminant = f.discriminantText;
            p.eigenvalues = { f.eigenText[0], f.eigenText[1] };
            SignsFromNature(f.nature, f.trace, p);
        }
        out.points.push_back(std::move(p));
    }
    return out;
}

} // namespace

GeneralAnalysis AnalyseSystem(const ParsedSystem& system, const Deadline& deadline)
{
    if (!system.parameters.empty()) return AnalyseGeneral(system.P, system.Q, {}, PointList::Partial, deadline);
    return AnalyseSystem(system, AnalyseSystemFixedPoints(system, deadline), deadline);
}

GeneralAnalysis AnalyseSystem(const ParsedSystem& system, const FixedPointAnalysis& found, const Deadline& deadline)
{
    PointsFound points;
    if (system.parameters.empty()) points = TakePoints(found);
    return AnalyseGeneral(system.P, system.Q, std::move(points.points), points.list, deadline);
}

std::vector<std::string> KorbastTexts(const ParsedSystem& system)
{
    const GeneralAnalysis a = AnalyseSystem(system);
    return { a.reports.conclusions + "\n", a.reports.calculations + "\n" };
}

} // namespace vindrel::engine::general
