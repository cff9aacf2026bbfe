// vindrel-analyse --report FILE.html [--window xmin,xmax,ymin,ymax]: the
// whole study of the system on one French HTML page.
//   every section: its JSON fields (the same object as --json) and its
//   French report, a failing section noted and the others kept
//   -> the portraits in the plane (the window) and on the Poincaré disc,
//      and a small one per case of the discussion (the constant replaced by
//      the case's value), as long as time remains
//   -> engine/page BuildPage -> the file, written under a temporary name
//      and renamed -> one French line naming it.
// The whole command keeps to the tools' time limit: a portrait is left out,
// with a note on the page, once the budget is spent.
#pragma once

#include "engine/cli/analyse.h"
#include "engine/cli/portrait_option.h"
#include "engine/page/page.h"
#include "engine/tool/deadline.h"

namespace vindrel::engine {

struct ReportRequest {
    std::string file; // empty: no page asked for
    bool Requested() const { return !file.empty(); }
};

// Reads "--report FILE" at args[i] (i is left on the file name).
OptionRead ReadReportOption(
    const std::vector<std::string>& args, size_t& i, ReportRequest& request, std::string& problem);

// Once every option is read: a page goes with --window and --vars only.
bool CheckReportRequest(
    const ReportRequest& report, const PortraitRequest& drawing, bool json, std::string& problem);

class ReportPage {
public:
    explicit ReportPage(ReportRequest request, const PortraitRequest& drawing);

    // Sets the section's fields in result and keeps its report.
    void Add(const ReportSection& section, const ParsedSystem& system, Json& result);
    // Draws the portraits, builds and writes the page; returns the line to
    // print. Throws EngineError when the file cannot be written.
    std::string Write(const ParsedSystem& system, const Json& result);

private:
    page::Picture Draw(const ParsedSystem& system, PortraitView view, int pixels) const;

    ReportRequest request_;
    PortraitRequest drawing_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::vector<page::ReportText> reports_;
};

inline constexpr const char* kReportWritten = "Page d'étude écrite dans le fichier ";

} // namespace vindrel::engine
