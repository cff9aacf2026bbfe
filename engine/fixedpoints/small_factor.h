// Factoring the eliminant of a small system. Most eliminants of degree 4
// or 5 are irreducible, which the degree patterns of their factors modulo a
// few primes prove at a fraction of the cost of a full factorisation:
//   f square-free modulo p -> its linear and quadratic factors modulo p
//   (gcd with x^p - x and x^(p^2) - x) -> the degrees a factor of f over Q
//   may have -> none but 0 and deg f: f is irreducible.
// Otherwise, and at every other degree, FLINT's factorisation.
#pragma once

#include "engine/flint/factor_types.h"

namespace vindrel::engine::fp {

// As fmpz_poly_factor: content (with the sign) and primitive irreducible
// factors with positive leading coefficients and their multiplicities.
void FactorEliminant(flint::FmpzPolyFactor& fac, const flint::FmpzPoly& p);

} // namespace vindrel::engine::fp
