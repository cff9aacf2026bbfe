// Exact arithmetic in a number field Q[u]/(f) with a chosen real root of f,
// and small polynomials in x, y with coefficients in it. Engine-internal.
#pragma once

#include "engine/flint/flint_types.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vindrel::engine::classify {

class NumberField {
public:
    // f irreducible of degree >= 2, one root in (lo, hi), f(lo) f(hi) < 0.
    NumberField(const flint::FmpzPoly& f, const flint::Fmpq& lo, const flint::Fmpq& hi);

    const flint::FmpqPoly& modulus() const { return f_; }
    void Reduce(flint::FmpqPoly& a) const;
    // The inverse of a non-zero element.
    flint::FmpqPoly Inverse(const flint::FmpqPoly& a) const;
    // A ball holding the value of a at the root, computed at precision prec.
    flint::Arb Ball(const flint::FmpqPoly& a, slong prec) const;
    // The exact sign of the value at the root: 0 only when a = 0 in the field.
    // Throws LimitExceeded when the balls do not separate it from 0 in time.
    int Sign(const flint::FmpqPoly& a) const;

private:
    void Narrow(slong bits) const; // bisects until hi - lo < 2^-bits
    int SignOfF(const flint::Fmpq& t) const;

    flint::FmpzPoly fz_;
    flint::FmpqPoly f_;
    mutable flint::Fmpq lo_, hi_;
    mutable slong narrowed_ = 0;
};

// An element of a number field. A default-constructed element is 0 and
// belongs to no field yet; it takes the field of the other operand.
class AlgNum {
public:
    AlgNum() = default;
    AlgNum(const NumberField* field, flint::FmpqPoly v);
    static AlgNum Integer(const NumberField* field, slong n);

    const NumberField* field() const { return field_; }
    const flint::FmpqPoly& poly() const { return v_; }
    bool IsZero() const { return fmpq_poly_is_zero(v_.raw()); }
    int Sign() const { return field_ ? field_->Sign(v_) : 0; }
    double Approx() const;
    // Ten significant digits with a French comma ("-0,3535533906").
    std::string Text() const;

    AlgNum operator-() const;
    AlgNum& operator+=(const AlgNum& o);
    AlgNum& operator-=(const AlgNum& o);
    AlgNum& operator*=(const AlgNum& o);
    AlgNum& operator/=(const AlgNum& o); // o != 0
    friend AlgNum operator+(AlgNum a, const AlgNum& b) { return a += b; }
    friend AlgNum operator-(AlgNum a, const AlgNum& b) { return a -= b; }
    friend AlgNum operator*(AlgNum a, const AlgNum& b) { return a *= b; }
    friend AlgNum operator/(AlgNum a, const AlgNum& b) { return a /= b; }
    AlgNum Pow(int e) const;

private:
    void Adopt(const AlgNum& o);

    const NumberField* field_ = nullptr;
    flint::FmpqPoly v_;
};

using AlgSeries = std::vector<AlgNum>; // coefficients of x^k, truncated

// A polynomial in x and y over a number field.
class AlgPoly2 {
public:
    using Exp = std::pair<int, int>;

    static AlgPoly2 Monomial(int i, int j, const AlgNum& c);
    // p(x + x0, y + y0) for a rational polynomial p in x (variable 0), y (variable 1).
    static AlgPoly2 Translated(const flint::FmpqMpoly& p, const AlgNum& x0, const AlgNum& y0);

    const std::map<Exp, AlgNum>& Terms() const { return terms_; }
    bool IsZero() const { return terms_.empty(); }
    int Degree() const;
    AlgNum Coeff(int i, int j) const;
    void AddTerm(int i, int j, const AlgNum& c);

    AlgPoly2 Homogeneous(int k) const;
    AlgPoly2 Dx() const;
    AlgPoly2 Dy() const;
    AlgPoly2& operator+=(const AlgPoly2& o);
    AlgPoly2& operator-=(const AlgPoly2& o);
    friend AlgPoly2 operator+(AlgPoly2 a, const AlgPoly2& b) { return a += b; }
    friend AlgPoly2 operator-(AlgPoly2 a, const AlgPoly2& b) { return a -= b; }
    friend AlgPoly2 operator*(const AlgPoly2& a, const AlgPoly2& b);
    friend AlgPoly2 operator*(const AlgNum& c, const AlgPoly2& a);
    AlgPoly2 Pow(int e) const;
    // p(a x + b y, c x + d y).
    AlgPoly2 Linear(const AlgNum& a, const AlgNum& b, const AlgNum& c, const AlgNum& d) const;
    // p(x, h(x)) truncated at degree n.
    AlgSeries Along(const AlgSeries& h, int n) const;

private:
    std::map<Exp, AlgNum> terms_; // no zero coefficient is stored
};

// The unique solution of a square system over the field, or nothing when singular.
std::optional<std::vector<AlgNum>> SolveUnique(std::vector<std::vector<AlgNum>> a, std::vector<AlgNum> rhs);

} // namespace vindrel::engine::classify
