// Thin RAII holders for the FLINT and Arb types the engine uses.
// One class per type: constructor = _init, destructor = _clear,
// copy = init + set, move = init + swap (noexcept), raw() gives the C object.
// Engine-internal: include it from .cpp files and internal headers only.
#pragma once

#include <flint/flint.h>
#include <flint/fmpz.h>
#include <flint/fmpq.h>
#include <flint/fmpz_poly.h>
#include <flint/fmpq_poly.h>
#include <flint/fmpz_mpoly.h>
#include <flint/fmpq_mpoly.h>
#include <arb.h>
#include <acb.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vindrel::flint {

// A string returned by FLINT, freed with flint_free.
inline std::string TakeString(char* s)
{
    std::string out = s ? std::string(s) : std::string();
    flint_free(s);
    return out;
}

#define VINDREL_FLINT_HOLDER(Name, T, Init, Clear, Set, Swap)                  \
    class Name {                                                               \
    public:                                                                    \
        Name() { Init(v_); }                                                   \
        ~Name() { Clear(v_); }                                                 \
        Name(const Name& o) { Init(v_); Set(v_, o.v_); }                       \
        Name(Name&& o) noexcept { Init(v_); Swap(v_, o.v_); }                  \
        Name& operator=(const Name& o) { if (this != &o) Set(v_, o.v_); return *this; } \
        Name& operator=(Name&& o) noexcept { Swap(v_, o.v_); return *this; }   \
        T* raw() { return v_; }                                                \
        const T* raw() const { return v_; }                                    \
    private:                                                                   \
        T v_[1];                                                               \
    };

VINDREL_FLINT_HOLDER(Fmpz, fmpz, fmpz_init, fmpz_clear, fmpz_set, fmpz_swap)
VINDREL_FLINT_HOLDER(Fmpq, fmpq, fmpq_init, fmpq_clear, fmpq_set, fmpq_swap)
VINDREL_FLINT_HOLDER(FmpzPoly, fmpz_poly_struct, fmpz_poly_init, fmpz_poly_clear, fmpz_poly_set, fmpz_poly_swap)
VINDREL_FLINT_HOLDER(FmpqPoly, fmpq_poly_struct, fmpq_poly_init, fmpq_poly_clear, fmpq_poly_set, fmpq_poly_swap)
VINDREL_FLINT_HOLDER(Arb, arb_struct, arb_init, arb_clear, arb_set, arb_swap)
VINDREL_FLINT_HOLDER(Acb, acb_struct, acb_init, acb_clear, acb_set, acb_swap)

#undef VINDREL_FLINT_HOLDER

// A context for multivariate polynomials over Q: the variables, in order,
// with their names (x, y first; literal constants after them).
class MpolyCtx {
public:
    explicit MpolyCtx(std::vector<std::string> names)
        : names_(std::move(names))
    {
        fmpq_mpoly_ctx_init(ctx_, static_cast<slong>(names_.size() ? names_.size() : 1), ORD_DEGREVLEX);
        for (auto& n : names_) cnames_.push_back(n.c_str());
    }
    ~MpolyCtx() { fmpq_mpoly_ctx_clear(ctx_); }
    MpolyCtx(const MpolyCtx&) = delete;
    MpolyCtx& operator=(const MpolyCtx&) = delete;

    fmpq_mpoly_ctx_struct* raw() const { return ctx_; }
    slong nvars() const { return fmpq_mpoly_ctx_nvars(ctx_); }
    const std::vector<std::string>& names() const { return names_; }
    const char** cnames() const { return const_cast<const char**>(cnames_.data()); }

private:
    mutable fmpq_mpoly_ctx_t ctx_;
    std::vector<std::string> names_;
    std::vector<const char*> cnames_;
};

using MpolyCtxPtr = std::shared_ptr<const MpolyCtx>;

// A polynomial over Q bound to its context.
class FmpqMpoly {
public:
    explicit FmpqMpoly(MpolyCtxPtr ctx)
        : ctx_(std::move(ctx))
    {
        fmpq_mpoly_init(v_, ctx_->raw());
    }
    ~FmpqMpoly()
    {
        if (ctx_) fmpq_mpoly_clear(v_, ctx_->raw());
    }
    FmpqMpoly(const FmpqMpoly& o)
        : ctx_(o.ctx_)
    {
        fmpq_mpoly_init(v_, ctx_->raw());
        fmpq_mpoly_set(v_, o.v_, ctx_->raw());
    }
    FmpqMpoly(FmpqMpoly&& o) noexcept
        : ctx_(o.ctx_)
    {
        fmpq_mpoly_init(v_, ctx_->raw());
        fmpq_mpoly_swap(v_, o.v_, ctx_->raw());
    }
    FmpqMpoly& operator=(const FmpqMpoly& o)
    {
        if (this != &o) {
            FmpqMpoly copy(o);
            swap(copy);
        }
        return *this;
    }
    FmpqMpoly& operator=(FmpqMpoly&& o) noexcept
    {
        swap(o);
        return *this;
    }
    void swap(FmpqMpoly& o) noexcept
    {
        if (ctx_ == o.ctx_) {
            fmpq_mpoly_swap(v_, o.v_, ctx_->raw());
        } else {
            // Different contexts: swap the whole structs and the contexts.
            std::swap(v_[0], o.v_[0]);
            std::swap(ctx_, o.ctx_);
        }
    }

    fmpq_mpoly_struct* raw() { return v_; }
    const fmpq_mpoly_struct* raw() const { return v_; }
    const MpolyCtxPtr& ctx() const { return ctx_; }
    fmpq_mpoly_ctx_struct* craw() const { return ctx_->raw(); }

private:
    MpolyCtxPtr ctx_;
    fmpq_mpoly_t v_;
};

} // namespace vindrel::flint
