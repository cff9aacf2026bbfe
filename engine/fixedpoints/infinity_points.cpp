#include "engine/fixedpoints/infinity_points.h"

#include "engine/fixedpoints/texts.h"
#include "engine/poly/algebra.h"
#include "engine/poly/number_text.h"
#include "engine/poly/print.h"

#include <arb_fmpz_poly.h>

#include <stdexcept>
#include <vector>

namespace vindrel::engine::fp {

using flint::Arb;
using flint::Fmpq;
using flint::FmpqMpoly;
using flint::FmpqPoly;
using flint::FmpzPoly;

namespace {

constexpr slong kStartPrec = 64;
constexpr slong kMaxPrec = 1 << 14; // a non-zero value of this size is never this close to 0
constexpr slong kTextBits = 58; // a double rounded from it, then ten digits

// sum over the terms c x^i y^j of a: c u^(e) v^(d - i - j), e = j (along = 1) or i (along = 0).
FmpqMpoly Dehomogenised(const FmpqMpoly& a, int along, slong d)
{
    FmpqMpoly out(a.ctx());
    const slong nv = fmpq_mpoly_ctx_nvars(a.craw());
    std::vector<ulong> e(static_cast<size_t>(nv)), f(static_cast<size_t>(nv), 0);
    Fmpq c;
    // Distinct terms go to distinct terms: pushed, then put in order once.
    for (slong k = 0; k < fmpq_mpoly_length(a.raw(), a.craw()); ++k) {
        fmpq_mpoly_get_term_exp_ui(e.data(), a.raw(), k, a.craw());
        fmpq_mpoly_get_term_coeff_fmpq(c.raw(), a.raw(), k, a.craw());
        f[0] = e[static_cast<size_t>(along)];
        f[1] = static_cast<ulong>(d) - (e[0] + e[1]);
        fmpq_mpoly_push_term_fmpq_ui(out.raw(), c.raw(), f.data(), a.craw());
    }
    fmpq_mpoly_sort_terms(out.raw(), a.craw());
    fmpq_mpoly_combine_like_terms(out.raw(), a.craw());
    return out;
}

// The coefficient of v^k (variable 1) as a polynomial in u (variable 0);
// the chart polynomials hold no other variable.
FmpqPoly CoefficientOfV(const FmpqMpoly& p, ulong k)
{
    const slong nv = fmpq_mpoly_ctx_nvars(p.craw());
    std::vector<ulong> e(static_cast<size_t>(nv));
    FmpqPoly out;
    Fmpq c;
    for (slong t = 0; t < fmpq_mpoly_length(p.raw(), p.craw()); ++t) {
        fmpq_mpoly_get_term_exp_ui(e.data(), p.raw(), t, p.craw());
        for (slong v = 2; v < nv; ++v)
            if (e[static_cast<size_t>(v)] != 0) throw std::logic_error("polynôme de carte inattendu");
        if (e[1] != k) continue;
        fmpq_mpoly_get_term_coeff_fmpq(c.raw(), p.raw(), t, p.craw());
        fmpq_poly_set_coeff_fmpq(out.raw(), static_cast<slong>(e[0]), c.raw());
    }
    return out;
}

FmpqPoly AtCircle(const FmpqMpoly& p)
{
    return CoefficientOfV(p, 0);
}

// A (along the circle) and B: U1 takes A = P, B = Q and the powers of y;
// U2 takes A = Q, B = P and the powers of x.
InfinityCharts::Chart MakeChart(
    const FmpqMpoly& A, const FmpqMpoly& B, int along, slong d, std::string num, std::string den)
{
    const FmpqMpoly a = Dehomogenised(A, along, d), b = Dehomogenised(B, along, d);
    FmpqMpoly u(A.ctx()), v(A.ctx()), F(A.ctx()), G(A.ctx());
    fmpq_mpoly_gen(u.raw(), 0, A.craw());
    fmpq_mpoly_gen(v.raw(), 1, A.craw());
    fmpq_mpoly_mul(F.raw(), u.raw(), a.raw(), A.craw());
    fmpq_mpoly_sub(F.raw(), b.raw(), F.raw(), A.craw());
    fmpq_mpoly_mul(G.raw(), v.raw(), a.raw(), A.craw());
    fmpq_mpoly_neg(G.raw(), G.raw(), A.craw());
    FmpqPoly h = AtCircle(F), fu;
    fmpq_poly_derivative(fu.raw(), h.raw());
    InfinityCharts::Chart c { F, G, std::move(h), std::move(fu), CoefficientOfV(F, 1), CoefficientOfV(G, 1),
        std::move(num), std::move(den) };
    return c;
}

// u0: a root of an irreducible f, with exact zero tests in Q[u]/(f) and
// signs from Arb balls refined until they exclude 0.
class AlgebraicRoot {
public:
    AlgebraicRoot(const FmpzPoly& f, const RootInterval& root)
        : root_(root)
    {
        fmpz_poly_set(f_.raw(), f.raw());
        fmpq_poly_set_fmpz_poly(fq_.raw(), f.raw());
        if (fmpz_poly_degree(f.raw()) == 1) {
            // u0 = -f0 / f1
            fmpq_set_fmpz_frac(value_.raw(), f.raw()->coeffs, f.raw()->coeffs + 1);
            fmpq_neg(value_.raw(), value_.raw());
            rational_ = true;
        }
    }

    bool rational() const { return rational_; }
    const fmpq* value() const { return value_.raw(); }

    int Sign(const FmpqPoly& a) const
    {
        FmpqPoly r;
        fmpq_poly_rem(r.raw(), a.raw(), fq_.raw());
        if (fmpq_poly_is_zero(r.raw())) return 0;
        if (rational_) {
            Fmpq v;
            fmpq_poly_evaluate_fmpq(v.raw(), r.raw(), value_.raw());
            return fmpq_sgn(v.raw());
        }
        {
            // Mostly the interval at hand already decides.
            Arb x;
            RootBall(x.raw(), root_, kStartPrec);
            const Arb b = Evaluate(r, x.raw(), kStartPrec);
            if (arb_is_positive(b.raw())) return 1;
            if (arb_is_negative(b.raw())) return -1;
        }
        for (slong prec = kStartPrec; prec <= kMaxPrec; prec *= 2) {
            const Arb b = Ball(r, prec);
            if (arb_is_positive(b.raw())) return 1;
            if (arb_is_negative(b.raw())) return -1;
        }
        throw LimitExceeded("la précision nécessaire dépasse 16384 bits.");
    }

    // "3/2" at a rational root, ten significant digits otherwise ("0" when exactly 0).
    std::string Text(const FmpqPoly& a) const
    {
        if (Sign(a) == 0) return "0";
        if (rational_) {
            Fmpq v;
            fmpq_poly_evaluate_fmpq(v.raw(), a.raw(), value_.raw());
            return RationalToCanonical(v.raw());
        }
        // Ten digits: the interval at hand mostly gives far more than enough.
        Arb x;
        RootBall(x.raw(), root_, 2 * kStartPrec);
        Arb b = Evaluate(a, x.raw(), 2 * kStartPrec);
        if (arb_rel_accuracy_bits(b.raw()) < kTextBits) b = Ball(a, 2 * kStartPrec);
        return ShortDecimal(arf_get_d(arb_midref(b.raw()), ARF_RND_NEAR));
    }

    // The root itself: "2", "racine(2)", "1,25992105 (à 10^-9 près)".
    std::string RootText() const
    {
        if (rational_) return RationalToCanonical(value_.raw());
        Arb r;
        RootBall(r.raw(), root_, 128);
        if (fmpq_poly_degree(fq_.raw()) == 2) {
            FmpqPoly u;
            fmpq_poly_set_coeff_si(u.raw(), 1, 1);
            if (auto q = AsQuadratic(u, fq_, r.raw(), 128)) return QuadraticText(*q, RootWord::Racine);
        }
        return DecimalText(r.raw());
    }

private:
    Arb Ball(const FmpqPoly& a, slong prec) const
    {
        RefineRoot(root_, f_, prec + 16);
        Arb x;
        RootBall(x.raw(), root_, prec);
        return Evaluate(a, x.raw(), prec);
    }

    static Arb Evaluate(const FmpqPoly& a, const arb_t x, slong prec)
    {
        // The integer numerator, then one division by the denominator.
        Arb out;
        _arb_fmpz_poly_evaluate_arb(out.raw(), a.raw()->coeffs, a.raw()->length, x, prec);
        arb_div_fmpz(out.raw(), out.raw(), a.raw()->den, prec);
        return out;
    }

    FmpzPoly f_;
    FmpqPoly fq_;
    mutable RootInterval root_;
    Fmpq value_;
    bool rational_ = false;
};

FmpqPoly Minus(const FmpqPoly& a, const FmpqPoly& b)
{
    FmpqPoly r;
    fmpq_poly_sub(r.raw(), a.raw(), b.raw());
    return r;
}

Stability StabilityOf(int sign)
{
    return sign < 0 ? Stability::Stable : Stability::Unstable;
}

// Both eigenvalues non-zero: they are real, so the point is a saddle or a node.
Nature Hyperbolic(const InfinityCharts::Chart& c, const AlgebraicRoot& at, int s1, int s2)
{
    using namespace texts;
    Nature n;
    n.linearPart = LinearPart::Hyperbolic;
    const std::string l1 = at.Text(c.fu), l2 = at.Text(c.gv);
    n.reason = "lambda1 = " + l1 + ", lambda2 = " + l2;
    n.explanation = kLambda1 + l1 + kAlongInfinity + l2 + kTransverse;
    if (s1 != s2) {
        n.type = PointType::Saddle;
        n.explanation += kOppositeSigns;
        return n;
    }
    n.stability = StabilityOf(s1);
    if (at.Sign(Minus(c.fu, c.gv)) != 0) {
        n.type = PointType::Node;
        n.explanation += kSameSign;
    } else if (at.Sign(c.fv) == 0) {
        n.type = PointType::StarNode;
        n.explanation += kEqualDiagonal;
    } else {
        n.type = PointType::DegenerateNode;
        n.explanation += kEqualNotDiagonal;
    }
    n.explanation += s1 < 0 ? kStableEnd : kUnstableEnd;
    return n;
}

// lambda1 = 0, lambda2 <> 0: the invariant circle v = 0 is tangent to the
// kernel (1, 0), hence a centre manifold, and the flow on it is u' = h(u).
Nature OnTheCircle(const InfinityCharts::Chart& c, const AlgebraicRoot& at, int s2)
{
    using namespace texts;
    FmpqPoly d = c.h;
    int order = 0;
    while (at.Sign(d) == 0) {
        fmpq_poly_derivative(d.raw(), d.raw());
        ++order;
    }
    const int sa = at.Sign(d); // sign of h^(m)(u0), that of the leading coefficient
    Nature n;
    n.linearPart = LinearPart::SemiHyperbolic;
    n.reason = "cercle de l'infini variete centrale: u' ~ " + std::string(sa > 0 ? "+" : "-") + "(u-u0)^"
        + std::to_string(order) + ", lambda2 = " + at.Text(c.gv);
    n.explanation = CentreManifoldText(at.Text(c.gv), order, sa > 0);
    if (order % 2 == 0) {
        n.type = PointType::SaddleNode;
        n.explanation += kEvenOrder;
    } else if (sa != s2) {
        n.type = PointType::Saddle;
        n.explanation += kOddOppositeSign;
    } else {
        n.type = PointType::Node;
        n.stability = StabilityOf(s2);
        n.explanation += kOddSameSign;
        n.explanation += s2 < 0 ? kStableEnd : kUnstableEnd;
    }
    return n;
}

Nature Open(const InfinityCharts::Chart& c, const AlgebraicRoot& at, int s1, int s2)
{
    using namespace texts;
    Nature n;
    n.type = PointType::Undetermined;
    if (s1 != 0 && s2 == 0) {
        n.linearPart = LinearPart::SemiHyperbolic;
        n.reason = "lambda1 = " + at.Text(c.fu) + ", lambda2 = 0";
        n.explanation = kLambda1 + at.Text(c.fu) + kAlongInfinity + "0 (transverse)" + kSemiHyperbolicOpen;
    } else if (at.Sign(c.fv) != 0) {
        n.linearPart = LinearPart::Nilpotent;
        n.reason = "partie lineaire nilpotente";
        n.explanation = kNilpotentOpen;
    } else {
        n.linearPart = LinearPart::Zero;
        n.reason = "partie lineaire nulle";
        n.explanation = kZeroOpen;
    }
    if (!at.rational()) {
        n.reason += ", coordonnee irrationnelle";
        n.explanation += kIrrationalPoint;
    }
    n.explanation += kNotDetermined;
    return n;
}

// The chart system with (u0, 0) moved to the origin (u0 rational).
std::pair<FmpqMpoly, FmpqMpoly> Translated(const InfinityCharts::Chart& c, const fmpq* u0)
{
    const auto& ctx = c.F.ctx();
    const slong nv = fmpq_mpoly_ctx_nvars(c.F.craw());
    std::vector<FmpqMpoly> gens;
    for (slong i = 0; i < nv; ++i) {
        gens.emplace_back(ctx);
        fmpq_mpoly_gen(gens.back().raw(), i, c.F.craw());
    }
    fmpq_mpoly_add_fmpq(gens[0].raw(), gens[0].raw(), u0, c.F.craw());
    std::vector<fmpq_mpoly_struct*> ptrs;
    for (auto& g : gens)
        ptrs.push_back(g.raw());
    FmpqMpoly F(ctx), G(ctx);
    fmpq_mpoly_compose_fmpq_mpoly(F.raw(), c.F.raw(), ptrs.data(), c.F.craw(), c.F.craw());
    fmpq_mpoly_compose_fmpq_mpoly(G.raw(), c.G.raw(), ptrs.data(), c.G.craw(), c.G.craw());
    return { std::move(F), std::move(G) };
}

// Chart variable names that differ from the system's own.
std::pair<std::string, std::string> ChartNames(const std::string& x, const std::string& y)
{
    for (const auto& [u, v] :
        { std::pair<std::string, std::string> { "u", "v" }, { "r", "s" }, { "p", "q" } }) {
        if (u != x && u != y && v != x && v != y) return { u, v };
    }
    return { "u", "v" };
}

} // namespace

InfinityCharts::InfinityCharts(const FmpqMpoly& P, const FmpqMpoly& Q, slong degree,
    const LocalClassifier& classifier, AlgebraicClassifier algebraic, ReportTexts texts)
    : texts_(texts == ReportTexts::Written)
    , degree_(degree)
    , classifier_(classifier)
    , algebraic_(std::move(algebraic))
    , p_(&P)
    , q_(&Q)
    , along_x_(MakeChart(P, Q, 1, degree, P.ctx()->names()[1], P.ctx()->names()[0]))
{
    std::tie(u_, v_) = ChartNames(P.ctx()->names()[0], P.ctx()->names()[1]);
}

InfinityCharts InfinityCharts::Divided(const FmpqMpoly& P, const FmpqMpoly& Q, slong degree,
    const LocalClassifier& classifier, ReportTexts texts)
{
    InfinityCharts c(P, Q, degree, classifier, {}, texts);
    c.divided_ = true;
    c.AlongY();
    for (Chart* chart : { &c.along_x_, &*c.along_y_ }) {
        FmpqMpoly v(P.ctx());
        fmpq_mpoly_gen(v.raw(), 1, P.craw());
        for (FmpqMpoly* f : { &chart->F, &chart->G })
            if (!fmpq_mpoly_divides(f->raw(), f->raw(), v.raw(), P.craw()))
                throw std::logic_error("champ de carte non divisible par v");
        chart->h = AtCircle(chart->F);
        chart->gv = AtCircle(chart->G);
    }
    fmpq_poly_gcd(c.slopes_.raw(), c.along_x_.h.raw(), c.along_x_.gv.raw());
    Fmpq zero, a, b;
    fmpq_poly_evaluate_fmpq(a.raw(), c.along_y_->h.raw(), zero.raw());
    fmpq_poly_evaluate_fmpq(b.raw(), c.along_y_->gv.raw(), zero.raw());
    c.vertical_ = fmpq_is_zero(a.raw()) && fmpq_is_zero(b.raw());
    return c;
}

const InfinityCharts::Chart& InfinityCharts::AlongY() const
{
    if (!along_y_)
        along_y_ = MakeChart(*q_, *p_, 0, degree_, p_->ctx()->names()[0], p_->ctx()->names()[1]);
    return *along_y_;
}

void InfinityCharts::ClassifySlope(InfinitePoint& point, const FmpzPoly& f, const RootInterval& root) const
{
    Classify(point, along_x_, f, root);
}

void InfinityCharts::ClassifyVertical(InfinitePoint& point) const
{
    FmpzPoly u; // the root u0 = 0 of f = u
    fmpz_poly_set_coeff_si(u.raw(), 1, 1);
    RootInterval zero;
    zero.exact.emplace();
    Classify(point, AlongY(), u, zero);
}

void InfinityCharts::Classify(
    InfinitePoint& point, const Chart& c, const FmpzPoly& f, const RootInterval& root) const
{
    if (divided_) return ClassifyDivided(point, c, f, root);
    const AlgebraicRoot at(f, root);
    if (texts_) point.chartText = texts::ChartText(u_, v_, c.num, c.den, at.RootText());
    point.natureSource = NatureSource::LinearPart;
    const int s1 = at.Sign(c.fu), s2 = at.Sign(c.gv);
    if (s1 != 0 && s2 != 0) {
        point.nature = Hyperbolic(c, at, s1, s2);
    } else {
        std::optional<Nature> local;
        if (at.rational() && classifier_) {
            auto [F, G] = Translated(c, at.value());
            local = classifier_(F, G);
        }
        if (local) {
            point.nature = *local;
            Fmpq minus;
            fmpq_neg(minus.raw(), at.value());
            const int sign = fmpq_sgn(at.value());
            const std::string shifted = sign == 0 ? u_
                                                  : u_
                    + (sign > 0 ? " - " + RationalToCanonical(at.value())
                                : " + " + RationalToCanonical(minus.raw()));
            point.nature.explanation = texts::LocalAnalysis(shifted, v_) + point.nature.explanation;
            point.natureSource = NatureSource::LocalClassifier;
        } else if (s1 == 0 && s2 != 0) {
            point.nature = OnTheCircle(c, at, s2);
        } else if (std::optional<Nature> alg
            = !at.rational() && algebraic_ ? Algebraic(c, f, root) : std::nullopt) {
            point.nature = *alg;
            point.nature.explanation = texts::LocalAnalysis(u_ + " - u0", v_) + point.nature.explanation;
            point.natureSource = NatureSource::LocalClassifier;
        } else {
            point.nature = Open(c, at, s1, s2);
        }
    }
    const Stability s = point.nature.stability;
    const bool reversed = degree_ % 2 == 0;
    point.oppositeStability = !reversed || s == Stability::None
        ? s
        : (s == Stability::Stable ? Stability::Unstable : Stability::Stable);
}

std::optional<Nature> InfinityCharts::Algebraic(
    const Chart& c, const FmpzPoly& f, const RootInterval& root) const
{
    AlgebraicPoint where;
    fmpz_poly_set(where.f.raw(), f.raw());
    arf_get_fmpq(where.lo.raw(), root.lo.raw());
    arf_get_fmpq(where.hi.raw(), root.hi.raw());
    fmpq_poly_set_coeff_si(where.x.raw(), 1, 1); // u0 itself, the generator of Q[u]/(f)
    return algebraic_(c.F, c.G, where);
}

void InfinityCharts::ClassifyDivided(
    InfinitePoint& point, const Chart& c, const FmpzPoly& f, const RootInterval& root) const
{
    const AlgebraicRoot at(f, root);
    if (texts_) point.chartText = texts::ChartText(u_, v_, c.num, c.den, at.RootText()) + texts::kDividedByV;
    std::optional<Nature> local;
    if (at.rational() && classifier_) {
        auto [F, G] = Translated(c, at.value());
        local = classifier_(F, G);
    }
    if (local) {
        point.nature = *local;
        point.natureSource = NatureSource::LocalClassifier;
    } else {
        point.nature.type = PointType::Undetermined;
        point.nature.reason
            = at.rational() ? "champ divise par v" : "champ divise par v, coordonnee irrationnelle";
        point.nature.explanation
            = std::string(texts::kUndetermined) + (at.rational() ? "" : texts::kIrrationalPoint) + ".";
    }
    // The divided field is the compactification of exponent d - 1: the
    // opposite point has its stability reversed when d - 1 is even.
    const Stability s = point.nature.stability;
    const bool reversed = (degree_ - 1) % 2 == 0;
    point.oppositeStability = !reversed || s == Stability::None
        ? s
        : (s == Stability::Stable ? Stability::Unstable : Stability::Stable);
}

} // namespace vindrel::engine::fp
