#include "engine/poly/algebra.h"

#include <flint/fmpz_factor.h>

namespace vindrel::engine {

void SquareFreeSplit(const fmpz_t n, flint::Fmpz& s, flint::Fmpz& r)
{
    fmpz_one(s.raw());
    fmpz_one(r.raw());
    fmpz_factor_t fac;
    fmpz_factor_init(fac);
    fmpz_factor(fac, n);
    flint::Fmpz pw;
    for (slong i = 0; i < fac->num; ++i) {
        fmpz_pow_ui(pw.raw(), fac->p + i, fac->exp[i] / 2);
        fmpz_mul(s.raw(), s.raw(), pw.raw());
        if (fac->exp[i] % 2) fmpz_mul(r.raw(), r.raw(), fac->p + i);
    }
    fmpz_factor_clear(fac);
}

} // namespace vindrel::engine
