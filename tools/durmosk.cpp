// durmosk P Q xy: certified fixed points; writes dovra.res (finite points,
// curves of fixed points, non-real count) and skellin.res (points at
// infinity, or just 0) beside itself. With one literal constant, dovra.res
// holds the points case by case for every value of it.
#include "engine/discussion/discussion.h"
#include "engine/fixedpoints/system.h"
#include "engine/tool/tool_main.h"

#include <flint/flint.h>

int main(int argc, char** argv)
{
    using namespace vindrel::engine;
    const ToolSpec tool { "durmosk", { "dovra.res", "skellin.res" }, true };
    const int status = RunTool(argc, argv, tool, [](const ParsedSystem& s) {
        if (!s.parameters.empty()) return discussion::DurmoskTexts(s);
        const FixedPointAnalysis a = AnalyseSystemFixedPoints(s, Deadline());
        return std::vector<std::string> { DovraReport(a), SkellinReport(a) };
    });
    flint_cleanup();
    return status;
}
