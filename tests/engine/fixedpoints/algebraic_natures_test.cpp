// Natures of non-hyperbolic fixed points at irrational coordinates, through
// the whole search: known answers built by hand, the conjugate point under
// x -> -x, and the texts the reports can carry.
#include "engine/classify/algebraic.h"
#include "engine/classify/classify.h"
#include "engine/report/dos.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace vindrel::engine::testing {
namespace {

FixedPointOptions WithAlgebraicClassifier()
{
    FixedPointOptions options;
    options.algebraicClassifier = ClassifyAlgebraicPoint;
    return options;
}

// The point of the analysis nearest to (x, y).
const FixedPoint& PointAt(const FixedPointAnalysis& a, double x, double y)
{
    const FixedPoint* best = nullptr;
    double dist = 1e300;
    for (const FixedPoint& p : a.points) {
        const double d = std::hypot(p.xApprox - x, p.yApprox - y);
        if (d < dist) {
            dist = d;
            best = &p;
        }
    }
    EXPECT_LT(dist, 1e-9) << "no point near (" << x << ", " << y << ")";
    return *best;
}

const double kR2 = std::sqrt(2.0);

struct AlgebraicCase {
    const char* name;
    const char* p;
    const char* q;
    double x, y;
    LinearPart linear;
    PointType type;
    Stability stability;
    std::optional<int> order;
    const char* reason;
};

// Weak foci: u' = -v + u^(2k+1), v' = u has a weak focus of order k, unstable, at
// the origin. With u = x^2 - 2 and the field multiplied by 2x, the point
// x = racine(2) keeps that nature; at x = -racine(2) the change reverses the
// orientation and the factor 2x reverses time: a stable weak focus.
const AlgebraicCase kCases[] = {
    { "weak focus of order 1 at racine(2), unstable", "-y + (x^2-2)^3", "2*x*(x^2-2)", kR2, 0,
        LinearPart::Imaginary, PointType::WeakFocus, Stability::Unstable, 1, nullptr },
    { "weak focus of order 1 at -racine(2), stable", "-y + (x^2-2)^3", "2*x*(x^2-2)", -kR2, 0,
        LinearPart::Imaginary, PointType::WeakFocus, Stability::Stable, 1, nullptr },
    { "weak focus of order 2 at racine(2), unstable", "-y + (x^2-2)^5", "2*x*(x^2-2)", kR2, 0,
        LinearPart::Imaginary, PointType::WeakFocus, Stability::Unstable, 2, nullptr },
    { "weak focus of order 2 at -racine(2), stable", "-y + (x^2-2)^5", "2*x*(x^2-2)", -kR2, 0,
        LinearPart::Imaginary, PointType::WeakFocus, Stability::Stable, 2, nullptr },
    { "Hamiltonian centre at racine(2)", "y", "2*x - x^3", kR2, 0, LinearPart::Imaginary, PointType::Center,
        Stability::None, std::nullopt, "Hamiltonien" },
    { "Hamiltonian centre at -racine(2)", "y", "2*x - x^3", -kR2, 0, LinearPart::Imaginary,
        PointType::Center, Stability::None, std::nullopt, "Hamiltonien" },
    { "reversible centre on the axis y = 0", "y*(1 + x^2)", "2*x - x^3 + y^2", kR2, 0,
        LinearPart::Imaginary, PointType::Center, Stability::None, std::nullopt, "reversible" },
    // Semi-hyperbolic: x' = y, y' = -y + g(x) with g of order m at the point gives
    // x' = g(x) + ... on the centre manifold, lambda = -1.
    { "saddle-node at racine(2)", "y", "-y + (x^2-2)^2", kR2, 0, LinearPart::SemiHyperbolic,
        PointType::SaddleNode, Stability::None, std::nullopt, nullptr },
    { "saddle at racine(2)", "y", "-y + (x^2-2)^3", kR2, 0, LinearPart::SemiHyperbolic, PointType::Saddle,
        Stability::None, std::nullopt, nullptr },
    { "stable node at -racine(2)", "y", "-y + (x^2-2)^3", -kR2, 0, LinearPart::SemiHyperbolic,
        PointType::Node, Stability::Stable, std::nullopt, nullptr },
};

TEST(AlgebraicNatures, KnownAnswersAtIrrationalPoints)
{
    for (const AlgebraicCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const FixedPointAnalysis a = Analyse(c.p, c.q, WithAlgebraicClassifier());
        const FixedPoint& pt = PointAt(a, c.x, c.y);
        EXPECT_EQ(pt.natureSource, NatureSource::LocalClassifier);
        EXPECT_EQ(pt.nature.linearPart, c.linear);
        EXPECT_EQ(pt.nature.type, c.type);
        EXPECT_EQ(pt.nature.stability, c.stability);
        EXPECT_EQ(pt.nature.order, c.order);
        if (c.reason) {
            EXPECT_EQ(pt.nature.reason, c.reason);
        }
        EXPECT_TRUE(IsDecodable(pt.nature.explanation)) << pt.nature.explanation;
        for (char ch : pt.nature.reason)
            EXPECT_LT(static_cast<unsigned char>(ch), 0x80) << pt.nature.reason;
    }
}

TEST(AlgebraicNatures, WithoutTheClassifierThePointKeepsItsLinearVerdict)
{
    const FixedPointAnalysis a = Analyse("y", "2*x - x^3");
    const FixedPoint& pt = PointAt(a, kR2, 0);
    EXPECT_EQ(pt.natureSource, NatureSource::LinearPart);
    EXPECT_EQ(pt.nature.type, PointType::Undetermined);
}

// The same weak focus, seen through the rational conjugate system at the origin.
TEST(AlgebraicNatures, WeakFocusAgreesWithTheRationalConjugateSystem)
{
    const Nature rational = ClassifyOrigin(Poly("-y + x^3"), Poly("x"));
    const FixedPointAnalysis a = Analyse("-y + (x^2-2)^3", "2*x*(x^2-2)", WithAlgebraicClassifier());
    const Nature& algebraic = PointAt(a, kR2, 0).nature;
    EXPECT_EQ(algebraic.type, rational.type);
    EXPECT_EQ(algebraic.order, rational.order);
    EXPECT_EQ(algebraic.stability, rational.stability);
}

TEST(AlgebraicNatures, ExactTextsOfAWeakFocusAndOfACentre)
{
    const FixedPointAnalysis focus = Analyse("-y + (x^2-2)^3", "2*x*(x^2-2)", WithAlgebraicClassifier());
    const Nature& f = PointAt(focus, kR2, 0).nature;
    // Around racine(2): u = 2 racine(2) s + s^2; the radial rate of the
    // rescaled field gives L1 = 3/8 * (2 racine(2))^3 / 2 racine(2) ... kept as computed
    EXPECT_EQ(f.reason.substr(0, 5), "L1 = ");
    EXPECT_EQ(f.reason.substr(f.reason.size() - 3), "> 0");

    const FixedPointAnalysis centre = Analyse("y", "2*x - x^3", WithAlgebraicClassifier());
    EXPECT_EQ(PointAt(centre, kR2, 0).nature.explanation,
        "Valeurs propres imaginaires pures +/- i racine(D) (T = 0, D = 4 > 0) : centre ou foyer faible. "
        "Calculs exacts dans le corps de nombres du point (tests de nullité exacts). Valeurs de Lyapunov : "
        "L1 = L2 = L3 = L4 = L5 = 0. La divergence est identiquement nulle : le système est hamiltonien, et "
        "le point est un centre. Le point est : centre.");
}

} // namespace
} // namespace vindrel::engine::testing
