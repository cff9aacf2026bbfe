// The square-free split shared by the exact eigenvalue and coordinate texts.
#include "engine/poly/algebra.h"
#include "engine/poly/print.h"

#include <gtest/gtest.h>

namespace vindrel::engine {
namespace {

struct SplitCase {
    const char* n;
    const char* s;
    const char* r;
};

class SquareFree : public ::testing::TestWithParam<SplitCase> { };

TEST_P(SquareFree, SquareTimesSquareFreePart)
{
    const SplitCase& c = GetParam();
    flint::Fmpz n, s, r;
    ASSERT_EQ(fmpz_set_str(n.raw(), c.n, 10), 0);
    SquareFreeSplit(n.raw(), s, r);
    EXPECT_EQ(IntegerToText(s.raw()), c.s);
    EXPECT_EQ(IntegerToText(r.raw()), c.r);
}

INSTANTIATE_TEST_SUITE_P(Integers, SquareFree,
    ::testing::Values(SplitCase { "1", "1", "1" }, SplitCase { "97", "1", "97" },
        SplitCase { "12", "2", "3" }, SplitCase { "756", "6", "21" }, SplitCase { "1024", "32", "1" },
        SplitCase { "-50", "5", "2" }, // the sign is left out
        SplitCase { "340282366920938463463374607431768211456", "18446744073709551616", "1" }));

// Small numbers take a trial-division path, large ones FLINT's factoring:
// both must give n = s^2 r with r square-free, up to and across the border.
TEST(SquareFreeBorder, BothPathsSplitEveryNumber)
{
    flint::Fmpz n, s, r, back, d2;
    for (ulong v : {1ul, 2ul, 4ul, 999983ul, 999999ul, 1000000ul, 1000001ul, 994009ul, 998001ul, 2ul * 999983ul * 999983ul}) {
        for (ulong k = 0; k < 200; ++k) {
            fmpz_set_ui(n.raw(), v + k);
            SquareFreeSplit(n.raw(), s, r);
            fmpz_mul(back.raw(), s.raw(), s.raw());
            fmpz_mul(back.raw(), back.raw(), r.raw());
            ASSERT_TRUE(fmpz_equal(back.raw(), n.raw())) << v + k;
            for (ulong d = 2; d * d <= 2000 && fmpz_cmp_ui(r.raw(), d * d) >= 0; ++d)
                ASSERT_FALSE(fmpz_divisible_si(r.raw(), static_cast<slong>(d * d))) << v + k;
        }
    }
}

} // namespace
} // namespace vindrel::engine
