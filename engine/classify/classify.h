// The nature of a fixed point at the origin of dx/dt = P, dy/dt = Q.
// Pipeline: Jacobian J at the origin -> kind of linear part, then
//   hyperbolic       -> trace/determinant rule;
//   imaginary        -> Lyapunov values L1..L5 from a formal first integral,
//                       then a proof of centre (Hamiltonian, reversible,
//                       polynomial first integral or integrating factor);
//   semi-hyperbolic  -> centre manifold, reduced equation x' = a x^m + ...;
//   nilpotent        -> Andreev's table, then the centre problem if monodromic;
//   linearly zero    -> characteristic directions of the lowest part.
#pragma once

#include "engine/flint/flint_types.h"
#include "engine/nature.h"

namespace vindrel::engine {

// P, Q in a context whose variables 0 and 1 are x and y (no other variable
// occurs), with P(0,0) = Q(0,0) = 0. Classifies the origin.
// Throws std::invalid_argument when another variable occurs or when the
// origin is not a fixed point.
Nature ClassifyOrigin(const flint::FmpqMpoly& P, const flint::FmpqMpoly& Q);

} // namespace vindrel::engine
