// The general analysis of a planar polynomial system dx/dt = P, dy/dt = Q.
//
//   P, Q -> properties decided exactly over Q (degree, linear, Hamiltonian,
//   gradient, homogeneous, Lotka-Volterra, symmetries, divergence and its
//   sign, invariant straight lines)
//   + the finite fixed points with their natures (given by the caller)
//   -> index theory and Bendixson-Dulac -> verdict on periodic orbits
//   -> two French reports: the conclusions and the explanatory calculations.
//
// P and Q live in a context whose first two variables are x and y; any
// further variable is a literal constant, which this analysis does not
// handle beyond the divergence (the reports then say so).
#pragma once

#include "engine/flint/flint_types.h"
#include "engine/nature.h"
#include "engine/periodic/periodic.h"
#include "engine/text/json.h"
#include "engine/tool/deadline.h"

#include <optional>
#include <string>
#include <vector>

namespace vindrel::engine::general {

using flint::Fmpq;
using flint::FmpqMpoly;

enum class Symmetry {
    ReverseY, // (x, y, t) -> (x, -y, -t)
    ReverseX, // (x, y, t) -> (-x, y, -t)
    Central, // (x, y, t) -> (-x, -y, t)
};

enum class DivergenceSign {
    Zero, // identically zero
    NonNegative, // >= 0 everywhere, not identically zero
    NonPositive, // <= 0 everywhere, not identically zero
    ChangesSign, // takes both signs
    Unknown, // not decided by the simple exact rules
};

enum class PeriodicOrbits { Impossible, Possible, Unknown };

// Whether the list of fixed points holds every finite real isolated point.
enum class PointList { Complete, Partial };

// a x + b y + c = 0; a family when every c gives an invariant line.
enum class LineKind { Single, ParallelFamily };

struct InvariantLine {
    LineKind kind = LineKind::Single;
    Fmpq a, b, c;
    std::string text; // "y = 0", "x - y + 1 = 0", "x + c = 0 (pour tout c)"
};

// The linear part of a point or of a linear system, decided exactly.
struct LinearVerdict {
    PointType type = PointType::Undetermined;
    Stability stability = Stability::None;
    LinearPart part = LinearPart::Hyperbolic;
};

struct SystemProperties {
    bool hasParameters = false;
    bool zeroSystem = false; // P = Q = 0
    int degree = 0;
    bool linear = false;
    std::optional<LinearVerdict> linearType; // for a linear system with D <> 0 or T <> 0
    bool hamiltonian = false;
    bool gradient = false;
    bool homogeneous = false;
    bool lotkaVolterra = false;
    std::vector<Symmetry> symmetries;
    std::string divergenceText; // report typography
    std::string divergenceSum; // "dP/dx + dQ/dy" with the two derivatives
    DivergenceSign divergenceSign = DivergenceSign::Unknown;
    std::string divergenceSignReason;
    std::optional<std::string> commonFactor; // P and Q share this factor: curve of fixed points
    std::optional<std::string> isolatedCommonFactor; // a common factor without a real curve
    bool linesSearched = false; // false when every direction at infinity is a candidate
    std::vector<InvariantLine> invariantLines;
    std::string jacobian[4]; // dP/dx, dP/dy, dQ/dx, dQ/dy
};

// A finite fixed point as the fixed-point search or the caller gives it.
struct FixedPoint {
    std::string xText, yText; // exact where known, otherwise decimals
    double xApprox = 0.0, yApprox = 0.0;
    std::optional<Fmpq> x, y; // exact rational coordinates, when rational
    // Linear data, exact texts; filled from P and Q for rational points.
    std::string jacobian[4];
    std::string trace, determinant, discriminant;
    std::vector<std::string> eigenvalues;
    int traceSign = 0, determinantSign = 0, discriminantSign = 0;
    bool jacobianScalar = false, jacobianZero = false;
    bool linearKnown = false;
    std::optional<Nature> nature;
};

struct PeriodicVerdict {
    PeriodicOrbits verdict = PeriodicOrbits::Unknown;
    std::string reason; // French sentence
};

// Decides a linear centre left undecided, when the system is Hamiltonian or
// reversible with the point on the axis of the symmetry.
void ProveCentre(const SystemProperties& props, FixedPoint& point);

// Whether the symmetry lets a linear centre at the point be a true centre.
bool PointOnSymmetryAxis(Symmetry s, const FixedPoint& p);

// Gives up with LimitExceeded once the deadline has passed (checked between
// steps).
SystemProperties AnalyseProperties(
    const FmpqMpoly& P, const FmpqMpoly& Q, const Deadline& deadline = Deadline());

// Fills the linear data and the nature of a rational point: the trace-
// determinant rule for a hyperbolic point, the local classification at the
// point otherwise, then a centre proved by the Hamiltonian or a
// reversibility symmetry. A nature already decided is kept.
void CompleteRationalPoint(
    const SystemProperties& props, const FmpqMpoly& P, const FmpqMpoly& Q, FixedPoint& point);

// The verdict of the linear part alone (hyperbolic types, or the kind of
// degeneracy with an Undetermined type).
LinearVerdict ClassifyLinear(
    int traceSign, int determinantSign, int discriminantSign, bool scalar, bool zero);

// For a point whose linear data come as texts (algebraic coordinates): the
// signs of trace, determinant and discriminant that its linear part implies,
// so that the reports can state the rule. traceApprox gives the sign of a
// non-zero trace the linear part leaves open (saddles, semi-hyperbolic points).
void SignsFromNature(const Nature& n, double traceApprox, FixedPoint& point);

// Index of a point of the given nature, when known: saddle -1, nodes, foci
// and centres +1, saddle-node and cusp 0.
std::optional<int> PointIndex(const Nature& n);

// Whether some non-empty set of these indices adds up to 1 (what a periodic
// orbit needs inside it); indices of a degenerate point may be 2, -2, ...
bool SomeSumIsOne(const std::vector<int>& indices);

PeriodicVerdict DecidePeriodicOrbits(
    const SystemProperties& props, const std::vector<FixedPoint>& points, PointList list);

struct GeneralReports {
    std::string conclusions; // brisolt.res
    std::string calculations; // tarnel2.res
};

GeneralReports WriteReports(const FmpqMpoly& P, const FmpqMpoly& Q, const SystemProperties& props,
    const std::vector<FixedPoint>& points, PointList list, const periodic::Study& orbits);

// The study of periodic orbits (engine/periodic) from the verdict of the
// simple rules: the points with their indices, the invariant lines.
periodic::Study StudyOrbits(const FmpqMpoly& P, const FmpqMpoly& Q, const SystemProperties& props,
    const std::vector<FixedPoint>& points, PointList list, const PeriodicVerdict& simple,
    const Deadline& deadline = Deadline());

// The whole analysis: properties, completion of the rational points,
// periodic orbits (the simple rules, then the whole study), reports.
struct GeneralAnalysis {
    SystemProperties properties;
    std::vector<FixedPoint> points;
    PeriodicVerdict periodic;
    periodic::Study orbits;
    GeneralReports reports;
};
GeneralAnalysis AnalyseGeneral(const FmpqMpoly& P, const FmpqMpoly& Q, std::vector<FixedPoint> points,
    PointList list, const Deadline& deadline = Deadline());

// French names used by the reports.
std::string NatureName(const Nature& n);
std::string SymmetryText(Symmetry s);

} // namespace vindrel::engine::general

namespace vindrel::engine::general {

// The "properties" object of the JSON output: degree, linear, hamiltonian,
// gradient, homogeneous, lotka_volterra, reversible, central_symmetry,
// divergence_sign, invariant_lines.
Json PropertiesJson(const GeneralAnalysis& a);
// The "periodic_orbits" object: verdict, reason, limit_cycles.
Json PeriodicOrbitsJson(const GeneralAnalysis& a);

} // namespace vindrel::engine::general
