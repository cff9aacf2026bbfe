// The exact arguments of the study of periodic orbits: sign rules for a
// polynomial on a region, the regions cut by the invariant lines with the
// index rule and Dulac functions, Lienard's theorem, invariant algebraic
// curves carrying a cycle.
#pragma once

#include "engine/fixedpoints/real_roots.h"
#include "engine/periodic/periodic.h"

#include <optional>
#include <string>
#include <vector>

namespace vindrel::engine::periodic {

// Sign of a polynomial on an open region: >= 0 (resp. <= 0) there and not
// identically zero, so that its zeros have an empty interior.
enum class Sign { Positive, Negative, Unknown };

// On the whole plane: a constant, even powers with coefficients of one
// sign, plus or minus a square, a quadratic form of one sign.
Sign GlobalSign(const FmpqMpoly& p);

// A real algebraic number: a root of an irreducible integer polynomial in
// an isolating interval.
struct RealRoot {
    flint::FmpzPoly poly;
    fp::RootInterval interval;
};
// The distinct real roots in (0, infinity) of odd multiplicity: where p
// changes sign on the positive half-line.
std::vector<RealRoot> PositiveOddRoots(const flint::FmpqPoly& p);
// -1, 0, 1 as a < b, a = b, a > b; 2 when not decided.
int Compare(RealRoot& a, RealRoot& b);

// Non-existence by the regions of the invariant lines: every region that
// holds fixed points is excluded by the index rule or by a Dulac function.
struct RegionResult {
    bool excluded = false;
    std::string reason; // French clause
    std::vector<std::string> calculations;
};
RegionResult ExcludeByRegions(const Input& input, const Deadline& deadline);
// Dulac's criterion on the whole plane with B = x^i y^j, 0 <= i, j <= 2.
RegionResult ExcludeByMonomialDulac(const Input& input);

// Lienard's theorem, up to exchanging x and y and reversing time.
struct LienardResult {
    bool applies = false;
    CycleStability stability = CycleStability::Stable;
    Vec centre; // the fixed point the cycle surrounds
    std::vector<std::string> calculations; // the hypotheses one by one
    std::string reason;
};
LienardResult CheckLienard(const FmpqMpoly& P, const FmpqMpoly& Q);

// An invariant algebraic curve through the numerical cycle: fitted on its
// points, rationalised, then P f_x + Q f_y = K f checked exactly. The cycle
// is proven when f is a real ellipse free of fixed points and the sign of
// the cofactor K decides its stability.
struct CurveResult {
    bool found = false;
    std::string canonical, report; // f
    std::string cofactor; // K, report typography
    bool oval = false; // f = 0 is an ellipse free of fixed points: a periodic orbit
    bool proven = false; // and a hyperbolic limit cycle of known stability
    CycleStability stability = CycleStability::Stable;
    std::vector<std::string> calculations;
};
CurveResult FindInvariantCurve(const FmpqMpoly& P, const FmpqMpoly& Q, const Cycle& cycle);

// Report typography of a decimal with a comma.
std::string Decimal(double v, int digits = 10);

// "stable", "instable", "semi-stable" and "(x ; y)" in the reports.
std::string StabilityWord(CycleStability s);
std::string Pair(Vec p);

} // namespace vindrel::engine::periodic
