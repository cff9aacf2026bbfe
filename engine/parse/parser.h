// Reading a system: two component texts -> tokens -> exact polynomials.
//   text (UTF-8) -> code points with their 1-based positions -> tokens
//   -> recursive descent with exact rational arithmetic (FLINT fmpq_mpoly).
// Every input either gives two polynomials or throws ParseError (what was
// expected, where) or LimitExceeded (too long, too deep, degree too high);
// no byte string makes it crash or hang.
#pragma once

#include "engine/flint/flint_types.h"

#include <string>
#include <vector>

namespace vindrel::engine {

// Bounds on what the parser accepts, all checked before the work is done,
// so that reading a component takes a time bounded by these numbers.
inline constexpr int kMaxComponentLength = 100000; // characters per component
inline constexpr int kMaxNestingDepth = 200; // parentheses and unary signs
inline constexpr long kMaxTotalDegree = 100; // of any intermediate polynomial
inline constexpr long kMaxProductTerms = 200000; // terms(a) * terms(b) in one product
inline constexpr long kMaxComponentWork = 10000000; // terms(a) * terms(b) over all products of a component
inline constexpr long kMaxCoefficientBits = 20000; // size of a number raised to a power

struct ParsedSystem {
    flint::MpolyCtxPtr ctx; // variables: abscissa, ordinate, then literal constants in alphabetical order
    flint::FmpqMpoly P, Q;
    std::vector<char> parameters; // literal constants, alphabetical
    char xvar = 'x', yvar = 'y';
};

// Reads dx/dt = p and dy/dt = q. The context always holds [xvar, yvar,
// constants...], even when a variable does not occur. Throws ParseError,
// LimitExceeded, or EngineError when xvar/yvar are not two distinct letters.
ParsedSystem ParseSystem(const std::string& p, const std::string& q, char xvar = 'x', char yvar = 'y');

// True when c is an ASCII letter.
bool IsLetter(char c);

} // namespace vindrel::engine
