// Common zeros of two coprime polynomials in x, y, certified.
// Internal to the fixed-point area.
#pragma once

#include "engine/errors.h"
#include "engine/fixedpoints/real_roots.h"
#include "engine/flint/flint_types.h"
#include "engine/tool/deadline.h"

#include <flint/nmod_poly.h>

#include <optional>
#include <vector>

namespace vindrel::engine::fp {

// The solutions lying over the roots of one irreducible factor f of the
// eliminant: one solution per root u of f, with x = X(u), y = Y(u) where
// X, Y are exact elements of Q[u]/(f). Balls come from Arb.
// Axes::YX: the search ran with x and y exchanged (u = y + shear*x), the
// family answers in the caller's x and y all the same.
enum class Axes { XY, YX };

class SolutionFamily {
public:
    SolutionFamily(flint::FmpzPoly f, long shear, flint::FmpzPoly s1, flint::FmpzPoly s0, Axes axes = Axes::XY);
    SolutionFamily(flint::FmpzPoly f, long shear, flint::FmpqPoly y, Axes axes = Axes::XY);

    const flint::FmpzPoly& factor() const { return f_; }
    const flint::FmpqPoly& modulus() const { return fq_; }
    long degree() const;
    long realCount() const;
    // Exact x and y as polynomials in u reduced modulo f.
    const flint::FmpqPoly& X() const;
    const flint::FmpqPoly& Y() const;
    // Certified balls of the real solution number `index` (sorted by u), at a
    // working precision.
    void RealPoint(size_t index, slong prec, flint::Arb& x, flint::Arb& y) const;
    // The value of a polynomial at the solutions, exactly, as an element of Q[u]/(f).
    flint::FmpqPoly ExactValue(const flint::FmpqMpoly& v) const;
    flint::FmpqPoly Reduce(const flint::FmpqPoly& a) const;
    // Whether the coordinate x (which = 0) or y (1) is exactly 0 at the
    // solutions, without computing the exact coordinates.
    bool CoordinateIsZero(int which) const;

private:
    void EnsureExact() const;
    void EnsureRoots() const;

    flint::FmpzPoly f_;
    flint::FmpqPoly fq_;
    long shear_;
    bool swapped_; // x_, y_, s1_, s0_ are in the exchanged axes
    bool fromSubresultant_;
    flint::FmpzPoly s1_, s0_;
    mutable bool exact_ = false;
    mutable flint::FmpqPoly x_, y_;
    mutable bool isolated_ = false;
    mutable std::vector<RootInterval> realRoots_;
};

// A and B: polynomials in x (variable 0) and y (variable 1) without a
// common factor. Returns the families of their common zeros over C.
std::vector<SolutionFamily> SolveCoprime(
    const flint::FmpqMpoly& A, const flint::FmpqMpoly& B, const Deadline& deadline);

// The resultant of a and b, integer polynomials in y of degrees
// m >= n >= 2, and their first subresultant s1*y + s0: s1 and s0 are the
// determinants of the rows y^(n-2)a, ..., a, y^(m-2)b, ..., b on the first
// m+n-3 columns and the column of y^1 or of y^0. Subresultants takes the
// subresultant remainder sequence (about ten times faster), and FLINT's
// resultant and the determinants when the sequence is not normal; both
// give exactly the same numbers.
void Subresultants(
    flint::Fmpz& res, flint::Fmpz& s1, flint::Fmpz& s0, const flint::FmpzPoly& a, const flint::FmpzPoly& b);
void FirstSubresultantByDeterminant(
    flint::Fmpz& s1, flint::Fmpz& s0, const flint::FmpzPoly& a, const flint::FmpzPoly& b);
// The same numbers modulo a word-size prime, for a and b whose leading
// coefficients do not vanish modulo it.
void SubresultantsMod(mp_limb_t& res, mp_limb_t& s1, mp_limb_t& s0, const nmod_poly_t a, const nmod_poly_t b);
// The same on coefficient vectors (from y^0), with a scratch vector.
void SubresultantsMod(mp_limb_t& res, mp_limb_t& s1, mp_limb_t& s0, const std::vector<mp_limb_t>& a,
    const std::vector<mp_limb_t>& b, nmod_t mod, std::vector<mp_limb_t>& work);

// Helpers shared with the analysis.
void EvalArb(flint::Arb& out, const flint::FmpqMpoly& p, const arb_t x, const arb_t y, slong prec);
// Same with the powers x^0.., y^0.. computed once (Powers) for several polynomials.
void Powers(std::vector<flint::Arb>& out, const arb_t v, slong count, slong prec);
void EvalArb(flint::Arb& out, const flint::FmpqMpoly& p, const std::vector<flint::Arb>& xpow,
    const std::vector<flint::Arb>& ypow, slong prec);
long CountRealRoots(const flint::FmpzPoly& p); // distinct real roots
// Real roots of any non-zero integer polynomial, without multiplicity:
// sorted, pairwise disjoint intervals.
std::vector<RootInterval> RealRoots(const flint::FmpzPoly& p);
// The same for an irreducible polynomial, without factoring it again.
std::vector<RootInterval> RealRootsOfIrreducible(const flint::FmpzPoly& f);
void IntegerNumerator(flint::FmpzPoly& out, const flint::FmpqPoly& p);

} // namespace vindrel::engine::fp
