// The French texts of the general analysis, in one place. Only characters
// that the result files can carry: ASCII and é è ê ë ç à â ä û ù ü ï î ô ö ².
#pragma once

#include <string>

namespace vindrel::engine::general::msg {

// Titles.
inline const std::string kConclusionsTitle = "ETUDE GENERALE DU SYSTEME";
inline const std::string kCalculationsTitle = "CALCULS EXPLICATIFS";
inline const std::string kNatureTitle = "NATURE DU SYSTEME";
inline const std::string kPointsTitle = "POINTS FIXES";
inline const std::string kDivergenceTitle = "DIVERGENCE";
inline const std::string kIndexTitle = "THEORIE DE L'INDICE";
inline const std::string kLinesTitle = "DROITES INVARIANTES";
inline const std::string kPeriodicTitle = "ORBITES PERIODIQUES";
inline const std::string kJacobianTitle = "MATRICE JACOBIENNE";

// Literal constants.
inline const std::string kParametersPrefix = "Le système contient des constantes littérales : ";
inline const std::string kParametersNeedNumbers
    = "L'étude générale demande des coefficients numériques : elle n'est pas faite ici.";
inline const std::string kParametersSeeHamiltonian
    = "Cliquez le bouton Hamiltonien? : il traite les constantes littérales.";
inline const std::string kParametersDivZero
    = "La divergence est nulle pour toutes les valeurs des constantes : le système est hamiltonien.";
inline const std::string kParametersDivNeverZero
    = "La divergence n'est nulle pour aucune valeur des constantes : le système n'est pas hamiltonien.";
inline const std::string kParametersDivDepends
    = "La divergence dépend des constantes : le bouton Hamiltonien? donne les conditions pour qu'elle "
      "soit nulle.";

// Nature of the system.
inline const std::string kZeroSystem
    = "Les deux composantes sont nulles : tous les points du plan sont fixes.";
inline const std::string kDegreePrefix = "Le système est de degré ";
inline const std::string kLinear = "Il est linéaire";
inline const std::string kNotLinear = "Il n'est pas linéaire.";
inline const std::string kHamiltonian
    = "Il est hamiltonien : sa divergence est identiquement nulle, il est donc conservatif.";
inline const std::string kNotHamiltonian
    = "Il n'est pas hamiltonien : sa divergence n'est pas identiquement nulle.";
inline const std::string kGradient = "C'est un système de gradient : dP/dy = dQ/dx.";
inline const std::string kNotGradient = "Ce n'est pas un système de gradient : dP/dy <> dQ/dx.";
inline const std::string kHomogeneous = "Il est homogène : P et Q sont homogènes de même degré.";
inline const std::string kNotHomogeneous = "Il n'est pas homogène.";
inline const std::string kLotkaVolterra
    = "C'est un système de Lotka-Volterra : P = x(a + bx + cy) et Q = y(d + ex + fy).";
inline const std::string kNotLotkaVolterra = "Ce n'est pas un système de Lotka-Volterra.";
inline const std::string kSymmetryPrefix = "Il est réversible pour la symétrie ";
inline const std::string kCentralSymmetry
    = "Il est invariant par la symétrie centrale (x, y, t) -> (-x, -y, t) : les trajectoires sont "
      "symétriques par rapport à l'origine.";
inline const std::string kNoSymmetry
    = "Aucune des symétries (x, -y, -t), (-x, y, -t), (-x, -y, t) ne le conserve.";
inline const std::string kCommonFactorPrefix = "P et Q ont le facteur commun ";
inline const std::string kCommonFactorSuffix = " : ses points réels sont des points fixes non isolés.";
inline const std::string kIsolatedFactorSuffix
    = ", qui ne s'annule sur aucune courbe réelle : ses points réels sont des points fixes isolés.";

// Fixed points.
inline const std::string kNoFixedPoint = "Le système n'a aucun point fixe.";
inline const std::string kOneFixedPoint = "Le système a un seul point fixe.";
inline const std::string kSomeFixedPointsPrefix = "Le système a ";
inline const std::string kSomeFixedPointsSuffix = " points fixes.";
inline const std::string kPointsIncomplete = "La recherche des points fixes n'est pas complète.";

// Divergence.
inline const std::string kDivZero = "La divergence est identiquement nulle.";
inline const std::string kDivConstantPositive = "La divergence est une constante strictement positive.";
inline const std::string kDivConstantNegative = "La divergence est une constante strictement négative.";
inline const std::string kDivOddDegree
    = "La divergence est de degré impair : elle prend des valeurs positives et des valeurs négatives.";
inline const std::string kDivEvenPositive
    = "La divergence est une somme de puissances paires de x et de y à coefficients positifs : elle est "
      "positive ou nulle.";
inline const std::string kDivEvenNegative
    = "La divergence est une somme de puissances paires de x et de y à coefficients négatifs : elle est "
      "négative ou nulle.";
inline const std::string kDivSquarePrefix = "La divergence est positive ou nulle : elle s'écrit (";
inline const std::string kDivMinusSquarePrefix = "La divergence est négative ou nulle : elle s'écrit -(";
inline const std::string kDivQuadraticPositive
    = "La divergence est un polynôme du second degré qui reste positif ou nul.";
inline const std::string kDivQuadraticNegative
    = "La divergence est un polynôme du second degré qui reste négatif ou nul.";
inline const std::string kDivQuadraticChanges
    = "La divergence est un polynôme du second degré qui change de signe.";
inline const std::string kDivUnknown
    = "Le signe de la divergence n'est pas décidé par les règles exactes simples.";
inline const std::string kBendixsonZero
    = "Le critère de Bendixson-Dulac ne s'applique pas à une divergence identiquement nulle.";
inline const std::string kBendixsonApplies
    = "Elle garde un signe constant et ne s'annule que sur un ensemble d'intérieur vide : d'après le critère "
      "de Bendixson-Dulac, le système n'a aucune orbite périodique.";
inline const std::string kBendixsonChanges = "Le critère de Bendixson-Dulac ne permet donc pas de conclure.";

// Index theory.
inline const std::string kIndexRule
    = "Une orbite périodique entoure des points fixes dont la somme des indices vaut 1 (col : -1 ; noeud, "
      "foyer, centre : +1).";
inline const std::string kIndexNoPoint
    = "Le système n'a aucun point fixe : il n'a donc aucune orbite périodique.";
inline const std::string kIndexNoPlusOne
    = "Aucun point fixe n'est d'indice +1 : la théorie de l'indice interdit toute orbite périodique.";
inline const std::string kIndexNoSumOne = "Aucun ensemble de points fixes n'a une somme d'indices égale à "
                                          "1 : la théorie de l'indice interdit toute orbite périodique.";
inline const std::string kIndexSumOne = "Des points fixes ont une somme d'indices égale à 1 : l'indice ne "
                                        "l'interdit pas.";
inline const std::string kIndexAllows = "Une orbite périodique devrait entourer au moins un point fixe "
                                        "d'indice +1 : l'indice ne l'interdit pas.";
inline const std::string kIndexUnknown
    = "L'indice de certains points fixes n'est pas connu : la théorie de l'indice ne conclut pas.";
inline const std::string kIndexCurve
    = "Les points fixes ne sont pas tous isolés : la théorie de l'indice ne s'applique pas.";
inline const std::string kIndexIncomplete
    = "La liste des points fixes n'est pas complète : la théorie de l'indice ne conclut pas.";
inline const std::string kIndexUnknownValue = "indice inconnu";

// Invariant lines.
inline const std::string kLinesNone = "Aucune droite invariante à coefficients rationnels.";
inline const std::string kLinesOne = "Droite invariante : ";
inline const std::string kLinesMany = "Droites invariantes : ";
inline const std::string kLinesNotSearched
    = "Toutes les directions à l'infini sont singulières : la recherche des droites invariantes n'est pas "
      "faite.";

// Periodic orbits.
inline const std::string kPeriodicImpossible = "Le système n'a aucune orbite périodique : ";
inline const std::string kPeriodicPossible = "Le système a des orbites périodiques : ";
inline const std::string kPeriodicUnknown = "La question des orbites périodiques reste ouverte : ";
inline const std::string kWhyParameters = "le système contient des constantes littérales.";
inline const std::string kWhyZeroSystem = "tous les points sont fixes.";
inline const std::string kWhyLinearCentre
    = "il est linéaire de type centre, toutes les orbites autour du point fixe sont périodiques.";
inline const std::string kWhyLinearNoCentre
    = "un système linéaire n'a d'orbites périodiques que s'il est de type centre.";
inline const std::string kWhyGradient
    = "c'est un système de gradient, le potentiel croît strictement le long de toute orbite non réduite à "
      "un point.";
inline const std::string kWhyBendixson
    = "la divergence garde un signe constant et ne s'annule que sur un ensemble d'intérieur vide "
      "(critère de Bendixson-Dulac).";
inline const std::string kWhyCentrePrefix = "le point ";
inline const std::string kWhyCentreSuffix = " est un centre.";
inline const std::string kWhyNoFixedPoint
    = "il n'a aucun point fixe, or une orbite périodique entoure au moins un point fixe.";
inline const std::string kWhyNoIndexSumOne
    = "aucun ensemble de points fixes n'a une somme d'indices égale à 1, or une orbite périodique entoure "
      "des points fixes dont la somme des indices vaut 1.";
inline const std::string kWhyNoIndexOne
    = "aucun point fixe n'est d'indice +1, or une orbite périodique entoure des points fixes dont la somme "
      "des indices vaut 1.";
inline const std::string kWhyLineFamilyPrefix = "les droites ";
inline const std::string kWhyLineFamilySuffix
    = " sont toutes invariantes : une orbite périodique resterait sur l'une d'elles, ce qui est impossible.";
inline const std::string kWhyOpen
    = "ni le critère de Bendixson-Dulac ni la théorie de l'indice ne permettent de conclure.";

// Calculations at a point.
inline const std::string kJacobianIntro = "On dérive P et Q par rapport à x et à y :";
inline const std::string kPointTitle = "POINT FIXE ";
inline const std::string kNoExactData = "Les calculs exacts en ce point ne sont pas disponibles.";
inline const std::string kRuleSaddle
    = "Règle : D < 0, les valeurs propres sont réelles et de signes contraires : le point est un col.";
inline const std::string kRuleNode
    = "Règle : D > 0 et T² - 4D > 0, les valeurs propres sont réelles et de même signe : le point est un "
      "noeud.";
inline const std::string kRuleStarNode
    = "Règle : D > 0 et T² - 4D = 0, la valeur propre est double et J est scalaire : le point est un noeud "
      "étoilé.";
inline const std::string kRuleDegenerateNode
    = "Règle : D > 0 et T² - 4D = 0, la valeur propre est double et J n'est pas scalaire : le point est un "
      "noeud dégénéré.";
inline const std::string kRuleFocus
    = "Règle : T² - 4D < 0 et T <> 0, les valeurs propres sont complexes conjuguées de partie réelle non "
      "nulle : le point est un foyer.";
inline const std::string kRuleStable = "T < 0 : le point est stable.";
inline const std::string kRuleUnstable = "T > 0 : le point est instable.";
inline const std::string kRuleImaginary
    = "Règle : T = 0 et D > 0, les valeurs propres sont imaginaires pures : la partie linéaire ne sépare "
      "pas le centre du foyer faible.";
inline const std::string kRuleSemiHyperbolic
    = "Règle : D = 0 et T <> 0, une valeur propre est nulle : le point est semi-hyperbolique, la réduction "
      "à la variété centrale décide.";
inline const std::string kRuleNilpotent
    = "Règle : T = 0, D = 0 et J <> 0, la partie linéaire est nilpotente : le théorème d'Andreev décide.";
inline const std::string kRuleZero = "Règle : J = 0, la partie linéaire est nulle : elle ne décide rien.";
inline const std::string kCentreHamiltonian
    = "Le système est hamiltonien : H a un extremum strict en ce point, c'est donc un centre.";
inline const std::string kCentreReversiblePrefix = "Le système est réversible pour ";
inline const std::string kCentreReversibleMiddle = " et le point est sur l'axe ";
inline const std::string kCentreReversibleSuffix = " : c'est donc un centre.";
inline const std::string kUndecided = "La nature exacte de ce point n'est pas décidée ici.";
inline const std::string kConclusionPrefix = "Conclusion : ";

} // namespace vindrel::engine::general::msg
