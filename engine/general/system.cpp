#include "engine/general/system.h"

namespace vindrel::engine::general {

namespace {

struct PointsFound {
    std::vector<FixedPoint> points;
    PointList list = PointList::Partial;
};

// The finite fixed points with their natures. Until the certified search is
// available the list is empty and marked partial, so that no conclusion
// rests on it.
PointsFound FindPoints(const ParsedSystem&, const Deadline&)
{
    return {};
}

} // namespace

GeneralAnalysis AnalyseSystem(const ParsedSystem& system, const Deadline& deadline)
{
    PointsFound found;
    if (system.parameters.empty()) found = FindPoints(system, deadline);
    return AnalyseGeneral(system.P, system.Q, std::move(found.points), found.list, deadline);
}

std::vector<std::string> KorbastTexts(const ParsedSystem& system)
{
    const GeneralAnalysis a = AnalyseSystem(system);
    return { a.reports.conclusions + "\n", a.reports.calculations + "\n" };
}

} // namespace vindrel::engine::general
