#include "engine/portrait/integrate.h"
#include "engine/portrait/portrait.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <numbers>

namespace vindrel::portrait {

namespace {

// Sizes relative to the window's diagonal.
constexpr double kSinkRadius = 0.004;
constexpr double kCloseTolerance = 1e-3;
constexpr double kSeparatrixOffset = 1e-5;     // along a hyperbolic eigenvector
constexpr double kCentreBranchOffset = 1e-3;   // along the zero eigenvector of a saddle-node
constexpr double kSeedRadius = 0.12;           // seeds around a non-saddle fixed point
constexpr double kMaxLength = 12;              // orbit length, in diagonals
constexpr int kFieldGrid = 21;
constexpr int kNullclineGrid = 240;
constexpr int kOccupancyGrid = 16;
constexpr double kSlowReach = 0.25;            // a centre branch followed as a graph at most this far
constexpr double kChartReach = 0.05;           // a separatrix from infinity is traced in its chart this far

double Cross(Vec2 a, Vec2 b) { return a.x * b.y - a.y * b.x; }

Vec2 Unit(Vec2 v)
{
    double n = Norm(v);
    return n > 0 ? (1 / n) * v : Vec2{1, 0};
}

// A unit vector in the kernel of J - lambda I, or `fallback` when J is
// (numerically) lambda I.
Vec2 EigenVector(const double j[4], double lambda, double scale, Vec2 fallback)
{
    Vec2 a{j[1], lambda - j[0]};
    Vec2 b{lambda - j[3], j[2]};
    Vec2 best = Norm(a) >= Norm(b) ? a : b;
    return Norm(best) > 1e-12 * scale ? Unit(best) : fallback;
}

bool IsSaddleNode(const FixedPoint& p) { return p.type == "saddle_node"; }

// A nilpotent or zero linear part has no eigen-directions to start the
// separatrices from: the computed ones would come from rounding alone.
bool HasEigenDirections(const FixedPoint& p) { return p.linearPart != "nilpotent" && p.linearPart != "zero"; }

bool IsSaddle(const FixedPoint& p)
{
    if (p.type.empty()) return p.lin.realEigenvalues && p.lin.lambda1 > 0 && p.lin.lambda2 < 0;
    return p.type == "saddle";
}

// The drawing's coordinates of a plane point.
Vec2 Place(Projection projection, Vec2 plane)
{
    return projection == Projection::PoincareDisc ? ToDisc(plane) : plane;
}

// Cells of the window already crossed by a curve: seeds there add nothing.
class Occupancy {
public:
    explicit Occupancy(const Window& w)
        : w_(w)
        , cells_(kOccupancyGrid * kOccupancyGrid, false)
    {
    }
    void Mark(const std::vector<Vec2>& pts)
    {
        for (Vec2 p : pts)
            if (int c = Cell(p); c >= 0) cells_[static_cast<std::size_t>(c)] = true;
    }
    bool Taken(Vec2 p) const
    {
        int c = Cell(p);
        return c < 0 || cells_[static_cast<std::size_t>(c)];
    }

private:
    int Cell(Vec2 p) const
    {
        int i = static_cast<int>(std::floor((p.x - w_.xmin) / w_.Width() * kOccupancyGrid));
        int j = static_cast<int>(std::floor((p.y - w_.ymin) / w_.Height() * kOccupancyGrid));
        if (i < 0 || j < 0 || i >= kOccupancyGrid || j >= kOccupancyGrid) return -1;
        return j * kOccupancyGrid + i;
    }
    Window w_;
    std::vector<bool> cells_;
};

double Halton(int index, int base)
{
    double f = 1, r = 0;
    for (int i = index; i > 0; i /= base) {
        f /= base;
        r += f * (i % base);
    }
    return r;
}

// Marching squares: the segments where g changes sign on a grid over w.
std::vector<std::vector<Vec2>> ZeroSet(const std::function<double(Vec2)>& g, const Window& w)
{
    const int n = kNullclineGrid;
    std::vector<double> v((n + 1) * (n + 1));
    auto at = [&](int i, int j) {
        return Vec2{w.xmin + w.Width() * i / n, w.ymin + w.Height() * j / n};
    };
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i) v[static_cast<std::size_t>(j * (n + 1) + i)] = g(at(i, j));
    auto val = [&](int i, int j) { return v[static_cast<std::size_t>(j * (n + 1) + i)]; };
    auto edge = [&](int i0, int j0, int i1, int j1) {
        double a = val(i0, j0), b = val(i1, j1);
        double t = a / (a - b);
        return at(i0, j0) + t * (at(i1, j1) - at(i0, j0));
    };
    std::vector<std::vector<Vec2>> segments;
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            double c[4] = {val(i, j), val(i + 1, j), val(i + 1, j + 1), val(i, j + 1)};
            if (!std::all_of(c, c + 4, [](double x) { return std::isfinite(x); })) continue;
            // Corners counter-clockwise; edge k joins corner k and k+1.
            const int ci[4][2] = {{i, j}, {i + 1, j}, {i + 1, j + 1}, {i, j + 1}};
            std::vector<Vec2> cuts;
            std::vector<int> cutEdges;
            for (int k = 0; k < 4; ++k) {
                int l = (k + 1) % 4;
                if ((c[k] > 0) != (c[l] > 0)) {
                    cuts.push_back(edge(ci[k][0], ci[k][1], ci[l][0], ci[l][1]));
                    cutEdges.push_back(k);
                }
            }
            if (cuts.size() == 2) {
                segments.push_back({cuts[0], cuts[1]});
            } else if (cuts.size() == 4) {
                // Saddle cell: the value at the centre decides which corners join.
                double centre = g(at(i, j) + 0.5 * (at(i + 1, j + 1) - at(i, j)));
                bool joinFirst = (centre > 0) == (c[0] > 0);
                if (joinFirst) {
                    segments.push_back({cuts[0], cuts[1]});
                    segments.push_back({cuts[2], cuts[3]});
                } else {
                    segments.push_back({cuts[3], cuts[0]});
                    segments.push_back({cuts[1], cuts[2]});
                }
            }
        }
    }
    return segments;
}

// The points at infinity: zeros of g = X*Q_d - Y*P_d on the unit circle.
// A zero where g changes sign is found by bisection. A zero of even
// multiplicity (g = -X^4 for Duffing) does not change the sign: it shows as
// a local minimum of |g| that a golden-section search brings down to
// rounding level.
std::vector<Vec2> InfinitePoints(const PolynomialField& f)
{
    constexpr int samples = 720;
    constexpr double kTouchTolerance = 1e-10; // relative to max |g|: below, a minimum is a zero
    const double step = 2 * std::numbers::pi / samples;
    std::vector<double> g(samples + 1);
    double gmax = 0;
    auto circle = [](double t) { return Vec2{std::cos(t), std::sin(t)}; };
    auto at = [&](double t) { return f.AtInfinity(circle(t)); };
    for (int k = 0; k <= samples; ++k) {
        g[static_cast<std::size_t>(k)] = at(step * k);
        gmax = std::max(gmax, std::abs(g[static_cast<std::size_t>(k)]));
    }
    std::vector<double> angles;
    // The whole circle is singular (x Q_d - y P_d = 0, up to rounding): no point to mark.
    double top = 0;
    for (const std::vector<Term>* terms : {&f.PTerms(), &f.QTerms()})
        for (const Term& t : *terms)
            if (t.i + t.j == f.Degree()) top += std::abs(t.c);
    if (gmax <= 1e-12 * top) return {};
    auto sample = [&](int k) { return g[static_cast<std::size_t>((k % samples + samples) % samples)]; };
    std::vector<bool> nearSignChange(samples, false);
    for (int k = 0; k < samples; ++k) {
        double a = step * k, b = step * (k + 1);
        double ga = sample(k), gb = sample(k + 1);
        if (ga == 0) {
            angles.push_back(a);
        } else if ((ga > 0) != (gb > 0) && gb != 0) {
            for (int it = 0; it < 60; ++it) {
                double m = 0.5 * (a + b);
                double gm = at(m);
                if ((gm > 0) == (ga > 0)) {
                    a = m;
                    ga = gm;
                } else {
                    b = m;
                }
            }
            angles.push_back(0.5 * (a + b));
        } else {
            continue;
        }
        for (int d = -1; d <= 2; ++d) nearSignChange[static_cast<std::size_t>((k + d + samples) % samples)] = true;
    }
    for (int k = 0; k < samples; ++k) {
        double here = std::abs(sample(k));
        if (nearSignChange[static_cast<std::size_t>(k)] || here > std::abs(sample(k - 1))
            || here > std::abs(sample(k + 1)) || (here == std::abs(sample(k - 1)) && k > 0))
            continue;
        // Golden section for the minimum of |g| on [k-1, k+1].
        const double ratio = 0.5 * (std::sqrt(5.0) - 1);
        double a = step * (k - 1), b = step * (k + 1);
        for (int it = 0; it < 80; ++it) {
            double c = b - ratio * (b - a), d = a + ratio * (b - a);
            if (std::abs(at(c)) <= std::abs(at(d))) b = d;
            else a = c;
        }
        double t = 0.5 * (a + b);
        if (std::abs(at(t)) <= kTouchTolerance * gmax) angles.push_back(t);
    }
    std::vector<Vec2> points;
    for (double t : angles) points.push_back(circle(t));
    return points;
}

struct Setting {
    Projection projection;
    Window window;
    Rhs rhs;
    TraceLimits limits;
    StepControl control;
};

Orbit Join(const Trace& backward, const Trace& forward)
{
    Orbit o;
    o.points.assign(backward.points.rbegin(), backward.points.rend());
    if (!o.points.empty()) o.points.pop_back();
    o.points.insert(o.points.end(), forward.points.begin(), forward.points.end());
    return o;
}

void ClampToDisc(std::vector<Vec2>& pts)
{
    for (Vec2& p : pts)
        if (double n = Norm(p); n > 1) p = (1 / n) * p;
}

// Where a separatrix starts: a point next to its fixed point, in the
// field's own coordinates, the sense of time it is traced in, and whether it
// is traced at unit speed (the slow flow near a non-hyperbolic point).
struct Start {
    Vec2 at;
    SeparatrixKind kind;
    bool unitSpeed;
    std::vector<Vec2> lead = {}; // the branch from the point to `at`, when it is not integrated
};

// fp.lin is the linearisation of f at `at`; offsets are relative to scale.
std::vector<Start> SeparatrixStarts(const PolynomialField& f, const FixedPoint& fp, Vec2 at, double scale)
{
    std::vector<Start> out;
    const Linearisation& lin = fp.lin;
    auto kindOf = [](bool unstable) { return unstable ? SeparatrixKind::Unstable : SeparatrixKind::Stable; };
    // A degenerate point: its separatrices start along their tangent
    // directions (blow-up), at unit speed as the centre branches below.
    for (const SeparatrixStart& d : fp.separatrices)
        out.push_back({at + (kCentreBranchOffset * scale) * d.direction, kindOf(d.unstable), true});
    if (!fp.separatrices.empty() || !lin.realEigenvalues || !HasEigenDirections(fp)) return out;
    auto hyperbolic = [&](Vec2 v, double lambda) {
        const double d = kSeparatrixOffset * scale;
        out.push_back({at + d * v, kindOf(lambda > 0), false});
        out.push_back({at - d * v, kindOf(lambda > 0), false});
    };

    if (IsSaddle(fp) && lin.lambda1 > 0 && lin.lambda2 < 0) {
        hyperbolic(lin.v1, lin.lambda1);
        hyperbolic(lin.v2, lin.lambda2);
        return out;
    }
    if (!IsSaddle(fp) && !IsSaddleNode(fp)) return out;
    // A saddle-node, or a saddle with one zero eigenvalue (x' = x, y' = -y^3):
    // the eigenvalue nearest zero is the centre direction.
    bool firstIsCentre = std::abs(lin.lambda1) < std::abs(lin.lambda2);
    Vec2 vc = firstIsCentre ? lin.v1 : lin.v2;
    Vec2 vh = firstIsCentre ? lin.v2 : lin.v1;
    double lh = firstIsCentre ? lin.lambda2 : lin.lambda1;
    if (lh == 0 || std::abs(Cross(vc, vh)) < 1e-9) return out;
    hyperbolic(vh, lh);
    // Where the flow along the centre manifold has the opposite stability
    // from the hyperbolic direction (one side of a saddle-node, both sides
    // of a saddle), that branch is a separatrix. The flow is slow there
    // (y' = -y^3 moves by 1e-7 at the start): these branches are traced at
    // unit speed, so that the steps are capped in length rather than in time.
    // Near the centre manifold the field's component along vh vanishes (to a
    // higher order than the drift along it): the branch is followed there, as
    // a graph over the line of vc, while the drift is too slow to integrate
    // (x' = x^5 on a manifold that attracts at rate 1 would need steps of
    // 1e-12), and the drift is read there, not on the line of vc, where the
    // hyperbolic part would swamp it.
    const double cross = Cross(vc, vh);
    auto hyperbolicPart = [&](Vec2 p) { return Cross(vc, f(p)) / cross; };
    auto driftAt = [&](Vec2 p) { return Cross(f(p), vh) / cross; };
    auto ontoSlowCurve = [&](Vec2 p) {
        for (int it = 0; it < 8; ++it) p = p - (hyperbolicPart(p) / lh) * vh;
        return p;
    };
    const double step = kCentreBranchOffset * scale;
    for (double sign : {1.0, -1.0}) {
        Vec2 first = ontoSlowCurve(at + (sign * step) * vc);
        const bool away = IsSaddle(fp) ? lh < 0 : driftAt(first) * sign > 0;
        if ((lh < 0) != away) continue;
        std::vector<Vec2> lead{first};
        for (int k = 2; k * step <= kSlowReach * scale; ++k) {
            if (std::abs(driftAt(lead.back())) > 1e-2 * std::abs(lh) * (k - 1) * step) break;
            Vec2 next = ontoSlowCurve(lead.back() + (sign * step) * vc);
            const double offset = std::abs(Cross(vc, next - at));
            if (!(std::abs(hyperbolicPart(next)) <= 1e-9 * std::abs(lh) * k * step) || offset > k * step) break;
            lead.push_back(next);
        }
        Vec2 end = lead.back();
        lead.pop_back();
        out.push_back({end, lh < 0 ? SeparatrixKind::Unstable : SeparatrixKind::Stable, true, std::move(lead)});
    }
    return out;
}

Rhs UnitSpeed(Rhs f)
{
    return [f = std::move(f)](Vec2 p) {
        Vec2 v = f(p);
        double n = Norm(v);
        return n > 0 && std::isfinite(n) ? (1 / n) * v : Vec2{0, 0};
    };
}

TimeDirection TimeOf(SeparatrixKind kind)
{
    return kind == SeparatrixKind::Unstable ? TimeDirection::Forward : TimeDirection::Backward;
}

void AddSeparatrices(const PolynomialField& f, Portrait& out, const Setting& s, std::size_t index,
                     const FixedPoint& fp, Vec2 plane)
{
    const double scale = out.projection == Projection::Plane ? s.window.Diagonal() : 1 + Norm(plane);
    const Rhs unitSpeed = UnitSpeed(s.rhs);
    for (const Start& start : SeparatrixStarts(f, fp, plane, scale)) {
        Trace t = TraceOrbit(start.unitSpeed ? unitSpeed : s.rhs, Place(s.projection, start.at), TimeOf(start.kind),
                             s.limits, s.control);
        Separatrix sep;
        sep.kind = start.kind;
        sep.fixedPoint = index;
        sep.orbit.points.push_back(fp.at);
        for (Vec2 p : start.lead) sep.orbit.points.push_back(Place(s.projection, p));
        sep.orbit.points.insert(sep.orbit.points.end(), t.points.begin(), t.points.end());
        if (s.projection == Projection::PoincareDisc) ClampToDisc(sep.orbit.points);
        out.separatrices.push_back(std::move(sep));
    }
}

// The separatrices of a point at infinity: started in its chart as those of
// a finite point, traced there up to kChartReach, then on the disc (and in
// the plane from where they enter the window). Those along the circle at
// infinity, which is an orbit and drawn already, are left out.
void AddInfiniteSeparatrices(const PolynomialField& f, Portrait& out, const Setting& s, const Setting& disc,
                             std::size_t index, const InfinitePointInput& in)
{
    const PolynomialField chart = ChartField(f, in.chart, in.division);
    // The pair's point on the chart's side v > 0.
    Vec2 dir = Unit(in.direction);
    if ((in.chart == Chart::AlongX ? dir.x : dir.y) < 0) dir = -1.0 * dir;
    const Vec2 at{in.chart == Chart::AlongX ? dir.y / dir.x : dir.x / dir.y, 0};
    if (!std::isfinite(at.x)) return;
    const FixedPoint fp{at, in.type, in.stability, Linearise(chart, at), in.linearPart, in.separatrices};
    const Rhs field = [&chart](Vec2 p) { return chart(p); };
    const Rhs bounded = BoundedSpeed(field), unitSpeed = UnitSpeed(field);
    // The chart field is the flow times v^(d-1), or v^(d-2) when divided by v.
    const bool oddPower = (f.Degree() - (in.division == ChartDivision::ByV ? 2 : 1)) % 2 != 0;
    for (const Start& start : SeparatrixStarts(chart, fp, at, 1)) {
        const double side = start.lead.empty() ? start.at.y : start.lead.front().y;
        if (std::abs(side) < 1e-12) continue;
        TraceLimits limits;
        limits.inside = [at, side](Vec2 p) { return Norm(p - at) < kChartReach && p.y * side > 0; };
        limits.maxLength = 4 * kChartReach;
        limits.maxSteps = 4000;
        limits.stallLength = 1e-12;
        // Steps capped in time: the speed near the point is bounded by 1 and far smaller.
        const StepControl control{1e-9, 1e-13, kChartReach, kChartReach / 50};
        Trace t = TraceOrbit(start.unitSpeed ? unitSpeed : bounded, start.at, TimeOf(start.kind), limits, control);
        // Where v < 0 and that power is odd, the chart's time runs against the flow's.
        const bool reversed = side < 0 && oddPower;
        const SeparatrixKind kind = (start.kind == SeparatrixKind::Unstable) != reversed ? SeparatrixKind::Unstable
                                                                                          : SeparatrixKind::Stable;
        Vec2 first = ChartToDisc(in.chart, at);
        std::vector<Vec2> onDisc{side < 0 ? -1.0 * first : first};
        for (Vec2 p : start.lead)
            if (p.y * side > 0) onDisc.push_back(ChartToDisc(in.chart, p));
        for (Vec2 p : t.points)
            if (p.y * side > 0) onDisc.push_back(ChartToDisc(in.chart, p));
        if (t.reason == StopReason::LeftRegion && t.points.back().y * side > 0) {
            Trace rest = TraceOrbit(start.unitSpeed ? UnitSpeed(disc.rhs) : disc.rhs, onDisc.back(), TimeOf(kind),
                                    disc.limits, disc.control);
            onDisc.insert(onDisc.end(), rest.points.begin() + 1, rest.points.end());
        }
        ClampToDisc(onDisc);
        Separatrix sep;
        sep.kind = kind;
        sep.fixedPoint = index;
        sep.fromInfinity = true;
        if (out.projection == Projection::PoincareDisc) {
            sep.orbit.points = std::move(onDisc);
        } else {
            auto entry = std::find_if(onDisc.begin(), onDisc.end(),
                                      [&](Vec2 p) { return Norm(p) < 1 - 1e-9 && s.limits.inside(FromDisc(p)); });
            if (entry == onDisc.end()) continue;
            sep.orbit.points = TraceOrbit(s.rhs, FromDisc(*entry), TimeOf(kind), s.limits, s.control).points;
        }
        out.separatrices.push_back(std::move(sep));
    }
}

void AddOrbits(Portrait& out, const Setting& s, int count, const std::vector<bool>& isSaddle)
{
    Occupancy occupancy(s.window);
    for (const Separatrix& sep : out.separatrices) occupancy.Mark(sep.orbit.points);
    const double diag = s.window.Diagonal();
    const double closeTol = kCloseTolerance * diag;

    std::vector<Vec2> seeds;
    for (std::size_t i = 0; i < out.fixedPoints.size(); ++i) {
        if (isSaddle[i]) continue;
        Vec2 c = out.fixedPoints[i].at;
        double r = kSeedRadius * diag;
        if (s.projection == Projection::PoincareDisc) r = std::min(r, 0.5 * (1 - Norm(c)));
        seeds.push_back(c + Vec2{0.8 * r, 0.6 * r});
    }
    for (int k = 1; k <= 400; ++k) {
        Vec2 p{s.window.xmin + s.window.Width() * Halton(k, 2), s.window.ymin + s.window.Height() * Halton(k, 3)};
        if (s.projection == Projection::PoincareDisc && Norm(p) > 0.95) continue;
        seeds.push_back(p);
    }

    // Closed orbits met so far: each is drawn once, and later orbits stop
    // when they reach one.
    std::vector<std::vector<Vec2>> cycles;
    const double nearCycle = 4 * closeTol;
    // Points of the cycles hashed by cells of the size of the search radius.
    std::map<std::pair<long, long>, std::vector<Vec2>> cyclePoints;
    auto key = [&](Vec2 p) {
        return std::pair<long, long>{static_cast<long>(std::floor(p.x / nearCycle)),
                                     static_cast<long>(std::floor(p.y / nearCycle))};
    };
    auto distanceToCycles = [&](Vec2 p) {
        double best = std::numeric_limits<double>::infinity();
        auto [i, j] = key(p);
        for (long di = -1; di <= 1; ++di)
            for (long dj = -1; dj <= 1; ++dj)
                if (auto it = cyclePoints.find({i + di, j + dj}); it != cyclePoints.end())
                    for (Vec2 q : it->second) best = std::min(best, Norm(p - q));
        return best;
    };
    // Splits off the closed orbit a trace ends on, and cuts the trace where
    // it reaches a closed orbit already drawn.
    auto remember = [&](const std::vector<Vec2>& loop) {
        // Densified so that the hashed points are no farther apart than the radius.
        for (std::size_t k = 1; k < loop.size(); ++k) {
            Vec2 a = loop[k - 1], b = loop[k];
            int parts = 1 + static_cast<int>(Norm(b - a) / nearCycle);
            for (int m = 0; m < parts; ++m) {
                Vec2 q = a + (static_cast<double>(m) / parts) * (b - a);
                cyclePoints[key(q)].push_back(q);
            }
        }
        cycles.push_back(loop);
    };
    // The cycles given by the analysis are there already.
    for (const Orbit& o : out.orbits) {
        if (!o.closed) continue;
        occupancy.Mark(o.points);
        remember(o.points);
    }
    auto settle = [&](Trace& t) {
        if (t.reason == StopReason::Closed) {
            std::vector<Vec2> loop(t.points.begin() + static_cast<std::ptrdiff_t>(t.loopStart), t.points.end());
            if (distanceToCycles(loop.front()) > nearCycle) {
                Orbit cycle;
                cycle.points = loop;
                cycle.closed = true;
                cycle.limitCycle = t.loopStart > 0;
                occupancy.Mark(cycle.points);
                out.orbits.push_back(cycle);
                remember(loop);
            }
            t.points.resize(t.loopStart + 1);
        }
        if (cycles.empty()) return;
        for (std::size_t k = 1; k < t.points.size(); ++k) {
            if (distanceToCycles(t.points[k]) < nearCycle) {
                t.points.resize(k + 1);
                return;
            }
        }
    };

    for (Vec2 seed : seeds) {
        if (static_cast<int>(out.orbits.size()) >= count) break;
        if (!s.limits.inside(seed) || occupancy.Taken(seed)) continue;
        bool nearSink = std::any_of(s.limits.sinks.begin(), s.limits.sinks.end(),
                                    [&](Vec2 q) { return Norm(seed - q) < 3 * s.limits.sinkRadius; });
        if (nearSink || Norm(s.rhs(seed)) == 0 || distanceToCycles(seed) < nearCycle) continue;
        TraceLimits limits = s.limits;
        limits.closeTolerance = closeTol;
        Trace fwd = TraceOrbit(s.rhs, seed, TimeDirection::Forward, limits, s.control);
        if (fwd.reason == StopReason::Closed && fwd.loopStart == 0) {
            settle(fwd); // a closed orbit through the seed
            continue;
        }
        Trace bwd = TraceOrbit(s.rhs, seed, TimeDirection::Backward, limits, s.control);
        settle(fwd);
        settle(bwd);
        Orbit orbit = Join(bwd, fwd);
        if (s.projection == Projection::PoincareDisc) ClampToDisc(orbit.points);
        occupancy.Mark(orbit.points);
        out.orbits.push_back(std::move(orbit));
    }
}

Setting MakeSetting(const PolynomialField& f, Projection projection, const Window& w)
{
    const double diag = w.Diagonal();
    Setting s;
    s.projection = projection;
    s.window = w;
    if (projection == Projection::PoincareDisc) {
        s.rhs = BoundedSpeed([&f](Vec2 p) { return f.Disc(p); });
        s.limits.inside = [](Vec2 p) { return Norm(p) < 1 - 1e-7; };
    } else {
        s.rhs = BoundedSpeed([&f](Vec2 p) { return f(p); });
        Window grown{w.xmin - 0.02 * w.Width(), w.xmax + 0.02 * w.Width(), w.ymin - 0.02 * w.Height(),
                     w.ymax + 0.02 * w.Height()};
        s.limits.inside = [grown](Vec2 p) { return grown.Contains(p); };
    }
    s.limits.sinkRadius = kSinkRadius * diag;
    s.limits.maxLength = kMaxLength * diag;
    s.limits.maxSteps = 5000;
    s.limits.stallLength = 1e-9 * diag;
    s.control.rtol = 1e-9;
    s.control.atol = 1e-11 * diag;
    s.control.hmax = diag / 150;
    s.control.hinit = diag / 1000;
    return s;
}

} // namespace

double Window::Diagonal() const { return std::hypot(Width(), Height()); }

Window DefaultWindow(const std::vector<FixedPointInput>& points)
{
    if (points.empty()) return Window{};
    double xmin = points[0].x, xmax = xmin, ymin = points[0].y, ymax = ymin;
    for (const FixedPointInput& p : points) {
        xmin = std::min(xmin, p.x);
        xmax = std::max(xmax, p.x);
        ymin = std::min(ymin, p.y);
        ymax = std::max(ymax, p.y);
    }
    double extent = std::max(xmax - xmin, ymax - ymin);
    double half = points.size() == 1 ? 3.0 : std::max(0.8 * extent, 1.5);
    double cx = 0.5 * (xmin + xmax), cy = 0.5 * (ymin + ymax);
    return {cx - half, cx + half, cy - half, cy + half};
}

Linearisation Linearise(const PolynomialField& f, Vec2 p)
{
    double j[4];
    f.Jacobian(p, j);
    Linearisation lin;
    lin.trace = j[0] + j[3];
    lin.determinant = j[0] * j[3] - j[1] * j[2];
    double scale = std::abs(j[0]) + std::abs(j[1]) + std::abs(j[2]) + std::abs(j[3]);
    double disc = lin.trace * lin.trace - 4 * lin.determinant;
    if (disc >= -1e-14 * (scale * scale + 1e-300)) {
        double r = std::sqrt(std::max(disc, 0.0));
        lin.realEigenvalues = true;
        lin.lambda1 = 0.5 * (lin.trace + r);
        lin.lambda2 = 0.5 * (lin.trace - r);
        lin.v1 = EigenVector(j, lin.lambda1, scale, {1, 0});
        lin.v2 = EigenVector(j, lin.lambda2, scale, {0, 1});
        if (std::abs(Cross(lin.v1, lin.v2)) < 1e-12) lin.v2 = {-lin.v1.y, lin.v1.x};
    } else {
        lin.lambda1 = lin.lambda2 = 0.5 * lin.trace;
        lin.imag = 0.5 * std::sqrt(-disc);
    }
    return lin;
}

std::vector<FixedPointInput> FindFixedPointsNumerically(const PolynomialField& f)
{
    std::vector<FixedPointInput> found;
    constexpr int grid = 16;
    constexpr double reach = 4;
    for (int a = 0; a <= grid; ++a) {
        for (int b = 0; b <= grid; ++b) {
            Vec2 p{-reach + 2 * reach * a / grid, -reach + 2 * reach * b / grid};
            bool converged = false;
            for (int it = 0; it < 60 && !converged; ++it) {
                Vec2 v = f(p);
                double j[4];
                f.Jacobian(p, j);
                double det = j[0] * j[3] - j[1] * j[2];
                if (det == 0 || !std::isfinite(det)) break;
                Vec2 step{(j[3] * v.x - j[1] * v.y) / det, (-j[2] * v.x + j[0] * v.y) / det};
                p = p - step;
                if (!std::isfinite(p.x) || !std::isfinite(p.y) || Norm(p) > 1e6) break;
                converged = Norm(step) < 1e-13 * (1 + Norm(p));
            }
            if (!converged) continue;
            bool known = std::any_of(found.begin(), found.end(), [&](const FixedPointInput& q) {
                return Norm(Vec2{q.x, q.y} - p) < 1e-7 * (1 + Norm(p));
            });
            if (known || found.size() >= 64) continue;
            Linearisation lin = Linearise(f, p);
            double j[4];
            f.Jacobian(p, j);
            double scale = std::abs(j[0]) + std::abs(j[1]) + std::abs(j[2]) + std::abs(j[3]);
            double tol = 1e-9 * (scale + 1e-300);
            FixedPointInput fp{p.x, p.y, "undetermined", ""};
            std::string stability = lin.trace < 0 ? "stable" : "unstable";
            if (lin.determinant < -tol * scale) {
                fp.type = "saddle";
            } else if (lin.determinant > tol * scale && std::abs(lin.trace) > tol) {
                fp.type = lin.realEigenvalues ? "node" : "focus";
                fp.stability = stability;
            }
            found.push_back(fp);
        }
    }
    std::sort(found.begin(), found.end(),
              [](const FixedPointInput& a, const FixedPointInput& b) { return a.x != b.x ? a.x < b.x : a.y < b.y; });
    return found;
}

Portrait ComputePortrait(const PolynomialField& f, const std::vector<FixedPointInput>& points,
                         const PortraitOptions& options)
{
    return ComputePortrait(f, PortraitInput{points, {}, {}}, options);
}

Portrait ComputePortrait(const PolynomialField& f, const PortraitInput& input, const PortraitOptions& options)
{
    const std::vector<FixedPointInput>& points = input.points;
    const std::vector<FixedCurveInput>& curves = input.curves;
    const PolynomialField& n = input.nullclines ? *input.nullclines : f;
    Portrait out;
    out.projection = options.projection;
    out.pixels = options.pixels;
    out.pointOrigin = options.pointOrigin;
    const bool disc = options.projection == Projection::PoincareDisc;
    if (disc) {
        out.window = Window{-1, 1, -1, 1};
    } else {
        out.window = options.window ? *options.window : DefaultWindow(points);
        if (!(out.window.Width() > 0) || !(out.window.Height() > 0))
            throw PortraitError("La fenêtre doit vérifier xmin < xmax et ymin < ymax.");
    }
    const Window& w = out.window;

    Setting s = MakeSetting(f, options.projection, w);
    std::vector<Vec2> planes;
    for (const FixedPointInput& in : points) {
        Vec2 plane{in.x, in.y};
        FixedPoint fp{Place(options.projection, plane), in.type, in.stability, Linearise(f, plane), in.linearPart,
                      in.separatrices};
        out.fixedPoints.push_back(fp);
        planes.push_back(plane);
        s.limits.sinks.push_back(fp.at);
    }
    if (disc) {
        out.infinitePoints = InfinitePoints(f);
        // A circle of singular points: the points marked are those of the divided field.
        if (out.infinitePoints.empty())
            for (const InfinitePointInput& in : input.infinite)
                if (in.division == ChartDivision::ByV)
                    for (double sign : {1.0, -1.0}) out.infinitePoints.push_back(sign * Unit(in.direction));
        s.limits.sinks.insert(s.limits.sinks.end(), out.infinitePoints.begin(), out.infinitePoints.end());
    }

    for (int a = 0; a < kFieldGrid; ++a) {
        for (int b = 0; b < kFieldGrid; ++b) {
            Vec2 p{w.xmin + w.Width() * (a + 0.5) / kFieldGrid, w.ymin + w.Height() * (b + 0.5) / kFieldGrid};
            if (disc && Norm(p) > 0.97) continue;
            Vec2 v = disc ? f.Disc(p) : f(p);
            if (double n = Norm(v); n > 0 && std::isfinite(n)) out.field.push_back({p, (1 / n) * v});
        }
    }

    auto inDisc = [](Vec2 p) { return Dot(p, p) <= 1; };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    if (disc) {
        out.nullclineP = ZeroSet([&](Vec2 p) { return inDisc(p) ? n.DiscP(p) : nan; }, w);
        out.nullclineQ = ZeroSet([&](Vec2 p) { return inDisc(p) ? n.DiscQ(p) : nan; }, w);
    } else {
        out.nullclineP = ZeroSet([&](Vec2 p) { return n.P(p); }, w);
        out.nullclineQ = ZeroSet([&](Vec2 p) { return n.Q(p); }, w);
    }
    out.curveCount = curves.size();
    for (const FixedCurveInput& curve : curves) {
        const PolynomialField g(curve.terms, {});
        auto segments = disc ? ZeroSet([&](Vec2 p) { return inDisc(p) ? g.DiscP(p) : nan; }, w)
                             : ZeroSet([&](Vec2 p) { return g.P(p); }, w);
        out.fixedCurves.insert(out.fixedCurves.end(), segments.begin(), segments.end());
    }

    std::vector<bool> isSaddle;
    for (std::size_t i = 0; i < out.fixedPoints.size(); ++i) {
        const FixedPoint& fp = out.fixedPoints[i];
        isSaddle.push_back(IsSaddle(fp) || IsSaddleNode(fp));
        bool visible = disc || w.Contains(planes[i]);
        if (visible) AddSeparatrices(f, out, s, i, fp, planes[i]);
    }
    if (!input.infinite.empty()) {
        // The separatrices from infinity are traced on the disc first, whatever the view.
        Setting onDisc = disc ? s : MakeSetting(f, Projection::PoincareDisc, Window{-1, 1, -1, 1});
        if (!disc) {
            for (Vec2 p : planes) onDisc.limits.sinks.push_back(ToDisc(p));
            for (Vec2 q : InfinitePoints(f)) onDisc.limits.sinks.push_back(q);
        }
        for (std::size_t i = 0; i < input.infinite.size(); ++i)
            AddInfiniteSeparatrices(f, out, s, onDisc, i, input.infinite[i]);
    }
    for (const CycleInput& c : input.cycles) {
        Orbit o;
        for (Vec2 p : c.points) o.points.push_back(Place(options.projection, p));
        if (o.points.empty()) continue;
        o.points.push_back(o.points.front());
        o.closed = o.limitCycle = true;
        o.unstable = c.unstable;
        out.orbits.push_back(std::move(o));
    }
    AddOrbits(out, s, options.orbitCount + static_cast<int>(input.cycles.size()), isSaddle);
    return out;
}

} // namespace vindrel::portrait
