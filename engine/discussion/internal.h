// Steps of the discussion shared by its files (engine/discussion only).
#pragma once

#include "engine/discussion/discussion.h"

#include <optional>
#include <string>
#include <vector>

namespace vindrel::engine::discussion {

// Polynomials of the system's context [x, y, a]: variable numbers.
inline constexpr slong kX = 0, kY = 1, kA = 2;

// The candidate values: every real root of the polynomials of sources,
// sorted, with disjoint isolating intervals and their texts.
std::vector<CriticalValue> CandidateValues(
    const ParsedSystem& s, std::vector<Source>& sources, const Deadline& deadline);

// The real roots of the polynomials, sorted, each once, with their texts.
std::vector<CriticalValue> RealRoots(const std::vector<flint::FmpzPoly>& polys, const Deadline& deadline);

// The simplest rational strictly inside ]lo, hi[ (no value: infinite end);
// an integer closest to 0 when there is one.
flint::Fmpq SimplestBetween(const std::optional<flint::Fmpq>& lo, const std::optional<flint::Fmpq>& hi);
// Rational bounds of a critical value: exact, or the ends of its interval.
flint::Fmpq LowerBound(const CriticalValue& v);
flint::Fmpq UpperBound(const CriticalValue& v);

// A rational function of a: num / den, polynomials in a of the system's context.
struct RationalFunction {
    flint::FmpqMpoly num, den;
};
// Its value at a = value; nothing where den vanishes.
std::optional<flint::Fmpq> ValueAt(const RationalFunction& f, const fmpq_t value);
// "1/a", "(a + 1)/(a - 2)", "-a/2": report typography.
std::string FunctionText(const RationalFunction& f);
// The polynomial in a as an integer polynomial (primitive, positive leading
// coefficient); zero for the zero polynomial.
flint::FmpzPoly ToIntegerPoly(const flint::FmpqMpoly& p);

// The fixed points of the system that are rational functions of a.
std::vector<RationalBranch> RationalBranches(const ParsedSystem& s, const Deadline& deadline);
// F(x(a), y(a)) for a polynomial F of the context, reduced.
RationalFunction AtBranch(const flint::FmpqMpoly& F, const RationalBranch& b);

// For each branch whose trace vanishes for every a: the values where its
// first Lyapunov value vanishes (marks the branch as followed).
void AddLyapunovSources(
    const ParsedSystem& s, std::vector<RationalBranch>& branches, std::vector<Source>& sources);

// The Jacobian entries dP/dx, dP/dy, dQ/dx, dQ/dy, then T, D and T² - 4D.
std::vector<flint::FmpqMpoly> LinearQuantities(const ParsedSystem& s);

} // namespace vindrel::engine::discussion
