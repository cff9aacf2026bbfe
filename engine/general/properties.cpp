// System properties decided exactly over Q, and the search for invariant
// straight lines.
#include "engine/fixedpoints/fixed_points.h"
#include "engine/general/general.h"
#include "engine/general/messages.h"
#include "engine/general/text.h"

#include "engine/flint/factor_types.h"
#include "engine/poly/algebra.h"

#include <array>
#include <memory>

namespace vindrel::engine::general {

using flint::FmpqPoly;
using flint::Fmpz;
using flint::MpolyCtx;

namespace {

struct Term {
    Fmpq coeff;
    std::vector<slong> exps;
};

std::vector<Term> Terms(const FmpqMpoly& p)
{
    std::vector<Term> out;
    const slong len = fmpq_mpoly_length(p.raw(), p.craw());
    for (slong i = 0; i < len; ++i) {
        Term t;
        t.exps.resize(static_cast<size_t>(p.ctx()->nvars()));
        fmpq_mpoly_get_term_coeff_fmpq(t.coeff.raw(), p.raw(), i, p.craw());
        fmpq_mpoly_get_term_exp_si(t.exps.data(), p.raw(), i, p.craw());
        out.push_back(std::move(t));
    }
    return out;
}

bool Equal(const FmpqMpoly& a, const FmpqMpoly& b)
{
    return fmpq_mpoly_equal(a.raw(), b.raw(), a.craw());
}

// Total degree in x and y only (literal constants do not count); -1 for zero.
int DegreeXY(const FmpqMpoly& p)
{
    int d = -1;
    for (const auto& t : Terms(p))
        d = std::max(d, static_cast<int>(t.exps[0] + t.exps[1]));
    return d;
}

bool HasParameters(const FmpqMpoly& p)
{
    for (const auto& t : Terms(p))
        for (size_t i = 2; i < t.exps.size(); ++i)
            if (t.exps[i] != 0) return true;
    return false;
}

// Every term satisfies the predicate on its exponents of x and y.
template <typename Pred> bool AllTerms(const FmpqMpoly& p, Pred pred)
{
    for (const auto& t : Terms(p))
        if (!pred(t.exps[0], t.exps[1])) return false;
    return true;
}

bool Homogeneous(const FmpqMpoly& p, int degree)
{
    return AllTerms(p, [&](slong ex, slong ey) { return ex + ey == degree; });
}

// Sign of a symmetric 3x3 rational matrix: +1 positive semidefinite,
// -1 negative semidefinite, 0 neither.
int SemidefiniteSign(const std::array<std::array<Fmpq, 3>, 3>& m)
{
    auto psd = [](const std::array<std::array<Fmpq, 3>, 3>& a) {
        Fmpq t, u;
        for (int i = 0; i < 3; ++i)
            if (fmpq_sgn(a[i][i].raw()) < 0) return false;
        for (int i = 0; i < 3; ++i)
            for (int j = i + 1; j < 3; ++j) {
                fmpq_mul(t.raw(), a[i][i].raw(), a[j][j].raw());
                fmpq_mul(u.raw(), a[i][j].raw(), a[i][j].raw());
                fmpq_sub(t.raw(), t.raw(), u.raw());
                if (fmpq_sgn(t.raw()) < 0) return false;
            }
        // Full determinant.
        Fmpq det, c;
        for (int j = 0; j < 3; ++j) {
            const int j1 = (j + 1) % 3, j2 = (j + 2) % 3;
            fmpq_mul(t.raw(), a[1][j1].raw(), a[2][j2].raw());
            fmpq_mul(u.raw(), a[1][j2].raw(), a[2][j1].raw());
            fmpq_sub(c.raw(), t.raw(), u.raw());
            fmpq_mul(c.raw(), c.raw(), a[0][j].raw());
            fmpq_add(det.raw(), det.raw(), c.raw());
        }
        return fmpq_sgn(det.raw()) >= 0;
    };
    if (psd(m)) return 1;
    auto neg = m;
    for (auto& row : neg)
        for (auto& e : row)
            fmpq_neg(e.raw(), e.raw());
    if (psd(neg)) return -1;
    return 0;
}

void DecideDivergenceSign(const FmpqMpoly& div, SystemProperties& props)
{
    if (IsZero(div)) {
        props.divergenceSign = DivergenceSign::Zero;
        props.divergenceSignReason = msg::kDivZero;
        return;
    }
    const int deg = DegreeXY(div);
    const auto terms = Terms(div);
    if (deg == 0) {
        const bool pos = fmpq_sgn(terms[0].coeff.raw()) > 0;
        props.divergenceSign = pos ? DivergenceSign::NonNegative : DivergenceSign::NonPositive;
        props.divergenceSignReason = pos ? msg::kDivConstantPositive : msg::kDivConstantNegative;
        return;
    }
    if (deg % 2 == 1) {
        props.divergenceSign = DivergenceSign::ChangesSign;
        props.divergenceSignReason = msg::kDivOddDegree;
        return;
    }
    // Every term an even power of x and of y, all coefficients of one sign.
    int sign = 0;
    bool evenTerms = true;
    for (const auto& t : terms) {
        const int s = fmpq_sgn(t.coeff.raw());
        if (t.exps[0] % 2 || t.exps[1] % 2 || (sign != 0 && s != sign)) {
            evenTerms = false;
            break;
        }
        sign = s;
    }
    if (evenTerms) {
        props.divergenceSign = sign > 0 ? DivergenceSign::NonNegative : DivergenceSign::NonPositive;
        props.divergenceSignReason = sign > 0 ? msg::kDivEvenPositive : msg::kDivEvenNegative;
        return;
    }
    // Plus or minus a perfect square.
    FmpqMpoly root(div.ctx()), neg(div.ctx());
    if (fmpq_mpoly_sqrt(root.raw(), div.raw(), div.craw())) {
        props.divergenceSign = DivergenceSign::NonNegative;
        props.divergenceSignReason = msg::kDivSquarePrefix + PolyText(root) + ")².";
        return;
    }
    fmpq_mpoly_neg(neg.raw(), div.raw(), div.craw());
    if (fmpq_mpoly_sqrt(root.raw(), neg.raw(), div.craw())) {
        props.divergenceSign = DivergenceSign::NonPositive;
        props.divergenceSignReason = msg::kDivMinusSquarePrefix + PolyText(root) + ")².";
        return;
    }
    if (deg == 2) {
        // d = (x, y, 1) M (x, y, 1)^T: d >= 0 everywhere exactly when M is
        // positive semidefinite.
        std::array<std::array<Fmpq, 3>, 3> m;
        for (const auto& t : terms) {
            Fmpq half;
            fmpq_div_2exp(half.raw(), t.coeff.raw(), 1);
            const slong ex = t.exps[0], ey = t.exps[1];
            auto put = [&](int i, int j, const Fmpq& v) {
                m[i][j] = v;
                m[j][i] = v;
            };
            if (ex == 2)
                put(0, 0, t.coeff);
            else if (ey == 2)
                put(1, 1, t.coeff);
            else if (ex == 1 && ey == 1)
                put(0, 1, half);
            else if (ex == 1)
                put(0, 2, half);
            else if (ey == 1)
                put(1, 2, half);
            else
                put(2, 2, t.coeff);
        }
        const int s = SemidefiniteSign(m);
        if (s > 0) {
            props.divergenceSign = DivergenceSign::NonNegative;
            props.divergenceSignReason = msg::kDivQuadraticPositive;
        } else if (s < 0) {
            props.divergenceSign = DivergenceSign::NonPositive;
            props.divergenceSignReason = msg::kDivQuadraticNegative;
        } else {
            props.divergenceSign = DivergenceSign::ChangesSign;
            props.divergenceSignReason = msg::kDivQuadraticChanges;
        }
        return;
    }
    props.divergenceSign = DivergenceSign::Unknown;
    props.divergenceSignReason = msg::kDivUnknown;
}

// Rational roots of a univariate polynomial, without repetition.
std::vector<Fmpq> RationalRoots(const FmpqPoly& f)
{
    std::vector<Fmpq> roots;
    if (fmpq_poly_degree(f.raw()) < 1) return roots;
    flint::FmpzPoly num;
    fmpq_poly_get_numerator(num.raw(), f.raw());
    flint::FmpzPolyFactor fac;
    fmpz_poly_factor(fac.raw(), num.raw());
    for (slong i = 0; i < fac.raw()->num; ++i) {
        const fmpz_poly_struct* g = fac.raw()->p + i;
        if (fmpz_poly_degree(g) != 1) continue;
        Fmpq r;
        fmpq_set_fmpz_frac(r.raw(), g->coeffs + 0, g->coeffs + 1);
        fmpq_neg(r.raw(), r.raw());
        roots.push_back(std::move(r));
    }
    return roots;
}

// a x + b y + c scaled to coprime integers with a positive leading coefficient.
FmpqMpoly LinePoly(const flint::MpolyCtxPtr& ctx, const Fmpq& a, const Fmpq& b, const Fmpq& c)
{
    FmpqMpoly L(ctx), t(ctx);
    fmpq_mpoly_scalar_mul_fmpq(t.raw(), Variable(ctx, 0).raw(), a.raw(), ctx->raw());
    fmpq_mpoly_add(L.raw(), L.raw(), t.raw(), ctx->raw());
    fmpq_mpoly_scalar_mul_fmpq(t.raw(), Variable(ctx, 1).raw(), b.raw(), ctx->raw());
    fmpq_mpoly_add(L.raw(), L.raw(), t.raw(), ctx->raw());
    fmpq_mpoly_add_fmpq(L.raw(), L.raw(), c.raw(), ctx->raw());
    // Primitive integer form: divide by the content, leading coefficient > 0.
    Fmpq content, lead;
    fmpq_mpoly_content(content.raw(), L.raw(), ctx->raw());
    if (!fmpq_is_zero(content.raw())) {
        fmpq_mpoly_scalar_div_fmpq(L.raw(), L.raw(), content.raw(), ctx->raw());
        fmpq_mpoly_get_term_coeff_fmpq(lead.raw(), L.raw(), 0, ctx->raw());
        if (fmpq_sgn(lead.raw()) < 0) fmpq_mpoly_neg(L.raw(), L.raw(), ctx->raw());
    }
    return L;
}

// Lines of direction (u, v) = (r, 1), written x - r y + c = 0, or (1, 0),
// written y + c = 0: restrict a P + b Q to the line and ask that every
// coefficient in the parameter t vanish, as polynomials in c.
void LinesOfDirection(const FmpqMpoly& P, const FmpqMpoly& Q, const Fmpq* r, SystemProperties& props)
{
    auto ctx2 = std::make_shared<const MpolyCtx>(std::vector<std::string> { "t", "c" });
    const auto& ctx = P.ctx();
    Fmpq a, b;
    FmpqMpoly X(ctx2), Y(ctx2), tg = Variable(ctx2, 0), cg = Variable(ctx2, 1);
    if (r) {
        fmpq_one(a.raw());
        fmpq_neg(b.raw(), r->raw());
        fmpq_mpoly_scalar_mul_fmpq(X.raw(), tg.raw(), r->raw(), ctx2->raw());
        fmpq_mpoly_sub(X.raw(), X.raw(), cg.raw(), ctx2->raw());
        Y = tg;
    } else {
        fmpq_one(b.raw());
        X = tg;
        fmpq_mpoly_neg(Y.raw(), cg.raw(), ctx2->raw());
    }
    FmpqMpoly G(ctx), t1(ctx);
    fmpq_mpoly_scalar_mul_fmpq(G.raw(), P.raw(), a.raw(), ctx->raw());
    fmpq_mpoly_scalar_mul_fmpq(t1.raw(), Q.raw(), b.raw(), ctx->raw());
    fmpq_mpoly_add(G.raw(), G.raw(), t1.raw(), ctx->raw());

    std::vector<FmpqMpoly> zeros;
    std::vector<fmpq_mpoly_struct*> subs;
    subs.push_back(X.raw());
    subs.push_back(Y.raw());
    for (slong i = 2; i < ctx->nvars(); ++i)
        zeros.emplace_back(ctx2);
    for (auto& z : zeros)
        subs.push_back(z.raw());
    FmpqMpoly R(ctx2);
    fmpq_mpoly_compose_fmpq_mpoly(R.raw(), G.raw(), subs.data(), ctx->raw(), ctx2->raw());

    // Coefficients of t^k as polynomials in c.
    std::vector<FmpqPoly> coeffs;
    for (const auto& term : Terms(R)) {
        const auto k = static_cast<size_t>(term.exps[0]);
        if (coeffs.size() <= k) coeffs.resize(k + 1);
        Fmpq old;
        fmpq_poly_get_coeff_fmpq(old.raw(), coeffs[k].raw(), term.exps[1]);
        fmpq_add(old.raw(), old.raw(), term.coeff.raw());
        fmpq_poly_set_coeff_fmpq(coeffs[k].raw(), term.exps[1], old.raw());
    }
    FmpqPoly g;
    for (const auto& c : coeffs)
        fmpq_poly_gcd(g.raw(), g.raw(), c.raw());

    if (fmpq_poly_is_zero(g.raw())) {
        InvariantLine line;
        line.kind = LineKind::ParallelFamily;
        line.a = a;
        line.b = b;
        line.text = PolyText(LinePoly(ctx, a, b, Fmpq())) + " = constante";
        props.invariantLines.push_back(std::move(line));
        return;
    }
    for (auto& c : RationalRoots(g)) {
        FmpqMpoly L = LinePoly(ctx, a, b, c);
        // Check the defining property directly: L divides a P + b Q.
        FmpqMpoly quotient(ctx);
        if (!fmpq_mpoly_divides(quotient.raw(), G.raw(), L.raw(), ctx->raw())) continue;
        InvariantLine line;
        line.a = a;
        line.b = b;
        line.c = std::move(c);
        line.text = PolyText(L) + " = 0";
        props.invariantLines.push_back(std::move(line));
    }
}

void FindInvariantLines(
    const FmpqMpoly& P, const FmpqMpoly& Q, SystemProperties& props, const Deadline& deadline)
{
    const auto& ctx = P.ctx();
    const int d = props.degree;
    // Points at infinity: the zeros of H = x Q_d - y P_d; an invariant line
    // goes through one of them.
    FmpqMpoly H(ctx), t(ctx);
    fmpq_mpoly_mul(H.raw(), Variable(ctx, 0).raw(), HomogeneousPart(Q, d).raw(), ctx->raw());
    fmpq_mpoly_mul(t.raw(), Variable(ctx, 1).raw(), HomogeneousPart(P, d).raw(), ctx->raw());
    fmpq_mpoly_sub(H.raw(), H.raw(), t.raw(), ctx->raw());
    if (IsZero(H)) {
        props.linesSearched = false;
        return;
    }
    props.linesSearched = true;
    // h(s) = H(s, 1): its rational roots give the directions (s, 1); a drop
    // of degree means that y divides H, the direction (1, 0).
    FmpqPoly h;
    for (const auto& term : Terms(H))
        fmpq_poly_set_coeff_fmpq(h.raw(), term.exps[0], term.coeff.raw());
    for (const auto& r : RationalRoots(h)) {
        deadline.check();
        LinesOfDirection(P, Q, &r, props);
    }
    if (fmpq_poly_degree(h.raw()) < d + 1) LinesOfDirection(P, Q, nullptr, props);
}

bool IsLotkaVolterra(const FmpqMpoly& P, const FmpqMpoly& Q)
{
    return AllTerms(P, [](slong ex, slong ey) { return ex >= 1 && ex - 1 + ey <= 1; })
        && AllTerms(Q, [](slong ex, slong ey) { return ey >= 1 && ex + ey - 1 <= 1; });
}

} // namespace

SystemProperties AnalyseProperties(const FmpqMpoly& P, const FmpqMpoly& Q, const Deadline& deadline)
{
    SystemProperties props;
    const auto& ctx = P.ctx();
    FmpqMpoly Px = Derivative(P, 0), Py = Derivative(P, 1), Qx = Derivative(Q, 0), Qy = Derivative(Q, 1);
    FmpqMpoly div(ctx);
    fmpq_mpoly_add(div.raw(), Px.raw(), Qy.raw(), ctx->raw());
    props.divergenceText = PolyText(div);
    props.divergenceSum = "(" + PolyText(Px) + ") + (" + PolyText(Qy) + ")";
    props.jacobian[0] = PolyText(Px);
    props.jacobian[1] = PolyText(Py);
    props.jacobian[2] = PolyText(Qx);
    props.jacobian[3] = PolyText(Qy);
    props.hamiltonian = IsZero(div);
    props.degree = std::max(DegreeXY(P), DegreeXY(Q));
    props.hasParameters = HasParameters(P) || HasParameters(Q);
    if (props.hasParameters) return props;
    props.zeroSystem = IsZero(P) && IsZero(Q);
    if (props.zeroSystem) {
        props.degree = 0;
        return props;
    }
    props.linear = props.degree <= 1;
    props.gradient = Equal(Py, Qx);
    const int dp = DegreeXY(P), dq = DegreeXY(Q);
    props.homogeneous
        = (dp < 0 || Homogeneous(P, dp)) && (dq < 0 || Homogeneous(Q, dq)) && (dp < 0 || dq < 0 || dp == dq);
    props.lotkaVolterra = IsLotkaVolterra(P, Q);

    auto odd = [](slong e) { return e % 2 == 1; };
    auto even = [](slong e) { return e % 2 == 0; };
    if (AllTerms(P, [&](slong, slong ey) { return odd(ey); })
        && AllTerms(Q, [&](slong, slong ey) { return even(ey); }))
        props.symmetries.push_back(Symmetry::ReverseY);
    if (AllTerms(P, [&](slong ex, slong) { return even(ex); })
        && AllTerms(Q, [&](slong ex, slong) { return odd(ex); }))
        props.symmetries.push_back(Symmetry::ReverseX);
    if (AllTerms(P, [&](slong ex, slong ey) { return odd(ex + ey); })
        && AllTerms(Q, [&](slong ex, slong ey) { return odd(ex + ey); }))
        props.symmetries.push_back(Symmetry::Central);

    if (props.linear) {
        Fmpq T, D, disc, ad, bc;
        std::vector<fmpq*> zero(static_cast<size_t>(ctx->nvars()));
        std::vector<Fmpq> vals(zero.size());
        for (size_t i = 0; i < zero.size(); ++i)
            zero[i] = vals[i].raw();
        Fmpq a, b, c, d;
        fmpq_mpoly_evaluate_all_fmpq(a.raw(), Px.raw(), zero.data(), ctx->raw());
        fmpq_mpoly_evaluate_all_fmpq(b.raw(), Py.raw(), zero.data(), ctx->raw());
        fmpq_mpoly_evaluate_all_fmpq(c.raw(), Qx.raw(), zero.data(), ctx->raw());
        fmpq_mpoly_evaluate_all_fmpq(d.raw(), Qy.raw(), zero.data(), ctx->raw());
        fmpq_add(T.raw(), a.raw(), d.raw());
        fmpq_mul(ad.raw(), a.raw(), d.raw());
        fmpq_mul(bc.raw(), b.raw(), c.raw());
        fmpq_sub(D.raw(), ad.raw(), bc.raw());
        fmpq_mul(disc.raw(), T.raw(), T.raw());
        Fmpq fourD;
        fmpq_mul_2exp(fourD.raw(), D.raw(), 2);
        fmpq_sub(disc.raw(), disc.raw(), fourD.raw());
        const bool scalar = fmpq_is_zero(b.raw()) && fmpq_is_zero(c.raw()) && fmpq_equal(a.raw(), d.raw());
        const bool zeroJ = scalar && fmpq_is_zero(a.raw());
        props.linearType
            = ClassifyLinear(fmpq_sgn(T.raw()), fmpq_sgn(D.raw()), fmpq_sgn(disc.raw()), scalar, zeroJ);
    }

    deadline.check();
    DecideDivergenceSign(div, props);

    FmpqMpoly g(ctx);
    fmpq_mpoly_gcd(g.raw(), P.raw(), Q.raw(), ctx->raw());
    if (!IsZero(g) && DegreeXY(g) > 0) {
        if (HasRealCurve(g, deadline))
            props.commonFactor = PolyText(g);
        else
            props.isolatedCommonFactor = PolyText(g);
    }

    deadline.check();
    FindInvariantLines(P, Q, props, deadline);
    return props;
}

} // namespace vindrel::engine::general
