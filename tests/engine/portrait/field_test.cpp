// Dense fields are evaluated by Horner's rule: the same values as the sum
// of their terms, for every degree and for fields of mixed degrees.
#include "engine/portrait/field.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace vindrel::portrait {
namespace {

double Sum(const std::vector<Term>& t, Vec2 at)
{
    double s = 0;
    for (const Term& term : t) s += term.c * std::pow(at.x, term.i) * std::pow(at.y, term.j);
    return s;
}

TEST(PolynomialField, DenseEvaluationEqualsTheSumOfTerms)
{
    std::mt19937 rng(6);
    std::uniform_int_distribution<int> coeff(-5, 5);
    std::uniform_real_distribution<double> point(-1.3, 1.3);
    for (int d = 1; d <= 30; ++d) {
        std::vector<Term> p, q;
        for (int i = 0; i <= d; ++i)
            for (int j = 0; i + j <= d; ++j) {
                p.push_back({ double(coeff(rng)), i, j });
                if (i + j < d) q.push_back({ double(coeff(rng)), j, i }); // degree d - 1
            }
        p.push_back({ 1.0, 0, d }); // the top is never empty
        const PolynomialField f(p, q);
        for (int k = 0; k < 5; ++k) {
            const Vec2 at { point(rng), point(rng) };
            const Vec2 v = f(at);
            EXPECT_NEAR(v.x, Sum(p, at), 1e-9 * (1 + std::abs(Sum(p, at)))) << d;
            EXPECT_NEAR(v.y, Sum(q, at), 1e-9 * (1 + std::abs(Sum(q, at)))) << d;
        }
    }
}

} // namespace
} // namespace vindrel::portrait
