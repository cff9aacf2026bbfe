// The eliminant's factorisation: the same content and factors as FLINT's
// on fixed-seed polynomials of degree 4 and 5, irreducible or built from
// factors (with a content, a sign, a square).
#include "engine/fixedpoints/small_factor.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace vindrel::engine::fp {
namespace {

std::vector<std::string> Describe(const fmpz_poly_factor_struct* f)
{
    std::vector<std::string> out { flint::TakeString(fmpz_get_str(nullptr, 10, &f->c)) };
    for (slong i = 0; i < f->num; ++i)
        out.push_back(flint::TakeString(fmpz_poly_get_str(f->p + i)) + "^" + std::to_string(f->exp[i]));
    std::sort(out.begin() + 1, out.end());
    return out;
}

TEST(FactorEliminant, AgreesWithTheFullFactorisation)
{
    std::mt19937 rng(99);
    auto random = [&](slong degree, int size) {
        flint::FmpzPoly p;
        for (slong i = 0; i <= degree; ++i)
            fmpz_poly_set_coeff_si(p.raw(), i, static_cast<slong>(rng() % (2 * size + 1)) - size);
        if (fmpz_poly_degree(p.raw()) < degree) fmpz_poly_set_coeff_si(p.raw(), degree, 1);
        return p;
    };
    int irreducible = 0;
    for (int k = 0; k < 3000; ++k) {
        const slong degree = 4 + k % 2;
        flint::FmpzPoly p;
        switch (k % 5) {
        case 0:
        case 1:
            p = random(degree, 1 << (k % 20));
            break;
        case 2: // a linear factor, or a square
            fmpz_poly_mul(p.raw(), random(1, 5).raw(), random(degree - 1, 50).raw());
            if (k % 3 == 0) fmpz_poly_mul(p.raw(), random(2, 3).raw(), random(2, 3).raw());
            if (k % 7 == 0) fmpz_poly_sqr(p.raw(), random(2, 9).raw());
            break;
        default: // two factors of degree 2 and more, a content, a sign
            fmpz_poly_mul(p.raw(), random(2, 20).raw(), random(degree - 2, 20).raw());
            fmpz_poly_scalar_mul_si(p.raw(), p.raw(), k % 3 == 0 ? -6 : 1);
        }
        if (fmpz_poly_degree(p.raw()) < 4) continue;
        flint::FmpzPolyFactor mine, full;
        FactorEliminant(mine, p);
        fmpz_poly_factor(full.raw(), p.raw());
        ASSERT_EQ(Describe(mine.raw()), Describe(full.raw())) << flint::TakeString(fmpz_poly_get_str(p.raw()));
        irreducible += full.raw()->num == 1 && full.raw()->exp[0] == 1;
    }
    EXPECT_GT(irreducible, 1000);
}

} // namespace
} // namespace vindrel::engine::fp
