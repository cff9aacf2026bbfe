// Every French text of the fixed-point area, in one place: the reports
// dovra.res and skellin.res, the rules of the linear classification, the
// limits and the refusal of literal constants. Only characters a result file
// can carry (ASCII and é è ê ë ç à â ä û ù ü ï î ô ö ²).
#pragma once

#include "engine/nature.h"
#include "engine/tool/deadline.h"

#include <string>

namespace vindrel::engine::fp::texts {

// dovra.res
inline constexpr const char* kHeading = "Points fixes du système (degré ";
inline constexpr const char* kWholePlane = "P = Q = 0 : tous les points du plan sont fixes.";
inline constexpr const char* kCurve = "Courbe de points fixes : ";
inline constexpr const char* kNoPoint = "Aucun point fixe réel isolé.";
inline constexpr const char* kOnePoint = "Un point fixe réel isolé :";
inline constexpr const char* kSeveralPoints = " points fixes réels isolés :";
inline constexpr const char* kPoint = "Point ";
inline constexpr const char* kJacobian = "  matrice jacobienne : [";
inline constexpr const char* kTrace = "  trace T = ";
inline constexpr const char* kDeterminant = ", déterminant D = ";
inline constexpr const char* kDiscriminant = ", T² - 4D = ";
inline constexpr const char* kEigenvalues = "  valeurs propres : lambda1 = ";
inline constexpr const char* kSecondEigenvalue = ", lambda2 = ";
inline constexpr const char* kNature = "  nature : ";
inline constexpr const char* kNonReal = "Solutions non réelles (sans multiplicité) : ";

// Partial results
inline constexpr const char* kNotCertified = "Les points fixes isolés n'ont pas été certifiés : ";
inline std::string TimeUp(std::chrono::milliseconds announced)
{
    return "le temps permis (" + BudgetWords(announced) + ") est dépassé.";
}
inline constexpr const char* kCurvesCertified
    = "Les courbes de points fixes ci-dessus et les points à l'infini sont certifiés.";
inline constexpr const char* kCurvesUnknown
    = "Les courbes de points fixes n'ont pas été déterminées ; les points à l'infini sont certifiés.";
inline constexpr const char* kNotSeparated = "aucune des projections essayées ne les sépare.";
inline constexpr const char* kPrecisionTooHigh = "la précision nécessaire dépasse 65536 bits.";

// Linear classification: the rule that decided, for the reports
inline constexpr const char* kRuleSaddle = "déterminant < 0";
inline constexpr const char* kRuleNode = "déterminant > 0 et T² - 4D > 0";
inline constexpr const char* kRuleStarNode = "T² - 4D = 0 et matrice jacobienne scalaire";
inline constexpr const char* kRuleDegenerateNode = "T² - 4D = 0 et matrice jacobienne non scalaire";
inline constexpr const char* kRuleFocus = "T² - 4D < 0 et trace non nulle";
inline constexpr const char* kTraceNegative = ", trace < 0";
inline constexpr const char* kTracePositive = ", trace > 0";
inline constexpr const char* kUndetermined = "nature non déterminée";
inline constexpr const char* kUndeterminedImaginary = "nature non déterminée par la partie linéaire (valeurs "
                                                      "propres imaginaires pures : centre ou foyer faible)";
inline constexpr const char* kUndeterminedSemi
    = "nature non déterminée par la partie linéaire (une valeur propre nulle : point semi-hyperbolique)";
inline constexpr const char* kUndeterminedNilpotent
    = "nature non déterminée par la partie linéaire (partie linéaire nilpotente)";
inline constexpr const char* kUndeterminedZero
    = "nature non déterminée par la partie linéaire (partie linéaire nulle)";
inline constexpr const char* kNoBlowupAtIrrationalPoint
    = " ; l'éclatement dans le corps de nombres du point dépasse les limites de précision ou de temps : "
      "nature non déterminée";

inline const char* TypeWord(PointType t)
{
    switch (t) {
    case PointType::Saddle:
        return "col";
    case PointType::Node:
        return "noeud";
    case PointType::StarNode:
        return "noeud étoilé";
    case PointType::DegenerateNode:
        return "noeud dégénéré";
    case PointType::Focus:
        return "foyer";
    case PointType::Center:
        return "centre";
    case PointType::WeakFocus:
        return "foyer faible";
    case PointType::SaddleNode:
        return "col-noeud";
    case PointType::Cusp:
        return "point de rebroussement";
    case PointType::EllipticSaddle:
        return "col elliptique";
    case PointType::Degenerate:
        return "point dégénéré";
    case PointType::Undetermined:
        return kUndetermined;
    }
    return "";
}
inline constexpr const char* kOrder = " d'ordre ";
inline constexpr const char* kStable = " stable";
inline constexpr const char* kUnstable = " instable";

// skellin.res
inline constexpr const char* kNoPointAtInfinity = "0";
inline constexpr const char* kInfinityHeading = "Points à l'infini (compactification de Poincaré) :";
inline constexpr const char* kLineOfSingularities = "l'infini est une ligne de singularités";
inline constexpr const char* kLineOfSingularitiesDivided
    = "l'infini est une ligne de singularités : x*Q_d - y*P_d est identiquement nul. On étudie le champ "
      "de chaque carte divisé par v, qui s'annule sur tout le cercle de l'infini ; ses points singuliers "
      "sur le cercle sont les suivants.";
inline constexpr const char* kNoSingularPointDivided
    = "Le champ divisé par v n'a aucun point singulier sur le cercle de l'infini : les orbites le "
      "traversent.";
inline constexpr const char* kDividedByV = "champ divisé par v : ";
inline constexpr const char* kOppositePairs
    = "chaque direction donne deux points opposés du cercle de l'infini.";
inline constexpr const char* kDirection = "  direction ";
inline constexpr const char* kAxisOf = " = 0 (axe des ";
inline constexpr const char* kSlopeIs = " avec m = ";

// skellin.res: the nature of the points at infinity
// "Degré 2 (pair) : le point opposé a la même nature, de stabilité inverse."
inline std::string OppositeRule(int degree)
{
    const std::string d = "Degré " + std::to_string(degree);
    return degree % 2 == 0 ? d + " (pair) : le point opposé a la même nature, de stabilité inverse."
                           : d + " (impair) : le point opposé a la même nature et la même stabilité.";
}

// The field divided by v is the compactification of exponent d - 1.
inline std::string OppositeRuleDivided(int degree)
{
    const std::string d = "Champ divisé par v (exposant " + std::to_string(degree - 1);
    return (degree - 1) % 2 == 0 ? d + ", pair) : le point opposé a la même nature, de stabilité inverse."
                                 : d + ", impair) : le point opposé a la même nature et la même stabilité.";
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

// Literal constants
inline constexpr const char* kNumericOnly = "durmosk ne traite que des systèmes à coefficients numériques : ";
inline constexpr const char* kOneConstant = "la constante littérale ";
inline constexpr const char* kSeveralConstants = "les constantes littérales ";
inline constexpr const char* kAnd = " et ";
inline constexpr const char* kOneHasNoValue = " n'a pas de valeur.\nDonnez-lui une valeur numérique";
inline constexpr const char* kSeveralHaveNoValue
    = " n'ont pas de valeur.\nDonnez-leur des valeurs numériques";
inline constexpr const char* kToGetThePoints = " pour obtenir les points fixes.";

} // namespace vindrel::engine::fp::texts
