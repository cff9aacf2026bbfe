// Lienard's theorem: x' = Y, Y' = -g(x) - f(x) Y with g odd, x g(x) > 0 for
// x <> 0, f even, F(x) = int_0^x f odd with a single positive zero a,
// F < 0 on ]0, a[, F > 0 and increasing on ]a, infinity[, F -> infinity:
// exactly one limit cycle, stable. A system P = c y + p0(x), Q = q0(x) +
// q1(x) y takes that form with Y = c y + p0(x): g = c q0 - q1 p0 up to sign,
// f = -(q1 + p0'). Exchanging x and y, or reversing time (f -> -f, the
// cycle then unstable), gives the other forms.
#include "engine/periodic/exact.h"
#include "engine/periodic/texts.h"

#include "engine/poly/print.h"

namespace vindrel::engine::periodic {

using flint::FmpqPoly;

namespace {

struct Split {
    FmpqPoly p0, q0, q1;
    flint::Fmpq c;
};

// P = p0(u) + c v, Q = q0(u) + q1(u) v with (u, v) = (x, y), or (y, x) when
// swapped.
std::optional<Split> SplitSystem(const FmpqMpoly& P, const FmpqMpoly& Q, bool swapped)
{
    Split s;
    const int u = swapped ? 1 : 0;
    std::vector<slong> e(static_cast<size_t>(P.ctx()->nvars()));
    for (int which = 0; which < 2; ++which) {
        const FmpqMpoly& p = which == 0 ? (swapped ? Q : P) : (swapped ? P : Q);
        for (slong k = 0; k < fmpq_mpoly_length(p.raw(), p.craw()); ++k) {
            flint::Fmpq c;
            fmpq_mpoly_get_term_coeff_fmpq(c.raw(), p.raw(), k, p.craw());
            fmpq_mpoly_get_term_exp_si(e.data(), p.raw(), k, p.craw());
            const slong eu = e[size_t(u)], ev = e[size_t(1 - u)];
            if (ev > 1) return std::nullopt;
            if (which == 0) {
                if (ev == 1 && eu != 0) return std::nullopt;
                if (ev == 1)
                    s.c = c;
                else
                    fmpq_poly_set_coeff_fmpq(s.p0.raw(), eu, c.raw());
            } else {
                fmpq_poly_set_coeff_fmpq((ev ? s.q1 : s.q0).raw(), eu, c.raw());
            }
        }
    }
    if (fmpq_is_zero(s.c.raw())) return std::nullopt;
    return s;
}

bool OnlyPowers(const FmpqPoly& p, int parity)
{
    for (slong k = 0; k <= fmpq_poly_degree(p.raw()); ++k) {
        flint::Fmpq c;
        fmpq_poly_get_coeff_fmpq(c.raw(), p.raw(), k);
        if (k % 2 != parity && !fmpq_is_zero(c.raw())) return false;
    }
    return true;
}

// sum c_k x^k -> sum c_k u^((k - shift) / 2) / divisor_k
FmpqPoly HalfPowers(const FmpqPoly& p, int shift, bool integrate)
{
    FmpqPoly out;
    for (slong k = shift; k <= fmpq_poly_degree(p.raw()); k += 2) {
        flint::Fmpq c;
        fmpq_poly_get_coeff_fmpq(c.raw(), p.raw(), k);
        if (integrate) {
            flint::Fmpz d;
            fmpz_set_si(d.raw(), k + 1);
            fmpq_div_fmpz(c.raw(), c.raw(), d.raw());
        }
        fmpq_poly_set_coeff_fmpq(out.raw(), (k - shift) / 2, c.raw());
    }
    return out;
}

FmpqPoly SquareFree(const FmpqPoly& p)
{
    FmpqPoly d, g, q;
    fmpq_poly_derivative(d.raw(), p.raw());
    fmpq_poly_gcd(g.raw(), p.raw(), d.raw());
    if (fmpq_poly_degree(g.raw()) < 1) return p;
    fmpq_poly_div(q.raw(), p.raw(), g.raw());
    return q;
}

int LowestSign(const FmpqPoly& p)
{
    for (slong k = 0; k <= fmpq_poly_degree(p.raw()); ++k) {
        flint::Fmpq c;
        fmpq_poly_get_coeff_fmpq(c.raw(), p.raw(), k);
        if (!fmpq_is_zero(c.raw())) return fmpq_sgn(c.raw());
    }
    return 0;
}

int LeadingSign(const FmpqPoly& p)
{
    if (fmpq_poly_is_zero(p.raw())) return 0;
    flint::Fmpq c;
    fmpq_poly_get_coeff_fmpq(c.raw(), p.raw(), fmpq_poly_degree(p.raw()));
    return fmpq_sgn(c.raw());
}

std::string Text(const FmpqPoly& p, const flint::MpolyCtxPtr& ctx, const char* var)
{
    FmpqMpoly m(ctx), t(ctx);
    for (slong k = 0; k <= fmpq_poly_degree(p.raw()); ++k) {
        flint::Fmpq c;
        fmpq_poly_get_coeff_fmpq(c.raw(), p.raw(), k);
        if (fmpq_is_zero(c.raw())) continue;
        fmpq_mpoly_set_fmpq(t.raw(), c.raw(), ctx->raw());
        std::vector<ulong> e(static_cast<size_t>(ctx->nvars()));
        e[std::string(var) == "x" ? 0 : 1] = ulong(k);
        fmpq_mpoly_set_coeff_fmpq_ui(m.raw(), c.raw(), e.data(), ctx->raw());
    }
    return ToReport(m);
}

double Approx(const RealRoot& r)
{
    return (arf_get_d(r.interval.lo.raw(), ARF_RND_NEAR) + arf_get_d(r.interval.hi.raw(), ARF_RND_NEAR)) / 2;
}

} // namespace

LienardResult CheckLienard(const FmpqMpoly& P, const FmpqMpoly& Q)
{
    LienardResult best;
    for (bool swapped : { false, true }) {
        const auto s = SplitSystem(P, Q, swapped);
        if (!s) continue;
        const char* u = swapped ? "y" : "x";
        // Y = c v + p0(u): u' = Y, Y' = c q0 + q1 (Y - p0) + p0' Y.
        FmpqPoly g, f, t, dp0;
        fmpq_poly_mul(g.raw(), s->q1.raw(), s->p0.raw());
        fmpq_poly_scalar_mul_fmpq(t.raw(), s->q0.raw(), s->c.raw());
        fmpq_poly_sub(g.raw(), g.raw(), t.raw());
        fmpq_poly_derivative(dp0.raw(), s->p0.raw());
        fmpq_poly_add(f.raw(), s->q1.raw(), dp0.raw());
        fmpq_poly_neg(f.raw(), f.raw());
        const auto& ctx = P.ctx();
        std::vector<std::string> lines;
        lines.push_back(msg::kLienardForm + std::string(u) + "' = Y, Y' = -g(" + u + ") - f(" + u
            + ") Y avec Y = " + ToReport(swapped ? Q : P) + ", g(" + u + ") = " + Text(g, ctx, u) + ", f(" + u
            + ") = " + Text(f, ctx, u) + ".");
        // g odd with u g(u) > 0: g = u H(u^2), H > 0 on ]0, infinity[.
        const FmpqPoly H = HalfPowers(g, 1, false);
        const bool gOk = !fmpq_poly_is_zero(g.raw()) && OnlyPowers(g, 1) && LeadingSign(H) > 0
            && PositiveOddRoots(SquareFree(H)).empty();
        lines.push_back(std::string(msg::kLienardG) + (gOk ? msg::kYes : msg::kNo));
        if (!gOk) {
            if (best.calculations.empty()) best.calculations = lines;
            continue;
        }
        for (int orientation : { 1, -1 }) {
            std::vector<std::string> l = lines;
            FmpqPoly fo = f;
            if (orientation < 0) fmpq_poly_neg(fo.raw(), fo.raw());
            if (orientation < 0) l.push_back(msg::kLienardReversed);
            const bool fEven = OnlyPowers(fo, 0);
            const FmpqPoly G = HalfPowers(fo, 0, true); // F(u) = u G(u^2)
            const FmpqPoly phi = HalfPowers(fo, 0, false); // f(u) = phi(u^2)
            // A single distinct positive zero where G goes from - to +.
            auto zeros = fEven ? PositiveOddRoots(SquareFree(G)) : std::vector<RealRoot> {};
            const bool ok = fEven && LowestSign(G) < 0 && LeadingSign(G) > 0 && zeros.size() == 1;
            l.push_back(std::string(msg::kLienardFEven) + (fEven ? msg::kYes : msg::kNo));
            if (fEven) {
                FmpqPoly F;
                fmpq_poly_integral(F.raw(), fo.raw());
                l.push_back("F(" + std::string(u) + ") = " + Text(F, ctx, u) + ".");
            }
            bool increasing = false;
            if (ok) {
                increasing = true;
                for (auto& r : PositiveOddRoots(phi)) {
                    const int c = Compare(r, zeros[0]);
                    if (c > 0 || c == 2) increasing = false;
                }
                l.push_back(msg::kLienardZero + Decimal(std::sqrt(Approx(zeros[0]))) + msg::kLienardZeroSuffix
                    + (increasing ? msg::kYes : msg::kNo));
            } else {
                l.push_back(std::string(msg::kLienardZeroMissing));
            }
            if (!ok || !increasing) {
                if (best.calculations.empty() || orientation > 0) best.calculations = l;
                continue;
            }
            LienardResult r;
            r.applies = true;
            r.stability = orientation > 0 ? CycleStability::Stable : CycleStability::Unstable;
            flint::Fmpq v0;
            fmpq_poly_get_coeff_fmpq(v0.raw(), s->p0.raw(), 0);
            fmpq_div(v0.raw(), v0.raw(), s->c.raw());
            fmpq_neg(v0.raw(), v0.raw());
            const double w = fmpq_get_d(v0.raw());
            r.centre = swapped ? Vec { w, 0 } : Vec { 0, w };
            l.push_back(orientation > 0 ? msg::kLienardStable : msg::kLienardUnstable);
            r.calculations = l;
            r.reason = orientation > 0 ? msg::kWhyLienardStable : msg::kWhyLienardUnstable;
            return r;
        }
    }
    return best;
}

} // namespace vindrel::engine::periodic
