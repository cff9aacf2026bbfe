#include "engine/classify/algebraic_field.h"

#include "engine/errors.h"
#include "engine/poly/number_text.h"

#include <arb_fmpz_poly.h>

#include <algorithm>
#include <stdexcept>

namespace vindrel::engine::classify {

namespace {

constexpr slong kStartBits = 128;
constexpr slong kMaxBits = 4096; // a non-zero field element of our size is never this close to 0

std::vector<flint::Fmpz> Binomials(int n)
{
    std::vector<flint::Fmpz> row(static_cast<std::size_t>(n + 1));
    for (int k = 0; k <= n; ++k)
        fmpz_bin_uiui(row[static_cast<std::size_t>(k)].raw(), static_cast<ulong>(n), static_cast<ulong>(k));
    return row;
}

} // namespace

// ---- NumberField ---------------------------------------------------------------

NumberField::NumberField(const flint::FmpzPoly& f, const flint::Fmpq& lo, const flint::Fmpq& hi)
    : fz_(f)
    , lo_(lo)
    , hi_(hi)
{
    if (fmpz_poly_degree(f.raw()) < 2) throw std::invalid_argument("corps de degré < 2");
    fmpq_poly_set_fmpz_poly(f_.raw(), f.raw());
    if (SignOfF(lo_) * SignOfF(hi_) >= 0) throw std::invalid_argument("intervalle d'isolement invalide");
}

int NumberField::SignOfF(const flint::Fmpq& t) const
{
    flint::Fmpq v;
    fmpq_poly_evaluate_fmpq(v.raw(), f_.raw(), t.raw());
    return fmpq_sgn(v.raw());
}

void NumberField::Narrow(slong bits) const
{
    if (bits <= narrowed_) return;
    flint::Fmpq width, bound, mid;
    fmpq_set_si(bound.raw(), 1, 1);
    fmpq_div_2exp(bound.raw(), bound.raw(), static_cast<ulong>(bits));
    const int sLo = SignOfF(lo_);
    for (;;) {
        fmpq_sub(width.raw(), hi_.raw(), lo_.raw());
        if (fmpq_cmp(width.raw(), bound.raw()) < 0) break;
        fmpq_add(mid.raw(), lo_.raw(), hi_.raw());
        fmpq_div_2exp(mid.raw(), mid.raw(), 1);
        // f is irreducible of degree >= 2: it never vanishes at a rational.
        if (SignOfF(mid) == sLo)
            fmpq_set(lo_.raw(), mid.raw());
        else
            fmpq_set(hi_.raw(), mid.raw());
    }
    narrowed_ = bits;
}

void NumberField::Reduce(flint::FmpqPoly& a) const
{
    if (fmpq_poly_degree(a.raw()) >= fmpq_poly_degree(f_.raw())) fmpq_poly_rem(a.raw(), a.raw(), f_.raw());
}

flint::FmpqPoly NumberField::Inverse(const flint::FmpqPoly& a) const
{
    if (fmpq_poly_is_zero(a.raw())) throw std::domain_error("division par zéro dans le corps de nombres");
    flint::FmpqPoly g, s, t;
    fmpq_poly_xgcd(g.raw(), s.raw(), t.raw(), a.raw(), f_.raw()); // g = 1 since f is irreducible
    Reduce(s);
    return s;
}

flint::Arb NumberField::Ball(const flint::FmpqPoly& a, slong prec) const
{
    Narrow(prec + 8);
    flint::Arb u, b, out;
    arb_set_fmpq(u.raw(), lo_.raw(), prec);
    arb_set_fmpq(b.raw(), hi_.raw(), prec);
    arb_union(u.raw(), u.raw(), b.raw(), prec);
    flint::FmpzPoly num;
    fmpq_poly_get_numerator(num.raw(), a.raw());
    arb_fmpz_poly_evaluate_arb(out.raw(), num.raw(), u.raw(), prec);
    arb_div_fmpz(out.raw(), out.raw(), fmpq_poly_denref(a.raw()), prec);
    return out;
}

int NumberField::Sign(const flint::FmpqPoly& a) const
{
    if (fmpq_poly_is_zero(a.raw())) return 0;
    for (slong prec = kStartBits; prec <= kMaxBits; prec *= 2) {
        const flint::Arb b = Ball(a, prec);
        if (arb_is_positive(b.raw())) return 1;
        if (arb_is_negative(b.raw())) return -1;
    }
    throw LimitExceeded("Précision insuffisante pour le signe d'un nombre algébrique.");
}

// ---- AlgNum --------------------------------------------------------------------

AlgNum::AlgNum(const NumberField* field, flint::FmpqPoly v)
    : field_(field)
    , v_(std::move(v))
{
    if (field_) field_->Reduce(v_);
}

AlgNum AlgNum::Integer(const NumberField* field, slong n)
{
    flint::FmpqPoly v;
    fmpq_poly_set_si(v.raw(), n);
    return AlgNum(field, std::move(v));
}

double AlgNum::Approx() const
{
    if (IsZero() || !field_) return 0.0;
    const flint::Arb b = field_->Ball(v_, 64);
    return arf_get_d(arb_midref(b.raw()), ARF_RND_NEAR);
}

std::string AlgNum::Text() const
{
    return fp::ShortDecimal(Approx());
}

void AlgNum::Adopt(const AlgNum& o)
{
    if (!field_) field_ = o.field_;
}

AlgNum AlgNum::operator-() const
{
    AlgNum r = *this;
    fmpq_poly_neg(r.v_.raw(), r.v_.raw());
    return r;
}

AlgNum& AlgNum::operator+=(const AlgNum& o)
{
    Adopt(o);
    fmpq_poly_add(v_.raw(), v_.raw(), o.v_.raw());
    return *this;
}

AlgNum& AlgNum::operator-=(const AlgNum& o)
{
    Adopt(o);
    fmpq_poly_sub(v_.raw(), v_.raw(), o.v_.raw());
    return *this;
}

AlgNum& AlgNum::operator*=(const AlgNum& o)
{
    Adopt(o);
    fmpq_poly_mul(v_.raw(), v_.raw(), o.v_.raw());
    if (field_) field_->Reduce(v_);
    return *this;
}

AlgNum& AlgNum::operator/=(const AlgNum& o)
{
    Adopt(o);
    if (!field_ || o.IsZero()) throw std::domain_error("division par zéro dans le corps de nombres");
    return *this *= AlgNum(field_, field_->Inverse(o.v_));
}

AlgNum AlgNum::Pow(int e) const
{
    AlgNum r = Integer(field_, 1);
    for (int i = 0; i < e; ++i)
        r *= *this;
    return r;
}

// ---- AlgPoly2 ------------------------------------------------------------------

AlgPoly2 AlgPoly2::Monomial(int i, int j, const AlgNum& c)
{
    AlgPoly2 p;
    p.AddTerm(i, j, c);
    return p;
}

AlgPoly2 AlgPoly2::Translated(const flint::FmpqMpoly& p, const AlgNum& x0, const AlgNum& y0)
{
    const NumberField* k = x0.field() ? x0.field() : y0.field();
    AlgPoly2 out;
    const slong len = fmpq_mpoly_length(p.raw(), p.craw());
    const slong nv = fmpq_mpoly_ctx_nvars(p.craw());
    std::vector<ulong> exp(static_cast<std::size_t>(nv));
    for (slong t = 0; t < len; ++t) {
        flint::Fmpq c;
        fmpq_mpoly_get_term_coeff_fmpq(c.raw(), p.raw(), t, p.craw());
        fmpq_mpoly_get_term_exp_ui(exp.data(), p.raw(), t, p.craw());
        for (std::size_t v = 2; v < exp.size(); ++v)
            if (exp[v] != 0) throw std::invalid_argument("variable autre que x et y");
        const int i = static_cast<int>(exp[0]), j = static_cast<int>(exp[1]);
        const auto bi = Binomials(i), bj = Binomials(j);
        flint::FmpqPoly cp;
        fmpq_poly_set_fmpq(cp.raw(), c.raw());
        const AlgNum coeff(k, cp);
        // c (x + x0)^i (y + y0)^j = sum C(i,a) C(j,b) c x0^(i-a) y0^(j-b) x^a y^b
        for (int a = 0; a <= i; ++a) {
            for (int b = 0; b <= j; ++b) {
                flint::FmpqPoly bin;
                fmpq_poly_set_fmpz(bin.raw(), bi[static_cast<std::size_t>(a)].raw());
                fmpq_poly_scalar_mul_fmpz(bin.raw(), bin.raw(), bj[static_cast<std::size_t>(b)].raw());
                out.AddTerm(a, b, coeff * AlgNum(k, bin) * x0.Pow(i - a) * y0.Pow(j - b));
            }
        }
    }
    return out;
}

int AlgPoly2::Degree() const
{
    int d = -1;
    for (const auto& [e, c] : terms_)
        d = std::max(d, e.first + e.second);
    return d;
}

AlgNum AlgPoly2::Coeff(int i, int j) const
{
    const auto it = terms_.find({ i, j });
    return it == terms_.end() ? AlgNum() : it->second;
}

void AlgPoly2::AddTerm(int i, int j, const AlgNum& c)
{
    if (c.IsZero()) return;
    auto [it, inserted] = terms_.try_emplace({ i, j }, c);
    if (inserted) return;
    it->second += c;
    if (it->second.IsZero()) terms_.erase(it);
}

AlgPoly2 AlgPoly2::Homogeneous(int k) const
{
    AlgPoly2 out;
    for (const auto& [e, c] : terms_)
        if (e.first + e.second == k) out.terms_.emplace(e, c);
    return out;
}

AlgPoly2 AlgPoly2::Dx() const
{
    AlgPoly2 out;
    for (const auto& [e, c] : terms_)
        if (e.first > 0) out.AddTerm(e.first - 1, e.second, AlgNum::Integer(c.field(), e.first) * c);
    return out;
}

AlgPoly2 AlgPoly2::Dy() const
{
    AlgPoly2 out;
    for (const auto& [e, c] : terms_)
        if (e.second > 0) out.AddTerm(e.first, e.second - 1, AlgNum::Integer(c.field(), e.second) * c);
    return out;
}

AlgPoly2& AlgPoly2::operator+=(const AlgPoly2& o)
{
    for (const auto& [e, c] : o.terms_)
        AddTerm(e.first, e.second, c);
    return *this;
}

AlgPoly2& AlgPoly2::operator-=(const AlgPoly2& o)
{
    for (const auto& [e, c] : o.terms_)
        AddTerm(e.first, e.second, -c);
    return *this;
}

AlgPoly2 operator*(const AlgPoly2& a, const AlgPoly2& b)
{
    AlgPoly2 out;
    for (const auto& [ea, ca] : a.terms_)
        for (const auto& [eb, cb] : b.terms_)
            out.AddTerm(ea.first + eb.first, ea.second + eb.second, ca * cb);
    return out;
}

AlgPoly2 operator*(const AlgNum& c, const AlgPoly2& a)
{
    AlgPoly2 out;
    for (const auto& [e, v] : a.terms_)
        out.AddTerm(e.first, e.second, c * v);
    return out;
}

AlgPoly2 AlgPoly2::Pow(int e) const
{
    AlgPoly2 r;
    const NumberField* k = terms_.empty() ? nullptr : terms_.begin()->second.field();
    r.AddTerm(0, 0, AlgNum::Integer(k, 1));
    for (int i = 0; i < e; ++i)
        r = r * *this;
    return r;
}

AlgPoly2 AlgPoly2::Linear(const AlgNum& a, const AlgNum& b, const AlgNum& c, const AlgNum& d) const
{
    const AlgPoly2 X = Monomial(1, 0, a) + Monomial(0, 1, b);
    const AlgPoly2 Y = Monomial(1, 0, c) + Monomial(0, 1, d);
    AlgPoly2 out;
    for (const auto& [e, v] : terms_)
        out += v * (X.Pow(e.first) * Y.Pow(e.second));
    return out;
}

AlgSeries AlgPoly2::Along(const AlgSeries& h, int n) const
{
    const auto len = static_cast<std::size_t>(n + 1);
    auto mul = [len](const AlgSeries& a, const AlgSeries& b) {
        AlgSeries r(len);
        for (std::size_t i = 0; i < len && i < a.size(); ++i) {
            if (a[i].IsZero()) continue;
            for (std::size_t j = 0; i + j < len && j < b.size(); ++j)
                if (!b[j].IsZero()) r[i + j] += a[i] * b[j];
        }
        return r;
    };
    AlgSeries hTrunc(len);
    for (std::size_t i = 0; i < len && i < h.size(); ++i)
        hTrunc[i] = h[i];
    AlgSeries out(len);
    for (const auto& [e, c] : terms_) {
        AlgSeries term(len);
        if (static_cast<std::size_t>(e.first) >= len) continue;
        term[static_cast<std::size_t>(e.first)] = c;
        for (int k = 0; k < e.second; ++k)
            term = mul(term, hTrunc);
        for (std::size_t i = 0; i < len; ++i)
            out[i] += term[i];
    }
    return out;
}

std::optional<std::vector<AlgNum>> SolveUnique(std::vector<std::vector<AlgNum>> a, std::vector<AlgNum> rhs)
{
    const std::size_t n = rhs.size();
    for (std::size_t col = 0; col < n; ++col) {
        std::size_t pivot = col;
        while (pivot < n && a[pivot][col].IsZero())
            ++pivot;
        if (pivot == n) return std::nullopt;
        std::swap(a[pivot], a[col]);
        std::swap(rhs[pivot], rhs[col]);
        for (std::size_t r = 0; r < n; ++r) {
            if (r == col || a[r][col].IsZero()) continue;
            const AlgNum factor = a[r][col] / a[col][col];
            for (std::size_t c = col; c < n; ++c)
                a[r][c] -= factor * a[col][c];
            rhs[r] -= factor * rhs[col];
        }
    }
    std::vector<AlgNum> x(n);
    for (std::size_t i = 0; i < n; ++i)
        x[i] = rhs[i] / a[i][i];
    return x;
}

} // namespace vindrel::engine::classify
