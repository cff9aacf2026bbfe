// The fixed-point search on a parsed system, as durmosk and vindrel-analyse
// run it: literal constants refused, non-hyperbolic rational points handed
// to the local classification.
#pragma once

#include "engine/fixedpoints/fixed_points.h"
#include "engine/parse/parser.h"

#include <string>

namespace vindrel::engine {

// "durmosk ne traite que des coefficients numériques ..." naming the constants.
std::string NumericCoefficientsNeeded(const ParsedSystem& s);

// Throws ParametersNotSupported when the system holds literal constants.
FixedPointAnalysis AnalyseSystemFixedPoints(
    const ParsedSystem& s, const Deadline& deadline, ReportTexts texts = ReportTexts::Written);

} // namespace vindrel::engine
