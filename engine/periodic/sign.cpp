// Exact sign rules for polynomials in x and y, and positive roots of
// univariate polynomials.
#include "engine/periodic/exact.h"

#include "engine/fixedpoints/real_roots.h"
#include "engine/poly/print.h"

#include <flint/fmpz_poly_factor.h>

#include <array>
#include <cstdio>

namespace vindrel::engine::periodic {

namespace {

struct Term {
    flint::Fmpq c;
    slong i = 0, j = 0;
};

std::vector<Term> TermsXY(const FmpqMpoly& p)
{
    std::vector<Term> out;
    std::vector<slong> e(static_cast<size_t>(p.ctx()->nvars()));
    for (slong k = 0; k < fmpq_mpoly_length(p.raw(), p.craw()); ++k) {
        Term t;
        fmpq_mpoly_get_term_coeff_fmpq(t.c.raw(), p.raw(), k, p.craw());
        fmpq_mpoly_get_term_exp_si(e.data(), p.raw(), k, p.craw());
        t.i = e[0];
        t.j = e[1];
        out.push_back(std::move(t));
    }
    return out;
}

// (x, y, 1) M (x, y, 1)^T of one sign: M semidefinite (principal minors).
int QuadraticSign(const std::vector<Term>& terms)
{
    std::array<std::array<flint::Fmpq, 3>, 3> q;
    for (const Term& t : terms) {
        flint::Fmpq half;
        fmpq_div_2exp(half.raw(), t.c.raw(), 1);
        auto put = [&](int a, int b, const flint::Fmpq& v) {
            q[size_t(a)][size_t(b)] = v;
            q[size_t(b)][size_t(a)] = v;
        };
        if (t.i == 2)
            put(0, 0, t.c);
        else if (t.j == 2)
            put(1, 1, t.c);
        else if (t.i == 1 && t.j == 1)
            put(0, 1, half);
        else if (t.i == 1)
            put(0, 2, half);
        else if (t.j == 1)
            put(1, 2, half);
        else
            put(2, 2, t.c);
    }
    auto semidefinite = [&](int sign) {
        // All principal minors of sign * M are >= 0.
        auto at = [&](int a, int b) {
            flint::Fmpq v = q[size_t(a)][size_t(b)];
            if (sign < 0) fmpq_neg(v.raw(), v.raw());
            return v;
        };
        for (int a = 0; a < 3; ++a)
            if (fmpq_sgn(at(a, a).raw()) < 0) return false;
        flint::Fmpq t, u;
        for (int a = 0; a < 3; ++a)
            for (int b = a + 1; b < 3; ++b) {
                fmpq_mul(t.raw(), at(a, a).raw(), at(b, b).raw());
                fmpq_mul(u.raw(), at(a, b).raw(), at(a, b).raw());
                fmpq_sub(t.raw(), t.raw(), u.raw());
                if (fmpq_sgn(t.raw()) < 0) return false;
            }
        flint::Fmpq det, c;
        for (int b = 0; b < 3; ++b) {
            const int b1 = (b + 1) % 3, b2 = (b + 2) % 3;
            fmpq_mul(t.raw(), at(1, b1).raw(), at(2, b2).raw());
            fmpq_mul(u.raw(), at(1, b2).raw(), at(2, b1).raw());
            fmpq_sub(c.raw(), t.raw(), u.raw());
            fmpq_mul(c.raw(), c.raw(), at(0, b).raw());
            fmpq_add(det.raw(), det.raw(), c.raw());
        }
        return fmpq_sgn(det.raw()) >= 0;
    };
    if (semidefinite(1)) return 1;
    if (semidefinite(-1)) return -1;
    return 0;
}

} // namespace

Sign GlobalSign(const FmpqMpoly& p)
{
    const auto terms = TermsXY(p);
    if (terms.empty()) return Sign::Unknown;
    int degree = 0, sign = 0;
    bool even = true;
    for (const Term& t : terms) {
        degree = std::max(degree, int(t.i + t.j));
        const int s = fmpq_sgn(t.c.raw());
        if (t.i % 2 || t.j % 2 || (sign && s != sign)) even = false;
        sign = s;
    }
    if (even) return sign > 0 ? Sign::Positive : Sign::Negative;
    if (degree % 2) return Sign::Unknown;
    FmpqMpoly root(p.ctx()), neg(p.ctx());
    if (fmpq_mpoly_sqrt(root.raw(), p.raw(), p.craw())) return Sign::Positive;
    fmpq_mpoly_neg(neg.raw(), p.raw(), p.craw());
    if (fmpq_mpoly_sqrt(root.raw(), neg.raw(), p.craw())) return Sign::Negative;
    if (degree == 2) {
        const int s = QuadraticSign(terms);
        if (s) return s > 0 ? Sign::Positive : Sign::Negative;
    }
    return Sign::Unknown;
}

std::vector<RealRoot> PositiveOddRoots(const flint::FmpqPoly& p)
{
    std::vector<RealRoot> out;
    if (fmpq_poly_degree(p.raw()) < 1) return out;
    flint::FmpzPoly num;
    fmpq_poly_get_numerator(num.raw(), p.raw());
    fmpz_poly_factor_t fac;
    fmpz_poly_factor_init(fac);
    fmpz_poly_factor(fac, num.raw());
    for (slong k = 0; k < fac->num; ++k) {
        if (fac->exp[k] % 2 == 0) continue;
        RealRoot base;
        fmpz_poly_set(base.poly.raw(), fac->p + k);
        if (fmpz_poly_degree(base.poly.raw()) < 1 || fmpz_is_zero(base.poly.raw()->coeffs))
            continue; // u: root 0
        for (auto& r : fp::IsolateRealRoots(base.poly)) {
            // Zero is no root: refine until the interval is on one side of it.
            for (slong bits = 8; arf_sgn(r.lo.raw()) < 0 && arf_sgn(r.hi.raw()) > 0 && bits < 4096; bits *= 2)
                fp::RefineRoot(r, base.poly, bits);
            if (arf_sgn(r.lo.raw()) >= 0 && arf_sgn(r.hi.raw()) > 0) {
                RealRoot root;
                root.poly = base.poly;
                root.interval = r;
                out.push_back(std::move(root));
            }
        }
    }
    fmpz_poly_factor_clear(fac);
    return out;
}

int Compare(RealRoot& a, RealRoot& b)
{
    if (fmpz_poly_equal(a.poly.raw(), b.poly.raw()) && arf_equal(a.interval.lo.raw(), b.interval.lo.raw()))
        return 0;
    for (slong bits = 8; bits <= 4096; bits *= 2) {
        if (arf_cmp(a.interval.hi.raw(), b.interval.lo.raw()) <= 0) return -1;
        if (arf_cmp(b.interval.hi.raw(), a.interval.lo.raw()) <= 0) return 1;
        fp::RefineRoot(a.interval, a.poly, bits);
        fp::RefineRoot(b.interval, b.poly, bits);
    }
    // Not told apart: the same root only when both polynomials share it.
    flint::FmpzPoly g;
    fmpz_poly_gcd(g.raw(), a.poly.raw(), b.poly.raw());
    return fmpz_poly_degree(g.raw()) > 0 ? 0 : 2;
}

std::string Decimal(double v, int digits)
{
    return DecimalFr(v, digits);
}

} // namespace vindrel::engine::periodic
