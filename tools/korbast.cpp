// korbast P Q: the general analysis; writes brisolt.res (conclusions) and
// tarnel2.res (explanatory calculations) beside itself. With literal
// constants: the discussion according to the value of one constant.
#include "engine/discussion/discussion.h"
#include "engine/general/system.h"
#include "engine/tool/tool_main.h"

#include <flint/flint.h>

int main(int argc, char** argv)
{
    using namespace vindrel::engine;
    const ToolSpec tool { "korbast", { general::kConclusionsFile, general::kCalculationsFile }, false };
    const int status = RunTool(argc, argv, tool, [](const ParsedSystem& s) {
        return s.parameters.empty() ? general::KorbastTexts(s) : discussion::KorbastTexts(s);
    });
    flint_cleanup();
    return status;
}
