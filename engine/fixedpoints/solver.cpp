#include "engine/fixedpoints/solver.h"

#include "engine/fixedpoints/small_factor.h"
#include "engine/fixedpoints/texts.h"
#include "engine/flint/factor_types.h"

#include <arb_fmpz_poly.h>
#include <flint/fmpz_mpoly.h>
#include <flint/nmod_mat.h>
#include <flint/nmod.h>
#include <flint/nmod_poly.h>
#include <flint/ulong_extras.h>

#include <algorithm>
#include <memory>
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
// the zeros) with x replaced by u - t*y (Axes::YX: the roles of x and y
// exchanged, y replaced by u - t*x).
BiPoly Shear(const FmpqMpoly& p, long t, Axes axes)
{
    const size_t first = axes == Axes::XY ? 0 : 1; // the variable sheared into u
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
        ulong i = exps[first], j = exps[1 - first];
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

// An nmod_poly owned for its scope.
struct NmodPoly {
    explicit NmodPoly(mp_limb_t p) { nmod_poly_init(v, p); }
    ~NmodPoly() { nmod_poly_clear(v); }
    NmodPoly(const NmodPoly&) = delete;
    NmodPoly& operator=(const NmodPoly&) = delete;
    nmod_poly_t v;
};

// Bits of a bound on the absolute values of the coefficients in u of
// Res_y(a, b) and of the first subresultant. On |u| = 1 every row of the
// Sylvester matrix has a squared 2-norm at most max |L(u)| <= ||L||_1 with
// L(u) = sum over j of a_j(u) a_j(1/u) (a_j: the coefficient of y^j;
// a_j(u) a_j(1/u) = |a_j(u)|^2 there), so Hadamard bounds the determinants
// by ||L_a||_1^(deg b / 2) ||L_b||_1^(deg a / 2); a coefficient of a
// polynomial is at most its maximum on the unit circle (Cauchy); the
// subresultants have fewer rows of the same kind.
slong CoefficientBoundBits(const BiPoly& a, const BiPoly& b)
{
    auto normBits = [](const BiPoly& p) {
        slong top = 0;
        for (const FmpzPoly& q : p)
            top = std::max(top, fmpz_poly_degree(q.raw()));
        FmpzPoly sum, rev, prod;
        for (const FmpzPoly& q : p) {
            if (fmpz_poly_is_zero(q.raw())) continue;
            fmpz_poly_reverse(rev.raw(), q.raw(), top + 1); // u^top q(1/u)
            fmpz_poly_mul(prod.raw(), q.raw(), rev.raw());
            fmpz_poly_add(sum.raw(), sum.raw(), prod.raw());
        }
        Fmpz total, c;
        for (slong k = 0; k <= fmpz_poly_degree(sum.raw()); ++k) {
            fmpz_abs(c.raw(), sum.raw()->coeffs + k);
            fmpz_add(total.raw(), total.raw(), c.raw());
        }
        return static_cast<slong>(fmpz_bits(total.raw()));
    };
    return (DegY(b) * normBits(a) + DegY(a) * normBits(b)) / 2 + 2;
}

// The k-th prime above 2^(FLINT_BITS - 2), k = 0, 1, ...: the same for
// every eliminant, so each thread finds them once.
mp_limb_t WordPrime(size_t k)
{
    thread_local std::vector<mp_limb_t> primes;
    while (primes.size() <= k)
        primes.push_back(n_nextprime(primes.empty() ? UWORD(1) << (FLINT_BITS - 2) : primes.back(), 1));
    return primes[k];
}

struct TreeFree {
    slong count;
    void operator()(mp_ptr* tree) const { _nmod_poly_tree_free(tree, count); }
};

// p(0), p(1), ..., p(count - 1) modulo p's prime: Horner at the first
// deg + 1 points, then forward differences, one addition per value and
// difference order instead of a multiplication per coefficient.
void ValuesAtConsecutiveIntegers(std::vector<mp_limb_t>& out, const nmod_poly_t p, slong count)
{
    out.assign(static_cast<size_t>(count), 0);
    const slong deg = nmod_poly_degree(p);
    if (deg < 0) return;
    const slong start = std::min(deg + 1, count);
    for (slong i = 0; i < start; ++i)
        out[i] = nmod_poly_evaluate_nmod(p, static_cast<mp_limb_t>(i) % p->mod.n);
    if (start == count) return;
    // diff[k]: the k-th forward difference at the point deg - k (the
    // differences that end at the last computed value).
    std::vector<mp_limb_t> diff(out.begin(), out.begin() + start);
    for (slong k = 1; k <= deg; ++k)
        for (slong i = 0; i + k <= deg; ++i)
            diff[i] = nmod_sub(diff[i + 1], diff[i], p->mod);
    std::reverse(diff.begin(), diff.end());
    // One point forward: each order gains the next one's new value.
    for (slong i = start; i < count; ++i) {
        for (slong k = deg - 1; k >= 0; --k)
            diff[k] = nmod_add(diff[k], diff[k + 1], p->mod);
        out[i] = diff[0];
    }
}

// Res_y(a, b) and the first subresultant s1*y + s0, as polynomials in u:
// their values modulo word-size primes at the points u = 0, 1, ...,
// degreeBound, interpolated and put together by Chinese remaindering until
// the product of the primes exceeds twice the bound above. The leading
// coefficients in y are non-zero constants, so evaluation commutes with
// both constructions (primes dividing them are skipped).
void Eliminants(FmpzPoly& res, FmpzPoly& s1, FmpzPoly& s0, const BiPoly& a, const BiPoly& b,
    slong degreeBound, const Deadline& deadline)
{
    const bool linear = DegY(b) == 1;
    if (linear) {
        s1 = b[1];
        s0 = b[0];
    }
    const slong count = degreeBound + 1;
    const slong needed = CoefficientBoundBits(a, b) + 1; // and a sign
    Fmpz modulus;
    fmpz_one(modulus.raw());
    fmpz_poly_zero(res.raw());
    if (!linear) {
        fmpz_poly_zero(s1.raw());
        fmpz_poly_zero(s0.raw());
    }
    size_t primes = 0;
    std::vector<mp_limb_t> xs(static_cast<size_t>(count)), rs(xs.size()), v1(xs.size()), v0(xs.size());
    std::vector<mp_limb_t> weights(xs.size()), work;
    std::unique_ptr<mp_ptr, TreeFree> tree(_nmod_poly_tree_alloc(count), TreeFree { count });
    for (slong i = 0; i < count; ++i)
        xs[i] = static_cast<mp_limb_t>(i);
    while (static_cast<slong>(fmpz_bits(modulus.raw())) <= needed) {
        deadline.check();
        const mp_limb_t prime = WordPrime(primes++);
        if (fmpz_fdiv_ui(fmpz_poly_lead(a.back().raw()), prime) == 0
            || fmpz_fdiv_ui(fmpz_poly_lead(b.back().raw()), prime) == 0)
            continue;
        std::vector<std::unique_ptr<NmodPoly>> am, bm;
        for (const FmpzPoly& q : a) {
            am.push_back(std::make_unique<NmodPoly>(prime));
            fmpz_poly_get_nmod_poly(am.back()->v, q.raw());
        }
        for (const FmpzPoly& q : b) {
            bm.push_back(std::make_unique<NmodPoly>(prime));
            fmpz_poly_get_nmod_poly(bm.back()->v, q.raw());
        }
        // The coefficients of y^j at every point, then the sequences.
        nmod_t mod;
        nmod_init(&mod, prime);
        std::vector<std::vector<mp_limb_t>> av(am.size()), bv(bm.size());
        for (size_t j = 0; j < am.size(); ++j)
            ValuesAtConsecutiveIntegers(av[j], am[j]->v, count);
        for (size_t j = 0; j < bm.size(); ++j)
            ValuesAtConsecutiveIntegers(bv[j], bm[j]->v, count);
        std::vector<mp_limb_t> ak(av.size()), bk(bv.size());
        for (slong i = 0; i < count; ++i) {
            for (size_t j = 0; j < av.size(); ++j)
                ak[j] = av[j][i];
            for (size_t j = 0; j < bv.size(); ++j)
                bk[j] = bv[j][i];
            if (linear)
                rs[i] = _nmod_poly_resultant(ak.data(), static_cast<slong>(ak.size()), bk.data(),
                    static_cast<slong>(bk.size()), mod);
            else
                SubresultantsMod(rs[i], v1[i], v0[i], ak, bk, mod, work);
        }
        // One subproduct tree for the three interpolations.
        _nmod_poly_tree_build(tree.get(), xs.data(), count, mod);
        _nmod_poly_interpolation_weights(weights.data(), tree.get(), count, mod);
        auto combine = [&](FmpzPoly& out, const std::vector<mp_limb_t>& ys) {
            NmodPoly image(prime);
            nmod_poly_fit_length(image.v, count);
            _nmod_poly_interpolate_nmod_vec_fast_precomp(image.v->coeffs, ys.data(), tree.get(), weights.data(), count, mod);
            image.v->length = count;
            _nmod_poly_normalise(image.v);
            fmpz_poly_CRT_ui(out.raw(), out.raw(), modulus.raw(), image.v, 1);
        };
        combine(res, rs);
        if (!linear) {
            combine(s1, v1);
            combine(s0, v0);
        }
        fmpz_mul_ui(modulus.raw(), modulus.raw(), prime);
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

SolutionFamily::SolutionFamily(FmpzPoly f, long shear, FmpzPoly s1, FmpzPoly s0, Axes axes)
    : f_(std::move(f))
    , shear_(shear)
    , swapped_(axes == Axes::YX)
    , fromSubresultant_(true)
    , s1_(std::move(s1))
    , s0_(std::move(s0))
{
    fmpq_poly_set_fmpz_poly(fq_.raw(), f_.raw());
}

SolutionFamily::SolutionFamily(FmpzPoly f, long shear, FmpqPoly y, Axes axes)
    : f_(std::move(f))
    , shear_(shear)
    , swapped_(axes == Axes::YX)
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

bool SolutionFamily::CoordinateIsZero(int which) const
{
    if (exact_ || !fromSubresultant_) return fmpq_poly_is_zero((which == 0 ? X() : Y()).raw());
    // With y = -s0/s1 and x = u - shear*y (s1 invertible modulo the
    // irreducible f): y = 0 when f divides s0, x = 0 when f divides
    // u*s1 + shear*s0. A remainder, where the exact coordinates would need
    // an inverse modulo f (seconds at degree 400). Exchanged axes: the other one.
    FmpzPoly g;
    if (which == (swapped_ ? 1 : 0)) {
        fmpz_poly_shift_left(g.raw(), s1_.raw(), 1);
        FmpzPoly t;
        fmpz_poly_scalar_mul_si(t.raw(), s0_.raw(), shear_);
        fmpz_poly_add(g.raw(), g.raw(), t.raw());
    } else {
        fmpz_poly_set(g.raw(), s0_.raw());
    }
    FmpqPoly gq;
    fmpq_poly_set_fmpz_poly(gq.raw(), g.raw());
    fmpq_poly_rem(gq.raw(), gq.raw(), fq_.raw());
    return fmpq_poly_is_zero(gq.raw());
}

const FmpqPoly& SolutionFamily::X() const
{
    EnsureExact();
    return swapped_ ? y_ : x_;
}

const FmpqPoly& SolutionFamily::Y() const
{
    EnsureExact();
    return swapped_ ? x_ : y_;
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
    if (swapped_) arb_swap(x.raw(), y.raw());
}

FmpqPoly SolutionFamily::ExactValue(const FmpqMpoly& v) const
{
    EnsureExact();
    const slong nv = fmpq_mpoly_ctx_nvars(v.craw());
    std::vector<FmpqPoly> vals(static_cast<size_t>(nv));
    vals[0] = X();
    vals[1] = Y();
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

namespace {

// The families from the eliminant of A and B after the shear t, or nothing
// when a factor's roots are not separated by u (or the leading
// coefficients in y are not constants).
std::optional<std::vector<SolutionFamily>> SolveSheared(
    const FmpqMpoly& A, const FmpqMpoly& B, long t, Axes axes, slong da, slong db, const Deadline& deadline)
{
    BiPoly a = Shear(A, t, axes), b = Shear(B, t, axes);
    if (!TopCoefficientNonZero(a, da) || !TopCoefficientNonZero(b, db)) return std::nullopt;
    if (DegY(a) < DegY(b)) std::swap(a, b);
    FmpzPoly res, s1, s0;
    Eliminants(res, s1, s0, a, b, da * db, deadline);
    deadline.check();
    std::vector<SolutionFamily> families;
    if (fmpz_poly_degree(res.raw()) <= 0) return families;
    flint::FmpzPolyFactor fac;
    FactorEliminant(fac, res);
    for (slong i = 0; i < fac.raw()->num; ++i) {
        FmpzPoly f;
        fmpz_poly_set(f.raw(), fac.raw()->p + i);
        if (fmpz_sgn(fmpz_poly_lead(f.raw())) < 0) fmpz_poly_neg(f.raw(), f.raw());
        FmpzPoly r;
        fmpz_poly_rem(r.raw(), s1.raw(), f.raw());
        if (!fmpz_poly_is_zero(r.raw())) {
            families.emplace_back(std::move(f), t, s1, s0, axes);
            continue;
        }
        Field k;
        fmpq_poly_set_fmpz_poly(k.f.raw(), f.raw());
        std::optional<FmpqPoly> y = UniqueCommonY(a, b, k);
        if (!y) return std::nullopt;
        families.emplace_back(std::move(f), t, std::move(*y), axes);
        deadline.check();
    }
    return families;
}

} // namespace

std::vector<SolutionFamily> SolveCoprime(const FmpqMpoly& A, const FmpqMpoly& B, const Deadline& deadline)
{
    const slong da = fmpq_mpoly_total_degree_si(A.raw(), A.craw());
    const slong db = fmpq_mpoly_total_degree_si(B.raw(), B.craw());
    if (da <= 0 || db <= 0) return {}; // a non-zero constant has no zero
    // Without a shear when the top terms allow it: in y, else in x (a shear
    // makes the coefficients larger, and the eliminant costlier).
    const bool plainXY = TopCoefficientNonZero(Shear(A, 0, Axes::XY), da)
        && TopCoefficientNonZero(Shear(B, 0, Axes::XY), db);
    if (!plainXY) {
        deadline.check();
        if (auto families = SolveSheared(A, B, 0, Axes::YX, da, db, deadline)) return std::move(*families);
    }
    for (long t : kShears) {
        deadline.check();
        if (auto families = SolveSheared(A, B, t, Axes::XY, da, db, deadline)) return std::move(*families);
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

static void SubresultantsModGeneral(
    mp_limb_t& res, mp_limb_t& s1, mp_limb_t& s0, const nmod_poly_t a, const nmod_poly_t b);

// The remainder sequence over Z/p without inversions: each member is kept
// as a vector times a scalar num/den, its remainders are pseudo-remainders
// (lc^(delta+1) A mod B by elimination), and the exact divisions only move
// the scalars; two inversions at the end. False when the sequence is not
// normal. a and b: coefficients from y^0, leading ones non-zero, degrees
// m >= n >= 2.
// Below it, a sum of three products of residues fits in two words with a
// high word below the modulus (3 (n-1)^2 < n 2^64).
constexpr mp_limb_t kLazyModulus = UWORD(0x5555555555555555);

static bool SubresultantsModBySequence(mp_limb_t& res, mp_limb_t& s1, mp_limb_t& s0, const mp_limb_t* a,
    slong m, const mp_limb_t* b, slong n, nmod_t mod, std::vector<mp_limb_t>& work)
{
    work.assign(static_cast<size_t>(m + n + 2), 0);
    mp_limb_t* A = work.data();
    mp_limb_t* B = A + m + 1;
    std::copy(a, a + m + 1, A);
    std::copy(b, b + n + 1, B);
    slong degA = m, degB = n;
    struct Ratio {
        mp_limb_t num = 1, den = 1;
    };
    auto mul = [&](mp_limb_t x, mp_limb_t y) { return nmod_mul(x, y, mod); };
    auto pow = [&](mp_limb_t x, slong e) { return n_powmod2_ui_preinv(x, static_cast<ulong>(e), mod.n, mod.ninv); };
    Ratio alpha, beta, g, h, r1, r0, rr;
    rr.num = 0;
    for (bool first = true; degB > 0; first = false) {
        const slong delta = degA - degB;
        if (!first && delta != 1) return false;
        if (degB == 1) {
            r1 = { mul(B[1], beta.num), beta.den };
            r0 = { mul(B[0], beta.num), beta.den };
        }
        // A <- lc(B)^(delta+1) A mod B.
        const mp_limb_t lc = B[degB];
        if (delta == 1 && mod.n < kLazyModulus) {
            // Both elimination steps at once: lc^2 A - (lc c1 y + c2) B with
            // c1 the top of A and c2 that of the first step's result, each
            // coefficient a sum of three products reduced once.
            const mp_limb_t c1 = A[degB + 1];
            const mp_limb_t c2 = nmod_sub(mul(lc, A[degB]), mul(c1, B[degB - 1]), mod);
            const mp_limb_t lc2 = mul(lc, lc), m1 = nmod_neg(mul(lc, c1), mod), m2 = nmod_neg(c2, mod);
            for (slong j = 0; j < degB; ++j) {
                mp_limb_t hi, lo, h, l;
                umul_ppmm(hi, lo, lc2, A[j]);
                umul_ppmm(h, l, m2, B[j]);
                add_ssaaaa(hi, lo, hi, lo, h, l);
                if (j > 0) {
                    umul_ppmm(h, l, m1, B[j - 1]);
                    add_ssaaaa(hi, lo, hi, lo, h, l);
                }
                NMOD_RED2(A[j], hi, lo, mod);
            }
            A[degB] = A[degB + 1] = 0;
        } else {
            for (slong top = degA; top >= degB; --top) {
                const mp_limb_t c = A[top];
                const slong shift = top - degB;
                for (slong j = 0; j < shift; ++j)
                    A[j] = mul(A[j], lc);
                for (slong j = 0; j <= degB; ++j)
                    A[j + shift] = nmod_sub(mul(A[j + shift], lc), mul(c, B[j]), mod);
            }
        }
        slong degR = degB - 1;
        while (degR >= 0 && A[degR] == 0)
            --degR;
        if (degB == 1 && degR < 0) break; // a common root: the resultant is 0
        if (degR != degB - 1) return false;
        // True remainder: beta^(delta+1) alpha A; the next member is it over g h^delta.
        const Ratio d { mul(g.num, pow(h.num, delta)), mul(g.den, pow(h.den, delta)) };
        const Ratio next { mul(mul(pow(beta.num, delta + 1), alpha.num), d.den),
            mul(mul(pow(beta.den, delta + 1), alpha.den), d.num) };
        g = { mul(lc, beta.num), beta.den };
        if (delta > 0) { // h = g^delta / h^(delta - 1)
            h = { mul(pow(g.num, delta), pow(h.den, delta - 1)), mul(pow(g.den, delta), pow(h.num, delta - 1)) };
        }
        alpha = beta;
        beta = next;
        std::swap(A, B);
        degA = degB;
        degB = degR;
        if (degB == 0) rr = { mul(B[0], beta.num), beta.den };
    }
    // Every scalar is a product of non-zero leading coefficients: no zero
    // denominator. Invert once for the two denominators of s1, s0 and res.
    const mp_limb_t inv = n_invmod(mul(r1.den, rr.den), mod.n);
    s1 = mul(mul(r1.num, inv), rr.den);
    s0 = mul(mul(r0.num, inv), rr.den);
    res = mul(mul(rr.num, inv), r1.den);
    if (m % 2 == 0 && n % 2 == 0) {
        s1 = nmod_neg(s1, mod);
        s0 = nmod_neg(s0, mod);
    }
    if (m % 2 == 1 && n % 2 == 1) res = nmod_neg(res, mod);
    return true;
}

void SubresultantsMod(mp_limb_t& res, mp_limb_t& s1, mp_limb_t& s0, const std::vector<mp_limb_t>& a,
    const std::vector<mp_limb_t>& b, nmod_t mod, std::vector<mp_limb_t>& work)
{
    const slong m = static_cast<slong>(a.size()) - 1, n = static_cast<slong>(b.size()) - 1;
    if (SubresultantsModBySequence(res, s1, s0, a.data(), m, b.data(), n, mod, work)) return;
    nmod_poly_t am, bm;
    nmod_poly_init_mod(am, mod);
    nmod_poly_init_mod(bm, mod);
    for (slong i = 0; i <= m; ++i)
        nmod_poly_set_coeff_ui(am, i, a[i]);
    for (slong i = 0; i <= n; ++i)
        nmod_poly_set_coeff_ui(bm, i, b[i]);
    SubresultantsModGeneral(res, s1, s0, am, bm);
    nmod_poly_clear(am);
    nmod_poly_clear(bm);
}

void SubresultantsMod(mp_limb_t& res, mp_limb_t& s1, mp_limb_t& s0, const nmod_poly_t a, const nmod_poly_t b)
{
    std::vector<mp_limb_t> av(a->coeffs, a->coeffs + a->length), bv(b->coeffs, b->coeffs + b->length), work;
    SubresultantsMod(res, s1, s0, av, bv, a->mod, work);
}

// The same numbers modulo a prime p (a and b of degrees m >= n >= 2 modulo
// p): the remainder sequence with its exact divisions done by inverses,
// and the determinants over Z/p when it is not normal modulo p.
static void SubresultantsModGeneral(
    mp_limb_t& res, mp_limb_t& s1, mp_limb_t& s0, const nmod_poly_t a, const nmod_poly_t b)
{
    const nmod_t mod = a->mod;
    const slong m = nmod_poly_degree(a), n = nmod_poly_degree(b);
    auto lead = [](const nmod_poly_t p) { return nmod_poly_get_coeff_ui(p, nmod_poly_degree(p)); };
    nmod_poly_t A, B, R;
    nmod_poly_init_mod(A, mod);
    nmod_poly_init_mod(B, mod);
    nmod_poly_init_mod(R, mod);
    nmod_poly_set(A, a);
    nmod_poly_set(B, b);
    mp_limb_t g = 1, h = 1;
    bool normal = true;
    res = s1 = s0 = 0;
    for (bool first = true; nmod_poly_degree(B) > 0; first = false) {
        const slong degB = nmod_poly_degree(B);
        const slong delta = nmod_poly_degree(A) - degB;
        if (!first && delta != 1) {
            normal = false;
            break;
        }
        if (degB == 1) {
            s1 = nmod_poly_get_coeff_ui(B, 1);
            s0 = nmod_poly_get_coeff_ui(B, 0);
        }
        nmod_poly_rem(R, A, B); // lc(B)^(delta+1) A mod B, up to that factor
        nmod_poly_scalar_mul_nmod(
            R, R, n_powmod2_ui_preinv(lead(B), static_cast<ulong>(delta + 1), mod.n, mod.ninv));
        if (degB == 1 && nmod_poly_is_zero(R)) {
            res = 0;
            break;
        }
        const mp_limb_t d
            = nmod_mul(g, n_powmod2_ui_preinv(h, static_cast<ulong>(delta), mod.n, mod.ninv), mod);
        if (nmod_poly_degree(R) != degB - 1 || d == 0) {
            normal = false;
            break;
        }
        nmod_poly_swap(A, B);
        nmod_poly_scalar_mul_nmod(B, R, n_invmod(d, mod.n));
        g = lead(A);
        if (delta > 0) {
            const mp_limb_t below = n_powmod2_ui_preinv(h, static_cast<ulong>(delta - 1), mod.n, mod.ninv);
            if (below == 0) {
                normal = false;
                break;
            }
            h = nmod_mul(n_powmod2_ui_preinv(g, static_cast<ulong>(delta), mod.n, mod.ninv),
                n_invmod(below, mod.n), mod);
        }
        if (nmod_poly_degree(B) == 0) res = nmod_poly_get_coeff_ui(B, 0);
    }
    nmod_poly_clear(A);
    nmod_poly_clear(B);
    nmod_poly_clear(R);
    if (normal) {
        if (m % 2 == 0 && n % 2 == 0) {
            s1 = nmod_neg(s1, mod);
            s0 = nmod_neg(s0, mod);
        }
        if (m % 2 == 1 && n % 2 == 1) res = nmod_neg(res, mod);
        return;
    }
    res = nmod_poly_resultant(a, b);
    // The rows y^(n-2)a, ..., a, y^(m-2)b, ..., b on the first m+n-3 columns
    // and the column of y^1 (s1) or of y^0 (s0).
    const slong rows = m + n - 2;
    for (int which = 0; which < 2; ++which) {
        nmod_mat_t mat;
        nmod_mat_init(mat, rows, rows, mod.n);
        auto put = [&](slong r, slong column, mp_limb_t v) {
            if (column < rows - 1)
                nmod_mat_entry(mat, r, column) = v;
            else if (column == rows - 1 + which)
                nmod_mat_entry(mat, r, rows - 1) = v;
        };
        for (slong k = 0; k < n - 1; ++k)
            for (slong e = 0; e <= m; ++e)
                put(k, m - e + k, nmod_poly_get_coeff_ui(a, e));
        for (slong k = 0; k < m - 1; ++k)
            for (slong e = 0; e <= n; ++e)
                put(n - 1 + k, n - e + k, nmod_poly_get_coeff_ui(b, e));
        (which == 0 ? s1 : s0) = nmod_mat_det(mat);
        nmod_mat_clear(mat);
    }
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
    // p = content * (integer polynomial): the integer terms, then the content once.
    const fmpz_mpoly_struct* z = p.raw()->zpoly;
    const fmpz_mpoly_ctx_struct* zctx = p.craw()->zctx;
    const slong nv = fmpq_mpoly_ctx_nvars(p.craw());
    ulong small[8];
    std::vector<ulong> large(nv > 8 ? static_cast<size_t>(nv) : 0);
    ulong* exps = nv > 8 ? large.data() : small;
    arb_zero(out.raw());
    Arb term;
    for (slong k = 0; k < z->length; ++k) {
        fmpz_mpoly_get_term_exp_ui(exps, z, k, zctx);
        if (exps[0] >= xpow.size() || exps[1] >= ypow.size()) throw std::logic_error("puissances manquantes");
        arb_mul(term.raw(), xpow[exps[0]].raw(), ypow[exps[1]].raw(), prec);
        arb_addmul_fmpz(out.raw(), term.raw(), z->coeffs + k, prec);
    }
    const fmpq* content = p.raw()->content;
    if (!fmpz_is_one(fmpq_numref(content))) arb_mul_fmpz(out.raw(), out.raw(), fmpq_numref(content), prec);
    if (!fmpz_is_one(fmpq_denref(content))) arb_div_fmpz(out.raw(), out.raw(), fmpq_denref(content), prec);
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

// The roots of square-free factors, owner[i] the factor of out[i], sorted
// and narrowed until the intervals are apart (roots of different factors
// differ; roots of one factor may share an end).
static std::vector<RootInterval> Separated(
    std::vector<RootInterval> out, const std::vector<const fmpz_poly_struct*>& owner)
{
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
    return Separated(std::move(out), owner);
}

std::vector<RootInterval> RealRootsOfIrreducible(const FmpzPoly& f)
{
    std::vector<RootInterval> out = IsolateRealRoots(f);
    const std::vector<const fmpz_poly_struct*> owner(out.size(), f.raw());
    return Separated(std::move(out), owner);
}

void IntegerNumerator(FmpzPoly& out, const FmpqPoly& p)
{
    fmpq_poly_get_numerator(out.raw(), p.raw());
}

} // namespace vindrel::engine::fp
