#include "engine/blowup/algebraic.h"

#include "engine/blowup/blowup.h"
#include "engine/blowup/portrait.h"
#include "engine/blowup/texts.h"
#include "engine/classify/algebraic_field.h"
#include "engine/classify/classify_texts.h"
#include "engine/errors.h"
#include "engine/fixedpoints/real_roots.h"
#include "engine/flint/factor_types.h"
#include "engine/poly/print.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

namespace vindrel::engine {

namespace {

using blowup::Flow;
using blowup::Half;
using blowup::Items;
using blowup::Kind;
using blowup::Undecided;
using classify::AlgNum;
using classify::AlgPoly2;
using classify::NumberField;
namespace bt = blowup::texts;

constexpr slong kMaxBits = 4096;
constexpr const char* kRootsTooClose = "racines de F(1, v) non séparées à 4096 bits";
constexpr const char* kUnexpectedDivision = "division inattendue dans l'éclatement";
constexpr const char* kOutside
    = "un point du diviseur à éclater de nouveau a une coordonnée v0 non reconnue dans le corps du point";
constexpr const char* kDicriticalDeeper
    = "un point d'un diviseur est dicritique (F = 0 identiquement dans le corps)";

// A polynomial in v over K: the coefficient of v^k at k, none zero at the top.
using KPoly = std::vector<AlgNum>;

int Deg(const KPoly& p)
{
    return static_cast<int>(p.size()) - 1;
}

void Trim(KPoly& p)
{
    while (!p.empty() && p.back().IsZero())
        p.pop_back();
}

KPoly Derivative(const KPoly& p, const NumberField& k)
{
    KPoly d;
    for (std::size_t i = 1; i < p.size(); ++i)
        d.push_back(AlgNum::Integer(&k, static_cast<slong>(i)) * p[i]);
    Trim(d);
    return d;
}

KPoly Minus(KPoly a, const KPoly& b)
{
    if (a.size() < b.size()) a.resize(b.size());
    for (std::size_t i = 0; i < b.size(); ++i)
        a[i] -= b[i];
    Trim(a);
    return a;
}

// a = q b + r with deg r < deg b; b is not zero.
std::pair<KPoly, KPoly> DivRem(KPoly a, const KPoly& b)
{
    KPoly q(a.size() >= b.size() ? a.size() - b.size() + 1 : 0);
    while (!a.empty() && Deg(a) >= Deg(b)) {
        const std::size_t s = a.size() - b.size();
        const AlgNum c = a.back() / b.back();
        q[s] = c;
        for (std::size_t i = 0; i < b.size(); ++i)
            a[s + i] -= c * b[i];
        a.pop_back();
        Trim(a);
    }
    Trim(q);
    return { q, a };
}

KPoly Gcd(KPoly a, KPoly b)
{
    while (!b.empty()) {
        KPoly r = DivRem(a, b).second;
        a = std::move(b);
        b = std::move(r);
    }
    if (a.empty()) return a;
    const AlgNum lead = a.back();
    for (AlgNum& c : a)
        c = c / lead;
    return a;
}

// f = prod a_i^i with the a_i square-free and coprime (Yun): the non-constant
// a_i with their multiplicity i.
std::vector<std::pair<KPoly, int>> ByMultiplicity(const KPoly& f, const NumberField& k)
{
    std::vector<std::pair<KPoly, int>> out;
    const KPoly d = Derivative(f, k), a0 = Gcd(f, d);
    KPoly b = DivRem(f, a0).first;
    KPoly e = Minus(DivRem(d, a0).first, Derivative(b, k));
    for (int i = 1; Deg(b) > 0; ++i) {
        const KPoly a = Gcd(b, e);
        if (Deg(a) > 0) out.emplace_back(a, i);
        const KPoly c = DivRem(e, a).first;
        b = DivRem(b, a).first;
        e = Minus(c, Derivative(b, k));
    }
    return out;
}

// The number of real roots of a square-free s, by its Sturm sequence, every
// sign exact in K.
int RealRootCount(const KPoly& s, const NumberField& k)
{
    std::vector<KPoly> seq { s, Derivative(s, k) };
    while (Deg(seq.back()) > 0) {
        KPoly r = DivRem(seq[seq.size() - 2], seq.back()).second;
        if (r.empty()) break;
        for (AlgNum& c : r)
            c = -c;
        seq.push_back(std::move(r));
    }
    auto changes = [&](bool minusInfinity) {
        int n = 0, last = 0;
        for (const KPoly& p : seq) {
            if (p.empty()) continue;
            int sg = p.back().Sign();
            if (minusInfinity && Deg(p) % 2 != 0) sg = -sg;
            if (sg != 0 && last != 0 && sg != last) ++n;
            if (sg != 0) last = sg;
        }
        return n;
    };
    return changes(true) - changes(false);
}

// A real root of a polynomial over K: a root of an irreducible factor g of its norm.
struct RealRoot {
    flint::FmpzPoly g;
    fp::RootInterval where;
    int multiplicity = 1;
    double approx = 0;
};

flint::Arb BallAt(const KPoly& p, RealRoot& r, const NumberField& k, slong prec)
{
    fp::RefineRoot(r.where, r.g, prec + 16);
    flint::Arb x, out;
    fp::RootBall(x.raw(), r.where, prec);
    for (int i = Deg(p); i >= 0; --i) {
        arb_mul(out.raw(), out.raw(), x.raw(), prec);
        const flint::Arb c = k.Ball(p[static_cast<std::size_t>(i)].poly(), prec);
        arb_add(out.raw(), out.raw(), c.raw(), prec);
    }
    return out;
}

// The sign at r of a polynomial known not to vanish there.
int SignAt(const KPoly& p, RealRoot& r, const NumberField& k)
{
    for (slong prec = 64; prec <= kMaxBits; prec *= 2) {
        const flint::Arb b = BallAt(p, r, k, prec);
        if (arb_is_positive(b.raw())) return 1;
        if (arb_is_negative(b.raw())) return -1;
    }
    throw Undecided(kRootsTooClose);
}

// The real roots of a square-free a for the chosen embedding of K: among the
// real roots of its norm Res_u(a(u, v), f(u)) (those of every conjugate),
// the ones whose balls keep 0, once they are as many as the Sturm count.
std::vector<RealRoot> RealRootsOf(const KPoly& a, const NumberField& k)
{
    const int count = RealRootCount(a, k);
    if (count == 0) return {};
    const auto ctx = std::make_shared<const flint::MpolyCtx>(std::vector<std::string> { "u", "v" });
    flint::FmpqMpoly A(ctx), M(ctx), R(ctx);
    flint::Fmpq c;
    auto add = [&](flint::FmpqMpoly& to, const flint::FmpqPoly& coeffs, ulong vPower) {
        for (slong i = 0; i <= fmpq_poly_degree(coeffs.raw()); ++i) {
            fmpq_poly_get_coeff_fmpq(c.raw(), coeffs.raw(), i);
            ulong e[2] = { static_cast<ulong>(i), vPower };
            fmpq_mpoly_set_coeff_fmpq_ui(to.raw(), c.raw(), e, ctx->raw());
        }
    };
    for (std::size_t j = 0; j < a.size(); ++j)
        add(A, a[j].poly(), j);
    add(M, k.modulus(), 0);
    flint::FmpqPoly norm;
    if (!fmpq_mpoly_resultant(R.raw(), A.raw(), M.raw(), 0, ctx->raw())
        || !fmpq_mpoly_get_fmpq_poly(norm.raw(), R.raw(), 1, ctx->raw()))
        throw Undecided(kRootsTooClose);
    flint::FmpzPoly num;
    fmpq_poly_get_numerator(num.raw(), norm.raw());
    flint::FmpzPolyFactor fac;
    fmpz_poly_factor(fac.raw(), num.raw());
    std::vector<RealRoot> roots;
    for (slong i = 0; i < fac.raw()->num; ++i) {
        RealRoot r;
        fmpz_poly_set(r.g.raw(), fac.raw()->p + i);
        for (fp::RootInterval& where : fp::IsolateRealRoots(r.g)) {
            r.where = where;
            roots.push_back(r);
        }
    }
    for (slong prec = 64; static_cast<int>(roots.size()) > count; prec *= 2) {
        if (prec > kMaxBits) throw Undecided(kRootsTooClose);
        std::erase_if(roots, [&](RealRoot& r) { return !arb_contains_zero(BallAt(a, r, k, prec).raw()); });
    }
    for (RealRoot& r : roots) {
        fp::RefineRoot(r.where, r.g, 128);
        flint::Arb b;
        fp::RootBall(b.raw(), r.where, 128);
        r.approx = arf_get_d(arb_midref(b.raw()), ARF_RND_NEAR);
    }
    return roots;
}

int LowDegree(const AlgPoly2& p, const AlgPoly2& q)
{
    int m = 1 << 20;
    for (const AlgPoly2* a : { &p, &q })
        for (const auto& [e, c] : a->Terms())
            m = std::min(m, e.first + e.second);
    return m;
}

// The coefficients of a binary form of degree n at (1, v).
KPoly AtOne(const AlgPoly2& form, int n)
{
    KPoly out;
    for (int j = 0; j <= n; ++j)
        out.push_back(form.Coeff(n - j, j));
    Trim(out);
    return out;
}

bool IsRotationOf(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && (a + a).find(b) != std::string::npos;
}

// The blown-up field in the chart x = u, y = u v, divided by u^(m-1), with
// the point v = v0 of the divisor moved to the origin (w = v - v0).
std::pair<AlgPoly2, AlgPoly2> ChartAt(const AlgPoly2& p, const AlgPoly2& q, int m, const AlgNum& v0)
{
    const AlgNum one = AlgNum::Integer(v0.field(), 1);
    const AlgPoly2 w = AlgPoly2::Monomial(0, 1, one) + AlgPoly2::Monomial(0, 0, v0);
    // c x^i y^j becomes c u^(i+j-shift) (w + v0)^j.
    auto blown = [&](const AlgPoly2& a, int shift) {
        AlgPoly2 out;
        for (const auto& [e, c] : a.Terms()) {
            if (e.first + e.second < shift) throw Undecided(kUnexpectedDivision);
            out += AlgPoly2::Monomial(e.first + e.second - shift, 0, c) * w.Pow(e.second);
        }
        return out;
    };
    const AlgPoly2 a = blown(p, m - 1), b = blown(q, m) - w * blown(p, m);
    return { a, b };
}

// lambda1 = 0 across the divisor, lambda2 <> 0 along it: the centre manifold
// w = phi(u) crosses the divisor, and the flow on it is u' = a u^k + ...: k
// and the sign of a.
std::pair<int, int> TransverseCentreManifold(const AlgPoly2& a, const AlgPoly2& b, int n)
{
    const AlgNum l2 = b.Coeff(0, 1);
    const NumberField* k = l2.field();
    const AlgPoly2 rest = b - AlgPoly2::Monomial(0, 1, l2);
    classify::AlgSeries phi(static_cast<std::size_t>(n + 1));
    for (int i = 1; i <= n; ++i) {
        // phi' a(u, phi) = l2 phi + rest(u, phi), degree i.
        classify::AlgSeries d(phi.size());
        for (std::size_t j = 1; j < phi.size(); ++j)
            d[j - 1] = AlgNum::Integer(k, static_cast<slong>(j)) * phi[j];
        const classify::AlgSeries along = a.Along(phi, i), r = rest.Along(phi, i);
        AlgNum lhs;
        for (int j = 0; j <= i; ++j)
            lhs += d[static_cast<std::size_t>(j)] * along[static_cast<std::size_t>(i - j)];
        phi[static_cast<std::size_t>(i)] = (lhs - r[static_cast<std::size_t>(i)]) / l2;
    }
    const classify::AlgSeries g = a.Along(phi, n);
    for (int i = 0; i <= n; ++i)
        if (!g[static_cast<std::size_t>(i)].IsZero()) return { i, g[static_cast<std::size_t>(i)].Sign() };
    throw Undecided(bt::FlatCentreManifold(n));
}

struct DivisorPoint {
    RealRoot root;
    Items full;
    std::string summary;
    std::string nested; // how it was blown up again (a point of the first divisor)
    bool vertical = false;
};

// The point of the divisor at a root v0 of F(1, v) where P_m(1, v0) <> 0:
// lambda1 = P_m(1, v0) across, lambda2 = F'(v0) along; a multiple root makes
// the divisor a centre manifold with the flow w' = F(1, v0 + w) of order the
// multiplicity.
DivisorPoint OnDivisor(RealRoot root, const KPoly& fv, int l1, unsigned tags, const NumberField& k)
{
    DivisorPoint dp;
    KPoly d = Derivative(fv, k);
    for (int i = 1; i < root.multiplicity; ++i)
        d = Derivative(d, k);
    const int sa = SignAt(d, root, k);
    const Flow across = l1 > 0 ? Flow::Out : Flow::In;
    Flow up = sa > 0 ? Flow::Out : Flow::In, down = up;
    if (root.multiplicity == 1) {
        dp.summary = l1 == sa ? bt::kNodeOnDivisor : bt::kSaddleOnDivisor;
        if (l1 == sa) {
            dp.full = blowup::FromRays({}, tags, &across);
            dp.root = std::move(root);
            return dp;
        }
    } else {
        if (root.multiplicity % 2 == 0) down = up == Flow::Out ? Flow::In : Flow::Out;
        dp.summary = bt::SemiHyperbolicOnDivisor(root.multiplicity, true);
    }
    dp.full = blowup::FromRays({ { blowup::Axis(0), across }, { blowup::Axis(1), up },
                                   { blowup::Axis(2), across }, { blowup::Axis(3), down } },
        tags, nullptr);
    dp.root = std::move(root);
    return dp;
}

// x <-> y.
AlgPoly2 Swapped(const AlgPoly2& p)
{
    AlgPoly2 out;
    for (const auto& [e, c] : p.Terms())
        out.AddTerm(e.second, e.first, c);
    return out;
}

// The chart x = u v, y = v (the direction x = 0), divided by v^(m-1).
std::pair<AlgPoly2, AlgPoly2> ChartY(const AlgPoly2& p, const AlgPoly2& q, int m, const NumberField& k)
{
    // c x^i y^j becomes c u^i v^(i+j-shift).
    auto blown = [](const AlgPoly2& a, int shift) {
        AlgPoly2 out;
        for (const auto& [e, c] : a.Terms()) {
            if (e.first + e.second < shift) throw Undecided(kUnexpectedDivision);
            out.AddTerm(e.first, e.first + e.second - shift, c);
        }
        return out;
    };
    return { blown(p, m) - AlgPoly2::Monomial(1, 0, AlgNum::Integer(&k, 1)) * blown(q, m), blown(q, m - 1) };
}

// The field printed with its coefficients rounded, in u and v.
std::string FieldText(const AlgPoly2& a, const AlgPoly2& b)
{
    auto text = [](const AlgPoly2& p) {
        std::string s;
        for (auto it = p.Terms().rbegin(); it != p.Terms().rend(); ++it) {
            const auto& [e, c] = *it;
            std::string t = c.Text();
            const bool minus = !t.empty() && t[0] == '-';
            if (minus) t.erase(0, 1);
            std::string mono;
            for (const auto& [name, power] : { std::pair { "u", e.first }, std::pair { "v", e.second } })
                if (power > 0) mono += std::string(mono.empty() ? "" : "*") + name + (power > 1 ? "^" + std::to_string(power) : "");
            if (t == "1" && !mono.empty()) t.clear();
            s += (s.empty() ? (minus ? "-" : "") : (minus ? " - " : " + ")) + t + (t.empty() || mono.empty() ? "" : "*") + mono;
        }
        return s.empty() ? std::string("0") : s;
    };
    return "u' = " + text(a) + ", v' = " + text(b) + " (coefficients arrondis)";
}

// Where a point of the divisor lies, for the reports.
std::string Where(const DivisorPoint& dp)
{
    if (dp.vertical) return bt::kVerticalPoint;
    return dp.root.where.exact ? bt::PointOnDivisor(RationalToCanonical(dp.root.where.exact->raw()))
                               : bt::IrrationalPointOnDivisor(dp.root.approx);
}

struct Level {
    const Deadline& deadline;
    int order; // of the centre manifold series
};

struct Portrait {
    Items items;
    std::string summary, nested;
};

Portrait BlowUpLevel(const AlgPoly2& p, const AlgPoly2& q, unsigned tags, int depth, Level& level);

// The origin of a chart u' = a, v' = b whose divisor u = 0 (horizontal: v = 0)
// is invariant: elementary (saddle, node, semi-hyperbolic by its centre
// manifold, every sign exact in K) or blown up again.
Portrait ChartPoint(const AlgPoly2& a, const AlgPoly2& b, bool horizontal, unsigned tags, int depth, Level& level)
{
    level.deadline.check();
    // In (s, t) = (u, v), or (v, u) when the divisor is v = 0: s' = as, t' = bs.
    const AlgPoly2 as = horizontal ? Swapped(b) : a, bs = horizontal ? Swapped(a) : b;
    const AlgNum l1 = as.Coeff(1, 0), l2 = bs.Coeff(0, 1);
    if (l1.IsZero() && l2.IsZero()) return BlowUpLevel(a, b, tags, depth, level);
    const Flow right0 = l1.Sign() > 0 ? Flow::Out : Flow::In;
    Flow right = right0, left = right0, up = l2.Sign() > 0 ? Flow::Out : Flow::In, down = up;
    Portrait out;
    if (!l1.IsZero() && !l2.IsZero()) {
        out.summary = l1.Sign() == l2.Sign() ? bt::kNodeOnDivisor : bt::kSaddleOnDivisor;
        if (l1.Sign() == l2.Sign()) {
            out.items = blowup::FromRays({}, tags, &right0);
            return out;
        }
    } else if (!l1.IsZero()) {
        // The divisor is the centre manifold: t' = bs(0, t) on it.
        int order = 1;
        while (order <= bs.Degree() && bs.Coeff(0, order).IsZero())
            ++order;
        if (order > bs.Degree()) throw Undecided(bt::FlatCentreManifold(bs.Degree()));
        const int sa = bs.Coeff(0, order).Sign();
        up = sa > 0 ? Flow::Out : Flow::In;
        down = order % 2 == 0 ? (up == Flow::Out ? Flow::In : Flow::Out) : up;
        out.summary = bt::SemiHyperbolicOnDivisor(order, true);
    } else {
        const auto [order, sa] = TransverseCentreManifold(as, bs, level.order);
        right = sa > 0 ? Flow::Out : Flow::In;
        left = order % 2 != 0 ? right : (right == Flow::Out ? Flow::In : Flow::Out);
        out.summary = bt::SemiHyperbolicOnDivisor(order, false);
    }
    // The axes of s and t at their angles in (u, v).
    const int s0 = horizontal ? 1 : 0, t0 = horizontal ? 0 : 1;
    out.items = blowup::FromRays({ { blowup::Axis(s0), right }, { blowup::Axis(t0), up },
                                     { blowup::Axis(s0 + 2), left }, { blowup::Axis(t0 + 2), down } },
        tags, nullptr);
    return out;
}

// One blow-up at the origin of (p, q) over K, the points of its divisor
// studied (and blown up again) in turn, their half-plane portraits joined.
// At the point itself (depth 0, no tag) a rational shear x = X + c Y first
// makes X = 0 non-characteristic; deeper, the direction x = 0 is read in the
// chart x = u v, y = v. The directions of the rays are those of (X, Y).
struct LevelResult {
    Portrait portrait;
    std::vector<DivisorPoint> points;
    std::string arcs;
    long shear = 0;
    int m = 0;
};

LevelResult BlowUpOnce(const AlgPoly2& p0, const AlgPoly2& q0, unsigned tags, int depth, Level& level)
{
    if (depth >= kMaxBlowupDepth) throw Undecided(bt::DepthReached(kMaxBlowupDepth));
    level.deadline.check();
    const NumberField& k = *(p0.IsZero() ? q0 : p0).Terms().begin()->second.field();
    LevelResult res;
    const int m = res.m = LowDegree(p0, q0);
    const AlgNum one = AlgNum::Integer(&k, 1), zero;
    const AlgPoly2 X = AlgPoly2::Monomial(1, 0, one), Y = AlgPoly2::Monomial(0, 1, one);
    const AlgPoly2 form0 = X * q0.Homogeneous(m) - Y * p0.Homogeneous(m);
    if (form0.IsZero()) throw Undecided(depth == 0 ? bt::kDicriticalOpen : kDicriticalDeeper);
    // F(c, 1) <> 0: after x = X + c Y, Y^(m+1) keeps a non-zero coefficient.
    long shear = 0;
    for (long t = 1; depth == 0; ++t) {
        AlgNum v;
        for (const auto& [e, c] : form0.Terms())
            v += c * AlgNum::Integer(&k, shear).Pow(e.first);
        if (!v.IsZero()) break;
        shear = t % 2 != 0 ? (t + 1) / 2 : -(t / 2);
    }
    res.shear = shear;
    const AlgNum cs = AlgNum::Integer(&k, shear);
    const AlgPoly2 qs = q0.Linear(one, cs, zero, one), ps = p0.Linear(one, cs, zero, one) - cs * qs;
    const AlgPoly2 pm = ps.Homogeneous(m), form = X * qs.Homogeneous(m) - Y * pm;
    const KPoly fv = AtOne(form, m + 1), pmv = AtOne(pm, m);

    std::vector<DivisorPoint>& points = res.points;
    auto blownAgain = [&](const std::pair<AlgPoly2, AlgPoly2>& chart, bool horizontal, unsigned own) {
        Portrait child = ChartPoint(chart.first, chart.second, horizontal, own, depth + 1, level);
        DivisorPoint dp;
        dp.full = std::move(child.items);
        dp.summary = std::move(child.summary);
        dp.nested = std::move(child.nested);
        return dp;
    };
    for (const auto& [a, multiplicity] : ByMultiplicity(fv, k)) {
        // The roots where P_m(1, v) vanishes too are not elementary unless
        // simple; those in K are studied in their chart, over K.
        const KPoly common = Gcd(a, pmv);
        const KPoly rest = Deg(common) > 0 ? DivRem(a, common).first : a;
        for (RealRoot& r : Deg(rest) > 0 ? RealRootsOf(rest, k) : std::vector<RealRoot> {}) {
            r.multiplicity = multiplicity;
            const unsigned own = r.where.exact && fmpq_is_zero(r.where.exact->raw()) ? (tags & 0b0101) : 0u;
            const int l1 = SignAt(pmv, r, k);
            points.push_back(OnDivisor(std::move(r), fv, l1, 0b1010 | own, k));
        }
        if (Deg(common) == 0) continue;
        for (RealRoot& r : RealRootsOf(common, k)) {
            r.multiplicity = multiplicity;
            AlgNum v0;
            if (Deg(common) == 1) {
                v0 = -common[0] / common[1];
            } else if (r.where.exact) {
                v0 = AlgNum(&k, [&] {
                    flint::FmpqPoly c;
                    fmpq_poly_set_fmpq(c.raw(), r.where.exact->raw());
                    return c;
                }());
            } else {
                throw Undecided(kOutside);
            }
            const unsigned own = v0.IsZero() ? (tags & 0b0101) : 0u;
            DivisorPoint dp = blownAgain(ChartAt(ps, qs, m, v0), false, 0b1010 | own);
            dp.root = std::move(r);
            points.push_back(std::move(dp));
        }
        level.deadline.check();
    }
    std::sort(points.begin(), points.end(),
        [](const DivisorPoint& a, const DivisorPoint& b) { return a.root.approx < b.root.approx; });
    for (std::size_t i = 1; i < points.size(); ++i)
        if (arf_cmp(points[i - 1].root.where.hi.raw(), points[i].root.where.lo.raw()) >= 0)
            throw Undecided(kRootsTooClose);
    if (form.Coeff(0, m + 1).IsZero()) {
        DivisorPoint dp = blownAgain(ChartY(ps, qs, m, k), true, 0b0101 | (tags & 0b1010));
        dp.vertical = true;
        points.push_back(std::move(dp));
    }

    // Around the point: the directions (1, v0) by increasing v0, x = 0 with
    // y > 0, then (-1, -v0), then x = 0 with y < 0.
    const bool flipped = (m - 1) % 2 != 0;
    std::vector<Half> positive, negative;
    for (const DivisorPoint& dp : points) {
        if (dp.vertical) {
            positive.push_back(blowup::Extract(dp.full, 0, 2, false, false));
            negative.push_back(blowup::Extract(dp.full, 2, 0, true, flipped));
            positive.back().dy = 1;
            negative.back().dy = -1;
            continue;
        }
        const double v0 = dp.root.approx, norm = std::sqrt(1 + v0 * v0);
        positive.push_back(blowup::Extract(dp.full, 3, 1, false, false));
        negative.push_back(blowup::Extract(dp.full, 1, 3, true, flipped));
        positive.back().dx = 1 / norm;
        positive.back().dy = v0 / norm;
        negative.back().dx = -1 / norm;
        negative.back().dy = -v0 / norm;
    }
    std::vector<Half> halves = positive;
    halves.insert(halves.end(), negative.begin(), negative.end());
    res.portrait.items = halves.empty() ? Items {} : blowup::Join(halves, &res.arcs);
    blowup::Validate(res.portrait.items, tags);
    res.portrait.summary = bt::BlownUpSummary(m, blowup::Letters(res.portrait.items));
    if (depth == 1) {
        std::vector<std::string> lines;
        for (const DivisorPoint& dp : points)
            lines.push_back(Where(dp) + " : " + dp.summary);
        const auto [a, b] = ChartAt(ps, qs, m, AlgNum::Integer(&k, 0));
        res.portrait.nested = bt::Nested("x = u, y = u*v", FieldText(a, b), lines);
    }
    return res;
}

Portrait BlowUpLevel(const AlgPoly2& p, const AlgPoly2& q, unsigned tags, int depth, Level& level)
{
    return BlowUpOnce(p, q, tags, depth, level).portrait;
}

std::string Intro(const AlgebraicPoint& point, long shear, int m)
{
    char* text = fmpz_poly_get_str_pretty(point.f.raw(), "t");
    const std::string f = text;
    flint_free(text);
    const std::string power = m == 2 ? "u" : "u^" + std::to_string(m - 1);
    std::string s = " Le point a des coordonnées dans le corps Q(t), t racine de " + f
        + " = 0 : le champ ramené au point a ses coefficients dans ce corps, et chaque "
          "test de nullité y est exact.";
    if (shear != 0)
        s += " On pose x = X + " + std::to_string(shear)
            + "*Y, pour que la direction X = 0 ne soit pas caractéristique.";
    return s + " Eclatement x = u, y = u*v, champ divisé par " + power
        + " : les points singuliers du diviseur u = 0 sont les racines réelles de F(1, v), F = x*Q"
        + std::to_string(m) + " - y*P" + std::to_string(m)
        + ", trouvées parmi celles de sa norme sur Q et comptées par la suite de Sturm dans le corps.";
}

// A monodromic point is a centre when the field, moved to it, is Hamiltonian
// or reversible about the horizontal or the vertical line through it.
std::optional<std::pair<std::string, std::string>> CentreProof(
    const AlgPoly2& p, const AlgPoly2& q, const AlgNum& x0, const AlgNum& y0)
{
    namespace t = classify::texts;
    auto parity = [](const AlgPoly2& a, int which, int want) {
        return std::all_of(a.Terms().begin(), a.Terms().end(), [&](const auto& term) {
            return (which == 0 ? term.first.first : term.first.second) % 2 == want;
        });
    };
    if ((p.Dx() + q.Dy()).IsZero())
        return std::pair<std::string, std::string> { t::kReasonHamiltonian, t::kHamiltonianExplanation };
    if (parity(p, 1, 1) && parity(q, 1, 0))
        return std::pair<std::string, std::string> { t::kReasonReversible,
            t::ReversibleExplanation("y = " + y0.Text(), "x = " + x0.Text()) };
    if (parity(p, 0, 0) && parity(q, 0, 1))
        return std::pair<std::string, std::string> { t::kReasonReversible,
            t::ReversibleExplanation("x = " + x0.Text(), "y = " + y0.Text()) };
    return std::nullopt;
}

Nature Decide(const AlgebraicPoint& point, const AlgPoly2& p0, const AlgPoly2& q0, const AlgNum& x0,
    const AlgNum& y0, const Deadline& deadline)
{
    Level level { deadline, std::max(20, 2 * std::max(p0.Degree(), q0.Degree()) + 1) };
    const LevelResult res = BlowUpOnce(p0, q0, 0, 0, level);
    const int m = res.m;
    const long shear = res.shear;
    const Items& items = res.portrait.items;
    const std::string& arcs = res.arcs;
    std::vector<bt::PointLine> lines;
    for (const DivisorPoint& dp : res.points) {
        const bool flipped = (m - 1) % 2 != 0;
        const std::string summary = dp.nested.empty() ? dp.summary : dp.summary + " (" + dp.nested + ")";
        lines.push_back({ Where(dp), summary, false,
            blowup::Letters(blowup::Extract(dp.full, 3, 1, false, false).inner),
            blowup::Letters(blowup::Extract(dp.full, 1, 3, true, flipped).inner) });
    }

    Nature n;
    n.linearPart = LinearPart::Zero;
    std::string detail = Intro(point, shear, m) + " Points du diviseur :";
    for (std::size_t i = 0; i < lines.size(); ++i)
        detail += std::string(i == 0 ? " " : " ; ") + lines[i].where + " : " + lines[i].summary
            + " ; secteurs du côté x > 0 : " + (lines[i].positive.empty() ? "-" : lines[i].positive)
            + ", du côté x < 0 : " + (lines[i].negative.empty() ? "-" : lines[i].negative);
    detail += lines.empty() ? " aucun (F(1, v) n'a pas de racine réelle)." : ".";
    if (items.empty()) {
        n.index = 1;
        n.sectors = "";
        n.explanation = bt::Lead(n.linearPart) + detail + bt::kNoOrbitReaches;
        if (const auto proof = CentreProof(p0, q0, x0, y0)) {
            n.type = PointType::Center;
            n.reason = "eclatement: monodromique, " + proof->first;
            n.explanation += " " + proof->second;
        } else {
            n.type = PointType::Undetermined;
            n.reason = "eclatement: monodromique, centre ou foyer";
            n.explanation += bt::kCentreOrFocusOpen;
        }
        return n;
    }
    const std::string sectors = blowup::Letters(items);
    int e = 0, h = 0;
    for (char ch : sectors) {
        e += ch == 'e';
        h += ch == 'h';
    }
    n.sectors = sectors;
    n.index = 1 + (e - h) / 2;
    n.type = PointType::Degenerate;
    if (sectors == "p") {
        n.type = PointType::Node;
        n.stability = items.front().flow == Flow::In ? Stability::Stable : Stability::Unstable;
    } else if (sectors == "hhhh") {
        n.type = PointType::Saddle;
    } else if (sectors == "hh") {
        n.type = PointType::Cusp;
    } else if (IsRotationOf(sectors, "hhp")) {
        n.type = PointType::SaddleNode;
    } else if (IsRotationOf(sectors, "eh")) {
        n.type = PointType::EllipticSaddle;
    }
    // The rays next to a hyperbolic sector, back in x = X + c Y.
    const std::size_t count = items.size();
    for (std::size_t i = 0; i < count; ++i) {
        const blowup::Item& it = items[i];
        if (it.kind != Kind::Ray || (it.dx == 0 && it.dy == 0)) continue;
        if (items[(i + 1) % count].kind != Kind::Hyperbolic
            && items[(i + count - 1) % count].kind != Kind::Hyperbolic)
            continue;
        const double dx = it.dx + static_cast<double>(shear) * it.dy, dy = it.dy, r = std::hypot(dx, dy);
        n.separatrices.push_back({ dx / r, dy / r, it.flow == Flow::Out });
    }
    n.reason
        = "eclatement dans le corps du point: secteurs " + sectors + ", indice " + std::to_string(*n.index);
    n.explanation = bt::Lead(n.linearPart) + detail + bt::Arcs(arcs) + bt::Conclusion(sectors, e, h, *n.index)
        + " Le point est : " + classify::texts::TypeName(n) + ".";
    return n;
}

} // namespace

std::optional<Nature> BlowUpAlgebraicPoint(const flint::FmpqMpoly& P, const flint::FmpqMpoly& Q,
    const AlgebraicPoint& point, const Deadline& deadline)
{
    const NumberField k(point.f, point.lo, point.hi);
    const AlgNum x0(&k, point.x), y0(&k, point.y);
    const AlgPoly2 p = AlgPoly2::Translated(P, x0, y0), q = AlgPoly2::Translated(Q, x0, y0);
    for (const AlgPoly2* a : { &p, &q })
        for (const auto& [e, c] : a->Terms())
            if (e.first + e.second <= 1) return std::nullopt;
    try {
        return Decide(point, p, q, x0, y0, deadline);
    } catch (const Undecided& u) {
        Nature n;
        n.linearPart = LinearPart::Zero;
        n.type = PointType::Undetermined;
        n.reason = "eclatement non conclusif";
        n.explanation = bt::Lead(n.linearPart) + bt::Undecided(u.what());
        return n;
    }
}

} // namespace vindrel::engine
