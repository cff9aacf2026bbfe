// Texts of the local classification: short ASCII reasons for the JSON and
// French sentences for the reports (only characters the front end decodes:
// ASCII and é è ê ë ç à â ä û ù ü ï î ô ö ²).
#pragma once

#include "engine/nature.h"

#include <optional>
#include <string>
#include <vector>

namespace vindrel::engine::classify::texts {

inline constexpr const char* kReasonHamiltonian = "Hamiltonien";
inline constexpr const char* kReasonReversible = "reversible";
inline constexpr const char* kReasonFirstIntegral = "integrale premiere";

inline constexpr const char* kHamiltonianExplanation
    = "La divergence est identiquement nulle : le système est hamiltonien, et le point est un centre.";

inline std::string ReversibleExplanation(const std::string& axis, const std::string& reversed)
{
    return "Le système est réversible : il est invariant par la symétrie d'axe " + axis
        + " parallèlement à la droite " + reversed
        + ", accompagnée du changement de t en -t ; le point est donc un centre.";
}

inline std::string FirstIntegralExplanation(const std::string& h)
{
    return "H = " + h + " est une intégrale première polynomiale : le point est un centre.";
}

inline std::string IntegratingFactorExplanation(const std::string& m)
{
    return "M = " + m
        + " est un facteur intégrant qui ne s'annule pas au point : le système a une intégrale "
          "première au voisinage, et le point est un centre.";
}

inline std::string InverseFactorExplanation(const std::string& v)
{
    return "1/V, avec V = " + v
        + ", est un facteur intégrant défini au voisinage du point (V ne s'y annule pas) : le système a une "
          "intégrale première au voisinage, et le point est un centre.";
}

// ---- nilpotent points (Andreev's theorem) ----

inline constexpr const char* kNilpotentIntro = "Partie linéaire nilpotente (T = D = 0, J <> 0).";
inline constexpr const char* kMonodromicProven = " Le point est un centre ou un foyer. ";
inline constexpr const char* kMonodromicUnproven
    = " Le point est un centre ou un foyer (non déterminé : aucune preuve de centre trouvée).";

// "Andreev: n = 3, m = 1" or "Andreev: n = 3, G = 0".
inline std::string AndreevReason(int alpha, std::optional<int> beta)
{
    return "Andreev: n = " + std::to_string(alpha)
        + (beta ? ", m = " + std::to_string(*beta) : std::string(", G = 0"));
}

// leadF, leadG: the leading terms as text ("-x^3 + ..."); no leadG when G
// vanishes up to the computed order.
inline std::string AndreevStatement(const std::string& leadF, int alpha,
    const std::optional<std::string>& leadG, std::optional<int> beta, int order)
{
    return std::string(" Théorème d'Andreev : F(x) = ") + leadF + " (n = " + std::to_string(alpha)
        + ") et G(x) = "
        + (leadG && beta ? *leadG + " (m = " + std::to_string(*beta) + ")"
                         : "0 jusqu'à l'ordre " + std::to_string(order))
        + ".";
}

inline std::string AndreevFlatReason(int order)
{
    return "Andreev: F = O(x^" + std::to_string(order + 1) + ")";
}

inline std::string AndreevFlatExplanation(int order)
{
    return " F(x) = Y(x, f(x)) est nulle jusqu'à l'ordre " + std::to_string(order)
        + " : nature non déterminée.";
}

inline std::string Count(int n, const char* one, const char* many)
{
    static const char* words[] = { "zéro", "un", "deux", "trois", "quatre", "cinq", "six", "sept", "huit",
        "neuf", "dix", "onze", "douze" };
    const std::string w = n >= 0 && n <= 12 ? words[n] : std::to_string(n);
    return w + " " + (n == 1 ? one : many);
}

// "deux secteurs elliptiques", "un secteur elliptique et un secteur hyperbolique".
inline std::string SectorWords(const std::string& sectors)
{
    if (sectors.empty()) return "aucun secteur (point monodromique)";
    int e = 0, h = 0, p = 0;
    for (char c : sectors) {
        e += c == 'e';
        h += c == 'h';
        p += c == 'p';
    }
    std::vector<std::string> parts;
    if (e) parts.push_back(Count(e, "secteur elliptique", "secteurs elliptiques"));
    if (h) parts.push_back(Count(h, "secteur hyperbolique", "secteurs hyperboliques"));
    if (p) parts.push_back(Count(p, "secteur parabolique", "secteurs paraboliques"));
    std::string s;
    for (std::size_t i = 0; i < parts.size(); ++i)
        s += (i == 0 ? "" : (i + 1 == parts.size() ? " et " : ", ")) + parts[i];
    return s;
}

// "col", "noeud stable", "foyer faible instable d'ordre 2", ...
inline std::string TypeName(const Nature& n)
{
    auto stab = [&n](const char* base) {
        std::string s = base;
        if (n.stability == Stability::Stable) s += " stable";
        if (n.stability == Stability::Unstable) s += " instable";
        return s;
    };
    switch (n.type) {
    case PointType::Saddle:
        return "col";
    case PointType::Node:
        return stab("noeud");
    case PointType::StarNode:
        return stab("noeud propre");
    case PointType::DegenerateNode:
        return stab("noeud dégénéré");
    case PointType::Focus:
        return stab("foyer");
    case PointType::Center:
        return "centre";
    case PointType::WeakFocus:
        return stab("foyer faible") + " d'ordre " + std::to_string(n.order.value_or(0));
    case PointType::SaddleNode:
        return "col-noeud";
    case PointType::Cusp:
        return "point de rebroussement";
    case PointType::EllipticSaddle:
        return "point col-elliptique (un secteur elliptique et un secteur hyperbolique)";
    case PointType::Degenerate:
        return n.sectors ? "point dégénéré (" + SectorWords(*n.sectors) + ")" : "point dégénéré";
    case PointType::Undetermined:
        return "nature non déterminée";
    }
    return "";
}

} // namespace vindrel::engine::classify::texts
