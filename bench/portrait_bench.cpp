// Time to compute and draw phase portraits of degree <= 3 systems (target:
// under 300 ms each, geometry and SVG together), and of the whole
// vindrel-analyse --portrait command.
#include "engine/cli/analyse.h"
#include "engine/flint/flint_types.h"
#include "engine/portrait/portrait.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <sstream>

namespace {

using namespace vindrel::portrait;

PolynomialField FieldOf(const char* p, const char* q)
{
    auto ctx = std::make_shared<const vindrel::flint::MpolyCtx>(std::vector<std::string>{"x", "y"});
    vindrel::flint::FmpqMpoly P(ctx), Q(ctx);
    fmpq_mpoly_set_str_pretty(P.raw(), p, ctx->cnames(), ctx->raw());
    fmpq_mpoly_set_str_pretty(Q.raw(), q, ctx->cnames(), ctx->raw());
    return PolynomialField(TermsOf(P), TermsOf(Q));
}

void Portray(benchmark::State& state, const char* p, const char* q, Projection projection, bool png)
{
    PolynomialField f = FieldOf(p, q);
    auto points = FindFixedPointsNumerically(f);
    PortraitOptions o;
    o.projection = projection;
    for (auto _ : state) {
        Portrait portrait = ComputePortrait(f, points, o);
        if (png) WritePortrait(portrait, "/tmp/vindrel-portrait-bench.png");
        else benchmark::DoNotOptimize(SvgText(portrait));
    }
}

BENCHMARK_CAPTURE(Portray, VanDerPolSvg, "y", "-x+y-x^2*y", Projection::Plane, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Portray, DuffingSvg, "y", "x-x^3", Projection::Plane, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Portray, LotkaVolterraSvg, "x-x*y", "-y+x*y", Projection::Plane, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Portray, DuffingPng, "y", "x-x^3", Projection::Plane, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Portray, LotkaVolterraDiscSvg, "x-x*y", "-y+x*y", Projection::PoincareDisc, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Portray, VanDerPolDiscSvg, "y", "-x+y-x^2*y", Projection::PoincareDisc, false)
    ->Unit(benchmark::kMillisecond);

// The whole command, as a user runs it: parse, fixed points, geometry, file.
void Command(benchmark::State& state, const char* p, const char* q, const char* view, const char* name)
{
    const std::string file = (std::filesystem::temp_directory_path() / name).string();
    std::vector<std::string> args{"--portrait", file};
    if (*view) args.push_back(view);
    args.insert(args.end(), {"--", p, q});
    for (auto _ : state) {
        std::ostringstream out, err;
        if (vindrel::engine::RunAnalyse(args, out, err) != 0) state.SkipWithError(err.str().c_str());
    }
    std::filesystem::remove(file);
}

BENCHMARK_CAPTURE(Command, VanDerPolDiscSvg, "y", "-x+y-x^2y", "--disc", "vindrel-bench-vdp.svg")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Command, DuffingPng, "y", "x-x^3", "", "vindrel-bench-duffing.png")->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
