// Texts of numbers for the reports and the JSON: rationals,
// quadratic irrationals p + q*sqrt(r), and certified decimals.
#pragma once

#include "engine/flint/flint_types.h"

#include <optional>
#include <string>

namespace vindrel::engine::fp {

enum class RootWord { Sqrt, Racine }; // "sqrt(5)" for the JSON, "racine(5)" for the reports

// p + q*sqrt(r), r > 1 a square-free integer, q != 0 (or q = 0 for a rational).
struct Quadratic {
    flint::Fmpq p, q;
    flint::Fmpz r;
};

std::string QuadraticText(const Quadratic& v, RootWord word);
// sqrt(c) for a rational c >= 0 as q*sqrt(r) (r = 1 when c is a square).
Quadratic SqrtOf(const fmpq_t c);
// "1,324717957 (à 10^-9 près)": 10 significant digits, French comma, proven bound.
std::string DecimalText(const arb_t v);
// Ten significant digits without the bound (for Jacobian entries and eigenvalues).
std::string ShortDecimal(double v);
// The element a of Q[u]/(f) whose value at one root is in the ball, as a
// rational or quadratic number when it is one.
std::optional<Quadratic> AsQuadratic(
    const flint::FmpqPoly& a, const flint::FmpqPoly& f, const arb_t ball, slong prec);

} // namespace vindrel::engine::fp
