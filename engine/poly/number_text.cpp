#include "engine/poly/number_text.h"

#include "engine/poly/algebra.h"
#include "engine/poly/print.h"

#include <cmath>
#include <cstdio>

namespace vindrel::engine::fp {

using flint::Fmpq;
using flint::FmpqPoly;
using flint::Fmpz;

namespace {

constexpr const char* kBoundOpen = " (à 10^";
constexpr const char* kBoundClose = " près)";
constexpr slong kMaxFactorBits = 200; // beyond, square factors are not extracted

// n = s^2 * r with r square-free (up to the size limit above).
void SplitSquare(Fmpz& s, Fmpz& r, const fmpz_t n)
{
    if (fmpz_bits(n) > kMaxFactorBits || fmpz_is_zero(n)) {
        fmpz_one(s.raw());
        fmpz_set(r.raw(), n);
        return;
    }
    SquareFreeSplit(n, s, r);
}

} // namespace

Quadratic SqrtOf(const fmpq_t c)
{
    // sqrt(N/D) = sqrt(N*D)/D = s*sqrt(r)/D
    Quadratic out;
    if (fmpq_is_zero(c)) return out;
    Fmpz nd, s;
    fmpz_mul(nd.raw(), fmpq_numref(c), fmpq_denref(c));
    SplitSquare(s, out.r, nd.raw());
    fmpq_set_fmpz_frac(out.q.raw(), s.raw(), fmpq_denref(c));
    if (fmpz_is_one(out.r.raw())) {
        fmpq_set(out.p.raw(), out.q.raw());
        fmpq_zero(out.q.raw());
    }
    return out;
}

std::string QuadraticText(const Quadratic& v, RootWord word)
{
    if (fmpq_is_zero(v.q.raw())) return RationalToCanonical(v.p.raw());
    const std::string root
        = std::string(word == RootWord::Sqrt ? "sqrt(" : "racine(") + IntegerToText(v.r.raw()) + ")";
    const bool hasRational = !fmpq_is_zero(v.p.raw());
    Fmpq absq;
    fmpq_abs(absq.raw(), v.q.raw());
    const bool negative = fmpq_sgn(v.q.raw()) < 0;
    std::string out;
    if (hasRational) {
        // "1/2 + 1/2*sqrt(5)", "1 - sqrt(2)"
        out = RationalToCanonical(v.p.raw()) + (negative ? " - " : " + ");
        if (!fmpq_is_one(absq.raw())) out += RationalToCanonical(absq.raw()) + "*";
        return out + root;
    }
    // "sqrt(5)/2", "-3*sqrt(2)", "3*sqrt(5)/2"
    out = negative ? "-" : "";
    if (!fmpz_is_one(fmpq_numref(absq.raw()))) out += IntegerToText(fmpq_numref(absq.raw())) + "*";
    out += root;
    if (!fmpz_is_one(fmpq_denref(absq.raw()))) out += "/" + IntegerToText(fmpq_denref(absq.raw()));
    return out;
}

std::string ShortDecimal(double v)
{
    if (v == 0) return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.10g", v);
    std::string s = buf;
    for (char& ch : s) {
        if (ch == '.') ch = ',';
    }
    return s;
}

std::string DecimalText(const arb_t v)
{
    const double mid = arf_get_d(arb_midref(v), ARF_RND_NEAR);
    if (mid == 0 && arb_is_exact(v)) return "0";
    // The shown value differs from mid by at most half a unit of the 10th
    // digit; the radius is far smaller once the ball has 60 bits.
    const double magnitude = std::fabs(mid) > 0 ? std::floor(std::log10(std::fabs(mid))) : -300;
    const int bound = static_cast<int>(magnitude) - 9;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d", bound);
    return ShortDecimal(mid) + kBoundOpen + buf + kBoundClose;
}

std::optional<Quadratic> AsQuadratic(const FmpqPoly& a, const FmpqPoly& f, const arb_t ball, slong prec)
{
    const slong k = fmpq_poly_degree(a.raw());
    Quadratic out;
    if (k <= 0) {
        fmpq_poly_get_coeff_fmpq(out.p.raw(), a.raw(), 0);
        return out;
    }
    // a^2 = alpha*a + beta with rationals alpha, beta?
    FmpqPoly a2, rest;
    fmpq_poly_mul(a2.raw(), a.raw(), a.raw());
    fmpq_poly_rem(a2.raw(), a2.raw(), f.raw());
    Fmpq lead2, lead1, alpha, beta;
    fmpq_poly_get_coeff_fmpq(lead2.raw(), a2.raw(), k);
    fmpq_poly_get_coeff_fmpq(lead1.raw(), a.raw(), k);
    fmpq_div(alpha.raw(), lead2.raw(), lead1.raw());
    fmpq_poly_scalar_mul_fmpq(rest.raw(), a.raw(), alpha.raw());
    fmpq_poly_sub(rest.raw(), a2.raw(), rest.raw());
    if (fmpq_poly_degree(rest.raw()) > 0) return std::nullopt;
    fmpq_poly_get_coeff_fmpq(beta.raw(), rest.raw(), 0);
    // a = alpha/2 +- sqrt(alpha^2/4 + beta)
    Fmpq half, c;
    fmpq_set(half.raw(), alpha.raw());
    fmpq_div_2exp(half.raw(), half.raw(), 1);
    fmpq_mul(c.raw(), half.raw(), half.raw());
    fmpq_add(c.raw(), c.raw(), beta.raw());
    Quadratic root = SqrtOf(c.raw());
    fmpq_set(out.p.raw(), half.raw());
    fmpq_set(out.q.raw(), root.q.raw());
    fmpz_set(out.r.raw(), root.r.raw());
    if (fmpq_is_zero(root.q.raw())) { // cannot happen for an irrational a; kept exact anyway
        fmpq_add(out.p.raw(), half.raw(), root.p.raw());
        return out;
    }
    // Choose the sign of the root from the ball.
    arb_t approx, s;
    arb_init(approx);
    arb_init(s);
    arb_sqrt_fmpz(s, out.r.raw(), prec);
    arb_mul_fmpz(s, s, fmpq_numref(out.q.raw()), prec);
    arb_div_fmpz(s, s, fmpq_denref(out.q.raw()), prec);
    arb_set_fmpq(approx, half.raw(), prec);
    arb_sub(approx, approx, s, prec);
    const bool minus = arb_overlaps(approx, ball);
    arb_set_fmpq(approx, half.raw(), prec);
    arb_add(approx, approx, s, prec);
    const bool plus = arb_overlaps(approx, ball);
    if (minus) fmpq_neg(out.q.raw(), out.q.raw());
    arb_clear(approx);
    arb_clear(s);
    if (minus == plus) return std::nullopt; // ball too wide to choose
    return out;
}

} // namespace vindrel::engine::fp
