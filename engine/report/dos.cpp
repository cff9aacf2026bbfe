#include "engine/report/dos.h"

#include <stdexcept>

namespace vindrel::engine {

namespace {

struct Letter {
    char32_t code;
    unsigned char dos;
};

constexpr Letter kLetters[] = { { U'\u00E9', 130 }, { U'\u00E8', 138 }, { U'\u00EA', 136 },
    { U'\u00EB', 137 }, { U'\u00E7', 135 }, { U'\u00E0', 133 }, { U'\u00E2', 131 }, { U'\u00E4', 132 },
    { U'\u00FB', 150 }, { U'\u00F9', 151 }, { U'\u00FC', 129 }, { U'\u00EF', 139 }, { U'\u00EE', 140 },
    { U'\u00F4', 147 }, { U'\u00F6', 148 }, { U'\u00B2', 253 } };

// Reads the code point at s[i]; returns its length, or 0 for invalid UTF-8.
size_t NextCodePoint(const std::string& s, size_t i, char32_t& code)
{
    const auto b = static_cast<unsigned char>(s[i]);
    size_t len = 0;
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
    for (size_t k = 1; k < len; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) return 0;
        code = (code << 6) | (c & 0x3F);
    }
    if ((len == 3 && code < 0x800) || (len == 4 && code < 0x10000)) return 0;
    return len;
}

int DosByte(char32_t code)
{
    if (code < 0x80) return static_cast<int>(code);
    for (const Letter& l : kLetters)
        if (l.code == code) return l.dos;
    return -1;
}

} // namespace

std::string ToDos850(const std::string& utf8)
{
    std::string out;
    out.reserve(utf8.size() + utf8.size() / 16);
    for (size_t i = 0; i < utf8.size();) {
        char32_t code = 0;
        const size_t len = NextCodePoint(utf8, i, code);
        if (len == 0) throw std::logic_error("ToDos850: invalid UTF-8 at byte " + std::to_string(i));
        const int byte = DosByte(code);
        if (byte < 0)
            throw std::logic_error(
                "ToDos850: character not in the result-file set at byte " + std::to_string(i));
        if (code == '\n') out += '\r';
        out += static_cast<char>(byte);
        i += len;
    }
    return out;
}

bool IsDecodable(const std::string& utf8)
{
    for (size_t i = 0; i < utf8.size();) {
        char32_t code = 0;
        const size_t len = NextCodePoint(utf8, i, code);
        if (len == 0 || DosByte(code) < 0) return false;
        i += len;
    }
    return true;
}

std::string SanitizeForDos(const std::string& utf8)
{
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        char32_t code = 0;
        const size_t len = NextCodePoint(utf8, i, code);
        if (len == 0) {
            out += '?';
            ++i;
            continue;
        }
        const bool control = (code < 0x20 && code != '\n') || code == 0x7F;
        if (control || DosByte(code) < 0)
            out += '?';
        else
            out.append(utf8, i, len);
        i += len;
    }
    return out;
}

} // namespace vindrel::engine
