// Printing helpers of the general analysis: rationals, polynomials in the
// typography of the reports (x² - 3xy + 1/2 y) and exact eigenvalues.
#pragma once

#include "engine/flint/flint_types.h"

#include <string>

namespace vindrel::engine::general {

std::string RationalText(const fmpq_t q);
std::string RationalText(const flint::Fmpq& q);

// x² - 3xy + 1/2 y; literal constants first in each term (-2abx - b):
// the engine's report printer.
std::string PolyText(const flint::FmpqMpoly& p);

// The two eigenvalues (T - r)/2 and (T + r)/2 with r² = disc, exact, with
// racine(n) for square roots and i for the imaginary unit.
struct EigenTexts {
    std::string first, second;
};
EigenTexts EigenvalueTexts(const fmpq_t trace, const fmpq_t disc);

} // namespace vindrel::engine::general
