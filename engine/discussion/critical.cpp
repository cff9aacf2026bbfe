// The candidate values of the constant: elimination of x and y.
//
// The fixed points are looked at through a shear u = x + k y, so that the
// leading coefficient of P(u - ky, y) in y depends on a only. R(a, u), the
// resultant in y, is made primitive in u and square-free. Where the picture
// changes at a = a0, something happens at a fixed point whatever the shear
// (a common factor, a point going to infinity, two points meeting, T, D or
// T² - 4D vanishing at a point), so the polynomial of each event is the gcd
// of the polynomials found for two shears: what one shear alone sees (two
// different points with the same u) drops out.
#include "engine/discussion/internal.h"

#include "engine/errors.h"
#include "engine/flint/factor_types.h"
#include "engine/poly/algebra.h"
#include "engine/poly/number_text.h"
#include "engine/poly/print.h"

#include <algorithm>
#include <cmath>

namespace vindrel::engine::discussion {

using flint::Fmpq;
using flint::FmpqMpoly;
using flint::FmpqPoly;
using flint::Fmpz;
using flint::FmpzPoly;

namespace {

constexpr const char* kTooHard = "La discussion selon la constante demande des calculs trop lourds ici.";

void Require(int ok)
{
    if (!ok) throw LimitExceeded(kTooHard);
}

FmpqMpoly Constant(const flint::MpolyCtxPtr& ctx, slong c)
{
    FmpqMpoly p(ctx);
    fmpq_mpoly_set_si(p.raw(), c, ctx->raw());
    return p;
}

slong Degree(const FmpqMpoly& p, slong var)
{
    return fmpq_mpoly_degree_si(p.raw(), var, p.craw());
}

FmpqMpoly Resultant(const FmpqMpoly& a, const FmpqMpoly& b, slong var)
{
    if (IsZero(a) || IsZero(b)) return FmpqMpoly(a.ctx());
    if (Degree(a, var) <= 0 && Degree(b, var) <= 0) return Constant(a.ctx(), 1);
    FmpqMpoly r(a.ctx());
    Require(fmpq_mpoly_resultant(r.raw(), a.raw(), b.raw(), var, a.craw()));
    return r;
}

FmpqMpoly Gcd(const FmpqMpoly& a, const FmpqMpoly& b)
{
    FmpqMpoly g(a.ctx());
    Require(fmpq_mpoly_gcd(g.raw(), a.raw(), b.raw(), a.craw()));
    return g;
}

FmpqMpoly Quotient(const FmpqMpoly& a, const FmpqMpoly& b)
{
    FmpqMpoly q(a.ctx());
    if (!fmpq_mpoly_divides(q.raw(), a.raw(), b.raw(), a.craw()))
        throw std::logic_error("discussion : division inexacte");
    return q;
}

// The coefficients of p as a polynomial in var, highest power first.
std::vector<FmpqMpoly> Coefficients(const FmpqMpoly& p, slong var)
{
    const auto& ctx = p.ctx();
    fmpq_mpoly_univar_t u;
    fmpq_mpoly_univar_init(u, ctx->raw());
    fmpq_mpoly_to_univar(u, p.raw(), var, ctx->raw());
    std::vector<std::pair<slong, FmpqMpoly>> terms;
    for (slong i = 0; i < fmpq_mpoly_univar_length(u, ctx->raw()); ++i) {
        FmpqMpoly c(ctx);
        fmpq_mpoly_univar_get_term_coeff(c.raw(), u, i, ctx->raw());
        terms.emplace_back(fmpq_mpoly_univar_get_term_exp_si(u, i, ctx->raw()), std::move(c));
    }
    fmpq_mpoly_univar_clear(u, ctx->raw());
    std::sort(terms.begin(), terms.end(), [](const auto& l, const auto& r) { return l.first > r.first; });
    std::vector<FmpqMpoly> out;
    for (auto& t : terms)
        out.push_back(std::move(t.second));
    return out;
}

FmpqMpoly ContentIn(const FmpqMpoly& p, slong var)
{
    FmpqMpoly g(p.ctx());
    for (const FmpqMpoly& c : Coefficients(p, var))
        g = Gcd(g, c);
    return g;
}

FmpqMpoly LeadingIn(const FmpqMpoly& p, slong var)
{
    auto c = Coefficients(p, var);
    return c.empty() ? FmpqMpoly(p.ctx()) : c.front();
}

// p(x - k y, y, a).
FmpqMpoly Shear(const FmpqMpoly& p, slong k)
{
    const auto& ctx = p.ctx();
    std::vector<FmpqMpoly> images;
    for (slong v = 0; v < ctx->nvars(); ++v)
        images.push_back(Variable(ctx, v));
    FmpqMpoly ky = Variable(ctx, kY);
    fmpq_mpoly_scalar_mul_si(ky.raw(), ky.raw(), k, ctx->raw());
    images[kX] = Sub(images[kX], ky);
    std::vector<fmpq_mpoly_struct*> c;
    for (auto& i : images)
        c.push_back(i.raw());
    FmpqMpoly out(ctx);
    Require(fmpq_mpoly_compose_fmpq_mpoly(out.raw(), p.raw(), c.data(), ctx->raw(), ctx->raw()));
    return out;
}

// The square-free part of p in var, primitive in var.
FmpqMpoly SquareFreeIn(const FmpqMpoly& p, slong var)
{
    if (Degree(p, var) <= 0) return Constant(p.ctx(), 1);
    const FmpqMpoly prim = Quotient(p, ContentIn(p, var));
    return Quotient(prim, Gcd(prim, Derivative(prim, var)));
}

FmpzPoly IntegerGcd(const FmpzPoly& a, const FmpzPoly& b)
{
    FmpzPoly g;
    fmpz_poly_gcd(g.raw(), a.raw(), b.raw());
    return g;
}

// What one shear sees.
struct ShearView {
    slong k = 0;
    FmpqMpoly Ps, Qs, R; // R: square-free, primitive in u
    FmpzPoly lcPair, content, leading, disc;
    std::vector<FmpzPoly> quantities; // one per linear quantity
    std::vector<bool> vanishOnBranch;
};

// The values of a where F vanishes at a fixed point seen by the shear.
FmpqMpoly OnFixedPoints(const ShearView& v, const FmpqMpoly& Fs, bool& vanishes, const Deadline& deadline)
{
    const auto& ctx = Fs.ctx();
    if (Degree(v.R, kX) <= 0) return Constant(ctx, 1);
    const FmpqMpoly H = Resultant(v.Ps, Fs, kY);
    deadline.check();
    FmpqMpoly E = Resultant(v.R, H, kX);
    if (!IsZero(E)) return E;
    // F vanishes on a whole branch of fixed points (or the branch shares u
    // with a zero of P and F): the other branches, then that branch with Q.
    const FmpqMpoly g = Gcd(v.R, H);
    const FmpqMpoly rest = Quotient(v.R, g);
    E = Degree(rest, kX) > 0 ? Resultant(rest, H, kX) : Constant(ctx, 1);
    const FmpqMpoly E2 = Resultant(g, Resultant(v.Qs, Fs, kY), kX);
    if (IsZero(E2))
        vanishes = true;
    else
        E = Mul(E, E2);
    deadline.check();
    return E;
}

ShearView View(const FmpqMpoly& P, const FmpqMpoly& Q, const std::vector<FmpqMpoly>& quantities, slong k,
    const Deadline& deadline)
{
    ShearView v { k, Shear(P, k), Shear(Q, k), FmpqMpoly(P.ctx()), {}, {}, {}, {}, {}, {} };
    v.lcPair = IntegerGcd(ToIntegerPoly(LeadingIn(v.Ps, kY)), ToIntegerPoly(LeadingIn(v.Qs, kY)));
    const FmpqMpoly R = Resultant(v.Ps, v.Qs, kY);
    deadline.check();
    if (IsZero(R)) throw std::logic_error("discussion : P et Q ont un facteur commun");
    v.content = ToIntegerPoly(ContentIn(R, kX));
    v.R = SquareFreeIn(R, kX);
    deadline.check();
    if (Degree(v.R, kX) > 0) {
        v.leading = ToIntegerPoly(LeadingIn(v.R, kX));
        FmpqMpoly d(P.ctx());
        if (Degree(v.R, kX) > 1)
            Require(fmpq_mpoly_discriminant(d.raw(), v.R.raw(), kX, P.craw()));
        else
            fmpq_mpoly_one(d.raw(), P.craw());
        v.disc = ToIntegerPoly(d);
    }
    deadline.check();
    for (const FmpqMpoly& F : quantities) {
        bool vanishes = false;
        v.quantities.push_back(ToIntegerPoly(OnFixedPoints(v, Shear(F, k), vanishes, deadline)));
        v.vanishOnBranch.push_back(vanishes);
    }
    return v;
}

// Shears whose leading coefficients in y are not zero polynomials.
std::vector<slong> GoodShears(const FmpqMpoly& P, const FmpqMpoly& Q)
{
    std::vector<slong> out;
    for (slong k : { 2, 3, 5, 7, 11, 13, 17, 19, -2, -3, -5 }) {
        // The coefficient of the top power of y must depend on a only.
        const auto free = [&](const FmpqMpoly& p) { return Degree(LeadingIn(Shear(p, k), kY), kX) <= 0; };
        if (!free(P) || !free(Q)) continue;
        out.push_back(k);
        if (out.size() == 2) break;
    }
    if (out.size() < 2) throw LimitExceeded(kTooHard);
    return out;
}

void AddSource(std::vector<Source>& sources, const std::string& what, const FmpzPoly& p)
{
    if (fmpz_poly_degree(p.raw()) < 1) return;
    FmpzPoly sf = p;
    FmpzPoly d;
    fmpz_poly_derivative(d.raw(), sf.raw());
    FmpzPoly g = IntegerGcd(sf, d);
    fmpz_poly_div(sf.raw(), sf.raw(), g.raw());
    fmpz_poly_primitive_part(sf.raw(), sf.raw());
    if (fmpz_sgn(fmpz_poly_lead(sf.raw())) < 0) fmpz_poly_neg(sf.raw(), sf.raw());
    for (auto& s : sources)
        if (s.what == what) {
            // One line per kind of event: the product of what was found.
            FmpzPoly lcm;
            FmpzPoly gg = IntegerGcd(s.poly, sf);
            fmpz_poly_mul(lcm.raw(), s.poly.raw(), sf.raw());
            fmpz_poly_div(lcm.raw(), lcm.raw(), gg.raw());
            fmpz_poly_primitive_part(lcm.raw(), lcm.raw());
            s.poly = lcm;
            return;
        }
    sources.push_back({ what, sf });
}

std::string ValueText(const CriticalValue& v, fp::RootWord word)
{
    if (v.exact)
        return word == fp::RootWord::Sqrt ? RationalToCanonical(v.exact->raw())
                                          : RationalToReport(v.exact->raw());
    const slong deg = fmpz_poly_degree(v.poly.raw());
    if (deg == 2) {
        // (-c1 +- sqrt(c1² - 4 c2 c0)) / (2 c2), the sign that fits the interval.
        const fmpz* c = v.poly.raw()->coeffs;
        Fmpz disc, t;
        fmpz_mul(disc.raw(), c + 1, c + 1);
        fmpz_mul(t.raw(), c + 2, c + 0);
        fmpz_mul_si(t.raw(), t.raw(), 4);
        fmpz_sub(disc.raw(), disc.raw(), t.raw());
        Fmpq d;
        fmpq_set_fmpz(d.raw(), disc.raw());
        fp::Quadratic q = fp::SqrtOf(d.raw());
        Fmpz twoA;
        fmpz_mul_si(twoA.raw(), c + 2, 2);
        Fmpq inv;
        fmpq_set_fmpz(inv.raw(), twoA.raw());
        fmpq_inv(inv.raw(), inv.raw());
        Fmpq p;
        fmpq_set_fmpz_frac(p.raw(), c + 1, twoA.raw());
        fmpq_neg(p.raw(), p.raw());
        fmpq_mul(q.q.raw(), q.q.raw(), inv.raw());
        fmpq_set(q.p.raw(), p.raw());
        const double root = fmpq_get_d(q.p.raw());
        if ((v.approx < root) != (fmpq_sgn(q.q.raw()) < 0)) fmpq_neg(q.q.raw(), q.q.raw());
        return fp::QuadraticText(q, word);
    }
    if (word == fp::RootWord::Racine) return DecimalFr(v.approx, 10);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", v.approx);
    return buf;
}

std::vector<CriticalValue> SortedRoots(const std::vector<Source>& sources, const Deadline& deadline);

} // namespace

FmpzPoly ToIntegerPoly(const FmpqMpoly& p)
{
    const auto& ctx = p.ctx();
    FmpqPoly q;
    std::vector<ulong> exps(static_cast<size_t>(ctx->nvars()));
    Fmpq c;
    for (slong i = 0; i < fmpq_mpoly_length(p.raw(), ctx->raw()); ++i) {
        fmpq_mpoly_get_term_exp_ui(exps.data(), p.raw(), i, ctx->raw());
        for (size_t v = 0; v < exps.size(); ++v)
            if (v != static_cast<size_t>(kA) && exps[v])
                throw std::logic_error("discussion : pas un polynôme en a");
        fmpq_mpoly_get_term_coeff_fmpq(c.raw(), p.raw(), i, ctx->raw());
        Fmpq old;
        fmpq_poly_get_coeff_fmpq(old.raw(), q.raw(), static_cast<slong>(exps[kA]));
        fmpq_add(old.raw(), old.raw(), c.raw());
        fmpq_poly_set_coeff_fmpq(q.raw(), static_cast<slong>(exps[kA]), old.raw());
    }
    FmpzPoly out;
    fmpq_poly_get_numerator(out.raw(), q.raw());
    fmpz_poly_primitive_part(out.raw(), out.raw());
    if (!fmpz_poly_is_zero(out.raw()) && fmpz_sgn(fmpz_poly_lead(out.raw())) < 0)
        fmpz_poly_neg(out.raw(), out.raw());
    return out;
}

std::vector<FmpqMpoly> LinearQuantities(const ParsedSystem& s)
{
    const FmpqMpoly px = Derivative(s.P, kX), py = Derivative(s.P, kY), qx = Derivative(s.Q, kX),
                    qy = Derivative(s.Q, kY);
    const FmpqMpoly T = Add(px, qy), D = Sub(Mul(px, qy), Mul(py, qx));
    FmpqMpoly four = Constant(s.ctx, 4);
    const FmpqMpoly disc = Sub(Mul(T, T), Mul(four, D));
    return { px, py, qx, qy, T, D, disc };
}

std::vector<CriticalValue> CandidateValues(
    const ParsedSystem& s, std::vector<Source>& sources, const Deadline& deadline)
{
    // A common factor for every a: the isolated points are those of the cofactors.
    FmpqMpoly G = Gcd(s.P, s.Q);
    FmpqMpoly P = s.P, Q = s.Q;
    if (!IsZero(G)) {
        P = Quotient(s.P, G);
        Q = Quotient(s.Q, G);
        FmpqMpoly c = ContentIn(ContentIn(G, kX), kY);
        AddSource(sources, "P et Q sont nuls", ToIntegerPoly(c));
        if (Degree(G, kX) > 0 || Degree(G, kY) > 0) {
            // The curve of fixed points: where its degree or its shape changes.
            const FmpqMpoly g = Quotient(G, c);
            for (const FmpqMpoly& coeff : Coefficients(g, kX))
                for (const FmpqMpoly& cc : Coefficients(coeff, kY))
                    AddSource(sources, "la courbe de points fixes change", ToIntegerPoly(cc));
        }
    }
    const auto constantInXY = [](const FmpqMpoly& p) { return Degree(p, kX) <= 0 && Degree(p, kY) <= 0; };
    if (constantInXY(P) || constantInXY(Q)) {
        // No isolated fixed point except where that component vanishes.
        AddSource(sources, "P et Q ont un facteur commun", ToIntegerPoly(constantInXY(P) ? P : Q));
        return SortedRoots(sources, deadline);
    }
    const std::vector<FmpqMpoly> lin = LinearQuantities(s);
    std::vector<FmpqMpoly> quantities { lin[4], lin[5], lin[6] };
    std::vector<ShearView> views;
    for (slong k : GoodShears(P, Q))
        views.push_back(View(P, Q, quantities, k, deadline));
    // Where T² - 4D vanishes on a whole branch, J scalar decides star node.
    if (views[0].vanishOnBranch[2] || views[1].vanishOnBranch[2]) {
        const std::vector<FmpqMpoly> scalar { Sub(lin[0], lin[3]), lin[1], lin[2] };
        for (ShearView& v : views)
            for (const FmpqMpoly& F : scalar) {
                bool vanishes = false;
                v.quantities.push_back(ToIntegerPoly(OnFixedPoints(v, Shear(F, v.k), vanishes, deadline)));
            }
    }
    for (const ShearView& v : views)
        AddSource(sources, "une direction commune à l'infini", v.lcPair);
    auto both
        = [&](const FmpzPoly ShearView::*member) { return IntegerGcd(views[0].*member, views[1].*member); };
    AddSource(sources, "P et Q ont un facteur commun", both(&ShearView::content));
    AddSource(sources, "un point fixe part à l'infini", both(&ShearView::leading));
    AddSource(sources, "des points fixes se confondent", both(&ShearView::disc));
    static const char* const kWhat[]
        = { "la trace T s'annule en un point fixe", "le déterminant D s'annule en un point fixe",
              "T² - 4D s'annule en un point fixe", "la matrice jacobienne devient scalaire",
              "la matrice jacobienne devient scalaire", "la matrice jacobienne devient scalaire" };
    for (size_t i = 0; i < views[0].quantities.size(); ++i)
        AddSource(sources, kWhat[i], IntegerGcd(views[0].quantities[i], views[1].quantities[i]));
    deadline.check();
    return SortedRoots(sources, deadline);
}

namespace {

std::vector<CriticalValue> SortedRoots(const std::vector<Source>& sources, const Deadline& deadline)
{
    std::vector<FmpzPoly> polys;
    for (const Source& src : sources)
        polys.push_back(src.poly);
    return RealRoots(polys, deadline);
}

} // namespace

std::vector<CriticalValue> RealRoots(const std::vector<FmpzPoly>& polys, const Deadline& deadline)
{
    // Irreducible factors, their real roots.
    std::vector<FmpzPoly> factors;
    for (const FmpzPoly& poly : polys) {
        if (fmpz_poly_degree(poly.raw()) < 1) continue;
        flint::FmpzPolyFactor f;
        fmpz_poly_factor(f.raw(), poly.raw());
        for (slong i = 0; i < f.raw()->num; ++i) {
            FmpzPoly p;
            fmpz_poly_set(p.raw(), f.raw()->p + i);
            if (fmpz_poly_degree(p.raw()) < 1) continue;
            if (fmpz_sgn(fmpz_poly_lead(p.raw())) < 0) fmpz_poly_neg(p.raw(), p.raw());
            bool seen = false;
            for (const FmpzPoly& q : factors)
                seen = seen || fmpz_poly_equal(q.raw(), p.raw());
            if (!seen) factors.push_back(std::move(p));
        }
    }
    std::vector<CriticalValue> values;
    for (const FmpzPoly& f : factors)
        for (fp::RootInterval& r : fp::IsolateRealRoots(f)) {
            CriticalValue v;
            v.poly = f;
            if (r.exact) v.exact = *r.exact;
            fp::RefineRoot(r, f, 60);
            v.root = std::move(r);
            values.push_back(std::move(v));
        }
    // Distinct algebraic numbers: refine until the intervals are disjoint.
    for (slong bits = 120;; bits *= 2) {
        std::sort(values.begin(), values.end(), [](const CriticalValue& l, const CriticalValue& r) {
            return arf_cmp(l.root.lo.raw(), r.root.lo.raw()) < 0;
        });
        bool disjoint = true;
        for (size_t i = 0; i + 1 < values.size(); ++i)
            if (arf_cmp(values[i].root.hi.raw(), values[i + 1].root.lo.raw()) >= 0) {
                disjoint = false;
                for (size_t j : { i, i + 1 })
                    if (!values[j].exact) fp::RefineRoot(values[j].root, values[j].poly, bits);
            }
        if (disjoint) break;
        if (bits > 8192) throw LimitExceeded(kTooHard);
        deadline.check();
    }
    for (CriticalValue& v : values) {
        flint::Arb ball;
        fp::RootBall(ball.raw(), v.root, 64);
        v.approx = v.exact ? fmpq_get_d(v.exact->raw()) : arf_get_d(arb_midref(ball.raw()), ARF_RND_NEAR);
        v.json = ValueText(v, fp::RootWord::Sqrt);
        v.text = ValueText(v, fp::RootWord::Racine);
    }
    return values;
}

Fmpq LowerBound(const CriticalValue& v)
{
    if (v.exact) return *v.exact;
    Fmpq q;
    arf_get_fmpq(q.raw(), v.root.lo.raw());
    return q;
}

Fmpq UpperBound(const CriticalValue& v)
{
    if (v.exact) return *v.exact;
    Fmpq q;
    arf_get_fmpq(q.raw(), v.root.hi.raw());
    return q;
}

namespace {

// The simplest rational strictly between lo < hi, both finite.
Fmpq Simplest(const Fmpq& lo, const Fmpq& hi)
{
    Fmpz fl;
    fmpz_fdiv_q(fl.raw(), fmpq_numref(lo.raw()), fmpq_denref(lo.raw()));
    Fmpq next;
    fmpq_set_fmpz(next.raw(), fl.raw());
    fmpq_add_si(next.raw(), next.raw(), 1);
    if (fmpq_cmp(next.raw(), hi.raw()) < 0) return next; // fl + 1 is inside
    // lo and hi in [fl, fl + 1]: x = fl + 1/y.
    Fmpq flq, dlo, dhi;
    fmpq_set_fmpz(flq.raw(), fl.raw());
    fmpq_sub(dlo.raw(), lo.raw(), flq.raw());
    fmpq_sub(dhi.raw(), hi.raw(), flq.raw());
    Fmpq ylo, y;
    fmpq_inv(ylo.raw(), dhi.raw());
    if (fmpq_is_zero(dlo.raw())) {
        Fmpz n;
        fmpz_fdiv_q(n.raw(), fmpq_numref(ylo.raw()), fmpq_denref(ylo.raw()));
        fmpz_add_ui(n.raw(), n.raw(), 1);
        fmpq_set_fmpz(y.raw(), n.raw());
    } else {
        Fmpq yhi;
        fmpq_inv(yhi.raw(), dlo.raw());
        y = Simplest(ylo, yhi);
    }
    Fmpq out;
    fmpq_inv(out.raw(), y.raw());
    fmpq_add(out.raw(), out.raw(), flq.raw());
    return out;
}

} // namespace

Fmpq SimplestBetween(const std::optional<Fmpq>& lo, const std::optional<Fmpq>& hi)
{
    Fmpq zero;
    if ((!lo || fmpq_sgn(lo->raw()) < 0) && (!hi || fmpq_sgn(hi->raw()) > 0)) return zero;
    if (!lo) {
        // Largest integer below hi (hi <= 0).
        Fmpz c;
        fmpz_cdiv_q(c.raw(), fmpq_numref(hi->raw()), fmpq_denref(hi->raw()));
        fmpz_sub_ui(c.raw(), c.raw(), 1);
        Fmpq out;
        fmpq_set_fmpz(out.raw(), c.raw());
        return out;
    }
    if (!hi) {
        Fmpz f;
        fmpz_fdiv_q(f.raw(), fmpq_numref(lo->raw()), fmpq_denref(lo->raw()));
        fmpz_add_ui(f.raw(), f.raw(), 1);
        Fmpq out;
        fmpq_set_fmpz(out.raw(), f.raw());
        return out;
    }
    if (fmpq_sgn(hi->raw()) <= 0) {
        // Mirror: the simplest of ]-hi, -lo[ with its sign changed.
        Fmpq nlo, nhi;
        fmpq_neg(nlo.raw(), hi->raw());
        fmpq_neg(nhi.raw(), lo->raw());
        Fmpq out = Simplest(nlo, nhi);
        fmpq_neg(out.raw(), out.raw());
        return out;
    }
    return Simplest(*lo, *hi);
}

} // namespace vindrel::engine::discussion
