#include "engine/fixedpoints/fixed_points.h"

#include "engine/fixedpoints/infinity_points.h"
#include "engine/fixedpoints/solver.h"
#include "engine/fixedpoints/texts.h"
#include "engine/flint/factor_types.h"
#include "engine/poly/algebra.h"
#include "engine/poly/number_text.h"
#include "engine/poly/print.h"

#include <flint/fmpz_mpoly.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace vindrel::engine {

using flint::Arb;
using flint::Fmpq;
using flint::FmpqMpoly;
using flint::FmpqPoly;
using flint::Fmpz;
using flint::FmpzPoly;
using fp::Quadratic;
using fp::RootWord;
using fp::SolutionFamily;

namespace {

constexpr slong kStartPrec = 128;
constexpr slong kMaxPrec = 1 << 16;
constexpr slong kWantedBits = 64; // accuracy of the approximations
constexpr long kMaxExactFieldDegree = 12; // beyond, coordinates are shown as decimals

// ---- small polynomial helpers ------------------------------------------------

slong TotalDegree(const FmpqMpoly& p)
{
    return fmpq_mpoly_total_degree_si(p.raw(), p.craw());
}

// The polynomial as a univariate one in variable var (the others absent).
FmpzPoly UnivariateNumerator(const FmpqMpoly& p, slong var)
{
    FmpqPoly q;
    fmpq_mpoly_get_fmpq_poly(q.raw(), p.raw(), var, p.craw());
    FmpzPoly z;
    fp::IntegerNumerator(z, q);
    return z;
}

// The curve g = 0 with g integer, primitive, positive leading coefficient.
FixedCurve CurveOf(const FmpqMpoly& g)
{
    FmpqMpoly primitive(g.ctx());
    Fmpq content;
    fmpq_mpoly_content(content.raw(), g.raw(), g.craw());
    fmpq_mpoly_scalar_div_fmpq(primitive.raw(), g.raw(), content.raw(), g.craw());
    return FixedCurve { ToCanonical(primitive), ToReport(primitive) };
}

// ---- curves of fixed points --------------------------------------------------

// The real zero set of an irreducible g is either a curve or a finite set
// of singular points (at a real point where the gradient is not zero, the
// implicit function theorem gives a branch through it).
struct RealZeroSet {
    bool curve = false;
    // When not a curve: the real points, all among the solutions of g = g_y = 0.
    std::vector<SolutionFamily> isolated;
};

RealZeroSet RealZerosOf(const FmpqMpoly& g, const Deadline& deadline)
{
    RealZeroSet out;
    out.curve = true;
    if (TotalDegree(g) == 1) return out;
    std::vector<slong> degs(static_cast<size_t>(fmpq_mpoly_ctx_nvars(g.craw())));
    fmpq_mpoly_degrees_si(degs.data(), g.raw(), g.craw());
    // Irreducible in one variable: lines x = c or y = c (none when c is not real).
    if (degs[1] <= 0) {
        out.curve = fp::CountRealRoots(UnivariateNumerator(g, 0)) > 0;
        return out;
    }
    if (degs[0] <= 0) {
        out.curve = fp::CountRealRoots(UnivariateNumerator(g, 1)) > 0;
        return out;
    }
    // Points with a vertical tangent or singular: a real one where g_x <> 0
    // lies on a branch x = phi(y).
    const FmpqMpoly gy = Derivative(g, 1), gx = Derivative(g, 0);
    std::vector<SolutionFamily> vertical;
    for (SolutionFamily& fam : fp::SolveCoprime(g, gy, deadline)) {
        if (fam.realCount() == 0) continue;
        if (!fmpq_poly_is_zero(fam.ExactValue(gx).raw())) return out;
        vertical.push_back(std::move(fam));
    }
    // Elsewhere the number of real points over x is constant between the
    // roots of lc_y(g) * Res_y(g, g_y): one rational sample per interval; a
    // real point there has g_y <> 0, so a branch y = phi(x) passes through it.
    FmpqMpoly res(g.ctx()), lead(g.ctx());
    fmpq_mpoly_resultant(res.raw(), g.raw(), gy.raw(), 1, g.craw());
    const slong var = 1;
    const ulong e = static_cast<ulong>(degs[1]);
    fmpq_mpoly_get_coeff_vars_ui(lead.raw(), g.raw(), &var, &e, 1, g.craw());
    const FmpzPoly crit = UnivariateNumerator(Mul(res, lead), 0);
    deadline.check();
    const std::vector<fp::RootInterval> roots = fp::RealRoots(crit);
    std::vector<Fmpq> samples;
    flint::Arf a;
    Fmpq q;
    for (size_t i = 0; i <= roots.size(); ++i) {
        if (roots.empty()) {
            arf_zero(a.raw());
        } else if (i == 0) {
            arf_sub_si(a.raw(), roots[0].lo.raw(), 1, ARF_PREC_EXACT, ARF_RND_FLOOR);
        } else if (i == roots.size()) {
            arf_add_si(a.raw(), roots[i - 1].hi.raw(), 1, ARF_PREC_EXACT, ARF_RND_CEIL);
        } else {
            arf_add(a.raw(), roots[i - 1].hi.raw(), roots[i].lo.raw(), ARF_PREC_EXACT, ARF_RND_DOWN);
            arf_mul_2exp_si(a.raw(), a.raw(), -1);
        }
        arf_get_fmpq(q.raw(), a.raw());
        samples.push_back(q);
    }
    for (const Fmpq& c : samples) {
        FmpqMpoly line(g.ctx());
        fmpq_mpoly_evaluate_one_fmpq(line.raw(), g.raw(), 0, c.raw(), g.craw());
        if (fp::CountRealRoots(UnivariateNumerator(line, 1)) > 0) return out;
    }
    // No branch anywhere: the real points are the singular ones found above,
    // each isolated.
    out.curve = false;
    out.isolated = std::move(vertical);
    return out;
}

// ---- one point ---------------------------------------------------------------

struct Jacobian {
    explicit Jacobian(const FmpqMpoly& P, const FmpqMpoly& Q)
        : px(Derivative(P, 0))
        , py(Derivative(P, 1))
        , qx(Derivative(Q, 0))
        , qy(Derivative(Q, 1))
        , trace(Add(px, qy))
        , det(Sub(Mul(px, qy), Mul(py, qx)))
        , disc(P.ctx())
    {
        FmpqMpoly four(P.ctx());
        fmpq_mpoly_set_si(four.raw(), 4, P.craw());
        disc = Sub(Mul(trace, trace), Mul(four, det));
    }
    FmpqMpoly px, py, qx, qy, trace, det, disc;
};

// Numerical and exact views of one real solution.
class PointView {
public:
    PointView(const SolutionFamily& fam, size_t index, slong degree, const Deadline& deadline)
        : fam_(fam)
        , index_(index)
        , degree_(degree)
        , deadline_(deadline)
    {
        Compute(kStartPrec);
    }

    const arb_struct* x() const { return x_.raw(); }
    const arb_struct* y() const { return y_.raw(); }
    slong prec() const { return prec_; }

    void Refine()
    {
        deadline_.check();
        if (prec_ >= kMaxPrec) throw LimitExceeded(fp::texts::kPrecisionTooHigh);
        Compute(prec_ * 2);
    }

    // Ball of v at the point.
    Arb Value(const FmpqMpoly& v) const
    {
        Arb out;
        fp::EvalArb(out, v, xpow_, ypow_, prec_);
        return out;
    }

    bool ExactlyZero(const FmpqMpoly& v) const { return fmpq_poly_is_zero(fam_.ExactValue(v).raw()); }

    // Exact sign: balls first, the exact zero test when a ball holds 0.
    int Sign(const FmpqMpoly& v)
    {
        for (;;) {
            Arb b = Value(v);
            if (arb_is_positive(b.raw())) return 1;
            if (arb_is_negative(b.raw())) return -1;
            if (ExactlyZero(v)) return 0;
            Refine();
        }
    }

    // A coordinate (x: which = 0, y: 1) known to 64 bits, or exactly 0.
    void Accurate(int which)
    {
        for (;;) {
            const arb_struct* b = which == 0 ? x() : y();
            if (arb_rel_accuracy_bits(b) >= kWantedBits) return;
            if (arb_contains_zero(b) && fam_.CoordinateIsZero(which)) return;
            Refine();
        }
    }

private:
    void Compute(slong prec)
    {
        prec_ = prec;
        fam_.RealPoint(index_, prec_, x_, y_);
        fp::Powers(xpow_, x(), degree_ + 1, prec_);
        fp::Powers(ypow_, y(), degree_ + 1, prec_);
    }

    const SolutionFamily& fam_;
    size_t index_;
    slong degree_;
    const Deadline& deadline_;
    slong prec_ = 0;
    Arb x_, y_;
    std::vector<Arb> xpow_, ypow_;
};

std::string CoordinateText(const Quadratic& q, RootWord w)
{
    return fp::QuadraticText(q, w);
}

void SetCoordinate(FixedPoint& pt, int which, const std::optional<Quadratic>& exact, const arb_struct* ball,
    bool texts)
{
    std::string& json = which == 0 ? pt.xJson : pt.yJson;
    std::string& text = which == 0 ? pt.xText : pt.yText;
    double& approx = which == 0 ? pt.xApprox : pt.yApprox;
    approx = arf_get_d(arb_midref(ball), ARF_RND_NEAR);
    double* box = which == 0 ? pt.xBox : pt.yBox;
    arf_t lo, hi;
    arf_init(lo);
    arf_init(hi);
    arb_get_lbound_arf(lo, ball, 53);
    arb_get_ubound_arf(hi, ball, 53);
    box[0] = arf_get_d(lo, ARF_RND_FLOOR);
    box[1] = arf_get_d(hi, ARF_RND_CEIL);
    arf_clear(lo);
    arf_clear(hi);
    if (exact) {
        json = CoordinateText(*exact, RootWord::Sqrt);
        if (texts) text = CoordinateText(*exact, RootWord::Racine);
        if (fmpq_is_zero(exact->q.raw())) approx = fmpq_get_d(exact->p.raw());
    } else if (texts) {
        text = fp::DecimalText(ball);
    }
}

Nature LinearNature(int sT, int sD, int sDisc, bool scalar, bool zero)
{
    Nature n;
    const Stability st = sT < 0 ? Stability::Stable : Stability::Unstable;
    if (sD < 0) {
        n.type = PointType::Saddle;
        n.reason = "D < 0";
        n.explanation = fp::texts::kRuleSaddle;
    } else if (sD > 0 && sT != 0) {
        n.stability = st;
        if (sDisc > 0) {
            n.type = PointType::Node;
            n.reason = "D > 0, T^2 - 4D > 0";
            n.explanation = fp::texts::kRuleNode;
        } else if (sDisc == 0) {
            n.type = scalar ? PointType::StarNode : PointType::DegenerateNode;
            n.reason = scalar ? "T^2 - 4D = 0, J scalaire" : "T^2 - 4D = 0, J non scalaire";
            n.explanation = scalar ? fp::texts::kRuleStarNode : fp::texts::kRuleDegenerateNode;
        } else {
            n.type = PointType::Focus;
            n.reason = "T^2 - 4D < 0, T <> 0";
            n.explanation = fp::texts::kRuleFocus;
        }
        n.explanation += sT < 0 ? fp::texts::kTraceNegative : fp::texts::kTracePositive;
    } else {
        n.type = PointType::Undetermined;
        if (sD > 0) {
            n.linearPart = LinearPart::Imaginary;
            n.reason = "T = 0, D > 0";
            n.explanation = fp::texts::kUndeterminedImaginary;
        } else if (sT != 0) {
            n.linearPart = LinearPart::SemiHyperbolic;
            n.reason = "D = 0, T <> 0";
            n.explanation = fp::texts::kUndeterminedSemi;
        } else if (!zero) {
            n.linearPart = LinearPart::Nilpotent;
            n.reason = "D = 0, T = 0, J <> 0";
            n.explanation = fp::texts::kUndeterminedNilpotent;
        } else {
            n.linearPart = LinearPart::Zero;
            n.reason = "J = 0";
            n.explanation = fp::texts::kUndeterminedZero;
        }
    }
    return n;
}

// The system moved so that (x0, y0) is the origin.
std::pair<FmpqMpoly, FmpqMpoly> Translate(
    const FmpqMpoly& P, const FmpqMpoly& Q, const fmpq_t x0, const fmpq_t y0)
{
    const auto& ctx = P.ctx();
    const slong nv = fmpq_mpoly_ctx_nvars(P.craw());
    std::vector<FmpqMpoly> gens;
    for (slong v = 0; v < nv; ++v)
        gens.push_back(Variable(ctx, v));
    fmpq_mpoly_add_fmpq(gens[0].raw(), gens[0].raw(), x0, P.craw());
    fmpq_mpoly_add_fmpq(gens[1].raw(), gens[1].raw(), y0, P.craw());
    std::vector<fmpq_mpoly_struct*> ptrs;
    for (auto& g : gens)
        ptrs.push_back(g.raw());
    FmpqMpoly ps(ctx), qs(ctx);
    fmpq_mpoly_compose_fmpq_mpoly(ps.raw(), P.raw(), ptrs.data(), P.craw(), P.craw());
    fmpq_mpoly_compose_fmpq_mpoly(qs.raw(), Q.raw(), ptrs.data(), Q.craw(), Q.craw());
    return { std::move(ps), std::move(qs) };
}

void EigenTextsRational(const fmpq_t T, const fmpq_t disc, std::string out[2])
{
    Fmpq half, c;
    fmpq_div_2exp(half.raw(), T, 1);
    fmpq_div_2exp(c.raw(), disc, 2);
    if (fmpq_sgn(c.raw()) >= 0) {
        Quadratic r = fp::SqrtOf(c.raw());
        for (int s = 0; s < 2; ++s) {
            Quadratic l;
            if (fmpq_is_zero(r.q.raw())) {
                (s == 0 ? fmpq_add : fmpq_sub)(l.p.raw(), half.raw(), r.p.raw());
            } else {
                fmpq_set(l.p.raw(), half.raw());
                fmpq_set(l.q.raw(), r.q.raw());
                if (s == 1) fmpq_neg(l.q.raw(), l.q.raw());
                fmpz_set(l.r.raw(), r.r.raw());
            }
            out[s] = fp::QuadraticText(l, RootWord::Racine);
        }
        return;
    }
    fmpq_neg(c.raw(), c.raw());
    Quadratic m = fp::SqrtOf(c.raw());
    std::string mag = fp::QuadraticText(m, RootWord::Racine);
    std::string imag = mag == "1" ? "i" : "i*" + mag;
    std::string re = fmpq_is_zero(half.raw()) ? std::string() : RationalToCanonical(half.raw()) + " ";
    out[0] = re.empty() ? imag : re + "+ " + imag;
    out[1] = re.empty() ? "-" + imag : re + "- " + imag;
}

void EigenTextsDecimal(double T, double disc, std::string out[2])
{
    if (disc >= 0) {
        const double s = std::sqrt(disc);
        out[0] = fp::ShortDecimal((T + s) / 2);
        out[1] = fp::ShortDecimal((T - s) / 2);
    } else {
        const std::string im = "i*" + fp::ShortDecimal(std::sqrt(-disc) / 2);
        const std::string re = T == 0 ? std::string() : fp::ShortDecimal(T / 2) + " ";
        out[0] = re.empty() ? im : re + "+ " + im;
        out[1] = re.empty() ? "-" + im : re + "- " + im;
    }
}

FixedPoint BuildPoint(const SolutionFamily& fam, size_t index, const FmpqMpoly& P, const FmpqMpoly& Q,
    const Jacobian& J, const FixedPointOptions& options, const Deadline& deadline)
{
    FixedPoint pt;
    const bool texts = options.texts == ReportTexts::Written;
    // The powers for every polynomial evaluated here (the discriminant may
    // have a lower degree than the determinant, as for P_x = Q_y).
    PointView view(fam, index,
        std::max<slong>({ TotalDegree(J.disc), TotalDegree(J.det), TotalDegree(P), TotalDegree(Q), 1 }),
        deadline);
    const FmpqMpoly xv = Variable(P.ctx(), 0), yv = Variable(P.ctx(), 1);
    view.Accurate(0);
    view.Accurate(1);
    const FmpqMpoly* entries[2][2] = { { &J.px, &J.py }, { &J.qx, &J.qy } };

    if (fam.degree() == 1) {
        // Rational point: everything exact.
        Fmpq x0, y0;
        fmpq_poly_get_coeff_fmpq(x0.raw(), fam.X().raw(), 0);
        fmpq_poly_get_coeff_fmpq(y0.raw(), fam.Y().raw(), 0);
        Quadratic qx, qy;
        fmpq_set(qx.p.raw(), x0.raw());
        fmpq_set(qy.p.raw(), y0.raw());
        SetCoordinate(pt, 0, qx, view.x(), texts);
        SetCoordinate(pt, 1, qy, view.y(), texts);
        pt.exactness = Exactness::Rational;
        fmpq* vals[2] = { x0.raw(), y0.raw() };
        std::vector<fmpq*> all(static_cast<size_t>(fmpq_mpoly_ctx_nvars(P.craw())), x0.raw());
        all[0] = vals[0];
        all[1] = vals[1];
        auto at = [&](const FmpqMpoly& v) {
            Fmpq r;
            fmpq_mpoly_evaluate_all_fmpq(r.raw(), v.raw(), all.data(), v.craw());
            return r;
        };
        Fmpq jv[2][2];
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 2; ++j) {
                jv[i][j] = at(*entries[i][j]);
                if (texts) pt.jacobianText[i][j] = RationalToCanonical(jv[i][j].raw());
            }
        Fmpq T = at(J.trace), D = at(J.det), disc = at(J.disc);
        if (texts) {
            pt.traceText = RationalToCanonical(T.raw());
            pt.determinantText = RationalToCanonical(D.raw());
            pt.discriminantText = RationalToCanonical(disc.raw());
            EigenTextsRational(T.raw(), disc.raw(), pt.eigenText);
        }
        pt.trace = fmpq_get_d(T.raw());
        pt.determinant = fmpq_get_d(D.raw());
        const bool scalar = fmpq_is_zero(jv[0][1].raw()) && fmpq_is_zero(jv[1][0].raw());
        const bool zero = scalar && fmpq_is_zero(jv[0][0].raw()) && fmpq_is_zero(jv[1][1].raw());
        pt.nature = LinearNature(fmpq_sgn(T.raw()), fmpq_sgn(D.raw()), fmpq_sgn(disc.raw()), scalar, zero);
        if (pt.nature.type == PointType::Undetermined && options.classifier) {
            auto [ps, qs] = Translate(P, Q, x0.raw(), y0.raw());
            if (std::optional<Nature> n = options.classifier(ps, qs)) {
                pt.nature = *n;
                pt.natureSource = NatureSource::LocalClassifier;
            }
        }
        return pt;
    }

    std::optional<Quadratic> ex, ey;
    if (fam.degree() <= kMaxExactFieldDegree) {
        ex = fp::AsQuadratic(fam.X(), fam.modulus(), view.x(), view.prec());
        ey = fp::AsQuadratic(fam.Y(), fam.modulus(), view.y(), view.prec());
    }
    // A coordinate that is exactly 0 is written so in any field.
    if (!ex && arb_contains_zero(view.x()) && fam.CoordinateIsZero(0)) ex.emplace();
    if (!ey && arb_contains_zero(view.y()) && fam.CoordinateIsZero(1)) ey.emplace();
    SetCoordinate(pt, 0, ex, view.x(), texts);
    SetCoordinate(pt, 1, ey, view.y(), texts);
    pt.exactness = ex && ey ? Exactness::Quadratic : Exactness::Decimal;
    auto mid = [](const Arb& b) { return arf_get_d(arb_midref(b.raw()), ARF_RND_NEAR); };
    // The entries once; trace, determinant and discriminant from them by
    // ball arithmetic, their own polynomials (of degree up to 2d - 2) only
    // where a ball holds 0 or is too wide for the decimal shown.
    auto decided = [](const Arb& b) { return arb_is_positive(b.raw()) || arb_is_negative(b.raw()); };
    auto ballSign = [](const Arb& b) { return arb_is_positive(b.raw()) ? 1 : -1; };
    Arb e[2][2];
    int signs[2][2];
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j) {
            e[i][j] = view.Value(*entries[i][j]);
            if (decided(e[i][j])) {
                signs[i][j] = ballSign(e[i][j]);
            } else {
                signs[i][j] = view.Sign(*entries[i][j]);
                e[i][j] = view.Value(*entries[i][j]);
                if (signs[i][j] == 0) arb_zero(e[i][j].raw());
            }
            if (texts) pt.jacobianText[i][j] = signs[i][j] == 0 ? "0" : fp::ShortDecimal(mid(e[i][j]));
        }
    Arb tr, det, disc4, t;
    const slong prec = view.prec();
    arb_add(tr.raw(), e[0][0].raw(), e[1][1].raw(), prec);
    arb_mul(det.raw(), e[0][0].raw(), e[1][1].raw(), prec);
    arb_mul(t.raw(), e[0][1].raw(), e[1][0].raw(), prec);
    arb_sub(det.raw(), det.raw(), t.raw(), prec);
    arb_mul(disc4.raw(), tr.raw(), tr.raw(), prec);
    arb_mul_2exp_si(t.raw(), det.raw(), 2);
    arb_sub(disc4.raw(), disc4.raw(), t.raw(), prec);
    // Sign and decimal of one of the three.
    auto signAndValue = [&](const Arb& ball, const FmpqMpoly& exact, double& value) {
        int sign;
        if (decided(ball)) {
            sign = ballSign(ball);
        } else {
            sign = view.Sign(exact);
            if (sign == 0) {
                value = 0.0;
                return 0;
            }
        }
        value = decided(ball) && arb_rel_accuracy_bits(ball.raw()) >= 60 ? mid(ball) : mid(view.Value(exact));
        return sign;
    };
    double disc = 0;
    const int sT = signAndValue(tr, J.trace, pt.trace), sD = signAndValue(det, J.det, pt.determinant),
              sDisc = signAndValue(disc4, J.disc, disc);
    if (texts) {
        pt.traceText = fp::ShortDecimal(pt.trace);
        pt.determinantText = fp::ShortDecimal(pt.determinant);
        pt.discriminantText = fp::ShortDecimal(disc);
        EigenTextsDecimal(pt.trace, disc, pt.eigenText);
    }
    const bool scalar = signs[0][1] == 0 && signs[1][0] == 0;
    const bool zero = scalar && signs[0][0] == 0 && signs[1][1] == 0;
    pt.nature = LinearNature(sT, sD, sDisc, scalar, zero);
    if (pt.nature.type == PointType::Undetermined && options.algebraicClassifier) {
        // The roots are isolated in the same order as the real points.
        const fp::RootInterval root = fp::IsolateRealRoots(fam.factor()).at(index);
        AlgebraicPoint where;
        where.f = fam.factor();
        arf_get_fmpq(where.lo.raw(), root.lo.raw());
        arf_get_fmpq(where.hi.raw(), root.hi.raw());
        where.x = fam.X();
        where.y = fam.Y();
        if (std::optional<Nature> n = options.algebraicClassifier(P, Q, where)) {
            pt.nature = *n;
            pt.natureSource = NatureSource::LocalClassifier;
        } else if (pt.nature.linearPart == LinearPart::Zero) {
            pt.nature.explanation += fp::texts::kNoBlowupAtIrrationalPoint;
        }
    }
    return pt;
}

// ---- infinity ----------------------------------------------------------------

InfinitePoint Direction(const std::string& text, double m, bool vertical)
{
    InfinitePoint ip;
    ip.directionText = text;
    if (vertical) {
        ip.dx = 0;
        ip.dy = 1;
    } else {
        const double n = std::sqrt(1 + m * m);
        ip.dx = 1 / n;
        ip.dy = m / n;
    }
    ip.nature.type = PointType::Undetermined;
    ip.nature.explanation = fp::texts::kUndetermined;
    return ip;
}

// The directions y = m x, m a real root of hm, sorted by m, each classified in its chart.
void AddSlopes(FixedPointAnalysis& out, const FmpzPoly& hm, const std::string& nx, const std::string& ny,
    const fp::InfinityCharts& charts, bool texts)
{
    std::vector<std::pair<double, InfinitePoint>> found;
    if (fmpz_poly_degree(hm.raw()) > 0) {
        flint::FmpzPolyFactor fac;
        fmpz_poly_factor(fac.raw(), hm.raw());
        for (slong i = 0; i < fac.raw()->num; ++i) {
            FmpzPoly f;
            fmpz_poly_set(f.raw(), fac.raw()->p + i);
            FmpqPoly fq, u;
            fmpq_poly_set_fmpz_poly(fq.raw(), f.raw());
            fmpq_poly_set_coeff_si(u.raw(), 1, 1);
            fmpq_poly_rem(u.raw(), u.raw(), fq.raw());
            for (fp::RootInterval& ri : fp::RealRootsOfIrreducible(f)) {
                fp::RefineRoot(ri, f, 64);
                Arb r;
                fp::RootBall(r.raw(), ri, 128);
                const double m = arf_get_d(arb_midref(r.raw()), ARF_RND_NEAR);
                std::string text;
                std::optional<Quadratic> q;
                if (texts && fmpz_poly_degree(f.raw()) <= 2) q = fp::AsQuadratic(u, fq, r.raw(), 128);
                if (!texts) {
                    // no direction text
                } else if (q && fmpq_is_zero(q->q.raw()) && fmpq_is_zero(q->p.raw())) {
                    text = ny + fp::texts::kAxisOf + nx + ")";
                } else if (q) {
                    std::string mt = fp::QuadraticText(*q, RootWord::Racine);
                    if (mt == "1")
                        mt = "";
                    else if (mt == "-1")
                        mt = "-";
                    else if (mt.find(' ') != std::string::npos)
                        mt = "(" + mt + ")*";
                    else
                        mt += "*";
                    text = ny + " = " + mt + nx;
                } else {
                    text = ny + " = m*" + nx + fp::texts::kSlopeIs + fp::DecimalText(r.raw());
                }
                InfinitePoint ip = Direction(text, m, false);
                charts.ClassifySlope(ip, f, ri);
                found.emplace_back(m, std::move(ip));
            }
        }
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& f : found)
        out.infinite.push_back(std::move(f.second));
}

void AnalyseInfinity(FixedPointAnalysis& out, const FmpqMpoly& P, const FmpqMpoly& Q, slong d,
    const FixedPointOptions& options)
{
    const bool texts = options.texts == ReportTexts::Written;
    const std::string& nx = P.ctx()->names()[0];
    const std::string& ny = P.ctx()->names()[1];
    const FmpqMpoly H = Sub(
        Mul(Variable(P.ctx(), 0), HomogeneousPart(Q, d)), Mul(Variable(P.ctx(), 1), HomogeneousPart(P, d)));
    if (fmpq_mpoly_is_zero(H.raw(), H.craw())) {
        // The whole circle is singular: the points of the field divided by v.
        out.infinity = InfinityKind::LineOfSingularities;
        const fp::InfinityCharts charts = fp::InfinityCharts::Divided(P, Q, d, options.classifier, options.texts);
        FmpqPoly slopes = charts.slopes();
        if (fmpq_poly_degree(slopes.raw()) > 0) {
            FmpzPoly hm;
            fmpq_poly_get_numerator(hm.raw(), slopes.raw());
            AddSlopes(out, hm, nx, ny, charts, texts);
        }
        if (charts.vertical()) {
            out.infinite.push_back(Direction(nx + fp::texts::kAxisOf + ny + ")", 0, true));
            charts.ClassifyVertical(out.infinite.back());
        }
    } else {
        // Directions y = m x: roots of H(1, m); the y-axis when x divides H.
        FmpqMpoly h(P.ctx());
        Fmpq one;
        fmpq_one(one.raw());
        fmpq_mpoly_evaluate_one_fmpq(h.raw(), H.raw(), 0, one.raw(), H.craw());
        const FmpzPoly hm = UnivariateNumerator(h, 1);
        const fp::InfinityCharts charts(P, Q, d, options.classifier, options.algebraicClassifier, options.texts);
        AddSlopes(out, hm, nx, ny, charts, texts);
        if (fmpz_poly_degree(hm.raw()) < d + 1) {
            out.infinite.push_back(Direction(nx + fp::texts::kAxisOf + ny + ")", 0, true));
            charts.ClassifyVertical(out.infinite.back());
        }
    }
    for (InfinitePoint& p : out.infinite)
        FillStandardPortrait(p.nature);
}

} // namespace

// ---- the analysis ------------------------------------------------------------

FixedPointAnalysis AnalyseFixedPoints(
    const FmpqMpoly& P, const FmpqMpoly& Q, const Deadline& deadline, const FixedPointOptions& options)
{
    const slong nv = fmpq_mpoly_ctx_nvars(P.craw());
    if (nv < 2 || P.ctx() != Q.ctx()) throw std::invalid_argument("contexte de polynômes inattendu");
    std::vector<slong> degs(static_cast<size_t>(nv));
    for (const FmpqMpoly* p : { &P, &Q }) {
        fmpq_mpoly_degrees_si(degs.data(), p->raw(), p->craw());
        for (slong v = 2; v < nv; ++v) {
            if (degs[static_cast<size_t>(v)] > 0)
                throw std::invalid_argument("le système contient des constantes littérales");
        }
    }
    FixedPointAnalysis out;
    const slong d = std::max<slong>({ TotalDegree(P), TotalDegree(Q), 0 });
    out.degree = static_cast<int>(d);
    out.xName = P.ctx()->names()[0];
    out.yName = P.ctx()->names()[1];
    if (options.texts == ReportTexts::Written) {
        out.pText = ToReport(P);
        out.qText = ToReport(Q);
    }
    const bool pZero = fmpq_mpoly_is_zero(P.raw(), P.craw()), qZero = fmpq_mpoly_is_zero(Q.raw(), Q.craw());
    if (pZero && qZero) {
        out.wholePlaneFixed = true;
        out.infinity = InfinityKind::LineOfSingularities;
        return out;
    }
    AnalyseInfinity(out, P, Q, d, options);

    bool curvesDone = false;
    try {
        FmpqMpoly G(P.ctx()), P1(P.ctx()), Q1(P.ctx());
        fmpq_mpoly_gcd(G.raw(), P.raw(), Q.raw(), P.craw());
        fmpq_mpoly_div(P1.raw(), P.raw(), G.raw(), P.craw());
        fmpq_mpoly_div(Q1.raw(), Q.raw(), G.raw(), P.craw());
        // Gc: the factors with a real curve; the real points of the others are
        // isolated fixed points (x^2 + y^2 has only the origin).
        FmpqMpoly Gc(P.ctx()), Gi(P.ctx());
        fmpq_mpoly_one(Gc.raw(), P.craw());
        fmpq_mpoly_one(Gi.raw(), P.craw());
        std::vector<SolutionFamily> singular;
        if (TotalDegree(G) > 0) {
            flint::FmpqMpolyFactor fac(P.ctx());
            fmpq_mpoly_factor(fac.raw(), G.raw(), P.craw());
            for (slong i = 0; i < fac.raw()->num; ++i) {
                FmpqMpoly g(P.ctx());
                fmpq_mpoly_set(g.raw(), fac.raw()->poly + i, P.craw());
                RealZeroSet zeros = RealZerosOf(g, deadline);
                if (zeros.curve) {
                    out.curves.push_back(CurveOf(g));
                    Gc = Mul(Gc, g);
                    continue;
                }
                // A point shared with an earlier factor is kept once.
                for (SolutionFamily& fam : zeros.isolated)
                    if (!fmpq_poly_is_zero(fam.ExactValue(Gi).raw())) singular.push_back(std::move(fam));
                Gi = Mul(Gi, g);
            }
            std::sort(out.curves.begin(), out.curves.end(),
                [](const FixedCurve& a, const FixedCurve& b) { return a.json < b.json; });
        }
        const bool curves = TotalDegree(Gc) > 0, isolatedFactors = TotalDegree(Gi) > 0;
        curvesDone = true;
        const Jacobian J(P, Q);
        for (const SolutionFamily& fam : singular) {
            // On a curve of fixed points: not isolated.
            if (curves && fmpq_poly_is_zero(fam.ExactValue(Gc).raw())) continue;
            for (long i = 0; i < fam.realCount(); ++i)
                out.points.push_back(BuildPoint(fam, static_cast<size_t>(i), P, Q, J, options, deadline));
        }
        for (const SolutionFamily& fam : fp::SolveCoprime(P1, Q1, deadline)) {
            // Points of Gc = 0 belong to a curve: not isolated; those of Gi = 0
            // are among the points above, or complex points of a complex curve.
            if (curves && fmpq_poly_is_zero(fam.ExactValue(Gc).raw())) continue;
            if (isolatedFactors && fmpq_poly_is_zero(fam.ExactValue(Gi).raw())) continue;
            const long real = fam.realCount();
            out.complexCount += static_cast<int>(fam.degree() - real);
            for (long i = 0; i < real; ++i) {
                out.points.push_back(BuildPoint(fam, static_cast<size_t>(i), P, Q, J, options, deadline));
            }
        }
        std::sort(out.points.begin(), out.points.end(), [](const FixedPoint& a, const FixedPoint& b) {
            return a.xApprox != b.xApprox ? a.xApprox < b.xApprox : a.yApprox < b.yApprox;
        });
        for (FixedPoint& p : out.points)
            FillStandardPortrait(p.nature);
    } catch (const LimitExceeded& e) {
        out.pointsCertified = false;
        out.points.clear();
        out.complexCount = 0;
        out.notice = std::string(fp::texts::kNotCertified)
            + (deadline.expired() ? fp::texts::TimeUp(deadline.announced()) : std::string(e.what())) + "\n"
            + (curvesDone ? fp::texts::kCurvesCertified : fp::texts::kCurvesUnknown);
    }
    return out;
}

bool HasRealCurve(const FmpqMpoly& g, const Deadline& deadline)
{
    if (TotalDegree(g) <= 0) return false;
    flint::FmpqMpolyFactor fac(g.ctx());
    fmpq_mpoly_factor(fac.raw(), g.raw(), g.craw());
    for (slong i = 0; i < fac.raw()->num; ++i) {
        FmpqMpoly f(g.ctx());
        fmpq_mpoly_set(f.raw(), fac.raw()->poly + i, g.craw());
        if (RealZerosOf(f, deadline).curve) return true;
    }
    return false;
}

const char* JsonName(LinearPart part)
{
    switch (part) {
    case LinearPart::Hyperbolic:
        return "hyperbolic";
    case LinearPart::Imaginary:
        return "imaginary";
    case LinearPart::SemiHyperbolic:
        return "semi-hyperbolic";
    case LinearPart::Nilpotent:
        return "nilpotent";
    case LinearPart::Zero:
        return "zero";
    }
    return "hyperbolic";
}

const char* JsonName(PointType type)
{
    switch (type) {
    case PointType::Saddle:
        return "saddle";
    case PointType::Node:
        return "node";
    case PointType::StarNode:
        return "star_node";
    case PointType::DegenerateNode:
        return "degenerate_node";
    case PointType::Focus:
        return "focus";
    case PointType::Center:
        return "center";
    case PointType::WeakFocus:
        return "weak_focus";
    case PointType::SaddleNode:
        return "saddle_node";
    case PointType::Cusp:
        return "cusp";
    case PointType::EllipticSaddle:
        return "elliptic_saddle";
    case PointType::Degenerate:
        return "degenerate";
    case PointType::Undetermined:
        return "undetermined";
    }
    return "undetermined";
}

const char* JsonName(Stability stability)
{
    switch (stability) {
    case Stability::Stable:
        return "stable";
    case Stability::Unstable:
        return "unstable";
    case Stability::None:
        return nullptr;
    }
    return nullptr;
}

} // namespace vindrel::engine
