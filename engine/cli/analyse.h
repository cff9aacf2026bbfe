// vindrel-analyse [--json | --report FILE.html] [--vars xy] [--] P Q: the
// whole engine on one system, for people, scripts and tests.
//   words -> components (rejoined like the tools do) -> ParsedSystem
//   -> every section of AnalyseSections(): its French report (text mode)
//      or its JSON fields (--json), or both for one page (--report,
//      engine/cli/report_option.h).
// A new analysis joins by adding one ReportSection to AnalyseSections()
// (engine/cli/sections.cpp).
#pragma once

#include "engine/fixedpoints/fixed_points.h"
#include "engine/parse/parser.h"
#include "engine/text/json.h"
#include "engine/tool/deadline.h"

#include <chrono>
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
    bool fixedPoints = false; // part of --sections points
};

// The sections, in the order they are printed; their work stops at deadline.
// texts: Skipped when only the JSON fields of the fixed points are wanted
// (the reports of those sections then lack their texts).
std::vector<ReportSection> AnalyseSections(
    const Deadline& deadline = Deadline(), ReportTexts texts = ReportTexts::Written);

// What the analysis of one system depends on besides its components.
struct AnalyseSettings {
    std::string vars = "xy";
    bool pointsOnly = false; // --sections points: the other fields stay null
    std::chrono::milliseconds budget = kAnnouncedBudget; // --budget
};

// The --json object of one system given as the words of its components
// (the object vindrel-analyse --json prints); status: one of the statuses below.
Json AnalyseJsonObject(const std::vector<std::string>& words, const AnalyseSettings& settings, int& status);
// The same object for an input refused before its components are known.
Json AnalyseErrorObject(const std::string& message, const AnalyseSettings& settings);

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
      "  --report FICHIER.html  toute l'étude sur une page HTML, portraits compris, au lieu des rapports\n"
      "        vindrel-analyse --batch [--jobs N] [--budget SECONDES] [--sections points] [FICHIER]\n"
      "  --batch   un système par ligne de FICHIER (ou de l'entrée standard) : P<TAB>Q ou\n"
      "            {\"P\": \"...\", \"Q\": \"...\", \"vars\": \"xy\"} ; un objet JSON par ligne, dans "
      "l'ordre\n"
      "  --jobs N  le nombre de fils de calcul (par défaut : un par cœur)\n"
      "  --budget SECONDES  le temps permis à chaque système (10 par défaut)\n"
      "  --sections points  seulement les points fixes (finis et à l'infini) et leur nature\n";

// args: the arguments after the program name.
int RunAnalyse(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace vindrel::engine
