// vindrel-analyse --portrait FILE [--window xmin,xmax,ymin,ymax] [--disc]:
// the phase portrait of the system drawn into FILE (PNG when its name ends
// in .png, SVG when in .svg) instead of the reports.
//   options -> ParsedSystem -> field in double + certified fixed points with
//   their natures and curves of fixed points (a numerical search when the
//   certified one runs out of time) -> ComputePortrait (window or Poincare
//   disc) -> WritePortrait -> one French line naming the file written.
#pragma once

#include "engine/parse/parser.h"
#include "engine/portrait/portrait.h"

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace vindrel::engine {

enum class PortraitView { Plane, Disc };

// The time the certified fixed-point search may take before the portrait
// falls back on the numerical search (the drawing itself takes well under a
// second, so the command stays within the tools' time limit).
inline constexpr std::chrono::milliseconds kPortraitPointBudget { 3000 };

struct PortraitRequest {
    std::string file; // empty: no portrait asked for
    std::optional<std::array<double, 4>> window; // xmin, xmax, ymin, ymax
    PortraitView view = PortraitView::Plane;
    std::chrono::milliseconds pointBudget = kPortraitPointBudget;
    bool Requested() const { return !file.empty(); }
};

enum class OptionRead { NotMine, Read, Bad };

// Reads the portrait option at args[i], if it is one, with its value
// (i is left on the last word used). Bad: problem holds the French reason.
OptionRead ReadPortraitOption(
    const std::vector<std::string>& args, size_t& i, PortraitRequest& request, std::string& problem);

enum class ReportFormat { Text, Json };

// Once every option is read: the combinations that make no sense.
bool CheckPortraitRequest(const PortraitRequest& request, ReportFormat format, std::string& problem);

// The portrait the request asks for (its file is not used), the plot
// `pixels` wide. Throws like DrawPortrait.
portrait::Portrait ComputeSystemPortrait(
    const PortraitRequest& request, const ParsedSystem& system, int pixels = 720);

// Draws the portrait and returns the line to print. Throws
// portrait::PortraitError (file not writable, literal constants) or
// EngineError (nothing to draw), with French messages.
std::string DrawPortrait(const PortraitRequest& request, const ParsedSystem& system);

// The line printed once the picture is written (followed by its path).
inline constexpr const char* kPortraitWritten = "Portrait de phase écrit dans le fichier ";

} // namespace vindrel::engine
