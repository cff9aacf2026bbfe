// The general analysis in-process (properties, invariant lines, points,
// reports) on typical systems of degree <= 3. The whole korbast process is
// timed by bench/korbast.sh.
#include "engine/general/general.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace vindrel::engine::general;
using vindrel::flint::FmpqMpoly;
using vindrel::flint::MpolyCtx;

FmpqMpoly Parse(const vindrel::flint::MpolyCtxPtr& ctx, const char* s)
{
    FmpqMpoly p(ctx);
    fmpq_mpoly_set_str_pretty(p.raw(), s, ctx->cnames(), ctx->raw());
    return p;
}

FixedPoint Point(const char* x, const char* y)
{
    FixedPoint p;
    p.xText = x;
    p.yText = y;
    p.x.emplace();
    p.y.emplace();
    fmpq_set_str(p.x->raw(), x, 10);
    fmpq_set_str(p.y->raw(), y, 10);
    return p;
}

void Run(benchmark::State& state, const char* P, const char* Q, std::vector<FixedPoint> points)
{
    auto ctx = std::make_shared<const MpolyCtx>(std::vector<std::string>{"x", "y"});
    const FmpqMpoly p = Parse(ctx, P), q = Parse(ctx, Q);
    for (auto _ : state) {
        auto a = AnalyseGeneral(p, q, points, PointList::Complete);
        benchmark::DoNotOptimize(a.reports.conclusions.data());
    }
}

void BM_VanDerPol(benchmark::State& s) { Run(s, "y", "-x+y-x^2*y", {Point("0", "0")}); }
void BM_Duffing(benchmark::State& s) { Run(s, "y", "x-x^3", {Point("-1", "0"), Point("0", "0"), Point("1", "0")}); }
void BM_LotkaVolterra(benchmark::State& s) { Run(s, "x-x*y", "-y+x*y", {Point("0", "0"), Point("1", "1")}); }
void BM_DenseCubic(benchmark::State& s)
{
    Run(s, "3*x^3-2*x^2*y+x*y^2-5*y^3+x^2-7*x*y+2*y^2+x-y", "x^3+4*x^2*y-x*y^2+2*y^3-3*x^2+x*y-y^2+2*x+3*y",
        {Point("0", "0")});
}

BENCHMARK(BM_VanDerPol);
BENCHMARK(BM_Duffing);
BENCHMARK(BM_LotkaVolterra);
BENCHMARK(BM_DenseCubic);

} // namespace
