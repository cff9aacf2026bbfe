// Exact arithmetic in Q[u]/(f) at a chosen real root, and what the classifier
// of irrational points declines or refuses.
#include "engine/classify/algebraic.h"
#include "engine/classify/algebraic_field.h"
#include "engine/support/xy_poly.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace vindrel::engine::classify {
namespace {

flint::FmpzPoly Poly(std::initializer_list<slong> coeffs) // constant term first
{
    flint::FmpzPoly f;
    slong i = 0;
    for (slong c : coeffs)
        fmpz_poly_set_coeff_si(f.raw(), i++, c);
    return f;
}

flint::Fmpq Q(slong n, ulong d = 1)
{
    flint::Fmpq q;
    fmpq_set_si(q.raw(), n, d);
    return q;
}

flint::FmpqPoly Element(std::initializer_list<slong> coeffs, ulong den = 1)
{
    flint::FmpqPoly a;
    slong i = 0;
    for (slong c : coeffs)
        fmpq_poly_set_coeff_si(a.raw(), i++, c);
    fmpq_poly_scalar_div_ui(a.raw(), a.raw(), den);
    return a;
}

const flint::FmpzPoly kX2Minus2 = Poly({ -2, 0, 1 });

TEST(NumberField, SignsFollowTheChosenRoot)
{
    const NumberField plus(kX2Minus2, Q(1), Q(2)), minus(kX2Minus2, Q(-2), Q(-1));
    const auto u = Element({ 0, 1 });
    EXPECT_EQ(plus.Sign(u), 1);
    EXPECT_EQ(minus.Sign(u), -1);
    // u - 3/2 < 0 at both roots.
    EXPECT_EQ(plus.Sign(Element({ -3, 2 }, 2)), -1);
    EXPECT_EQ(minus.Sign(Element({ -3, 2 }, 2)), -1);
}

TEST(NumberField, ZeroIsDecidedExactlyNotByTolerance)
{
    const NumberField k(kX2Minus2, Q(1), Q(2));
    const AlgNum u(&k, Element({ 0, 1 }));
    EXPECT_TRUE((u * u - AlgNum::Integer(&k, 2)).IsZero());
    EXPECT_EQ((u * u - AlgNum::Integer(&k, 2)).Sign(), 0);
    // racine(2) - 1414213562373095/10^15 is about 4.9e-16: beyond double precision.
    flint::FmpqPoly close = Element({ 0, 1 });
    flint::Fmpq c;
    fmpq_set_str(c.raw(), "1414213562373095/1000000000000000", 10);
    flint::FmpqPoly cp;
    fmpq_poly_set_fmpq(cp.raw(), c.raw());
    fmpq_poly_sub(close.raw(), close.raw(), cp.raw());
    EXPECT_EQ(k.Sign(close), 1);
}

TEST(NumberField, DivisionInvertsMultiplication)
{
    const NumberField k(Poly({ -2, 0, 0, 1 }), Q(1), Q(2)); // cube root of 2
    const AlgNum a(&k, Element({ 1, 1, 3 })), b(&k, Element({ -5, 0, 2 }));
    EXPECT_TRUE((a * b / b - a).IsZero());
    EXPECT_THROW(a / AlgNum(), std::domain_error);
}

TEST(NumberField, IntervalWithoutASignChangeIsRefused)
{
    EXPECT_THROW(NumberField(kX2Minus2, Q(2), Q(3)), std::invalid_argument);
    EXPECT_THROW(NumberField(Poly({ -2, 1 }), Q(1), Q(3)), std::invalid_argument);
}

TEST(AlgPoly2Translation, ShiftsToThePoint)
{
    const NumberField k(kX2Minus2, Q(1), Q(2));
    const AlgNum u(&k, Element({ 0, 1 }));
    // x^2 - 2 at x = racine(2) + s is s^2 + 2 racine(2) s.
    const AlgPoly2 p = AlgPoly2::Translated(test::Poly("x^2 - 2"), u, AlgNum());
    EXPECT_EQ(p.Terms().size(), 2u);
    EXPECT_TRUE((p.Coeff(1, 0) - AlgNum::Integer(&k, 2) * u).IsZero());
    EXPECT_TRUE((p.Coeff(2, 0) - AlgNum::Integer(&k, 1)).IsZero());
}

TEST(AlgebraicSolve, SingularSystemHasNoUniqueSolution)
{
    const NumberField k(kX2Minus2, Q(1), Q(2));
    const AlgNum u(&k, Element({ 0, 1 })), one = AlgNum::Integer(&k, 1);
    // rows (1, u) and (u, 2) are dependent since u^2 = 2.
    EXPECT_FALSE(SolveUnique({ { one, u }, { u, AlgNum::Integer(&k, 2) } }, { one, one }).has_value());
    const auto x = SolveUnique({ { one, u }, { u, one } }, { one, one });
    ASSERT_TRUE(x.has_value());
    EXPECT_TRUE(((*x)[0] + u * (*x)[1] - one).IsZero());
}

AlgebraicPoint AtRootOf2(const char* y = nullptr)
{
    AlgebraicPoint pt;
    pt.f = kX2Minus2;
    pt.lo = Q(1);
    pt.hi = Q(2);
    pt.x = Element({ 0, 1 });
    if (y) pt.y = Element({ 0, 1 });
    return pt;
}

TEST(ClassifyAlgebraicPoint, DeclinesWhatTheLinearPartOrAnotherMethodDecides)
{
    // Hyperbolic: saddle at (racine(2), 0) of x' = y, y' = x^2 - 2.
    EXPECT_FALSE(ClassifyAlgebraicPoint(test::Poly("y"), test::Poly("x^2 - 2"), AtRootOf2()).has_value());
    // Linearly zero: x' = (x^2 - 2)^2, y' = y^2.
    EXPECT_FALSE(
        ClassifyAlgebraicPoint(test::Poly("(x^2 - 2)^2"), test::Poly("y^2"), AtRootOf2()).has_value());
}

TEST(ClassifyAlgebraicPoint, NilpotentPointGetsAndreevsVerdict)
{
    // x' = y, y' = (x^2 - 2)^2: F = 8 s^2 + ... with s = x - racine(2).
    const auto n = ClassifyAlgebraicPoint(test::Poly("y"), test::Poly("(x^2 - 2)^2"), AtRootOf2());
    ASSERT_TRUE(n.has_value());
    EXPECT_EQ(n->linearPart, LinearPart::Nilpotent);
    EXPECT_EQ(n->type, PointType::Cusp);
    EXPECT_EQ(n->reason, "Andreev: n = 2, G = 0");
}

TEST(ClassifyAlgebraicPoint, NilpotentPointOnACurveOfFixedPointsGetsNoVerdict)
{
    // x' = y, y' = y (x^2 - 2): the whole line y = 0 is fixed, F = 0.
    const auto n = ClassifyAlgebraicPoint(test::Poly("y"), test::Poly("y*(x^2 - 2)"), AtRootOf2());
    ASSERT_TRUE(n.has_value());
    EXPECT_EQ(n->type, PointType::Undetermined);
    EXPECT_EQ(n->reason, "Andreev: F = O(x^21)");
}

TEST(ClassifyAlgebraicPoint, PointThatIsNotFixedIsRefused)
{
    EXPECT_THROW(ClassifyAlgebraicPoint(test::Poly("y"), test::Poly("x^2 - 2"), AtRootOf2("y")),
        std::invalid_argument);
}

} // namespace
} // namespace vindrel::engine::classify
