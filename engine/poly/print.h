// Printing exact polynomials and numbers.
//   ToReport:    French typography for the result files: "x² - 3xy + 1/2 y",
//                powers beyond the square as "x^3"; only characters that a
//                result file can carry.
//   ToCanonical: ASCII that SymPy reads: "1/2*y^2 - x^3".
// Term order (both forms): decreasing total degree, then decreasing power of
// the abscissa, then of the ordinate, then of each literal constant in
// alphabetical order. Within a monomial the literal constants come first,
// then the abscissa, then the ordinate: "-2abx".
#pragma once

#include "engine/flint/flint_types.h"

#include <string>
#include <vector>

namespace vindrel::engine {

struct PolyTerm {
    flint::Fmpq coeff;
    std::vector<ulong> exps; // one per variable of the context
};

// The non-zero terms of a, in the order documented above.
std::vector<PolyTerm> SortedTerms(const flint::FmpqMpoly& a);

std::string ToReport(const flint::FmpqMpoly& a);
std::string ToCanonical(const flint::FmpqMpoly& a);
std::string RationalToReport(const fmpq_t q);
std::string RationalToCanonical(const fmpq_t q);

// A decimal with a comma, `significantDigits` significant digits and no
// trailing zeros: DecimalFr(-0.5) == "-0,5", DecimalFr(1e-20) == "1e-20".
std::string DecimalFr(double value, int significantDigits = 10);

} // namespace vindrel::engine
