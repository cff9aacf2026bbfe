// Phase portraits of a planar polynomial system dx/dt = P, dy/dt = Q.
//
//   polynomials -> field in double (terms c*x^i*y^j)
//   fixed points (certified list, or a numerical search) -> Jacobian,
//   eigenvalues, eigen-directions; curves of fixed points as zero sets
//   window (framing the fixed points, or given) or the Poincare disc
//   -> direction field, nullclines (marching squares), separatrices of the
//      saddles and saddle-nodes, a dozen orbits (Dormand-Prince 5(4))
//   -> scene (layers in pixels) -> SVG text or PNG through Cairo.
//
// The geometry (ComputePortrait) is separate from the drawing (BuildScene,
// WriteSvg, WritePng) so that each can be checked on its own.
#pragma once

#include "engine/portrait/field.h"

#include <optional>
#include <string>
#include <vector>

namespace vindrel::portrait {

struct Window {
    double xmin = -2, xmax = 2, ymin = -2, ymax = 2;
    double Width() const { return xmax - xmin; }
    double Height() const { return ymax - ymin; }
    double Diagonal() const;
    bool Contains(Vec2 p) const { return p.x >= xmin && p.x <= xmax && p.y >= ymin && p.y <= ymax; }
};

enum class Projection { Plane, PoincareDisc };

// A fixed point as the analysis gives it: its place and its nature, with the
// schema names (type: saddle, node, focus, center, saddle_node, ...;
// stability: stable, unstable or empty; linear part: hyperbolic,
// semi-hyperbolic, nilpotent, zero, imaginary, or empty when unknown).
// A separatrix of a degenerate point, given by its tangent direction.
struct SeparatrixStart {
    Vec2 direction; // unit
    bool unstable = false;
};

struct FixedPointInput {
    double x = 0, y = 0;
    std::string type;
    std::string stability;
    std::string linearPart = {};
    std::vector<SeparatrixStart> separatrices = {}; // degenerate points (blow-up)
};

// A singular point at infinity as the analysis gives it: the point of the
// circle in direction `direction` (unit), studied in `chart` (AlongX when
// direction.x > 0, AlongY for the end of the y-axis), where it is (u0, 0).
// It stands for the pair of opposite points: the side v > 0 of the chart is
// drawn at `direction`, the side v < 0 at its opposite. The separatrices of
// a degenerate point are given by their tangents in the chart's (u, v).
struct InfinitePointInput {
    Vec2 direction;
    Chart chart = Chart::AlongX;
    std::string type;
    std::string stability;
    std::string linearPart = {};
    std::vector<SeparatrixStart> separatrices = {};
    ChartDivision division = ChartDivision::None; // ByV when the whole circle is singular
};

// A curve of fixed points (a common factor of P and Q), drawn as its zero
// set; the polynomial has no repeated factor, so it changes sign across the
// curve.
struct FixedCurveInput {
    std::vector<Term> terms;
};

// A limit cycle found by the study of periodic orbits: points of one
// period in the plane.
struct CycleInput {
    std::vector<Vec2> points;
    bool unstable = false;
};

// What the exact analysis gives besides the field.
struct PortraitInput {
    std::vector<FixedPointInput> points;
    std::vector<FixedCurveInput> curves;
    // P and Q without their repeated factors (see SquareFreeField): the
    // nullclines are drawn from them; from the field itself when absent.
    std::optional<PolynomialField> nullclines;
    std::vector<CycleInput> cycles = {}; // drawn as they are, before the other orbits
    // Their separatrices are drawn on the disc, and in the plane where they enter the window.
    std::vector<InfinitePointInput> infinite = {};
};

// The linearisation at a fixed point, computed here from the Jacobian.
struct Linearisation {
    double trace = 0, determinant = 0;
    bool realEigenvalues = false;
    double lambda1 = 0, lambda2 = 0; // real parts (lambda1 >= lambda2 when real)
    double imag = 0;                 // |imaginary part| when complex
    Vec2 v1, v2;                     // unit eigenvectors when real
};

struct FixedPoint {
    Vec2 at;
    std::string type;
    std::string stability;
    Linearisation lin;
    std::string linearPart; // as given; empty when unknown
    std::vector<SeparatrixStart> separatrices = {};
};

enum class SeparatrixKind { Stable, Unstable };

struct Orbit {
    std::vector<Vec2> points; // in the drawing's coordinates (plane or disc)
    bool closed = false;      // a closed orbit, drawn once
    bool limitCycle = false;  // closed, and found as the limit of a neighbouring orbit
    bool unstable = false;    // a limit cycle known to repel: drawn dashed
};

struct Separatrix {
    SeparatrixKind kind = SeparatrixKind::Unstable;
    std::size_t fixedPoint = 0; // index in Portrait::fixedPoints, or in PortraitInput::infinite
    bool fromInfinity = false;
    // Starts at the fixed point (on the disc, at the point at infinity; in
    // the plane, where it enters the window), in the direction of its own time.
    Orbit orbit;
};

struct FieldArrow {
    Vec2 at;
    Vec2 direction; // unit
};

// Where the fixed points come from: given (exact analysis) or found
// numerically; the legend says so in the second case.
enum class PointOrigin { Given, Numerical };

struct PortraitOptions {
    std::optional<Window> window; // plane only; framed from the fixed points when absent
    Projection projection = Projection::Plane;
    int orbitCount = 12;
    int pixels = 720; // size of the square plot
    PointOrigin pointOrigin = PointOrigin::Given;
};

struct Portrait {
    Projection projection = Projection::Plane;
    Window window; // in the drawing's coordinates ([-1,1]^2 for the disc)
    std::vector<FixedPoint> fixedPoints;    // positions in the drawing's coordinates
    std::vector<Vec2> infinitePoints;       // disc only, on the unit circle
    std::vector<FieldArrow> field;
    std::vector<std::vector<Vec2>> nullclineP; // segments (pairs of points)
    std::vector<std::vector<Vec2>> nullclineQ;
    std::vector<std::vector<Vec2>> fixedCurves; // segments of the curves of fixed points
    std::size_t curveCount = 0;                 // curves of fixed points given, in the window or not
    std::vector<Separatrix> separatrices;
    std::vector<Orbit> orbits;
    int pixels = 720;
    PointOrigin pointOrigin = PointOrigin::Given;
};

// The default window: frames every fixed point with a margin, square.
Window DefaultWindow(const std::vector<FixedPointInput>& points);

// The linearisation of the field at p.
Linearisation Linearise(const PolynomialField& f, Vec2 p);

// Fixed points found numerically (Newton from a grid), classified from the
// Jacobian; for callers that have no certified list.
std::vector<FixedPointInput> FindFixedPointsNumerically(const PolynomialField& f);

Portrait ComputePortrait(const PolynomialField& f, const std::vector<FixedPointInput>& points,
                         const PortraitOptions& options);
Portrait ComputePortrait(const PolynomialField& f, const PortraitInput& input, const PortraitOptions& options);

// The French name of a nature ("col", "foyer stable", ...).
std::string NatureLabel(const std::string& type, const std::string& stability);

// Writes the picture: PNG when the name ends in .png, SVG otherwise.
// Throws PortraitError when the file cannot be written.
void WritePortrait(const Portrait& portrait, const std::string& path);
std::string SvgText(const Portrait& portrait);

} // namespace vindrel::portrait
