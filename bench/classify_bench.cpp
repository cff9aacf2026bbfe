// Time to classify the origin for typical systems of degree <= 3: each should
// take well under 10 ms. The worst cases are a centre proven only by the last
// test (inverse integrating factor of degree 5) and a focus of order 6, where
// five Lyapunov values and every centre test are computed in vain.
#include "engine/classify/classify.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using vindrel::flint::FmpqMpoly;
using vindrel::flint::MpolyCtx;

struct Sys {
    const char* p;
    const char* q;
};

const Sys kSystems[] = {
    { "-y + x^2 + x*y", "x + x*y" }, // weak focus, order 1
    { "-y - x*(x^2+y^2)^3", "x - y*(x^2+y^2)^3" }, // weak focus, order 3 (degree 7)
    { "-y + x*y", "x + x^2 - y^2" }, // reversible centre
    { "-y - x*y", "x + 2*x*y" }, // Lotka-Volterra centre
    { "-y - 3*x^2 + 2*x*y + y^2", "x + x^2 - 4*x*y - y^2" }, // centre, inverse integrating factor of degree 5
    { "-7/3*y + 5/2*x^2 - 11/7*x*y + 3*x^3 - 2/9*y^3",
        "7/3*x + 13/5*x*y - 4*y^2 + 8/11*x^2*y" }, // weak focus
    { "x*y", "-y + x^2" }, // semi-hyperbolic saddle
    { "y", "-x^3 + 4*x*y" }, // elliptic saddle
    { "x^2 - y^2", "2*x*y" }, // linearly zero
    { "-y - x*(x^2+y^2)^6", "x - y*(x^2+y^2)^6" }, // focus of order 6 (degree 13): undetermined
};

void BM_ClassifyOrigin(benchmark::State& state)
{
    const Sys& s = kSystems[state.range(0)];
    auto ctx = std::make_shared<const MpolyCtx>(std::vector<std::string> { "x", "y" });
    FmpqMpoly p(ctx), q(ctx);
    fmpq_mpoly_set_str_pretty(p.raw(), s.p, ctx->cnames(), p.craw());
    fmpq_mpoly_set_str_pretty(q.raw(), s.q, ctx->cnames(), q.craw());
    for (auto _ : state)
        benchmark::DoNotOptimize(vindrel::engine::ClassifyOrigin(p, q));
    state.SetLabel(std::string(s.p) + " ; " + s.q);
}
BENCHMARK(BM_ClassifyOrigin)
    ->DenseRange(0, sizeof(kSystems) / sizeof(kSystems[0]) - 1)
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
