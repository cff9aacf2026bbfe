// Builds a field from polynomial texts in x and y, as the parser would.
#pragma once

#include "engine/flint/flint_types.h"
#include "engine/portrait/field.h"

#include <memory>
#include <stdexcept>

namespace vindrel::portrait::testing {

inline PolynomialField FieldOf(const char* p, const char* q)
{
    auto ctx = std::make_shared<const flint::MpolyCtx>(std::vector<std::string>{"x", "y"});
    flint::FmpqMpoly P(ctx), Q(ctx);
    if (fmpq_mpoly_set_str_pretty(P.raw(), p, ctx->cnames(), ctx->raw()) != 0
        || fmpq_mpoly_set_str_pretty(Q.raw(), q, ctx->cnames(), ctx->raw()) != 0)
        throw std::invalid_argument("bad polynomial in a test");
    return PolynomialField(TermsOf(P), TermsOf(Q));
}

} // namespace vindrel::portrait::testing
