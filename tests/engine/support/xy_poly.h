// Polynomials in x and y written in FLINT's syntax (explicit '*'), for the
// engine tests. A text FLINT refuses fails the running test.
#pragma once

#include "engine/flint/flint_types.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vindrel::test {

inline flint::MpolyCtxPtr XyContext()
{
    static const flint::MpolyCtxPtr ctx
        = std::make_shared<const flint::MpolyCtx>(std::vector<std::string> { "x", "y" });
    return ctx;
}

inline flint::FmpqMpoly Poly(const std::string& text, const flint::MpolyCtxPtr& ctx = XyContext())
{
    flint::FmpqMpoly p(ctx);
    EXPECT_EQ(0, fmpq_mpoly_set_str_pretty(p.raw(), text.c_str(), ctx->cnames(), ctx->raw())) << text;
    return p;
}

} // namespace vindrel::test
