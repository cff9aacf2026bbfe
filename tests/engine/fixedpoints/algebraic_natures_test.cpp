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
    // Nilpotent: with s = x - x0, x^2 - 2 = 2 x0 s + s^2. For x' = y, y' = Y the
    // system is already in Andreev's form (X = 0, f = 0): F(s) = Y(s, 0) and
    // G(s) = dY/dy(s, 0), F = a s^n + ..., G = b s^m + ...
    { "cusp at racine(2): F = 8 s^2", "y", "(x^2-2)^2", kR2, 0, LinearPart::Nilpotent, PointType::Cusp,
        Stability::None, std::nullopt, "Andreev: n = 2, G = 0" },
    { "saddle at racine(2): a = 16 racine(2) > 0", "y", "(x^2-2)^3", kR2, 0, LinearPart::Nilpotent,
        PointType::Saddle, Stability::None, std::nullopt, "Andreev: n = 3, G = 0" },
    { "Hamiltonian centre at -racine(2): a = -16 racine(2) < 0, G = 0", "y", "(x^2-2)^3", -kR2, 0,
        LinearPart::Nilpotent, PointType::Center, Stability::None, std::nullopt,
        "Andreev: n = 3, G = 0, Hamiltonien" },
    { "reversible centre at racine(2): y^2 keeps the symmetry y -> -y, t -> -t", "y", "-(x^2-2)^3 + y^2", kR2,
        0, LinearPart::Nilpotent, PointType::Center, Stability::None, std::nullopt,
        "Andreev: n = 3, G = 0, reversible" },
    { "focus or centre without proof: n = 3 < 2m + 1 = 5", "y", "-(x^2-2)^3 + y*(x^2-2)^2", kR2, 0,
        LinearPart::Nilpotent, PointType::Undetermined, Stability::None, std::nullopt,
        "Andreev: n = 3, m = 2" },
    { "saddle-node at racine(2): n = 4 > 2m + 1 = 3", "y", "(x^2-2)^4 + y*(x^2-2)", kR2, 0,
        LinearPart::Nilpotent, PointType::SaddleNode, Stability::None, std::nullopt,
        "Andreev: n = 4, m = 1" },
    { "elliptic saddle at racine(2): n = 5 > 2m + 1 = 3, a < 0", "y", "-(x^2-2)^5 + y*(x^2-2)", kR2, 0,
        LinearPart::Nilpotent, PointType::EllipticSaddle, Stability::None, std::nullopt,
        "Andreev: n = 5, m = 1" },
    { "saddle at -racine(2) of the same system: a = 128 racine(2) > 0", "y", "-(x^2-2)^5 + y*(x^2-2)", -kR2,
        0, LinearPart::Nilpotent, PointType::Saddle, Stability::None, std::nullopt, "Andreev: n = 5, m = 1" },
    // n = 2m + 1: the sign of b^2 + 4 a (m + 1) decides between the sectors and monodromy.
    // -c x (x^2-2)^3 + y (x^2-2): a = -32 c, b = 2 x0, b^2 + 8a = 8 - 256 c.
    { "elliptic saddle when b^2 + 4a(m+1) is exactly 0", "y", "-1/32*x*(x^2-2)^3 + y*(x^2-2)", kR2, 0,
        LinearPart::Nilpotent, PointType::EllipticSaddle, Stability::None, std::nullopt,
        "Andreev: n = 3, m = 1" },
    { "elliptic saddle at -racine(2) when b^2 + 4a(m+1) is exactly 0", "y", "-1/32*x*(x^2-2)^3 + y*(x^2-2)",
        -kR2, 0, LinearPart::Nilpotent, PointType::EllipticSaddle, Stability::None, std::nullopt,
        "Andreev: n = 3, m = 1" },
    // -c (x^2-2)^3 + y (x^2-2): b^2 + 8a = 8 - 128 racine(2) c, whose sign changes at
    // c = racine(2)/32; 35/792 and 99/2240 lie within 3e-6 of it on either side.
    { "elliptic saddle when b^2 + 4a(m+1) = 8 - 560/99 racine(2) > 0", "y", "-35/792*(x^2-2)^3 + y*(x^2-2)",
        kR2, 0, LinearPart::Nilpotent, PointType::EllipticSaddle, Stability::None, std::nullopt,
        "Andreev: n = 3, m = 1" },
    { "focus or centre when b^2 + 4a(m+1) = 8 - 198/35 racine(2) < 0", "y", "-99/2240*(x^2-2)^3 + y*(x^2-2)",
        kR2, 0, LinearPart::Nilpotent, PointType::Undetermined, Stability::None, std::nullopt,
        "Andreev: n = 3, m = 1" },
    // -c x (x^2-2)^5 + d y (x^2-2)^2: a = -256 c, b = 8 d, b^2 + 12 a = 64 d^2 - 3072 c.
    { "unstable node when b^2 + 4a(m+1) is exactly 0, b = 8", "y", "-1/48*x*(x^2-2)^5 + y*(x^2-2)^2", kR2, 0,
        LinearPart::Nilpotent, PointType::Node, Stability::Unstable, std::nullopt, "Andreev: n = 5, m = 2" },
    { "stable node: b = -8, b^2 + 4a(m+1) = 32", "y", "-1/96*x*(x^2-2)^5 - y*(x^2-2)^2", kR2, 0,
        LinearPart::Nilpotent, PointType::Node, Stability::Stable, std::nullopt, "Andreev: n = 5, m = 2" },
    { "focus or centre just past the node: b^2 + 4a(m+1) = 64 - 3072/47", "y",
        "-1/47*x*(x^2-2)^5 + y*(x^2-2)^2", kR2, 0, LinearPart::Nilpotent, PointType::Undetermined,
        Stability::None, std::nullopt, "Andreev: n = 5, m = 2" },
    // x' = y - (x^2-2)^2, y' = y (x^2-2): f = (x^2-2)^2 and F = (x^2-2)^3, which is 0 along y = 0.
    { "saddle found only along the curve y = f(x)", "y - (x^2-2)^2", "y*(x^2-2)", kR2, 0,
        LinearPart::Nilpotent, PointType::Saddle, Stability::None, std::nullopt, "Andreev: n = 3, m = 1" },
    // At -racine(2): a = -16 racine(2), b = -16 - 2 racine(2), b^2 + 8a = 264 - 64 racine(2) > 0.
    { "elliptic saddle along the curve y = f(x) at -racine(2)", "y - (x^2-2)^2", "y*(x^2-2)", -kR2, 0,
        LinearPart::Nilpotent, PointType::EllipticSaddle, Stability::None, std::nullopt,
        "Andreev: n = 3, m = 1" },
    // x' = -y^3, y' = x^2 - 2: the nilpotent block has dP = 0, so the other basis is taken.
    { "Hamiltonian centre with the block turned: x' = -y^3, y' = x^2 - 2", "-y^3", "x^2-2", kR2, 0,
        LinearPart::Nilpotent, PointType::Center, Stability::None, std::nullopt,
        "Andreev: n = 3, G = 0, Hamiltonien" },
    { "saddle with the block turned at -racine(2)", "-y^3", "x^2-2", -kR2, 0, LinearPart::Nilpotent,
        PointType::Saddle, Stability::None, std::nullopt, "Andreev: n = 3, G = 0" },
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

// (A(u, y), 2x B(u, y)) with u = x^2 - 2 is carried by (x, y) -> (u, y) onto
// 2x (A, B): near x = racine(2) the change keeps the orientation and 2x > 0,
// so the point gets the nature of the origin of (A, B); near -racine(2) the
// factor 2x < 0 reverses time: same type, stability exchanged.
std::string InU(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += c == 'x' ? std::string("(x^2-2)") : std::string(1, c);
    return out;
}

Stability Reversed(Stability s)
{
    return s == Stability::Stable ? Stability::Unstable
                                  : (s == Stability::Unstable ? Stability::Stable : Stability::None);
}

struct ConjugateCase {
    const char* name;
    const char* a;
    const char* b;
    PointType type; // what the rational classifier finds at the origin
};

const ConjugateCase kConjugates[] = {
    { "saddle", "y", "x^3", PointType::Saddle },
    { "Hamiltonian centre", "y", "-x^3", PointType::Center },
    { "cusp", "y", "x^2", PointType::Cusp },
    { "saddle-node", "y", "x^4 + x*y", PointType::SaddleNode },
    { "unstable node on the boundary b^2 + 4a(m+1) = 0", "y", "-1/12*x^5 + x^2*y", PointType::Node },
    { "stable node", "y", "-1/24*x^5 - x^2*y", PointType::Node },
    { "elliptic saddle", "y", "-x^5 + x*y", PointType::EllipticSaddle },
    { "elliptic saddle on the boundary b^2 + 4a(m+1) = 0", "y", "-1/2*x^3 + 2*x*y",
        PointType::EllipticSaddle },
    { "focus or centre without proof", "y", "-x^3 + x^2*y", PointType::Undetermined },
    { "saddle along the curve y = x^2", "y - x^2", "x*y", PointType::Saddle },
};

TEST(AlgebraicNatures, NilpotentPointsAgreeWithTheRationalConjugateSystem)
{
    for (const ConjugateCase& c : kConjugates) {
        SCOPED_TRACE(c.name);
        const Nature rational = ClassifyOrigin(Poly(c.a), Poly(c.b));
        ASSERT_EQ(rational.linearPart, LinearPart::Nilpotent);
        EXPECT_EQ(rational.type, c.type);
        const FixedPointAnalysis a = Analyse(InU(c.a), "2*x*(" + InU(c.b) + ")", WithAlgebraicClassifier());
        const Nature& plus = PointAt(a, kR2, 0).nature;
        EXPECT_EQ(plus.linearPart, LinearPart::Nilpotent);
        EXPECT_EQ(plus.type, rational.type);
        EXPECT_EQ(plus.stability, rational.stability);
        EXPECT_EQ(plus.reason, rational.reason);
        const Nature& minus = PointAt(a, -kR2, 0).nature;
        EXPECT_EQ(minus.type, rational.type);
        EXPECT_EQ(minus.stability, Reversed(rational.stability));
    }
}

TEST(AlgebraicNatures, ExactTextsAtNilpotentPoints)
{
    const FixedPointAnalysis cusp = Analyse("y", "(x^2-2)^2", WithAlgebraicClassifier());
    EXPECT_EQ(PointAt(cusp, kR2, 0).nature.explanation,
        "Partie linéaire nilpotente (T = D = 0, J <> 0). Calculs exacts dans le corps de nombres du point "
        "(tests de nullité exacts). Théorème d'Andreev : F(x) = 8*x^2 + ... (n = 2) et G(x) = 0 jusqu'à "
        "l'ordre 20. Le point est : point de rebroussement.");

    // F = -16 racine(2) s^3 + ..., G = 8 s^2 + ...
    const FixedPointAnalysis open = Analyse("y", "-(x^2-2)^3 + y*(x^2-2)^2", WithAlgebraicClassifier());
    EXPECT_EQ(PointAt(open, kR2, 0).nature.explanation,
        "Partie linéaire nilpotente (T = D = 0, J <> 0). Calculs exacts dans le corps de nombres du point "
        "(tests de nullité exacts). Théorème d'Andreev : F(x) = -22,627417*x^3 + ... (n = 3) et G(x) = "
        "8*x^2 + ... (m = 2). Le point est un centre ou un foyer (non déterminé : aucune preuve de centre "
        "trouvée).");

    const FixedPointAnalysis centre = Analyse("y", "(x^2-2)^3", WithAlgebraicClassifier());
    EXPECT_EQ(PointAt(centre, -kR2, 0).nature.explanation,
        "Partie linéaire nilpotente (T = D = 0, J <> 0). Calculs exacts dans le corps de nombres du point "
        "(tests de nullité exacts). Théorème d'Andreev : F(x) = -22,627417*x^3 + ... (n = 3) et G(x) = 0 "
        "jusqu'à l'ordre 20. Le point est un centre ou un foyer. La divergence est identiquement nulle : le "
        "système est hamiltonien, et le point est un centre. Le point est : centre.");
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
