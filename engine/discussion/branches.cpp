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

// The irreducible factors of R of the given degree in var whose
// coefficients in var depend on a only, as their coefficients (lowest first).
std::vector<std::vector<FmpqMpoly>> FactorsOfDegree(const FmpqMpoly& R, slong var, slong degree)
{
    std::vector<std::vector<FmpqMpoly>> out;
    if (IsZero(R) || Degree(R, var) < degree) return out;
    flint::FmpqMpolyFactor f(R.ctx());
    if (!fmpq_mpoly_factor(f.raw(), R.raw(), R.craw())) return out;
    for (slong i = 0; i < f.raw()->num; ++i) {
        FmpqMpoly factor(R.ctx());
        fmpq_mpoly_set(factor.raw(), f.raw()->poly + i, R.craw());
        if (Degree(factor, var) != degree) continue;
        std::vector<FmpqMpoly> coeffs;
        bool inA = true;
        for (ulong e = 0; e <= static_cast<ulong>(degree); ++e) {
            FmpqMpoly c(R.ctx());
            const slong vars[] = { var };
            fmpq_mpoly_get_coeff_vars_ui(c.raw(), factor.raw(), vars, &e, 1, R.craw());
            inA = inA && Degree(c, kX) <= 0 && Degree(c, kY) <= 0;
            coeffs.push_back(std::move(c));
        }
        if (inA) out.push_back(std::move(coeffs));
    }
    return out;
}

// The roots x = -c0/c1 of the factors of degree 1 in var of R.
std::vector<RationalFunction> LinearRoots(const FmpqMpoly& R, slong var)
{
    std::vector<RationalFunction> out;
    for (auto& c : FactorsOfDegree(R, var, 1)) {
        fmpq_mpoly_neg(c[0].raw(), c[0].raw(), R.craw());
        out.push_back(Reduced(std::move(c[0]), std::move(c[1])));
    }
    return out;
}

// F(x, yNum/yDen) * yDen^deg_y(F): a polynomial in x and a.
FmpqMpoly WithY(const FmpqMpoly& F, const RationalFunction& y)
{
    FmpqMpoly one(F.ctx()), x = Variable(F.ctx(), kX);
    fmpq_mpoly_one(one.raw(), F.craw());
    const RationalBranch b { x, one, y.num, y.den, {}, false };
    return AtBranch(F, b).num;
}

// The cofactors of P and Q by their common factor.
std::pair<FmpqMpoly, FmpqMpoly> Cofactors(const ParsedSystem& s)
{
    FmpqMpoly P = s.P, Q = s.Q, G(s.ctx);
    if (fmpq_mpoly_gcd(G.raw(), P.raw(), Q.raw(), s.ctx->raw()) && !IsZero(G)) {
        fmpq_mpoly_divides(P.raw(), P.raw(), G.raw(), s.ctx->raw());
        fmpq_mpoly_divides(Q.raw(), Q.raw(), G.raw(), s.ctx->raw());
    }
    return { std::move(P), std::move(Q) };
}

FmpqMpoly Eliminate(const FmpqMpoly& P, const FmpqMpoly& Q, slong var)
{
    FmpqMpoly r(P.ctx());
    if (Degree(P, var) <= 0 && Degree(Q, var) <= 0) return r; // no elimination: nothing found
    if (!fmpq_mpoly_resultant(r.raw(), P.raw(), Q.raw(), var, P.craw())) fmpq_mpoly_zero(r.raw(), P.craw());
    return r;
}

std::string Wrapped(const FmpqMpoly& p)
{
    const std::string t = general::PolyText(p);
    return fmpq_mpoly_length(p.raw(), p.craw()) > 1 ? "(" + t + ")" : t;
}

std::string Wrapped(const RationalFunction& f)
{
    const std::string t = FunctionText(f);
    const bool single
        = fmpq_mpoly_is_one(f.den.raw(), f.den.craw()) && fmpq_mpoly_length(f.num.raw(), f.num.craw()) <= 1;
    return single ? t : "(" + t + ")";
}

RationalFunction Constant(const FmpqMpoly& like, slong c)
{
    FmpqMpoly n(like.ctx()), d(like.ctx());
    fmpq_mpoly_set_si(n.raw(), c, like.craw());
    fmpq_mpoly_one(d.raw(), like.craw());
    return { n, d };
}

RationalFunction PowerOf(const RationalFunction& f, slong e)
{
    return { Power(f.num, e), Power(f.den, e) };
}

} // namespace

RationalFunction Times(const RationalFunction& l, const RationalFunction& r)
{
    return { Mul(l.num, r.num), Mul(l.den, r.den) };
}

RationalFunction Plus(const RationalFunction& l, const RationalFunction& r)
{
    return { Add(Mul(l.num, r.den), Mul(r.num, l.den)), Mul(l.den, r.den) };
}

std::pair<std::string, std::string> AtQuadratic(const FmpqMpoly& F, const QuadraticBranch& q)
{
    // x = mid + w with w² = rad: the coefficient of w^k gathers C(i, k) mid^(i-k) y^j.
    const RationalFunction mid { q.midNum, q.midDen }, rad { q.radNum, q.radDen }, y { q.yNum, q.yDen };
    const slong m = std::max<slong>(Degree(F, kX), 0);
    std::vector<RationalFunction> w(static_cast<size_t>(m + 1), Constant(F, 0));
    std::vector<ulong> exps(static_cast<size_t>(F.ctx()->nvars()));
    Fmpq c;
    for (slong t = 0; t < fmpq_mpoly_length(F.raw(), F.craw()); ++t) {
        fmpq_mpoly_get_term_exp_ui(exps.data(), F.raw(), t, F.craw());
        fmpq_mpoly_get_term_coeff_fmpq(c.raw(), F.raw(), t, F.craw());
        const slong i = static_cast<slong>(exps[kX]), j = static_cast<slong>(exps[kY]);
        exps[kX] = exps[kY] = 0;
        FmpqMpoly coeff(F.ctx()), one(F.ctx());
        fmpq_mpoly_set_coeff_fmpq_ui(coeff.raw(), c.raw(), exps.data(), F.craw());
        fmpq_mpoly_one(one.raw(), F.craw());
        slong binomial = 1;
        for (slong k = 0; k <= i; ++k) {
            RationalFunction term = Times(Times({ coeff, one }, PowerOf(mid, i - k)), PowerOf(y, j));
            fmpq_mpoly_scalar_mul_si(term.num.raw(), term.num.raw(), binomial, F.craw());
            w[static_cast<size_t>(k)] = Plus(w[static_cast<size_t>(k)], term);
            binomial = binomial * (i - k) / (k + 1);
        }
    }
    RationalFunction A = Constant(F, 0), B = Constant(F, 0);
    for (slong k = 0; k <= m; ++k) {
        const RationalFunction part = Times(w[static_cast<size_t>(k)], PowerOf(rad, k / 2));
        (k % 2 ? B : A) = Plus(k % 2 ? B : A, part);
    }
    A = Reduced(A.num, A.den);
    B = Reduced(B.num, B.den);
    const std::string root = "racine(" + FunctionText(rad) + ")";
    std::pair<std::string, std::string> out;
    for (int sign = 0; sign < 2; ++sign) {
        RationalFunction b = B;
        if (!sign) fmpq_mpoly_neg(b.num.raw(), b.num.raw(), b.num.craw());
        std::string t = FunctionText(A);
        if (!IsZero(b.num)) t = (IsZero(A.num) ? "" : t + " + ") + Wrapped(b) + "*" + root;
        for (size_t at; (at = t.find("+ -")) != std::string::npos;)
            t.replace(at, 3, "- ");
        (sign ? out.second : out.first) = t;
    }
    return out;
}

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
    const auto [P, Q] = Cofactors(s);
    const auto xs = LinearRoots(Eliminate(P, Q, kY), kX);
    deadline.check();
    const auto ys = LinearRoots(Eliminate(P, Q, kX), kY);
    deadline.check();
    for (const RationalFunction& x : xs)
        for (const RationalFunction& y : ys) {
            RationalBranch b { x.num, x.den, y.num, y.den, {}, false };
            if (!IsZero(AtBranch(P, b).num) || !IsZero(AtBranch(Q, b).num)) continue;
            b.text = "(" + FunctionText(x) + " ; " + FunctionText(y) + ")";
            out.push_back(std::move(b));
        }
    return out;
}

std::vector<QuadraticBranch> QuadraticBranches(const ParsedSystem& s, const Deadline& deadline)
{
    std::vector<QuadraticBranch> out;
    const auto [P, Q] = Cofactors(s);
    const auto quadratics = FactorsOfDegree(Eliminate(P, Q, kY), kX, 2);
    if (quadratics.empty()) return out;
    const auto ys = LinearRoots(Eliminate(P, Q, kX), kY);
    deadline.check();
    for (const auto& c : quadratics) {
        FmpqMpoly quad = Add(
            Add(Mul(c[2], Mul(Variable(s.ctx, kX), Variable(s.ctx, kX))), Mul(c[1], Variable(s.ctx, kX))),
            c[0]);
        for (const RationalFunction& y : ys) {
            FmpqMpoly q(s.ctx);
            if (!fmpq_mpoly_divides(q.raw(), WithY(P, y).raw(), quad.raw(), s.ctx->raw())
                || !fmpq_mpoly_divides(q.raw(), WithY(Q, y).raw(), quad.raw(), s.ctx->raw()))
                continue;
            // x = -c1/(2 c2) -+ racine((c1² - 4 c2 c0) / (4 c2²)).
            FmpqMpoly two(s.ctx), four(s.ctx), negc1 = c[1];
            fmpq_mpoly_set_si(two.raw(), 2, s.ctx->raw());
            fmpq_mpoly_set_si(four.raw(), 4, s.ctx->raw());
            fmpq_mpoly_neg(negc1.raw(), negc1.raw(), s.ctx->raw());
            const RationalFunction mid = Reduced(negc1, Mul(two, c[2]));
            const RationalFunction rad
                = Reduced(Sub(Mul(c[1], c[1]), Mul(four, Mul(c[2], c[0]))), Mul(four, Mul(c[2], c[2])));
            QuadraticBranch b { mid.num, mid.den, rad.num, rad.den, y.num, y.den, {} };
            const std::string root = "racine(" + FunctionText(rad) + ")";
            for (int sign = 0; sign < 2; ++sign) {
                const std::string x = IsZero(mid.num) ? (sign ? "" : "-") + root
                                                      : FunctionText(mid) + (sign ? " + " : " - ") + root;
                b.text[sign] = "(" + x + " ; " + FunctionText(y) + ")";
            }
            out.push_back(std::move(b));
        }
    }
    return out;
}

} // namespace vindrel::engine::discussion
