// Hamiltonian and gradient search, exact, literal constants as symbols.
//   divergence dP/dx + dQ/dy -> zero? -> H = integral of P in y + f(x), f from Q
//   dP/dy - dQ/dx -> zero?   -> V = integral of P in x + g(y), g from Q
// Conventions: dx/dt = dH/dy, dy/dt = -dH/dx; dx/dt = dV/dx, dy/dt = dV/dy.
// With literal constants, a polynomial vanishes for all x and y exactly when
// each of its coefficients in x and y (a polynomial in the constants)
// vanishes; those coefficients are the conditions.
#pragma once

#include "engine/parse/parser.h"

#include <optional>
#include <string>
#include <vector>

namespace vindrel::engine {

enum class Existence {
    Always, // for every value of the constants (or: yes, without constants)
    Conditional, // exactly when every condition holds
    Never, // a coefficient is a non-zero number
};

struct ExistenceTest {
    Existence existence = Existence::Never;
    // Polynomials in the constants, each meaning "= 0": integer coprime
    // coefficients, first term positive, no repeats. Empty unless Conditional.
    std::vector<flint::FmpqMpoly> conditions;
    // H or V (up to a constant) when existence is Always.
    std::optional<flint::FmpqMpoly> function;
};

struct HamiltonianAnalysis {
    flint::FmpqMpoly dPdx, dQdy, divergence; // divergence = dPdx + dQdy
    ExistenceTest hamiltonian;
    flint::FmpqMpoly dPdy, dQdx; // gradient test: dPdy == dQdx
    ExistenceTest gradient;
};

flint::FmpqMpoly Derivative(const flint::FmpqMpoly& a, slong var);
flint::FmpqMpoly Integral(const flint::FmpqMpoly& a, slong var);
flint::FmpqMpoly Divergence(const ParsedSystem& s);

// The total degree of the system in the two variables (constants not counted).
long SystemDegree(const ParsedSystem& s);

HamiltonianAnalysis AnalyseHamiltonian(const ParsedSystem& s);

// The French text of quenmar2.pho: how the verdicts follow, step by step.
std::string HamiltonianReport(const ParsedSystem& s, const HamiltonianAnalysis& a);
std::string HamiltonianReport(const ParsedSystem& s);

} // namespace vindrel::engine
