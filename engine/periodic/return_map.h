// The return map on a half-line from a fixed point, computed with the
// Dormand-Prince integrator, and the search of its fixed points: a scan of
// the half-line, each sign change of the displacement refined by the
// Illinois method, each touching zero (a double root) by a golden-section
// search; unstable cycles are refined in reversed time.
#pragma once

#include "engine/periodic/periodic.h"
#include "engine/portrait/field.h"
#include "engine/portrait/integrate.h"

#include <chrono>
#include <optional>

namespace vindrel::engine::periodic {

using portrait::Vec2;

struct FirstReturn {
    bool ok = false;
    double image = 0; // the abscissa on the half-line where the orbit comes back
    double time = 0; // the time it takes
};

enum class Accuracy { Scan, Fine };

class ReturnMap {
public:
    // The half-line origin + s dir (dir of length 1); escape: orbits that go
    // farther than this from the origin have no return.
    ReturnMap(const portrait::PolynomialField& field, Vec2 origin, Vec2 dir, double escape,
        const Deadline& deadline);

    bool Transversal() const { return sigma_ != 0; }
    bool Expired() const { return deadline_.expired(); }
    FirstReturn operator()(double s, Accuracy accuracy, bool backward = false) const;

    // One period from start (back in time when backward): the extent and
    // the points of the orbit.
    struct Orbit {
        double xMin, xMax, yMin, yMax;
        std::vector<Vec2> points;
        Vec2 end;
    };
    Orbit Run(Vec2 start, double period, bool backward = false) const;

    Vec2 origin() const { return origin_; }
    Vec2 dir() const { return dir_; }

private:
    portrait::Rhs Field(bool backward) const;
    const portrait::PolynomialField& field_;
    Vec2 origin_, dir_;
    int sigma_ = 0; // sign of cross(dir, F) where orbits cross the half-line
    double escape_;
    const Deadline& deadline_;
};

// The cycles met by the half-line within reach, innermost first, and the
// table of the scan. The search stops at budgetEnd or at the deadline of
// the map (search.interrupted).
std::vector<Cycle> SearchCycles(
    const ReturnMap& map, double reach, Search& search, std::chrono::steady_clock::time_point budgetEnd);

// Whether the point lies inside the orbit of the cycle.
bool Surrounds(const Cycle& cycle, Vec point);

} // namespace vindrel::engine::periodic
