#include "engine/blowup/blowup.h"

#include "engine/blowup/portrait.h"
#include "engine/blowup/texts.h"
#include "engine/classify/algebraic_field.h"
#include "engine/classify/classify.h"
#include "engine/classify/classify_texts.h"
#include "engine/classify/local.h"
#include "engine/fixedpoints/real_roots.h"

#include <flint/fmpz_poly_factor.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <numeric>
#include <tuple>

namespace vindrel::engine {

namespace {

using blowup::Flow;
using blowup::Half;
using blowup::Items;
using blowup::Kind;
using blowup::Ray;
using blowup::Undecided;
using classify::Direction;
using classify::Mat2;
using classify::Poly2;
using classify::Rational;
using classify::Series;
using classify::System;
namespace bt = blowup::texts;

constexpr int kMinSeries = 20;

Flow FlowOfSign(int s)
{
    return s > 0 ? Flow::Out : Flow::In;
}

// ---- polynomial pieces -----------------------------------------------------

int LowDegree(const System& s)
{
    if (s.P.IsZero()) return s.Q.LowDegree();
    if (s.Q.IsZero()) return s.P.LowDegree();
    return std::min(s.P.LowDegree(), s.Q.LowDegree());
}

// p / x^k (along = 0) or p / y^k (along = 1); every term must be divisible.
Poly2 DividePower(const Poly2& p, int along, int k)
{
    Poly2 out;
    for (const auto& [e, c] : p.Terms()) {
        const int i = e.first - (along == 0 ? k : 0), j = e.second - (along == 1 ? k : 0);
        if (i < 0 || j < 0) throw Undecided("division inattendue dans l'éclatement");
        out.AddTerm(i, j, c);
    }
    return out;
}

// p(x, y + v0).
Poly2 ShiftY(const Poly2& p, const Rational& v0)
{
    if (v0.IsZero()) return p;
    const Poly2 yv = Poly2::Monomial(0, 1) + Poly2::Constant(v0);
    Poly2 out;
    for (const auto& [e, c] : p.Terms())
        out += c * (Poly2::Monomial(e.first, 0) * yv.Pow(e.second));
    return out;
}

// Chart x = u, y = u v: each c x^i y^j becomes c u^(i+j) v^j.
Poly2 AlongX(const Poly2& p)
{
    Poly2 out;
    for (const auto& [e, c] : p.Terms())
        out.AddTerm(e.first + e.second, e.second, c);
    return out;
}

// Chart x = u v, y = v: each c x^i y^j becomes c u^i v^(i+j).
Poly2 AlongY(const Poly2& p)
{
    Poly2 out;
    for (const auto& [e, c] : p.Terms())
        out.AddTerm(e.first, e.first + e.second, c);
    return out;
}

// The blown-up field, divided by the power of the divisor's equation, with
// the point v = v0 of the divisor moved to the origin.
System ChartX(const System& s, int m, const Rational& v0)
{
    const Poly2 a = AlongX(s.P);
    const Poly2 b = AlongX(s.Q) - Poly2::Monomial(0, 1) * a;
    return { ShiftY(DividePower(a, 0, m - 1), v0), ShiftY(DividePower(b, 0, m), v0) };
}

System ChartY(const System& s, int m)
{
    const Poly2 a = AlongY(s.Q);
    const Poly2 b = AlongY(s.P) - Poly2::Monomial(1, 0) * a;
    return { DividePower(b, 1, m), DividePower(a, 1, m - 1) };
}

// ---- the characteristic directions -------------------------------------------

// A real root v0 of F(1, v): exact when rational, else in its number field.
struct Root {
    std::optional<Rational> exact;
    flint::FmpzPoly f; // irreducible factor (degree >= 2 when not exact)
    fp::RootInterval where;
};

flint::FmpqPoly InV(const Poly2& form, int degree)
{
    flint::FmpqPoly out;
    for (int j = 0; j <= degree; ++j) {
        const Rational c = form.Coeff(degree - j, j);
        fmpq_poly_set_coeff_fmpq(out.raw(), j, c.raw());
    }
    return out;
}

std::vector<Root> RealRoots(const flint::FmpqPoly& f)
{
    std::vector<Root> out;
    if (fmpq_poly_degree(f.raw()) < 1) return out;
    flint::FmpzPoly num;
    fmpq_poly_get_numerator(num.raw(), f.raw());
    fmpz_poly_factor_t fac;
    fmpz_poly_factor_init(fac);
    fmpz_poly_factor(fac, num.raw());
    for (slong i = 0; i < fac->num; ++i) {
        flint::FmpzPoly g;
        fmpz_poly_set(g.raw(), fac->p + i);
        for (fp::RootInterval& r : fp::IsolateRealRoots(g)) {
            Root root;
            fmpz_poly_set(root.f.raw(), g.raw());
            if (r.exact) root.exact = Rational::FromFmpq(r.exact->raw());
            root.where = r;
            out.push_back(std::move(root));
        }
    }
    fmpz_poly_factor_clear(fac);
    // Distinct roots: refine until the intervals are disjoint, then sort.
    for (slong bits = 64;; bits *= 2) {
        bool disjoint = true;
        for (std::size_t i = 0; i < out.size() && disjoint; ++i)
            for (std::size_t j = i + 1; j < out.size() && disjoint; ++j)
                disjoint = arf_cmp(out[i].where.hi.raw(), out[j].where.lo.raw()) < 0
                    || arf_cmp(out[j].where.hi.raw(), out[i].where.lo.raw()) < 0;
        if (disjoint) break;
        if (bits > 4096) throw Undecided("directions caractéristiques trop proches");
        for (Root& r : out)
            if (!r.exact) fp::RefineRoot(r.where, r.f, bits);
    }
    std::sort(out.begin(), out.end(),
        [](const Root& a, const Root& b) { return arf_cmp(a.where.lo.raw(), b.where.lo.raw()) < 0; });
    // Close enough for the directions printed and drawn (10^-9 and better).
    for (Root& r : out)
        if (!r.exact) fp::RefineRoot(r.where, r.f, 48);
    return out;
}

// ---- the recursion -----------------------------------------------------------

struct Portrait {
    Items items;
    std::string summary; // the nature in a few words, for the parent's report
};

struct Context {
    const Deadline& deadline;
    std::string detail; // the first blow-up, told step by step
    BlowupMethod method = BlowupMethod::Auto;
    std::vector<BlowupStep> steps; // the first blow-up, for the calculations
    std::string nested; // a point of the first divisor blown up again, in one paragraph
};

Portrait Resolve(const System& s, unsigned tags, int depth, Context& ctx);

// Eigenvalue 0 and T <> 0: the centre manifold gives the flow w1' = a w1^k + ...
Portrait SemiHyperbolic(const System& s, const Mat2& j, unsigned tags)
{
    const Rational t = j.Trace();
    const int n = std::max(kMinSeries, 2 * std::max(s.P.Degree(), s.Q.Degree()) + 1);
    const classify::CentreManifold cm = classify::ReduceToCentreManifold(s, j, n);
    const Direction &e0 = cm.e0, &et = cm.et;
    const Series& g = cm.g;
    const int m = classify::SeriesOrder(g);
    if (m < 0) throw Undecided(bt::FlatCentreManifold(n));
    const int sa = g[static_cast<std::size_t>(m)].Sign();
    const Flow plus = FlowOfSign(sa), minus = FlowOfSign(m % 2 == 0 ? -sa : sa),
               strong = FlowOfSign(t.Sign());
    std::vector<Ray> rays { { e0, plus }, { { -e0.dx, -e0.dy }, minus }, { et, strong },
        { { -et.dx, -et.dy }, strong } };
    Portrait p;
    p.items = blowup::FromRays(rays, tags, nullptr);
    const std::string lead = Poly2::Monomial(m, 0, g[static_cast<std::size_t>(m)]).ToString() + " + ...";
    p.summary = bt::SemiHyperbolicSummary(m, plus == strong, t.Sign() < 0, lead, t.ToString());
    return p;
}

// A rational square root, when there is one.
std::optional<Rational> SquareRoot(const Rational& q)
{
    if (q.Sign() < 0) return std::nullopt;
    flint::Fmpz n, d;
    if (!fmpz_is_square(fmpq_numref(q.raw())) || !fmpz_is_square(fmpq_denref(q.raw()))) return std::nullopt;
    fmpz_sqrt(n.raw(), fmpq_numref(q.raw()));
    fmpz_sqrt(d.raw(), fmpq_denref(q.raw()));
    Rational r;
    fmpq_set_fmpz_frac(r.raw(), n.raw(), d.raw());
    return r;
}

std::optional<Portrait> Elementary(const System& s, const Mat2& j, unsigned tags)
{
    const Rational t = j.Trace(), d = j.Det();
    if (d.IsZero()) return t.IsZero() ? std::nullopt : std::optional<Portrait>(SemiHyperbolic(s, j, tags));
    const Rational disc = t * t - Rational(4) * d;
    if (disc.Sign() < 0) throw Undecided(bt::kFocusOnDivisor);
    Portrait p;
    if (d.Sign() > 0) {
        const Flow f = FlowOfSign(t.Sign());
        p.items = blowup::FromRays({}, tags, &f);
        p.summary = bt::NodeSummary(f == Flow::In, t.ToString(), d.ToString());
        return p;
    }
    const auto root = SquareRoot(disc);
    if (!root) {
        if (tags != 0) throw Undecided(bt::kIrrationalSaddle);
        // No axis to find again: the four separatrices in any directions.
        p.items = blowup::FromRays({ { blowup::Axis(0), Flow::Out }, { blowup::Axis(1), Flow::In },
                                       { blowup::Axis(2), Flow::Out }, { blowup::Axis(3), Flow::In } },
            0, nullptr);
    } else {
        const Rational l1 = (t + *root) / Rational(2), l2 = (t - *root) / Rational(2);
        const Direction e1 = classify::KernelOfRankOne({ j.a - l1, j.b, j.c, j.d - l1 });
        const Direction e2 = classify::KernelOfRankOne({ j.a - l2, j.b, j.c, j.d - l2 });
        p.items = blowup::FromRays({ { e1, Flow::Out }, { { -e1.dx, -e1.dy }, Flow::Out }, { e2, Flow::In },
                                       { { -e2.dx, -e2.dy }, Flow::In } },
            tags, nullptr);
    }
    p.summary = bt::SaddleSummary(t.ToString(), d.ToString());
    return p;
}

// Sign of a binary form at the direction (a, b).
int SignAt(const Poly2& form, const Rational& a, const Rational& b)
{
    Rational v;
    for (const auto& [e, c] : form.Terms())
        v += c * a.Pow(static_cast<ulong>(e.first)) * b.Pow(static_cast<ulong>(e.second));
    return v.Sign();
}

Rational Lower(const Root& r)
{
    if (r.exact) return *r.exact;
    Rational q;
    arf_get_fmpq(q.raw(), r.where.lo.raw());
    return q;
}

Rational Upper(const Root& r)
{
    if (r.exact) return *r.exact;
    Rational q;
    arf_get_fmpq(q.raw(), r.where.hi.raw());
    return q;
}

// F = 0 identically: P_m = x R, Q_m = y R, and in polar coordinates, divided
// by r^m, r' = R(theta) + O(r), theta' = G(theta) + O(r) with G = x Q_(m+1) -
// y P_(m+1). Where R <> 0 the orbits cross the circle r = 0: each direction is
// reached by one orbit (a parabolic fan). At a zero of R where G <> 0 the
// orbit touches the circle: where R changes sign, G carrying the flow from
// the side where orbits arrive to the side where they leave gives a
// hyperbolic sector, the other way an elliptic one.
Portrait Dicritical(const System& s, int m, unsigned tags)
{
    const Poly2 r = DividePower(s.P.Homogeneous(m), 0, 1);
    if (r.IsZero()) throw Undecided(bt::kDicriticalOpen);
    const std::vector<Root> roots = RealRoots(InV(r, m - 1));
    const bool vertical = m > 1 && r.Coeff(0, m - 1).IsZero();
    Portrait p;
    if (roots.empty() && !vertical) {
        const Flow f = FlowOfSign(SignAt(r, Rational(1), Rational(0)));
        p.items = blowup::FromRays({}, tags, &f);
        p.summary = bt::DicriticalSummary(f == Flow::In);
        return p;
    }
    const Poly2 g
        = Poly2::Monomial(1, 0) * s.Q.Homogeneous(m + 1) - Poly2::Monomial(0, 1) * s.P.Homogeneous(m + 1);
    const flint::FmpqPoly gv = InV(g, m + 2);
    // The special directions in the order of the angle, each followed by a
    // rational direction inside the next arc, where the sign of R is read.
    struct Special {
        int sign = 0; // of G at the direction
        Rational ta, tb; // a direction of the following arc
        double dx = 0, dy = 0; // the direction itself
        int tag = -1; // an invariant axis inside a fan, where R <> 0
    };
    std::vector<Special> specials;
    // An axis that the caller finds again: one orbit of the fan along it;
    // at a zero of R it would need G = 0 there, left open.
    auto axis = [&](int t) {
        if (!(tags >> t & 1u)) return;
        const Direction d = blowup::Axis(t);
        Special sp;
        sp.tag = t;
        sp.ta = d.dx;
        sp.tb = d.dy;
        sp.dx = fmpq_get_d(d.dx.raw());
        sp.dy = fmpq_get_d(d.dy.raw());
        specials.push_back(sp);
    };
    auto signOfG = [&](const Root& root, bool opposite) {
        int sg;
        if (root.exact) {
            sg = SignAt(g, Rational(1), *root.exact);
        } else {
            flint::Fmpq lo, hi;
            arf_get_fmpq(lo.raw(), root.where.lo.raw());
            arf_get_fmpq(hi.raw(), root.where.hi.raw());
            const classify::NumberField field(root.f, lo, hi);
            flint::FmpqPoly a = gv;
            field.Reduce(a);
            sg = field.Sign(a);
        }
        return opposite && m % 2 != 0 ? -sg : sg; // G(-1, -v) = (-1)^(m+2) G(1, v)
    };
    const std::size_t n = roots.size();
    for (int side = 0; side < 2; ++side) {
        const Rational e(side == 0 ? 1 : -1);
        bool axisPlaced = false;
        for (std::size_t i = 0; i < n; ++i) {
            if (!axisPlaced && (roots[i].exact ? roots[i].exact->Sign() >= 0 : Upper(roots[i]).Sign() > 0)) {
                if (roots[i].exact && roots[i].exact->IsZero() && (tags >> (2 * side) & 1u))
                    throw Undecided(bt::kDicriticalOpen);
                axis(2 * side);
                axisPlaced = true;
            }
            Special sp;
            sp.sign = signOfG(roots[i], side == 1);
            const Rational t = i + 1 < n ? (Upper(roots[i]) + Lower(roots[i + 1])) / Rational(2)
                                         : Upper(roots[i]) + Rational(1);
            sp.ta = e;
            sp.tb = e * t;
            const double v0 = roots[i].exact ? fmpq_get_d(roots[i].exact->raw())
                                             : arf_get_d(roots[i].where.lo.raw(), ARF_RND_NEAR);
            sp.dx = (side == 0 ? 1 : -1) / std::sqrt(1 + v0 * v0);
            sp.dy = sp.dx * v0;
            specials.push_back(sp);
        }
        if (!axisPlaced) axis(2 * side);
        if (vertical && (tags >> (2 * side + 1) & 1u)) throw Undecided(bt::kDicriticalOpen);
        if (!vertical) axis(2 * side + 1);
        if (vertical) {
            Special sp;
            const int gy = SignAt(g, Rational(0), Rational(1));
            sp.sign = side == 0 || m % 2 == 0 ? gy : -gy;
            sp.ta = -e;
            sp.tb = n == 0 ? Rational(0) : -e * (Lower(roots[0]) - Rational(1));
            sp.dy = side == 0 ? 1 : -1;
            specials.push_back(sp);
        }
    }
    std::vector<Flow> fan; // the fan after each special direction
    for (const Special& sp : specials) {
        if (sp.sign == 0 && sp.tag < 0) throw Undecided(bt::kDicriticalOpen);
        fan.push_back(FlowOfSign(SignAt(r, sp.ta, sp.tb)));
    }
    for (std::size_t i = 0; i < specials.size(); ++i) {
        const Flow before = fan[(i + specials.size() - 1) % specials.size()], after = fan[i];
        const double dx = specials[i].dx, dy = specials[i].dy;
        if (specials[i].tag >= 0) {
            p.items.push_back({ Kind::Ray, after, specials[i].tag, dx, dy });
            p.items.push_back({ Kind::Parabolic, after, -1 });
            continue;
        }
        p.items.push_back({ Kind::Ray, before, -1, dx, dy });
        if (before != after) {
            // theta' > 0 carries the orbits from the arc before to the arc after.
            const bool fromArriving = specials[i].sign > 0 ? before == Flow::In : after == Flow::In;
            p.items.push_back({ fromArriving ? Kind::Hyperbolic : Kind::Elliptic, Flow::In, -1 });
            p.items.push_back({ Kind::Ray, after, -1, dx, dy });
        }
        p.items.push_back({ Kind::Parabolic, after, -1 });
    }
    p.summary = bt::DicriticalSectorsSummary(blowup::Letters(p.items));
    return p;
}

// One point of the divisor in the chart x = u, y = u v (vertical = false) or
// x = u v, y = v: its two half-planes, in the order of the angle.
struct DivisorPoint {
    double slope = 0; // v0, for the order; the vertical direction last
    bool vertical = false;
    Half positive, negative; // u > 0 (v > 0) and u < 0 (v < 0)
    std::string where, summary;
    std::string nested; // how it was blown up again, for the calculations
};

// The chart field of ChartX at v = v0 + w, v0 the generator of the field.
classify::AlgPoly2 ShiftedInField(const Poly2& p, const classify::NumberField& field)
{
    using classify::AlgNum;
    using classify::AlgPoly2;
    flint::FmpqPoly gen;
    fmpq_poly_set_coeff_si(gen.raw(), 1, 1);
    const AlgNum one = AlgNum::Integer(&field, 1), v0(&field, gen);
    const AlgPoly2 w = AlgPoly2::Monomial(0, 1, one) + AlgPoly2::Monomial(0, 0, v0);
    AlgPoly2 out;
    for (const auto& [e, c] : p.Terms()) {
        flint::FmpqPoly cq;
        fmpq_poly_set_fmpq(cq.raw(), c.raw());
        out += AlgPoly2::Monomial(e.first, 0, AlgNum(&field, cq)) * w.Pow(e.second);
    }
    return out;
}

// lambda1 = 0 across the divisor, lambda2 <> 0 along it: the centre manifold
// w = phi(u) crosses the divisor; the flow on it is u' = a u^k + ...
std::pair<int, int> TransverseCentreManifold(const System& chart, const classify::NumberField& field, int n)
{
    using classify::AlgNum;
    using classify::AlgSeries;
    const classify::AlgPoly2 a = ShiftedInField(chart.P, field), b = ShiftedInField(chart.Q, field);
    const AlgNum l2 = b.Coeff(0, 1);
    const classify::AlgPoly2 rest = b - classify::AlgPoly2::Monomial(0, 1, l2);
    auto mul = [](const AlgSeries& x, const AlgSeries& y, int k) {
        AlgSeries r(static_cast<std::size_t>(k + 1));
        for (int i = 0; i <= k && i < static_cast<int>(x.size()); ++i)
            for (int j = 0; i + j <= k && j < static_cast<int>(y.size()); ++j)
                r[static_cast<std::size_t>(i + j)]
                    += x[static_cast<std::size_t>(i)] * y[static_cast<std::size_t>(j)];
        return r;
    };
    AlgSeries phi(static_cast<std::size_t>(n + 1));
    for (int k = 1; k <= n; ++k) {
        AlgSeries d(phi.size());
        for (std::size_t i = 1; i < phi.size(); ++i)
            d[i - 1] = AlgNum::Integer(&field, static_cast<slong>(i)) * phi[i];
        const AlgSeries lhs = mul(d, a.Along(phi, k), k);
        const AlgSeries rhs = rest.Along(phi, k);
        phi[static_cast<std::size_t>(k)]
            = (lhs[static_cast<std::size_t>(k)] - rhs[static_cast<std::size_t>(k)]) / l2;
    }
    const AlgSeries g = a.Along(phi, n);
    for (int k = 0; k <= n; ++k)
        if (!g[static_cast<std::size_t>(k)].IsZero()) return { k, g[static_cast<std::size_t>(k)].Sign() };
    throw Undecided(bt::FlatCentreManifold(n));
}

// The order k and the sign of the first non-zero derivative of f at the
// root of the field: w' = f(v0 + w) = c w^k + ... along the divisor.
std::pair<int, int> OrderAt(const flint::FmpqPoly& f, const classify::NumberField& field)
{
    flint::FmpqPoly d = f, r = f;
    int k = 0;
    for (field.Reduce(r); field.Sign(r) == 0; ++k) {
        fmpq_poly_derivative(d.raw(), d.raw());
        r = d;
        field.Reduce(r);
    }
    return { k, field.Sign(r) };
}

// The terms of p with u^power, as a polynomial in v.
flint::FmpqPoly OnDivisor(const Poly2& p, int power)
{
    flint::FmpqPoly out;
    for (const auto& [e, c] : p.Terms())
        if (e.first == power) fmpq_poly_set_coeff_fmpq(out.raw(), e.second, c.raw());
    return out;
}

// An irrational zero v0 of f = v'(0, v) in a chart u' = u A, v' = f(v) + O(u):
// lambda1 = A(0, v0) across the divisor, lambda2 = f'(v0) along it, signed
// in Q(v0); one of them zero: the centre manifold (the divisor itself, or a
// curve across it) gives the flow, computed to the order n.
Items IrrationalChartPoint(const System& chart, const Root& root, int n, std::string& summary)
{
    flint::Fmpq lo, hi;
    arf_get_fmpq(lo.raw(), root.where.lo.raw());
    arf_get_fmpq(hi.raw(), root.where.hi.raw());
    const classify::NumberField field(root.f, lo, hi);
    const flint::FmpqPoly fv = OnDivisor(chart.Q, 0);
    flint::FmpqPoly across = OnDivisor(chart.P, 1), dfv;
    fmpq_poly_derivative(dfv.raw(), fv.raw());
    field.Reduce(across);
    field.Reduce(dfv);
    const int l1 = field.Sign(across), l2 = field.Sign(dfv);
    Flow right = FlowOfSign(l1), left = right, up = FlowOfSign(l2), down = up;
    if (l1 != 0 && l2 != 0) {
        summary = l1 == l2 ? bt::kNodeOnDivisor : bt::kSaddleOnDivisor;
        if (l1 == l2) return blowup::FromRays({}, 0b1010, &right);
    } else if (l1 != 0) {
        // The divisor is the centre manifold.
        const auto [k, sa] = OrderAt(fv, field);
        up = FlowOfSign(sa);
        down = FlowOfSign(k % 2 == 0 ? -sa : sa);
        summary = bt::SemiHyperbolicOnDivisor(k, true);
    } else if (l2 != 0) {
        // The terms beyond u^n do not reach the order n along the manifold.
        auto upTo = [n](const Poly2& p) {
            Poly2 out;
            for (const auto& [e, c] : p.Terms())
                if (e.first <= n) out.AddTerm(e.first, e.second, c);
            return out;
        };
        const auto [k, sa] = TransverseCentreManifold({ upTo(chart.P), upTo(chart.Q) }, field, n);
        right = FlowOfSign(sa);
        left = FlowOfSign(k % 2 == 0 ? -sa : sa);
        summary = bt::SemiHyperbolicOnDivisor(k, false);
    } else {
        throw Undecided(bt::kIrrationalDegenerate);
    }
    return blowup::FromRays({ { blowup::Axis(0), right }, { blowup::Axis(1), up }, { blowup::Axis(2), left },
                                { blowup::Axis(3), down } },
        0b1010, nullptr);
}

// A polynomial printed in the chart variables u, v.
std::string InUV(const Poly2& p)
{
    std::string t = p.ToString();
    for (char& c : t) {
        if (c == 'x')
            c = 'u';
        else if (c == 'y')
            c = 'v';
    }
    return t;
}

Portrait DicriticalResolved(const System& s, int m, unsigned tags, int depth, Context& ctx);

// ---- the calculation, step by step ---------------------------------------------

// The lines through the origin where a binary form of the given degree vanishes.
std::vector<std::string> DirectionsOf(const Poly2& form, int degree)
{
    std::vector<std::string> out;
    for (const Root& r : RealRoots(InV(form, degree)))
        out.push_back(r.exact ? bt::DirectionOf(r.exact->ToString())
                              : bt::DirectionOfIrrational(arf_get_d(r.where.lo.raw(), ARF_RND_NEAR)));
    if (degree > 0 && form.Coeff(0, degree).IsZero()) out.push_back("x = 0");
    return out;
}

// The lowest homogeneous parts, F and the characteristic directions.
std::vector<BlowupStep> FirstSteps(const System& s, int m)
{
    std::vector<BlowupStep> out;
    const Poly2 pm = s.P.Homogeneous(m), qm = s.Q.Homogeneous(m);
    out.push_back({ bt::StepLowest(m, pm.ToString(), qm.ToString()), {} });
    const Poly2 form = Poly2::Monomial(1, 0) * qm - Poly2::Monomial(0, 1) * pm;
    if (form.IsZero())
        out.push_back({ bt::StepDicritical(m, DividePower(pm, 0, 1).ToString()), {} });
    else
        out.push_back({ bt::StepForm(m, form.ToString(), DirectionsOf(form, m + 1)), {} });
    return out;
}

void TellDirectional(const System& s, int m, const std::vector<DivisorPoint>& points, const std::string& arcs,
    int depth, Context& ctx)
{
    const System cx = ChartX(s, m, Rational(0));
    const std::string field = "u' = " + InUV(cx.P) + ", v' = " + InUV(cx.Q);
    if (depth == 1) {
        std::vector<std::string> lines;
        for (const DivisorPoint& p : points)
            lines.push_back(p.where + " : " + p.summary);
        ctx.nested = bt::Nested("x = u, y = u*v", field, lines);
        return;
    }
    ctx.steps = FirstSteps(s, m);
    const std::string power = bt::UPower(m - 1);
    std::string chart = bt::StepChart("x = u, y = u*v", m == 1 ? "" : "divisé par " + power, field);
    if ((m - 1) % 2 != 0)
        chart
            += " Pour u < 0 (la direction opposée), la division par " + power + " renverse le sens du temps.";
    ctx.steps.push_back({ chart, {} });
    for (const DivisorPoint& p : points)
        if (p.vertical) {
            const System cy = ChartY(s, m);
            ctx.steps.push_back({ bt::StepChart("x = u*v, y = v (la direction x = 0)",
                                      m == 1 ? "" : "divisé par " + bt::UPower(m - 1).replace(0, 1, "v"),
                                      "u' = " + InUV(cy.P) + ", v' = " + InUV(cy.Q)),
                {} });
        }
    BlowupStep step { bt::StepPointsIntro(false), {} };
    for (const DivisorPoint& p : points) {
        const std::string a = p.vertical ? "y" : "x";
        const std::string sides = "secteurs du côté " + a
            + " > 0 : " + (p.positive.inner.empty() ? "-" : blowup::Letters(p.positive.inner)) + ", du côté "
            + a + " < 0 : " + (p.negative.inner.empty() ? "-" : blowup::Letters(p.negative.inner));
        step.sub.push_back(bt::StepPoint(p.where, p.summary, sides, p.nested));
    }
    ctx.steps.push_back(std::move(step));
    ctx.steps.push_back({ bt::StepJoin(arcs), {} });
}

Portrait BlowUp(const System& s, unsigned tags, int depth, Context& ctx)
{
    if (depth >= kMaxBlowupDepth) throw Undecided(bt::DepthReached(kMaxBlowupDepth));
    ctx.deadline.check();
    const int m = LowDegree(s);
    const Poly2 form
        = Poly2::Monomial(1, 0) * s.Q.Homogeneous(m) - Poly2::Monomial(0, 1) * s.P.Homogeneous(m);
    if (form.IsZero()) return DicriticalResolved(s, m, tags, depth, ctx);
    const flint::FmpqPoly fv = InV(form, m + 1);
    const bool flipped = (m - 1) % 2 != 0;
    std::vector<DivisorPoint> points;
    for (const Root& root : RealRoots(fv)) {
        DivisorPoint dp;
        dp.slope = arf_get_d(root.where.lo.raw(), ARF_RND_NEAR);
        Items full;
        if (root.exact) {
            dp.slope = fmpq_get_d(root.exact->raw());
            // The axis y = 0 of this point goes through v0 = 0 of the chart.
            const unsigned own = root.exact->IsZero() ? (tags & 0b0101) : 0u;
            ctx.nested.clear();
            Portrait child = Resolve(ChartX(s, m, *root.exact), 0b1010 | own, depth + 1, ctx);
            dp.nested = std::move(ctx.nested);
            ctx.nested.clear();
            full = std::move(child.items);
            dp.summary = child.summary;
            dp.where = bt::PointOnDivisor(root.exact->ToString());
        } else {
            // The chart x = u, y = u v at u = 0: u' = u P_m(1, v), v' = F(1, v).
            const int n = std::max(kMinSeries, 2 * std::max(s.P.Degree(), s.Q.Degree()) + 1);
            full = IrrationalChartPoint(ChartX(s, m, Rational(0)), root, n, dp.summary);
            dp.where = bt::IrrationalPointOnDivisor(dp.slope);
        }
        dp.positive = blowup::Extract(full, 3, 1, false, false);
        dp.negative = blowup::Extract(full, 1, 3, true, flipped);
        const double norm = std::sqrt(1 + dp.slope * dp.slope);
        dp.positive.dx = 1 / norm;
        dp.positive.dy = dp.slope / norm;
        dp.negative.dx = -1 / norm;
        dp.negative.dy = -dp.slope / norm;
        points.push_back(std::move(dp));
    }
    if (form.Coeff(0, m + 1).IsZero()) {
        DivisorPoint dp;
        dp.vertical = true;
        ctx.nested.clear();
        Portrait child = Resolve(ChartY(s, m), 0b0101 | (tags & 0b1010), depth + 1, ctx);
        dp.nested = std::move(ctx.nested);
        ctx.nested.clear();
        dp.summary = child.summary;
        dp.where = bt::kVerticalPoint;
        dp.positive = blowup::Extract(child.items, 0, 2, false, false);
        dp.negative = blowup::Extract(child.items, 2, 0, true, flipped);
        dp.positive.dy = 1;
        dp.negative.dy = -1;
        points.push_back(std::move(dp));
    }
    // Around the point: the directions y = v0 x with x > 0 by increasing v0,
    // then x = 0 with y > 0, then x < 0, then y < 0.
    std::vector<Half> halves;
    for (const DivisorPoint& p : points)
        if (!p.vertical) halves.push_back(p.positive);
    for (const DivisorPoint& p : points)
        if (p.vertical) halves.push_back(p.positive);
    for (const DivisorPoint& p : points)
        if (!p.vertical) halves.push_back(p.negative);
    for (const DivisorPoint& p : points)
        if (p.vertical) halves.push_back(p.negative);
    Portrait out;
    std::string arcs;
    out.items = halves.empty() ? Items {} : blowup::Join(halves, &arcs);
    blowup::Validate(out.items, tags);
    out.summary = bt::BlownUpSummary(m, blowup::Letters(out.items));
    if (depth == 0) {
        std::vector<bt::PointLine> lines;
        for (const DivisorPoint& p : points)
            lines.push_back({ p.where, p.summary, p.vertical, blowup::Letters(p.positive.inner),
                blowup::Letters(p.negative.inner) });
        const System cx = ChartX(s, m, Rational(0));
        std::string chart = "u' = " + InUV(cx.P) + ", v' = " + InUV(cx.Q);
        if (form.Coeff(0, m + 1).IsZero()) {
            const System cy = ChartY(s, m);
            chart += " (carte x = u*v, y = v : u' = " + InUV(cy.P) + ", v' = " + InUV(cy.Q) + ")";
        }
        ctx.detail = bt::FirstBlowup(m, form.ToString(), flipped, lines, chart) + bt::Arcs(arcs);
    }
    if (depth <= 1) TellDirectional(s, m, points, arcs, depth, ctx);
    return out;
}

// ---- the weighted blow-up ------------------------------------------------------

// The weights of x and y. A term c x^i y^j of P, multiplied by y, has the
// weighted degree i a + (j + 1) b; one of Q, multiplied by x, (i + 1) a + j b.
struct Weights {
    int a = 1, b = 1;
};

struct NewtonEdge {
    Weights w; // the normal of the edge
    int length = 0; // its number of lattice steps
};

// The compact edges of the Newton polygon of y P and x Q, from the steepest.
std::vector<NewtonEdge> NewtonEdges(const System& s)
{
    std::map<int, int> lowest; // first coordinate -> lowest second coordinate
    auto add = [&lowest](int a, int b) {
        auto [it, fresh] = lowest.emplace(a, b);
        if (!fresh) it->second = std::min(it->second, b);
    };
    for (const auto& [e, c] : s.P.Terms())
        add(e.first, e.second + 1);
    for (const auto& [e, c] : s.Q.Terms())
        add(e.first + 1, e.second);
    const std::vector<std::pair<int, int>> pts(lowest.begin(), lowest.end());
    std::vector<NewtonEdge> edges;
    for (std::size_t i = 0; i < pts.size();) {
        const auto [a0, b0] = pts[i];
        // The next vertex: the steepest way down, the farthest one on a tie.
        std::size_t best = pts.size();
        for (std::size_t k = i + 1; k < pts.size(); ++k) {
            if (pts[k].second >= b0) continue;
            if (best == pts.size()) {
                best = k;
                continue;
            }
            const long lhs = long(pts[k].second - b0) * (pts[best].first - a0);
            const long rhs = long(pts[best].second - b0) * (pts[k].first - a0);
            if (lhs < rhs || (lhs == rhs && pts[k].first > pts[best].first)) best = k;
        }
        if (best == pts.size()) break;
        const int da = pts[best].first - a0, db = b0 - pts[best].second, g = std::gcd(da, db);
        edges.push_back({ { db / g, da / g }, g });
        i = best;
    }
    return edges;
}

// The lowest weighted degree D of y P and x Q.
int WeightedLowDegree(const System& s, Weights w)
{
    int low = std::numeric_limits<int>::max();
    for (const auto& [e, c] : s.P.Terms())
        low = std::min(low, e.first * w.a + (e.second + 1) * w.b);
    for (const auto& [e, c] : s.Q.Terms())
        low = std::min(low, (e.first + 1) * w.a + e.second * w.b);
    return low;
}

// The chart x = u^a, y = u^b v (u > 0): P = u^(D - b) A(u, v) and
// Q = u^(D - a) B(u, v), and the field multiplied by a u^(a + b - D), a
// positive factor, is u' = u A, v' = a B - b v A. The divisor u = 0 is
// invariant; its singular points are the real zeros of a B(0, v) - b v A(0, v).
System WeightedChart(const System& s, Weights w)
{
    const int low = WeightedLowDegree(s, w);
    Poly2 a, b;
    for (const auto& [e, c] : s.P.Terms())
        a.AddTerm(e.first * w.a + (e.second + 1) * w.b - low, e.second, c);
    for (const auto& [e, c] : s.Q.Terms())
        b.AddTerm((e.first + 1) * w.a + e.second * w.b - low, e.second, c);
    return { Poly2::Monomial(1, 0) * a, Rational(w.a) * b - Rational(w.b) * (Poly2::Monomial(0, 1) * a) };
}

// The quarter turn k: (x, y) = M (X, Y), M the rotation by k pi/2.
std::array<int, 2> Turn(int k)
{
    static const int cs[4][2] = { { 1, 0 }, { 0, 1 }, { -1, 0 }, { 0, -1 } };
    return { cs[k & 3][0], cs[k & 3][1] };
}

// The field in the turned coordinates (X, Y), an orientation-preserving change.
System Turned(const System& s, int k)
{
    if (k == 0) return s;
    const auto [c, n] = Turn(k);
    const Rational rc(c), rn(n);
    const Poly2 p = s.P.Linear(rc, -rn, rn, rc), q = s.Q.Linear(rc, -rn, rn, rc);
    return { rc * p + rn * q, rc * q - rn * p };
}

// The invariant curve v = phi(u) of a chart through its origin tangent to
// v = 0, where the linear part has (1, 0) as eigenvector (u' = A u + ...,
// v' = B v + ...): phi_k = ([V(u, phi)]_k - sum j phi_j [U(u, phi)]_(k+1-j)) /
// (k A - B), phi known below k. The first non-zero phi_k with k <= n, or
// k = 0 when there is none up to n; nothing when some k A - B is 0 (the curve
// is then not told apart from its neighbours by its series).
std::optional<std::pair<int, Rational>> TangentCurveTerm(const System& s, int n)
{
    const Rational a = s.P.Coeff(1, 0), b = s.Q.Coeff(0, 1);
    if (!s.Q.Coeff(1, 0).IsZero() || (a.IsZero() && b.IsZero())) return std::nullopt;
    Series phi(static_cast<std::size_t>(n + 1));
    for (int k = 2; k <= n; ++k) {
        const Rational divisor = Rational(static_cast<slong>(k)) * a - b;
        if (divisor.IsZero()) return std::nullopt;
        const Series u = s.P.Along(phi, k), v = s.Q.Along(phi, k);
        Rational rest = v[static_cast<std::size_t>(k)];
        for (int j = 2; j < k; ++j)
            rest -= Rational(static_cast<slong>(j)) * phi[static_cast<std::size_t>(j)]
                * u[static_cast<std::size_t>(k + 1 - j)];
        if (!rest.IsZero()) return std::pair { k, rest / divisor };
    }
    return std::pair { 0, Rational(0) };
}

// The weighted blow-up with weights w: the chart x = u^a, y = u^b v covers
// the side x > 0, the same chart of the field turned by a half turn the side
// x < 0, and those of the quarter turns (weights exchanged) the two points
// x = 0 left out; every chart has u > 0, keeps the orientation and the sense
// of time. Nothing when the blow-up is dicritical (a B - b v A = 0 on u = 0).
std::optional<Portrait> WeightedBlowUp(const System& s, Weights w, unsigned tags, int depth, Context& ctx)
{
    if (depth >= kMaxBlowupDepth) throw Undecided(bt::DepthReached(kMaxBlowupDepth));
    ctx.deadline.check();
    std::vector<Half> halves;
    std::vector<bt::WeightedPointLine> lines;
    std::string fields;
    std::vector<std::string> charts; // each chart with its field, for the calculations
    for (int k = 0; k < 4; ++k) {
        const Weights wk = k % 2 == 0 ? w : Weights { w.b, w.a };
        const System chart = WeightedChart(Turned(s, k), wk);
        const flint::FmpqPoly f = OnDivisor(chart.Q, 0);
        if (fmpq_poly_is_zero(f.raw())) return std::nullopt;
        if (k == 0) fields = "u' = " + InUV(chart.P) + ", v' = " + InUV(chart.Q);
        charts.push_back(bt::StepChart(
            bt::WeightedChartName(k, wk.a, wk.b), "", "u' = " + InUV(chart.P) + ", v' = " + InUV(chart.Q)));
        std::vector<Root> roots;
        if (k % 2 == 0) {
            roots = RealRoots(f);
        } else if (fmpz_is_zero(fmpq_poly_numref(f.raw()))) {
            Root zero;
            zero.exact = Rational(0);
            roots.push_back(std::move(zero));
        }
        for (const Root& root : roots) {
            ctx.deadline.check();
            std::string summary, nested;
            Items full;
            const double v0
                = root.exact ? fmpq_get_d(root.exact->raw()) : arf_get_d(root.where.lo.raw(), ARF_RND_NEAR);
            if (root.exact) {
                // The axis at angle k pi/2 is the ray u > 0, v = 0 of this chart.
                const unsigned own = root.exact->IsZero() && (tags >> k & 1u) ? 1u : 0u;
                const System at { ShiftY(chart.P, *root.exact), ShiftY(chart.Q, *root.exact) };
                ctx.nested.clear();
                Portrait child = Resolve(at, 0b1010 | own, depth + 1, ctx);
                nested = std::move(ctx.nested);
                ctx.nested.clear();
                full = std::move(child.items);
                summary = child.summary;
            } else {
                // The order that the point before the blow-up calls for: the
                // weights raise the degree of the chart, not the order needed.
                const int n = std::max(kMinSeries, 2 * std::max(s.P.Degree(), s.Q.Degree()) + 1);
                full = IrrationalChartPoint(chart, root, n, summary);
            }
            Half h = blowup::Extract(full, 3, 1, false, false);
            for (blowup::Item& it : h.inner)
                if (it.tag == 0) it.tag = k;
            // The orbits through this point are tangent to the axis of the
            // lighter variable; at v = 0 of the heavier one (a > b), an orbit
            // w = c u + ... of the chart is y = c x^((b + 1)/a) + ...: tangent
            // to y = c x when a = b + 1, else to the y axis when c <> 0.
            const std::array<int, 2> cn = Turn(k);
            const int c = cn[0], n = cn[1];
            auto turned = [c, n](double dx, double dy) {
                return std::pair { c * dx - n * dy, n * dx + c * dy };
            };
            double dx = 0, dy = 0;
            if (wk.a == wk.b) {
                dx = 1 / std::sqrt(1 + v0 * v0);
                dy = v0 * dx;
            } else if (wk.a < wk.b) {
                dx = 1;
            } else if (v0 != 0) {
                dy = v0 > 0 ? 1 : -1;
            } else {
                // An orbit tangent to v = 0 in the chart: the first term
                // phi_k u^k of its curve gives y = phi_k x^((b + k)/a) + ...
                std::optional<std::optional<std::pair<int, Rational>>> curve;
                for (blowup::Item& it : h.inner) {
                    const double slope = it.dx > 0 ? it.dy / it.dx : 0;
                    double ox = 0, oy = 0;
                    if (it.dx > 0 && wk.a == wk.b + 1) {
                        ox = 1 / std::sqrt(1 + slope * slope);
                        oy = slope * ox;
                    } else if (it.dx > 0 && slope != 0) {
                        oy = slope > 0 ? 1 : -1;
                    } else if (it.dx > 0) {
                        if (!curve) curve = TangentCurveTerm(chart, wk.a - wk.b);
                        if (*curve) {
                            const auto& [k, c] = **curve;
                            const double m = fmpq_get_d(c.raw());
                            if (k == 0) {
                                ox = 1;
                            } else if (k < wk.a - wk.b) {
                                oy = m > 0 ? 1 : -1;
                            } else {
                                ox = 1 / std::sqrt(1 + m * m);
                                oy = m * ox;
                            }
                        }
                    }
                    std::tie(it.dx, it.dy) = turned(ox, oy);
                }
            }
            std::tie(h.dx, h.dy) = turned(dx, dy);
            if (depth <= 1)
                lines.push_back(
                    { bt::WeightedPoint(k, wk.a, wk.b, root.exact ? root.exact->ToString() : "", v0), summary,
                        blowup::Letters(h.inner), nested });
            halves.push_back(std::move(h));
        }
    }
    Portrait out;
    std::string arcs;
    out.items = halves.empty() ? Items {} : blowup::Join(halves, &arcs);
    blowup::Validate(out.items, tags);
    out.summary = bt::WeightedSummary(LowDegree(s), w.a, w.b, blowup::Letters(out.items));
    if (depth == 0) {
        const int d = WeightedLowDegree(s, w) - w.a - w.b;
        ctx.detail = bt::FirstWeightedBlowup(w.a, w.b, d, fields, lines) + bt::Arcs(arcs);
        ctx.steps = FirstSteps(s, LowDegree(s));
        std::vector<std::string> edges;
        for (const NewtonEdge& e : NewtonEdges(s))
            edges.push_back("(" + std::to_string(e.w.a) + ", " + std::to_string(e.w.b) + ")");
        ctx.steps.push_back({ bt::StepNewton(edges, w.a, w.b), {} });
        ctx.steps.push_back({ bt::StepWeightedCharts(d), charts });
        BlowupStep step { bt::StepPointsIntro(true), {} };
        for (const bt::WeightedPointLine& l : lines)
            step.sub.push_back(bt::StepPoint(l.where, l.summary,
                "secteurs du côté u > 0 : " + (l.sectors.empty() ? "-" : l.sectors), l.nested));
        ctx.steps.push_back(std::move(step));
        ctx.steps.push_back({ bt::StepJoin(arcs), {} });
    }
    if (depth == 1) {
        std::vector<std::string> points;
        for (const bt::WeightedPointLine& l : lines)
            points.push_back(l.where + " : " + l.summary);
        ctx.nested = bt::Nested(
            "x = " + bt::UPower(w.a) + ", y = " + bt::UPower(w.b) + "*v (et ses cartes tournées)", fields,
            points);
    }
    return out;
}

// The weights of the longest edge of the Newton polygon not of slope -1.
std::optional<Weights> SlopedEdge(const System& s)
{
    const NewtonEdge* pick = nullptr;
    const std::vector<NewtonEdge> edges = NewtonEdges(s);
    for (const NewtonEdge& e : edges)
        if (e.w.a != e.w.b && (!pick || e.length > pick->length)) pick = &e;
    return pick ? std::optional<Weights>(pick->w) : std::nullopt;
}

// A dicritical point whose fans the polar study cannot join: a line where R
// and G = x Q_(m+1) - y P_(m+1) vanish together. Moved onto the axis y = 0 by
// a change of coordinates of determinant 1, it shows an edge of the Newton
// polygon not of slope -1, and the weighted blow-up separates the orbits
// tangent to it.
Portrait DicriticalResolved(const System& s, int m, unsigned tags, int depth, Context& ctx)
{
    try {
        Portrait p = Dicritical(s, m, tags);
        if (depth == 0) {
            ctx.steps = FirstSteps(s, m);
            const Poly2 r = DividePower(s.P.Homogeneous(m), 0, 1);
            const Poly2 g = Poly2::Monomial(1, 0) * s.Q.Homogeneous(m + 1)
                - Poly2::Monomial(0, 1) * s.P.Homogeneous(m + 1);
            ctx.steps.push_back({ bt::StepPolar(m, g.ToString(), DirectionsOf(r, m - 1)), {} });
        }
        return p;
    } catch (const Undecided&) {
        if (ctx.method == BlowupMethod::Directional) throw;
        const Poly2 r = DividePower(s.P.Homogeneous(m), 0, 1);
        const Poly2 g
            = Poly2::Monomial(1, 0) * s.Q.Homogeneous(m + 1) - Poly2::Monomial(0, 1) * s.P.Homogeneous(m + 1);
        std::optional<Rational> slope;
        for (const Root& root : RealRoots(InV(r, m - 1)))
            if (root.exact && SignAt(g, Rational(1), *root.exact) == 0) {
                slope = *root.exact;
                break;
            }
        const bool vertical
            = !slope && m > 1 && r.Coeff(0, m - 1).IsZero() && SignAt(g, Rational(0), Rational(1)) == 0;
        if (!slope && !vertical) throw;
        if (slope && !slope->IsZero() && (tags & 0b0101)) throw;
        // (x, y) = M (X, Y): a shear onto y = v0 x, or a quarter turn onto x = 0.
        const Rational a(vertical ? 0 : 1), b(vertical ? -1 : 0), c = vertical ? Rational(1) : *slope,
                                                                  d(vertical ? 0 : 1);
        const unsigned moved = vertical ? ((tags >> 1) | (tags << 3)) & 0xFu : tags;
        const Poly2 p = s.P.Linear(a, b, c, d), q = s.Q.Linear(a, b, c, d);
        const System t { d * p - b * q, a * q - c * p };
        const std::optional<Weights> w = SlopedEdge(t);
        if (!w) throw;
        std::optional<Portrait> out = WeightedBlowUp(t, *w, moved, depth, ctx);
        if (!out) throw;
        const double da = fmpq_get_d(a.raw()), db = fmpq_get_d(b.raw()), dc = fmpq_get_d(c.raw()),
                     dd = fmpq_get_d(d.raw());
        for (blowup::Item& it : out->items) {
            const double x = da * it.dx + db * it.dy, y = dc * it.dx + dd * it.dy, n = std::hypot(x, y);
            it.dx = n > 0 ? x / n : 0;
            it.dy = n > 0 ? y / n : 0;
            if (it.tag >= 0 && vertical) it.tag = (it.tag + 1) & 3;
        }
        if (depth == 0) {
            const std::string moved
                = bt::DicriticalMoved(m, vertical ? "x = 0" : (Poly2::Monomial(1, 0, *slope)).ToString());
            ctx.detail = moved + ctx.detail;
            std::vector<BlowupStep> steps = FirstSteps(s, m);
            steps.push_back({ moved.substr(1), {} });
            steps.insert(steps.end(), ctx.steps.begin(), ctx.steps.end());
            ctx.steps = std::move(steps);
        }
        return *out;
    }
}

// The blow-up of a degenerate point: weighted along an edge of the Newton
// polygon not of slope -1 (the longest), else directional or polar.
Portrait BlowUpAny(const System& s, unsigned tags, int depth, Context& ctx)
{
    // A dicritical point is studied in polar coordinates first: the weighted
    // blow-up comes in only on a line where the fans do not join.
    const int m = LowDegree(s);
    const bool dicritical
        = (Poly2::Monomial(1, 0) * s.Q.Homogeneous(m) - Poly2::Monomial(0, 1) * s.P.Homogeneous(m)).IsZero();
    if (ctx.method == BlowupMethod::Weighted || (ctx.method == BlowupMethod::Auto && !dicritical)) {
        const std::optional<Weights> pick = SlopedEdge(s);
        if (pick || ctx.method == BlowupMethod::Weighted) {
            try {
                if (auto p = WeightedBlowUp(s, pick.value_or(Weights {}), tags, depth, ctx)) return *p;
            } catch (const Undecided&) {
                // At the point itself, the directional blow-up may still conclude.
                if (depth > 0 || ctx.method == BlowupMethod::Weighted) throw;
                ctx.detail.clear();
                ctx.steps.clear();
            }
        }
    }
    return BlowUp(s, tags, depth, ctx);
}

Portrait Resolve(const System& s, unsigned tags, int depth, Context& ctx)
{
    const Mat2 j = classify::JacobianAtOrigin(s);
    if (depth > 0) {
        if (auto p = Elementary(s, j, tags)) return *p;
    }
    return BlowUpAny(s, tags, depth, ctx);
}

// ---- naming ------------------------------------------------------------------

bool IsRotationOf(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && (a + a).find(b) != std::string::npos;
}

void OpenResult(const System& s, const Context& ctx, const std::string& why, BlowupResult& r)
{
    r.outcome = BlowupOutcome::Open;
    r.reason = "eclatement non conclusif";
    r.explanation = ctx.detail + bt::Undecided(why);
    r.steps = ctx.steps;
    if (r.steps.empty()) {
        try {
            r.steps = FirstSteps(s, LowDegree(s));
        } catch (const Undecided&) {
            r.steps.clear();
        }
    }
    r.steps.push_back({ bt::Undecided(why).substr(1), {} });
}

// "Etape 1 : ...", the sub-steps "Etape 4.1 : ..." indented, after the lead.
std::vector<std::string> NumberedSteps(
    const std::string& lead, const std::vector<BlowupStep>& steps, const std::string& last)
{
    std::vector<std::string> out;
    std::vector<BlowupStep> all;
    all.push_back({ lead + " " + bt::kStepsLead, {} });
    all.insert(all.end(), steps.begin(), steps.end());
    if (!last.empty()) all.push_back({ last, {} });
    for (std::size_t i = 0; i < all.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        out.push_back("Etape " + n + " : " + all[i].text);
        for (std::size_t j = 0; j < all[i].sub.size(); ++j)
            out.push_back("  Etape " + n + "." + std::to_string(j + 1) + " : " + all[i].sub[j]);
    }
    return out;
}

} // namespace

std::string CanonicalSectors(const std::string& word)
{
    if (word.find_first_not_of('p') == std::string::npos) return word.empty() ? "" : "p";
    // Start on a letter other than p, so that no run of p wraps around.
    std::string w = word;
    while (w.front() == 'p')
        std::rotate(w.begin(), w.begin() + 1, w.end());
    std::string merged;
    for (char c : w)
        if (!(c == 'p' && !merged.empty() && merged.back() == 'p')) merged += c;
    std::string out;
    const std::size_t n = merged.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (merged[i] == 'p' && (merged[(i + n - 1) % n] == 'e' || merged[(i + 1) % n] == 'e')) continue;
        out += merged[i];
    }
    // The smallest rotation, so that equal portraits print alike.
    std::string best = out;
    for (std::size_t i = 1; i < out.size(); ++i) {
        std::string r = out.substr(i) + out.substr(0, i);
        if (r < best) best = r;
    }
    return best;
}

std::string SectorWords(const std::string& sectors)
{
    return classify::texts::SectorWords(sectors);
}

BlowupResult BlowUpOrigin(
    const flint::FmpqMpoly& P, const flint::FmpqMpoly& Q, const Deadline& deadline, BlowupMethod method)
{
    const System s { Poly2::FromMpoly(P), Poly2::FromMpoly(Q) };
    Context ctx { deadline, {}, method, {}, {} };
    BlowupResult r;
    try {
        const Portrait p = Resolve(s, 0, 0, ctx);
        r.explanation = ctx.detail;
        r.steps = ctx.steps;
        if (p.items.empty()) {
            r.outcome = BlowupOutcome::Monodromic;
            r.index = 1;
            r.explanation += bt::kNoOrbitReaches;
            r.steps.push_back({ std::string(bt::kNoOrbitReaches).substr(1), {} });
            return r;
        }
        r.outcome = BlowupOutcome::Decided;
        r.sectors = blowup::Letters(p.items);
        // The rays next to a hyperbolic sector are separatrices.
        const std::size_t count = p.items.size();
        std::size_t untold = 0; // separatrices whose tangent the weighted charts do not give
        for (std::size_t i = 0; i < count; ++i) {
            const blowup::Item& it = p.items[i];
            if (it.kind != Kind::Ray) continue;
            if (p.items[(i + 1) % count].kind != Kind::Hyperbolic
                && p.items[(i + count - 1) % count].kind != Kind::Hyperbolic)
                continue;
            if (it.dx == 0 && it.dy == 0)
                ++untold;
            else
                r.separatrices.push_back({ it.dx, it.dy, it.flow == Flow::Out });
        }
        if (untold > 0 && method == BlowupMethod::Auto) {
            // A separatrix through a degenerate point of a weighted chart,
            // tangent there to the divisor's axis, has its tangent at a
            // higher order. Directional blow-ups give every tangent: when
            // they resolve the same portrait, their separatrices are taken.
            const BlowupResult d = BlowUpOrigin(P, Q, deadline, BlowupMethod::Directional);
            if (d.outcome == BlowupOutcome::Decided
                && CanonicalSectors(d.sectors) == CanonicalSectors(r.sectors)
                && d.separatrices.size() == r.separatrices.size() + untold)
                r.separatrices = d.separatrices;
        }
        int e = 0, h = 0;
        for (char c : r.sectors) {
            e += c == 'e';
            h += c == 'h';
        }
        r.index = 1 + (e - h) / 2;
        r.type = PointType::Degenerate;
        if (r.sectors == "p") {
            r.type = PointType::Node;
            r.stability = p.items.front().flow == Flow::In ? Stability::Stable : Stability::Unstable;
        } else if (r.sectors == "hhhh") {
            r.type = PointType::Saddle;
        } else if (r.sectors == "hh") {
            r.type = PointType::Cusp;
        } else if (IsRotationOf(r.sectors, "hhp")) {
            r.type = PointType::SaddleNode;
        } else if (IsRotationOf(r.sectors, "eh")) {
            r.type = PointType::EllipticSaddle;
        }
        r.reason = "eclatement: secteurs " + r.sectors + ", indice " + std::to_string(r.index);
        r.explanation += bt::Conclusion(r.sectors, e, h, r.index);
        r.steps.push_back({ bt::StepSectors(r.sectors), {} });
        r.steps.push_back({ bt::StepIndex(e, h, r.index), {} });
    } catch (const Undecided& u) {
        OpenResult(s, ctx, u.what(), r);
    } catch (const LimitExceeded& u) {
        OpenResult(s, ctx, u.what(), r);
    }
    return r;
}

Nature ClassifyOriginResolved(const flint::FmpqMpoly& P, const flint::FmpqMpoly& Q, const Deadline& deadline)
{
    Nature n = ClassifyOrigin(P, Q);
    const bool open = n.type == PointType::Undetermined && n.linearPart != LinearPart::Imaginary
        && n.reason.rfind("non isole", 0) != 0;
    if (open) {
        const BlowupResult b = BlowUpOrigin(P, Q, deadline);
        if (b.outcome == BlowupOutcome::Decided) {
            n.type = b.type;
            n.stability = b.stability;
            n.index = b.index;
            n.sectors = b.sectors;
            n.separatrices = b.separatrices;
            n.reason = b.reason;
            n.explanation = bt::Lead(n.linearPart) + b.explanation
                + " Le point est : " + classify::texts::TypeName(n) + ".";
            n.steps = NumberedSteps(
                bt::Lead(n.linearPart), b.steps, "Le point est : " + classify::texts::TypeName(n) + ".");
        } else if (b.outcome == BlowupOutcome::Monodromic) {
            n.index = 1;
            n.sectors = "";
            const System s { Poly2::FromMpoly(P), Poly2::FromMpoly(Q) };
            if (auto proof = classify::ProveCentre(s)) {
                n.type = PointType::Center;
                n.reason = "eclatement: monodromique, " + proof->reason;
                n.explanation = bt::Lead(n.linearPart) + b.explanation + " " + proof->explanation
                    + " Le point est : centre.";
                n.steps = NumberedSteps(
                    bt::Lead(n.linearPart), b.steps, proof->explanation + " Le point est : centre.");
            } else {
                n.reason = "eclatement: monodromique, centre ou foyer";
                n.explanation = bt::Lead(n.linearPart) + b.explanation + bt::kCentreOrFocusOpen;
                n.steps = NumberedSteps(
                    bt::Lead(n.linearPart), b.steps, std::string(bt::kCentreOrFocusOpen).substr(1));
            }
        } else {
            n.explanation = bt::Lead(n.linearPart) + b.explanation;
            n.steps = NumberedSteps(bt::Lead(n.linearPart), b.steps, "");
        }
    }
    FillStandardPortrait(n);
    return n;
}

} // namespace vindrel::engine
