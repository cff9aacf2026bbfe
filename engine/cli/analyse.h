// vindrel-analyse [--json | --report FILE.html] [--vars xy] [--] P Q: the
// whole engine on one system, for people, scripts and tests.
//   words -> components (rejoined like the tools do) -> ParsedSystem
//   -> every section of AnalyseSections(): its French report (text mode)
//      or its JSON fields (--json), or both for one page (--report,
//      engine/cli/report_option.h).
// A new analysis joins by adding one ReportSection to AnalyseSections()
// (engine/cli/sections.cpp).
#pragma once

#include "engine/parse/parser.h"
#include "engine/text/json.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace vindrel::engine {

struct ReportSection {
    std::string file; // the result file it stands for: "quenmar2.pho"
    std::string title; // French heading in text mode
    std::function<std::string(const ParsedSystem&)> report; // the file's French text
    std::vector<std::string> jsonFields; // fields it owns (null when the input is refused)
    std::function<void(const ParsedSystem&, Json& object)> json; // sets those fields
};

// The sections, in the order they are printed.
std::vector<ReportSection> AnalyseSections();

// Exit statuses.
inline constexpr int kAnalyseOk = 0;
inline constexpr int kAnalyseInputError = 1;
inline constexpr int kAnalyseUsage = 2;
inline constexpr int kAnalyseInternalError = 3;

inline constexpr const char* kAnalyseUsageText
    = "Usage : vindrel-analyse [--json] [--vars xy] [--] P Q\n"
      "        vindrel-analyse --portrait FICHIER [--window xmin,xmax,ymin,ymax] [--disc] [--vars xy] [--] P "
      "Q\n"
      "        vindrel-analyse --report FICHIER.html [--window xmin,xmax,ymin,ymax] [--vars xy] [--] P Q\n"
      "  P, Q      les composantes dx/dt et dy/dt (par exemple  y  et  -x+x^2)\n"
      "  --json    un objet JSON au lieu des rapports en français\n"
      "  --vars xy les deux lettres des variables (abscisse puis ordonnée), xy par défaut\n"
      "  --portrait FICHIER  dessine le portrait de phase dans FICHIER (.svg ou .png) au lieu des rapports\n"
      "  --window xmin,xmax,ymin,ymax  la fenêtre du portrait (par défaut : autour des points fixes)\n"
      "  --disc    le portrait sur le disque de Poincaré (tout le plan et l'infini)\n"
      "  --report FICHIER.html  toute l'étude sur une page HTML, portraits compris, au lieu des rapports\n";

// args: the arguments after the program name.
int RunAnalyse(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace vindrel::engine
