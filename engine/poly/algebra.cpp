#include "engine/poly/algebra.h"

#include <flint/fmpz_factor.h>

#include <vector>

namespace vindrel::engine {

using flint::FmpqMpoly;

FmpqMpoly Add(const FmpqMpoly& a, const FmpqMpoly& b)
{
    FmpqMpoly r(a.ctx());
    fmpq_mpoly_add(r.raw(), a.raw(), b.raw(), a.craw());
    return r;
}

FmpqMpoly Sub(const FmpqMpoly& a, const FmpqMpoly& b)
{
    FmpqMpoly r(a.ctx());
    fmpq_mpoly_sub(r.raw(), a.raw(), b.raw(), a.craw());
    return r;
}

FmpqMpoly Mul(const FmpqMpoly& a, const FmpqMpoly& b)
{
    FmpqMpoly r(a.ctx());
    fmpq_mpoly_mul(r.raw(), a.raw(), b.raw(), a.craw());
    return r;
}

FmpqMpoly Derivative(const FmpqMpoly& p, slong var)
{
    FmpqMpoly d(p.ctx());
    fmpq_mpoly_derivative(d.raw(), p.raw(), var, p.craw());
    return d;
}

bool IsZero(const FmpqMpoly& p)
{
    return fmpq_mpoly_is_zero(p.raw(), p.craw());
}

FmpqMpoly Variable(const flint::MpolyCtxPtr& ctx, slong var)
{
    FmpqMpoly v(ctx);
    fmpq_mpoly_gen(v.raw(), var, ctx->raw());
    return v;
}

FmpqMpoly HomogeneousPart(const FmpqMpoly& p, slong degree)
{
    FmpqMpoly out(p.ctx());
    std::vector<ulong> exps(static_cast<size_t>(fmpq_mpoly_ctx_nvars(p.craw())));
    flint::Fmpq c;
    for (slong k = 0; k < fmpq_mpoly_length(p.raw(), p.craw()); ++k) {
        fmpq_mpoly_get_term_exp_ui(exps.data(), p.raw(), k, p.craw());
        if (static_cast<slong>(exps[0] + exps[1]) != degree) continue;
        fmpq_mpoly_get_term_coeff_fmpq(c.raw(), p.raw(), k, p.craw());
        fmpq_mpoly_set_coeff_fmpq_ui(out.raw(), c.raw(), exps.data(), p.craw());
    }
    return out;
}

void SquareFreeSplit(const fmpz_t n, flint::Fmpz& s, flint::Fmpz& r)
{
    fmpz_one(s.raw());
    fmpz_one(r.raw());
    // The usual discriminants are small: trial division answers them at once,
    // where fmpz_factor would first build its table of primes (a tenth of a
    // millisecond, most of a small analysis).
    if (fmpz_cmp_ui(n, 1000000) < 0 && fmpz_sgn(n) > 0) {
        ulong m = fmpz_get_ui(n), sq = 1, rest = 1;
        for (ulong d = 2; d * d <= m; ++d) {
            int e = 0;
            for (; m % d == 0; m /= d) ++e;
            for (int k = 0; k < e / 2; ++k) sq *= d;
            if (e % 2) rest *= d;
        }
        fmpz_set_ui(s.raw(), sq);
        fmpz_set_ui(r.raw(), rest * m);
        return;
    }
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
