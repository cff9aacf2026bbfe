// vindrel-analyse --batch [--jobs N] [--budget SECONDS] [--sections points]
// [FILE]: one system a line (P<TAB>Q or {"P": "...", "Q": "...", "vars":
// "xy"}), one --json object a line out, plus "line": n, in input order.
//   options (also --budget and --sections for one system)
//   -> engine/batch (threads, order, progress, Ctrl+C)
//   -> each line: its components -> AnalyseJsonObject (the --json path).
#pragma once

#include "engine/cli/analyse.h"
#include "engine/cli/portrait_option.h"

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

namespace vindrel::engine {

// The status when Ctrl+C ended a batch.
inline constexpr int kAnalyseInterrupted = 130;
// A system still worked on this long after its budget is answered with the
// timeout message (a step that never looks at the clock), and the batch goes on.
inline constexpr std::chrono::milliseconds kWatchdogMargin { 5000 };

struct ScaleRequest {
    bool batch = false;
    unsigned jobs = 0; // 0: one per core
    std::chrono::milliseconds budget = kAnnouncedBudget;
    bool pointsOnly = false;
    bool jobsGiven = false;
};

// Reads --batch, --jobs N, --budget SECONDS or --sections points at args[i].
OptionRead ReadScaleOption(
    const std::vector<std::string>& args, size_t& i, ScaleRequest& request, std::string& problem);

// Once every option is read. words: what follows the options.
bool CheckScaleRequest(const ScaleRequest& request, bool portrait, size_t words, std::string& problem);

// The batch itself: file empty or "-" for standard input. Status: 0 when
// every line was answered without error, 1 when some line has its error,
// 130 after Ctrl+C, 1 when the file cannot be read.
int RunBatchCommand(const ScaleRequest& request, const std::string& file, const AnalyseSettings& settings,
    std::ostream& out, std::ostream& err);

// One input line answered: the object printed for it (tests use this).
Json BatchLineObject(
    std::uint64_t line, const std::string& text, bool tooLong, const AnalyseSettings& settings, bool& ok);

} // namespace vindrel::engine
