// The local portrait of a linearly zero point whose coordinates are
// algebraic numbers, by successive directional blow-ups over their number
// field K.
// Pipeline: P, Q translated to the point, coefficients in K -> lowest parts
//   P_m, Q_m -> a rational shear x = X + c Y so that X = 0 is not a
//   characteristic direction -> F(1, v), F = X Q_m - Y P_m, in K[v], split
//   by multiplicity (Yun) -> its real roots: those of the norm in Q[v] whose
//   balls keep 0, as many as a Sturm count over K says -> each point of the
//   divisor: saddle, node or the divisor as centre manifold where P_m(1, v0)
//   <> 0 (signs of balls), else, v0 in K, the chart moved to it over K:
//   elementary (saddle, node, a centre manifold along or across the divisor)
//   or blown up again the same way, the direction x = 0 of a chart read in
//   the chart x = u v, y = v, down to kMaxBlowupDepth -> the half-plane
//   portraits of each level joined -> sectors, index, name and the
//   separatrices' tangents (those of the first level).
// Left "non déterminé": F = 0 identically at some level, a divisor point to
// blow up again whose v0 is not recognised in K (a root of a factor of
// degree > 1 over K that is not rational), the depth or the deadline.
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
