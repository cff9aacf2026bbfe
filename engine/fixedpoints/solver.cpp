#include "engine/fixedpoints/solver.h"

#include "engine/fixedpoints/texts.h"
#include "engine/flint/factor_types.h"

#include <arb_fmpz_poly.h>
#include <flint/fmpz_mpoly.h>

#include <algorithm>
#include <stdexcept>

namespace vindrel::engine::fp {

using flint::Arb;
using flint::Fmpq;
using flint::FmpqMpoly;
using flint::FmpqPoly;
using flint::Fmpz;
using flint::FmpzPoly;

namespace {

// A polynomial in u and y over Z: entry j is the coefficient of y^j.
using BiPoly = std::vector<FmpzPoly>;

const long kShears[] = { 0, 1, -1, 2, -2, 3, -3, 5, -5, 7, -7, 11 };

// Integer coefficients (the rational content is dropped: it does not move
// the zeros) with x replaced by u - t*y.
BiPoly Shear(const FmpqMpoly& p, long t)
{
    const fmpz_mpoly_struct* z = p.raw()->zpoly;
    const fmpz_mpoly_ctx_struct* zctx = p.craw()->zctx;
    slong nv = fmpz_mpoly_ctx_nvars(zctx);
    std::vector<ulong> exps(nv);
    slong total = fmpq_mpoly_total_degree_si(p.raw(), p.craw());
    BiPoly out(static_cast<size_t>(std::max<slong>(total, 0) + 1));
    Fmpz c, binom, term, mt;
    fmpz_set_si(mt.raw(), -t);
    for (slong k = 0; k < fmpz_mpoly_length(z, zctx); ++k) {
        fmpz_mpoly_get_term_coeff_fmpz(c.raw(), z, k, zctx);
        fmpz_mpoly_get_term_exp_ui(exps.data(), z, k, zctx);
        ulong i = exps[0], j = exps[1];
        // c * (u - t y)^i * y^j = sum_k C(i,k) (-t)^k c u^(i-k) y^(j+k)
        for (ulong e = 0; e <= i; ++e) {
            if (t == 0 && e > 0) break;
            fmpz_bin_uiui(binom.raw(), i, e);
            fmpz_pow_ui(term.raw(), mt.raw(), e);
            fmpz_mul(term.raw(), term.raw(), binom.raw());
            fmpz_mul(term.raw(), term.raw(), c.raw());
            FmpzPoly& slot = out[j + e];
            Fmpz old;
            fmpz_poly_get_coeff_fmpz(old.raw(), slot.raw(), static_cast<slong>(i - e));
            fmpz_add(old.raw(), old.raw(), term.raw());
            fmpz_poly_set_coeff_fmpz(slot.raw(), static_cast<slong>(i - e), old.raw());
        }
    }
    while (!out.empty() && fmpz_poly_is_zero(out.back().raw()))
        out.pop_back();
    return out;
}

long DegY(const BiPoly& p)
{
    return static_cast<long>(p.size()) - 1;
}

// The values at u = k of the coefficients in y.
void EvaluateAt(FmpzPoly& out, const BiPoly& p, const fmpz_t k)
{
    fmpz_poly_fit_length(out.raw(), static_cast<slong>(p.size()));
    Fmpz v;
    fmpz_poly_zero(out.raw());
    for (size_t j = 0; j < p.size(); ++j) {
        fmpz_poly_evaluate_fmpz(v.raw(), p[j].raw(), k);
        fmpz_poly_set_coeff_fmpz(out.raw(), static_cast<slong>(j), v.raw());
    }
}

// Res_y(a, b) and the first subresultant s1*y + s0, as polynomials in u,
// by evaluation at integer points and interpolation. The leading
// coefficients in y are non-zero constants, so evaluation commutes with
// both constructions.
void Eliminants(FmpzPoly& res, FmpzPoly& s1, FmpzPoly& s0, const BiPoly& a, const BiPoly& b,
    slong degreeBound, const Deadline& deadline)
{
    const slong count = degreeBound + 1;
    std::vector<Fmpz> xs(static_cast<size_t>(count)), rs(xs.size()), v1(xs.size()), v0(xs.size());
    const bool linear = DegY(b) == 1;
    FmpzPoly ak, bk;
    for (slong i = 0; i < count; ++i) {
        deadline.check();
        fmpz_set_si(xs[i].raw(), i - count / 2);
        EvaluateAt(ak, a, xs[i].raw());
        EvaluateAt(bk, b, xs[i].raw());
        if (linear)
            fmpz_poly_resultant(rs[i].raw(), ak.raw(), bk.raw());
        else
            Subresultants(rs[i], v1[i], v0[i], ak, bk);
    }
    auto interpolate = [&](FmpzPoly& out, std::vector<Fmpz>& ys) {
        std::vector<fmpz> xv, yv; // shallow views
        for (slong i = 0; i < count; ++i) {
            xv.push_back(*xs[i].raw());
            yv.push_back(*ys[i].raw());
        }
        fmpz_poly_interpolate_fmpz_vec(out.raw(), xv.data(), yv.data(), count);
    };
    interpolate(res, rs);
    if (linear) {
        s1 = b[1];
        s0 = b[0];
    } else {
        interpolate(s1, v1);
        interpolate(s0, v0);
    }
}

// Leading coefficient in y of p(u - t y, y): the top homogeneous part at (-t, 1).
bool TopCoefficientNonZero(const BiPoly& p, long total)
{
    return DegY(p) == total && fmpz_poly_degree(p.back().raw()) == 0;
}

// --- arithmetic in K = Q[u]/(f), f irreducible -------------------------

struct Field {
    FmpqPoly f;
    void Reduce(FmpqPoly& a) const { fmpq_poly_rem(a.raw(), a.raw(), f.raw()); }
    FmpqPoly Mul(const FmpqPoly& a, const FmpqPoly& b) const
    {
        FmpqPoly r;
        fmpq_poly_mul(r.raw(), a.raw(), b.raw());
        Reduce(r);
        return r;
    }
    FmpqPoly Inv(const FmpqPoly& a) const
    {
        FmpqPoly g, s, t;
        fmpq_poly_xgcd(g.raw(), s.raw(), t.raw(), a.raw(), f.raw());
        return s;
    }
};

using KPoly = std::vector<FmpqPoly>; // coefficients in K of powers of y

void Trim(KPoly& p)
{
    while (!p.empty() && fmpq_poly_is_zero(p.back().raw()))
        p.pop_back();
}

KPoly Rem(KPoly a, const KPoly& b, const Field& k)
{
    FmpqPoly inv = k.Inv(b.back());
    while (a.size() >= b.size()) {
        FmpqPoly c = k.Mul(a.back(), inv);
        size_t shift = a.size() - b.size();
        for (size_t e = 0; e < b.size(); ++e) {
            FmpqPoly prod = k.Mul(c, b[e]);
            fmpq_poly_sub(a[e + shift].raw(), a[e + shift].raw(), prod.raw());
        }
        fmpq_poly_zero(a.back().raw());
        Trim(a);
    }
    return a;
}

KPoly Gcd(KPoly a, KPoly b, const Field& k)
{
    Trim(a);
    Trim(b);
    while (!b.empty()) {
        KPoly r = Rem(std::move(a), b, k);
        a = std::move(b);
        b = std::move(r);
    }
    return a;
}

KPoly Specialize(const BiPoly& p, const Field& k)
{
    KPoly out(p.size());
    for (size_t j = 0; j < p.size(); ++j) {
        fmpq_poly_set_fmpz_poly(out[j].raw(), p[j].raw());
        k.Reduce(out[j]);
    }
    Trim(out);
    return out;
}

// The y of the only distinct common root of a(u0, y), b(u0, y) over the
// roots u0 of f, or nothing when there are several.
std::optional<FmpqPoly> UniqueCommonY(const BiPoly& a, const BiPoly& b, const Field& k)
{
    KPoly g = Gcd(Specialize(a, k), Specialize(b, k), k);
    if (g.size() < 2) return std::nullopt;
    KPoly dg(g.size() - 1);
    for (size_t e = 1; e < g.size(); ++e) {
        fmpq_poly_scalar_mul_ui(dg[e - 1].raw(), g[e].raw(), e);
    }
    KPoly h = Gcd(g, dg, k);
    const long repeated = static_cast<long>(h.size()) - 1;
    const long deg = static_cast<long>(g.size()) - 1;
    if (deg - repeated != 1) return std::nullopt;
    // g = c (y - Y)^deg, so Y = -g[deg-1] / (deg * g[deg]).
    FmpqPoly y = k.Mul(g[deg - 1], k.Inv(g[deg]));
    fmpq_poly_scalar_div_si(y.raw(), y.raw(), -deg);
    return y;
}

} // namespace

// --- SolutionFamily --------------------------------------------------------

SolutionFamily::SolutionFamily(FmpzPoly f, long shear, FmpzPoly s1, FmpzPoly s0)
    : f_(std::move(f))
    , shear_(shear)
    , fromSubresultant_(true)
    , s1_(std::move(s1))
    , s0_(std::move(s0))
{
    fmpq_poly_set_fmpz_poly(fq_.raw(), f_.raw());
}

SolutionFamily::SolutionFamily(FmpzPoly f, long shear, FmpqPoly y)
    : f_(std::move(f))
    , shear_(shear)
    , fromSubresultant_(false)
{
    fmpq_poly_set_fmpz_poly(fq_.raw(), f_.raw());
    y_ = std::move(y);
    FmpqPoly u;
    fmpq_poly_set_coeff_si(u.raw(), 1, 1);
    fmpq_poly_scalar_mul_si(x_.raw(), y_.raw(), -shear_);
    fmpq_poly_add(x_.raw(), x_.raw(), u.raw());
    fmpq_poly_rem(x_.raw(), x_.raw(), fq_.raw());
    exact_ = true;
}

long SolutionFamily::degree() const
{
    return fmpz_poly_degree(f_.raw());
}

FmpqPoly SolutionFamily::Reduce(const FmpqPoly& a) const
{
    FmpqPoly r;
    fmpq_poly_rem(r.raw(), a.raw(), fq_.raw());
    return r;
}

void SolutionFamily::EnsureExact() const
{
    if (exact_) return;
    Field k { fq_ };
    FmpqPoly s1, s0;
    fmpq_poly_set_fmpz_poly(s1.raw(), s1_.raw());
    fmpq_poly_set_fmpz_poly(s0.raw(), s0_.raw());
    k.Reduce(s1);
    k.Reduce(s0);
    y_ = k.Mul(s0, k.Inv(s1));
    fmpq_poly_neg(y_.raw(), y_.raw());
    FmpqPoly u;
    fmpq_poly_set_coeff_si(u.raw(), 1, 1);
    fmpq_poly_scalar_mul_si(x_.raw(), y_.raw(), -shear_);
    fmpq_poly_add(x_.raw(), x_.raw(), u.raw());
    k.Reduce(x_);
    exact_ = true;
}

const FmpqPoly& SolutionFamily::X() const
{
    EnsureExact();
    return x_;
}

const FmpqPoly& SolutionFamily::Y() const
{
    EnsureExact();
    return y_;
}

void SolutionFamily::EnsureRoots() const
{
    if (isolated_) return;
    realRoots_ = IsolateRealRoots(f_);
    isolated_ = true;
}

long SolutionFamily::realCount() const
{
    EnsureRoots();
    return static_cast<long>(realRoots_.size());
}

static void EvalFmpqPolyArb(Arb& out, const FmpqPoly& p, const arb_t x, slong prec)
{
    const fmpq_poly_struct* q = p.raw();
    _arb_fmpz_poly_evaluate_arb(out.raw(), q->coeffs, q->length, x, prec);
    arb_div_fmpz(out.raw(), out.raw(), q->den, prec);
}

void SolutionFamily::RealPoint(size_t index, slong prec, Arb& x, Arb& y) const
{
    EnsureRoots();
    RootInterval& root = realRoots_.at(index);
    RefineRoot(root, f_, prec - 40);
    Arb ball;
    RootBall(ball.raw(), root, prec);
    const arb_struct* u = ball.raw();
    if (fromSubresultant_ && !exact_) {
        Arb a, b;
        arb_fmpz_poly_evaluate_arb(a.raw(), s0_.raw(), u, prec);
        arb_fmpz_poly_evaluate_arb(b.raw(), s1_.raw(), u, prec);
        arb_div(y.raw(), a.raw(), b.raw(), prec);
        arb_neg(y.raw(), y.raw());
        arb_mul_si(x.raw(), y.raw(), -shear_, prec);
        arb_add(x.raw(), x.raw(), u, prec);
    } else {
        EvalFmpqPolyArb(x, x_, u, prec);
        EvalFmpqPolyArb(y, y_, u, prec);
    }
}

FmpqPoly SolutionFamily::ExactValue(const FmpqMpoly& v) const
{
    EnsureExact();
    const slong nv = fmpq_mpoly_ctx_nvars(v.craw());
    std::vector<FmpqPoly> vals(static_cast<size_t>(nv));
    vals[0] = x_;
    vals[1] = y_;
    std::vector<fmpq_poly_struct*> ptrs;
    for (auto& p : vals)
        ptrs.push_back(p.raw());
    FmpqPoly out;
    if (!fmpq_mpoly_compose_fmpq_poly(out.raw(), v.raw(), ptrs.data(), v.craw())) {
        throw std::runtime_error("composition impossible");
    }
    fmpq_poly_rem(out.raw(), out.raw(), fq_.raw());
    return out;
}

// --- the solver ------------------------------------------------------------

std::vector<SolutionFamily> SolveCoprime(const FmpqMpoly& A, const FmpqMpoly& B, const Deadline& deadline)
{
    const slong da = fmpq_mpoly_total_degree_si(A.raw(), A.craw());
    const slong db = fmpq_mpoly_total_degree_si(B.raw(), B.craw());
    if (da <= 0 || db <= 0) return {}; // a non-zero constant has no zero
    for (long t : kShears) {
        deadline.check();
        BiPoly a = Shear(A, t), b = Shear(B, t);
        if (!TopCoefficientNonZero(a, da) || !TopCoefficientNonZero(b, db)) continue;
        if (DegY(a) < DegY(b)) std::swap(a, b);
        FmpzPoly res, s1, s0;
        Eliminants(res, s1, s0, a, b, da * db, deadline);
        deadline.check();
        if (fmpz_poly_degree(res.raw()) <= 0) return {};
        flint::FmpzPolyFactor fac;
        fmpz_poly_factor(fac.raw(), res.raw());
        std::vector<SolutionFamily> families;
        bool separated = true;
        for (slong i = 0; i < fac.raw()->num && separated; ++i) {
            FmpzPoly f;
            fmpz_poly_set(f.raw(), fac.raw()->p + i);
            if (fmpz_sgn(fmpz_poly_lead(f.raw())) < 0) fmpz_poly_neg(f.raw(), f.raw());
            FmpzPoly r;
            fmpz_poly_rem(r.raw(), s1.raw(), f.raw());
            if (!fmpz_poly_is_zero(r.raw())) {
                families.emplace_back(std::move(f), t, s1, s0);
                continue;
            }
            Field k;
            fmpq_poly_set_fmpz_poly(k.f.raw(), f.raw());
            std::optional<FmpqPoly> y = UniqueCommonY(a, b, k);
            if (!y) {
                separated = false;
                break;
            }
            families.emplace_back(std::move(f), t, std::move(*y));
            deadline.check();
        }
        if (separated) return families;
    }
    throw LimitExceeded(texts::kNotSeparated);
}

// --- resultant and first subresultant ---------------------------------------

// The subresultant remainder sequence (Collins, Brown; without contents
// removed, so that its members are the subresultants themselves up to
// sign). In the normal case every step after the first lowers the degree
// by one: the member of degree 1 is the first subresultant, with the sign
// -1 exactly when m and n are both even, and the member of degree 0 the
// resultant, with the sign -1 exactly when m and n are both odd (zero when
// the sequence ends at degree 1). Any other case: false.
static bool SubresultantsBySequence(Fmpz& res, Fmpz& s1, Fmpz& s0, const FmpzPoly& a, const FmpzPoly& b)
{
    const slong m = fmpz_poly_degree(a.raw()), n = fmpz_poly_degree(b.raw());
    FmpzPoly A, B, R;
    fmpz_poly_set(A.raw(), a.raw());
    fmpz_poly_set(B.raw(), b.raw());
    Fmpz g, h, t, d;
    fmpz_one(g.raw());
    fmpz_one(h.raw());
    for (bool first = true; fmpz_poly_degree(B.raw()) > 0; first = false) {
        const slong degB = fmpz_poly_degree(B.raw());
        const slong delta = fmpz_poly_degree(A.raw()) - degB;
        if (!first && delta != 1) return false;
        if (degB == 1) {
            fmpz_poly_get_coeff_fmpz(s1.raw(), B.raw(), 1);
            fmpz_poly_get_coeff_fmpz(s0.raw(), B.raw(), 0);
        }
        fmpz_poly_pseudo_rem_cohen(R.raw(), A.raw(), B.raw()); // lc(B)^(delta+1) A mod B
        if (degB == 1 && fmpz_poly_is_zero(R.raw())) { // a common root
            fmpz_zero(res.raw());
            break;
        }
        if (fmpz_poly_degree(R.raw()) != degB - 1) return false;
        fmpz_pow_ui(t.raw(), h.raw(), static_cast<ulong>(delta));
        fmpz_mul(d.raw(), g.raw(), t.raw());
        fmpz_poly_swap(A.raw(), B.raw());
        fmpz_poly_scalar_divexact_fmpz(B.raw(), R.raw(), d.raw());
        fmpz_set(g.raw(), fmpz_poly_lead(A.raw()));
        if (delta > 0) { // h = g^delta / h^(delta - 1)
            fmpz_pow_ui(t.raw(), g.raw(), static_cast<ulong>(delta));
            fmpz_pow_ui(d.raw(), h.raw(), static_cast<ulong>(delta - 1));
            fmpz_divexact(h.raw(), t.raw(), d.raw());
        }
        if (fmpz_poly_degree(B.raw()) == 0) fmpz_set(res.raw(), B.raw()->coeffs);
    }
    if (m % 2 == 0 && n % 2 == 0) {
        fmpz_neg(s1.raw(), s1.raw());
        fmpz_neg(s0.raw(), s0.raw());
    }
    if (m % 2 == 1 && n % 2 == 1) fmpz_neg(res.raw(), res.raw());
    return true;
}

void Subresultants(Fmpz& res, Fmpz& s1, Fmpz& s0, const FmpzPoly& a, const FmpzPoly& b)
{
    if (SubresultantsBySequence(res, s1, s0, a, b)) return;
    fmpz_poly_resultant(res.raw(), a.raw(), b.raw());
    FirstSubresultantByDeterminant(s1, s0, a, b);
}

// One fraction-free elimination gives both determinants.
void FirstSubresultantByDeterminant(Fmpz& s1, Fmpz& s0, const FmpzPoly& a, const FmpzPoly& b)
{
    const slong m = fmpz_poly_degree(a.raw()), n = fmpz_poly_degree(b.raw());
    const slong rows = m + n - 2, cols = m + n - 1; // column c holds y^(m+n-2-c)
    std::vector<Fmpz> mat(static_cast<size_t>(rows * cols));
    auto at = [&](slong r, slong c) -> fmpz* { return mat[static_cast<size_t>(r * cols + c)].raw(); };
    for (slong k = 0; k < n - 1; ++k)
        for (slong e = 0; e <= m; ++e)
            fmpz_set(at(k, m - e + k), a.raw()->coeffs + e);
    for (slong k = 0; k < m - 1; ++k)
        for (slong e = 0; e <= n; ++e)
            fmpz_set(at(n - 1 + k, n - e + k), b.raw()->coeffs + e);
    Fmpz prev, t;
    fmpz_one(prev.raw());
    int sign = 1;
    for (slong k = 0; k < rows - 1; ++k) {
        slong piv = k;
        while (piv < rows && fmpz_is_zero(at(piv, k)))
            ++piv;
        if (piv == rows) { // the first columns are dependent: both determinants vanish
            fmpz_zero(s1.raw());
            fmpz_zero(s0.raw());
            return;
        }
        if (piv != k) {
            for (slong c = 0; c < cols; ++c)
                fmpz_swap(at(piv, c), at(k, c));
            sign = -sign;
        }
        for (slong i = k + 1; i < rows; ++i) {
            for (slong j = k + 1; j < cols; ++j) {
                fmpz_mul(t.raw(), at(i, j), at(k, k));
                fmpz_submul(t.raw(), at(i, k), at(k, j));
                fmpz_divexact(at(i, j), t.raw(), prev.raw());
            }
            fmpz_zero(at(i, k));
        }
        fmpz_set(prev.raw(), at(k, k));
    }
    fmpz_set(s1.raw(), at(rows - 1, rows - 1));
    fmpz_set(s0.raw(), at(rows - 1, rows));
    if (sign < 0) {
        fmpz_neg(s1.raw(), s1.raw());
        fmpz_neg(s0.raw(), s0.raw());
    }
}

// --- helpers ---------------------------------------------------------------

void Powers(std::vector<Arb>& out, const arb_t v, slong count, slong prec)
{
    out.assign(static_cast<size_t>(std::max<slong>(count, 1)), Arb());
    arb_one(out[0].raw());
    for (size_t e = 1; e < out.size(); ++e)
        arb_mul(out[e].raw(), out[e - 1].raw(), v, prec);
}

void EvalArb(
    Arb& out, const FmpqMpoly& p, const std::vector<Arb>& xpow, const std::vector<Arb>& ypow, slong prec)
{
    const slong nv = fmpq_mpoly_ctx_nvars(p.craw());
    std::vector<ulong> exps(static_cast<size_t>(nv));
    arb_zero(out.raw());
    Fmpq c;
    Arb term;
    for (slong k = 0; k < fmpq_mpoly_length(p.raw(), p.craw()); ++k) {
        fmpq_mpoly_get_term_coeff_fmpq(c.raw(), p.raw(), k, p.craw());
        fmpq_mpoly_get_term_exp_ui(exps.data(), p.raw(), k, p.craw());
        if (exps[0] >= xpow.size() || exps[1] >= ypow.size()) throw std::logic_error("puissances manquantes");
        arb_mul(term.raw(), xpow[exps[0]].raw(), ypow[exps[1]].raw(), prec);
        arb_mul_fmpz(term.raw(), term.raw(), fmpq_numref(c.raw()), prec);
        arb_div_fmpz(term.raw(), term.raw(), fmpq_denref(c.raw()), prec);
        arb_add(out.raw(), out.raw(), term.raw(), prec);
    }
}

void EvalArb(Arb& out, const FmpqMpoly& p, const arb_t x, const arb_t y, slong prec)
{
    const slong d = std::max<slong>(fmpq_mpoly_total_degree_si(p.raw(), p.craw()), 0) + 1;
    std::vector<Arb> xp, yp;
    Powers(xp, x, d, prec);
    Powers(yp, y, d, prec);
    EvalArb(out, p, xp, yp, prec);
}

static void SquareFreePart(FmpzPoly& out, const FmpzPoly& p)
{
    FmpzPoly d, g;
    fmpz_poly_derivative(d.raw(), p.raw());
    fmpz_poly_gcd(g.raw(), p.raw(), d.raw());
    fmpz_poly_div(out.raw(), p.raw(), g.raw());
}

long CountRealRoots(const FmpzPoly& p)
{
    if (fmpz_poly_degree(p.raw()) <= 0) return 0;
    FmpzPoly s;
    SquareFreePart(s, p);
    return fmpz_poly_num_real_roots(s.raw());
}

std::vector<RootInterval> RealRoots(const FmpzPoly& p)
{
    std::vector<RootInterval> out;
    if (fmpz_poly_degree(p.raw()) <= 0) return out;
    flint::FmpzPolyFactor fac;
    fmpz_poly_factor(fac.raw(), p.raw());
    std::vector<const fmpz_poly_struct*> owner;
    for (slong i = 0; i < fac.raw()->num; ++i) {
        FmpzPoly f;
        fmpz_poly_set(f.raw(), fac.raw()->p + i);
        for (RootInterval& r : IsolateRealRoots(f)) {
            out.push_back(std::move(r));
            owner.push_back(fac.raw()->p + i);
        }
    }
    // Roots of different factors differ: narrow until the intervals are apart.
    std::vector<size_t> order(out.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    Arb a, b;
    for (slong bits = 8;; bits *= 2) {
        auto mid = [&](size_t i) {
            RootBall(a.raw(), out[i], 64);
            return arf_get_d(arb_midref(a.raw()), ARF_RND_NEAR);
        };
        std::sort(order.begin(), order.end(), [&](size_t i, size_t j) { return mid(i) < mid(j); });
        bool apart = true;
        for (size_t k = 1; k < order.size(); ++k) {
            RootBall(a.raw(), out[order[k - 1]], bits + 64);
            RootBall(b.raw(), out[order[k]], bits + 64);
            if (arb_overlaps(a.raw(), b.raw())) {
                apart = false;
                for (size_t i : { order[k - 1], order[k] }) {
                    FmpzPoly f;
                    fmpz_poly_set(f.raw(), owner[i]);
                    RefineRoot(out[i], f, bits);
                }
            }
        }
        if (apart) break;
    }
    std::vector<RootInterval> sorted;
    for (size_t i : order)
        sorted.push_back(std::move(out[i]));
    return sorted;
}

void IntegerNumerator(FmpzPoly& out, const FmpqPoly& p)
{
    fmpq_poly_get_numerator(out.raw(), p.raw());
}

} // namespace vindrel::engine::fp
