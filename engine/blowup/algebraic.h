// The local portrait of a linearly zero point whose coordinates are
// algebraic numbers, by one directional blow-up over their number field K.
// Pipeline: P, Q translated to the point, coefficients in K -> lowest parts
//   P_m, Q_m -> a rational shear x = X + c Y so that X = 0 is not a
//   characteristic direction -> F(1, v), F = X Q_m - Y P_m, in K[v], split
//   by multiplicity (Yun) -> its real roots: those of the norm in Q[v] whose
//   balls keep 0, as many as a Sturm count over K says -> each point of the
//   divisor: saddle, node, the divisor as centre manifold, or (where P_m(1, v)
//   vanishes too, at a simple root v0 in K) a centre manifold across it,
//   every sign exact in K -> the half-plane portraits joined -> sectors,
//   index, name and the separatrices' tangents.
// Left "non déterminé": F = 0 identically, and the divisor points that would
// need a further blow-up (P_m(1, v0) = F'(v0) = 0, or v0 outside K).
#pragma once

#include "engine/classify/algebraic.h"
#include "engine/nature.h"
#include "engine/tool/deadline.h"

#include <optional>

namespace vindrel::engine {

// Nothing when the linear part at the point is not zero. Otherwise the
// nature, decided or "non déterminée" with the reason.
std::optional<Nature> BlowUpAlgebraicPoint(const flint::FmpqMpoly& P, const flint::FmpqMpoly& Q,
    const AlgebraicPoint& point, const Deadline& deadline);

} // namespace vindrel::engine
