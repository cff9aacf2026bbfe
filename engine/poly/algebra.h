// Small exact algebra shared by the analyses: square-free parts of integers.
#pragma once

#include "engine/flint/flint_types.h"

namespace vindrel::engine {

// |n| = s² r with r square-free, by complete factorisation (the caller
// bounds the size of n); n != 0.
void SquareFreeSplit(const fmpz_t n, flint::Fmpz& s, flint::Fmpz& r);

} // namespace vindrel::engine
