#include "engine/classify/poly2.h"

#include <flint/fmpz_factor.h>
#include <flint/fmpz_poly_factor.h>

#include <algorithm>
#include <stdexcept>

namespace vindrel::engine::classify {

int SeriesOrder(const Series& s)
{
    for (std::size_t k = 0; k < s.size(); ++k)
        if (!s[k].IsZero()) return static_cast<int>(k);
    return -1;
}

Series SeriesMul(const Series& a, const Series& b, int n)
{
    Series r(static_cast<std::size_t>(n + 1));
    for (std::size_t i = 0; i < a.size() && static_cast<int>(i) <= n; ++i) {
        if (a[i].IsZero()) continue;
        for (std::size_t j = 0; j < b.size() && static_cast<int>(i + j) <= n; ++j)
            if (!b[j].IsZero()) r[i + j] += a[i] * b[j];
    }
    return r;
}

Poly2 Poly2::Constant(const Rational& c)
{
    return Monomial(0, 0, c);
}

Poly2 Poly2::Monomial(int i, int j, const Rational& c)
{
    Poly2 p;
    p.AddTerm(i, j, c);
    return p;
}

Poly2 Poly2::FromMpoly(const flint::FmpqMpoly& p)
{
    const slong nvars = p.ctx()->nvars();
    const slong len = fmpq_mpoly_length(p.raw(), p.craw());
    std::vector<ulong> exps(static_cast<std::size_t>(nvars));
    flint::Fmpq c;
    Poly2 out;
    for (slong t = 0; t < len; ++t) {
        fmpq_mpoly_get_term_exp_ui(exps.data(), p.raw(), t, p.craw());
        for (slong v = 2; v < nvars; ++v)
            if (exps[static_cast<std::size_t>(v)] != 0)
                throw std::invalid_argument("le système contient une constante littérale");
        fmpq_mpoly_get_term_coeff_fmpq(c.raw(), p.raw(), t, p.craw());
        out.AddTerm(static_cast<int>(exps[0]), nvars > 1 ? static_cast<int>(exps[1]) : 0,
            Rational::FromFmpq(c.raw()));
    }
    return out;
}

int Poly2::Degree() const
{
    int d = -1;
    for (const auto& [e, c] : terms_)
        d = std::max(d, e.first + e.second);
    return d;
}

int Poly2::LowDegree() const
{
    int d = -1;
    for (const auto& [e, c] : terms_)
        if (d < 0 || e.first + e.second < d) d = e.first + e.second;
    return d;
}

Rational Poly2::Coeff(int i, int j) const
{
    auto it = terms_.find({ i, j });
    return it == terms_.end() ? Rational() : it->second;
}

void Poly2::AddTerm(int i, int j, const Rational& c)
{
    if (c.IsZero()) return;
    auto [it, inserted] = terms_.try_emplace({ i, j }, c);
    if (!inserted) {
        it->second += c;
        if (it->second.IsZero()) terms_.erase(it);
    }
}

Poly2 Poly2::Homogeneous(int k) const
{
    Poly2 r;
    for (const auto& [e, c] : terms_)
        if (e.first + e.second == k) r.terms_.emplace(e, c);
    return r;
}

Poly2 Poly2::Truncated(int maxDegree) const
{
    Poly2 r;
    for (const auto& [e, c] : terms_)
        if (e.first + e.second <= maxDegree) r.terms_.emplace(e, c);
    return r;
}

Poly2 Poly2::Dx() const
{
    Poly2 r;
    for (const auto& [e, c] : terms_)
        if (e.first > 0) r.AddTerm(e.first - 1, e.second, Rational(e.first) * c);
    return r;
}

Poly2 Poly2::Dy() const
{
    Poly2 r;
    for (const auto& [e, c] : terms_)
        if (e.second > 0) r.AddTerm(e.first, e.second - 1, Rational(e.second) * c);
    return r;
}

Poly2& Poly2::operator+=(const Poly2& o)
{
    for (const auto& [e, c] : o.terms_)
        AddTerm(e.first, e.second, c);
    return *this;
}

Poly2& Poly2::operator-=(const Poly2& o)
{
    for (const auto& [e, c] : o.terms_)
        AddTerm(e.first, e.second, -c);
    return *this;
}

Poly2 operator*(const Poly2& a, const Poly2& b)
{
    Poly2 r;
    for (const auto& [ea, ca] : a.terms_)
        for (const auto& [eb, cb] : b.terms_)
            r.AddTerm(ea.first + eb.first, ea.second + eb.second, ca * cb);
    return r;
}

Poly2 operator*(const Rational& c, const Poly2& a)
{
    Poly2 r;
    if (c.IsZero()) return r;
    for (const auto& [e, v] : a.terms_)
        r.terms_.emplace(e, c * v);
    return r;
}

Poly2 Poly2::Pow(int e) const
{
    Poly2 r = Constant(Rational(1));
    for (int k = 0; k < e; ++k)
        r = r * *this;
    return r;
}

Poly2 Poly2::Linear(const Rational& a, const Rational& b, const Rational& c, const Rational& d) const
{
    const int n = std::max(Degree(), 0);
    const Poly2 u = Monomial(1, 0, a) + Monomial(0, 1, b);
    const Poly2 v = Monomial(1, 0, c) + Monomial(0, 1, d);
    std::vector<Poly2> up { Constant(Rational(1)) }, vp { Constant(Rational(1)) };
    for (int k = 1; k <= n; ++k) {
        up.push_back(up.back() * u);
        vp.push_back(vp.back() * v);
    }
    Poly2 r;
    for (const auto& [e, coeff] : terms_)
        r += coeff * (up[static_cast<std::size_t>(e.first)] * vp[static_cast<std::size_t>(e.second)]);
    return r;
}

Series Poly2::Along(const Series& h, int n) const
{
    int maxJ = 0;
    for (const auto& [e, c] : terms_)
        maxJ = std::max(maxJ, e.second);
    std::vector<Series> hp { Series { Rational(1) } };
    for (int j = 1; j <= maxJ; ++j)
        hp.push_back(SeriesMul(hp.back(), h, n));
    Series r(static_cast<std::size_t>(n + 1));
    for (const auto& [e, c] : terms_) {
        const Series& pj = hp[static_cast<std::size_t>(e.second)];
        for (std::size_t k = 0; k < pj.size() && static_cast<int>(k) + e.first <= n; ++k)
            if (!pj[k].IsZero()) r[k + static_cast<std::size_t>(e.first)] += c * pj[k];
    }
    return r;
}

std::string Poly2::ToString() const
{
    auto ctx = std::make_shared<const flint::MpolyCtx>(std::vector<std::string> { "x", "y" });
    flint::FmpqMpoly p(ctx);
    ulong exps[2];
    for (const auto& [e, c] : terms_) {
        exps[0] = static_cast<ulong>(e.first);
        exps[1] = static_cast<ulong>(e.second);
        fmpq_mpoly_set_coeff_fmpq_ui(p.raw(), c.raw(), exps, p.craw());
    }
    return flint::TakeString(fmpq_mpoly_get_str_pretty(p.raw(), ctx->cnames(), p.craw()));
}

namespace {

// The integer polynomial with the same roots as sum c_i t^i (denominators cleared).
flint::FmpzPoly IntegerPoly(const std::vector<Rational>& c)
{
    flint::FmpqPoly q;
    for (std::size_t i = 0; i < c.size(); ++i)
        fmpq_poly_set_coeff_fmpq(q.raw(), static_cast<slong>(i), c[i].raw());
    flint::FmpzPoly z;
    fmpq_poly_get_numerator(z.raw(), q.raw());
    return z;
}

// The polynomial in m, leading coefficient made positive, printed like the others.
std::string PolyInMText(const fmpz_poly_struct* p)
{
    auto ctx = std::make_shared<const flint::MpolyCtx>(std::vector<std::string> { "m" });
    flint::FmpqMpoly q(ctx);
    const bool negate = fmpz_sgn(fmpz_poly_lead(p)) < 0;
    flint::Fmpq c;
    for (slong i = 0; i <= fmpz_poly_degree(p); ++i) {
        fmpq_set_fmpz(c.raw(), fmpz_poly_get_coeff_ptr(p, i));
        if (negate) fmpq_neg(c.raw(), c.raw());
        ulong e = static_cast<ulong>(i);
        fmpq_mpoly_set_coeff_fmpq_ui(q.raw(), c.raw(), &e, q.craw());
    }
    return flint::TakeString(fmpq_mpoly_get_str_pretty(q.raw(), ctx->cnames(), q.craw()));
}

} // namespace

FormZeros RealLinearFactors(const Poly2& form)
{
    FormZeros out;
    const int k = form.Degree();
    if (k <= 0) return out;
    // Lines x = t*y: roots t of g(t) = form(t, 1); the line y = 0 when g drops degree.
    std::vector<Rational> g(static_cast<std::size_t>(k + 1));
    for (int i = 0; i <= k; ++i)
        g[static_cast<std::size_t>(i)] = form.Coeff(i, k - i);
    if (g[static_cast<std::size_t>(k)].IsZero()) out.rational.push_back({ Rational(1), Rational(0) });
    flint::FmpzPoly z = IntegerPoly(g);
    if (fmpz_poly_degree(z.raw()) < 1) return out;
    fmpz_poly_factor_t fac;
    fmpz_poly_factor_init(fac);
    fmpz_poly_factor(fac, z.raw());
    for (slong f = 0; f < fac->num; ++f) {
        const fmpz_poly_struct* p = fac->p + f;
        const slong deg = fmpz_poly_degree(p);
        if (deg == 1) {
            // p1 t + p0 = 0: t = -p0/p1, direction (t, 1).
            Rational t;
            fmpq_set_fmpz_frac(t.raw(), fmpz_poly_get_coeff_ptr(p, 0), fmpz_poly_get_coeff_ptr(p, 1));
            out.rational.push_back({ -t, Rational(1) });
        } else {
            const slong real = fmpz_poly_num_real_roots(p);
            if (real > 0) {
                // x = t*y, i.e. y = m*x with m = 1/t: print the reversed polynomial in m.
                flint::FmpzPoly rev;
                fmpz_poly_reverse(rev.raw(), p, deg + 1);
                out.irrational.push_back("y = m*x, m racine réelle de " + PolyInMText(rev.raw()));
                out.irrationalCount += static_cast<int>(real);
            }
        }
    }
    fmpz_poly_factor_clear(fac);
    return out;
}

std::string LineText(const Direction& d)
{
    if (d.dx.IsZero()) return "x = 0";
    const Rational m = d.dy / d.dx;
    if (m.IsZero()) return "y = 0";
    if (m == Rational(1)) return "y = x";
    if (m == Rational(-1)) return "y = -x";
    return "y = " + m.ToString() + "*x";
}

namespace {

// Reduced row echelon form in place; returns the pivot column of each pivot row.
std::vector<int> RowReduce(Matrix& a, int columns)
{
    std::vector<int> pivots;
    std::size_t row = 0;
    for (int col = 0; col < columns && row < a.size(); ++col) {
        std::size_t p = row;
        while (p < a.size() && a[p][static_cast<std::size_t>(col)].IsZero())
            ++p;
        if (p == a.size()) continue;
        std::swap(a[p], a[row]);
        const Rational inv = Rational(1) / a[row][static_cast<std::size_t>(col)];
        for (auto& v : a[row])
            v *= inv;
        for (std::size_t r = 0; r < a.size(); ++r) {
            if (r == row || a[r][static_cast<std::size_t>(col)].IsZero()) continue;
            const Rational f = a[r][static_cast<std::size_t>(col)];
            for (std::size_t c = 0; c < a[r].size(); ++c)
                if (!a[row][c].IsZero()) a[r][c] -= f * a[row][c];
        }
        pivots.push_back(col);
        ++row;
    }
    return pivots;
}

} // namespace

std::optional<std::vector<Rational>> SolveUnique(Matrix a, std::vector<Rational> rhs)
{
    const int n = static_cast<int>(rhs.size());
    if (static_cast<int>(a.size()) != n) return std::nullopt;
    for (int r = 0; r < n; ++r)
        a[static_cast<std::size_t>(r)].push_back(rhs[static_cast<std::size_t>(r)]);
    const auto pivots = RowReduce(a, n);
    if (static_cast<int>(pivots.size()) != n) return std::nullopt;
    std::vector<Rational> x(static_cast<std::size_t>(n));
    for (int r = 0; r < n; ++r)
        x[static_cast<std::size_t>(r)] = a[static_cast<std::size_t>(r)][static_cast<std::size_t>(n)];
    return x;
}

std::vector<std::vector<Rational>> NullSpace(Matrix a, int columns)
{
    const auto pivots = RowReduce(a, columns);
    std::vector<bool> isPivot(static_cast<std::size_t>(columns), false);
    for (int p : pivots)
        isPivot[static_cast<std::size_t>(p)] = true;
    std::vector<std::vector<Rational>> basis;
    for (int free = 0; free < columns; ++free) {
        if (isPivot[static_cast<std::size_t>(free)]) continue;
        std::vector<Rational> v(static_cast<std::size_t>(columns));
        v[static_cast<std::size_t>(free)] = Rational(1);
        for (std::size_t r = 0; r < pivots.size(); ++r)
            v[static_cast<std::size_t>(pivots[r])] = -a[r][static_cast<std::size_t>(free)];
        basis.push_back(std::move(v));
    }
    return basis;
}

Matrix CoefficientMatrix(const std::vector<Poly2>& images)
{
    std::map<Poly2::Exp, std::size_t> rowOf;
    for (const auto& p : images)
        for (const auto& [e, c] : p.Terms())
            rowOf.try_emplace(e, 0);
    std::size_t r = 0;
    for (auto& [e, idx] : rowOf)
        idx = r++;
    Matrix m(rowOf.size(), std::vector<Rational>(images.size()));
    for (std::size_t k = 0; k < images.size(); ++k)
        for (const auto& [e, c] : images[k].Terms())
            m[rowOf[e]][k] = c;
    return m;
}

} // namespace vindrel::engine::classify
