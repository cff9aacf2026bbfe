// vindrel-analyse run in-process: its exit status and both streams.
#pragma once

#include "engine/cli/analyse.h"

#include <sstream>
#include <string>
#include <vector>

namespace vindrel::engine::testing {

struct Outcome {
    int status;
    std::string out, err;
};

inline Outcome Analyse(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    const int status = RunAnalyse(args, out, err);
    return { status, out.str(), err.str() };
}

} // namespace vindrel::engine::testing
