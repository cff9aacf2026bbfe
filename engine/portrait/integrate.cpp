#include "engine/portrait/integrate.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <optional>

namespace vindrel::portrait {

namespace {

// Dormand-Prince 5(4) tableau; the fifth-order weights are the last row of a.
constexpr double c2 = 1.0 / 5, c3 = 3.0 / 10, c4 = 4.0 / 5, c5 = 8.0 / 9;
constexpr double a21 = 1.0 / 5;
constexpr double a31 = 3.0 / 40, a32 = 9.0 / 40;
constexpr double a41 = 44.0 / 45, a42 = -56.0 / 15, a43 = 32.0 / 9;
constexpr double a51 = 19372.0 / 6561, a52 = -25360.0 / 2187, a53 = 64448.0 / 6561, a54 = -212.0 / 729;
constexpr double a61 = 9017.0 / 3168, a62 = -355.0 / 33, a63 = 46732.0 / 5247, a64 = 49.0 / 176,
                 a65 = -5103.0 / 18656;
constexpr double b1 = 35.0 / 384, b3 = 500.0 / 1113, b4 = 125.0 / 192, b5 = -2187.0 / 6784, b6 = 11.0 / 84;
// Difference between the fifth- and fourth-order weights.
constexpr double e1 = 71.0 / 57600, e3 = -71.0 / 16695, e4 = 71.0 / 1920, e5 = -17253.0 / 339200,
                 e6 = 22.0 / 525, e7 = -1.0 / 40;

static_assert(c2 > 0 && c3 > 0 && c4 > 0 && c5 > 0);

using Step = DormandPrinceStep;

Step TryStep(const Rhs& f, Vec2 y, Vec2 k1, double h, const StepControl& ctl)
{
    Vec2 k2 = f(y + h * (a21 * k1));
    Vec2 k3 = f(y + h * (a31 * k1 + a32 * k2));
    Vec2 k4 = f(y + h * (a41 * k1 + a42 * k2 + a43 * k3));
    Vec2 k5 = f(y + h * (a51 * k1 + a52 * k2 + a53 * k3 + a54 * k4));
    Vec2 k6 = f(y + h * (a61 * k1 + a62 * k2 + a63 * k3 + a64 * k4 + a65 * k5));
    Vec2 next = y + h * (b1 * k1 + b3 * k3 + b4 * k4 + b5 * k5 + b6 * k6);
    Vec2 k7 = f(next);
    Vec2 err = h * (e1 * k1 + e3 * k3 + e4 * k4 + e5 * k5 + e6 * k6 + e7 * k7);
    double sx = ctl.atol + ctl.rtol * std::max(std::abs(y.x), std::abs(next.x));
    double sy = ctl.atol + ctl.rtol * std::max(std::abs(y.y), std::abs(next.y));
    double e = std::max(std::abs(err.x) / sx, std::abs(err.y) / sy);
    if (!std::isfinite(e) || !std::isfinite(next.x) || !std::isfinite(next.y))
        e = std::numeric_limits<double>::infinity();
    return {next, k7, e};
}


constexpr double kMinStep = 1e-14;

double SegmentDistance(Vec2 p, Vec2 a, Vec2 b)
{
    Vec2 ab = b - a;
    double len2 = Dot(ab, ab);
    double t = len2 > 0 ? std::clamp(Dot(p - a, ab) / len2, 0.0, 1.0) : 0.0;
    return Norm(p - (a + t * ab));
}

double Cross(Vec2 a, Vec2 b) { return a.x * b.y - a.y * b.x; }

double SegmentsDistance(Vec2 a, Vec2 b, Vec2 c, Vec2 d)
{
    double d1 = Cross(b - a, c - a), d2 = Cross(b - a, d - a);
    double d3 = Cross(d - c, a - c), d4 = Cross(d - c, b - c);
    if (((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0))) return 0; // they cross
    return std::min({SegmentDistance(a, c, d), SegmentDistance(b, c, d), SegmentDistance(c, a, b),
                     SegmentDistance(d, a, b)});
}

// False when the bounding boxes of [a, b] and [c, d] are farther apart than
// tol: then so are the segments.
bool BoxesNear(Vec2 a, Vec2 b, Vec2 c, Vec2 d, double tol)
{
    return std::max(a.x, b.x) + tol >= std::min(c.x, d.x) && std::max(c.x, d.x) + tol >= std::min(a.x, b.x)
        && std::max(a.y, b.y) + tol >= std::min(c.y, d.y) && std::max(c.y, d.y) + tol >= std::min(a.y, b.y);
}

// The segments of an orbit so far, hashed by cell, to find a return of the
// orbit close to where it has already been, in the same direction.
class ReturnFinder {
public:
    ReturnFinder(double tolerance, double cell)
        : tol_(tolerance)
        , cell_(cell)
    {
    }
    // Index k (the earliest) of an earlier segment [k, k+1] within the
    // tolerance of the new segment [p, q], run in the same direction, at
    // least `gap` earlier along the orbit.
    std::optional<std::size_t> Find(const std::vector<Vec2>& pts, const std::vector<double>& cum, Vec2 p, Vec2 q,
                                    double gap) const
    {
        const Vec2 dir = q - p;
        auto [ci, cj] = Key(0.5 * (p + q));
        std::optional<std::size_t> earliest;
        for (long di = -2; di <= 2; ++di) {
            for (long dj = -2; dj <= 2; ++dj) {
                auto it = cells_.find({ci + di, cj + dj});
                if (it == cells_.end()) continue;
                // Segments are listed in the order they were run: the first
                // match is the cell's earliest, and once one is too recent so
                // are all that follow (an orbit crawling along the circle
                // piles up thousands of them in one cell).
                for (std::size_t k : it->second) {
                    if (earliest && k >= *earliest) break;
                    if (cum.back() - cum[k + 1] < gap) break;
                    if (!BoxesNear(p, q, pts[k], pts[k + 1], tol_)) continue;
                    if (Dot(pts[k + 1] - pts[k], dir) <= 0) continue;
                    if (SegmentsDistance(p, q, pts[k], pts[k + 1]) < tol_) {
                        earliest = k;
                        break;
                    }
                }
            }
        }
        return earliest;
    }
    void Add(const std::vector<Vec2>& pts, std::size_t k) { cells_[Key(pts[k])].push_back(k); }

private:
    std::pair<long, long> Key(Vec2 p) const
    {
        return {static_cast<long>(std::floor(p.x / cell_)), static_cast<long>(std::floor(p.y / cell_))};
    }
    double tol_, cell_;
    std::map<std::pair<long, long>, std::vector<std::size_t>> cells_;
};

} // namespace

DormandPrinceStep StepDormandPrince(const Rhs& f, Vec2 y, Vec2 k1, double h, const StepControl& control)
{
    return TryStep(f, y, k1, h, control);
}

double NextStepSize(double h, double error)
{
    double factor = error == 0 ? 5.0 : std::clamp(0.9 * std::pow(error, -0.2), 0.2, 5.0);
    return h * factor;
}

IntegrationResult IntegrateTo(const Rhs& f, Vec2 start, double tEnd, const StepControl& ctl)
{
    IntegrationResult result;
    Vec2 y = start;
    Vec2 k1 = f(y);
    double t = 0;
    double h = std::min(ctl.hinit, ctl.hmax);
    while (t < tEnd) {
        double hs = std::min(h, tEnd - t);
        Step s = TryStep(f, y, k1, hs, ctl);
        if (s.error <= 1) {
            t = (hs == tEnd - t) ? tEnd : t + hs;
            y = s.next;
            k1 = s.slopeNext;
            ++result.accepted;
        } else {
            ++result.rejected;
        }
        h = std::min(NextStepSize(hs, s.error), ctl.hmax);
        if (h < kMinStep) break;
    }
    result.end = y;
    return result;
}

Rhs BoundedSpeed(Rhs f)
{
    return [f = std::move(f)](Vec2 p) {
        Vec2 v = f(p);
        double n = Norm(v);
        return std::isfinite(n) ? (1 / std::sqrt(1 + n * n)) * v : Vec2{0, 0};
    };
}

Trace TraceOrbit(const Rhs& field, Vec2 start, TimeDirection direction, const TraceLimits& limits,
                 const StepControl& ctl)
{
    Rhs backward = [&field](Vec2 p) { return -1.0 * field(p); };
    const Rhs& f = direction == TimeDirection::Forward ? field : backward;

    Trace trace;
    trace.points.push_back(start);
    std::vector<bool> armed(limits.sinks.size());
    for (std::size_t i = 0; i < limits.sinks.size(); ++i)
        armed[i] = Norm(start - limits.sinks[i]) > 3 * limits.sinkRadius;

    Vec2 y = start;
    Vec2 k1 = f(y);
    const bool detectClosing = limits.closeTolerance > 0;
    ReturnFinder returns(limits.closeTolerance, std::max(limits.closeTolerance, ctl.hmax));
    std::vector<double> cum{0.0}; // arc length at each point

    double h = std::min(ctl.hinit, ctl.hmax);
    int steps = 0;
    int shortSteps = 0;
    while (true) {
        if (steps >= limits.maxSteps) {
            trace.reason = StopReason::StepLimit;
            return trace;
        }
        if (trace.length >= limits.maxLength) {
            trace.reason = StopReason::LengthLimit;
            return trace;
        }
        const double hs = h;
        Step s = TryStep(f, y, k1, hs, ctl);
        ++steps;
        if (s.error > 1) {
            h = std::min(NextStepSize(h, s.error), ctl.hmax);
            if (h < kMinStep) {
                trace.reason = StopReason::Stalled;
                return trace;
            }
            continue;
        }
        Vec2 prev = y;
        y = s.next;
        k1 = s.slopeNext;
        h = std::min(NextStepSize(h, s.error), ctl.hmax);
        double stepLength = Norm(y - prev);
        trace.length += stepLength;
        shortSteps = stepLength < limits.stallLength ? shortSteps + 1 : 0;
        if (shortSteps >= 50) {
            trace.points.push_back(y);
            trace.reason = StopReason::Stalled;
            return trace;
        }

        if (detectClosing) {
            // A closed orbit: the orbit comes back onto a stretch it has
            // already run, in the same direction; that loop is run once.
            auto k = returns.Find(trace.points, cum, prev, y, 10 * limits.closeTolerance);
            if (k) {
                trace.points.push_back(trace.points[*k]);
                trace.loopStart = *k;
                trace.reason = StopReason::Closed;
                return trace;
            }
            if (trace.points.size() >= 2) returns.Add(trace.points, trace.points.size() - 2);
        }
        trace.points.push_back(y);
        cum.push_back(trace.length);
        if (!limits.inside(y)) {
            trace.reason = StopReason::LeftRegion;
            return trace;
        }
        for (std::size_t i = 0; i < limits.sinks.size(); ++i) {
            double d = Norm(y - limits.sinks[i]);
            if (!armed[i]) {
                armed[i] = d > 3 * limits.sinkRadius;
            } else if (d < limits.sinkRadius) {
                trace.points.push_back(limits.sinks[i]);
                trace.reason = StopReason::ReachedFixedPoint;
                return trace;
            }
        }
        if (Norm(k1) == 0) { // landed exactly on a fixed point
            trace.reason = StopReason::ReachedFixedPoint;
            return trace;
        }
    }
}

} // namespace vindrel::portrait
