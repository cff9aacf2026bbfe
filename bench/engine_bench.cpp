// Parse + Hamiltonian analysis + report for classic systems, and the parse
// alone on a long component.
#include "engine/cli/analyse.h"
#include "engine/hamiltonian/hamiltonian.h"
#include "engine/parse/parser.h"

#include <benchmark/benchmark.h>

#include <sstream>

namespace {

using namespace vindrel::engine;

struct Classic {
    const char* p;
    const char* q;
};

const Classic kClassics[] = {
    { "y", "-x+x^2" }, // 0: Hamiltonian, degree 2
    { "y", "-x+(1-x^2)y" }, // 1: Van der Pol
    { "x-xy", "xy-y" }, // 2: Lotka-Volterra
    { "3y^2+2xy-x^3", "-y^2-3x^2+3x^2y" }, // 3: cubic Hamiltonian
    { "-a", "-2abx-b" }, // 4: literal constants
};

void BM_ParseHamiltonianReport(benchmark::State& state)
{
    const Classic& c = kClassics[state.range(0)];
    for (auto _ : state) {
        const ParsedSystem s = ParseSystem(c.p, c.q);
        benchmark::DoNotOptimize(HamiltonianReport(s));
    }
}
BENCHMARK(BM_ParseHamiltonianReport)->DenseRange(0, 4);

void BM_AnalyseJson(benchmark::State& state)
{
    for (auto _ : state) {
        std::ostringstream out, err;
        benchmark::DoNotOptimize(RunAnalyse({ "--json", "y", "-x+x^2" }, out, err));
    }
}
BENCHMARK(BM_AnalyseJson);

void BM_ParseLongComponent(benchmark::State& state)
{
    std::string p;
    for (int i = 0; i < 60; ++i)
        p += "+3/7x^2y-0,5xy";
    for (auto _ : state)
        benchmark::DoNotOptimize(ParseSystem(p, "(x+y)^10"));
}
BENCHMARK(BM_ParseLongComponent);

} // namespace
