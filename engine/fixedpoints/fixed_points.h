// Certified fixed points of dx/dt = P(x,y), dy/dt = Q(x,y).
//
// Pipeline: G = gcd(P, Q) -> real curves of fixed points (factors of G)
//   -> cofactors P/G, Q/G -> shear x = u - t*y, resultant R(u) and first
//   subresultant (y as a rational function of u) -> irreducible factors of R
//   -> certified real roots (Arb) -> exact coordinates in Q[u]/(f)
//   -> Jacobian, exact zero tests, linear classification -> reports.
// Points at infinity: real linear factors of x*Q_d - y*P_d.
#pragma once

#include "engine/classify/algebraic.h"
#include "engine/errors.h"
#include "engine/flint/flint_types.h"
#include "engine/nature.h"
#include "engine/tool/deadline.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vindrel::engine {

// Classifies a non-hyperbolic point of a system translated so that the
// point is the origin. Returns nothing when it cannot decide.
using LocalClassifier
    = std::function<std::optional<Nature>(const flint::FmpqMpoly& Pshift, const flint::FmpqMpoly& Qshift)>;

// Classifies a non-hyperbolic point at irrational coordinates, given exactly
// in its number field (P and Q are not translated). Nothing when it cannot decide.
using AlgebraicClassifier = std::function<std::optional<Nature>(
    const flint::FmpqMpoly& P, const flint::FmpqMpoly& Q, const AlgebraicPoint& point)>;

// Skipped: the report texts (coordinates as words, Jacobian entries,
// eigenvalues, directions and charts at infinity, the components) stay
// empty; what the JSON of the points holds is computed all the same.
enum class ReportTexts { Written, Skipped };

struct FixedPointOptions {
    LocalClassifier classifier; // used at rational non-hyperbolic points
    AlgebraicClassifier algebraicClassifier; // used at irrational non-hyperbolic points
    ReportTexts texts = ReportTexts::Written;
};

enum class Exactness { Rational, Quadratic, Decimal };
enum class NatureSource { LinearPart, LocalClassifier };

struct FixedPoint {
    std::string xJson, yJson; // exact texts ("1/2", "sqrt(5)/2"), empty if not exact
    std::string xText, yText; // report texts ("racine(5)/2", "1,324717957 (à 1e-9 près)")
    double xApprox = 0, yApprox = 0; // at least 15 significant digits
    double xBox[2] = { 0, 0 }, yBox[2] = { 0, 0 }; // certified box holding the point (lower, upper)
    Exactness exactness = Exactness::Decimal;
    std::string jacobianText[2][2];
    std::string traceText, determinantText, discriminantText;
    std::string eigenText[2];
    double trace = 0, determinant = 0;
    Nature nature;
    NatureSource natureSource = NatureSource::LinearPart;
};

struct FixedCurve {
    std::string json; // "x^2 + y^2 - 1"
    std::string text; // "x² + y² - 1"
};

struct InfinitePoint {
    std::string directionText; // "y = 2x", "x = 0 (axe des y)"
    double dx = 0, dy = 1; // unit direction
    Nature nature; // of the point in direction (dx, dy), for the flow on the sphere
    Stability oppositeStability = Stability::None; // the point in direction (-dx, -dy): same type
    std::string chartText; // where the nature was found: "carte u = y/x, v = 1/x, point (2 ; 0) : "
    NatureSource natureSource = NatureSource::LinearPart;
};

enum class InfinityKind { Points, LineOfSingularities };

struct FixedPointAnalysis {
    int degree = 0;
    std::string xName = "x", yName = "y"; // the variables' names
    std::string pText, qText; // the components, as the reports print them
    bool wholePlaneFixed = false; // P = Q = 0
    std::vector<FixedCurve> curves; // real curves of fixed points (integer, primitive)
    std::vector<FixedPoint> points; // sorted by x, then y
    int complexCount = 0; // isolated non-real solutions, without multiplicity
    bool pointsCertified = true; // false when the budget ran out
    std::string notice; // French explanation when not everything was certified
    InfinityKind infinity = InfinityKind::Points;
    std::vector<InfinitePoint> infinite;
};

// Variables 0 and 1 of the context are x and y; any other variable must not
// occur (std::invalid_argument otherwise).
FixedPointAnalysis AnalyseFixedPoints(const flint::FmpqMpoly& P, const flint::FmpqMpoly& Q,
    const Deadline& deadline, const FixedPointOptions& options = {});

// Whether the real zeros of g (in x, y) contain a curve, and not only
// isolated points (x^2 + y^2 = 0 is the origin alone).
bool HasRealCurve(const flint::FmpqMpoly& g, const Deadline& deadline);

std::string DovraReport(const FixedPointAnalysis& analysis);
std::string SkellinReport(const FixedPointAnalysis& analysis);

// Names used in the JSON output.
const char* JsonName(LinearPart part);
const char* JsonName(PointType type);
const char* JsonName(Stability stability); // nullptr for Stability::None

} // namespace vindrel::engine
