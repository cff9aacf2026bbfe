// An invariant conic through a numerical cycle: least squares on points of
// the cycle (the eigenvector of the smallest eigenvalue of A^T A), the
// coefficients rationalised by continued fractions, then the identity
// P f_x + Q f_y = K f checked exactly. A real non-degenerate ellipse with no
// fixed point on it is a periodic orbit; along it the integral of the
// divergence over a period equals that of K (f is a coordinate across the
// curve and d(f)/dt = K f), so K of one sign gives a hyperbolic limit cycle.
#include "engine/periodic/exact.h"
#include "engine/periodic/texts.h"

#include "engine/poly/algebra.h"
#include "engine/poly/print.h"

#include <array>
#include <cmath>

namespace vindrel::engine::periodic {

namespace {

constexpr int kN = 6; // x^2, xy, y^2, x, y, 1
using Matrix = std::array<std::array<double, kN>, kN>;

// Eigen-decomposition of a symmetric matrix by Jacobi rotations: the
// eigenvalues on the diagonal of a, the eigenvectors in the columns of v.
void Jacobi(Matrix& a, Matrix& v)
{
    for (int i = 0; i < kN; ++i)
        for (int j = 0; j < kN; ++j)
            v[size_t(i)][size_t(j)] = i == j;
    for (int sweep = 0; sweep < 60; ++sweep) {
        double off = 0;
        for (int i = 0; i < kN; ++i)
            for (int j = i + 1; j < kN; ++j)
                off += a[size_t(i)][size_t(j)] * a[size_t(i)][size_t(j)];
        if (off < 1e-300) return;
        for (int p = 0; p < kN; ++p)
            for (int q = p + 1; q < kN; ++q) {
                const double apq = a[size_t(p)][size_t(q)];
                if (apq == 0) continue;
                const double theta = (a[size_t(q)][size_t(q)] - a[size_t(p)][size_t(p)]) / (2 * apq);
                const double t = (theta >= 0 ? 1 : -1) / (std::abs(theta) + std::sqrt(theta * theta + 1));
                const double c = 1 / std::sqrt(t * t + 1), s = t * c;
                for (int k = 0; k < kN; ++k) {
                    const double akp = a[size_t(k)][size_t(p)], akq = a[size_t(k)][size_t(q)];
                    a[size_t(k)][size_t(p)] = c * akp - s * akq;
                    a[size_t(k)][size_t(q)] = s * akp + c * akq;
                }
                for (int k = 0; k < kN; ++k) {
                    const double apk = a[size_t(p)][size_t(k)], aqk = a[size_t(q)][size_t(k)];
                    a[size_t(p)][size_t(k)] = c * apk - s * aqk;
                    a[size_t(q)][size_t(k)] = s * apk + c * aqk;
                }
                for (int k = 0; k < kN; ++k) {
                    const double vkp = v[size_t(k)][size_t(p)], vkq = v[size_t(k)][size_t(q)];
                    v[size_t(k)][size_t(p)] = c * vkp - s * vkq;
                    v[size_t(k)][size_t(q)] = s * vkp + c * vkq;
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

} // namespace

CurveResult FindInvariantCurve(const FmpqMpoly& P, const FmpqMpoly& Q, const Cycle& cycle)
{
    CurveResult out;
    const auto& pts = cycle.orbit;
    if (pts.size() < 12) return out;
    Matrix m {};
    const size_t step = std::max<size_t>(1, pts.size() / 60);
    for (size_t k = 0; k < pts.size(); k += step) {
        const double x = pts[k].x, y = pts[k].y;
        const double row[kN] = { x * x, x * y, y * y, x, y, 1 };
        for (int i = 0; i < kN; ++i)
            for (int j = 0; j < kN; ++j)
                m[size_t(i)][size_t(j)] += row[i] * row[j];
    }
    Matrix v;
    Jacobi(m, v);
    int lo = 0, second = -1;
    double top = 0;
    for (int i = 0; i < kN; ++i) {
        top = std::max(top, m[size_t(i)][size_t(i)]);
        if (m[size_t(i)][size_t(i)] < m[size_t(lo)][size_t(lo)]) lo = i;
    }
    for (int i = 0; i < kN; ++i)
        if (i != lo && (second < 0 || m[size_t(i)][size_t(i)] < m[size_t(second)][size_t(second)]))
            second = i;
    // A conic through the points, and only one.
    if (m[size_t(lo)][size_t(lo)] > 1e-14 * top || m[size_t(second)][size_t(second)] < 1e-8 * top) return out;
    double c[kN], big = 0;
    for (int i = 0; i < kN; ++i) {
        c[i] = v[size_t(i)][size_t(lo)];
        if (std::abs(c[i]) > std::abs(big)) big = c[i];
    }
    const auto& ctx = P.ctx();
    FmpqMpoly f(ctx);
    const int ex[kN][2] = { { 2, 0 }, { 1, 1 }, { 0, 2 }, { 1, 0 }, { 0, 1 }, { 0, 0 } };
    for (int i = 0; i < kN; ++i) {
        const auto q = Rationalise(c[i] / big, 1e-7, 1000);
        if (!q) return out;
        std::vector<ulong> e(static_cast<size_t>(ctx->nvars()));
        e[0] = ulong(ex[i][0]);
        e[1] = ulong(ex[i][1]);
        fmpq_mpoly_set_coeff_fmpq_ui(f.raw(), q->raw(), e.data(), ctx->raw());
    }
    // Integer coefficients without common factor, x^2 (or the first term) positive.
    flint::Fmpq content;
    fmpq_mpoly_content(content.raw(), f.raw(), ctx->raw());
    fmpq_mpoly_scalar_div_fmpq(f.raw(), f.raw(), content.raw(), ctx->raw());
    flint::Fmpq lead;
    fmpq_mpoly_get_term_coeff_fmpq(lead.raw(), f.raw(), 0, ctx->raw());
    if (fmpq_sgn(lead.raw()) < 0) fmpq_mpoly_neg(f.raw(), f.raw(), ctx->raw());

    FmpqMpoly G = Add(Mul(P, Derivative(f, 0)), Mul(Q, Derivative(f, 1))), K(ctx);
    if (!fmpq_mpoly_divides(K.raw(), G.raw(), f.raw(), ctx->raw())) return out;
    out.found = true;
    out.canonical = ToCanonical(f);
    out.report = ToReport(f);
    out.cofactor = ToReport(K);
    out.calculations.push_back("f(x, y) = " + out.report + " : " + msg::kCurveIdentity + out.cofactor + ".");
    if (!RealEllipse(f) || !NoCommonZero(f, P, Q)) {
        out.calculations.push_back(msg::kCurveNotProven);
        return out;
    }
    out.calculations.push_back(msg::kCurveEllipse);
    out.oval = true;
    // On the curve K equals its remainder modulo f; f (irreducible) divides
    // neither, so they vanish at finitely many points of the curve.
    FmpqMpoly quotient(ctx), rest(ctx);
    fmpq_mpoly_divrem(quotient.raw(), rest.raw(), K.raw(), f.raw(), ctx->raw());
    Sign s = Sign::Unknown;
    if (!IsZero(rest)) {
        s = GlobalSign(K);
        if (s == Sign::Unknown) s = GlobalSign(rest);
        if (s != Sign::Unknown && fmpq_mpoly_total_degree_si(rest.raw(), ctx->raw()) > 0
            && fmpq_mpoly_divides(quotient.raw(), rest.raw(), f.raw(), ctx->raw()))
            s = Sign::Unknown;
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
