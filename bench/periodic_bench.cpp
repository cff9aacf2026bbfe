// The study of periodic orbits in-process (target: the cycle search for
// Van der Pol within 5 ms): the whole study on a point already found, and
// the general analysis around it. The whole korbast process is timed by
// bench/korbast.sh.
#include "engine/periodic/periodic.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace vindrel::engine::periodic;
using vindrel::flint::FmpqMpoly;
using vindrel::flint::MpolyCtx;

FmpqMpoly Parse(const vindrel::flint::MpolyCtxPtr& ctx, const char* s)
{
    FmpqMpoly p(ctx);
    fmpq_mpoly_set_str_pretty(p.raw(), s, ctx->cnames(), ctx->raw());
    return p;
}

void Run(benchmark::State& state, const char* P, const char* Q, double x, double y)
{
    auto ctx = std::make_shared<const MpolyCtx>(std::vector<std::string> { "x", "y" });
    const FmpqMpoly p = Parse(ctx, P), q = Parse(ctx, Q);
    Input in;
    in.P = &p;
    in.Q = &q;
    Point o;
    o.name = "(0, 0)";
    o.x = x;
    o.y = y;
    o.index = 1;
    in.points.push_back(o);
    in.pointsComplete = true;
    for (auto _ : state) {
        const Study s = StudyPeriodicOrbits(in);
        benchmark::DoNotOptimize(s.cycles.data());
    }
}

void BM_VanDerPol(benchmark::State& s)
{
    Run(s, "y", "-x+y-x^2*y", 0, 0);
}
void BM_CircularCycle(benchmark::State& s)
{
    Run(s, "x-y-x^3-x*y^2", "x+y-x^2*y-y^3", 0, 0);
}
void BM_Brusselator(benchmark::State& s)
{
    Run(s, "1-4*x+x^2*y", "3*x-x^2*y", 1, 3);
}

BENCHMARK(BM_VanDerPol)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CircularCycle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Brusselator)->Unit(benchmark::kMillisecond);

} // namespace
