// korbast on a parsed system: the fixed points, the general analysis and
// the texts of its two files, brisolt.res (conclusions) and tarnel2.res
// (explanatory calculations).
#pragma once

#include "engine/fixedpoints/fixed_points.h"
#include "engine/general/general.h"
#include "engine/parse/parser.h"

#include <string>
#include <vector>

namespace vindrel::engine::general {

inline constexpr const char* kConclusionsFile = "brisolt.res";
inline constexpr const char* kCalculationsFile = "tarnel2.res";

GeneralAnalysis AnalyseSystem(const ParsedSystem& system, const Deadline& deadline = Deadline());
// The same, on fixed points already found by the certified search (so that
// vindrel-analyse does not search them twice).
GeneralAnalysis AnalyseSystem(
    const ParsedSystem& system, const FixedPointAnalysis& found, const Deadline& deadline = Deadline());

// The texts of brisolt.res and tarnel2.res, in that order.
std::vector<std::string> KorbastTexts(const ParsedSystem& system);

} // namespace vindrel::engine::general
