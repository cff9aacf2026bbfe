#include "engine/report/dos.h"

#include "engine/text/utf8.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>

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

int DosByte(char32_t code)
{
    if (code < 0x80) return static_cast<int>(code);
    for (const Letter& l : kLetters)
        if (l.code == code) return l.dos;
    return -1;
}

bool StartsCharacter(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}

size_t CharCount(std::string_view s)
{
    size_t n = 0;
    for (char c : s)
        n += StartsCharacter(c);
    return n;
}

// The byte length of the first n characters of s.
size_t BytesOfChars(std::string_view s, size_t n)
{
    size_t i = 0;
    for (; i < s.size(); ++i)
        if (StartsCharacter(s[i]) && n-- == 0) break;
    return i;
}

// One line of at least limit + 1 characters, broken into lines of at most
// limit characters, each ending with LF.
void WrapLine(std::string_view line, size_t limit, std::string& out)
{
    const size_t blanks = std::min(line.find_first_not_of(' '), line.size());
    const size_t lead = std::min(blanks, limit / 2);
    const std::string continuation(std::min(lead + 2, limit / 2), ' ');
    std::string current(lead, ' ');
    size_t length = lead;
    bool empty = true; // no word on the current line yet
    const auto newLine = [&] {
        out += current;
        out += '\n';
        current = continuation;
        length = continuation.size();
        empty = true;
    };
    size_t i = blanks;
    while (i < line.size()) {
        const size_t wordStart = std::min(line.find_first_not_of(' ', i), line.size());
        const size_t wordEnd = std::min(line.find(' ', wordStart), line.size());
        const std::string_view gap = line.substr(i, wordStart - i);
        std::string_view word = line.substr(wordStart, wordEnd - wordStart);
        i = wordEnd;
        const size_t wordLength = CharCount(word);
        if (!empty && length + gap.size() + wordLength <= limit) {
            current += gap;
            current += word;
            length += gap.size() + wordLength;
            continue;
        }
        if (!empty) {
            if (word.empty()) continue; // blanks at the end of the line
            newLine();
        }
        // A word longer than what is left of a fresh line is cut.
        while (length + CharCount(word) > limit) {
            const size_t cut = BytesOfChars(word, limit - length);
            current += word.substr(0, cut);
            word.remove_prefix(cut);
            newLine();
        }
        current += word;
        length += CharCount(word);
        empty = word.empty();
    }
    out += current;
}

} // namespace

std::string WrapLongLines(const std::string& utf8, size_t limit)
{
    if (limit < 8) limit = 8; // room for an indentation and a piece of a word
    std::string out;
    out.reserve(utf8.size() + utf8.size() / 32);
    size_t start = 0;
    while (start <= utf8.size()) {
        const size_t end = std::min(utf8.find('\n', start), utf8.size());
        const std::string_view line = std::string_view(utf8).substr(start, end - start);
        if (CharCount(line) <= limit)
            out += line;
        else
            WrapLine(line, limit, out);
        if (end == utf8.size()) break;
        out += '\n';
        start = end + 1;
    }
    return out;
}

std::string ToDos850(const std::string& utf8)
{
    std::string out;
    out.reserve(utf8.size() + utf8.size() / 16);
    for (size_t i = 0; i < utf8.size();) {
        char32_t code = 0;
        const size_t len = DecodeUtf8(utf8, i, code);
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
        const size_t len = DecodeUtf8(utf8, i, code);
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
        const size_t len = DecodeUtf8(utf8, i, code);
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
