// The resultant and first subresultant by the remainder sequence against
// FLINT's resultant and the definition as determinants: the same numbers,
// sign included, whether the sequence is normal or falls back.
#include "engine/fixedpoints/solver.h"

#include <gtest/gtest.h>

#include <flint/fmpz_poly.h>

#include <random>
#include <vector>

namespace vindrel::engine::fp {
namespace {

using flint::Fmpz;
using flint::FmpzPoly;

FmpzPoly FromCoefficients(const std::vector<long>& lowToHigh)
{
    FmpzPoly p;
    for (size_t i = 0; i < lowToHigh.size(); ++i)
        fmpz_poly_set_coeff_si(p.raw(), static_cast<slong>(i), lowToHigh[i]);
    return p;
}

void ExpectSameAsDeterminant(const FmpzPoly& a, const FmpzPoly& b)
{
    Fmpz r, s1, s0, dr, d1, d0;
    Subresultants(r, s1, s0, a, b);
    fmpz_poly_resultant(dr.raw(), a.raw(), b.raw());
    FirstSubresultantByDeterminant(d1, d0, a, b);
    EXPECT_TRUE(fmpz_equal(r.raw(), dr.raw())) << "resultant";
    char* ta = fmpz_poly_get_str_pretty(a.raw(), "y");
    char* tb = fmpz_poly_get_str_pretty(b.raw(), "y");
    EXPECT_TRUE(fmpz_equal(s1.raw(), d1.raw()) && fmpz_equal(s0.raw(), d0.raw())) << ta << " ; " << tb;
    // Modulo primes, small ones included (where the sequence may stop being
    // normal): the images of the same numbers.
    for (mp_limb_t p : { mp_limb_t { 3 }, mp_limb_t { 7 }, mp_limb_t { 101 }, (UWORD(1) << 62) + 135 }) {
        if (fmpz_fdiv_ui(fmpz_poly_lead(a.raw()), p) == 0 || fmpz_fdiv_ui(fmpz_poly_lead(b.raw()), p) == 0)
            continue;
        nmod_poly_t am, bm;
        nmod_poly_init(am, p);
        nmod_poly_init(bm, p);
        fmpz_poly_get_nmod_poly(am, a.raw());
        fmpz_poly_get_nmod_poly(bm, b.raw());
        mp_limb_t mr, m1, m0;
        SubresultantsMod(mr, m1, m0, am, bm);
        EXPECT_EQ(mr, fmpz_fdiv_ui(r.raw(), p)) << "p = " << p << ": " << ta << " ; " << tb;
        EXPECT_EQ(m1, fmpz_fdiv_ui(s1.raw(), p)) << "p = " << p << ": " << ta << " ; " << tb;
        EXPECT_EQ(m0, fmpz_fdiv_ui(s0.raw(), p)) << "p = " << p << ": " << ta << " ; " << tb;
        nmod_poly_clear(am);
        nmod_poly_clear(bm);
    }
    flint_free(ta);
    flint_free(tb);
}

TEST(Subresultants, KnownValues)
{
    // Rows y^2-1 and y^2-4; columns y^2 then y^1 or y^0: s1 = 0, s0 = -4 + 1;
    // roots +-1 and +-2: resultant (1-2)(1+2)(-1-2)(-1+2) = 9.
    Fmpz r, s1, s0;
    Subresultants(r, s1, s0, FromCoefficients({ -1, 0, 1 }), FromCoefficients({ -4, 0, 1 }));
    EXPECT_EQ(fmpz_get_si(r.raw()), 9);
    EXPECT_EQ(fmpz_get_si(s1.raw()), 0);
    EXPECT_EQ(fmpz_get_si(s0.raw()), -3);
    // A normal sequence: y^3 - y and y^2 - 4. Rows a, y*b, b: s1 = 3, s0 = 0
    // (a mod b = 3y); resultant b(0) b(1) b(-1) = -36.
    Subresultants(r, s1, s0, FromCoefficients({ 0, -1, 0, 1 }), FromCoefficients({ -4, 0, 1 }));
    EXPECT_EQ(fmpz_get_si(r.raw()), -36);
    EXPECT_EQ(fmpz_get_si(s1.raw()), 3);
    EXPECT_EQ(fmpz_get_si(s0.raw()), 0);
}

TEST(Subresultants, EqualTheDeterminantsForEveryPairOfDegrees)
{
    std::mt19937 rng(2026);
    std::uniform_int_distribution<long> small(-20, 20), large(-1000000000L, 1000000000L);
    for (slong m = 2; m <= 11; ++m)
        for (slong n = 2; n <= m; ++n)
            for (int trial = 0; trial < 8; ++trial) {
                auto& dist = trial % 2 ? large : small;
                std::vector<long> ca(static_cast<size_t>(m + 1)), cb(static_cast<size_t>(n + 1));
                for (long& c : ca)
                    c = dist(rng);
                for (long& c : cb)
                    c = dist(rng);
                if (ca.back() == 0) ca.back() = 1;
                if (cb.back() == 0) cb.back() = -1;
                ExpectSameAsDeterminant(FromCoefficients(ca), FromCoefficients(cb));
            }
}

TEST(Subresultants, SequencesThatAreNotNormalFallBack)
{
    // A degree drop of two (y^4 + 1 by y^2), a common factor (the sequence
    // ends at zero), a common root, sparse polynomials, equal polynomials.
    const std::vector<std::pair<std::vector<long>, std::vector<long>>> cases = {
        { { 1, 0, 0, 0, 1 }, { 0, 0, 1 } },
        { { -1, 0, 0, 1 }, { -1, 0, 1 } }, // y^3 - 1 and y^2 - 1: common y - 1
        { { -2, 1, 0, 1 }, { 2, -3, 1 } }, // y^3 + y - 2 and (y-1)(y-2): root 1
        { { 1, 0, 0, 0, 0, 0, 1 }, { 1, 0, 0, 1 } }, { { 3, 0, 2, 0, 1 }, { 5, 0, 0, 0, 7 } },
        { { 1, 2, 3, 4 }, { 1, 2, 3, 4 } }, { { 0, 0, 0, 0, 1 }, { 0, 0, 0, 1 } }, // y^4 and y^3
    };
    for (const auto& [a, b] : cases)
        ExpectSameAsDeterminant(FromCoefficients(a), FromCoefficients(b));
}

} // namespace
} // namespace vindrel::engine::fp
