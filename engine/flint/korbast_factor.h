// RAII holder for the factorisation of an integer polynomial, used by the
// general analysis to find rational roots (invariant line directions and
// intercepts). Same shape as the holders of flint_types.h.
#pragma once

#include <flint/fmpz_poly.h>
#include <flint/fmpz_poly_factor.h>

#include <utility>

namespace vindrel::flint {

class FmpzPolyFactor {
public:
    FmpzPolyFactor() { fmpz_poly_factor_init(v_); }
    ~FmpzPolyFactor() { fmpz_poly_factor_clear(v_); }
    FmpzPolyFactor(const FmpzPolyFactor& o)
    {
        fmpz_poly_factor_init(v_);
        fmpz_poly_factor_set(v_, o.v_);
    }
    FmpzPolyFactor(FmpzPolyFactor&& o) noexcept
    {
        fmpz_poly_factor_init(v_);
        std::swap(v_[0], o.v_[0]);
    }
    FmpzPolyFactor& operator=(const FmpzPolyFactor& o)
    {
        if (this != &o) fmpz_poly_factor_set(v_, o.v_);
        return *this;
    }
    FmpzPolyFactor& operator=(FmpzPolyFactor&& o) noexcept
    {
        std::swap(v_[0], o.v_[0]);
        return *this;
    }
    fmpz_poly_factor_struct* raw() { return v_; }
    const fmpz_poly_factor_struct* raw() const { return v_; }

private:
    fmpz_poly_factor_t v_;
};

} // namespace vindrel::flint
