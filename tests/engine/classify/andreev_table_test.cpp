// Andreev's table on the leading terms F = a x^n + ..., G = b x^m + ...: each
// row of the theorem, the border n = 2m + 1 on both sides of
// b^2 + 4a(m + 1) = 0, and G vanishing to the computed order.
#include "engine/classify/local.h"

#include <gtest/gtest.h>

namespace vindrel::engine::classify {
namespace {

struct TableRow {
    const char* name;
    AndreevTerms terms; // alpha, sign a, beta, sign b, sign of b^2 + 4a(beta + 1)
    AndreevCase kind;
    PointType type;
    Stability stability;
};

constexpr auto kNoG = std::nullopt;
constexpr auto kDecided = AndreevCase::Decided;
constexpr auto kOpen = AndreevCase::Monodromic;

const TableRow kRows[] = {
    { "even n below 2m + 1 is a cusp", { 2, 1, 1, 1, 0 }, kDecided, PointType::Cusp, Stability::None },
    { "even n with G = 0 is a cusp", { 4, -1, kNoG, 0, 0 }, kDecided, PointType::Cusp, Stability::None },
    { "even n beyond 2m + 1 is a saddle-node", { 4, -1, 1, -1, 0 }, kDecided, PointType::SaddleNode,
        Stability::None },
    { "odd n with a > 0 is a saddle whatever G", { 5, 1, 2, -1, 1 }, kDecided, PointType::Saddle,
        Stability::None },
    { "odd n, a < 0, G = 0 is monodromic", { 3, -1, kNoG, 0, 0 }, kOpen, PointType::Undetermined,
        Stability::None },
    { "odd n below 2m + 1 is monodromic", { 3, -1, 2, 1, 1 }, kOpen, PointType::Undetermined,
        Stability::None },
    { "beyond 2m + 1 with m even: node, b < 0 stable", { 7, -1, 2, -1, -1 }, kDecided, PointType::Node,
        Stability::Stable },
    { "beyond 2m + 1 with m even: node, b > 0 unstable", { 7, -1, 2, 1, -1 }, kDecided, PointType::Node,
        Stability::Unstable },
    { "beyond 2m + 1 with m odd: elliptic saddle", { 5, -1, 1, 1, -1 }, kDecided, PointType::EllipticSaddle,
        Stability::None },
    { "n = 2m + 1, border > 0, m odd: elliptic saddle", { 3, -1, 1, -1, 1 }, kDecided,
        PointType::EllipticSaddle, Stability::None },
    { "n = 2m + 1, border = 0, m odd: elliptic saddle", { 3, -1, 1, 1, 0 }, kDecided,
        PointType::EllipticSaddle, Stability::None },
    { "n = 2m + 1, border = 0, m even: node", { 5, -1, 2, 1, 0 }, kDecided, PointType::Node,
        Stability::Unstable },
    { "n = 2m + 1, border < 0 is monodromic", { 5, -1, 2, -1, -1 }, kOpen, PointType::Undetermined,
        Stability::None },
};

TEST(AndreevTable, EveryRowOfTheTheorem)
{
    for (const TableRow& row : kRows) {
        SCOPED_TRACE(row.name);
        const AndreevVerdict v = AndreevTable(row.terms);
        EXPECT_EQ(v.kind, row.kind);
        EXPECT_EQ(v.type, row.type);
        EXPECT_EQ(v.stability, row.stability);
    }
}

} // namespace
} // namespace vindrel::engine::classify
