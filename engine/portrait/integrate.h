// Orbits of an autonomous planar system by the Dormand-Prince 5(4) method
// with error control: fixed-time integration, and orbit tracing that stops on
// leaving a region, on reaching a fixed point, after a bounded length, or
// once a closed orbit has been run round.
#pragma once

#include "engine/portrait/field.h"

#include <functional>
#include <vector>

namespace vindrel::portrait {

using Rhs = std::function<Vec2(Vec2)>;

struct StepControl {
    double rtol = 1e-10;
    double atol = 1e-12;
    double hmax = 0.1;
    double hinit = 1e-3;
};

struct IntegrationResult {
    Vec2 end;
    int accepted = 0;
    int rejected = 0;
};

// One Dormand-Prince step of size h from y, where k1 = f(y): the fifth-order
// value, f at it (the first stage of the next step) and the error scaled by
// the tolerances (<= 1: the step is accepted).
struct DormandPrinceStep {
    Vec2 next;
    Vec2 slopeNext;
    double error;
};
DormandPrinceStep StepDormandPrince(const Rhs& f, Vec2 y, Vec2 k1, double h, const StepControl& control);
// The size of the next step after a step of size h with that scaled error.
double NextStepSize(double h, double error);

// x' = f(x) from x(0) = start up to t = tEnd (> 0).
IntegrationResult IntegrateTo(const Rhs& f, Vec2 start, double tEnd, const StepControl& control);

enum class TimeDirection { Forward, Backward };

enum class StopReason { LeftRegion, ReachedFixedPoint, Closed, LengthLimit, StepLimit, Stalled };

struct TraceLimits {
    std::function<bool(Vec2)> inside;  // the region the orbit may travel in
    std::vector<Vec2> sinks;           // fixed points that end an orbit
    double sinkRadius = 1e-3;          // a sink counts once the orbit has been 3 radii away from it
    double maxLength = 100;
    int maxSteps = 20000;
    double closeTolerance = 0;         // > 0: detect a return to the start in the same direction
    double stallLength = 0;            // > 0: stop after 50 steps in a row shorter than this
};

struct Trace {
    std::vector<Vec2> points;
    StopReason reason = StopReason::LengthLimit;
    double length = 0;
    std::size_t loopStart = 0; // when closed: points[loopStart..] run round the closed orbit once
};

Trace TraceOrbit(const Rhs& f, Vec2 start, TimeDirection direction, const TraceLimits& limits,
                 const StepControl& control);

// f / sqrt(1 + |f|^2): the same orbits, the same direction of time, a
// bounded speed (no blow-up in finite time).
Rhs BoundedSpeed(Rhs f);

} // namespace vindrel::portrait
