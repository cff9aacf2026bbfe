#include "engine/page/typography.h"

#include <cctype>
#include <cmath>
#include <cstdio>

namespace vindrel::page {

namespace {

constexpr const char* kNarrowNoBreak = "\u202F";
constexpr const char* kNoBreak = "\u00A0";
constexpr const char* kMinus = "\u2212";

bool IsDigit(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// An ASCII letter or a byte of a UTF-8 letter (é, ô...).
bool IsLetter(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) != 0 || static_cast<unsigned char>(c) >= 0x80;
}

void AppendEscaped(std::string& out, char c)
{
    switch (c) {
    case '&':
        out += "&amp;";
        break;
    case '<':
        out += "&lt;";
        break;
    case '>':
        out += "&gt;";
        break;
    case '"':
        out += "&quot;";
        break;
    default:
        out += c;
    }
}

std::string Superscript(const std::string& digits)
{
    static const char* const kRaised[] = { "⁰", "¹", "²", "³", "⁴", "⁵", "⁶", "⁷", "⁸", "⁹" };
    std::string out;
    for (char d : digits)
        out += kRaised[d - '0'];
    return out;
}

} // namespace

std::string Escape(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        AppendEscaped(out, c);
    return out;
}

std::string Prose(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    bool quoteOpen = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '<' && text.compare(i, 2, "<>") == 0) {
            out += "≠";
            ++i;
        } else if (c == '-' && text.compare(i, 2, "->") == 0) {
            out += "→";
            ++i;
        } else if (c == '.' && i > 0 && IsDigit(text[i - 1]) && i + 1 < text.size() && IsDigit(text[i + 1])) {
            out += ','; // decimal comma
        } else if (c == '\'' && i > 0 && IsLetter(text[i - 1]) && i + 1 < text.size()
            && IsLetter(text[i + 1])) {
            out += "’"; // l'indice -> l’indice; x' (a derivative) is kept
        } else if (c == '"') {
            out += quoteOpen ? std::string(kNoBreak) + "»" : "«" + std::string(kNoBreak);
            quoteOpen = !quoteOpen;
        } else if (c == ';' || c == ':' || c == '!' || c == '?') {
            // The blanks before a high sign become one narrow no-break space.
            bool blank = false;
            while (!out.empty() && (out.back() == ' ' || out.back() == '\t')) {
                out.pop_back();
                blank = true;
            }
            if (blank || (!out.empty() && out.back() == '\n')) out += kNarrowNoBreak;
            out += c;
        } else {
            AppendEscaped(out, c);
        }
    }
    return out;
}

std::string Decimal(double value, int digits)
{
    if (!std::isfinite(value)) return "non défini";
    if (value == 0) return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*g", digits, value);
    std::string s = buf, exponent;
    if (const size_t e = s.find('e'); e != std::string::npos) {
        exponent = s.substr(e + 1);
        s.resize(e);
    }
    std::string out;
    for (char c : s)
        out += c == '.' ? std::string(",") : c == '-' ? std::string(kMinus) : std::string(1, c);
    if (!exponent.empty()) {
        const bool negative = exponent[0] == '-';
        const size_t first = exponent.find_first_not_of("+-0");
        out += "\u00A0×\u00A010" + std::string(negative ? "⁻" : "")
            + Superscript(first == std::string::npos ? "0" : exponent.substr(first));
    }
    return out;
}

std::string Formula(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '^') {
            size_t j = i + 1;
            while (j < text.size() && IsDigit(text[j]))
                ++j;
            out += Superscript(text.substr(i + 1, j - i - 1));
            i = j - 1;
        } else if (c == '*') {
            // A number times a letter keeps a thin space: 1/2 y², not 1/2y².
            if (i > 0 && (IsDigit(text[i - 1]) || text[i - 1] == ')')) out += "\u2009";
        } else if (c == '-') {
            out += kMinus;
        } else if (text.compare(i, 5, "sqrt(") == 0) {
            size_t j = i + 5;
            while (j < text.size() && IsDigit(text[j]))
                ++j;
            if (j < text.size() && text[j] == ')' && j > i + 5) {
                out += "√" + text.substr(i + 5, j - i - 5);
                i = j;
            } else {
                out += "√(";
                i += 4;
            }
        } else {
            AppendEscaped(out, c);
        }
    }
    return out;
}

} // namespace vindrel::page
