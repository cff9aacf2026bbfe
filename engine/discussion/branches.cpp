// Fixed points that are rational functions of the constant: linear factors
// in x of the resultant in y, and in y of the resultant in x, paired where
// P and Q vanish identically; and quantities evaluated along them.
#include "engine/discussion/internal.h"

#include "engine/errors.h"
#include "engine/flint/factor_types.h"
#include "engine/general/text.h"
#include "engine/poly/algebra.h"

namespace vindrel::engine::discussion {

using flint::Fmpq;
using flint::FmpqMpoly;

namespace {

slong Degree(const FmpqMpoly& p, slong var)
{
    return fmpq_mpoly_degree_si(p.raw(), var, p.craw());
}

FmpqMpoly Power(const FmpqMpoly& p, slong e)
{
    FmpqMpoly out(p.ctx());
    fmpq_mpoly_pow_ui(out.raw(), p.raw(), static_cast<ulong>(e), p.craw());
    return out;
}

// num/den with den of positive leading coefficient and no common factor.
RationalFunction Reduced(FmpqMpoly num, FmpqMpoly den)
{
    FmpqMpoly g(num.ctx());
    if (fmpq_mpoly_gcd(g.raw(), num.raw(), den.raw(), num.craw()) && !IsZero(g)) {
        fmpq_mpoly_divides(num.raw(), num.raw(), g.raw(), num.craw());
        fmpq_mpoly_divides(den.raw(), den.raw(), g.raw(), num.craw());
    }
    // Integer coefficients in the denominator, its content moved up.
    Fmpq c;
    fmpq_mpoly_get_term_coeff_fmpq(c.raw(), den.raw(), 0, den.craw());
    fmpq_inv(c.raw(), c.raw());
    fmpq_mpoly_scalar_mul_fmpq(num.raw(), num.raw(), c.raw(), num.craw());
    fmpq_mpoly_scalar_mul_fmpq(den.raw(), den.raw(), c.raw(), den.craw());
    return { std::move(num), std::move(den) };
}

// The roots x = -c0/c1 of the factors of degree 1 in var of R.
std::vector<RationalFunction> LinearRoots(const FmpqMpoly& R, slong var)
{
    std::vector<RationalFunction> out;
    if (IsZero(R) || Degree(R, var) <= 0) return out;
    flint::FmpqMpolyFactor f(R.ctx());
    if (!fmpq_mpoly_factor(f.raw(), R.raw(), R.craw())) return out;
    for (slong i = 0; i < f.raw()->num; ++i) {
        const FmpqMpoly factor = [&] {
            FmpqMpoly p(R.ctx());
            fmpq_mpoly_set(p.raw(), f.raw()->poly + i, R.craw());
            return p;
        }();
        if (Degree(factor, var) != 1) continue;
        FmpqMpoly c1(R.ctx()), c0(R.ctx());
        const ulong one = 1, zero = 0;
        const slong vars[] = { var };
        fmpq_mpoly_get_coeff_vars_ui(c1.raw(), factor.raw(), vars, &one, 1, R.craw());
        fmpq_mpoly_get_coeff_vars_ui(c0.raw(), factor.raw(), vars, &zero, 1, R.craw());
        if (Degree(c1, kX) > 0 || Degree(c1, kY) > 0 || Degree(c0, kX) > 0 || Degree(c0, kY) > 0) continue;
        fmpq_mpoly_neg(c0.raw(), c0.raw(), R.craw());
        out.push_back(Reduced(std::move(c0), std::move(c1)));
    }
    return out;
}

std::string Wrapped(const FmpqMpoly& p)
{
    const std::string t = general::PolyText(p);
    return fmpq_mpoly_length(p.raw(), p.craw()) > 1 ? "(" + t + ")" : t;
}

} // namespace

std::optional<Fmpq> ValueAt(const RationalFunction& f, const fmpq_t value)
{
    Fmpq n, d;
    const auto eval = [&](const FmpqMpoly& p, Fmpq& out) {
        const slong nv = p.ctx()->nvars();
        std::vector<Fmpq> vals(static_cast<size_t>(nv));
        fmpq_set(vals[static_cast<size_t>(kA)].raw(), value);
        std::vector<fmpq*> ptr;
        for (auto& v : vals)
            ptr.push_back(v.raw());
        if (!fmpq_mpoly_evaluate_all_fmpq(out.raw(), p.raw(), ptr.data(), p.craw()))
            throw LimitExceeded("La discussion selon la constante demande des calculs trop lourds ici.");
    };
    eval(f.num, n);
    eval(f.den, d);
    if (fmpq_is_zero(d.raw())) return std::nullopt;
    Fmpq out;
    fmpq_div(out.raw(), n.raw(), d.raw());
    return out;
}

std::string FunctionText(const RationalFunction& f)
{
    if (fmpq_mpoly_is_one(f.den.raw(), f.den.craw())) return general::PolyText(f.num);
    return Wrapped(f.num) + "/" + Wrapped(f.den);
}

RationalFunction AtBranch(const FmpqMpoly& F, const RationalBranch& b)
{
    const auto& ctx = F.ctx();
    const slong m = std::max<slong>(Degree(F, kX), 0), n = std::max<slong>(Degree(F, kY), 0);
    FmpqMpoly num(ctx);
    std::vector<ulong> exps(static_cast<size_t>(ctx->nvars()));
    Fmpq c;
    for (slong i = 0; i < fmpq_mpoly_length(F.raw(), ctx->raw()); ++i) {
        fmpq_mpoly_get_term_exp_ui(exps.data(), F.raw(), i, ctx->raw());
        fmpq_mpoly_get_term_coeff_fmpq(c.raw(), F.raw(), i, ctx->raw());
        const slong j = static_cast<slong>(exps[kX]), k = static_cast<slong>(exps[kY]);
        exps[kX] = exps[kY] = 0;
        FmpqMpoly term(ctx);
        fmpq_mpoly_set_coeff_fmpq_ui(term.raw(), c.raw(), exps.data(), ctx->raw());
        term = Mul(term,
            Mul(Mul(Power(b.xNum, j), Power(b.xDen, m - j)), Mul(Power(b.yNum, k), Power(b.yDen, n - k))));
        num = Add(num, term);
    }
    return Reduced(std::move(num), Mul(Power(b.xDen, m), Power(b.yDen, n)));
}

std::vector<RationalBranch> RationalBranches(const ParsedSystem& s, const Deadline& deadline)
{
    std::vector<RationalBranch> out;
    FmpqMpoly P = s.P, Q = s.Q, G(s.ctx);
    if (!fmpq_mpoly_gcd(G.raw(), P.raw(), Q.raw(), s.ctx->raw()) || IsZero(G)) return out;
    fmpq_mpoly_divides(P.raw(), P.raw(), G.raw(), s.ctx->raw());
    fmpq_mpoly_divides(Q.raw(), Q.raw(), G.raw(), s.ctx->raw());
    const auto resultant = [&](slong var) {
        FmpqMpoly r(s.ctx);
        if (Degree(P, var) <= 0 && Degree(Q, var) <= 0) return r; // no elimination: nothing found
        if (!fmpq_mpoly_resultant(r.raw(), P.raw(), Q.raw(), var, s.ctx->raw()))
            fmpq_mpoly_zero(r.raw(), s.ctx->raw());
        return r;
    };
    const auto xs = LinearRoots(resultant(kY), kX);
    deadline.check();
    const auto ys = LinearRoots(resultant(kX), kY);
    deadline.check();
    for (const RationalFunction& x : xs)
        for (const RationalFunction& y : ys) {
            RationalBranch b { x.num, x.den, y.num, y.den, {} };
            if (!IsZero(AtBranch(P, b).num) || !IsZero(AtBranch(Q, b).num)) continue;
            b.text = "(" + FunctionText(x) + " ; " + FunctionText(y) + ")";
            out.push_back(std::move(b));
        }
    return out;
}

} // namespace vindrel::engine::discussion
