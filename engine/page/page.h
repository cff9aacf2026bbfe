// One page with the whole study of a system: a self-contained French HTML5
// document to read, print or share.
//   the object that vindrel-analyse --json prints (the sections' fields)
//   + the French reports of the result files + the portraits as SVG texts
//   -> header (the system), nature, fixed points (finite, at infinity),
//      portraits (plane, Poincaré disc), periodic orbits, Hamiltonian and
//      potential, discussion of one literal constant (a table with a small
//      portrait per case), calculations folded into <details>
//   -> one HTML text: inline style (screen and A4 print), inline SVG, no
//      script, no outside resource.
// Every field is read when present and skipped when absent or null, so a
// field that a newer analysis adds shows up without change here.
#pragma once

#include "engine/text/json.h"

#include <functional>
#include <string>
#include <vector>

namespace vindrel::page {

// A result file's French text, as the tools write it (before wrapping).
struct ReportText {
    std::string file; // "tarnel2.res"
    std::string title; // "Calculs explicatifs (tarnel2.res)"
    std::string text; // empty when failure is set
    std::string failure; // why the report could not be made, in French
};

// A drawing: an SVG document, or the French reason why there is none.
struct Picture {
    std::string svg;
    std::string note;
};

struct PageInput {
    const engine::Json* result = nullptr; // the --json object
    std::vector<ReportText> reports;
    Picture plane, disc;
    // The small portrait of the system at an exact rational value of the
    // literal constant (a case of the discussion); unset: no small portraits.
    std::function<Picture(const std::string& value)> casePicture;
};

std::string BuildPage(const PageInput& input);

// The inline form of an SVG document: no XML declaration, no namespace
// attribute (implied in HTML), every id (and its url(#...) uses) prefixed
// so that several drawings share a page.
std::string InlineSvg(const std::string& svg, const std::string& idPrefix);

} // namespace vindrel::page
