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

} // namespace
} // namespace vindrel::engine
