// Real roots of a square-free integer polynomial: isolation by Descartes'
// rule of signs on continued fractions (Vincent, Akritas and Strzebonski),
// then refinement by Newton's iteration proved by signs, or bisection where
// Newton does not converge. Endpoints are exact dyadic numbers; a rational
// root met on the way (0, the root of a linear factor, ...) is kept exactly.
#pragma once

#include "engine/flint/factor_types.h"

#include <optional>
#include <vector>

namespace vindrel::engine::fp {

struct RootInterval {
    flint::Arf lo, hi; // one root inside (lo, hi), none at the ends
    std::optional<flint::Fmpq> exact; // the root, when found as a rational (lo <= root <= hi)
};

// Sorted, disjoint, one root each. f must be square-free and non-constant.
std::vector<RootInterval> IsolateRealRoots(const flint::FmpzPoly& f);
// Narrows the interval until its width is below 2^-bits times |root|.
void RefineRoot(RootInterval& root, const flint::FmpzPoly& f, slong bits);
void RootBall(arb_t out, const RootInterval& root, slong prec);

} // namespace vindrel::engine::fp
