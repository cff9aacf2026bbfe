#include "engine/general/text.h"

#include "engine/flint/korbast_factor.h"
#include "engine/poly/print.h"

#include <flint/fmpz_factor.h>

#include <vector>

namespace vindrel::engine::general {

using flint::Fmpq;
using flint::Fmpz;
using flint::TakeString;

std::string RationalText(const fmpq_t q)
{
    return TakeString(fmpq_get_str(nullptr, 10, q));
}

std::string RationalText(const Fmpq& q)
{
    return RationalText(q.raw());
}

namespace {

std::string FmpzText(const fmpz_t z)
{
    return TakeString(fmpz_get_str(nullptr, 10, z));
}

} // namespace

std::string PolyText(const flint::FmpqMpoly& p)
{
    return ToReport(p);
}

namespace {

// Integers up to this size are factored completely (a few milliseconds at
// worst); beyond it only square factors below kTrialBound are taken out.
constexpr flint_bitcnt_t kFullFactorBits = 100;
constexpr ulong kTrialBound = 2000;

// sqrt(|q|) = k racine(m) / d, m squarefree when n is small enough.
void SimplifyRoot(const fmpq_t q, Fmpz& k, Fmpz& m, Fmpz& d)
{
    // |p/s| = p s / s²: the root is racine(p s) / s.
    Fmpz n;
    fmpz_mul(n.raw(), fmpq_numref(q), fmpq_denref(q));
    fmpz_abs(n.raw(), n.raw());
    fmpz_set(d.raw(), fmpq_denref(q));
    fmpz_one(k.raw());
    fmpz_one(m.raw());
    if (fmpz_bits(n.raw()) > kFullFactorBits) {
        // Too large to factor in a bounded time: take out the squares of
        // small numbers only; the rest stays under the root.
        Fmpz sq, q;
        for (ulong f = 2; f < kTrialBound; ++f) {
            fmpz_set_ui(sq.raw(), f * f);
            while (fmpz_divisible(n.raw(), sq.raw())) {
                fmpz_divexact(n.raw(), n.raw(), sq.raw());
                fmpz_mul_ui(k.raw(), k.raw(), f);
            }
        }
        fmpz_set(m.raw(), n.raw());
    } else {
        fmpz_factor_t f;
        fmpz_factor_init(f);
        fmpz_factor(f, n.raw());
        Fmpz pw;
        for (slong i = 0; i < f->num; ++i) {
            fmpz_pow_ui(pw.raw(), f->p + i, f->exp[i] / 2);
            fmpz_mul(k.raw(), k.raw(), pw.raw());
            if (f->exp[i] % 2) fmpz_mul(m.raw(), m.raw(), f->p + i);
        }
        fmpz_factor_clear(f);
    }
    // Reduce k/d.
    Fmpz g;
    fmpz_gcd(g.raw(), k.raw(), d.raw());
    fmpz_divexact(k.raw(), k.raw(), g.raw());
    fmpz_divexact(d.raw(), d.raw(), g.raw());
}

// The magnitude of the root part, written with an optional unit ("i").
std::string RootPart(const Fmpz& k, const Fmpz& m, const Fmpz& d, const std::string& unit)
{
    std::string num;
    const bool kOne = fmpz_is_one(k.raw());
    const std::string kt = kOne ? "" : FmpzText(k.raw());
    if (fmpz_is_one(m.raw())) {
        num = unit.empty() ? FmpzText(k.raw()) : kt + unit;
    } else {
        num = kt + unit + (kt.empty() && unit.empty() ? "" : " ") + "racine(" + FmpzText(m.raw()) + ")";
    }
    if (!fmpz_is_one(d.raw())) num += "/" + FmpzText(d.raw());
    return num;
}

} // namespace

EigenTexts EigenvalueTexts(const fmpq_t trace, const fmpq_t disc)
{
    Fmpq half, quarter;
    fmpq_div_2exp(half.raw(), trace, 1);
    // The root part is racine(|disc|)/2 = racine(|disc|/4).
    fmpq_div_2exp(quarter.raw(), disc, 2);
    if (fmpq_is_zero(disc)) {
        const std::string t = RationalText(half);
        return { t, t };
    }
    Fmpz k, m, d;
    SimplifyRoot(quarter.raw(), k, m, d);
    const bool complex = fmpq_sgn(disc) < 0;
    if (!complex && fmpz_is_one(m.raw())) {
        // Rational eigenvalues.
        Fmpq r, lo, hi;
        fmpq_set_fmpz_frac(r.raw(), k.raw(), d.raw());
        fmpq_sub(lo.raw(), half.raw(), r.raw());
        fmpq_add(hi.raw(), half.raw(), r.raw());
        return { RationalText(lo), RationalText(hi) };
    }
    const std::string root = RootPart(k, m, d, complex ? "i" : "");
    if (fmpq_is_zero(half.raw())) return { "-" + root, root };
    const std::string re = RationalText(half);
    return { re + " - " + root, re + " + " + root };
}

} // namespace vindrel::engine::general
