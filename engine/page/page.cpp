#include "engine/page/page.h"

#include "engine/page/typography.h"

#include <map>
#include <regex>
#include <sstream>

namespace vindrel::page {

using engine::Json;

namespace {

// ---- Reading the object -----------------------------------------------------

const Json* Get(const Json* o, const char* key)
{
    return o ? o->find(key) : nullptr;
}

bool Present(const Json* v)
{
    return v && !v->isNull();
}

std::string Text(const Json* v)
{
    return v && v->string() ? *v->string() : std::string();
}

const Json::Array& Items(const Json* v)
{
    static const Json::Array kNone;
    return v && v->array() ? *v->array() : kNone;
}

// ---- French names ------------------------------------------------------------

std::string Lookup(const std::map<std::string, std::string>& names, const std::string& key)
{
    const auto it = names.find(key);
    return it != names.end() ? it->second : key;
}

std::string NatureName(const Json& point)
{
    static const std::map<std::string, std::string> kTypes = { { "saddle", "col" }, { "node", "nœud" },
        { "star_node", "nœud étoilé" }, { "degenerate_node", "nœud dégénéré" }, { "focus", "foyer" },
        { "center", "centre" }, { "weak_focus", "foyer faible" }, { "saddle_node", "col-nœud" },
        { "cusp", "point de rebroussement" }, { "elliptic_saddle", "col elliptique" },
        { "degenerate", "point dégénéré" }, { "undetermined", "nature non déterminée" } };
    std::string name = Lookup(kTypes, Text(point.find("type")));
    if (name.empty()) name = "nature non déterminée";
    if (const auto order = Present(point.find("order")) ? point.find("order")->number() : std::nullopt)
        name += " d’ordre " + Decimal(*order);
    const std::string stability = Text(point.find("stability"));
    if (stability == "stable") name += " stable";
    if (stability == "unstable") name += " instable";
    return name;
}

std::string LinearPartName(const std::string& part)
{
    static const std::map<std::string, std::string> kParts = { { "hyperbolic", "hyperbolique" },
        { "imaginary", "valeurs propres imaginaires" }, { "semi-hyperbolic", "semi-hyperbolique" },
        { "nilpotent", "nilpotente" }, { "zero", "nulle" } };
    return part.empty() ? "—" : Lookup(kParts, part);
}

std::string StabilityName(const std::string& s)
{
    static const std::map<std::string, std::string> kNames
        = { { "stable", "stable" }, { "unstable", "instable" }, { "semi_stable", "semi-stable" } };
    return s.empty() ? "—" : Lookup(kNames, s);
}

std::string Number(const Json* v)
{
    const auto n = v ? v->number() : std::nullopt;
    return n ? Decimal(*n) : "—";
}

// "(x ; y)" from two numbers.
std::string Pair(const Json* x, const Json* y)
{
    return "(" + Number(x) + "\u202F; " + Number(y) + ")";
}

std::string Exact(const Json* v)
{
    return Present(v) && v->string() ? Formula(*v->string()) : "—";
}

// The sectors "hhp" as "h h p"; "" (a monodromic point) named.
std::string Sectors(const Json* v)
{
    if (!v || !v->string()) return "—";
    if (v->string()->empty()) return "aucun (monodromique)";
    std::string out;
    for (char c : *v->string())
        out += (out.empty() ? "" : "\u2009") + Escape(std::string(1, c));
    return out;
}

std::string Index(const Json* v)
{
    const auto n = v ? v->number() : std::nullopt;
    if (!n) return "—";
    return *n > 0 ? "+" + Decimal(*n) : Decimal(*n);
}

// A sentence that starts with a capital (the engine's reasons start in lower case).
std::string Capitalised(std::string text)
{
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

// ---- Page pieces -------------------------------------------------------------

struct Section {
    std::string id, title, body;
};

std::string Paragraph(const std::string& prose)
{
    return "<p>" + Prose(prose) + "</p>\n";
}

std::string Figure(const Picture& picture, const std::string& idPrefix, const std::string& caption)
{
    std::string out = "<figure class=\"portrait\">\n";
    if (!picture.svg.empty())
        out += InlineSvg(picture.svg, idPrefix);
    else
        out += "<p class=\"absent\">" + Prose(picture.note) + "</p>\n";
    return out + "<figcaption>" + Prose(caption) + "</figcaption>\n</figure>\n";
}

const ReportText* FindReport(const PageInput& in, const std::string& file)
{
    for (const ReportText& r : in.reports)
        if (r.file == file) return &r;
    return nullptr;
}

// A report's text as prose that keeps its lines and indentation.
std::string ReportBlock(const ReportText& r)
{
    if (!r.failure.empty()) return "<p class=\"absent\">" + Prose(r.failure) + "</p>\n";
    std::string text = r.text;
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return "<div class=\"compte-rendu\">" + Prose(text) + "</div>\n";
}

std::string Header(const Json& result, const std::string& x, const std::string& y)
{
    std::string out
        = "<header>\n<p class=\"surtitre\">Vindrel — étude qualitative</p>\n<h1>Étude du système</h1>\n";
    out += "<p class=\"systeme\">d<var>" + x + "</var>/d<var>t</var> = " + Exact(result.find("P"))
        + "<br>\nd<var>" + y + "</var>/d<var>t</var> = " + Exact(result.find("Q")) + "</p>\n";
    std::string facts;
    if (const auto degree = Present(result.find("degree")) ? result.find("degree")->number() : std::nullopt)
        facts += "Système de degré " + Decimal(*degree) + ".";
    const Json::Array& parameters = Items(result.find("parameters"));
    if (!parameters.empty()) {
        facts += parameters.size() == 1 ? " Constante littérale : " : " Constantes littérales : ";
        for (size_t k = 0; k < parameters.size(); ++k)
            facts += (k ? ", " : "") + Text(&parameters[k]);
        facts += ".";
    }
    if (!facts.empty()) out += "<p class=\"chapeau\">" + Prose(facts) + "</p>\n";
    return out + "</header>\n";
}

std::string YesNo(const Json* v)
{
    // An object stands for "yes, and here is how": the type of a linear
    // system, the symmetries of a reversible one.
    if (v && v->isObject()) {
        std::string how;
        if (const Json* list = v->find("symmetries"); list && list->array())
            for (const Json& s : *list->array())
                how += (how.empty() ? " : " : " ; ") + Prose(Text(&s));
        return "oui" + how;
    }
    const auto b = v ? v->boolean() : std::nullopt;
    if (!b) return "non déterminé";
    return *b ? "oui" : "non";
}

// With literal constants the general analysis answers for generic values;
// the Hamiltonian search gives the exact conditions.
std::string HamiltonianFlag(const Json& result, const Json* flag)
{
    const Json* conditions = result.find("hamiltonian_conditions");
    if (!Present(conditions) || !conditions->array()) return YesNo(flag);
    const Json::Array& list = *conditions->array();
    if (list.empty()) return "oui, pour toutes les valeurs des constantes";
    if (list.size() == 1 && Text(&list[0]) == "1") return "non, pour aucune valeur des constantes";
    std::string out = "seulement si ";
    for (size_t k = 0; k < list.size(); ++k)
        out += (k ? " et " : "") + Exact(&list[k]) + " = 0";
    return out;
}

Section Nature(const Json& result)
{
    std::string rows;
    const auto row = [&](const std::string& name, const std::string& valueHtml) {
        rows += "<tr><th scope=\"row\">" + Prose(name) + "</th><td>" + valueHtml + "</td></tr>\n";
    };
    if (Present(result.find("divergence"))) row("Divergence", Exact(result.find("divergence")));
    const Json* properties = result.find("properties");
    static const std::pair<const char*, const char*> kFlags[] = { { "linear", "Linéaire" },
        { "hamiltonian", "Hamiltonien" }, { "gradient", "Gradient (dérive d’un potentiel)" },
        { "homogeneous", "Homogène" }, { "lotka_volterra", "De type Lotka–Volterra" },
        { "reversible", "Réversible" }, { "central_symmetry", "Symétrie centrale" } };
    for (const auto& [key, name] : kFlags)
        if (const Json* v = Get(properties, key))
            row(name, key == std::string("hamiltonian") ? HamiltonianFlag(result, v) : YesNo(v));
    static const std::map<std::string, std::string> kSigns
        = { { "zero", "identiquement nulle" }, { "positive", "positive" }, { "negative", "négative" },
              { "non_negative", "positive ou nulle" }, { "non_positive", "négative ou nulle" },
              { "changes_sign", "change de signe" }, { "unknown", "non déterminé" } };
    if (const Json* sign = Get(properties, "divergence_sign"); Present(sign))
        row("Signe de la divergence", Prose(Lookup(kSigns, Text(sign))));
    if (const Json* lines = Get(properties, "invariant_lines"); lines && lines->array()) {
        std::string list;
        for (const Json& l : *lines->array())
            list += (list.empty() ? "" : "\u202F; ") + Exact(&l); // "x - 1 = 0"
        row("Droites invariantes", list.empty() ? "aucune trouvée" : list);
    }
    if (rows.empty()) return {};
    return { "nature", "Nature du système",
        "<table class=\"donnees proprietes\">\n<tbody>\n" + rows + "</tbody>\n</table>\n" };
}

bool AnyHas(const Json::Array& points, const char* key)
{
    for (const Json& p : points)
        if (p.find(key)) return true;
    return false;
}

std::string SectorLegend()
{
    return Paragraph("Secteurs autour du point, dans le sens trigonométrique : h hyperbolique, e elliptique, "
                     "p parabolique.");
}

std::string FiniteTable(const Json::Array& points)
{
    const bool index = AnyHas(points, "index"), sectors = AnyHas(points, "sectors");
    std::string out = "<table class=\"donnees\">\n<thead><tr><th>n°</th><th>Coordonnées exactes</th>"
                      "<th>Valeurs approchées</th><th>Nature</th><th>Partie linéaire</th>";
    if (index) out += "<th>Indice</th>";
    if (sectors) out += "<th>Secteurs</th>";
    out += "</tr></thead>\n<tbody>\n";
    for (size_t k = 0; k < points.size(); ++k) {
        const Json& p = points[k];
        out += "<tr><td>" + std::to_string(k + 1) + "</td><td>(" + Exact(p.find("x")) + "\u202F; "
            + Exact(p.find("y")) + ")</td><td>" + Pair(p.find("x_approx"), p.find("y_approx")) + "</td><td>"
            + Prose(NatureName(p)) + "</td><td>" + Prose(LinearPartName(Text(p.find("linear_part"))))
            + "</td>";
        if (index) out += "<td>" + Index(p.find("index")) + "</td>";
        if (sectors) out += "<td>" + Sectors(p.find("sectors")) + "</td>";
        out += "</tr>\n";
    }
    out += "</tbody>\n</table>\n";
    return sectors ? out + SectorLegend() : out;
}

std::string Direction(const Json& p)
{
    const Json::Array& d = Items(p.find("direction"));
    return d.size() == 2 ? Pair(&d[0], &d[1]) : "—";
}

std::string InfiniteTable(const Json::Array& points)
{
    const bool index = AnyHas(points, "index"), sectors = AnyHas(points, "sectors");
    std::string out = "<table class=\"donnees\">\n<thead><tr><th>Direction</th><th>Nature</th>"
                      "<th>Point opposé (stabilité)</th>";
    if (index) out += "<th>Indice</th>";
    if (sectors) out += "<th>Secteurs</th>";
    out += "<th>Argument</th></tr></thead>\n<tbody>\n";
    for (const Json& p : points) {
        out += "<tr><td>" + Direction(p) + "</td><td>" + Prose(NatureName(p)) + "</td><td>"
            + StabilityName(Text(p.find("opposite_stability"))) + "</td>";
        if (index) out += "<td>" + Index(p.find("index")) + "</td>";
        if (sectors) out += "<td>" + Sectors(p.find("sectors")) + "</td>";
        out += "<td>" + Prose(Text(p.find("reason"))) + "</td></tr>\n";
    }
    out += "</tbody>\n</table>\n";
    return sectors ? out + SectorLegend() : out;
}

// The curves of fixed points and the non-real points, as sentences.
std::string CurvesAndComplex(const Json* curves, const Json* complex)
{
    std::string out;
    const Json::Array& list = Items(curves);
    if (!list.empty()) {
        out += "<p>" + Prose(list.size() == 1 ? "Courbe de points fixes : " : "Courbes de points fixes : ");
        for (size_t k = 0; k < list.size(); ++k)
            out += (k ? "\u202F; " : "") + Exact(&list[k]) + " = 0";
        out += ".</p>\n";
    }
    if (const auto n = complex ? complex->number() : std::nullopt; n && *n > 0)
        out += Paragraph(Decimal(*n) + (*n == 1 ? " point fixe non réel" : " points fixes non réels")
            + " (comptés sans multiplicité).");
    return out;
}

Section FixedPoints(const PageInput& in)
{
    const Json& result = *in.result;
    std::string body;
    const Json* points = result.find("fixed_points");
    if (Present(points) && points->array()) {
        body += points->array()->empty() ? Paragraph("Aucun point fixe réel à distance finie.")
                                         : FiniteTable(*points->array());
        body += CurvesAndComplex(result.find("fixed_curves"), result.find("complex_fixed_points"));
    } else if (const Json* d = result.find("discussion"); Present(d)) {
        // The cases are in the discussion's table; the report would repeat them.
        const std::string a = Text(d->find("parameter"));
        body += "<p>" + Prose("Les points fixes et leur nature dépendent de " + a + " : voir la ")
            + "<a href=\"#discussion\">" + Prose("discussion selon " + a) + "</a>"
            + Prose(". Le compte rendu de durmosk, cas par cas, est dans les calculs explicatifs.") + "</p>\n";
    } else if (const ReportText* dovra = FindReport(in, "dovra.res")) {
        body += ReportBlock(*dovra);
    }
    const Json* infinite = result.find("infinite_points");
    const auto line = Get(&result, "infinity_line") ? result.find("infinity_line")->boolean() : std::nullopt;
    if (Present(infinite) || (line && *line)) body += "<h3 id=\"infini\">Points à l’infini</h3>\n";
    if (line && *line)
        body += Paragraph(
            "Le cercle à l’infini est tout entier fait de points singuliers (x·Q_d − y·P_d est "
            "identiquement nul) : les points ci-dessous sont ceux du champ divisé par le facteur "
            "qui s’annule sur ce cercle.");
    if (Present(infinite) && infinite->array())
        body += infinite->array()->empty() ? Paragraph("Aucun point singulier à l’infini.")
                                           : InfiniteTable(*infinite->array());
    return { "points-fixes", "Points fixes", body };
}

Section Portraits(const PageInput& in)
{
    if (in.plane.svg.empty() && in.plane.note.empty() && in.disc.svg.empty() && in.disc.note.empty())
        return {};
    if (in.plane.svg.empty() && in.disc.svg.empty() && in.plane.note == in.disc.note)
        return { "portraits", "Portrait de phase", "<p class=\"absent\">" + Prose(in.plane.note) + "</p>\n" };
    return { "portraits", "Portrait de phase",
        "<div class=\"portraits\">\n"
            + Figure(in.plane, "plan",
                "Dans le plan : champ de directions, isoclines, points fixes, séparatrices et quelques "
                "orbites.")
            + Figure(in.disc, "disque", "Sur le disque de Poincaré : tout le plan, le bord figure l’infini.")
            + "</div>\n" };
}

std::string CycleTable(const Json::Array& cycles)
{
    std::string out = "<table class=\"donnees\">\n<thead><tr><th>n°</th><th>Stabilité</th><th>Preuve</th>"
                      "<th>Courbe invariante</th><th>Période</th><th>Un point</th><th>Étendue</th>"
                      "<th>Entoure</th></tr></thead>\n<tbody>\n";
    for (size_t k = 0; k < cycles.size(); ++k) {
        const Json& c = cycles[k];
        const std::string proof = Text(c.find("proof"));
        const Json::Array& point = Items(c.find("point"));
        std::string surrounds;
        for (const Json& i : Items(c.find("surrounds")))
            if (const auto n = i.number())
                surrounds += (surrounds.empty() ? "point" : ",") + std::string(" n° ") + Decimal(*n + 1);
        out += "<tr><td>" + std::to_string(k + 1) + "</td><td>" + StabilityName(Text(c.find("stability")))
            + "</td><td>"
            + (proof == "proven"           ? "démontré"
                    : proof == "numerical" ? "détecté numériquement"
                                           : Prose(proof))
            + "</td><td>" + (Present(c.find("curve")) ? Exact(c.find("curve")) + " = 0" : "—") + "</td><td>"
            + Number(c.find("period")) + "</td><td>" + (point.size() == 2 ? Pair(&point[0], &point[1]) : "—")
            + "</td><td>x ∈ [" + Number(c.find("x_min")) + "\u202F; " + Number(c.find("x_max")) + "], y ∈ ["
            + Number(c.find("y_min")) + "\u202F; " + Number(c.find("y_max")) + "]</td><td>"
            + (surrounds.empty() ? "—" : surrounds) + "</td></tr>\n";
    }
    return out + "</tbody>\n</table>\n";
}

Section PeriodicOrbits(const Json& result)
{
    std::string body;
    const Json* orbits = result.find("periodic_orbits");
    const Json* properties = result.find("properties");
    if (Present(orbits) && orbits->isObject()) {
        static const std::map<std::string, std::string> kVerdicts = {
            { "none", "Aucune orbite périodique : c’est démontré." },
            { "centres", "Il existe des orbites périodiques, autour d’un centre." },
            { "limit_cycles", "Au moins un cycle limite a été trouvé, et il n’y a pas de centre." },
            { "open", "La question reste ouverte : rien n’est démontré et aucun cycle n’a été trouvé." }
        };
        body += "<p class=\"verdict\">" + Prose(Lookup(kVerdicts, Text(orbits->find("verdict")))) + "</p>\n";
        if (const std::string reason = Text(orbits->find("reason")); !reason.empty())
            body += "<p><strong>Argument.</strong> " + Prose(Capitalised(reason)) + "</p>\n";
        const Json::Array& cycles = Items(orbits->find("limit_cycles"));
        if (!cycles.empty()) body += "<h3 id=\"cycles\">Cycles limites</h3>\n" + CycleTable(cycles);
    } else if (const Json* verdict = Get(properties, "periodic_orbits"); Present(verdict)) {
        static const std::map<std::string, std::string> kOld
            = { { "impossible", "Le système n’a aucune orbite périodique." },
                  { "possible", "Le système a des orbites périodiques." },
                  { "unknown", "La question des orbites périodiques reste ouverte." } };
        body += "<p class=\"verdict\">" + Prose(Lookup(kOld, Text(verdict))) + "</p>\n";
        if (const std::string reason = Text(Get(properties, "reason")); !reason.empty())
            body += "<p><strong>Argument.</strong> " + Prose(Capitalised(reason)) + "</p>\n";
    }
    if (body.empty()) return {};
    return { "orbites", "Orbites périodiques", body };
}

Section Hamiltonian(const Json& result)
{
    std::string body;
    const bool known = result.find("hamiltonian") != nullptr;
    if (!known) return {};
    const Json* conditions = result.find("hamiltonian_conditions");
    if (Present(result.find("hamiltonian")))
        body += "<p class=\"formule\"><var>H</var>(x, y) = " + Exact(result.find("hamiltonian")) + "</p>\n"
            + Paragraph("avec dx/dt = ∂H/∂y et dy/dt = −∂H/∂x ; les trajectoires suivent les courbes de "
                        "niveau de H.");
    else if (!Present(conditions))
        body += Paragraph("Le système n’est pas hamiltonien.");
    if (Present(conditions) && conditions->array()) {
        const Json::Array& list = *conditions->array();
        if (list.empty())
            body += Paragraph("Le système est hamiltonien pour toutes les valeurs des constantes.");
        else if (list.size() == 1 && Text(&list[0]) == "1")
            body += Paragraph("Le système n’est hamiltonien pour aucune valeur des constantes.");
        else {
            body += "<p>" + Prose("Le système est hamiltonien exactement quand : ");
            for (size_t k = 0; k < list.size(); ++k)
                body += (k ? " et " : "") + Exact(&list[k]) + " = 0";
            body += ".</p>\n";
        }
    }
    if (Present(result.find("potential")))
        body += "<p class=\"formule\"><var>V</var>(x, y) = " + Exact(result.find("potential")) + "</p>\n"
            + Paragraph("avec dx/dt = ∂V/∂x et dy/dt = ∂V/∂y : le système dérive de ce potentiel.");
    else if (!Present(conditions))
        body += Paragraph("Le système ne dérive pas d’un potentiel.");
    return { "hamiltonien", "Hamiltonien et potentiel", body };
}

bool IsRational(const std::string& s)
{
    static const std::regex kRational("-?[0-9]+(/[0-9]+)?");
    return std::regex_match(s, kRational);
}

// "-1 < a < 0", "a < 0", "a = 1/2".
std::string CaseValues(const Json& c, const std::string& a)
{
    const std::string var = "<var>" + Escape(a) + "</var>";
    if (Present(c.find("at"))) return var + " = " + Exact(c.find("at"));
    const bool from = Present(c.find("from")), to = Present(c.find("to"));
    if (from && to) return Exact(c.find("from")) + " &lt; " + var + " &lt; " + Exact(c.find("to"));
    if (from) return var + " &gt; " + Exact(c.find("from"));
    if (to) return var + " &lt; " + Exact(c.find("to"));
    return "toutes les valeurs de " + var;
}

std::string CasePoints(const Json& c)
{
    const Json* points = c.find("fixed_points");
    if (!Present(points) || !points->array()) {
        const std::string reason = Text(c.find("reason"));
        return Prose(reason.empty() ? "non déterminés" : reason);
    }
    std::string out;
    if (points->array()->empty())
        out = Prose("aucun point fixe réel");
    else {
        out = "<ul>\n";
        for (const Json& p : *points->array()) {
            const bool exact = Present(p.find("x")) && Present(p.find("y"));
            out += "<li>"
                + (exact ? "(" + Exact(p.find("x")) + "\u202F; " + Exact(p.find("y")) + ")"
                         : Pair(p.find("x_approx"), p.find("y_approx")))
                + "\u202F: " + Prose(NatureName(p)) + "</li>\n";
        }
        out += "</ul>\n";
    }
    return out + CurvesAndComplex(c.find("fixed_curves"), c.find("complex_fixed_points"));
}

std::string CasePicture(const PageInput& in, const std::string& value, const std::string& idPrefix)
{
    Picture picture;
    if (!in.casePicture)
        picture.note = "Pas de portrait pour ce cas.";
    else if (!IsRational(value))
        picture.note = "Pas de portrait : la valeur n’est pas rationnelle.";
    else
        picture = in.casePicture(value);
    return picture.svg.empty() ? "<p class=\"absent\">" + Prose(picture.note) + "</p>"
                               : InlineSvg(picture.svg, idPrefix);
}

// One constant and no discussion: the portraits at a few values, with no
// claim on the values between them.
Section Samples(const PageInput& in, const std::string& a)
{
    if (!in.casePicture) return {};
    std::string body = Paragraph("La discussion selon " + a
        + " n’est pas disponible ici. Voici seulement le portrait de phase pour quelques valeurs de " + a
        + " : il ne vaut que pour ces valeurs.");
    body += "<div class=\"exemples\">\n";
    int k = 0;
    for (const std::string value : { "-1", "0", "1" })
        body += "<figure class=\"portrait\">\n" + CasePicture(in, value, "exemple" + std::to_string(++k))
            + "\n<figcaption><var>" + Escape(a) + "</var> = " + Formula(value) + "</figcaption>\n</figure>\n";
    body += "</div>\n";
    return { "discussion", "Portraits pour quelques valeurs de " + a, body };
}

Section Discussion(const PageInput& in)
{
    const Json& result = *in.result;
    const Json* discussion = result.find("discussion");
    const Json::Array& parameters = Items(result.find("parameters"));
    if (!Present(discussion) && parameters.size() == 1) return Samples(in, Text(&parameters[0]));
    if (!discussion) return {};
    if (!Present(discussion)) {
        if (parameters.size() < 2) return {};
        return { "discussion", "Discussion selon les constantes",
            Paragraph(
                "Avec deux constantes littérales ou plus, seule la recherche d’un hamiltonien les traite : "
                "donnez une valeur à toutes les constantes sauf une pour obtenir la discussion.") };
    }
    const std::string a = Text(discussion->find("parameter"));
    std::string body = Paragraph("Les cas sont rangés par valeurs croissantes de " + a
        + " et couvrent toute la droite réelle. Dans un intervalle, les points fixes sont ceux de la valeur "
          "d’exemple, et toutes les valeurs de l’intervalle donnent les mêmes natures.");
    body += "<table class=\"donnees discussion\">\n<thead><tr><th>Valeurs de <var>" + Escape(a)
        + "</var></th><th>Points fixes</th><th>Portrait</th></tr></thead>\n<tbody>\n";
    const Json::Array& cases = Items(discussion->find("cases"));
    for (size_t k = 0; k < cases.size(); ++k) {
        const Json& c = cases[k];
        const std::string sample = Present(c.find("at")) ? Text(c.find("at")) : Text(c.find("sample"));
        body += "<tr class=\"cas\"><td>" + CaseValues(c, a);
        if (!Present(c.find("at")) && !sample.empty())
            body += "<br>\n<small>" + Prose("exemple : ") + "<var>" + Escape(a)
                + "</var> = " + Formula(sample) + "</small>";
        body += "</td><td>" + CasePoints(c) + "</td><td>";
        body += CasePicture(in, sample, "cas" + std::to_string(k + 1)) + "</td></tr>\n";
    }
    body += "</tbody>\n</table>\n";
    return { "discussion", "Discussion selon " + a, body };
}

Section Calculations(const PageInput& in)
{
    std::string body = Paragraph(
        "Les comptes rendus complets, tels que les écrivent les outils, avec les calculs qui justifient "
        "chaque conclusion. Cliquez sur un titre pour le déplier.");
    // The explanatory calculations first, open.
    std::vector<const ReportText*> order;
    if (const ReportText* calc = FindReport(in, "tarnel2.res")) order.push_back(calc);
    for (const ReportText& r : in.reports)
        if (r.file != "tarnel2.res") order.push_back(&r);
    if (order.empty()) return {};
    for (const ReportText* r : order)
        body += "<details" + std::string(r->file == "tarnel2.res" ? " open" : "") + ">\n<summary>"
            + Prose(r->title) + "</summary>\n" + ReportBlock(*r) + "</details>\n";
    return { "calculs", "Calculs explicatifs", body };
}

constexpr const char* kStyle = R"(
  :root { --encre: #1f2933; --bleu: #2f5d8a; --rouge: #c0392b; --fond: #fdfcf8; --filet: #d8d4c8; }
  html { background: var(--fond); }
  body { margin: 0 auto; max-width: 60em; padding: 1.5em 1.5em 3em; color: var(--encre);
         font: 1em/1.55 "DejaVu Serif", Georgia, "Times New Roman", serif; }
  header { border-bottom: 2px solid var(--bleu); margin-bottom: 1.2em; }
  .surtitre { margin: 0; color: var(--bleu); font: 600 0.85em/1.4 "DejaVu Sans", Arial, sans-serif;
              letter-spacing: 0.08em; text-transform: uppercase; }
  h1 { margin: 0.1em 0 0.3em; font: 700 2em/1.2 "DejaVu Sans", Arial, sans-serif; color: var(--bleu); }
  h2 { margin: 1.6em 0 0.5em; font: 700 1.3em/1.3 "DejaVu Sans", Arial, sans-serif; color: var(--bleu);
       border-bottom: 1px solid var(--filet); padding-bottom: 0.15em; }
  h3 { margin: 1.2em 0 0.4em; font: 700 1.05em/1.3 "DejaVu Sans", Arial, sans-serif; }
  .systeme { font-size: 1.25em; margin: 0.4em 0 0.6em 1em; }
  .chapeau { font-size: 1.05em; }
  nav { background: #f1efe6; border-left: 4px solid var(--bleu); padding: 0.4em 1.2em 0.6em; }
  nav h2 { margin-top: 0.4em; border: none; font-size: 1.1em; }
  nav ol { margin: 0; columns: 2; column-gap: 2em; }
  a { color: var(--bleu); }
  var { font-style: italic; }
  table.donnees { border-collapse: collapse; width: 100%; margin: 0.8em 0; font-size: 0.92em; }
  table.donnees th, table.donnees td { border: 1px solid var(--filet); padding: 0.3em 0.55em;
                                       text-align: left; vertical-align: top; }
  table.donnees th { background: #f1efe6; font-family: "DejaVu Sans", Arial, sans-serif; font-size: 0.92em; }
  table.proprietes { width: auto; }
  table.discussion td:last-child { width: 22em; }
  table.discussion svg { width: 21em; }
  table.discussion ul { margin: 0; padding-left: 1.2em; }
  .formule { text-align: center; font-size: 1.1em; }
  .verdict { font-weight: bold; }
  .absent { color: #52606d; font-style: italic; }
  .exemples { display: flex; flex-wrap: wrap; gap: 1em; justify-content: center; }
  .exemples figure { flex: 0 1 17em; }
  .portraits { display: flex; flex-wrap: wrap; gap: 1em; justify-content: center; }
  figure { margin: 0.8em 0; text-align: center; }
  .portraits figure { flex: 1 1 26em; max-width: 36em; }
  figcaption { font-size: 0.9em; color: #52606d; margin-top: 0.3em; }
  svg { max-width: 100%; height: auto; background: #fff; }
  figure svg { width: 100%; }
  details { margin: 0.6em 0; border: 1px solid var(--filet); border-radius: 4px; padding: 0.3em 0.8em; background: #fff; }
  summary { cursor: pointer; font: 700 0.95em/1.5 "DejaVu Sans", Arial, sans-serif; color: var(--bleu); }
  .compte-rendu { white-space: pre-wrap; font: 0.84em/1.45 "DejaVu Sans Mono", Consolas, monospace;
                  background: #efece2; padding: 0.6em 0.9em; margin: 0.4em 0; }
  footer { margin-top: 2.5em; border-top: 1px solid var(--filet); font-size: 0.85em; color: #52606d; }
  @page { size: A4; margin: 14mm 12mm; }
  @media print {
    html, body { background: #fff; }
    body { max-width: none; padding: 0; font-size: 10pt; }
    nav { display: none; }
    a { color: inherit; text-decoration: none; }
    h2, h3 { break-after: avoid; page-break-after: avoid; }
    figure, tr, table.proprietes, .formule, .verdict, #portraits { break-inside: avoid; page-break-inside: avoid; }
    .portraits { flex-wrap: nowrap; }
    .portraits figure { flex: 1 1 50%; }
    details { border: none; padding: 0; }
    details::details-content { content-visibility: visible; display: block; }
    #calculs { break-before: page; page-break-before: always; }
  }
)";

} // namespace

std::string InlineSvg(const std::string& svg, const std::string& idPrefix)
{
    std::string s = svg;
    if (s.rfind("<?xml", 0) == 0) s.erase(0, s.find("?>") == std::string::npos ? 0 : s.find("?>") + 2);
    while (!s.empty() && (s.front() == '\n' || s.front() == ' '))
        s.erase(0, 1);
    const std::string ns = " xmlns=\"http://www.w3.org/2000/svg\"";
    for (size_t at; (at = s.find(ns)) != std::string::npos;)
        s.erase(at, ns.size());
    const auto prefixAll = [&](const std::string& from, const std::string& to) {
        for (size_t at = 0; (at = s.find(from, at)) != std::string::npos; at += to.size())
            s.replace(at, from.size(), to);
    };
    prefixAll(" id=\"", " id=\"" + idPrefix + "-");
    prefixAll("url(#", "url(#" + idPrefix + "-");
    return s;
}

std::string BuildPage(const PageInput& in)
{
    static const Json kEmpty = Json::MakeObject();
    const Json& result = in.result ? *in.result : kEmpty;
    const Json::Array& vars = Items(Get(Get(&result, "input"), "variables"));
    const std::string x = vars.size() == 2 ? Escape(Text(&vars[0])) : "x";
    const std::string y = vars.size() == 2 ? Escape(Text(&vars[1])) : "y";

    PageInput with = in;
    with.result = &result;
    std::vector<Section> sections;
    for (Section s : { Nature(result), FixedPoints(with), Portraits(with), PeriodicOrbits(result),
             Hamiltonian(result), Discussion(with), Calculations(with) })
        if (!s.body.empty()) sections.push_back(std::move(s));

    std::string title = "Étude du système d" + x + "/dt = " + Text(result.find("P")) + ", d" + y
        + "/dt = " + Text(result.find("Q"));
    std::ostringstream out;
    out << "<!DOCTYPE html>\n<html lang=\"fr\">\n<head>\n<meta charset=\"utf-8\">\n"
        << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" << Prose(title)
        << "</title>\n<style>" << kStyle << "</style>\n</head>\n<body>\n"
        << Header(result, x, y);
    if (const Json* error = result.find("error"); Present(error))
        out << "<p class=\"verdict\">" << Prose(Text(error->find("message"))) << "</p>\n";
    out << "<nav id=\"sommaire\" aria-label=\"Sommaire\">\n<h2>Sommaire</h2>\n<ol>\n";
    for (const Section& s : sections)
        out << "<li><a href=\"#" << s.id << "\">" << Prose(s.title) << "</a></li>\n";
    out << "</ol>\n</nav>\n\n<main>\n";
    for (size_t k = 0; k < sections.size(); ++k)
        out << "<section id=\"" << sections[k].id << "\">\n<h2>" << k + 1 << ". " << Prose(sections[k].title)
            << "</h2>\n"
            << sections[k].body << "</section>\n\n";
    out << "</main>\n\n<footer>\n<p>"
        << Prose("Page produite par vindrel-analyse --report. À l’impression, "
                 "les comptes rendus repliés s’impriment dépliés quand le "
                 "navigateur le permet ; sinon, dépliez-les avant d’imprimer.")
        << "</p>\n<p><a href=\"#sommaire\">Retour au sommaire</a></p>\n</footer>\n</body>\n</html>\n";
    return out.str();
}

} // namespace vindrel::page
