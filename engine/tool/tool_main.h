// The shared main of the analysis tools (korbast, velquin2, durmosk):
//   placeholder into every file -> words -> components -> ParsedSystem
//   -> compute -> each file written atomically.
// On any failure (unreadable component, limits, literal constants a tool
// cannot handle, unexpected exception, time budget) every file the tool owns
// receives a clear French message and the exit status is non-zero; no
// placeholder is ever left behind.
#pragma once

#include "engine/parse/parser.h"
#include "engine/tool/deadline.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vindrel::engine {

struct ToolSpec {
    std::string toolName;
    std::vector<std::string> files; // result file names, written in the output directory
    bool takesVarsWord; // the last word names the variables ("xy")
    // Where the files go; empty: beside the executable (the normal case).
    std::filesystem::path outputDir = {};
    // After this the watchdog writes kTimeoutMessage into every file and ends the process.
    std::chrono::milliseconds budget = kToolBudget;
};

// Exit statuses of a tool.
inline constexpr int kExitOk = 0;
inline constexpr int kExitInputError = 1; // components unreadable, limits, parameters, time
inline constexpr int kExitInternalError = 2;
inline constexpr int kExitCannotWrite = 3;
inline constexpr int kExitTimeout = 4;

// compute: from the parsed system, the UTF-8 text of each file (same order as
// tool.files); may throw EngineError.
int RunTool(int argc, char** argv, const ToolSpec& tool,
    const std::function<std::vector<std::string>(const ParsedSystem&)>& compute);

// The file text for an error message: what went wrong, then a reminder of
// the component syntax. Only characters result files can carry.
std::string ErrorReport(const std::string& message);

} // namespace vindrel::engine
