#include "engine/periodic/return_map.h"

#include <algorithm>
#include <cmath>

namespace vindrel::engine::periodic {

using portrait::Rhs;
using portrait::StepControl;

namespace {

double Cross(Vec2 a, Vec2 b)
{
    return a.x * b.y - a.y * b.x;
}

StepControl Control(Accuracy a, double scale)
{
    StepControl c;
    c.rtol = a == Accuracy::Scan ? 1e-9 : 1e-12;
    c.atol = c.rtol * 1e-2 * scale;
    c.hmax = 0.5;
    c.hinit = 1e-3;
    return c;
}

// The root in (0, h] of g along one step, by the Illinois method; g0 and gh
// have opposite signs (or gh is zero).
template <typename G> double StepRoot(G g, double h, double g0, double gh)
{
    double a = 0, b = h, ga = g0, gb = gh;
    int side = 0;
    for (int i = 0; i < 60 && b - a > 1e-15 * h; ++i) {
        const double c = (a * gb - b * ga) / (gb - ga);
        const double gc = g(c);
        if (gc == 0) return c;
        if ((gc > 0) == (gb > 0)) {
            b = c;
            gb = gc;
            if (side == -1) ga /= 2;
            side = -1;
        } else {
            a = c;
            ga = gc;
            if (side == 1) gb /= 2;
            side = 1;
        }
    }
    return gb == 0 ? b : (a * gb - b * ga) / (gb - ga);
}

constexpr int kMaxSteps = 20000;
constexpr double kMaxTime = 200;

} // namespace

ReturnMap::ReturnMap(
    const portrait::PolynomialField& field, Vec2 origin, Vec2 dir, double escape, const Deadline& deadline)
    : field_(field)
    , origin_(origin)
    , dir_(dir)
    , escape_(escape)
    , deadline_(deadline)
{
    // Orientation of the crossings near the origin: cross(d, J d).
    double j[4];
    field_.Jacobian(origin, j);
    const Vec2 jd { j[0] * dir.x + j[1] * dir.y, j[2] * dir.x + j[3] * dir.y };
    const double c = Cross(dir, jd);
    const double scale = std::abs(j[0]) + std::abs(j[1]) + std::abs(j[2]) + std::abs(j[3]);
    if (std::abs(c) > 1e-9 * scale) {
        sigma_ = c > 0 ? 1 : -1;
        return;
    }
    // The flow does not turn around the point at first order (a star node,
    // a degenerate point): the side the orbits cross to farther out.
    for (int k = 1; k <= 16 && sigma_ == 0; ++k) {
        const double s = escape * k / 64;
        const double cross = Cross(dir, field_(origin + s * dir));
        if (std::abs(cross) > 1e-12 * Norm(field_(origin + s * dir))) sigma_ = cross > 0 ? 1 : -1;
    }
}

Rhs ReturnMap::Field(bool backward) const
{
    if (backward) return [this](Vec2 p) { return -1.0 * field_(p); };
    return [this](Vec2 p) { return field_(p); };
}

FirstReturn ReturnMap::operator()(double s, Accuracy accuracy, bool backward) const
{
    // Past the deadline the search ends quietly (no return), so that the
    // rest of the analysis is still given.
    if (deadline_.expired()) return {};
    const Rhs f = Field(backward);
    const int sigma = backward ? -sigma_ : sigma_;
    const StepControl ctl = Control(accuracy, std::max(1.0, Norm(origin_) + s));
    Vec2 y = origin_ + s * dir_;
    Vec2 k1 = f(y);
    if (sigma == 0 || Cross(dir_, k1) * sigma <= 0) return {};
    const double speed0 = Norm(k1);
    double t = 0, h = ctl.hinit, g = 0;
    for (int step = 0; step < kMaxSteps; ++step) {
        if (step % 512 == 511 && deadline_.expired()) return {};
        const auto st = portrait::StepDormandPrince(f, y, k1, h, ctl);
        if (st.error > 1) {
            h = portrait::NextStepSize(h, st.error);
            if (h < 1e-14) return {};
            continue;
        }
        const double gn = Cross(dir_, st.next - origin_);
        if (g * sigma < 0 && gn * sigma >= 0) {
            // Back on the line from the other side: where exactly, and on
            // which half of it.
            auto at = [&](double tau) { return portrait::StepDormandPrince(f, y, k1, tau, ctl).next; };
            const double tau = StepRoot([&](double u) { return Cross(dir_, at(u) - origin_); }, h, g, gn);
            const double image = Dot(dir_, at(tau) - origin_);
            if (image > 0) return { true, image, t + tau };
        }
        t += h;
        y = st.next;
        k1 = st.slopeNext;
        g = gn;
        h = std::min(portrait::NextStepSize(h, st.error), ctl.hmax);
        if (Norm(y - origin_) > escape_ || t > kMaxTime || Norm(k1) < 1e-8 * speed0) return {};
    }
    return {};
}

ReturnMap::Orbit ReturnMap::Run(Vec2 start, double period, bool backward) const
{
    const Rhs f = Field(backward);
    const StepControl ctl = Control(Accuracy::Fine, std::max(1.0, Norm(start)));
    Orbit o { start.x, start.x, start.y, start.y, { start }, start };
    Vec2 y = start, k1 = f(y);
    double t = 0, h = ctl.hinit;
    while (t < period) {
        const double hs = std::min(h, period - t);
        const auto st = portrait::StepDormandPrince(f, y, k1, hs, ctl);
        if (st.error > 1) {
            h = portrait::NextStepSize(hs, st.error);
            if (h < 1e-14) break;
            continue;
        }
        // An extremum of x (P changes sign) or of y (Q does) inside the step.
        auto at = [&](double tau) { return portrait::StepDormandPrince(f, y, k1, tau, ctl).next; };
        for (int c = 0; c < 2; ++c) {
            const double a = c == 0 ? k1.x : k1.y, b = c == 0 ? st.slopeNext.x : st.slopeNext.y;
            if ((a > 0) == (b > 0) || a == 0) continue;
            const double tau = StepRoot(
                [&](double u) {
                    const Vec2 v = f(at(u));
                    return c == 0 ? v.x : v.y;
                },
                hs, a, b);
            const Vec2 e = at(tau);
            o.xMin = std::min(o.xMin, e.x);
            o.xMax = std::max(o.xMax, e.x);
            o.yMin = std::min(o.yMin, e.y);
            o.yMax = std::max(o.yMax, e.y);
        }
        t = hs == period - t ? period : t + hs;
        y = st.next;
        k1 = st.slopeNext;
        o.points.push_back(y);
        o.xMin = std::min(o.xMin, y.x);
        o.xMax = std::max(o.xMax, y.x);
        o.yMin = std::min(o.yMin, y.y);
        o.yMax = std::max(o.yMax, y.y);
        h = std::min(portrait::NextStepSize(hs, st.error), ctl.hmax);
    }
    o.end = y;
    return o;
}

namespace {

// Winding number of the closed polygon around p, not zero: p is inside.
bool Inside(const std::vector<Vec2>& poly, Vec2 p)
{
    int w = 0;
    for (size_t i = 0; i + 1 < poly.size(); ++i) {
        const Vec2 a = poly[i], b = poly[i + 1];
        if (a.y <= p.y) {
            if (b.y > p.y && Cross(b - a, p - a) > 0) ++w;
        } else if (b.y <= p.y && Cross(b - a, p - a) < 0) {
            --w;
        }
    }
    return w != 0;
}

struct Sample {
    double s = 0;
    std::optional<double> d; // displacement: image - s
    // Where to start back in time for the same side of the cycles: s, or
    // the point the sample was found from when it was found back in time.
    double back = 0;
};

class Searcher {
public:
    Searcher(const ReturnMap& map, double reach, std::chrono::steady_clock::time_point end)
        : map_(map)
        , reach_(reach)
        , end_(end)
    {
    }

    std::optional<double> D(double s, Accuracy a, bool backward = false) const
    {
        const FirstReturn r = map_(s, a, backward);
        if (!r.ok) return std::nullopt;
        return r.image - s;
    }
    // Below this a scanned displacement is not told from zero.
    double Noise(double s) const { return 1e-7 * (s + 1e-3 * reach_); }
    bool Late() const { return std::chrono::steady_clock::now() > end_ || map_.Expired(); }

    // The root of d in [a, b] (opposite signs), refined at fine accuracy in
    // the direction of time where the cycle attracts.
    std::optional<double> Refine(double a, double b, bool backward) const
    {
        auto da = D(a, Accuracy::Fine, backward), db = D(b, Accuracy::Fine, backward);
        if (!da || !db || (*da > 0) == (*db > 0)) return std::nullopt;
        double fa = *da, fb = *db;
        int side = 0;
        for (int i = 0; i < 60 && b - a > 1e-13 * b; ++i) {
            if (Late()) return std::nullopt;
            const double c = (a * fb - b * fa) / (fb - fa);
            const auto dc = D(c, Accuracy::Fine, backward);
            if (!dc) return std::nullopt;
            if (*dc == 0) return c;
            if ((*dc > 0) == (fb > 0)) {
                b = c;
                fb = *dc;
                if (side == -1) fa /= 2;
                side = -1;
            } else {
                a = c;
                fa = *dc;
                if (side == 1) fb /= 2;
                side = 1;
            }
        }
        return (a * fb - b * fa) / (fb - fa);
    }

    // The minimum of sign * d on [a, b] by golden section: where it touches
    // zero, or dips through it.
    std::optional<std::pair<double, double>> Touch(double a, double b, int sign) const
    {
        const double r = (std::sqrt(5.0) - 1) / 2;
        double c = b - r * (b - a), e = a + r * (b - a);
        auto fc = D(c, Accuracy::Fine), fe = D(e, Accuracy::Fine);
        for (int i = 0; i < 60 && fc && fe && b - a > 1e-10 * b; ++i) {
            if (Late()) return std::nullopt;
            if (sign * *fc < sign * *fe) {
                b = e;
                e = c;
                fe = fc;
                c = b - r * (b - a);
                fc = D(c, Accuracy::Fine);
            } else {
                a = c;
                c = e;
                fc = fe;
                e = a + r * (b - a);
                fe = D(e, Accuracy::Fine);
            }
            if (fc && sign * *fc < 0) return std::pair { c, *fc };
            if (fe && sign * *fe < 0) return std::pair { e, *fe };
        }
        if (!fc || !fe) return std::nullopt;
        return sign * *fc < sign * *fe ? std::pair { c, *fc } : std::pair { e, *fe };
    }

    // The cycle through origin + s dir: period, extent, error, multiplier.
    std::optional<Cycle> Describe(double s, CycleStability stability) const
    {
        const bool back = stability == CycleStability::Unstable;
        const FirstReturn fine = map_(s, Accuracy::Fine, back), rough = map_(s, Accuracy::Scan, back);
        if (!fine.ok || !rough.ok) return std::nullopt;
        Cycle c;
        c.stability = stability;
        c.traced = true;
        c.period = fine.time;
        const Vec2 p = map_.origin() + s * map_.dir();
        c.point = { p.x, p.y };
        const double integration = std::abs(fine.image - rough.image);
        c.error = std::abs(fine.image - s) + integration + 1e-10 * (1 + Norm(p));
        const double h = std::max(1e-4 * s, 1e-7);
        const auto lo = D(s - h, Accuracy::Fine, back), hi = D(s + h, Accuracy::Fine, back);
        if (lo && hi) c.multiplier = 1 + (*hi - *lo) / (2 * h);
        const ReturnMap::Orbit o = map_.Run(p, c.period, back);
        c.xMin = o.xMin;
        c.xMax = o.xMax;
        c.yMin = o.yMin;
        c.yMax = o.yMax;
        for (const Vec2& q : o.points)
            c.orbit.push_back({ q.x, q.y });
        return c;
    }

private:
    const ReturnMap& map_;
    double reach_;
    std::chrono::steady_clock::time_point end_;
};

constexpr int kScanPoints = 28;

} // namespace

std::vector<Cycle> SearchCycles(
    const ReturnMap& map, double reach, Search& search, std::chrono::steady_clock::time_point budgetEnd)
{
    Searcher sr(map, reach, budgetEnd);
    search.reach = reach;
    std::vector<Sample> samples;
    for (int k = 0; k < kScanPoints; ++k) {
        if (sr.Late()) {
            search.interrupted = true;
            break;
        }
        const double s = reach * std::pow(1e-3, 1.0 - double(k) / (kScanPoints - 1));
        const FirstReturn r = map(s, Accuracy::Scan);
        if (r.ok) {
            samples.push_back({ s, r.image - s, s });
            search.table.push_back({ s, r.image, false });
            continue;
        }
        // No forward return (the orbit leaves, as outside an unstable
        // cycle): the orbit that comes to s, found back in time, is a
        // sample of the same map.
        const FirstReturn b = map(s, Accuracy::Scan, true);
        if (b.ok) {
            samples.push_back({ b.image, s - b.image, s });
            search.table.push_back({ b.image, s, true });
        } else {
            samples.push_back({ s, std::nullopt, s });
            search.table.push_back({ s, std::nullopt, false });
        }
    }
    std::stable_sort(
        samples.begin(), samples.end(), [](const Sample& a, const Sample& b) { return a.s < b.s; });
    std::stable_sort(search.table.begin(), search.table.end(),
        [](const ReturnRow& a, const ReturnRow& b) { return a.s < b.s; });
    auto sign = [&](const Sample& x) {
        if (!x.d) return 2; // no return
        if (std::abs(*x.d) <= sr.Noise(x.s)) return 0;
        return *x.d > 0 ? 1 : -1;
    };

    // Roots: brackets of opposite signs, and touching zeros.
    struct Root {
        double s;
        CycleStability stability;
    };
    std::vector<Root> roots;
    auto simple = [&](const Sample& a, const Sample& b, int signA) {
        // d > 0 inside and < 0 outside: the orbits come to the cycle. An
        // unstable cycle is refined back in time, from the points the
        // samples were found from (a sample found back in time may lie too
        // close to the cycle).
        const bool stable = signA > 0;
        const auto s = stable ? sr.Refine(a.s, b.s, false) : sr.Refine(a.back, b.back, true);
        if (s) roots.push_back({ *s, stable ? CycleStability::Stable : CycleStability::Unstable });
    };
    int last = -1, zeros = 0;
    for (int k = 0; k < int(samples.size()) && !search.interrupted; ++k) {
        const int sk = sign(samples[size_t(k)]);
        if (sk == 2) {
            last = -1;
            zeros = 0;
            continue;
        }
        if (sk == 0) {
            if (++zeros >= 3) search.identity = true;
            continue;
        }
        if (last >= 0 && zeros < 3) {
            const int sl = sign(samples[size_t(last)]);
            if (sl != sk) {
                simple(samples[size_t(last)], samples[size_t(k)], sl);
            } else if (k == last + 1 && k + 1 < int(samples.size()) && sign(samples[size_t(k + 1)]) == sk) {
                // A dip of |d| between two larger values: a double root, or
                // two roots close together.
                const double dl = std::abs(*samples[size_t(last)].d), dk = std::abs(*samples[size_t(k)].d),
                             dn = std::abs(*samples[size_t(k + 1)].d);
                if (dk < std::min(dl, dn)) {
                    const double a = samples[size_t(last)].s, b = samples[size_t(k + 1)].s;
                    if (const auto t = sr.Touch(a, b, sk)) {
                        const auto [sm, dm] = *t;
                        const double tol = 1e-8 * (1 + sm);
                        if (sk * dm < -tol) {
                            const Sample mid { sm, dm, sm };
                            simple(samples[size_t(last)], mid, sk);
                            simple(mid, samples[size_t(k + 1)], -sk);
                        } else if (std::abs(dm) <= tol) {
                            roots.push_back({ sm, CycleStability::SemiStable });
                        }
                    }
                }
            }
        }
        last = k;
        zeros = 0;
        if (sr.Late()) search.interrupted = true;
    }

    std::sort(roots.begin(), roots.end(), [](const Root& a, const Root& b) { return a.s < b.s; });
    std::vector<Cycle> cycles;
    for (const Root& r : roots) {
        auto c = sr.Describe(r.s, r.stability);
        if (!c) continue;
        c->searchedFrom = search.point;
        cycles.push_back(std::move(*c));
    }
    return cycles;
}

bool Surrounds(const Cycle& c, Vec p)
{
    std::vector<Vec2> poly;
    for (const Vec& q : c.orbit)
        poly.push_back({ q.x, q.y });
    if (!poly.empty()) poly.push_back(poly.front());
    return Inside(poly, { p.x, p.y });
}

} // namespace vindrel::engine::periodic
