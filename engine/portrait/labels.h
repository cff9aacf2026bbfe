// Texts and names that the picture shows or that scripts rely on: the ids of
// the SVG groups, the legend entries, the messages.
#pragma once

namespace vindrel::portrait::labels {

inline constexpr const char* kGroupField = "champ";
inline constexpr const char* kGroupNullclines = "isoclines";
inline constexpr const char* kGroupFixedCurves = "courbes-points-fixes";
inline constexpr const char* kGroupSeparatrices = "separatrices";
inline constexpr const char* kGroupOrbits = "orbites";
inline constexpr const char* kGroupFixedPoints = "points-fixes";
inline constexpr const char* kGroupLegend = "legende";
inline constexpr const char* kGroupFrame = "cadre";

inline constexpr const char* kTitle = "Portrait de phase";
inline constexpr const char* kDiscSubtitle = "disque de Poincaré";
inline constexpr const char* kNullclineP = "isocline P = 0";
inline constexpr const char* kNullclineQ = "isocline Q = 0";
inline constexpr const char* kUnstableSeparatrix = "séparatrice instable";
inline constexpr const char* kStableSeparatrix = "séparatrice stable";
inline constexpr const char* kOrbit = "orbite";
inline constexpr const char* kLimitCycle = "cycle limite";
inline constexpr const char* kField = "champ de directions";
inline constexpr const char* kPointAtInfinity = "point à l'infini";
inline constexpr const char* kFixedCurve = "courbe de points fixes";
inline constexpr const char* kNoFixedPoint = "aucun point fixe fini";
inline constexpr const char* kNumericalPoints = "points fixes calculés numériquement";

inline constexpr const char* kCannotWrite = "Impossible d'écrire le portrait dans le fichier ";

} // namespace vindrel::portrait::labels
