#include "engine/fixedpoints/real_roots.h"

#include <algorithm>
#include <cmath>
#include <arb_fmpz_poly.h>
#include <cmath>
#include <stdexcept>

namespace vindrel::engine::fp {

using flint::Arf;
using flint::Fmpq;
using flint::Fmpz;
using flint::FmpzPoly;

namespace {

// Sign variations of the coefficients: a bound on the number of positive
// roots, exact when it is 0 or 1 (Descartes).
long Variations(const FmpzPoly& p)
{
    long changes = 0;
    int last = 0;
    for (slong i = 0; i <= fmpz_poly_degree(p.raw()); ++i) {
        const int s = fmpz_sgn(p.raw()->coeffs + i);
        if (s == 0) continue;
        if (last != 0 && s != last) ++changes;
        last = s;
    }
    return changes;
}

// log2 of an upper bound on the positive roots of p, or -infinity when it
// has none by signs (Akritas, Strzebonski and Vigklas' local-max-quadratic
// bound: with the leading coefficient made positive, each negative a_i is
// paired with a positive a_j, j > i, whose share a_j / 2^t shrinks with
// each use t, and every root is below the largest of the minima over j of
// (2^t |a_i| / a_j)^(1/(j-i))). Logarithms in double precision, with one
// bit added for their rounding.
double PositiveRootBoundLog2(const FmpzPoly& p)
{
    const slong n = fmpz_poly_degree(p.raw());
    const int lead = fmpz_sgn(fmpz_poly_lead(p.raw()));
    std::vector<double> logs(static_cast<size_t>(n + 1));
    std::vector<int> sign(logs.size());
    for (slong i = 0; i <= n; ++i) {
        const fmpz* c = p.raw()->coeffs + i;
        sign[i] = fmpz_sgn(c) * lead;
        if (sign[i] == 0) continue;
        slong e;
        const double m = fmpz_get_d_2exp(&e, c);
        logs[i] = std::log2(std::fabs(m)) + static_cast<double>(e);
    }
    std::vector<double> used(logs.size(), 1.0);
    double best = -HUGE_VAL;
    for (slong i = n - 1; i >= 0; --i) {
        if (sign[i] >= 0) continue;
        double low = HUGE_VAL;
        slong at = -1;
        for (slong j = i + 1; j <= n; ++j) {
            if (sign[j] <= 0) continue;
            const double b = (used[j] + logs[i] - logs[j]) / static_cast<double>(j - i);
            if (b < low) {
                low = b;
                at = j;
            }
        }
        used[at] += 1.0;
        best = std::max(best, low);
    }
    return best == -HUGE_VAL ? best : best + 1.0;
}

// x -> (a x + b) / (c x + d) with a, b, c, d >= 0 and ad - bc <> 0: the node
// polynomial p has its positive roots at the images of the roots of f.
struct Moebius {
    Fmpz a, b, c, d;
};

void Value(Fmpq& out, const Fmpz& num, const Fmpz& den)
{
    fmpq_set_fmpz_frac(out.raw(), num.raw(), den.raw());
}

struct RationalInterval {
    Fmpq lo, hi; // the root in (lo, hi), or lo itself when exact
    bool exact = false, unbounded = false; // unbounded: no finite hi
    int signAfterLo = 0; // the sign of f just above lo
};

// Positive roots of f by Vincent's continued fractions with Akritas and
// Strzebonski's lower bounds (VAS): a node whose coefficients have one sign
// variation holds one root, none no root; otherwise its smallest positive
// root is passed by an integer shift, then (1, infinity) by x -> x + 1 and
// (0, 1) by x -> 1/(x + 1). Every step is a Taylor shift of the integer
// coefficients, with no growth from scaling. Roots found exactly (a node
// vanishing at 0) come as degenerate intervals. Each step keeps the node
// p(y) a positive multiple of f(M(y)) for y > 0, so the signs of p at 0 and
// at infinity are those of f inside the ends of the interval, even where an
// end is a root found exactly.

void PositiveRoots(const FmpzPoly& f, std::vector<RationalInterval>& out)
{
    struct Node {
        FmpzPoly p;
        Moebius m;
    };
    std::vector<Node> todo;
    todo.emplace_back();
    fmpz_poly_set(todo.back().p.raw(), f.raw());
    fmpz_one(todo.back().m.a.raw());
    fmpz_one(todo.back().m.d.raw());
    Fmpz shift;
    auto exactRoot = [&](Node& node) {
        // A root at the image of 0: b / d, exactly; divide it out.
        out.emplace_back();
        Value(out.back().lo, node.m.b, node.m.d);
        out.back().exact = true;
        fmpz_poly_shift_right(node.p.raw(), node.p.raw(), 1);
    };
    while (!todo.empty()) {
        Node node = std::move(todo.back());
        todo.pop_back();
        if (fmpz_poly_degree(node.p.raw()) <= 0) continue;
        if (fmpz_is_zero(node.p.raw()->coeffs)) exactRoot(node);
        long v = Variations(node.p);
        if (v >= 2) {
            // Move to the smallest positive root: x -> x + s with s an
            // integer below it, from a bound on the roots of the reversed
            // polynomial (their inverses).
            FmpzPoly rev;
            fmpz_poly_reverse(rev.raw(), node.p.raw(), fmpz_poly_length(node.p.raw()));
            const double lb = -PositiveRootBoundLog2(rev);
            if (lb >= 0 && std::isfinite(lb)) {
                const double whole = std::floor(lb);
                const double mant = std::floor(std::exp2(lb - whole) * 1073741824.0); // 2^30
                fmpz_set_d(shift.raw(), mant);
                if (whole >= 30) {
                    fmpz_mul_2exp(shift.raw(), shift.raw(), static_cast<ulong>(whole - 30));
                } else {
                    fmpz_fdiv_q_2exp(shift.raw(), shift.raw(), static_cast<ulong>(30 - whole));
                }
                fmpz_poly_taylor_shift(node.p.raw(), node.p.raw(), shift.raw());
                fmpz_addmul(node.m.b.raw(), node.m.a.raw(), shift.raw());
                fmpz_addmul(node.m.d.raw(), node.m.c.raw(), shift.raw());
                if (fmpz_is_zero(node.p.raw()->coeffs)) exactRoot(node);
                v = Variations(node.p);
            }
        }
        if (v == 0) continue;
        if (v == 1) {
            out.emplace_back();
            RationalInterval& r = out.back();
            Value(r.lo, node.m.b, node.m.d);
            r.signAfterLo = fmpz_sgn(node.p.raw()->coeffs);
            r.unbounded = fmpz_is_zero(node.m.c.raw());
            if (!r.unbounded) {
                Value(r.hi, node.m.a, node.m.c);
                if (fmpq_cmp(r.lo.raw(), r.hi.raw()) > 0) { // M decreasing
                    fmpq_swap(r.lo.raw(), r.hi.raw());
                    r.signAfterLo = -r.signAfterLo;
                }
            }
            continue;
        }
        // (1, infinity): x -> x + 1.
        Node right;
        fmpz_one(shift.raw());
        fmpz_poly_taylor_shift(right.p.raw(), node.p.raw(), shift.raw());
        right.m = node.m;
        fmpz_add(right.m.b.raw(), right.m.b.raw(), right.m.a.raw());
        fmpz_add(right.m.d.raw(), right.m.d.raw(), right.m.c.raw());
        const bool rootAtOne = fmpz_is_zero(right.p.raw()->coeffs);
        if (rootAtOne) exactRoot(right);
        // (0, 1): x -> 1/(x + 1), when Budan's count leaves roots there.
        if (v > Variations(right.p)) {
            Node left;
            const slong n = fmpz_poly_degree(node.p.raw());
            fmpz_poly_reverse(left.p.raw(), node.p.raw(), n + 1);
            fmpz_poly_taylor_shift(left.p.raw(), left.p.raw(), shift.raw());
            if (rootAtOne) fmpz_poly_shift_right(left.p.raw(), left.p.raw(), 1); // already found
            left.m.a = node.m.b;
            fmpz_add(left.m.b.raw(), node.m.a.raw(), node.m.b.raw());
            left.m.c = node.m.d;
            fmpz_add(left.m.d.raw(), node.m.c.raw(), node.m.d.raw());
            todo.push_back(std::move(left));
        }
        todo.push_back(std::move(right));
    }
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

namespace {

bool IsDyadic(const Fmpq& q)
{
    const fmpz* den = fmpq_denref(q.raw());
    return fmpz_val2(den) + 1 == fmpz_bits(den);
}

void SetArf(arf_t out, const Fmpq& q) // q dyadic
{
    arf_set_fmpz(out, fmpq_numref(q.raw()));
    arf_mul_2exp_si(out, out, -static_cast<slong>(fmpz_val2(fmpq_denref(q.raw()))));
}

RootInterval ExactRoot(const Fmpq& q)
{
    RootInterval r;
    r.exact = q;
    const fmpq* v = q.raw();
    arf_fmpz_div_fmpz(r.lo.raw(), fmpq_numref(v), fmpq_denref(v), 128, ARF_RND_FLOOR);
    arf_fmpz_div_fmpz(r.hi.raw(), fmpq_numref(v), fmpq_denref(v), 128, ARF_RND_CEIL);
    return r;
}

// The single root of g in (lo, hi), 0 <= lo < hi rational, within dyadic
// ends that are not roots: a non-dyadic end, or an end that is a root (found
// exactly beside this one), is moved inwards to a dyadic point at most a
// quarter of the width away, on the side its sign tells (sAfterLo: the sign
// of g just above lo). lo = 0 is moved too when 0 is a root of the caller's
// polynomial (avoidZero).
RootInterval DyadicInterval(const FmpzPoly& g, Fmpq lo, Fmpq hi, int sAfterLo, bool avoidZero)
{
    Fmpq value, width, t;
    auto sign = [&](const Fmpq& q) {
        fmpz_poly_evaluate_fmpq(value.raw(), g.raw(), q.raw());
        return fmpq_sgn(value.raw());
    };
    bool loDone = IsDyadic(lo) && !(avoidZero && fmpq_is_zero(lo.raw())) && sign(lo) != 0;
    bool hiDone = IsDyadic(hi) && sign(hi) != 0;
    while (!loDone || !hiDone) {
        fmpq_sub(width.raw(), hi.raw(), lo.raw());
        // 2^-k < width / 4
        const slong k = std::max<slong>(0,
            static_cast<slong>(fmpz_bits(fmpq_denref(width.raw())))
                - static_cast<slong>(fmpz_bits(fmpq_numref(width.raw()))) + 3);
        Fmpz num, den;
        fmpz_one(den.raw());
        fmpz_mul_2exp(den.raw(), den.raw(), static_cast<ulong>(k));
        if (!loDone) { // the first multiple of 2^-k above lo
            fmpz_mul_2exp(num.raw(), fmpq_numref(lo.raw()), static_cast<ulong>(k));
            fmpz_fdiv_q(num.raw(), num.raw(), fmpq_denref(lo.raw()));
            fmpz_add_ui(num.raw(), num.raw(), 1);
        } else { // the last one below hi
            fmpz_mul_2exp(num.raw(), fmpq_numref(hi.raw()), static_cast<ulong>(k));
            fmpz_cdiv_q(num.raw(), num.raw(), fmpq_denref(hi.raw()));
            fmpz_sub_ui(num.raw(), num.raw(), 1);
        }
        fmpq_set_fmpz_frac(t.raw(), num.raw(), den.raw());
        const int st = sign(t);
        if (st == 0) return ExactRoot(t); // the root itself
        if (st == sAfterLo) {
            lo = t;
            loDone = true;
        } else {
            hi = t;
            hiDone = true;
        }
    }
    RootInterval r;
    SetArf(r.lo.raw(), lo);
    SetArf(r.hi.raw(), hi);
    return r;
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
    // A root at 0 is found exactly; the search runs on f / x^k.
    FmpzPoly h;
    fmpz_poly_set(h.raw(), f.raw());
    if (fmpz_is_zero(h.raw()->coeffs)) {
        RootInterval r;
        r.exact.emplace();
        out.push_back(std::move(r));
        while (fmpz_is_zero(h.raw()->coeffs))
            fmpz_poly_shift_right(h.raw(), h.raw(), 1);
    }
    const bool zeroRoot = !out.empty();
    for (int side : { -1, 1 }) {
        FmpzPoly g; // g(x) = h(side * x)
        fmpz_poly_set(g.raw(), h.raw());
        if (side < 0) {
            for (slong i = 1; i <= fmpz_poly_degree(g.raw()); i += 2)
                fmpz_neg(g.raw()->coeffs + i, g.raw()->coeffs + i);
        }
        std::vector<RationalInterval> found;
        PositiveRoots(g, found);
        for (RationalInterval& q : found) {
            if (q.unbounded) {
                fmpz_one(fmpq_numref(q.hi.raw()));
                fmpz_mul_2exp(fmpq_numref(q.hi.raw()), fmpq_numref(q.hi.raw()), static_cast<ulong>(K));
                fmpz_one(fmpq_denref(q.hi.raw()));
            }
            RootInterval r = q.exact ? ExactRoot(q.lo) : DyadicInterval(g, q.lo, q.hi, q.signAfterLo, zeroRoot);
            if (side < 0) {
                if (r.exact) fmpq_neg(r.exact->raw(), r.exact->raw());
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
