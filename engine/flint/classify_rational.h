// An exact rational number with value semantics, over FLINT's fmpq.
// Used where the local classification does many small exact computations
// (series coefficients, linear systems) and operators keep the code legible.
// Engine-internal: include it from .cpp files and internal headers only.
#pragma once

#include "engine/flint/flint_types.h"

#include <compare>
#include <string>

namespace vindrel::flint {

class Rational {
public:
    Rational() = default;
    Rational(slong n) { fmpq_set_si(v_.raw(), n, 1); } // NOLINT: implicit from integers on purpose
    // n / d with d > 0.
    Rational(slong n, ulong d) { fmpq_set_si(v_.raw(), n, d); }
    static Rational FromFmpq(const fmpq* q)
    {
        Rational r;
        fmpq_set(r.raw(), q);
        return r;
    }

    fmpq* raw() { return v_.raw(); }
    const fmpq* raw() const { return v_.raw(); }

    bool IsZero() const { return fmpq_is_zero(raw()); }
    bool IsOne() const { return fmpq_is_one(raw()); }
    bool IsInteger() const { return fmpz_is_one(fmpq_denref(raw())); }
    int Sign() const { return fmpq_sgn(raw()); }
    std::string ToString() const { return TakeString(fmpq_get_str(nullptr, 10, raw())); }

    Rational operator-() const
    {
        Rational r;
        fmpq_neg(r.raw(), raw());
        return r;
    }
    Rational& operator+=(const Rational& o)
    {
        fmpq_add(raw(), raw(), o.raw());
        return *this;
    }
    Rational& operator-=(const Rational& o)
    {
        fmpq_sub(raw(), raw(), o.raw());
        return *this;
    }
    Rational& operator*=(const Rational& o)
    {
        fmpq_mul(raw(), raw(), o.raw());
        return *this;
    }
    // The caller guarantees o != 0 (FLINT aborts on a zero divisor).
    Rational& operator/=(const Rational& o)
    {
        fmpq_div(raw(), raw(), o.raw());
        return *this;
    }
    friend Rational operator+(Rational a, const Rational& b) { return a += b; }
    friend Rational operator-(Rational a, const Rational& b) { return a -= b; }
    friend Rational operator*(Rational a, const Rational& b) { return a *= b; }
    friend Rational operator/(Rational a, const Rational& b) { return a /= b; }
    friend bool operator==(const Rational& a, const Rational& b) { return fmpq_equal(a.raw(), b.raw()); }
    friend std::strong_ordering operator<=>(const Rational& a, const Rational& b)
    {
        const int c = fmpq_cmp(a.raw(), b.raw());
        return c < 0 ? std::strong_ordering::less
                     : (c > 0 ? std::strong_ordering::greater : std::strong_ordering::equal);
    }

    // this^e for e >= 0.
    Rational Pow(ulong e) const
    {
        Rational r;
        fmpq_pow_si(r.raw(), raw(), static_cast<slong>(e));
        return r;
    }

private:
    Fmpq v_;
};

} // namespace vindrel::flint
