// Strict UTF-8 decoding, one code point at a time: overlong forms, UTF-16
// surrogates and values beyond U+10FFFF are invalid.
#pragma once

#include <cstddef>
#include <string>

namespace vindrel::engine {

// Reads the code point that starts at byte i of s into code. Returns its
// length in bytes (1 to 4), or 0 when the bytes at i are not valid UTF-8.
inline std::size_t DecodeUtf8(const std::string& s, std::size_t i, char32_t& code)
{
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t len = 0;
    if (b < 0x80) {
        code = b;
        return 1;
    }
    if ((b & 0xE0) == 0xC0 && b >= 0xC2) {
        code = b & 0x1F;
        len = 2;
    } else if ((b & 0xF0) == 0xE0) {
        code = b & 0x0F;
        len = 3;
    } else if ((b & 0xF8) == 0xF0 && b <= 0xF4) {
        code = b & 0x07;
        len = 4;
    } else {
        return 0;
    }
    if (i + len > s.size()) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) return 0;
        code = (code << 6) | (c & 0x3F);
    }
    const bool overlong = (len == 3 && code < 0x800) || (len == 4 && code < 0x10000);
    if (overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return len;
}

} // namespace vindrel::engine
