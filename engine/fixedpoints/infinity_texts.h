// French texts of the nature of the points at infinity in skellin.res, and
// the short ASCII reasons of the JSON. Only characters a result file can
// carry (ASCII and é è ê ë ç à â ä û ù ü ï î ô ö ²).
#pragma once

#include <string>

namespace vindrel::engine::fp::texts {

// "Degré 2 (pair) : le point opposé a la même nature, de stabilité inverse."
inline std::string OppositeRule(int degree)
{
    const std::string d = "Degré " + std::to_string(degree);
    return degree % 2 == 0 ? d + " (pair) : le point opposé a la même nature, de stabilité inverse."
                           : d + " (impair) : le point opposé a la même nature et la même stabilité.";
}

inline constexpr const char* kBothPoints = "les deux points : ";
inline constexpr const char* kSide = "côté ";
inline constexpr const char* kPositiveSide = " > 0 : ";
inline constexpr const char* kNegativeSide = " < 0 : ";

// "carte u = y/x, v = 1/x, point (2 ; 0) : "
inline std::string ChartText(const std::string& u, const std::string& v, const std::string& num,
    const std::string& den, const std::string& u0)
{
    return "carte " + u + " = " + num + "/" + den + ", " + v + " = 1/" + den + ", point (" + u0 + " ; 0) : ";
}

inline constexpr const char* kLambda1 = "valeurs propres lambda1 = ";
inline constexpr const char* kAlongInfinity = " (le long de l'infini) et lambda2 = ";
inline constexpr const char* kTransverse = " (transverse), ";
inline constexpr const char* kOppositeSigns = "de signes opposés : col.";
inline constexpr const char* kSameSign = "distinctes et de même signe : noeud";
inline constexpr const char* kEqualDiagonal = "égales, partie linéaire diagonale : noeud étoilé";
inline constexpr const char* kEqualNotDiagonal = "égales, partie linéaire non diagonale : noeud dégénéré";
inline constexpr const char* kStableEnd = " stable.";
inline constexpr const char* kUnstableEnd = " instable.";

// The circle at infinity (v = 0) is invariant: when lambda1 = 0 it is a
// centre manifold and u' = h(u) on it decides.
inline std::string CentreManifoldText(const std::string& lambda2, int order, bool positive)
{
    return std::string("valeurs propres lambda1 = 0 (le long de l'infini) et lambda2 = ") + lambda2
        + " (transverse) ; le cercle de l'infini (v = 0) est invariant, c'est une variété centrale ; "
          "sur lui, u' s'annule à l'ordre "
        + std::to_string(order) + " au point, avec un coefficient " + (positive ? "positif" : "négatif")
        + " : ";
}
inline constexpr const char* kEvenOrder = "ordre pair : col-noeud.";
inline constexpr const char* kOddOppositeSign
    = "ordre impair, coefficient et lambda2 de signes opposés : col.";
inline constexpr const char* kOddSameSign = "ordre impair, coefficient et lambda2 de même signe : noeud";

// "au point ramené à l'origine (x = u + 1, y = v) : ", the local classification
// naming its coordinates x and y.
inline std::string LocalAnalysis(const std::string& shiftedU, const std::string& v)
{
    return "au point ramené à l'origine (x = " + shiftedU + ", y = " + v + ") : ";
}

inline constexpr const char* kSemiHyperbolicOpen
    = " : point semi-hyperbolique dont la variété centrale n'est pas le cercle de l'infini";
inline constexpr const char* kNilpotentOpen = "partie linéaire nilpotente";
inline constexpr const char* kZeroOpen = "partie linéaire nulle";
inline constexpr const char* kIrrationalPoint = ", en un point de coordonnée irrationnelle";
inline constexpr const char* kNotDetermined = " : nature non déterminée.";

} // namespace vindrel::engine::fp::texts
