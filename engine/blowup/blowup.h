// The local phase portrait of a degenerate singular point, by successive
// homogeneous blow-ups, every step exact.
// Pipeline: lowest homogeneous parts P_m, Q_m -> F = x Q_m - y P_m ->
//   real roots of F(1, v) (rational ones exactly, the others isolated and
//   signed in their number field) and the direction x = 0 when x divides F ->
//   directional blow-up x = u, y = u v (and x = u v, y = v), divided by
//   u^(m-1) -> each point of the divisor u = 0: elementary (saddle, node,
//   saddle-node by the centre manifold) or blown up again -> the sectors of
//   each half-plane, joined along the arcs of the divisor -> the sectors
//   around the point -> index (Bendixson: 1 + (e - h)/2) and name.
// A Newton polygon of y P and x Q with an edge of another slope than -1
// gives the weights (alpha, beta) of a weighted blow-up x = u^alpha,
// y = u^beta v (and its turned charts, u > 0), which separates the orbits
// tangent to the same line at different orders in one step.
// F = 0 identically (dicritical) is decided when the common factor R of
// P_m = x R, Q_m = y R vanishes on no real line (a node); a point without
// any orbit reaching it is monodromic and left to the centre-focus study.
#pragma once

#include "engine/flint/flint_types.h"
#include "engine/nature.h"
#include "engine/tool/deadline.h"

#include <optional>
#include <string>
#include <vector>

namespace vindrel::engine {

inline constexpr int kMaxBlowupDepth = 12;

enum class BlowupOutcome { Decided, Monodromic, Open };

// One step of the calculation, with its sub-steps (the points of the divisor).
struct BlowupStep {
    std::string text;
    std::vector<std::string> sub;
};

struct BlowupResult {
    BlowupOutcome outcome = BlowupOutcome::Open;
    std::string sectors; // merged, counter-clockwise ("ee", "hhp", ...)
    int index = 0;
    PointType type = PointType::Undetermined;
    Stability stability = Stability::None;
    std::string reason; // short ASCII for the JSON
    std::string explanation; // the calculation, in French, for the reports
    std::vector<SeparatrixDirection> separatrices; // the rays next to a hyperbolic sector
    std::vector<BlowupStep> steps; // the calculation step by step, in French
};

// Which blow-ups resolve the point: the weighted one wherever the Newton
// polygon has an edge not of slope -1 and the directional one elsewhere
// (Auto), or one kind at every step (to compare them).
enum class BlowupMethod { Auto, Directional, Weighted };

// The origin of dx/dt = P, dy/dt = Q (variables 0 and 1), an isolated fixed
// point. Never throws for lack of time or depth: the outcome is then Open.
BlowupResult BlowUpOrigin(const flint::FmpqMpoly& P, const flint::FmpqMpoly& Q, const Deadline& deadline,
    BlowupMethod method = BlowupMethod::Auto);

// The local classification at the origin, completed by the blow-up where the
// linear part is zero or where the classification leaves a non-monodromic
// point open; index and sectors are filled whenever they are known.
Nature ClassifyOriginResolved(const flint::FmpqMpoly& P, const flint::FmpqMpoly& Q, const Deadline& deadline);

// The canonical form of a cyclic word of sectors: adjacent p merged, and a p
// next to an e absorbed by it (topologically the same portrait).
std::string CanonicalSectors(const std::string& word);

// "deux secteurs elliptiques", "un secteur elliptique et un secteur hyperbolique".
std::string SectorWords(const std::string& sectors);

} // namespace vindrel::engine
