// Whole-process benchmark main: fp_main P Q prints the number of real
// isolated fixed points and of non-real ones, as the peers do.
#include "engine/fixedpoints/fixed_points.h"

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    using namespace vindrel;
    if (argc != 3) return 2;
    auto ctx = std::make_shared<const flint::MpolyCtx>(std::vector<std::string> { "x", "y" });
    flint::FmpqMpoly P(ctx), Q(ctx);
    if (fmpq_mpoly_set_str_pretty(P.raw(), argv[1], ctx->cnames(), ctx->raw())
        || fmpq_mpoly_set_str_pretty(Q.raw(), argv[2], ctx->cnames(), ctx->raw())) {
        return 2;
    }
    const auto a = engine::AnalyseFixedPoints(P, Q, engine::Deadline());
    std::printf("%zu %d%s\n", a.points.size(), a.complexCount, a.pointsCertified ? "" : " incomplete");
    flint_cleanup();
    return 0;
}
