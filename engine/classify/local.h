// Internal pieces of the local classification at the origin.
#pragma once

#include "engine/classify/poly2.h"
#include "engine/nature.h"

#include <optional>
#include <string>

namespace vindrel::engine::classify {

struct System {
    Poly2 P;
    Poly2 Q;
};

// A 2x2 rational matrix [[a, b], [c, d]].
struct Mat2 {
    Rational a, b, c, d;
    Rational Det() const { return a * d - b * c; }
    Rational Trace() const { return a + d; }
};

Mat2 JacobianAtOrigin(const System& s);
Poly2 Divergence(const System& s);

// The system in the coordinates w with z = M w: w' = M^-1 f(M w). det M <> 0.
System ChangeBasis(const System& s, const Mat2& m);

// A non-zero vector spanning the kernel of a rank-one matrix.
Direction KernelOfRankOne(const Mat2& m);

// The reduction at a semi-hyperbolic origin (J of rank one, trace t <> 0):
// in the basis e0 (kernel of J), et (eigenvector of t) the system reads
// u' = U(u, v), v' = t v + V(u, v); the centre manifold v = h(u) solves
// h'(u) U(u, h) = t h + V(u, h) degree by degree up to n, and g(u) =
// U(u, h(u)) is the flow on it, up to its first non-zero term (all zero up
// to degree n when there is none).
struct CentreManifold {
    Direction e0, et;
    Series g;
};
CentreManifold ReduceToCentreManifold(const System& s, const Mat2& j, int n);

// Focal values: the first non-zero one among L1..L(maxOrder) at a point with
// T = 0, D > 0. order = 0 when all vanish (or, never expected, when a linear
// system is singular). `value` is the Lyapunov value for the time normalised by
// the frequency, as a text (rational, or rational times a square root).
struct FocalResult {
    int order = 0;
    int sign = 0;
    std::string value;
};
FocalResult FirstFocalValue(const System& s, int maxOrder);

// A proof that a monodromic point at the origin is a centre, if one is found.
struct CentreProof {
    std::string reason; // short ASCII
    std::string explanation; // French sentence
};
std::optional<CentreProof> ProveCentre(const System& s);

// Andreev's table for x' = y + X(x, y), y' = Y(x, y): with y = f(x) solving
// y + X(x, y) = 0, F(x) = Y(x, f(x)) = a x^alpha + ... and
// G(x) = (dX/dx + dY/dy)(x, f(x)) = b x^beta + ... The verdict depends only on
// the exponents and on signs, so rational and algebraic points share it.
struct AndreevTerms {
    int alpha = 0; // order of F (>= 2)
    int signA = 0; // sign of a
    std::optional<int> beta; // order of G; nothing when G vanishes to the computed order
    int signB = 0; // sign of b
    int signBoundary = 0; // sign of b^2 + 4 a (beta + 1); read only when alpha = 2 beta + 1
};

enum class AndreevCase { Decided, Monodromic };

struct AndreevVerdict {
    AndreevCase kind = AndreevCase::Decided;
    PointType type = PointType::Undetermined; // when Decided
    Stability stability = Stability::None;
};

AndreevVerdict AndreevTable(const AndreevTerms& t);

} // namespace vindrel::engine::classify
