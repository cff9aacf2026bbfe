// The front end's reading of a result file byte: Windows-1252, except the
// DOS codes of the French letters and the superscript two. Used to prove
// that what the tools write reads back unchanged.
#pragma once

#include <string>

namespace vindrel::engine::testing {

inline char32_t FrontEndDecode(unsigned char b)
{
    switch (b) {
    case 130:
        return U'\u00E9';
    case 138:
        return U'\u00E8';
    case 136:
        return U'\u00EA';
    case 137:
        return U'\u00EB';
    case 135:
        return U'\u00E7';
    case 133:
        return U'\u00E0';
    case 131:
        return U'\u00E2';
    case 132:
        return U'\u00E4';
    case 150:
        return U'\u00FB';
    case 151:
        return U'\u00F9';
    case 129:
        return U'\u00FC';
    case 139:
        return U'\u00EF';
    case 140:
        return U'\u00EE';
    case 147:
        return U'\u00F4';
    case 148:
        return U'\u00F6';
    case 253:
        return U'\u00B2';
    default:
        break;
    }
    if (b < 0x80 || b >= 0xA0) return b;
    // Windows-1252 0x80..0x9F; the four undefined codes stay control characters.
    static const char32_t k1252[32] = { 0x20AC, 0x81, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6,
        0x2030, 0x0160, 0x2039, 0x0152, 0x8D, 0x017D, 0x8F, 0x90, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D, 0x017E, 0x0178 };
    return k1252[b - 0x80];
}

inline void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The front end's whole-file reading: lines end at CR LF or a lone CR, the
// lines are joined with CR LF, a final line end adds nothing. Returned with
// CR LF turned back into LF, so it compares with the text the tool meant.
inline std::string FrontEndRead(const std::string& bytes)
{
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == '\r') {
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
            if (i + 1 < bytes.size()) out += '\n';
            continue;
        }
        AppendUtf8(out, FrontEndDecode(b));
    }
    return out;
}

} // namespace vindrel::engine::testing
