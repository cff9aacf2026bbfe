#include "engine/errors.h"
#include "engine/parse/parser.h"
#include "engine/poly/print.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <random>

namespace vindrel::engine {
namespace {

struct ValidCase {
    const char* input;
    const char* canonical;
};

class ParsesTo : public ::testing::TestWithParam<ValidCase> { };

TEST_P(ParsesTo, CanonicalForm)
{
    const ValidCase& c = GetParam();
    const ParsedSystem s = ParseSystem(c.input, "0");
    EXPECT_EQ(ToCanonical(s.P), c.canonical) << "input: " << c.input;
}

INSTANTIATE_TEST_SUITE_P(Forms, ParsesTo,
    ::testing::Values(ValidCase { "y", "y" }, ValidCase { "-x+x^2", "x^2 - x" }, ValidCase { "0,5", "1/2" },
        ValidCase { "1.25", "5/4" }, ValidCase { "0,50x", "1/2*x" }, ValidCase { "x/3", "1/3*x" },
        ValidCase { "1/2y", "1/2*y" }, ValidCase { "3x^2y", "3*x^2*y" },
        ValidCase { "-2abx-b", "-2*a*b*x - b" }, ValidCase { "2(x+1)", "2*x + 2" },
        ValidCase { "(x+1)(x-1)", "x^2 - 1" }, ValidCase { "x**3", "x^3" },
        ValidCase { "x²+y³", "y^3 + x^2" }, ValidCase { "-x^2", "-x^2" }, ValidCase { "--x", "x" },
        ValidCase { "+x", "x" }, ValidCase { "2*-x", "-2*x" }, ValidCase { " x  +  y ", "x + y" },
        ValidCase { "x^0", "1" }, ValidCase { "x^(1+1)", "x^2" },
        ValidCase { "(x-y)^2", "x^2 - 2*x*y + y^2" }, ValidCase { "1/2/3", "1/6" },
        ValidCase { "x/(1/2)", "2*x" }, ValidCase { "1^1000000000", "1" },
        ValidCase { "(-1)^1000000001", "-1" }, ValidCase { "0^0", "1" }, ValidCase { "x - x", "0" },
        ValidCase { "2x²y", "2*x^2*y" }, ValidCase { "ax^2+bx", "a*x^2 + b*x" },
        ValidCase { "(x)(y)", "x*y" }));

TEST(ParseSystem, VariableOrderIsAbscissaOrdinateThenConstantsAlphabetically)
{
    const ParsedSystem s = ParseSystem("c*u", "b+a", 'u', 'v');
    ASSERT_EQ(s.ctx->names(), (std::vector<std::string> { "u", "v", "a", "b", "c" }));
    EXPECT_EQ(s.parameters, (std::vector<char> { 'a', 'b', 'c' }));
    EXPECT_EQ(s.xvar, 'u');
    EXPECT_EQ(s.yvar, 'v');
    EXPECT_EQ(ToCanonical(s.P), "c*u");
}

TEST(ParseSystem, OtherVariableLettersMakeXAConstant)
{
    const ParsedSystem s = ParseSystem("x*u", "v", 'u', 'v');
    EXPECT_EQ(s.parameters, (std::vector<char> { 'x' }));
}

TEST(ParseSystem, RejectsVariablesThatAreNotTwoDistinctLetters)
{
    EXPECT_THROW(ParseSystem("x", "y", 'x', 'x'), EngineError);
    EXPECT_THROW(ParseSystem("x", "y", '1', 'y'), EngineError);
}

struct ErrorCase {
    const char* p;
    const char* q;
    int component;
    int position;
    const char* message;
};

class RejectsWith : public ::testing::TestWithParam<ErrorCase> { };

TEST_P(RejectsWith, ComponentPositionAndMessage)
{
    const ErrorCase& c = GetParam();
    try {
        ParseSystem(c.p, c.q);
        FAIL() << "accepted: " << c.p << " / " << c.q;
    } catch (const ParseError& e) {
        EXPECT_EQ(e.component(), c.component);
        EXPECT_EQ(e.position(), c.position);
        EXPECT_EQ(std::string(e.what()), c.message);
    }
}

INSTANTIATE_TEST_SUITE_P(Errors, RejectsWith,
    ::testing::Values(ErrorCase { "", "y", 1, 1, "Erreur dans dx/dt, position 1 : la composante est vide." },
        ErrorCase { "x", "   ", 2, 1, "Erreur dans dy/dt, position 1 : la composante est vide." },
        ErrorCase { "x2", "y", 1, 2,
            "Erreur dans dx/dt, position 2 : un chiffre ne peut pas suivre directement une lettre : écrivez "
            "x^2 pour une puissance ou 2x pour un produit." },
        ErrorCase { "y", "3+ab12", 2, 5,
            "Erreur dans dy/dt, position 5 : un chiffre ne peut pas suivre directement une lettre : écrivez "
            "b^12 pour une puissance ou 12b pour un produit." },
        ErrorCase { "2sin(x)", "y", 1, 2,
            "Erreur dans dx/dt, position 2 : la fonction sin n'est pas permise : le système doit être "
            "polynomial (sommes de produits de nombres, de variables et de constantes)." },
        ErrorCase { "y", "Sqrt(x)", 2, 1,
            "Erreur dans dy/dt, position 1 : la fonction sqrt n'est pas permise : le système doit être "
            "polynomial (sommes de produits de nombres, de variables et de constantes)." },
        ErrorCase { "(x+1", "y", 1, 5,
            "Erreur dans dx/dt, position 5 : parenthèse fermante \")\" attendue à la fin." },
        ErrorCase { "x+1)", "y", 1, 4,
            "Erreur dans dx/dt, position 4 : parenthèse fermante \")\" sans parenthèse ouvrante." },
        ErrorCase { "x^-1", "y", 1, 3,
            "Erreur dans dx/dt, position 3 : exposant négatif : les exposants sont des entiers positifs ou "
            "nuls." },
        ErrorCase { "x^1.5", "y", 1, 3,
            "Erreur dans dx/dt, position 3 : exposant non entier (1.5) : les exposants sont des entiers "
            "positifs "
            "ou nuls." },
        ErrorCase { "x^(1/2)", "y", 1, 3,
            "Erreur dans dx/dt, position 3 : exposant non entier : les exposants sont des entiers positifs "
            "ou "
            "nuls." },
        ErrorCase { "x^y", "y", 1, 3,
            "Erreur dans dx/dt, position 3 : un exposant entier positif ou nul est attendu après \"^\" à la "
            "place de \"y\"." },
        ErrorCase { "x/y", "y", 1, 3,
            "Erreur dans dx/dt, position 3 : on ne peut diviser que par un nombre non nul (pas par une "
            "variable "
            "ni une constante littérale)." },
        ErrorCase { "x/(1-1)", "y", 1, 3, "Erreur dans dx/dt, position 3 : division par zéro." },
        ErrorCase { "x+", "y", 1, 3,
            "Erreur dans dx/dt, position 3 : expression incomplète : un nombre, une variable ou \"(\" est "
            "attendu "
            "à la fin." },
        ErrorCase { "x*/y", "y", 1, 3,
            "Erreur dans dx/dt, position 3 : un nombre, une variable ou \"(\" est attendu à la place de "
            "\"/\"." },
        ErrorCase { "()", "y", 1, 2,
            "Erreur dans dx/dt, position 2 : une expression est attendue entre les parenthèses." },
        ErrorCase { "2 3", "y", 1, 3,
            "Erreur dans dx/dt, position 3 : un opérateur (+ - * / ^) est attendu avant le nombre 3." },
        ErrorCase { "x^2^3", "y", 1, 4,
            "Erreur dans dx/dt, position 4 : puissance d'une puissance : ajoutez des parenthèses, par "
            "exemple "
            "(x^2)^3." },
        ErrorCase { "2.", "y", 1, 3, "Erreur dans dx/dt, position 3 : un chiffre est attendu après \"2.\"." },
        ErrorCase { "x%y", "y", 1, 2,
            "Erreur dans dx/dt, position 2 : caractère inattendu \"%\" : seuls les nombres, les lettres, + - "
            "* / ^ "
            "** ² ³ et les parenthèses sont permis." },
        ErrorCase { "é+x", "y", 1, 1,
            "Erreur dans dx/dt, position 1 : caractère inattendu (code U+00E9) : seuls les nombres, les "
            "lettres, "
            "+ - * / ^ ** ² ³ et les parenthèses sont permis." },
        ErrorCase { "x²+\x01", "y", 1, 4,
            "Erreur dans dx/dt, position 4 : caractère inattendu (code U+0001) : seuls les nombres, les "
            "lettres, "
            "+ - * / ^ ** ² ³ et les parenthèses sont permis." },
        ErrorCase { "x\xC3", "y", 1, 2,
            "Erreur dans dx/dt, position 2 : caractère non valide (codage UTF-8 incorrect)." },
        ErrorCase { "\xC0\xAF", "y", 1, 1,
            "Erreur dans dx/dt, position 1 : caractère non valide (codage UTF-8 incorrect)." }));

TEST(ParseSystem, NulByteIsAnErrorNotTheEndOfTheText)
{
    const std::string p("x\0y", 3);
    try {
        ParseSystem(p, "y");
        FAIL();
    } catch (const ParseError& e) {
        EXPECT_EQ(e.position(), 2);
    }
}

struct LimitCase {
    std::string p;
    const char* message;
};

class StopsAtLimit : public ::testing::TestWithParam<LimitCase> { };

TEST_P(StopsAtLimit, WithAFrenchMessage)
{
    try {
        ParseSystem(GetParam().p, "y");
        FAIL();
    } catch (const LimitExceeded& e) {
        EXPECT_EQ(std::string(e.what()), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(Limits, StopsAtLimit,
    ::testing::Values(LimitCase { "x^1000000000", "dx/dt : degré trop élevé (au plus 100)." },
        LimitCase { "x^101", "dx/dt : degré trop élevé (au plus 100)." },
        LimitCase { "(x^10)^11", "dx/dt : degré trop élevé (au plus 100)." },
        LimitCase { "2^100000000", "dx/dt : les nombres sont trop grands pour être calculés." },
        LimitCase { std::string(100001, '1'), "dx/dt : composante trop longue (plus de 100000 caractères)." },
        LimitCase { std::string(201, '(') + "x" + std::string(201, ')'),
            "dx/dt : expression trop imbriquée (plus de 200 niveaux)." },
        LimitCase { std::string(300, '-') + "x", "dx/dt : expression trop imbriquée (plus de 200 niveaux)." },
        LimitCase { "(a+b+c+d+e+f+g+h+i+j+k+l+m+n+o)^30",
            "dx/dt : le développement de ce produit est trop grand pour être calculé." }));

TEST(ParseSystem, DegreeAtTheLimitIsAccepted)
{
    EXPECT_EQ(ToCanonical(ParseSystem("x^100", "y").P), "x^100");
}

// Components near the length limit: a long sum and a long number are read
// exactly; a long chain of large products stops at the bound on the work
// of a component.
TEST(ParseSystem, LongComponentsAreReadOrRefused)
{
    std::string sum = "0";
    std::map<std::pair<int, int>, long> terms;
    long total = 0;
    for (int k = 0; sum.size() < 99000; ++k) {
        sum += "+" + std::to_string(k % 97) + "*x^" + std::to_string(k % 50) + "*y^" + std::to_string(k % 31);
        terms[{ k % 50, k % 31 }] += k % 97;
        total += k % 97;
    }
    const ParsedSystem s = ParseSystem(sum, std::string(99999, '7'));
    const long nonZero
        = std::count_if(terms.begin(), terms.end(), [](const auto& t) { return t.second != 0; });
    EXPECT_EQ(fmpq_mpoly_length(s.P.raw(), s.ctx->raw()), nonZero);
    flint::Fmpq value, one;
    fmpq_one(one.raw());
    fmpq* at[] = { one.raw(), one.raw() };
    fmpq_mpoly_evaluate_all_fmpq(value.raw(), s.P.raw(), at, s.ctx->raw());
    EXPECT_EQ(fmpz_get_si(fmpq_numref(value.raw())), total);
    EXPECT_EQ(ToCanonical(s.Q), std::string(99999, '7'));
    std::string heavy = "0";
    while (heavy.size() < 90000)
        heavy += "+(a+b+c+d+e+f+g+h+i+j)^3*(a+b+c+d+e+f+g+h+i+j)^3";
    try {
        ParseSystem(heavy, "y");
        FAIL();
    } catch (const LimitExceeded& e) {
        EXPECT_EQ(
            std::string(e.what()), "dx/dt : le développement de cette composante est trop long à calculer.");
    }
}

// Any byte string gives polynomials or a ParseError/LimitExceeded, quickly.
TEST(ParseSystem, RandomBytesNeverCrashNorHang)
{
    std::mt19937 rng(20240611);
    const std::string alphabet = "xyab0123456789+-*/^(),. \xC2\xB2\xB3\xC3\x00\x7F";
    const auto start = std::chrono::steady_clock::now();
    int parsed = 0;
    for (int i = 0; i < 3000; ++i) {
        std::string p;
        const int len = static_cast<int>(rng() % 30);
        for (int k = 0; k < len; ++k)
            p += alphabet[rng() % alphabet.size()];
        try {
            ParseSystem(p, "y");
            ++parsed;
        } catch (const ParseError&) {
        } catch (const LimitExceeded&) {
        }
    }
    EXPECT_GT(parsed, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

// Sums of monomials are read on a shorter path: a component must read the
// same (or be refused the same) as inside parentheses, which takes the
// general reader. Texts near that shape, with a random flaw now and then.
TEST(ParseSystem, PlainSumsReadAsTheGeneralReaderDoes)
{
    std::mt19937 rng(4242);
    const std::string flaws = "xyz0123456789+-*^ .(/";
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    int plain = 0;
    for (int k = 0; k < 4000; ++k) {
        std::string p;
        for (int t = pick(5); t >= 0; --t) {
            p += std::string(pick(2) ? " " : "") + "+-"[pick(2)] + (pick(2) ? " " : "");
            if (pick(3)) p += std::to_string(pick(4) ? pick(12) : static_cast<int>(rng())) + "*";
            p += std::string("xy")[pick(2)];
            if (pick(2)) p += std::string(pick(3) ? "^" : "**") + std::to_string(pick(4) ? pick(4) : pick(200));
            if (pick(3) == 0) p += std::string("*") + "xy"[pick(2)];
        }
        if (pick(4) == 0) p.insert(static_cast<size_t>(pick(static_cast<int>(p.size()) + 1)), 1, flaws[pick(21)]);
        std::string plainText, generalText;
        try {
            const ParsedSystem s = ParseSystem(p, "y");
            ASSERT_TRUE(fmpq_mpoly_is_canonical(s.P.raw(), s.P.craw())) << p;
            plainText = ToCanonical(s.P) + " " + std::to_string(s.parameters.size());
            ++plain;
        } catch (const ParseError&) {
        } catch (const LimitExceeded&) {
        }
        try {
            const ParsedSystem s = ParseSystem("(" + p + ")", "y");
            generalText = ToCanonical(s.P) + " " + std::to_string(s.parameters.size());
        } catch (const ParseError&) {
        } catch (const LimitExceeded&) {
        }
        EXPECT_EQ(plainText, generalText) << p;
    }
    EXPECT_GT(plain, 2000);
}

} // namespace
} // namespace vindrel::engine
