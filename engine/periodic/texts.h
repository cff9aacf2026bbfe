// The French texts of the study of periodic orbits, in one place. Only
// characters that the result files can carry: ASCII and é è ê ë ç à â ä û
// ù ü ï î ô ö ².
#pragma once

namespace vindrel::engine::periodic::msg {

inline constexpr const char* kYes = "oui.";
inline constexpr const char* kNo = "non.";
inline constexpr const char* kPositive = "positif";
inline constexpr const char* kNegative = "négatif";

// Verdicts (conclusions).
inline constexpr const char* kVerdictNone = "Le système n'a aucune orbite périodique : ";
inline constexpr const char* kVerdictCentres = "Le système a des orbites périodiques : ";
inline constexpr const char* kVerdictCycle = "Le système a un cycle limite : ";
inline constexpr const char* kVerdictCycles = "Le système a des cycles limites : ";
inline constexpr const char* kVerdictCycleFound = "Cycle limite détecté : ";
inline constexpr const char* kVerdictCyclesFound = "Cycles limites détectés : ";
inline constexpr const char* kVerdictOpen = "La question des orbites périodiques reste ouverte : ";
inline constexpr const char* kWhyFound
    = "l'application de retour sur une section de Poincaré a un point fixe isolé, détecté "
      "numériquement.";
inline constexpr const char* kWhyFoundMany
    = "l'application de retour sur une section de Poincaré a des points fixes isolés, détectés "
      "numériquement.";
inline constexpr const char* kWhyOpenSearched
    = "ni le critère de Bendixson-Dulac, ni la théorie de l'indice, ni les droites invariantes ne "
      "permettent de conclure, et la recherche numérique ne trouve aucun cycle limite.";
inline constexpr const char* kWhyProvenCurvePrefix = "la courbe algébrique invariante ";
inline constexpr const char* kWhyProvenCurveSuffix
    = " = 0, sans point fixe, porte un cycle limite hyperbolique (voir les calculs explicatifs).";

// One cycle.
inline constexpr const char* kCycle = "Cycle limite ";
inline constexpr const char* kStable = "stable";
inline constexpr const char* kUnstable = "instable";
inline constexpr const char* kSemiStable = "semi-stable";
inline constexpr const char* kProvenLienard = "prouvé par le théorème de Liénard";
inline constexpr const char* kProvenCurvePrefix = "prouvé : il est la courbe invariante ";
inline constexpr const char* kNumerical = "détecté numériquement";
inline constexpr const char* kOnCurvePrefix = "porté par la courbe invariante ";
inline constexpr const char* kOnCurveSuffix
    = " = 0 (orbite périodique prouvée), stabilité détectée numériquement";
inline constexpr const char* kPeriod = "période T = ";
inline constexpr const char* kPassesBy = "passe par ";
inline constexpr const char* kSurrounds = "entoure ";
inline constexpr const char* kErrorPrefix = "retour au point après une période à moins de ";
inline constexpr const char* kErrorPrefixReversed
    = "retour au point après une période en temps renversé à moins de ";
inline constexpr const char* kNotTraced = "la recherche numérique ne l'a pas tracé.";
inline constexpr const char* kSearchPrefix
    = "Recherche numérique : section de Poincaré sur la demi-droite issue de ";
inline constexpr const char* kSearchDirection = " dans la direction ";
inline constexpr const char* kSearchReach = ", jusqu'à la distance ";
inline constexpr const char* kSearchInterrupted = " (recherche interrompue : temps écoulé)";
inline constexpr const char* kSearchIdentity
    = " ; le retour y est l'identité à la précision du calcul (centre possible, non décidé)";
inline constexpr const char* kSearchNothing = " : aucun cycle.";
inline constexpr const char* kSearchNothingSoFar = " : aucun cycle trouvé avant l'interruption.";

// Regions and Dulac.
inline constexpr const char* kRegionsIntro = "Droites invariantes, qu'aucune orbite ne traverse : ";
inline constexpr const char* kCofactorPrefix = "Cofacteur de ";
inline constexpr const char* kRegionOf = "Région de ";
inline constexpr const char* kInRegionOf = "dans la région de ";
inline constexpr const char* kRegionIndices = " : indices ";
inline constexpr const char* kRegionNoSum
    = " ; aucune somme de ces indices ne vaut 1 : aucune orbite périodique n'y est possible.";
inline constexpr const char* kRegionIndicesShort = ", les indices ";
inline constexpr const char* kRegionNoSumShort = " ne donnent jamais la somme 1";
inline constexpr const char* kDulacOn = "), de signe constant sur ";
inline constexpr const char* kDulacSign = " : ";
inline constexpr const char* kDulacWhy = ", la fonction de Dulac B = ";
inline constexpr const char* kDulacWhySuffix = " donne div(B F) de signe constant, ";
inline constexpr const char* kRegionOpen = " : ni l'indice ni les fonctions de Dulac essayées ne concluent.";
inline constexpr const char* kWhyRegionsPrefix = "les droites invariantes ";
inline constexpr const char* kWhyRegionsMiddle
    = " ne sont traversées par aucune orbite ; une orbite périodique entoure donc des points fixes "
      "d'une seule des régions qu'elles découpent, d'indices de somme 1 : ";
inline constexpr const char* kWhyRegionsRest
    = " ; les autres régions n'ont aucun point fixe hors des droites";
inline constexpr const char* kWhyRegionsEmpty = "aucune région n'a de point fixe hors des droites";

inline constexpr const char* kMonomialDulac = "Fonction de Dulac B = ";
inline constexpr const char* kMonomialDulacSign = ", de signe constant sur tout le plan : ";
inline constexpr const char* kMonomialDulacNone
    = "Fonctions de Dulac B = x^i y^j (0 <= i, j <= 2) : aucune ne donne div(B F) d'un signe reconnu.";
inline constexpr const char* kWhyMonomialDulac = "avec la fonction de Dulac B = ";
inline constexpr const char* kWhyMonomialDulacMiddle = ", div(B F) = ";
inline constexpr const char* kWhyMonomialDulacEnd
    = " garde un signe constant et ne s'annule que sur un ensemble d'intérieur vide (critère de Dulac).";

// Lienard.
inline constexpr const char* kLienardTitle = "Théorème de Liénard :";
inline constexpr const char* kLienardForm = "Forme de Liénard : ";
inline constexpr const char* kLienardG = "g est impaire et g(u) a le signe de u pour u <> 0 : ";
inline constexpr const char* kLienardReversed = "En renversant le temps (t -> -t, Y -> -Y), f devient -f.";
inline constexpr const char* kLienardFEven = "f est paire, donc F (sa primitive nulle en 0) est impaire : ";
inline constexpr const char* kLienardZero = "F a un seul zéro positif a = ";
inline constexpr const char* kLienardZeroSuffix
    = ", F < 0 sur ]0, a[, F > 0 sur ]a, infini[, F tend vers l'infini ; F croît sur ]a, infini[ : ";
inline constexpr const char* kLienardZeroMissing
    = "F n'a pas un seul zéro positif a avec F < 0 sur ]0, a[, F > 0 au-delà et F tendant vers l'infini.";
inline constexpr const char* kLienardStable
    = "Conclusion : le système a exactement un cycle limite, stable, autour du point fixe.";
inline constexpr const char* kLienardUnstable = "Conclusion : le système a exactement un cycle limite, "
                                                "instable (temps renversé), autour du point fixe.";
inline constexpr const char* kWhyLienardStable
    = "les hypothèses du théorème de Liénard sont vérifiées exactement : il a exactement un cycle limite, "
      "stable.";
inline constexpr const char* kWhyLienardUnstable
    = "les hypothèses du théorème de Liénard (temps renversé) sont vérifiées exactement : il a exactement "
      "un cycle limite, instable.";
inline constexpr const char* kLienardNotForm = "Le système n'a pas la forme de Liénard.";

// Invariant curves.
inline constexpr const char* kCurveTitle = "Courbe algébrique invariante par le cycle ";
inline constexpr const char* kCurveIdentity = "P df/dx + Q df/dy = K f avec K = ";
inline constexpr const char* kCurveEllipse
    = "f = 0 est une ellipse réelle, lisse, sans point fixe : c'est une orbite périodique.";
inline constexpr const char* kCurveQuartic
    = "f = 0 n'a aucun point réel à l'infini, aucun point singulier, aucun point fixe, et f change de "
      "signe au travers du cycle : c'est une réunion d'ovales, chacun une orbite périodique.";
inline constexpr const char* kCurveNotProven
    = "f = 0 n'est pas reconnue comme un ovale lisse sans point fixe : le cycle reste détecté "
      "numériquement.";
inline constexpr const char* kCurveStabilityExact
    = "Sur une orbite périodique portée par f = 0, l'intégrale de la divergence sur une période égale "
      "celle de K ; sur la courbe, K vaut ";
inline constexpr const char* kCurveRemainder = "son reste modulo f, ";
inline constexpr const char* kCurveStabilitySuffix
    = " (nul en un nombre fini de points de la courbe) : le cycle est hyperbolique, ";
inline constexpr const char* kCurveStabilityOpen
    = "Le signe de K sur la courbe n'est pas décidé exactement : la stabilité vient du calcul numérique.";

// Calculations.
inline constexpr const char* kPriorPrefix = "Règles exactes simples : ";
inline constexpr const char* kTableTitle = "Application de retour sur la demi-droite issue de ";
inline constexpr const char* kTableHeader = "    s            R(s)           R(s) - s";
inline constexpr const char* kTableReversed = " (par le temps renversé)";
inline constexpr const char* kTableNoReturn = "pas de retour";
inline constexpr const char* kMultiplier = "dérivée de l'application de retour : ";
inline constexpr const char* kMultiplierReversed = "dérivée de l'application de retour en temps renversé : ";

} // namespace vindrel::engine::periodic::msg
