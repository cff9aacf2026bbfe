// The French texts of the discussion, in one place. Only characters that the
// result files can carry: ASCII and é è ê ë ç à â ä û ù ü ï î ô ö ².
#pragma once

#include <string>

namespace vindrel::engine::discussion::texts {

inline std::string Title(const std::string& a)
{
    return "DISCUSSION SELON LES VALEURS DE " + a;
}
inline std::string OneConstant(const std::string& a)
{
    return "Le système contient la constante littérale " + a
        + " : l'étude est une discussion selon les "
          "valeurs de "
        + a + ".";
}
inline constexpr const char* kCriticalValues = "Valeurs critiques de ";
inline constexpr const char* kNoCriticalValue
    = "Aucune valeur critique : la nature des points fixes est la même pour "
      "toutes les valeurs de ";
inline std::string Why(const std::string& a)
{
    return "Entre deux valeurs critiques consécutives, aucun point fixe n'apparaît, ne disparaît, ne se "
           "confond avec un autre ni ne part à l'infini, et la trace T, le déterminant D et T² - 4D gardent "
           "leur signe en chaque point fixe : la nature des points est celle trouvée pour la valeur "
           "d'exemple "
           "de l'intervalle. Chaque valeur critique est étudiée à part ; une valeur où rien ne change n'est "
           "pas "
           "retenue. Les valeurs candidates sont les racines réelles de polynômes en "
        + a + " (résultants et discriminants), isolées exactement.";
}
inline constexpr const char* kIf = "Si ";
inline constexpr const char* kGaveUp
    = "La discussion demande trop de calculs pour le temps permis (10 secondes) : elle n'est pas faite ici. "
      "Essayez un système plus simple (degré plus petit, constante dans moins de coefficients).";
inline constexpr const char* kEveryValue = "Pour toute valeur de ";
inline constexpr const char* kNoPoint = "aucun point fixe";
inline constexpr const char* kOnePoint = "un point fixe";
inline constexpr const char* kPoints = " points fixes";
inline constexpr const char* kWholePlane = "P = Q = 0 : tous les points du plan sont fixes";
inline constexpr const char* kCurve = "courbe de points fixes ";
inline constexpr const char* kNotStudied = "cas limite non étudié (valeur irrationnelle)";
inline constexpr const char* kNotCertified = "les points fixes n'ont pas pu être certifiés";
inline std::string CoordinatesAt(const std::string& a, const std::string& v, bool approximate)
{
    return std::string(approximate ? " (coordonnées approchées pour " : " (coordonnées pour ") + a + " = " + v
        + ")";
}
inline constexpr const char* kApproximate = " (coordonnées approchées)";
inline constexpr const char* kDecimalValues
    = " Les valeurs décimales sont des racines irrationnelles, arrondies à 10 chiffres significatifs.";
inline std::string OnlyAtSample(const std::string& a, const std::string& v)
{
    return "  La partie linéaire ne décide pas seule : la nature ci-dessus est établie pour " + a + " = " + v
        + " seulement.";
}
inline std::string ComplexPoints(int n)
{
    return n == 1 ? "une solution non réelle" : std::to_string(n) + " solutions non réelles";
}
inline std::string Example(const std::string& a, const std::string& v)
{
    return " (exemple : " + a + " = " + v + ")";
}

// With two constants or more.
inline std::string SeveralConstants(const std::string& names)
{
    return "La discussion selon les valeurs d'une constante ne traite qu'une seule constante littérale ; "
           "ce système en contient plusieurs : "
        + names + ".";
}
inline constexpr const char* kGiveValues
    = "Donnez une valeur numérique à toutes les constantes sauf une pour obtenir la discussion ; seule la "
      "recherche d'un hamiltonien (bouton Hamiltonien?) traite plusieurs constantes.";

// skellin.res with one constant.
inline std::string InfinityNotDiscussed(const std::string& a)
{
    return "Les points à l'infini ne sont pas discutés selon " + a + " : donnez une valeur numérique à " + a
        + " pour les obtenir.";
}

// tarnel2.res
inline constexpr const char* kCalculationsTitle = "CALCULS DE LA DISCUSSION";
inline constexpr const char* kJacobian = "Matrice jacobienne : J = [";
inline constexpr const char* kCandidates
    = "Valeurs candidates : les racines réelles des polynômes suivants en ";
inline constexpr const char* kNoCandidate
    = "Aucun polynôme en la constante ne s'annule : aucune valeur candidate.";
inline constexpr const char* kRoots = "racines réelles : ";
inline constexpr const char* kNone = "aucune";
inline constexpr const char* kRationalPoints = "Points fixes rationnels en ";
inline constexpr const char* kNoRationalPoint = "Aucun point fixe n'est une fonction rationnelle de ";
inline constexpr const char* kPoint = "Point ";
inline constexpr const char* kSigns = "Tableau des signes :";
inline constexpr const char* kOtherPoints
    = "Les autres points fixes ne sont pas des fonctions rationnelles de ";
inline constexpr const char* kAtSamples = " : leurs calculs sont faits aux valeurs d'exemple, ci-dessous.";
inline constexpr const char* kCaseByCase = "Cas par cas (aux valeurs d'exemple) :";
inline constexpr const char* kUndefined = "||";

// dovra.res
inline std::string DovraHeading(const std::string& a)
{
    return "Points fixes du système selon la constante " + a;
}
inline std::string AsFunction(const std::string& a)
{
    return "  en fonction de " + a + " : ";
}

} // namespace vindrel::engine::discussion::texts
