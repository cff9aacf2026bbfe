// French texts of the blow-up, for the reports (only characters the front
// end decodes: ASCII and é è ê ë ç à â ä û ù ü ï î ô ö ²; no capital accents).
#pragma once

#include "engine/classify/classify_texts.h"
#include "engine/nature.h"
#include "engine/poly/number_text.h"

#include <string>
#include <vector>

namespace vindrel::engine::blowup::texts {

inline constexpr const char* kFocusOnDivisor = "valeurs propres complexes sur le diviseur";
inline constexpr const char* kIrrationalSaddle = "col à directions propres irrationnelles";
inline constexpr const char* kIrrationalDegenerate
    = "un point non élémentaire du diviseur a une coordonnée irrationnelle";
inline constexpr const char* kDicriticalOpen
    = "toutes les directions sont caractéristiques et le facteur commun de P et Q de plus bas degré "
      "s'annule sur une droite réelle";
inline constexpr const char* kNodeOnDivisor = "noeud (valeurs propres de même signe)";
inline constexpr const char* kSaddleOnDivisor = "col (valeurs propres de signes opposés)";
inline constexpr const char* kVerticalPoint = "point (0 ; 0) de la carte x = u*v, y = v (direction x = 0)";
inline constexpr const char* kNoOrbitReaches
    = " Aucune orbite n'atteint le point : tous les points du diviseur n'ont que des secteurs "
      "hyperboliques, les orbites tournent autour du point (point monodromique).";
inline constexpr const char* kStepsLead
    = "La linéarisation ne décide pas : on remplace le point par le cercle de ses directions (éclatement), "
      "autant de fois qu'il le faut.";
inline constexpr const char* kCentreOrFocusOpen
    = " Le point est un centre ou un foyer (non déterminé : aucune preuve de centre trouvée).";

inline std::string FlatCentreManifold(int n)
{
    return "sur la variété centrale d'un point du diviseur, la dynamique est nulle jusqu'à l'ordre "
        + std::to_string(n);
}

inline std::string DepthReached(int depth)
{
    return "plus de " + std::to_string(depth) + " éclatements successifs seraient nécessaires";
}

inline std::string Stab(bool stable)
{
    return stable ? " stable" : " instable";
}

inline std::string NodeSummary(bool stable, const std::string& t, const std::string& d)
{
    return "noeud" + Stab(stable) + " (T = " + t + ", D = " + d + ")";
}

inline std::string SaddleSummary(const std::string& t, const std::string& d)
{
    return "col (T = " + t + ", D = " + d + " < 0)";
}

inline std::string DicriticalSummary(bool stable)
{
    return "noeud" + Stab(stable) + " (toutes les directions sont caractéristiques)";
}

inline std::string DicriticalSectorsSummary(const std::string& sectors)
{
    return "point dicritique (toutes les directions sont caractéristiques) : secteurs " + sectors;
}

// k: order of the reduced equation; withStrong: the centre manifold flows as the strong direction.
inline std::string SemiHyperbolicSummary(
    int k, bool withStrong, bool strongStable, const std::string& lead, const std::string& t)
{
    std::string name;
    if (k % 2 == 0)
        name = "col-noeud";
    else if (withStrong)
        name = "noeud" + Stab(strongStable);
    else
        name = "col";
    return name + " (valeurs propres 0 et " + t + ", variété centrale : w' = " + lead + ")";
}

// alongDivisor: the divisor is the centre manifold; else the centre manifold crosses it.
inline std::string SemiHyperbolicOnDivisor(int k, bool alongDivisor)
{
    return std::string("point semi-hyperbolique, variété centrale ")
        + (alongDivisor ? "le diviseur" : "transverse au diviseur") + ", flot réduit d'ordre "
        + std::to_string(k) + (k % 2 == 0 ? " (col-noeud)" : "");
}

inline std::string PointOnDivisor(const std::string& v0)
{
    return "point (0 ; " + v0 + ")";
}

inline std::string IrrationalPointOnDivisor(double v0)
{
    return "point (0 ; v0), v0 = " + fp::ShortDecimal(v0) + " (à 10^-9 près)";
}

inline std::string BlownUpSummary(int m, const std::string& sectors)
{
    return std::string(m == 1 ? "partie linéaire nilpotente" : "partie linéaire nulle")
        + ", éclaté à son tour : secteurs " + (sectors.empty() ? "aucun (monodromique)" : sectors);
}

struct PointLine {
    std::string where, summary;
    bool vertical = false;
    std::string positive, negative; // sector letters of the two half-planes, in angular order
};

inline std::string FirstBlowup(int m, const std::string& form, bool flipped,
    const std::vector<PointLine>& points, const std::string& chart)
{
    const std::string ms = std::to_string(m);
    const std::string power = m == 2 ? "u" : "u^" + std::to_string(m - 1);
    std::string s = " Eclatement : on remplace le point par le cercle de ses directions. Dans la carte (de "
                    "nouvelles coordonnées u, v) x = u, "
                    "y = u*v, le champ"
        + (m == 1 ? std::string() : " divisé par " + power) + " s'écrit u' = P(u, u*v)"
        + (m == 1 ? std::string() : "/" + power) + ", v' = (Q(u, u*v) - v*P(u, u*v))/u"
        + (m == 1 ? "" : "^" + ms) + ", ici " + chart
        + " ; le diviseur u = 0 est invariant, et ses points singuliers sont les zéros réels "
        + "de F(1, v), F = x*Q" + ms + " - y*P" + ms + " = " + form + ".";
    bool vertical = false;
    for (const PointLine& p : points)
        vertical = vertical || p.vertical;
    if (vertical) s += " F est divisible par x : la direction x = 0 se lit dans la carte x = u*v, y = v.";
    if (flipped)
        s += " Pour u < 0 (la direction opposée), la division par une puissance impaire de u renverse le "
             "sens du temps.";
    s += " Points du diviseur :";
    for (std::size_t i = 0; i < points.size(); ++i) {
        const PointLine& p = points[i];
        s += std::string(i == 0 ? " " : " ; ") + p.where + " : " + p.summary + " ; secteurs du côté "
            + (p.vertical ? "y > 0 : " : "x > 0 : ") + (p.positive.empty() ? "-" : p.positive) + ", du côté "
            + (p.vertical ? "y < 0 : " : "x < 0 : ") + (p.negative.empty() ? "-" : p.negative);
    }
    s += ". Les secteurs se raccordent le long des arcs du diviseur : deux secteurs hyperboliques voisins "
         "d'un arc n'en font qu'un, un hyperbolique et un parabolique donnent un secteur parabolique, deux "
         "paraboliques de sens opposés un secteur elliptique.";
    return s;
}

inline std::string UPower(int p)
{
    return p == 1 ? "u" : "u^" + std::to_string(p);
}

// The chart of the weighted blow-up turned by k quarter turns, weights (a, b) of its own axes.
inline std::string WeightedChartName(int k, int a, int b)
{
    switch (k & 3) {
    case 0:
        return "x = " + UPower(a) + ", y = " + UPower(b) + "*v";
    case 1:
        return "x = -" + UPower(b) + "*v, y = " + UPower(a);
    case 2:
        return "x = -" + UPower(a) + ", y = -" + UPower(b) + "*v";
    default:
        return "x = " + UPower(b) + "*v, y = -" + UPower(a);
    }
}

// exact: v0 as a fraction, or empty for an irrational v0 known by its value.
inline std::string WeightedPoint(int k, int a, int b, const std::string& exact, double v0)
{
    const std::string at = exact.empty() ? IrrationalPointOnDivisor(v0) : PointOnDivisor(exact);
    return at + " de la carte " + WeightedChartName(k, a, b);
}

inline std::string WeightedSummary(int m, int a, int b, const std::string& sectors)
{
    return std::string(m == 1 ? "partie linéaire nilpotente" : "partie linéaire nulle")
        + ", éclaté à son tour (éclatement pondéré de poids (" + std::to_string(a) + ", " + std::to_string(b)
        + ")) : secteurs " + (sectors.empty() ? "aucun (monodromique)" : sectors);
}

struct WeightedPointLine {
    std::string where, summary;
    std::string sectors; // the letters of the side u > 0
    std::string nested; // how it was blown up again, for the calculations
};

// d: the power of u by which the field is divided (multiplied when negative).
inline std::string FirstWeightedBlowup(
    int a, int b, int d, const std::string& field, const std::vector<WeightedPointLine>& points)
{
    const std::string as = std::to_string(a), bs = std::to_string(b);
    std::string factor = a == 1 ? "" : " multiplié par " + as;
    if (d > 0) factor += (factor.empty() ? " divisé par " : " et divisé par ") + UPower(d);
    if (d < 0) factor += (factor.empty() ? " multiplié par " : "*") + UPower(-d);
    std::string s = " Eclatement pondéré (quasi homogène) de poids (" + as + ", " + bs
        + "), lus sur une arête du polygone de Newton de y*P et x*Q : on remplace le point par le cercle des "
          "courbes y = c*x^"
        + (a == 1 ? bs : "(" + bs + "/" + as + ")") + " (et x = 0). Dans la carte "
        + WeightedChartName(0, a, b) + " (u > 0, le côté x > 0), le champ" + factor + " s'écrit " + field
        + " ; le diviseur u = 0 est invariant, ses points singuliers sont les zéros réels de v'(0, v). Les "
          "cartes "
        + WeightedChartName(2, a, b) + " (côté x < 0), " + WeightedChartName(1, b, a) + " et "
        + WeightedChartName(3, b, a)
        + " (les deux points de la direction x = 0) couvrent le reste ; toutes gardent u > 0, l'orientation "
          "et le sens du temps.";
    s += " Points du diviseur :";
    if (points.empty()) s += " aucun";
    for (std::size_t i = 0; i < points.size(); ++i) {
        const WeightedPointLine& p = points[i];
        s += std::string(i == 0 ? " " : " ; ") + p.where + " : " + p.summary
            + " ; secteurs du côté u > 0 : " + (p.sectors.empty() ? "-" : p.sectors);
    }
    s += ". Les secteurs se raccordent le long des arcs du diviseur : deux secteurs hyperboliques voisins "
         "d'un arc n'en font qu'un, un hyperbolique et un parabolique donnent un secteur parabolique, deux "
         "paraboliques de sens opposés un secteur elliptique.";
    return s;
}

// line: "x = 0", or v0*x for the line y = v0*x ("0" for y = 0).
inline std::string DicriticalMoved(int m, const std::string& line)
{
    const std::string ms = std::to_string(m), next = std::to_string(m + 1);
    const bool vertical = line == "x = 0";
    return " Toutes les directions sont caractéristiques (P" + ms + " = x*R, Q" + ms
        + " = y*R), et sur la droite " + (vertical ? line : "y = " + line) + " R et G = x*Q" + next + " - y*P"
        + next + " s'annulent ensemble"
        + (line == "0" ? std::string(" ; l'éclatement pondéré sépare les orbites tangentes à cette droite.")
                       : std::string(" : on la ramène sur l'axe y = 0 par ")
                    + (vertical ? "le quart de tour X = y, Y = -x" : "X = x, Y = y - (" + line + ")")
                    + ", puis on renomme X, Y en x, y.");
}

// ---- the calculation step by step (tarnel2.res) ----

inline std::string StepLowest(int m, const std::string& pm, const std::string& qm)
{
    const std::string ms = std::to_string(m);
    return "Parties homogènes de plus bas degré (m = " + ms + ") : P" + ms + " = " + pm + ", Q" + ms + " = "
        + qm + ".";
}

// v0: the slope as a fraction.
inline std::string DirectionOf(const std::string& v0)
{
    if (v0 == "0" || v0 == "1" || v0 == "-1") return v0 == "0" ? "y = 0" : (v0 == "1" ? "y = x" : "y = -x");
    return "y = " + v0 + "*x";
}

inline std::string DirectionOfIrrational(double v0)
{
    return "y = v0*x (v0 = " + fp::ShortDecimal(v0) + ")";
}

inline std::string Joined(const std::vector<std::string>& parts, const std::string& none)
{
    if (parts.empty()) return none;
    std::string s;
    for (std::size_t i = 0; i < parts.size(); ++i)
        s += (i == 0 ? "" : ", ") + parts[i];
    return s;
}

inline std::string StepForm(int m, const std::string& form, const std::vector<std::string>& directions)
{
    const std::string ms = std::to_string(m);
    return "F = x*Q" + ms + " - y*P" + ms + " = " + form
        + " ; ses zéros réels sont les directions caractéristiques (celles où des orbites peuvent "
          "atteindre le point) : "
        + Joined(directions, "aucune") + ".";
}

inline std::string StepDicritical(int m, const std::string& r)
{
    const std::string ms = std::to_string(m);
    return "F = x*Q" + ms + " - y*P" + ms + " est identiquement nul : P" + ms + " = x*R, Q" + ms
        + " = y*R avec R = " + r + " ; toutes les directions sont caractéristiques (point dicritique).";
}

inline std::string StepPolar(int m, const std::string& g, const std::vector<std::string>& zeros)
{
    const std::string ms = std::to_string(m), next = std::to_string(m + 1);
    return "En coordonnées polaires, le champ divisé par r^" + ms
        + " s'écrit r' = R(cos(theta), sin(theta)) + O(r), theta' = G(cos(theta), sin(theta)) + O(r), avec G "
          "= "
          "x*Q"
        + next + " - y*P" + next + " = " + g
        + ". Là où R <> 0, les orbites traversent le cercle r = 0 : chaque direction est atteinte par une "
          "orbite "
          "(éventail parabolique) ; aux zéros de R ("
        + Joined(zeros, "aucun")
        + "), le signe de G dit si les orbites voisines forment un secteur hyperbolique ou elliptique.";
}

inline std::string StepNewton(const std::vector<std::string>& edges, int a, int b)
{
    return "Polygone de Newton de y*P et x*Q (les points (i, j + 1) des termes x^i*y^j de P et (i + 1, j) de "
           "ceux de Q) : arêtes de poids "
        + Joined(edges, "-") + ". L'arête de poids (" + std::to_string(a) + ", " + std::to_string(b)
        + "), la plus longue qui n'est pas de pente -1, donne l'éclatement pondéré x = " + UPower(a)
        + ", y = " + UPower(b) + "*v.";
}

inline std::string StepWeightedCharts(int d)
{
    const std::string factor
        = d > 0 ? " et divisé par " + UPower(d) : (d < 0 ? " et multiplié par " + UPower(-d) : std::string());
    return "Les quatre cartes (u > 0 ; les poids échangés dans la deuxième et la quatrième), le champ y "
           "étant "
           "multiplié par une constante positive"
        + factor + " ; le diviseur u = 0 y est invariant :";
}

inline std::string StepChart(const std::string& chart, const std::string& factor, const std::string& field)
{
    return "Carte " + chart + (factor.empty() ? "" : ", champ " + factor) + " : " + field + ".";
}

inline std::string StepPointsIntro(bool weighted)
{
    return std::string("Points singuliers du diviseur u = 0 (")
        + (weighted ? "zéros de v'(0, v)" : "zéros de F(1, v)") + ") et leur nature :";
}

inline std::string StepPoint(
    const std::string& where, const std::string& summary, const std::string& sides, const std::string& nested)
{
    return where + " : " + summary + " ; " + sides + (nested.empty() ? "" : " ; le calcul : " + nested) + ".";
}

inline std::string StepJoin(const std::string& letters)
{
    std::string arcs;
    for (std::size_t i = 0; i < letters.size(); ++i)
        arcs += std::string(i == 0 ? "" : ", ") + letters[i];
    return "Raccord le long des arcs du diviseur (deux secteurs hyperboliques voisins d'un arc n'en font "
           "qu'un, "
           "un hyperbolique et un parabolique donnent un parabolique, deux paraboliques de sens opposés un "
           "elliptique) : "
        + (arcs.empty() ? std::string("aucun arc ne porte de secteur")
                        : "les arcs portent, dans le sens "
                          "trigonométrique : "
                    + arcs)
        + ".";
}

inline std::string StepSectors(const std::string& sectors)
{
    return "Secteurs autour du point, dans le sens trigonométrique : " + sectors + " ("
        + classify::texts::SectorWords(sectors) + ").";
}

inline std::string StepIndex(int e, int h, int index)
{
    return "Indice par la formule de Bendixson : 1 + (e - h)/2 = 1 + (" + std::to_string(e) + " - "
        + std::to_string(h) + ")/2 = " + std::to_string(index) + ".";
}

// A point of the first divisor blown up again, in one paragraph.
inline std::string Nested(
    const std::string& chart, const std::string& field, const std::vector<std::string>& points)
{
    return "carte " + chart + ", " + field + " ; points du nouveau diviseur : " + Joined(points, "aucun");
}

// The sector carried by each arc of the divisor, in the order of the angle.
inline std::string Arcs(const std::string& letters)
{
    if (letters.empty()) return "";
    std::string s = " Le long des arcs successifs du diviseur (dans le sens trigonométrique) : ";
    for (std::size_t i = 0; i < letters.size(); ++i)
        s += std::string(i == 0 ? "" : ", ") + letters[i];
    return s + ".";
}

inline std::string Conclusion(const std::string& sectors, int e, int h, int index)
{
    return " Secteurs autour du point, dans le sens trigonométrique : " + sectors + " ("
        + classify::texts::SectorWords(sectors) + "). Indice (formule de Bendixson) : 1 + (e - h)/2 = 1 + ("
        + std::to_string(e) + " - " + std::to_string(h) + ")/2 = " + std::to_string(index) + ".";
}

inline std::string Undecided(const std::string& why)
{
    return " L'éclatement ne conclut pas (" + why + ") : nature non déterminée.";
}

inline std::string Lead(LinearPart part)
{
    switch (part) {
    case LinearPart::Zero:
        return "Partie linéaire nulle.";
    case LinearPart::Nilpotent:
        return "Partie linéaire nilpotente (T = D = 0, J <> 0).";
    case LinearPart::SemiHyperbolic:
        return "Partie linéaire semi-hyperbolique (D = 0, T <> 0).";
    default:
        return "Point non hyperbolique.";
    }
}

} // namespace vindrel::engine::blowup::texts
