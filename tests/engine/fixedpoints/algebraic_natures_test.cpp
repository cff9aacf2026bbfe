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

// y (1 + x^2), 2x - x^3 + y^2 in the coordinates (x - y, x + y).
#define OLD_X "(1/2*x+1/2*y)"
#define OLD_Y "(1/2*y-1/2*x)"
#define OLD_P OLD_Y "*(1+" OLD_X "^2)"
#define OLD_Q "(2*" OLD_X "-" OLD_X "^3+" OLD_Y "^2)"
constexpr const char* kTurnedP = OLD_P "-" OLD_Q;
constexpr const char* kTurnedQ = OLD_P "+" OLD_Q;
#undef OLD_X
#undef OLD_Y
#undef OLD_P
#undef OLD_Q

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
    { "Hamiltonian centre at -racine(2)", "y", "2*x - x^3", -kR2, 0, LinearPart::Imaginary, PointType::Center,
        Stability::None, std::nullopt, "Hamiltonien" },
    { "reversible centre on the axis y = 0", "y*(1 + x^2)", "2*x - x^3 + y^2", kR2, 0, LinearPart::Imaginary,
        PointType::Center, Stability::None, std::nullopt, "reversible" },
    { "Hamiltonian centre at the cube root of 2", "y", "2 - x^3", std::cbrt(2.0), 0, LinearPart::Imaginary,
        PointType::Center, Stability::None, std::nullopt, "Hamiltonien" },
    { "weak focus of order 1 at the cube root of 2", "-y + (x^3-2)^3", "3*x^2*(x^3-2)", std::cbrt(2.0), 0,
        LinearPart::Imaginary, PointType::WeakFocus, Stability::Unstable, 1, nullptr },
    // The reversible system above turned by 45 degrees (x - y, x + y): its axis
    // is now the diagonal, which the global proofs do not look for; the values
    // L1..L5 still vanish exactly.
    { "centre on a diagonal axis stays undetermined", kTurnedP, kTurnedQ, kR2, kR2, LinearPart::Imaginary,
        PointType::Undetermined, Stability::None, std::nullopt,
        "L1 = L2 = L3 = L4 = L5 = 0, centre non prouve" },
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
    // With x = racine(2) + s: s' = -y + 16 racine(2) s^3 + ..., y' = 8 s + 6 racine(2) s^2 + 2 s^3.
    // In area-preserving coordinates with x' = -y, y' = x and time scaled by
    // racine(8), the radial equation is r' = 3/racine(8) r^3 + ... = 1,0606601718 r^3.
    EXPECT_EQ(f.reason, "L1 = 1,060660172 > 0");

    const FixedPointAnalysis centre = Analyse("y", "2*x - x^3", WithAlgebraicClassifier());
    EXPECT_EQ(PointAt(centre, kR2, 0).nature.explanation,
        "Valeurs propres imaginaires pures +/- i racine(D) (T = 0, D = 4 > 0) : centre ou foyer faible. "
        "Calculs exacts dans le corps de nombres du point (tests de nullité exacts). Valeurs de Lyapunov : "
        "L1 = L2 = L3 = L4 = L5 = 0. La divergence est identiquement nulle : le système est hamiltonien, et "
        "le point est un centre. Le point est : centre.");
}

// (-P(-x, y), Q(-x, y)) is the mirror image of the system: the point (-x0, y0)
// must get the nature of (x0, y0).
std::string Mirrored(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += c == 'x' ? std::string("(-x)") : std::string(1, c);
    return out;
}

TEST(AlgebraicNatures, MirrorImageKeepsEveryNature)
{
    for (const AlgebraicCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const FixedPointAnalysis a = Analyse(c.p, c.q, WithAlgebraicClassifier());
        const FixedPointAnalysis m
            = Analyse("-(" + Mirrored(c.p) + ")", Mirrored(c.q), WithAlgebraicClassifier());
        const Nature& n = PointAt(a, c.x, c.y).nature;
        const Nature& mn = PointAt(m, -c.x, c.y).nature;
        EXPECT_EQ(mn.linearPart, n.linearPart);
        EXPECT_EQ(mn.type, n.type);
        EXPECT_EQ(mn.stability, n.stability);
        EXPECT_EQ(mn.order, n.order);
    }
}

} // namespace
} // namespace vindrel::engine::testing
