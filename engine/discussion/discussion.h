// The discussion of a system with one literal constant a, for every real a.
//
//   P, Q in Q[a][x,y] -> polynomials in a whose real roots hold every value
//   where the picture can change (leading coefficients, discriminants of the
//   eliminant, trace, determinant and T² - 4D at a fixed point, common
//   factors, eliminated for two shears and kept where both agree)
//   -> irreducible factors over Z -> certified real roots (Arb), sorted
//   -> a simple rational sample in each open interval
//   -> the certified fixed points of the system with a replaced by the
//      sample, and by each rational critical value
//   -> adjacent cases with the same natures merged
//   -> the fixed points written as rational functions of a where they are
//   -> French reports (brisolt.res, tarnel2.res, dovra.res).
//
// An irrational critical value is not classified: its case says so.
#pragma once

#include "engine/fixedpoints/fixed_points.h"
#include "engine/fixedpoints/real_roots.h"
#include "engine/parse/parser.h"
#include "engine/tool/deadline.h"

#include <optional>
#include <string>
#include <vector>

namespace vindrel::engine::discussion {

// A real root of an irreducible integer polynomial in the constant.
struct CriticalValue {
    flint::FmpzPoly poly; // irreducible, primitive, positive leading coefficient
    fp::RootInterval root; // refined so that distinct values have disjoint intervals
    std::optional<flint::Fmpq> exact; // when rational
    std::string json; // "-1/2", "sqrt(2)", "(1 + sqrt(5))/2"; a decimal for higher degrees
    std::string text; // the same for the reports: "-1/2", "racine(2)"
    double approx = 0;
};

// A fixed point given for every value of a by rational functions of a.
struct RationalBranch {
    flint::FmpqMpoly xNum, xDen, yNum, yDen; // polynomials in a (context of the system)
    std::string text; // "(1/a ; 0)"
    // Trace zero for every a and the first Lyapunov value followed: a weak
    // focus of order 1 keeps its stability between the critical values.
    bool lyapunovTracked = false;
};

struct Case {
    // An open interval ]from, to[ (no value: an infinite end), or one value.
    bool single = false;
    std::optional<size_t> from, to; // indices in Discussion::values
    size_t at = 0; // for a single value
    std::optional<flint::Fmpq> sample; // the value analysed: the sample of an interval, or a rational at
    std::optional<FixedPointAnalysis> points; // nothing at an irrational value
    std::vector<int> branch; // for each point: index in Discussion::branches, or -1
};

// Why a value was a candidate, for the calculations.
struct Source {
    std::string what; // French: "trace nulle en un point fixe"
    flint::FmpzPoly poly; // square-free, primitive
};

struct Discussion {
    char parameter = 'a';
    std::vector<CriticalValue> values; // increasing; only those that bound two different cases
    std::vector<Case> cases; // increasing, covering the real line
    std::vector<RationalBranch> branches;
    std::vector<Source> sources;
};

// The whole discussion; throws LimitExceeded once the deadline has passed.
// The system must hold exactly one literal constant.
Discussion Discuss(const ParsedSystem& s, const Deadline& deadline = Deadline());

// The system with the constant replaced by value (a context of x and y only).
ParsedSystem Substitute(const ParsedSystem& s, const flint::Fmpq& value);

// What decides whether two cases are the same: for each real isolated
// point, its linear part, type, stability and order (as a sorted list), and
// the number of curves of fixed points. Nothing for a case not studied.
std::optional<std::string> CaseSignature(const Case& c);

// French reports. The texts name the values of a in increasing order.
std::string ConclusionsText(const ParsedSystem& s, const Discussion& d); // brisolt.res part
std::string CalculationsText(const ParsedSystem& s, const Discussion& d); // tarnel2.res part
std::string DovraText(const ParsedSystem& s, const Discussion& d); // dovra.res
std::string SkellinText(const ParsedSystem& s); // skellin.res with one constant

// With two constants or more: the message of korbast and durmosk.
std::string SeveralConstantsText(const ParsedSystem& s);

// The files of korbast (brisolt.res, tarnel2.res) and durmosk (dovra.res,
// skellin.res) for a system with literal constants: d is the discussion for
// one constant, null for several.
std::vector<std::string> KorbastTexts(const ParsedSystem& s, const Discussion* d, const Deadline& deadline);
std::vector<std::string> DurmoskTexts(const ParsedSystem& s, const Discussion* d);
// The same from the system alone (the tools).
std::vector<std::string> KorbastTexts(const ParsedSystem& s);
std::vector<std::string> DurmoskTexts(const ParsedSystem& s);

// The interval or value of a case: "a < -2", "a = -2", "-2 < a < 0", "tout a".
std::string CaseRange(const Discussion& d, const Case& c);

} // namespace vindrel::engine::discussion
