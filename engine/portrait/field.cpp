#include "engine/portrait/field.h"

#include "engine/flint/factor_types.h"
#include "engine/flint/flint_types.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace vindrel::portrait {

namespace {

constexpr int kPowerTable = 32;
constexpr int kDenseFrom = 6;

// x^0..x^n into out; only as far as the table goes (higher powers are
// taken by std::pow in Power).
void Powers(double x, int n, double* out)
{
    n = std::min(n, kPowerTable - 1);
    out[0] = 1;
    for (int k = 1; k <= n; ++k) out[k] = out[k - 1] * x;
}

double Power(const double* table, double base, int e)
{
    return e < kPowerTable ? table[e] : std::pow(base, e);
}

int DegreeOf(const std::vector<Term>& t)
{
    int d = 0;
    for (const Term& term : t) d = std::max(d, term.i + term.j);
    return d;
}

} // namespace

double Norm(Vec2 a)
{
    // hypot only where the squares would overflow or underflow: it is several
    // times slower, and orbits call this at every step.
    const double n2 = a.x * a.x + a.y * a.y;
    if (n2 > 1e-290 && n2 < 1e290) return std::sqrt(n2);
    return std::hypot(a.x, a.y);
}

PolynomialField::PolynomialField(std::vector<Term> p, std::vector<Term> q)
    : p_(std::move(p))
    , q_(std::move(q))
{
    auto zero = [](const Term& t) { return t.c == 0; };
    std::erase_if(p_, zero);
    std::erase_if(q_, zero);
    degreeP_ = DegreeOf(p_);
    degreeQ_ = DegreeOf(q_);
    degree_ = std::max(degreeP_, degreeQ_);
    // From degree 6, a polynomial with at least a quarter of its possible
    // terms is evaluated by Horner's rule on dense rows: one multiply-add a
    // coefficient instead of two products and two table reads a term.
    auto dense = [](const std::vector<Term>& t, int d) {
        return d >= kDenseFrom && 4 * t.size() >= static_cast<std::size_t>((d + 1) * (d + 2) / 2);
    };
    if (dense(p_, degreeP_)) denseP_ = DenseRows(p_, degreeP_);
    if (dense(q_, degreeQ_)) denseQ_ = DenseRows(q_, degreeQ_);
}

std::vector<double> PolynomialField::DenseRows(const std::vector<Term>& t, int degree)
{
    std::vector<double> rows(static_cast<std::size_t>((degree + 1) * (degree + 2) / 2), 0.0);
    // Row j starts after rows 0..j-1, of lengths d+1, d, ..., d-j+2.
    auto start = [degree](int j) { return j * (2 * degree + 3 - j) / 2; };
    for (const Term& term : t) rows[static_cast<std::size_t>(start(term.j) + term.i)] += term.c;
    return rows;
}

double PolynomialField::Horner(const std::vector<double>& rows, int degree, Vec2 at)
{
    double sum = 0;
    std::size_t end = rows.size();
    for (int j = degree; j >= 0; --j) {
        const int len = degree - j + 1;
        const double* row = rows.data() + (end - static_cast<std::size_t>(len));
        double r = row[len - 1];
        for (int i = len - 2; i >= 0; --i) r = r * at.x + row[i];
        sum = sum * at.y + r;
        end -= static_cast<std::size_t>(len);
    }
    return sum;
}

double PolynomialField::Eval(const std::vector<Term>& t, int degree, Vec2 at)
{
    double xs[kPowerTable], ys[kPowerTable];
    Powers(at.x, degree, xs);
    Powers(at.y, degree, ys);
    double sum = 0;
    for (const Term& term : t) sum += term.c * Power(xs, at.x, term.i) * Power(ys, at.y, term.j);
    return sum;
}

Vec2 PolynomialField::operator()(Vec2 at) const { return {EvalP(at), EvalQ(at)}; }

void PolynomialField::Jacobian(Vec2 at, double out[4]) const
{
    double xs[kPowerTable], ys[kPowerTable];
    Powers(at.x, degree_, xs);
    Powers(at.y, degree_, ys);
    auto partials = [&](const std::vector<Term>& t, double& dx, double& dy) {
        dx = dy = 0;
        for (const Term& term : t) {
            if (term.i > 0) dx += term.c * term.i * Power(xs, at.x, term.i - 1) * Power(ys, at.y, term.j);
            if (term.j > 0) dy += term.c * term.j * Power(xs, at.x, term.i) * Power(ys, at.y, term.j - 1);
        }
    };
    partials(p_, out[0], out[1]);
    partials(q_, out[2], out[3]);
}

double PolynomialField::Homogeneous(const std::vector<Term>& t, int degree, Vec2 at, double s)
{
    double xs[kPowerTable], ys[kPowerTable], ss[kPowerTable];
    Powers(at.x, degree, xs);
    Powers(at.y, degree, ys);
    Powers(s, degree, ss);
    double sum = 0;
    for (const Term& term : t)
        sum += term.c * Power(xs, at.x, term.i) * Power(ys, at.y, term.j)
            * Power(ss, s, degree - term.i - term.j);
    return sum;
}

double PolynomialField::TopPart(const std::vector<Term>& t, int degree, Vec2 at)
{
    double sum = 0;
    for (const Term& term : t)
        if (term.i + term.j == degree) sum += term.c * std::pow(at.x, term.i) * std::pow(at.y, term.j);
    return sum;
}

namespace {
double DiscS(Vec2 at) { return std::sqrt(std::max(0.0, 1 - at.x * at.x - at.y * at.y)); }
} // namespace

Vec2 PolynomialField::Disc(Vec2 at) const
{
    double s = DiscS(at);
    double p = Homogeneous(p_, degree_, at, s);
    double q = Homogeneous(q_, degree_, at, s);
    double xy = at.x * at.y;
    return {(s * s + at.y * at.y) * p - xy * q, (s * s + at.x * at.x) * q - xy * p};
}

double PolynomialField::DiscP(Vec2 at) const { return Homogeneous(p_, degreeP_, at, DiscS(at)); }
double PolynomialField::DiscQ(Vec2 at) const { return Homogeneous(q_, degreeQ_, at, DiscS(at)); }

double PolynomialField::AtInfinity(Vec2 c) const
{
    return c.x * TopPart(q_, degree_, c) - c.y * TopPart(p_, degree_, c);
}

std::vector<Term> TermsOf(const flint::FmpqMpoly& poly)
{
    const slong nvars = poly.ctx()->nvars();
    const slong length = fmpq_mpoly_length(poly.raw(), poly.craw());
    std::vector<Term> terms;
    std::vector<ulong> exps(static_cast<std::size_t>(nvars));
    flint::Fmpq c;
    for (slong k = 0; k < length; ++k) {
        fmpq_mpoly_get_term_exp_ui(exps.data(), poly.raw(), k, poly.craw());
        for (slong v = 2; v < nvars; ++v)
            if (exps[static_cast<std::size_t>(v)] != 0)
                throw PortraitError("Le portrait de phase demande des coefficients numériques : "
                                    "donnez une valeur aux constantes littérales.");
        if (exps[0] >= kPowerTable * 8 || (nvars > 1 && exps[1] >= kPowerTable * 8))
            throw PortraitError("Le portrait de phase est limité aux polynômes de degré au plus 255.");
        fmpq_mpoly_get_term_coeff_fmpq(c.raw(), poly.raw(), k, poly.craw());
        terms.push_back({fmpq_get_d(c.raw()), static_cast<int>(exps[0]),
                         nvars > 1 ? static_cast<int>(exps[1]) : 0});
    }
    return terms;
}

namespace {

// The product of the distinct factors of p; p itself when it is zero or
// cannot be factored.
flint::FmpqMpoly SquareFreePart(const flint::FmpqMpoly& p)
{
    if (fmpq_mpoly_is_zero(p.raw(), p.craw())) return p;
    flint::FmpqMpolyFactor factors(p.ctx());
    if (!fmpq_mpoly_factor_squarefree(factors.raw(), p.raw(), p.craw())) return p;
    flint::FmpqMpoly part(p.ctx());
    fmpq_mpoly_set_fmpq(part.raw(), factors.raw()->constant, p.craw());
    for (slong k = 0; k < factors.raw()->num; ++k)
        fmpq_mpoly_mul(part.raw(), part.raw(), factors.raw()->poly + k, p.craw());
    return part;
}

} // namespace

PolynomialField SquareFreeField(const flint::FmpqMpoly& P, const flint::FmpqMpoly& Q)
{
    return PolynomialField(TermsOf(SquareFreePart(P)), TermsOf(SquareFreePart(Q)));
}

PolynomialField ChartField(const PolynomialField& f, Chart chart, ChartDivision division)
{
    if (division == ChartDivision::ByV) {
        // Like terms summed first: those without v cancel exactly.
        const PolynomialField whole = ChartField(f, chart);
        auto divided = [](const std::vector<Term>& terms) {
            std::map<std::pair<int, int>, double> sum;
            for (const Term& t : terms) sum[{t.i, t.j}] += t.c;
            std::vector<Term> out;
            for (const auto& [e, c] : sum)
                if (c != 0 && e.second > 0) out.push_back({c, e.first, e.second - 1});
            return out;
        };
        return PolynomialField(divided(whole.PTerms()), divided(whole.QTerms()));
    }
    // A, B: the components along and across the chart's axis; the power of
    // the other coordinate becomes the power of u.
    const bool alongX = chart == Chart::AlongX;
    const std::vector<Term>& a = alongX ? f.PTerms() : f.QTerms();
    const std::vector<Term>& b = alongX ? f.QTerms() : f.PTerms();
    const int d = f.Degree();
    std::vector<Term> du, dv;
    for (const Term& t : a) {
        const int e = alongX ? t.j : t.i, k = t.i + t.j;
        du.push_back({-t.c, e + 1, d - k});
        dv.push_back({-t.c, e, d - k + 1});
    }
    for (const Term& t : b) du.push_back({t.c, alongX ? t.j : t.i, d - t.i - t.j});
    return PolynomialField(std::move(du), std::move(dv));
}

Vec2 ChartToDisc(Chart chart, Vec2 uv)
{
    const double scale = (uv.y < 0 ? -1 : 1) / std::sqrt(1 + uv.x * uv.x + uv.y * uv.y);
    return chart == Chart::AlongX ? Vec2{scale, scale * uv.x} : Vec2{scale * uv.x, scale};
}

Vec2 ToDisc(Vec2 p)
{
    double r = std::sqrt(1 + p.x * p.x + p.y * p.y);
    return {p.x / r, p.y / r};
}

Vec2 FromDisc(Vec2 d)
{
    double s = DiscS(d);
    return {d.x / s, d.y / s};
}

} // namespace vindrel::portrait
