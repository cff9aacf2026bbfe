// Shared helpers of the fixed-point tests: systems from text, the decodable
// character set of the result files.
#pragma once

#include "engine/fixedpoints/fixed_points.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vindrel::engine::testing {

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

inline FixedPointAnalysis Analyse(
    const std::string& p, const std::string& q, const FixedPointOptions& options = {})
{
    return AnalyseFixedPoints(Poly(p), Poly(q), Deadline(std::chrono::hours(1)), options);
}

// True when every character of the UTF-8 text is ASCII or one of the
// accented letters the front end decodes (é è ê ë ç à â ä û ù ü ï î ô ö ²).
inline bool OnlyDecodableCharacters(const std::string& text, std::string* offending = nullptr)
{
    static const std::vector<std::string> allowed
        = { "é", "è", "ê", "ë", "ç", "à", "â", "ä", "û", "ù", "ü", "ï", "î", "ô", "ö", "²" };
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        bool ok = false;
        for (const std::string& a : allowed) {
            if (text.compare(i, a.size(), a) == 0) {
                i += a.size();
                ok = true;
                break;
            }
        }
        if (!ok) {
            if (offending) *offending = text.substr(i, 4);
            return false;
        }
    }
    return true;
}

} // namespace vindrel::engine::testing
