// The periodic orbits of a planar polynomial system dx/dt = P, dy/dt = Q.
//
//   exact verdict of the simple rules (given by the caller)
//   -> non-existence: invariant lines cut the plane into regions no orbit
//      crosses; in each, the index rule or a Dulac function B (products of
//      powers of the lines, x^i y^j) with div(B F) of one sign (exact rules)
//   -> proven existence: Lienard's theorem, hypotheses checked exactly
//   -> numerical search: the return map on a half-line from every point of
//      index +1, its fixed points refined, with their stability and error
//   -> an invariant algebraic curve through each cycle (fitted, rationalised,
//      P f_x + Q f_y = K f checked exactly): the cycle is then proven
//   -> verdict (none / centres / limit_cycles / open), cycles, French texts.
#pragma once

#include "engine/flint/flint_types.h"
#include "engine/nature.h"
#include "engine/text/json.h"
#include "engine/tool/deadline.h"

#include <optional>
#include <string>
#include <vector>

namespace vindrel::engine::periodic {

using flint::Fmpq;
using flint::FmpqMpoly;

// A finite fixed point as the fixed-point search found it.
struct Point {
    std::string name; // "(0, 0)"
    double x = 0, y = 0;
    std::optional<Fmpq> xExact, yExact;
    std::optional<int> index; // Poincare index, when known
    std::optional<Nature> nature;
};

// An invariant straight line a x + b y + c = 0.
struct Line {
    Fmpq a, b, c;
    std::string text; // "y = 0"
};

// What the study starts from: the system (first two variables x and y, no
// literal constant), its points, its invariant lines, and the verdict of
// the simple exact rules (linear, gradient, Bendixson, centres, index).
enum class Prior { Impossible, Centre, Unknown };

struct Input {
    const FmpqMpoly* P = nullptr;
    const FmpqMpoly* Q = nullptr;
    std::vector<Point> points;
    bool pointsComplete = false; // every finite real fixed point is listed, all isolated
    std::vector<Line> lines;
    Prior prior = Prior::Unknown;
    std::string priorReason; // French clause of the simple rules
};

enum class Verdict { None, Centres, LimitCycles, Open };
enum class CycleStability { Stable, Unstable, SemiStable };
enum class Proof { Proven, Numerical };

struct Vec {
    double x = 0, y = 0;
};

struct Cycle {
    CycleStability stability = CycleStability::Stable;
    Proof proof = Proof::Numerical;
    std::string argument; // French: how it is known
    std::optional<std::string> curve; // canonical text of the invariant curve f (f = 0)
    std::optional<std::string> curveReport; // the same in report typography
    bool traced = false; // the numbers below are known
    double period = 0;
    Vec point;
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    // Bound on the distance of the return to `point` after one period, run
    // in the direction of time where the cycle attracts (reversed for an
    // unstable cycle, whose forward return multiplies every error).
    double error = 0;
    double multiplier = 1; // derivative of the return map in that direction of time
    std::vector<int> surrounds; // indices in Input::points
    std::vector<Vec> orbit; // points of one period, from `point`
    int searchedFrom = -1; // the point whose half-line found it
};

// One row of the table of the return map: s on the half-line, its image.
struct ReturnRow {
    double s = 0;
    std::optional<double> image;
    bool reversed = false; // found by running back in time from the image
};

// The half-line {origin + s d, 0 < s <= reach} and the return map on it.
struct Search {
    int point = -1;
    Vec origin, direction;
    double reach = 0;
    std::vector<ReturnRow> table;
    int found = 0; // cycles met, some perhaps found first from another point
    bool identity = false; // the return map is the identity within precision somewhere
    bool interrupted = false; // stopped by the time budget
};

struct Study {
    Verdict verdict = Verdict::Open;
    std::string reason; // French clause: the argument
    std::vector<Cycle> cycles; // innermost first around each point
    std::vector<Search> searches;
    std::vector<std::string> calculations; // French lines for the explanatory calculations
};

// The whole study. The exact steps give up with LimitExceeded once the
// deadline has passed; the numerical search ends there quietly (its
// searches marked interrupted), and also after its own budget (2 s up to
// degree 6, less above).
Study StudyPeriodicOrbits(const Input& input, const Deadline& deadline = Deadline());

// The "periodic_orbits" object of the JSON output.
Json StudyJson(const Study& study);

// The French lines of the conclusions: the verdict, then one line a cycle
// and the region searched.
std::vector<std::string> ConclusionLines(const Study& study, const std::vector<Point>& points);

} // namespace vindrel::engine::periodic
