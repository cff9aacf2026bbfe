#include "engine/parse/parser.h"
#include "engine/poly/print.h"

#include <gtest/gtest.h>

namespace vindrel::engine {
namespace {

struct PrintCase {
    const char* input;
    const char* report;
    const char* canonical;
};

class Prints : public ::testing::TestWithParam<PrintCase> { };

TEST_P(Prints, ReportAndCanonicalForms)
{
    const PrintCase& c = GetParam();
    const ParsedSystem s = ParseSystem(c.input, "0");
    EXPECT_EQ(ToReport(s.P), c.report);
    EXPECT_EQ(ToCanonical(s.P), c.canonical);
}

INSTANTIATE_TEST_SUITE_P(Polynomials, Prints,
    ::testing::Values(PrintCase { "x^2-3xy+y/2", "x² - 3xy + 1/2 y", "x^2 - 3*x*y + 1/2*y" },
        PrintCase { "1/2y^2-x^3", "-x^3 + 1/2 y²", "-x^3 + 1/2*y^2" }, PrintCase { "0", "0", "0" },
        PrintCase { "-7/3", "-7/3", "-7/3" }, PrintCase { "-x", "-x", "-x" },
        PrintCase { "-2abx-b", "-2abx - b", "-2*a*b*x - b" }, PrintCase { "x^3y^2", "x^3y²", "x^3*y^2" },
        PrintCase { "y+x+1", "x + y + 1", "x + y + 1" }, PrintCase { "-3/4x^2y", "-3/4 x²y", "-3/4*x^2*y" }));

TEST(Print, RationalsAreReducedWithTheSignInFront)
{
    flint::Fmpq q;
    fmpq_set_si(q.raw(), 6, 4);
    EXPECT_EQ(RationalToReport(q.raw()), "3/2");
    fmpq_set_si(q.raw(), -10, 5);
    EXPECT_EQ(RationalToCanonical(q.raw()), "-2");
}

struct DecimalCase {
    double value;
    int digits;
    const char* text;
};

class Decimal : public ::testing::TestWithParam<DecimalCase> { };

TEST_P(Decimal, CommaAndSignificantDigits)
{
    EXPECT_EQ(DecimalFr(GetParam().value, GetParam().digits), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, Decimal,
    ::testing::Values(DecimalCase { -0.5, 10, "-0,5" }, DecimalCase { 2.0, 10, "2" },
        DecimalCase { 0.0, 10, "0" }, DecimalCase { -0.0, 10, "0" }, DecimalCase { 1.0 / 3.0, 4, "0,3333" },
        DecimalCase { 1.41421356237, 10, "1,414213562" }, DecimalCase { 1e-20, 10, "1e-20" },
        DecimalCase { 123456789012.0, 5, "1,2346e11" }));

} // namespace
} // namespace vindrel::engine
