// Small exact algebra shared by the analyses: arithmetic on polynomials of
// one context (each returns a new polynomial), square-free parts of integers.
#pragma once

#include "engine/flint/flint_types.h"

namespace vindrel::engine {

flint::FmpqMpoly Add(const flint::FmpqMpoly& a, const flint::FmpqMpoly& b);
flint::FmpqMpoly Sub(const flint::FmpqMpoly& a, const flint::FmpqMpoly& b);
flint::FmpqMpoly Mul(const flint::FmpqMpoly& a, const flint::FmpqMpoly& b);
flint::FmpqMpoly Derivative(const flint::FmpqMpoly& p, slong var);
bool IsZero(const flint::FmpqMpoly& p);

// The generator number var of the context.
flint::FmpqMpoly Variable(const flint::MpolyCtxPtr& ctx, slong var);

// The terms of p whose degree in the first two variables (x and y) is degree.
flint::FmpqMpoly HomogeneousPart(const flint::FmpqMpoly& p, slong degree);

// |n| = s² r with r square-free, by complete factorisation (the caller
// bounds the size of n); n != 0.
void SquareFreeSplit(const fmpz_t n, flint::Fmpz& s, flint::Fmpz& r);

} // namespace vindrel::engine
