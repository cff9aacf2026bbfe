// Helpers for the general analysis tests: polynomials from text, rational
// fixed points, and the check that a text only uses the characters that
// the result files can carry.
#pragma once

#include "engine/general/general.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace vindrel::engine::general::testing {

inline flint::MpolyCtxPtr XY()
{
    return std::make_shared<const flint::MpolyCtx>(std::vector<std::string> { "x", "y" });
}

inline flint::MpolyCtxPtr XYAB()
{
    return std::make_shared<const flint::MpolyCtx>(std::vector<std::string> { "x", "y", "a", "b" });
}

// FLINT syntax: explicit '*' between factors.
inline FmpqMpoly Poly(const flint::MpolyCtxPtr& ctx, const std::string& text)
{
    FmpqMpoly p(ctx);
    if (fmpq_mpoly_set_str_pretty(p.raw(), text.c_str(), ctx->cnames(), ctx->raw()) != 0)
        throw std::invalid_argument("bad polynomial: " + text);
    return p;
}

inline Fmpq Q(const std::string& text)
{
    Fmpq q;
    if (fmpq_set_str(q.raw(), text.c_str(), 10) != 0) throw std::invalid_argument("bad rational: " + text);
    return q;
}

inline FixedPoint RationalPoint(const std::string& x, const std::string& y)
{
    FixedPoint p;
    p.xText = x;
    p.yText = y;
    p.x = Q(x);
    p.y = Q(y);
    p.xApprox = fmpq_get_d(p.x->raw());
    p.yApprox = fmpq_get_d(p.y->raw());
    return p;
}

// ASCII printable, '\n', and the accented letters of the result files.
inline bool OnlyResultCharacters(const std::string& utf8)
{
    static const std::u32string allowed = U"éèêëçàâäûùüïîôö²";
    for (size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        char32_t cp;
        size_t n;
        if (c < 0x80) {
            cp = c;
            n = 1;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            n = 2;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            n = 3;
        } else
            return false;
        if (i + n > utf8.size()) return false;
        for (size_t k = 1; k < n; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += n;
        if (cp == '\n' || (cp >= 0x20 && cp < 0x7F)) continue;
        if (allowed.find(cp) == std::u32string::npos) return false;
    }
    return true;
}

} // namespace vindrel::engine::general::testing
