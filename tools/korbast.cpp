// korbast P Q: the general analysis; writes brisolt.res (conclusions) and
// tarnel2.res (explanatory calculations) beside itself.
#include "engine/general/system.h"
#include "engine/tool/tool_main.h"

#include <flint/flint.h>

int main(int argc, char** argv)
{
    using namespace vindrel::engine;
    const ToolSpec tool { "korbast", { general::kConclusionsFile, general::kCalculationsFile }, false };
    const int status = RunTool(argc, argv, tool, general::KorbastTexts);
    flint_cleanup();
    return status;
}
