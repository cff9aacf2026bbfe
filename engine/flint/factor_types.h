// RAII holders for the FLINT factorisation and matrix types used by the
// fixed-point search. Same conventions as flint_types.h; these objects are
// filled once and read, so they are move-only.
#pragma once

#include "engine/flint/flint_types.h"

#include <flint/fmpq_mpoly_factor.h>
#include <flint/fmpz_poly_factor.h>
#include <flint/fmpz_poly_mat.h>

namespace vindrel::flint {

class FmpzPolyFactor {
public:
    FmpzPolyFactor() { fmpz_poly_factor_init(v_); }
    ~FmpzPolyFactor() { fmpz_poly_factor_clear(v_); }
    FmpzPolyFactor(const FmpzPolyFactor&) = delete;
    FmpzPolyFactor& operator=(const FmpzPolyFactor&) = delete;
    fmpz_poly_factor_struct* raw() { return v_; }
    const fmpz_poly_factor_struct* raw() const { return v_; }

private:
    fmpz_poly_factor_t v_;
};

class FmpzPolyMat {
public:
    FmpzPolyMat(slong rows, slong cols) { fmpz_poly_mat_init(v_, rows, cols); }
    ~FmpzPolyMat() { fmpz_poly_mat_clear(v_); }
    FmpzPolyMat(const FmpzPolyMat&) = delete;
    FmpzPolyMat& operator=(const FmpzPolyMat&) = delete;
    fmpz_poly_struct* at(slong i, slong j) { return fmpz_poly_mat_entry(v_, i, j); }
    fmpz_poly_mat_struct* raw() { return v_; }

private:
    fmpz_poly_mat_t v_;
};

class Arf {
public:
    Arf() { arf_init(v_); }
    ~Arf() { arf_clear(v_); }
    Arf(const Arf& o)
    {
        arf_init(v_);
        arf_set(v_, o.v_);
    }
    Arf(Arf&& o) noexcept
    {
        arf_init(v_);
        arf_swap(v_, o.v_);
    }
    Arf& operator=(const Arf& o)
    {
        arf_set(v_, o.v_);
        return *this;
    }
    Arf& operator=(Arf&& o) noexcept
    {
        arf_swap(v_, o.v_);
        return *this;
    }
    arf_struct* raw() { return v_; }
    const arf_struct* raw() const { return v_; }

private:
    arf_t v_;
};

// Factors of a polynomial in several variables, bound to its context.
class FmpqMpolyFactor {
public:
    explicit FmpqMpolyFactor(MpolyCtxPtr ctx)
        : ctx_(std::move(ctx))
    {
        fmpq_mpoly_factor_init(v_, ctx_->raw());
    }
    ~FmpqMpolyFactor() { fmpq_mpoly_factor_clear(v_, ctx_->raw()); }
    FmpqMpolyFactor(const FmpqMpolyFactor&) = delete;
    FmpqMpolyFactor& operator=(const FmpqMpolyFactor&) = delete;
    fmpq_mpoly_factor_struct* raw() { return v_; }

private:
    MpolyCtxPtr ctx_;
    fmpq_mpoly_factor_t v_;
};

} // namespace vindrel::flint
