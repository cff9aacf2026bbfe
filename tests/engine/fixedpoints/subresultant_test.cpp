// The first subresultant by the remainder sequence against its definition
// as determinants: the same numbers, sign included, whether the sequence is
// normal or falls back to the determinants.
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
    Fmpz s1, s0, d1, d0;
    FirstSubresultant(s1, s0, a, b);
    FirstSubresultantByDeterminant(d1, d0, a, b);
    char* ta = fmpz_poly_get_str_pretty(a.raw(), "y");
    char* tb = fmpz_poly_get_str_pretty(b.raw(), "y");
    EXPECT_TRUE(fmpz_equal(s1.raw(), d1.raw()) && fmpz_equal(s0.raw(), d0.raw())) << ta << " ; " << tb;
    flint_free(ta);
    flint_free(tb);
}

TEST(FirstSubresultant, KnownValueOfTwoQuadratics)
{
    // Rows y^2-1 and y^2-4; columns y^2 then y^1 or y^0: s1 = 0, s0 = -4 + 1.
    Fmpz s1, s0;
    FirstSubresultant(s1, s0, FromCoefficients({ -1, 0, 1 }), FromCoefficients({ -4, 0, 1 }));
    EXPECT_EQ(fmpz_get_si(s1.raw()), 0);
    EXPECT_EQ(fmpz_get_si(s0.raw()), -3);
}

TEST(FirstSubresultant, EqualsTheDeterminantsForEveryPairOfDegrees)
{
    std::mt19937 rng(2026);
    std::uniform_int_distribution<long> small(-20, 20), large(-1000000000L, 1000000000L);
    for (slong m = 2; m <= 11; ++m)
        for (slong n = 2; n <= m; ++n)
            for (int trial = 0; trial < 8; ++trial) {
                auto& dist = trial % 2 ? large : small;
                std::vector<long> ca(static_cast<size_t>(m + 1)), cb(static_cast<size_t>(n + 1));
                for (long& c : ca) c = dist(rng);
                for (long& c : cb) c = dist(rng);
                if (ca.back() == 0) ca.back() = 1;
                if (cb.back() == 0) cb.back() = -1;
                ExpectSameAsDeterminant(FromCoefficients(ca), FromCoefficients(cb));
            }
}

TEST(FirstSubresultant, SequencesThatAreNotNormalFallBackToTheDeterminants)
{
    // A degree drop of two (y^4 + 1 by y^2), a common factor (the sequence
    // ends at zero), a common root, sparse polynomials, equal polynomials.
    const std::vector<std::pair<std::vector<long>, std::vector<long>>> cases = {
        { { 1, 0, 0, 0, 1 }, { 0, 0, 1 } },
        { { -1, 0, 0, 1 }, { -1, 0, 1 } },               // y^3 - 1 and y^2 - 1: common y - 1
        { { -2, 1, 0, 1 }, { 2, -3, 1 } },                // y^3 + y - 2 and (y-1)(y-2): root 1
        { { 1, 0, 0, 0, 0, 0, 1 }, { 1, 0, 0, 1 } },
        { { 3, 0, 2, 0, 1 }, { 5, 0, 0, 0, 7 } },
        { { 1, 2, 3, 4 }, { 1, 2, 3, 4 } },
        { { 0, 0, 0, 0, 1 }, { 0, 0, 0, 1 } },           // y^4 and y^3
    };
    for (const auto& [a, b] : cases) ExpectSameAsDeterminant(FromCoefficients(a), FromCoefficients(b));
}

} // namespace
} // namespace vindrel::engine::fp
