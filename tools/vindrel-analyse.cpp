// vindrel-analyse [--json] [--vars xy] [--] P Q: see engine/cli/analyse.h.
#include "engine/cli/analyse.h"

#include <flint/flint.h>

#include <iostream>

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const int status = vindrel::engine::RunAnalyse(args, std::cout, std::cerr);
    flint_cleanup();
    return status;
}
