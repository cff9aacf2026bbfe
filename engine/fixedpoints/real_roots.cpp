#include "engine/fixedpoints/real_roots.h"

#include <algorithm>
#include <arb_fmpz_poly.h>
#include <cmath>
#include <stdexcept>

namespace vindrel::engine::fp {

using flint::Arf;
using flint::Fmpq;
using flint::Fmpz;
using flint::FmpzPoly;

namespace {

// Sign variations of the coefficients of (x+1)^n p(1/(x+1)): a bound on the
// number of roots of p in (0, 1), exact when it is 0 or 1.
long DescartesBound(const FmpzPoly& p)
{
    FmpzPoly q;
    const slong n = fmpz_poly_degree(p.raw());
    fmpz_poly_reverse(q.raw(), p.raw(), n + 1);
    Fmpz one;
    fmpz_one(one.raw());
    fmpz_poly_taylor_shift(q.raw(), q.raw(), one.raw());
    long changes = 0;
    int last = 0;
    for (slong i = 0; i <= n; ++i) {
        const int s = fmpz_sgn(q.raw()->coeffs + i);
        if (s == 0) continue;
        if (last != 0 && s != last) ++changes;
        last = s;
    }
    return changes;
}

// Roots of p in (0, 1), as (c, k): the root lies in (c/2^k, (c+1)/2^k).
void Bisect(const FmpzPoly& p, const Fmpz& c, slong k, std::vector<std::pair<Fmpz, slong>>& out)
{
    const long v = DescartesBound(p);
    if (v == 0) return;
    if (v == 1) {
        out.emplace_back(c, k);
        return;
    }
    const slong n = fmpz_poly_degree(p.raw());
    // Left half: 2^n p(x/2); right half: the same shifted by 1.
    FmpzPoly left;
    fmpz_poly_set(left.raw(), p.raw());
    for (slong i = 0; i <= n; ++i)
        fmpz_mul_2exp(left.raw()->coeffs + i, left.raw()->coeffs + i, static_cast<ulong>(n - i));
    // Drop the common power of two: same roots, smaller numbers.
    ulong common = ~0ul;
    for (slong i = 0; i <= n; ++i) {
        if (!fmpz_is_zero(left.raw()->coeffs + i))
            common = std::min<ulong>(common, fmpz_val2(left.raw()->coeffs + i));
    }
    if (common > 0 && common != ~0ul) fmpz_poly_scalar_fdiv_2exp(left.raw(), left.raw(), common);
    FmpzPoly right;
    Fmpz one;
    fmpz_one(one.raw());
    fmpz_poly_taylor_shift(right.raw(), left.raw(), one.raw());
    if (fmpz_is_zero(right.raw()->coeffs)) throw std::logic_error("racine dyadique inattendue");
    Fmpz c2;
    fmpz_mul_2exp(c2.raw(), c.raw(), 1);
    Bisect(left, c2, k + 1, out);
    fmpz_add_ui(c2.raw(), c2.raw(), 1);
    Bisect(right, c2, k + 1, out);
}

// The sign of f at a dyadic x = m 2^-k, exactly: that of
// sum f_i m^i 2^(k (n - i)), by Horner's rule on integers.
int SignAt(const FmpzPoly& f, const arf_t x)
{
    const slong n = fmpz_poly_degree(f.raw());
    Fmpz m, e;
    arf_get_fmpz_2exp(m.raw(), e.raw(), x);
    if (n <= 8 && fmpz_sgn(e.raw()) <= 0 && fmpz_cmp_si(e.raw(), -4096) >= 0) {
        const ulong k = static_cast<ulong>(-fmpz_get_si(e.raw()));
        Fmpz acc, t;
        fmpz_set(acc.raw(), f.raw()->coeffs + n);
        for (slong i = n - 1; i >= 0; --i) {
            fmpz_mul(acc.raw(), acc.raw(), m.raw());
            fmpz_mul_2exp(t.raw(), f.raw()->coeffs + i, k * static_cast<ulong>(n - i));
            fmpz_add(acc.raw(), acc.raw(), t.raw());
        }
        return fmpz_sgn(acc.raw());
    }
    for (slong prec = 128;; prec *= 2) {
        arb_t a, v;
        arb_init(a);
        arb_init(v);
        arb_set_arf(a, x);
        arb_fmpz_poly_evaluate_arb(v, f.raw(), a, prec);
        const int s = arb_is_positive(v) ? 1 : arb_is_negative(v) ? -1 : 0;
        const bool exactZero = arb_is_zero(v);
        arb_clear(a);
        arb_clear(v);
        if (s != 0) return s;
        if (exactZero) return 0;
    }
}

} // namespace

std::vector<RootInterval> IsolateRealRoots(const FmpzPoly& f)
{
    std::vector<RootInterval> out;
    const slong n = fmpz_poly_degree(f.raw());
    if (n <= 0) return out;
    if (n == 1) {
        RootInterval r;
        r.exact.emplace();
        fmpq_set_fmpz_frac(r.exact->raw(), f.raw()->coeffs, f.raw()->coeffs + 1);
        fmpq_neg(r.exact->raw(), r.exact->raw());
        const fmpq* q = r.exact->raw();
        arf_fmpz_div_fmpz(r.lo.raw(), fmpq_numref(q), fmpq_denref(q), 128, ARF_RND_FLOOR);
        arf_fmpz_div_fmpz(r.hi.raw(), fmpq_numref(q), fmpq_denref(q), 128, ARF_RND_CEIL);
        out.push_back(std::move(r));
        return out;
    }
    // Every root has |root| < 2^K (Fujiwara: 2 max |a_(n-i)/a_n|^(1/i)).
    slong K = 1;
    const slong lead = static_cast<slong>(fmpz_bits(fmpz_poly_lead(f.raw())));
    for (slong i = 1; i <= n; ++i) {
        const fmpz* c = f.raw()->coeffs + (n - i);
        if (fmpz_is_zero(c)) continue;
        const slong e = static_cast<slong>(fmpz_bits(c)) - lead + 1; // |a_(n-i)/a_n| < 2^e
        K = std::max<slong>(K, 2 + (e > 0 ? (e + i - 1) / i : 0));
    }
    for (int side : { -1, 1 }) {
        FmpzPoly g; // g(x) = f(side * 2^K x)
        fmpz_poly_set(g.raw(), f.raw());
        for (slong i = 0; i <= n; ++i) {
            fmpz_mul_2exp(g.raw()->coeffs + i, g.raw()->coeffs + i, static_cast<ulong>(K * i));
            if (side < 0 && i % 2) fmpz_neg(g.raw()->coeffs + i, g.raw()->coeffs + i);
        }
        std::vector<std::pair<Fmpz, slong>> found;
        Bisect(g, Fmpz(), 0, found);
        for (auto& [c, k] : found) {
            RootInterval r;
            arf_set_fmpz(r.lo.raw(), c.raw());
            arf_mul_2exp_si(r.lo.raw(), r.lo.raw(), K - k);
            Fmpz c1;
            fmpz_add_ui(c1.raw(), c.raw(), 1);
            arf_set_fmpz(r.hi.raw(), c1.raw());
            arf_mul_2exp_si(r.hi.raw(), r.hi.raw(), K - k);
            if (side < 0) {
                arf_neg(r.lo.raw(), r.lo.raw());
                arf_neg(r.hi.raw(), r.hi.raw());
                arf_swap(r.lo.raw(), r.hi.raw());
            }
            out.push_back(std::move(r));
        }
    }
    std::sort(out.begin(), out.end(),
        [](const RootInterval& a, const RootInterval& b) { return arf_cmp(a.lo.raw(), b.lo.raw()) < 0; });
    return out;
}

namespace {

// Newton's iteration in double precision from x inside (lo, hi): the first
// fifty bits of the root cheaply, or x unchanged when it leaves the
// interval, stalls or the coefficients do not fit in a double.
double NewtonInDoubles(const FmpzPoly& f, double x, double lo, double hi)
{
    const slong n = fmpz_poly_degree(f.raw());
    if (n < 1 || n > 64) return x;
    double c[65];
    for (slong i = 0; i <= n; ++i) {
        c[i] = fmpz_get_d(f.raw()->coeffs + i);
        if (!std::isfinite(c[i]) || std::fabs(c[i]) > 1e250) return x;
    }
    double y = x;
    for (int it = 0; it < 40; ++it) {
        double v = c[n], d = 0;
        for (slong i = n - 1; i >= 0; --i) {
            d = d * y + v;
            v = v * y + c[i];
        }
        if (d == 0 || !std::isfinite(v) || !std::isfinite(d)) return x;
        const double next = y - v / d;
        if (!(next > lo && next < hi)) return x;
        const bool close = std::fabs(next - y) <= 0x1p-48 * std::fabs(next);
        y = next;
        if (close) return y;
    }
    return x;
}

// Newton's iteration from `start` on floating-point values: a guess of the
// root, or nothing when it leaves (lo, hi) or meets a flat point. Only a
// guess: the caller proves it by signs.
bool NewtonGuess(arf_t out, const FmpzPoly& f, const FmpzPoly& df, const arf_t start, const arf_t lo,
    const arf_t hi, const arf_t tolerance, slong prec)
{
    arb_t x, fx, dfx, step;
    arb_init(x);
    arb_init(fx);
    arb_init(dfx);
    arb_init(step);
    arb_set_arf(x, start);
    {
        // Most of the way in doubles, the last steps with balls.
        const double l = arf_get_d(lo, ARF_RND_CEIL), h = arf_get_d(hi, ARF_RND_FLOOR); // inside (lo, hi)
        const double s = arf_get_d(start, ARF_RND_NEAR);
        if (std::isfinite(l) && std::isfinite(h) && l < s && s < h && l != 0 && h != 0)
            arf_set_d(arb_midref(x), NewtonInDoubles(f, s, l, h));
    }
    bool ok = false;
    arf_t last;
    arf_init(last);
    for (int it = 0; it < 8; ++it) {
        arb_fmpz_poly_evaluate_arb(fx, f.raw(), x, prec);
        arb_fmpz_poly_evaluate_arb(dfx, df.raw(), x, prec);
        if (arb_contains_zero(dfx)) break;
        arb_div(step, fx, dfx, prec);
        arb_sub(x, x, step, prec);
        mag_zero(arb_radref(x));
        if (arf_cmp(arb_midref(x), lo) <= 0 || arf_cmp(arb_midref(x), hi) >= 0) break;
        if (arf_cmpabs(arb_midref(step), tolerance) < 0) {
            ok = true;
            break;
        }
        // Not converging (steps that do not halve): leave it to bisection.
        arf_mul_2exp_si(last, last, -1);
        if (it > 0 && arf_cmpabs(arb_midref(step), last) > 0) break;
        arf_set(last, arb_midref(step));
    }
    arf_clear(last);
    if (ok) arf_set(out, arb_midref(x));
    arb_clear(x);
    arb_clear(fx);
    arb_clear(dfx);
    arb_clear(step);
    return ok;
}

} // namespace

void RefineRoot(RootInterval& r, const FmpzPoly& f, slong bits)
{
    if (r.exact) return;
    int sLo = 0; // the sign at lo, taken once the interval is too wide (it is mostly narrow enough)
    Arf width, bound, mid, guess, eps, a, b;
    FmpzPoly df; // made at the first Newton guess: most calls find the interval narrow enough
    // Bisection gains one bit per sign; near the root Newton's iteration
    // gains them all at once, and two signs prove its answer. After a guess
    // that fails the proof, a few bisections come first.
    int bisectionsBeforeNewton = 0;
    for (;;) {
        arf_sub(width.raw(), r.hi.raw(), r.lo.raw(), ARF_PREC_EXACT, ARF_RND_DOWN);
        // |root| >= min(|lo|, |hi|) once 0 is outside the interval
        const bool awayFromZero = arf_sgn(r.lo.raw()) * arf_sgn(r.hi.raw()) > 0;
        if (awayFromZero) {
            if (arf_cmpabs(r.lo.raw(), r.hi.raw()) < 0)
                arf_abs(bound.raw(), r.lo.raw());
            else
                arf_abs(bound.raw(), r.hi.raw());
            arf_mul_2exp_si(bound.raw(), bound.raw(), -bits);
            if (arf_cmp(width.raw(), bound.raw()) <= 0) return;
        }
        if (sLo == 0) sLo = SignAt(f, r.lo.raw());
        arf_add(mid.raw(), r.lo.raw(), r.hi.raw(), ARF_PREC_EXACT, ARF_RND_DOWN);
        arf_mul_2exp_si(mid.raw(), mid.raw(), -1);
        if (awayFromZero && bisectionsBeforeNewton-- <= 0) {
            // [guess - eps, guess + eps] with eps a quarter of the wanted width.
            arf_mul_2exp_si(eps.raw(), bound.raw(), -2);
            arf_set_round(eps.raw(), eps.raw(), 30, ARF_RND_DOWN);
            if (fmpz_poly_is_zero(df.raw())) fmpz_poly_derivative(df.raw(), f.raw());
            if (!arf_is_zero(eps.raw())
                && NewtonGuess(guess.raw(), f, df, mid.raw(), r.lo.raw(), r.hi.raw(), eps.raw(), bits + 32)) {
                arf_sub(a.raw(), guess.raw(), eps.raw(), ARF_PREC_EXACT, ARF_RND_DOWN);
                arf_add(b.raw(), guess.raw(), eps.raw(), ARF_PREC_EXACT, ARF_RND_DOWN);
                if (arf_cmp(a.raw(), r.lo.raw()) > 0 && arf_cmp(b.raw(), r.hi.raw()) < 0
                    && SignAt(f, a.raw()) == sLo && SignAt(f, b.raw()) == -sLo) {
                    arf_swap(r.lo.raw(), a.raw());
                    arf_swap(r.hi.raw(), b.raw());
                    continue;
                }
            }
            bisectionsBeforeNewton = 6;
        }
        const int s = SignAt(f, mid.raw());
        if (s == 0) throw std::logic_error("racine dyadique inattendue");
        if (s == sLo)
            arf_swap(r.lo.raw(), mid.raw());
        else
            arf_swap(r.hi.raw(), mid.raw());
    }
}

void RootBall(arb_t out, const RootInterval& r, slong prec)
{
    if (r.exact) {
        arb_set_fmpq(out, r.exact->raw(), prec);
        return;
    }
    arb_set_interval_arf(out, r.lo.raw(), r.hi.raw(), prec);
}

} // namespace vindrel::engine::fp
