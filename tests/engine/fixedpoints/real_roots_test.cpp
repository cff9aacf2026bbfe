// Refinement of isolated real roots: whatever path it takes (Newton's
// guesses proved by signs, or bisection), the interval keeps its root, one
// sign change, and reaches the asked width.
#include "engine/fixedpoints/real_roots.h"
#include "engine/flint/factor_types.h"

#include <gtest/gtest.h>

#include <arb_fmpz_poly.h>
#include <flint/fmpz_poly.h>

#include <random>
#include <string>

namespace vindrel::engine::fp {
namespace {

using flint::Arf;
using flint::FmpzPoly;

int Sign(const FmpzPoly& f, const arf_t x)
{
    arb_t a, v;
    arb_init(a);
    arb_init(v);
    arb_set_arf(a, x);
    arb_fmpz_poly_evaluate_arb(v, f.raw(), a, 4096);
    const int s = arb_is_positive(v) ? 1 : arb_is_negative(v) ? -1 : 0;
    arb_clear(a);
    arb_clear(v);
    return s;
}

// Each root refined to `bits`: inside its old interval, a sign change at the
// ends, width below 2^-bits |root|; the count is that of FLINT.
void ExpectRefinedRoots(const FmpzPoly& f, slong bits, const std::string& what)
{
    std::vector<RootInterval> roots = IsolateRealRoots(f);
    ASSERT_EQ(static_cast<slong>(roots.size()), fmpz_poly_num_real_roots(f.raw())) << what;
    for (RootInterval& r : roots) {
        if (r.exact) continue;
        Arf lo0, hi0, width, bound;
        arf_set(lo0.raw(), r.lo.raw());
        arf_set(hi0.raw(), r.hi.raw());
        RefineRoot(r, f, bits);
        EXPECT_GE(arf_cmp(r.lo.raw(), lo0.raw()), 0) << what;
        EXPECT_LE(arf_cmp(r.hi.raw(), hi0.raw()), 0) << what;
        EXPECT_EQ(Sign(f, r.lo.raw()) * Sign(f, r.hi.raw()), -1) << what;
        arf_sub(width.raw(), r.hi.raw(), r.lo.raw(), ARF_PREC_EXACT, ARF_RND_DOWN);
        if (arf_sgn(r.lo.raw()) * arf_sgn(r.hi.raw()) > 0) {
            if (arf_cmpabs(r.lo.raw(), r.hi.raw()) < 0) arf_abs(bound.raw(), r.lo.raw());
            else arf_abs(bound.raw(), r.hi.raw());
            arf_mul_2exp_si(bound.raw(), bound.raw(), -bits);
            EXPECT_LE(arf_cmp(width.raw(), bound.raw()), 0) << what;
        }
    }
}

TEST(RefineRoot, RandomPolynomialsOfEveryDegreeKeepTheirRoots)
{
    std::mt19937 rng(77);
    std::uniform_int_distribution<long> coeff(-30, 30);
    for (slong degree = 2; degree <= 40; degree += 3)
        for (int trial = 0; trial < 4; ++trial) {
            FmpzPoly f;
            for (slong i = 0; i <= degree; ++i) fmpz_poly_set_coeff_si(f.raw(), i, coeff(rng));
            fmpz_poly_set_coeff_si(f.raw(), degree, 1 + trial);
            // Irreducible, as the factors the search refines are.
            flint::FmpzPolyFactor fac;
            fmpz_poly_factor(fac.raw(), f.raw());
            if (fac.raw()->num != 1 || fac.raw()->exp[0] != 1) continue;
            for (slong bits : { 30, 88, 300 })
                ExpectRefinedRoots(f, bits, "degre " + std::to_string(degree) + ", " + std::to_string(bits) + " bits");
        }
}

TEST(RefineRoot, RootsTooCloseForNewtonFromTheMiddle)
{
    // 2^80 x^2 - 2^81 x + 2^80 - 3: roots 1 +- sqrt(3)/2^40, and the
    // derivative vanishes between them.
    FmpzPoly f;
    fmpz_t c;
    fmpz_init(c);
    fmpz_one(c);
    fmpz_mul_2exp(c, c, 80);
    fmpz_poly_set_coeff_fmpz(f.raw(), 2, c);
    fmpz_sub_ui(c, c, 3);
    fmpz_poly_set_coeff_fmpz(f.raw(), 0, c);
    fmpz_one(c);
    fmpz_mul_2exp(c, c, 81);
    fmpz_neg(c, c);
    fmpz_poly_set_coeff_fmpz(f.raw(), 1, c);
    fmpz_clear(c);
    ExpectRefinedRoots(f, 120, "racines voisines");
    // Wilkinson-like: many roots of a product of shifted linear factors,
    // perturbed to stay irreducible.
    FmpzPoly w, lin;
    fmpz_poly_one(w.raw());
    for (long k = 1; k <= 12; ++k) {
        fmpz_poly_zero(lin.raw());
        fmpz_poly_set_coeff_si(lin.raw(), 1, 1);
        fmpz_poly_set_coeff_si(lin.raw(), 0, -k);
        fmpz_poly_mul(w.raw(), w.raw(), lin.raw());
    }
    fmpz_poly_set_coeff_si(w.raw(), 0, fmpz_get_si(w.raw()->coeffs) + 1);
    ExpectRefinedRoots(w, 100, "Wilkinson perturbe");
}

// Square-free products of random factors and of rational linear ones (0 and
// dyadic roots among them): as many intervals as FLINT's count of real
// roots, sorted and apart, each an exact root or one sign change.
TEST(IsolateRealRoots, SquareFreeProductsWithRationalRoots)
{
    std::mt19937 rng(2027);
    std::uniform_int_distribution<long> coeff(-9, 9), pick(0, 5);
    const long linear[][2] = { { 0, 1 }, { -1, 2 }, { 1, 4 }, { 3, 7 }, { -5, 1 }, { 1, 3 } }; // b + a x
    for (int trial = 0; trial < 60; ++trial) {
        FmpzPoly f, g, d;
        fmpz_poly_one(f.raw());
        for (int k = 0; k < 1 + trial % 4; ++k) {
            fmpz_poly_zero(g.raw());
            const slong deg = 1 + static_cast<slong>(rng() % 12);
            for (slong i = 0; i <= deg; ++i) fmpz_poly_set_coeff_si(g.raw(), i, coeff(rng));
            fmpz_poly_set_coeff_si(g.raw(), deg, 1 + k);
            fmpz_poly_mul(f.raw(), f.raw(), g.raw());
            const long* l = linear[pick(rng)];
            fmpz_poly_zero(g.raw());
            fmpz_poly_set_coeff_si(g.raw(), 0, l[0]);
            fmpz_poly_set_coeff_si(g.raw(), 1, l[1]);
            fmpz_poly_mul(f.raw(), f.raw(), g.raw());
        }
        fmpz_poly_derivative(d.raw(), f.raw());
        fmpz_poly_gcd(g.raw(), f.raw(), d.raw());
        if (fmpz_poly_degree(g.raw()) > 0) continue;
        const std::vector<RootInterval> roots = IsolateRealRoots(f);
        ASSERT_EQ(static_cast<slong>(roots.size()), fmpz_poly_num_real_roots(f.raw())) << trial;
        for (size_t i = 0; i < roots.size(); ++i) {
            const RootInterval& r = roots[i];
            if (i > 0) EXPECT_LE(arf_cmp(roots[i - 1].hi.raw(), r.lo.raw()), 0) << trial;
            if (r.exact) {
                flint::Fmpq v;
                fmpz_poly_evaluate_fmpq(v.raw(), f.raw(), r.exact->raw());
                EXPECT_TRUE(fmpq_is_zero(v.raw())) << trial;
            } else {
                EXPECT_EQ(Sign(f, r.lo.raw()) * Sign(f, r.hi.raw()), -1) << trial;
            }
        }
    }
}

} // namespace
} // namespace vindrel::engine::fp
