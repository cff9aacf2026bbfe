// An invariant algebraic curve of degree 2, 3 or 4 through a numerical
// cycle: least squares on points of the cycle (the eigenvector of the
// smallest eigenvalue of A^T A), the coefficients rationalised by continued
// fractions, then the identity P f_x + Q f_y = K f checked exactly. A real
// non-degenerate ellipse, or a quartic with no real point at infinity and
// no singular point that changes sign at the cycle, with no fixed point on
// it, carries a periodic orbit; along it the integral of the divergence over
// a period equals that of K (f is a coordinate across the curve and
// d(f)/dt = K f), so K of one sign there gives a hyperbolic limit cycle.
#include "engine/periodic/exact.h"
#include "engine/periodic/texts.h"

#include "engine/poly/algebra.h"
#include "engine/poly/print.h"

#include <array>
#include <cmath>

namespace vindrel::engine::periodic {

namespace {

using Matrix = std::vector<std::vector<double>>;

// Eigen-decomposition of a symmetric matrix by Jacobi rotations: the
// eigenvalues on the diagonal of a, the eigenvectors in the columns of v.
void Jacobi(Matrix& a, Matrix& v)
{
    const size_t n = a.size();
    v.assign(n, std::vector<double>(n, 0.0));
    for (size_t i = 0; i < n; ++i)
        v[i][i] = 1;
    for (int sweep = 0; sweep < 60; ++sweep) {
        double off = 0;
        for (size_t i = 0; i < n; ++i)
            for (size_t j = i + 1; j < n; ++j)
                off += a[i][j] * a[i][j];
        if (off < 1e-300) return;
        for (size_t p = 0; p < n; ++p)
            for (size_t q = p + 1; q < n; ++q) {
                const double apq = a[p][q];
                if (apq == 0) continue;
                const double theta = (a[q][q] - a[p][p]) / (2 * apq);
                const double t = (theta >= 0 ? 1 : -1) / (std::abs(theta) + std::sqrt(theta * theta + 1));
                const double c = 1 / std::sqrt(t * t + 1), s = t * c;
                for (size_t k = 0; k < n; ++k) {
                    const double akp = a[k][p], akq = a[k][q];
                    a[k][p] = c * akp - s * akq;
                    a[k][q] = s * akp + c * akq;
                }
                for (size_t k = 0; k < n; ++k) {
                    const double apk = a[p][k], aqk = a[q][k];
                    a[p][k] = c * apk - s * aqk;
                    a[q][k] = s * apk + c * aqk;
                }
                for (size_t k = 0; k < n; ++k) {
                    const double vkp = v[k][p], vkq = v[k][q];
                    v[k][p] = c * vkp - s * vkq;
                    v[k][q] = s * vkp + c * vkq;
                }
            }
    }
}

// A rational within tol of v with a denominator at most maxDen.
std::optional<flint::Fmpq> Rationalise(double v, double tol, long maxDen)
{
    long h0 = 0, h1 = 1, k0 = 1, k1 = 0;
    double x = v;
    for (int i = 0; i < 40; ++i) {
        const double a = std::floor(x);
        if (std::abs(a) > 1e9) break;
        const long ai = long(a);
        const long h2 = ai * h1 + h0, k2 = ai * k1 + k0;
        if (k2 > maxDen) break;
        h0 = h1;
        h1 = h2;
        k0 = k1;
        k1 = k2;
        if (std::abs(double(h1) / double(k1) - v) <= tol) {
            flint::Fmpq q;
            fmpq_set_si(q.raw(), h1, ulong(k1));
            return q;
        }
        if (x - a < 1e-15) break;
        x = 1 / (x - a);
    }
    return std::nullopt;
}

flint::Fmpq Coeff(const FmpqMpoly& f, int i, int j)
{
    flint::Fmpq c;
    std::vector<ulong> e(static_cast<size_t>(f.ctx()->nvars()));
    e[0] = ulong(i);
    e[1] = ulong(j);
    fmpq_mpoly_get_coeff_fmpq_ui(c.raw(), f.raw(), e.data(), f.craw());
    return c;
}

// Ellipse: 4AC - B^2 > 0, det M <> 0 and A det M < 0 (M the 3x3 matrix of f).
bool RealEllipse(const FmpqMpoly& f)
{
    const flint::Fmpq A = Coeff(f, 2, 0), B = Coeff(f, 1, 1), C = Coeff(f, 0, 2), D = Coeff(f, 1, 0),
                      E = Coeff(f, 0, 1), F = Coeff(f, 0, 0);
    flint::Fmpq t, u, disc;
    fmpq_mul(t.raw(), A.raw(), C.raw());
    fmpq_mul_si(t.raw(), t.raw(), 4);
    fmpq_mul(u.raw(), B.raw(), B.raw());
    fmpq_sub(disc.raw(), t.raw(), u.raw());
    if (fmpq_sgn(disc.raw()) <= 0) return false;
    // 4 det M = 4ACF + BDE - AE^2 - CD^2 - FB^2
    flint::Fmpq det;
    fmpq_mul(t.raw(), A.raw(), C.raw());
    fmpq_mul(t.raw(), t.raw(), F.raw());
    fmpq_mul_si(det.raw(), t.raw(), 4);
    fmpq_mul(t.raw(), B.raw(), D.raw());
    fmpq_mul(t.raw(), t.raw(), E.raw());
    fmpq_add(det.raw(), det.raw(), t.raw());
    fmpq_mul(t.raw(), E.raw(), E.raw());
    fmpq_mul(t.raw(), t.raw(), A.raw());
    fmpq_sub(det.raw(), det.raw(), t.raw());
    fmpq_mul(t.raw(), D.raw(), D.raw());
    fmpq_mul(t.raw(), t.raw(), C.raw());
    fmpq_sub(det.raw(), det.raw(), t.raw());
    fmpq_mul(t.raw(), B.raw(), B.raw());
    fmpq_mul(t.raw(), t.raw(), F.raw());
    fmpq_sub(det.raw(), det.raw(), t.raw());
    return fmpq_sgn(det.raw()) != 0 && fmpq_sgn(A.raw()) * fmpq_sgn(det.raw()) < 0;
}

// No common zero of f, P and Q, even complex: the resultants of f with P
// and with Q in one variable have no common factor.
bool NoCommonZero(const FmpqMpoly& f, const FmpqMpoly& P, const FmpqMpoly& Q)
{
    for (slong var : { 1, 0 }) {
        FmpqMpoly r1(f.ctx()), r2(f.ctx()), g(f.ctx());
        if (!fmpq_mpoly_resultant(r1.raw(), f.raw(), P.raw(), var, f.craw())) continue;
        if (!fmpq_mpoly_resultant(r2.raw(), f.raw(), Q.raw(), var, f.craw())) continue;
        if (IsZero(r1) || IsZero(r2)) continue;
        fmpq_mpoly_gcd(g.raw(), r1.raw(), r2.raw(), f.craw());
        if (fmpq_mpoly_total_degree_si(g.raw(), f.craw()) == 0) return true;
    }
    return false;
}

// The curve of degree d through the points, when there is one and only one,
// with rational coefficients.
std::optional<FmpqMpoly> Fit(const std::vector<Vec>& pts, int d, const flint::MpolyCtxPtr& ctx)
{
    std::vector<std::pair<int, int>> ex;
    for (int k = d; k >= 0; --k)
        for (int i = k; i >= 0; --i)
            ex.push_back({ i, k - i });
    const size_t n = ex.size();
    Matrix m(n, std::vector<double>(n, 0.0));
    const size_t step = std::max<size_t>(1, pts.size() / 80);
    std::vector<double> row(n);
    for (size_t k = 0; k < pts.size(); k += step) {
        for (size_t i = 0; i < n; ++i)
            row[i] = std::pow(pts[k].x, ex[i].first) * std::pow(pts[k].y, ex[i].second);
        for (size_t i = 0; i < n; ++i)
            for (size_t j = 0; j < n; ++j)
                m[i][j] += row[i] * row[j];
    }
    Matrix v;
    Jacobi(m, v);
    size_t lo = 0;
    double top = 0;
    for (size_t i = 0; i < n; ++i) {
        top = std::max(top, m[i][i]);
        if (m[i][i] < m[lo][lo]) lo = i;
    }
    double second = top;
    for (size_t i = 0; i < n; ++i)
        if (i != lo) second = std::min(second, m[i][i]);
    if (m[lo][lo] > 1e-14 * top || second < 1e-8 * top) return std::nullopt;
    double big = 0;
    for (size_t i = 0; i < n; ++i)
        if (std::abs(v[i][lo]) > std::abs(big)) big = v[i][lo];
    FmpqMpoly f(ctx);
    for (size_t i = 0; i < n; ++i) {
        const auto q = Rationalise(v[i][lo] / big, 1e-7, 1000);
        if (!q) return std::nullopt;
        std::vector<ulong> e(static_cast<size_t>(ctx->nvars()));
        e[0] = ulong(ex[i].first);
        e[1] = ulong(ex[i].second);
        fmpq_mpoly_set_coeff_fmpq_ui(f.raw(), q->raw(), e.data(), ctx->raw());
    }
    if (fmpq_mpoly_total_degree_si(f.raw(), ctx->raw()) != d) return std::nullopt;
    // Integer coefficients without common factor, the first term positive.
    flint::Fmpq content, lead;
    fmpq_mpoly_content(content.raw(), f.raw(), ctx->raw());
    fmpq_mpoly_scalar_div_fmpq(f.raw(), f.raw(), content.raw(), ctx->raw());
    fmpq_mpoly_get_term_coeff_fmpq(lead.raw(), f.raw(), 0, ctx->raw());
    if (fmpq_sgn(lead.raw()) < 0) fmpq_mpoly_neg(f.raw(), f.raw(), ctx->raw());
    return f;
}

flint::Fmpq ExactOf(double v)
{
    // v to 2^-40: a dyadic rational near it.
    flint::Fmpz num, den;
    fmpz_set_d(num.raw(), std::round(std::ldexp(v, 40)));
    fmpz_one(den.raw());
    fmpz_mul_2exp(den.raw(), den.raw(), 40);
    flint::Fmpq q;
    fmpq_set_fmpz_frac(q.raw(), num.raw(), den.raw());
    return q;
}

int SignAt(const FmpqMpoly& f, double x, double y)
{
    std::vector<flint::Fmpq> vals(static_cast<size_t>(f.ctx()->nvars()));
    vals[0] = ExactOf(x);
    vals[1] = ExactOf(y);
    std::vector<fmpq*> ptrs;
    for (auto& q : vals)
        ptrs.push_back(q.raw());
    flint::Fmpq r;
    fmpq_mpoly_evaluate_all_fmpq(r.raw(), f.raw(), ptrs.data(), f.craw());
    return fmpq_sgn(r.raw());
}

// A quartic whose zeros are compact and smooth, with a real zero crossed
// next to the cycle point: every component is an oval.
bool CompactSmoothOval(const FmpqMpoly& f, const Cycle& cycle, const FmpqMpoly& P, const FmpqMpoly& Q)
{
    const int d = int(fmpq_mpoly_total_degree_si(f.raw(), f.craw()));
    if (d % 2) return false;
    // No real point at infinity: the top part f_d(t, 1) has no real root, and t^d is in it.
    flint::FmpqPoly top;
    std::vector<slong> e(static_cast<size_t>(f.ctx()->nvars()));
    for (slong k = 0; k < fmpq_mpoly_length(f.raw(), f.craw()); ++k) {
        fmpq_mpoly_get_term_exp_si(e.data(), f.raw(), k, f.craw());
        if (e[0] + e[1] != d) continue;
        flint::Fmpq c;
        fmpq_mpoly_get_term_coeff_fmpq(c.raw(), f.raw(), k, f.craw());
        fmpq_poly_set_coeff_fmpq(top.raw(), e[0], c.raw());
    }
    if (fmpq_poly_degree(top.raw()) != d) return false;
    flint::FmpzPoly num, dnum, g, sq;
    fmpq_poly_get_numerator(num.raw(), top.raw());
    fmpz_poly_derivative(dnum.raw(), num.raw());
    fmpz_poly_gcd(g.raw(), num.raw(), dnum.raw());
    fmpz_poly_div(sq.raw(), num.raw(), g.raw());
    if (!fp::IsolateRealRoots(sq).empty()) return false;
    if (!NoCommonZero(f, Derivative(f, 0), Derivative(f, 1))) return false;
    // f changes sign across the cycle at its point.
    const Vec at = cycle.point;
    const double size = 1e-3 * (1 + std::max(cycle.xMax - cycle.xMin, cycle.yMax - cycle.yMin));
    const double nx = cycle.orbit.size() > 1 ? -(cycle.orbit[1].y - cycle.orbit[0].y) : 1;
    const double ny = cycle.orbit.size() > 1 ? cycle.orbit[1].x - cycle.orbit[0].x : 0;
    const double nn = std::hypot(nx, ny);
    if (!(nn > 0)) return false;
    const int a = SignAt(f, at.x + size * nx / nn, at.y + size * ny / nn);
    const int b = SignAt(f, at.x - size * nx / nn, at.y - size * ny / nn);
    return a * b < 0 && NoCommonZero(f, P, Q);
}

} // namespace

CurveResult FindInvariantCurve(const FmpqMpoly& P, const FmpqMpoly& Q, const Cycle& cycle)
{
    CurveResult out;
    if (cycle.orbit.size() < 20) return out;
    const auto& ctx = P.ctx();
    std::optional<FmpqMpoly> fit;
    FmpqMpoly K(ctx);
    for (int d = 2; d <= 4 && !fit; ++d) {
        fit = Fit(cycle.orbit, d, ctx);
        if (!fit) continue;
        FmpqMpoly G = Add(Mul(P, Derivative(*fit, 0)), Mul(Q, Derivative(*fit, 1)));
        if (!fmpq_mpoly_divides(K.raw(), G.raw(), fit->raw(), ctx->raw())) fit.reset();
    }
    if (!fit) return out;
    const FmpqMpoly& f = *fit;
    out.found = true;
    out.canonical = ToCanonical(f);
    out.report = ToReport(f);
    out.cofactor = ToReport(K);
    out.calculations.push_back("f(x, y) = " + out.report + " : " + msg::kCurveIdentity + out.cofactor + ".");
    const bool conic = fmpq_mpoly_total_degree_si(f.raw(), ctx->raw()) == 2;
    if (conic ? !RealEllipse(f) || !NoCommonZero(f, P, Q) : !CompactSmoothOval(f, cycle, P, Q)) {
        out.calculations.push_back(msg::kCurveNotProven);
        return out;
    }
    out.calculations.push_back(conic ? msg::kCurveEllipse : msg::kCurveQuartic);
    out.oval = true;
    // On the curve K equals its remainder modulo f; with no factor in
    // common with f it vanishes at finitely many points of the curve.
    FmpqMpoly quotient(ctx), rest(ctx);
    fmpq_mpoly_divrem(quotient.raw(), rest.raw(), K.raw(), f.raw(), ctx->raw());
    Sign s = Sign::Unknown;
    if (!IsZero(rest)) {
        s = GlobalSign(K);
        if (s == Sign::Unknown) s = GlobalSign(rest);
        FmpqMpoly g(ctx);
        fmpq_mpoly_gcd(g.raw(), rest.raw(), f.raw(), ctx->raw());
        if (fmpq_mpoly_total_degree_si(g.raw(), ctx->raw()) > 0) s = Sign::Unknown;
    }
    if (s == Sign::Unknown) {
        out.calculations.push_back(msg::kCurveStabilityOpen);
        return out;
    }
    out.proven = true;
    out.stability = s == Sign::Negative ? CycleStability::Stable : CycleStability::Unstable;
    out.calculations.push_back(std::string(msg::kCurveStabilityExact) + msg::kCurveRemainder + ToReport(rest)
        + ", " + (s == Sign::Negative ? "négatif ou nul" : "positif ou nul") + msg::kCurveStabilitySuffix
        + (s == Sign::Negative ? msg::kStable : msg::kUnstable) + ".");
    return out;
}

} // namespace vindrel::engine::periodic
