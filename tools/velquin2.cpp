// velquin2 P Q xy: Hamiltonian and gradient search; writes quenmar2.pho
// beside itself.
#include "engine/hamiltonian/hamiltonian.h"
#include "engine/tool/tool_main.h"

#include <flint/flint.h>

int main(int argc, char** argv)
{
    using namespace vindrel::engine;
    const ToolSpec tool { "velquin2", { "quenmar2.pho" }, true };
    const int status = RunTool(argc, argv, tool,
        [](const ParsedSystem& s) { return std::vector<std::string> { HamiltonianReport(s) }; });
    flint_cleanup();
    return status;
}
