// The small exact algebra under the classification, checked against FLINT's
// own composition with fixed-seed random data, and binary forms whose real
// lines are known.
#include "engine/classify/poly2.h"

#include "engine/support/xy_poly.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace vindrel::engine::classify {
namespace {

using test::Poly;
using test::XyContext;

// A random polynomial of total degree <= 4 with small rational coefficients.
Poly2 RandomPoly(std::mt19937& rng)
{
    std::uniform_int_distribution<int> num(-5, 5), den(1, 4), coin(0, 2);
    Poly2 p;
    for (int d = 0; d <= 4; ++d)
        for (int i = 0; i <= d; ++i)
            if (coin(rng) == 0) p.AddTerm(i, d - i, Rational(num(rng), static_cast<ulong>(den(rng))));
    return p;
}

flint::FmpqMpoly ToMpoly(const Poly2& p)
{
    return Poly(p.IsZero() ? "0" : p.ToString());
}

TEST(Poly2, PrintsAndReadsBackThroughFlint)
{
    std::mt19937 rng(7u);
    for (int trial = 0; trial < 20; ++trial) {
        const Poly2 p = RandomPoly(rng);
        EXPECT_EQ(Poly2::FromMpoly(ToMpoly(p)), p) << p.ToString();
    }
}

TEST(Poly2, LinearSubstitutionAgreesWithFlintComposition)
{
    std::mt19937 rng(11u);
    std::uniform_int_distribution<int> entry(-3, 3);
    for (int trial = 0; trial < 20; ++trial) {
        const Poly2 p = RandomPoly(rng);
        const int a = entry(rng), b = entry(rng), c = entry(rng), d = entry(rng);
        auto u = Poly(std::to_string(a) + "*x + " + std::to_string(b) + "*y");
        auto v = Poly(std::to_string(c) + "*x + " + std::to_string(d) + "*y");
        fmpq_mpoly_struct* args[2] = { u.raw(), v.raw() };
        flint::FmpqMpoly expected(XyContext());
        const auto mp = ToMpoly(p);
        ASSERT_TRUE(fmpq_mpoly_compose_fmpq_mpoly(
            expected.raw(), mp.raw(), args, XyContext()->raw(), XyContext()->raw()));
        EXPECT_EQ(p.Linear(a, b, c, d), Poly2::FromMpoly(expected)) << p.ToString();
    }
}

TEST(Poly2, SubstitutingASeriesAgreesWithFlintComposition)
{
    std::mt19937 rng(13u);
    std::uniform_int_distribution<int> num(-4, 4);
    const int n = 9;
    for (int trial = 0; trial < 20; ++trial) {
        const Poly2 p = RandomPoly(rng);
        Series h(static_cast<std::size_t>(n + 1));
        flint::FmpqPoly hx, xpoly, got;
        for (int k = 1; k <= 4; ++k) {
            h[static_cast<std::size_t>(k)] = Rational(num(rng));
            fmpq_poly_set_coeff_fmpq(hx.raw(), k, h[static_cast<std::size_t>(k)].raw());
        }
        fmpq_poly_set_coeff_si(xpoly.raw(), 1, 1);
        fmpq_poly_struct* args[2] = { xpoly.raw(), hx.raw() };
        const auto mp = ToMpoly(p);
        ASSERT_TRUE(fmpq_mpoly_compose_fmpq_poly(got.raw(), mp.raw(), args, XyContext()->raw()));
        const Series s = p.Along(h, n);
        for (int k = 0; k <= n; ++k) {
            Rational expected;
            fmpq_poly_get_coeff_fmpq(expected.raw(), got.raw(), k);
            EXPECT_EQ(s[static_cast<std::size_t>(k)], expected) << p.ToString() << " at degree " << k;
        }
    }
}

TEST(LinearAlgebra, RandomSquareSystemsAreSolvedExactly)
{
    std::mt19937 rng(17u);
    std::uniform_int_distribution<int> num(-6, 6);
    for (int trial = 0; trial < 20; ++trial) {
        const int n = 1 + trial % 6;
        Matrix a(static_cast<std::size_t>(n), std::vector<Rational>(static_cast<std::size_t>(n)));
        std::vector<Rational> x(static_cast<std::size_t>(n)), b(static_cast<std::size_t>(n));
        for (auto& row : a)
            for (auto& v : row)
                v = Rational(num(rng));
        for (auto& v : x)
            v = Rational(num(rng), 3);
        for (int r = 0; r < n; ++r)
            for (int c = 0; c < n; ++c)
                b[static_cast<std::size_t>(r)] += a[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]
                    * x[static_cast<std::size_t>(c)];
        const auto sol = SolveUnique(a, b);
        if (!sol) continue; // a singular draw: nothing to compare
        EXPECT_EQ(*sol, x);
    }
}

TEST(LinearAlgebra, SingularSystemHasNoUniqueSolution)
{
    const Matrix a { { Rational(1), Rational(2) }, { Rational(2), Rational(4) } };
    EXPECT_FALSE(SolveUnique(a, { Rational(1), Rational(2) }).has_value());
}

TEST(LinearAlgebra, NullSpaceVectorsAreIndependentSolutions)
{
    // Rank 2 in four columns: two independent kernel vectors.
    const Matrix a { { Rational(1), Rational(2), Rational(0), Rational(-1) },
        { Rational(2), Rational(4), Rational(1), Rational(0) },
        { Rational(3), Rational(6), Rational(1), Rational(-1) } };
    const auto basis = NullSpace(a, 4);
    ASSERT_EQ(basis.size(), 2u);
    for (const auto& v : basis)
        for (const auto& row : a) {
            Rational s;
            for (std::size_t c = 0; c < 4; ++c)
                s += row[c] * v[c];
            EXPECT_TRUE(s.IsZero());
        }
    EXPECT_FALSE(basis[0] == basis[1]);
}

TEST(BinaryForms, RationalAndIrrationalRealLinesAreFound)
{
    // (x - 2y)(3x + y)(x^2 - 2y^2)(x^2 + y^2)
    const Poly2 form = Poly2::FromMpoly(Poly("(x - 2*y)*(3*x + y)*(x^2 - 2*y^2)*(x^2 + y^2)"));
    const FormZeros z = RealLinearFactors(form);
    std::vector<std::string> lines;
    for (const auto& d : z.rational)
        lines.push_back(LineText(d));
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string> { "y = -3*x", "y = 1/2*x" }));
    EXPECT_EQ(z.irrational, std::vector<std::string> { "y = m*x, m racine réelle de 2*m^2 - 1" });
    EXPECT_EQ(z.irrationalCount, 2);
}

TEST(BinaryForms, AxesAreFoundWhenTheFormDropsDegree)
{
    const FormZeros z = RealLinearFactors(Poly2::FromMpoly(Poly("x*y^2")));
    std::vector<std::string> lines;
    for (const auto& d : z.rational)
        lines.push_back(LineText(d));
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string> { "x = 0", "y = 0" }));
}

TEST(BinaryForms, DefiniteFormHasNoRealLine)
{
    const FormZeros z = RealLinearFactors(Poly2::FromMpoly(Poly("x^4 + x^2*y^2 + y^4")));
    EXPECT_TRUE(z.rational.empty());
    EXPECT_EQ(z.irrationalCount, 0);
}

} // namespace
} // namespace vindrel::engine::classify
