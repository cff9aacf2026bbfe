// The nature of a non-hyperbolic fixed point whose coordinates are algebraic
// numbers, computed exactly in the number field Q[u]/(f): the system is
// translated to the point with coefficients in that field, every zero test is
// exact (a remainder modulo f), and signs come from Arb balls around the real
// root u that the point belongs to.
//   imaginary        -> Hamiltonian or reversible (global, rational proofs),
//                       else Lyapunov values L1..L5 computed exactly;
//   semi-hyperbolic  -> centre manifold, reduced equation x' = a x^m + ...;
//   nilpotent        -> Andreev's table on the leading terms of F and G, then,
//                       if monodromic, the Hamiltonian or reversible proofs.
// Linearly zero points are not handled here (no verdict).
#pragma once

#include "engine/flint/flint_types.h"
#include "engine/nature.h"

#include <optional>

namespace vindrel::engine {

// A real point (x, y) with x = X(u), y = Y(u), u the only root of f in (lo, hi).
// f is irreducible over Q and of degree >= 2; X and Y are reduced modulo f.
struct AlgebraicPoint {
    flint::FmpzPoly f;
    flint::Fmpq lo, hi; // f(lo) and f(hi) non-zero and of opposite signs
    flint::FmpqPoly x, y;
};

// P, Q in a context whose variables 0 and 1 are x and y, vanishing at the
// point. Returns nothing for a hyperbolic or linearly zero point.
// Throws LimitExceeded when a sign would need an unreasonable precision.
std::optional<Nature> ClassifyAlgebraicPoint(
    const flint::FmpqMpoly& P, const flint::FmpqMpoly& Q, const AlgebraicPoint& point);

} // namespace vindrel::engine
