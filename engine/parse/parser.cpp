#include "engine/parse/parser.h"

#include "engine/errors.h"
#include "engine/text/utf8.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <memory>
#include <set>
#include <utility>

namespace vindrel::engine {

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

namespace {

using flint::Fmpq;
using flint::FmpqMpoly;
using flint::Fmpz;
using flint::MpolyCtxPtr;

constexpr std::array<const char*, 7> kFunctionNames = { "sqrt", "sin", "cos", "exp", "tan", "log", "ln" };

// ---------------------------------------------------------------- characters

struct Char {
    char32_t code;
    int position; // 1-based
};

// Splits UTF-8 text into code points; invalid sequences and control
// characters are reported at their position.
std::vector<Char> Decode(const std::string& text, int component)
{
    std::vector<Char> out;
    size_t i = 0;
    int position = 1;
    while (i < text.size()) {
        char32_t code = 0;
        const size_t len = DecodeUtf8(text, i, code);
        if (len == 0) throw ParseError(component, position, "caractère non valide (codage UTF-8 incorrect).");
        out.push_back({ code, position });
        i += len;
        ++position;
        if (position > kMaxComponentLength + 1) break;
    }
    return out;
}

std::string Describe(char32_t c)
{
    if (c > 0x20 && c < 0x7F) return std::string("\"") + static_cast<char>(c) + "\"";
    char buf[32];
    std::snprintf(buf, sizeof buf, "(code U+%04X)", static_cast<unsigned>(c));
    return buf;
}

// -------------------------------------------------------------------- tokens

enum class Tok { Number, Letter, Plus, Minus, Star, Slash, Caret, Square, Cube, LParen, RParen, End };

struct Token {
    Tok kind;
    int position;
    std::string text; // number: its digits as typed; letter: the letter
    bool integer = true; // number without a decimal part
};

std::string TokenText(const Token& t)
{
    switch (t.kind) {
    case Tok::Number:
        return "\"" + t.text + "\"";
    case Tok::Letter:
        return "\"" + t.text + "\"";
    case Tok::Plus:
        return "\"+\"";
    case Tok::Minus:
        return "\"-\"";
    case Tok::Star:
        return "\"*\"";
    case Tok::Slash:
        return "\"/\"";
    case Tok::Caret:
        return "\"^\"";
    case Tok::Square:
        return "\"²\"";
    case Tok::Cube:
        return "l'exposant 3";
    case Tok::LParen:
        return "\"(\"";
    case Tok::RParen:
        return "\")\"";
    case Tok::End:
        return "la fin";
    }
    return "";
}

bool IsDigit(char32_t c)
{
    return c >= '0' && c <= '9';
}
bool IsAsciiLetter(char32_t c)
{
    return c < 0x80 && IsLetter(static_cast<char>(c));
}

std::vector<Token> Lex(const std::vector<Char>& chars, int component)
{
    std::vector<Token> out;
    const size_t n = chars.size();
    size_t i = 0;
    while (i < n) {
        const char32_t c = chars[i].code;
        const int pos = chars[i].position;
        if (c == ' ' || c == '\t') {
            ++i;
            continue;
        }
        if (IsDigit(c)) {
            Token t { Tok::Number, pos, "", true };
            while (i < n && IsDigit(chars[i].code))
                t.text += static_cast<char>(chars[i++].code);
            if (i < n && (chars[i].code == '.' || chars[i].code == ',')) {
                t.text += static_cast<char>(chars[i].code);
                ++i;
                if (i >= n || !IsDigit(chars[i].code))
                    throw ParseError(component,
                        i < n ? chars[i].position : pos + static_cast<int>(t.text.size()),
                        "un chiffre est attendu après \"" + t.text + "\".");
                t.integer = false;
                while (i < n && IsDigit(chars[i].code))
                    t.text += static_cast<char>(chars[i++].code);
            }
            out.push_back(std::move(t));
            continue;
        }
        if (IsAsciiLetter(c)) {
            for (const char* name : kFunctionNames) {
                size_t k = 0;
                while (name[k] && i + k < n && IsAsciiLetter(chars[i + k].code)
                    && std::tolower(static_cast<int>(chars[i + k].code)) == name[k])
                    ++k;
                if (!name[k])
                    throw ParseError(component, pos,
                        std::string("la fonction ") + name
                            + " n'est pas permise : le système doit être polynomial (sommes de produits de "
                              "nombres, de variables et de constantes).");
            }
            const char letter = static_cast<char>(c);
            if (i + 1 < n && IsDigit(chars[i + 1].code)) {
                std::string digits;
                for (size_t k = i + 1; k < n && IsDigit(chars[k].code); ++k)
                    digits += static_cast<char>(chars[k].code);
                throw ParseError(component, chars[i + 1].position,
                    std::string("un chiffre ne peut pas suivre directement une lettre : écrivez ") + letter
                        + "^" + digits + " pour une puissance ou " + digits + letter + " pour un produit.");
            }
            out.push_back({ Tok::Letter, pos, std::string(1, letter), true });
            ++i;
            continue;
        }
        Tok kind = Tok::End;
        size_t len = 1;
        switch (c) {
        case '+':
            kind = Tok::Plus;
            break;
        case '-':
            kind = Tok::Minus;
            break;
        case '*':
            if (i + 1 < n && chars[i + 1].code == '*') {
                kind = Tok::Caret;
                len = 2;
            } else {
                kind = Tok::Star;
            }
            break;
        case '/':
            kind = Tok::Slash;
            break;
        case '^':
            kind = Tok::Caret;
            break;
        case U'\u00B2':
            kind = Tok::Square;
            break;
        case U'\u00B3':
            kind = Tok::Cube;
            break;
        case '(':
            kind = Tok::LParen;
            break;
        case ')':
            kind = Tok::RParen;
            break;
        default:
            throw ParseError(component, pos,
                "caractère inattendu " + Describe(c)
                    + " : seuls les nombres, les lettres, + - * / ^ ** ² ³ et les parenthèses sont permis.");
        }
        out.push_back({ kind, pos, "", true });
        i += len;
    }
    const int endPos = n ? chars.back().position + 1 : 1;
    out.push_back({ Tok::End, endPos, "", true });
    return out;
}

// ----------------------------------------------------------------- arithmetic

// Exact polynomial arithmetic with the bounds checked before the work.
class Arith {
public:
    Arith(MpolyCtxPtr ctx, int component)
        : ctx_(std::move(ctx))
        , component_(component)
    {
    }

    FmpqMpoly Zero() const { return FmpqMpoly(ctx_); }

    FmpqMpoly Number(const std::string& text) const
    {
        Fmpz num, den;
        fmpz_one(den.raw());
        std::string digits = text; // fmpz_set_str: subquadratic in the length
        digits.erase(
            std::remove_if(digits.begin(), digits.end(), [](char ch) { return ch == '.' || ch == ','; }),
            digits.end());
        if (digits.empty() || fmpz_set_str(num.raw(), digits.c_str(), 10) != 0) fmpz_zero(num.raw());
        const auto sep = text.find_first_of(".,");
        if (sep != std::string::npos)
            fmpz_ui_pow_ui(den.raw(), 10, static_cast<ulong>(text.size() - sep - 1));
        Fmpq q;
        fmpq_set_fmpz_frac(q.raw(), num.raw(), den.raw());
        FmpqMpoly r(ctx_);
        fmpq_mpoly_set_fmpq(r.raw(), q.raw(), ctx_->raw());
        return r;
    }

    FmpqMpoly Gen(slong var) const
    {
        FmpqMpoly r(ctx_);
        fmpq_mpoly_gen(r.raw(), var, ctx_->raw());
        return r;
    }

    void AddTo(FmpqMpoly& a, const FmpqMpoly& b, bool subtract) const
    {
        if (subtract)
            fmpq_mpoly_sub(a.raw(), a.raw(), b.raw(), ctx_->raw());
        else
            fmpq_mpoly_add(a.raw(), a.raw(), b.raw(), ctx_->raw());
    }

    void Negate(FmpqMpoly& a) const { fmpq_mpoly_neg(a.raw(), a.raw(), ctx_->raw()); }

    FmpqMpoly Mul(const FmpqMpoly& a, const FmpqMpoly& b) const
    {
        const slong da = Degree(a), db = Degree(b);
        if (da >= 0 && db >= 0 && da + db > kMaxTotalDegree) TooHighDegree();
        const slong la = fmpq_mpoly_length(a.raw(), ctx_->raw());
        const slong lb = fmpq_mpoly_length(b.raw(), ctx_->raw());
        if (la > 1 && lb > 1 && la * lb > kMaxProductTerms)
            throw LimitExceeded(ParseError::ComponentName(component_)
                + " : le développement de ce produit est trop grand pour être calculé.");
        work_ += std::max<slong>(la, 1) * std::max<slong>(lb, 1);
        if (work_ > kMaxComponentWork)
            throw LimitExceeded(ParseError::ComponentName(component_)
                + " : le développement de cette composante est trop long à calculer.");
        if (CoefficientBits(a) + CoefficientBits(b) > kMaxCoefficientBits) TooLargeNumbers();
        FmpqMpoly r(ctx_);
        fmpq_mpoly_mul(r.raw(), a.raw(), b.raw(), ctx_->raw());
        return r;
    }

    // Division by a non-zero number; anything else is reported at `position`.
    void DivideBy(FmpqMpoly& a, const FmpqMpoly& d, int position) const
    {
        if (!fmpq_mpoly_is_fmpq(d.raw(), ctx_->raw()))
            throw ParseError(component_, position,
                "on ne peut diviser que par un nombre non nul (pas par une variable ni une constante "
                "littérale).");
        if (fmpq_mpoly_is_zero(d.raw(), ctx_->raw()))
            throw ParseError(component_, position, "division par zéro.");
        Fmpq q;
        fmpq_mpoly_get_fmpq(q.raw(), d.raw(), ctx_->raw());
        fmpq_mpoly_scalar_div_fmpq(a.raw(), a.raw(), q.raw(), ctx_->raw());
    }

    // a^e, where `e` is the exponent as typed (digits only) or already known.
    FmpqMpoly Pow(const FmpqMpoly& a, const std::string& digits) const
    {
        if (fmpq_mpoly_is_fmpq(a.raw(), ctx_->raw())) {
            Fmpq q;
            fmpq_mpoly_get_fmpq(q.raw(), a.raw(), ctx_->raw());
            const bool trivial = fmpq_is_zero(q.raw()) || fmpz_is_pm1(fmpq_numref(q.raw()));
            if (trivial && fmpz_is_one(fmpq_denref(q.raw()))) {
                // 0, 1 and -1 raised to any power: only the parity and zero matter.
                const bool zeroExp = digits.find_first_not_of('0') == std::string::npos;
                const bool odd = ((digits.back() - '0') % 2) == 1;
                FmpqMpoly r(ctx_);
                if (zeroExp) {
                    fmpq_mpoly_one(r.raw(), ctx_->raw());
                } else if (fmpq_is_zero(q.raw())) {
                    // stays zero
                } else {
                    fmpq_mpoly_one(r.raw(), ctx_->raw());
                    if (fmpz_sgn(fmpq_numref(q.raw())) < 0 && odd) Negate(r);
                }
                return r;
            }
        }
        const slong d = Degree(a);
        const ulong e = SmallExponent(digits, d);
        if (e == 0) {
            FmpqMpoly r(ctx_);
            fmpq_mpoly_one(r.raw(), ctx_->raw());
            return r;
        }
        if (d > 0 && static_cast<long>(e) > kMaxTotalDegree / d) TooHighDegree();
        if (CoefficientBits(a) > 0 && static_cast<long>(e) > kMaxCoefficientBits / CoefficientBits(a))
            TooLargeNumbers();
        // Square and multiply, each product checked.
        FmpqMpoly result(ctx_);
        fmpq_mpoly_one(result.raw(), ctx_->raw());
        FmpqMpoly base = a;
        ulong k = e;
        while (true) {
            if (k & 1) result = Mul(result, base);
            k >>= 1;
            if (!k) break;
            base = Mul(base, base);
        }
        return result;
    }

    slong Degree(const FmpqMpoly& a) const { return fmpq_mpoly_total_degree_si(a.raw(), ctx_->raw()); }

private:
    long CoefficientBits(const FmpqMpoly& a) const
    {
        long bits = 0;
        Fmpq c;
        const slong n = fmpq_mpoly_length(a.raw(), ctx_->raw());
        for (slong i = 0; i < n; ++i) {
            fmpq_mpoly_get_term_coeff_fmpq(c.raw(), a.raw(), i, ctx_->raw());
            bits = std::max<long>(
                bits, static_cast<long>(fmpz_bits(fmpq_numref(c.raw())) + fmpz_bits(fmpq_denref(c.raw()))));
        }
        return bits;
    }

    // The exponent as a number; beyond six digits it is too large for any
    // base that is not 0, 1 or -1 (those are handled before).
    ulong SmallExponent(const std::string& digits, slong baseDegree) const
    {
        const auto first = digits.find_first_not_of('0');
        if (first == std::string::npos) return 0;
        if (digits.size() - first > 6) {
            if (baseDegree > 0) TooHighDegree();
            TooLargeNumbers();
        }
        return std::stoul(digits.substr(first));
    }

    [[noreturn]] void TooHighDegree() const
    {
        throw LimitExceeded(ParseError::ComponentName(component_) + " : degré trop élevé (au plus "
            + std::to_string(kMaxTotalDegree) + ").");
    }
    [[noreturn]] void TooLargeNumbers() const
    {
        throw LimitExceeded(
            ParseError::ComponentName(component_) + " : les nombres sont trop grands pour être calculés.");
    }

    MpolyCtxPtr ctx_;
    int component_;
    mutable long work_ = 0; // term products so far, bounded by kMaxComponentWork
};

// -------------------------------------------------------------------- parser

// expr  := term {("+" | "-") term}
// term  := unary {("*" | "/") unary | implicit power}   implicit: a letter or "(" follows
// unary := ("+" | "-") unary | power
// power := primary [("^" | "**") exponent | "²" | "³"]
// primary := number | letter | "(" expr ")"
class Parser {
public:
    Parser(const std::vector<Token>& tokens, const Arith& arith, int component, char xvar, char yvar,
        const std::vector<char>& parameters)
        : t_(tokens)
        , a_(arith)
        , component_(component)
        , xvar_(xvar)
        , yvar_(yvar)
        , parameters_(parameters)
    {
    }

    FmpqMpoly Parse()
    {
        if (Peek().kind == Tok::End) throw ParseError(component_, 1, "la composante est vide.");
        FmpqMpoly r = Expr(0);
        const Token& t = Peek();
        if (t.kind == Tok::RParen)
            throw ParseError(component_, t.position, "parenthèse fermante \")\" sans parenthèse ouvrante.");
        if (t.kind != Tok::End)
            throw ParseError(
                component_, t.position, "un opérateur (+ - * / ^) est attendu avant " + TokenText(t) + ".");
        return r;
    }

private:
    const Token& Peek() const { return t_[i_]; }
    const Token& Next() { return t_[i_++]; }

    void Enter(int depth) const
    {
        if (depth > kMaxNestingDepth)
            throw LimitExceeded(ParseError::ComponentName(component_)
                + " : expression trop imbriquée (plus de " + std::to_string(kMaxNestingDepth) + " niveaux).");
    }

    FmpqMpoly Expr(int depth)
    {
        Enter(depth);
        // Terms are added in pairs, then pairs of pairs (a binary counter),
        // so that a long sum costs n log n instead of n^2.
        std::vector<std::pair<FmpqMpoly, int>> partial; // sums of 2^level terms
        partial.emplace_back(Term(depth), 0);
        while (Peek().kind == Tok::Plus || Peek().kind == Tok::Minus) {
            const bool minus = Next().kind == Tok::Minus;
            FmpqMpoly t = Term(depth);
            if (minus) a_.Negate(t);
            int level = 0;
            while (!partial.empty() && partial.back().second == level) {
                a_.AddTo(t, partial.back().first, false);
                partial.pop_back();
                ++level;
            }
            partial.emplace_back(std::move(t), level);
        }
        FmpqMpoly sum = std::move(partial.back().first);
        for (size_t k = partial.size() - 1; k-- > 0;)
            a_.AddTo(sum, partial[k].first, false);
        return sum;
    }

    FmpqMpoly Term(int depth)
    {
        FmpqMpoly prod = Unary(depth);
        while (true) {
            const Token& t = Peek();
            if (t.kind == Tok::Star) {
                Next();
                prod = a_.Mul(prod, Unary(depth));
            } else if (t.kind == Tok::Slash) {
                Next();
                const int pos = Peek().position;
                FmpqMpoly d = Unary(depth);
                a_.DivideBy(prod, d, pos);
            } else if (t.kind == Tok::Letter || t.kind == Tok::LParen) {
                prod = a_.Mul(prod, Power(depth));
            } else if (t.kind == Tok::Number) {
                throw ParseError(component_, t.position,
                    "un opérateur (+ - * / ^) est attendu avant le nombre " + t.text + ".");
            } else {
                return prod;
            }
        }
    }

    FmpqMpoly Unary(int depth)
    {
        const Token& t = Peek();
        if (t.kind == Tok::Plus || t.kind == Tok::Minus) {
            Enter(depth + 1);
            Next();
            FmpqMpoly r = Unary(depth + 1);
            if (t.kind == Tok::Minus) a_.Negate(r);
            return r;
        }
        return Power(depth);
    }

    FmpqMpoly Power(int depth)
    {
        FmpqMpoly base = Primary(depth);
        const Token& op = Peek();
        FmpqMpoly result(base.ctx());
        if (op.kind == Tok::Square || op.kind == Tok::Cube) {
            Next();
            result = a_.Pow(base, op.kind == Tok::Square ? "2" : "3");
        } else if (op.kind == Tok::Caret) {
            Next();
            result = a_.Pow(base, Exponent(depth));
        } else {
            return base;
        }
        const Token& again = Peek();
        if (again.kind == Tok::Caret || again.kind == Tok::Square || again.kind == Tok::Cube)
            throw ParseError(component_, again.position,
                "puissance d'une puissance : ajoutez des parenthèses, par exemple (x^2)^3.");
        return result;
    }

    // The digits of a non-negative whole exponent.
    std::string Exponent(int depth)
    {
        const Token& t = Peek();
        if (t.kind == Tok::Number) {
            Next();
            if (!t.integer)
                throw ParseError(component_, t.position,
                    "exposant non entier (" + t.text
                        + ") : les exposants sont des entiers positifs ou nuls.");
            return t.text;
        }
        if (t.kind == Tok::Minus)
            throw ParseError(component_, t.position,
                "exposant négatif : les exposants sont des entiers positifs ou nuls.");
        if (t.kind == Tok::LParen) {
            Enter(depth + 1);
            const int pos = t.position;
            Next();
            FmpqMpoly e = Expr(depth + 1);
            Expect(Tok::RParen);
            if (!fmpq_mpoly_is_fmpq(e.raw(), e.craw()))
                throw ParseError(component_, pos, "l'exposant doit être un nombre entier positif ou nul.");
            flint::Fmpq q;
            fmpq_mpoly_get_fmpq(q.raw(), e.raw(), e.craw());
            if (fmpq_sgn(q.raw()) < 0)
                throw ParseError(
                    component_, pos, "exposant négatif : les exposants sont des entiers positifs ou nuls.");
            if (!fmpz_is_one(fmpq_denref(q.raw())))
                throw ParseError(component_, pos,
                    "exposant non entier : les exposants sont des entiers positifs ou nuls.");
            if (fmpz_bits(fmpq_numref(q.raw())) > 40) return "9999999999";
            return std::to_string(fmpz_get_ui(fmpq_numref(q.raw())));
        }
        throw ParseError(component_, t.position,
            "un exposant entier positif ou nul est attendu après \"^\" à la place de " + TokenText(t) + ".");
    }

    FmpqMpoly Primary(int depth)
    {
        const Token& t = Peek();
        switch (t.kind) {
        case Tok::Number:
            Next();
            return a_.Number(t.text);
        case Tok::Letter: {
            Next();
            return a_.Gen(VariableIndex(t.text[0]));
        }
        case Tok::LParen: {
            Enter(depth + 1);
            Next();
            if (Peek().kind == Tok::RParen)
                throw ParseError(
                    component_, Peek().position, "une expression est attendue entre les parenthèses.");
            FmpqMpoly r = Expr(depth + 1);
            Expect(Tok::RParen);
            return r;
        }
        case Tok::End:
            throw ParseError(component_, t.position,
                "expression incomplète : un nombre, une variable ou \"(\" est attendu à la fin.");
        default:
            throw ParseError(component_, t.position,
                "un nombre, une variable ou \"(\" est attendu à la place de " + TokenText(t) + ".");
        }
    }

    void Expect(Tok kind)
    {
        const Token& t = Peek();
        if (t.kind != kind) {
            if (t.kind == Tok::End)
                throw ParseError(component_, t.position, "parenthèse fermante \")\" attendue à la fin.");
            throw ParseError(component_, t.position,
                "parenthèse fermante \")\" ou opérateur attendu à la place de " + TokenText(t) + ".");
        }
        Next();
    }

    slong VariableIndex(char c) const
    {
        if (c == xvar_) return 0;
        if (c == yvar_) return 1;
        const auto it = std::find(parameters_.begin(), parameters_.end(), c);
        return 2 + static_cast<slong>(it - parameters_.begin());
    }

    const std::vector<Token>& t_;
    const Arith& a_;
    size_t i_ = 0;
    int component_;
    char xvar_, yvar_;
    const std::vector<char>& parameters_;
};

// ------------------------------------------------------ plain sums of monomials

// Most inputs are sums of products of whole numbers and powers of the two
// variables ("3*x^2*y - 5*y^2 + 1"). Such a component is read straight
// into its terms; anything else (another letter, parentheses, a division,
// a decimal, juxtaposition, "²", an error, long numbers or high degrees)
// makes ReadPlainSum return false, and the general reader takes the
// component from its start.
struct Monomial {
    Fmpz c;
    ulong e[2] = { 0, 0 };
};

constexpr size_t kPlainMaxDigits = 18; // a number fits in 63 bits
constexpr int kPlainMaxNumbers = 8; // per term: far below the coefficient bound
constexpr size_t kPlainMaxExponentDigits = 3;

bool IsAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool ReadPlainSum(const std::string& text, char xvar, char yvar, std::vector<Monomial>& out)
{
    const size_t n = text.size();
    if (n == 0 || n > static_cast<size_t>(kMaxComponentLength)) return false;
    size_t i = 0;
    auto skip = [&] {
        while (i < n && text[i] == ' ')
            ++i;
    };
    // A run of at most `most` digits as a number; false when there is none
    // or it is longer, or a decimal part follows.
    auto number = [&](size_t most, ulong& value) {
        const size_t start = i;
        value = 0;
        while (i < n && IsAsciiDigit(text[i]))
            value = value * 10 + static_cast<ulong>(text[i++] - '0');
        return i > start && i - start <= most && !(i < n && (text[i] == '.' || text[i] == ','));
    };
    skip();
    for (bool first = true;; first = false) {
        bool minus = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            minus = text[i++] == '-';
            skip();
        } else if (!first) {
            return false;
        }
        Monomial m;
        fmpz_one(m.c.raw());
        int numbers = 0;
        for (;;) { // one factor, then "*" and the next
            if (i >= n) return false;
            const char ch = text[i];
            if (IsAsciiDigit(ch)) {
                ulong v = 0;
                if (!number(kPlainMaxDigits, v) || ++numbers > kPlainMaxNumbers) return false;
                fmpz_mul_ui(m.c.raw(), m.c.raw(), v);
            } else if (ch == xvar || ch == yvar) {
                ++i;
                if (i < n && (IsLetter(text[i]) || IsAsciiDigit(text[i]))) return false;
                skip();
                ulong e = 1;
                const bool caret = i < n && text[i] == '^';
                if (caret || (i + 1 < n && text[i] == '*' && text[i + 1] == '*')) {
                    i += caret ? 1 : 2;
                    skip();
                    if (!number(kPlainMaxExponentDigits, e)) return false;
                }
                ulong& slot = m.e[ch == xvar ? 0 : 1];
                slot += e;
                if (m.e[0] + m.e[1] > static_cast<ulong>(kMaxTotalDegree)) return false;
            } else {
                return false;
            }
            skip();
            if (i < n && text[i] == '*' && !(i + 1 < n && text[i + 1] == '*')) {
                ++i;
                skip();
                continue;
            }
            break;
        }
        if (minus) fmpz_neg(m.c.raw(), m.c.raw());
        out.push_back(std::move(m));
        if (i >= n) return true;
    }
}

FmpqMpoly PlainPolynomial(std::vector<Monomial>& terms, const MpolyCtxPtr& ctx)
{
    FmpqMpoly r(ctx);
    for (Monomial& m : terms)
        fmpq_mpoly_push_term_fmpz_ui(r.raw(), m.c.raw(), m.e, ctx->raw());
    fmpq_mpoly_sort_terms(r.raw(), ctx->raw());
    fmpq_mpoly_combine_like_terms(r.raw(), ctx->raw());
    return r;
}

std::vector<Token> LexComponent(const std::string& text, int component)
{
    if (text.size() > static_cast<size_t>(kMaxComponentLength) * 4)
        throw LimitExceeded(ParseError::ComponentName(component) + " : composante trop longue (plus de "
            + std::to_string(kMaxComponentLength) + " caractères).");
    std::vector<Char> chars = Decode(text, component);
    if (chars.size() > static_cast<size_t>(kMaxComponentLength))
        throw LimitExceeded(ParseError::ComponentName(component) + " : composante trop longue (plus de "
            + std::to_string(kMaxComponentLength) + " caractères).");
    return Lex(chars, component);
}

} // namespace

ParsedSystem ParseSystem(const std::string& p, const std::string& q, char xvar, char yvar)
{
    if (!IsLetter(xvar) || !IsLetter(yvar) || xvar == yvar)
        throw EngineError("Les variables doivent être deux lettres distinctes, par exemple xy.");
    if (std::vector<Monomial> mp, mq; ReadPlainSum(p, xvar, yvar, mp) && ReadPlainSum(q, xvar, yvar, mq)) {
        auto ctx = std::make_shared<const flint::MpolyCtx>(
            std::vector<std::string> { std::string(1, xvar), std::string(1, yvar) });
        FmpqMpoly P = PlainPolynomial(mp, ctx);
        FmpqMpoly Q = PlainPolynomial(mq, ctx);
        return ParsedSystem { ctx, std::move(P), std::move(Q), {}, xvar, yvar };
    }
    const std::vector<Token> tp = LexComponent(p, 1);
    const std::vector<Token> tq = LexComponent(q, 2);

    std::set<char> constants;
    for (const auto* tokens : { &tp, &tq })
        for (const Token& t : *tokens)
            if (t.kind == Tok::Letter && t.text[0] != xvar && t.text[0] != yvar) constants.insert(t.text[0]);
    std::vector<char> parameters(constants.begin(), constants.end());

    std::vector<std::string> names = { std::string(1, xvar), std::string(1, yvar) };
    for (char c : parameters)
        names.emplace_back(1, c);
    auto ctx = std::make_shared<const flint::MpolyCtx>(names);

    Arith ap(ctx, 1), aq(ctx, 2);
    FmpqMpoly P = Parser(tp, ap, 1, xvar, yvar, parameters).Parse();
    FmpqMpoly Q = Parser(tq, aq, 2, xvar, yvar, parameters).Parse();
    return ParsedSystem { ctx, std::move(P), std::move(Q), std::move(parameters), xvar, yvar };
}

} // namespace vindrel::engine
