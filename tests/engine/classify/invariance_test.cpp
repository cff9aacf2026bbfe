// The nature of a fixed point does not depend on the coordinates: after a
// rational linear change z = A w (w' = A^-1 f(A w)), the kind of linear part,
// the type, the stability and the order are the same. The changed system is
// built with FLINT's own composition, independently of the classifier.
#include "engine/classify/classify.h"

#include "engine/support/xy_poly.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace vindrel::engine {
namespace {

using test::Poly;
using test::XyContext;

struct Change {
    slong a, b, c, d; // A = [[a, b], [c, d]], det <> 0
};

// w' = A^-1 f(A w), with A^-1 = [[d, -b], [-c, a]] / det.
std::pair<flint::FmpqMpoly, flint::FmpqMpoly> Transform(
    const flint::FmpqMpoly& p, const flint::FmpqMpoly& q, const Change& m)
{
    const auto ctx = XyContext();
    flint::FmpqMpoly x(ctx), y(ctx), u(ctx), v(ctx);
    fmpq_mpoly_gen(x.raw(), 0, ctx->raw());
    fmpq_mpoly_gen(y.raw(), 1, ctx->raw());
    // u = a x + b y, v = c x + d y.
    flint::FmpqMpoly t(ctx);
    fmpq_mpoly_scalar_mul_si(u.raw(), x.raw(), m.a, ctx->raw());
    fmpq_mpoly_scalar_mul_si(t.raw(), y.raw(), m.b, ctx->raw());
    fmpq_mpoly_add(u.raw(), u.raw(), t.raw(), ctx->raw());
    fmpq_mpoly_scalar_mul_si(v.raw(), x.raw(), m.c, ctx->raw());
    fmpq_mpoly_scalar_mul_si(t.raw(), y.raw(), m.d, ctx->raw());
    fmpq_mpoly_add(v.raw(), v.raw(), t.raw(), ctx->raw());
    fmpq_mpoly_struct* args[2] = { u.raw(), v.raw() };
    flint::FmpqMpoly pa(ctx), qa(ctx);
    EXPECT_TRUE(fmpq_mpoly_compose_fmpq_mpoly(pa.raw(), p.raw(), args, ctx->raw(), ctx->raw()));
    EXPECT_TRUE(fmpq_mpoly_compose_fmpq_mpoly(qa.raw(), q.raw(), args, ctx->raw(), ctx->raw()));
    const slong det = m.a * m.d - m.b * m.c;
    flint::FmpqMpoly np(ctx), nq(ctx);
    fmpq_mpoly_scalar_mul_si(np.raw(), pa.raw(), m.d, ctx->raw());
    fmpq_mpoly_scalar_mul_si(t.raw(), qa.raw(), -m.b, ctx->raw());
    fmpq_mpoly_add(np.raw(), np.raw(), t.raw(), ctx->raw());
    fmpq_mpoly_scalar_div_si(np.raw(), np.raw(), det, ctx->raw());
    fmpq_mpoly_scalar_mul_si(nq.raw(), qa.raw(), m.a, ctx->raw());
    fmpq_mpoly_scalar_mul_si(t.raw(), pa.raw(), -m.c, ctx->raw());
    fmpq_mpoly_add(nq.raw(), nq.raw(), t.raw(), ctx->raw());
    fmpq_mpoly_scalar_div_si(nq.raw(), nq.raw(), det, ctx->raw());
    return { std::move(np), std::move(nq) };
}

std::string Text(const flint::FmpqMpoly& p)
{
    return flint::TakeString(fmpq_mpoly_get_str_pretty(p.raw(), XyContext()->cnames(), p.craw()));
}

struct Case {
    const char* name;
    const char* p;
    const char* q;
};

const Case kCases[] = {
    { "UnstableWeakFocusOfOrder1", "-y + x*(x^2+y^2)", "x + y*(x^2+y^2)" },
    { "StableWeakFocusOfOrder2", "-y - x*(x^2+y^2)^2", "x - y*(x^2+y^2)^2" },
    { "QuadraticWeakFocus", "-y + x^2 + x*y", "x + x*y" },
    { "StableWeakFocusOfOrder3", "-y - x*(x^2+y^2)^3", "x - y*(x^2+y^2)^3" },
    { "HamiltonianCentre", "y", "-x + x^2" },
    { "LotkaVolterraCentre", "-y - x*y", "x + 2*x*y" },
    { "KapteynBautinCentre", "-y - 3*x^2 + 2*x*y + y^2", "x + x^2 - 4*x*y - y^2" },
    { "ReversibleCentre", "-y + x*y", "x + x^2 - y^2" },
    { "CentreWithFirstIntegral", "(1+y)*(y + x^2)", "-(1+y)*(x + 3*x^2 + 2*x*y)" },
    { "Saddle", "x + y^2", "-2*y" },
    { "DegenerateNode", "-x + y", "-y" },
    { "SaddleNode", "x^2", "-y" },
    { "StableNodeOnTheCentreManifold", "-x^3", "-y" },
    { "SaddleOnACurvedCentreManifold", "x*y", "-y + x^2" },
    { "Cusp", "y", "x^2" },
    { "NilpotentSaddle", "y", "x^3" },
    { "NilpotentCentre", "y", "-x^3" },
    { "NilpotentReversibleCentre", "y", "-x^3 + x*y" },
    { "EllipticSaddle", "y", "-x^3 + 4*x*y" },
    { "NilpotentNode", "y", "-x^5 - 4*x^2*y" },
    { "NilpotentSaddleNode", "y", "x^4 + x*y" },
    { "FocusOfOrder6", "-y - x*(x^2+y^2)^6", "x - y*(x^2+y^2)^6" },
    { "MonodromicZeroLinearPart", "-y^3", "x^3" },
};

class NatureInvariance : public ::testing::TestWithParam<Case> { };

TEST_P(NatureInvariance, SurvivesRandomRationalChangesOfCoordinates)
{
    const Case& c = GetParam();
    const auto p = Poly(c.p), q = Poly(c.q);
    const Nature reference = ClassifyOrigin(p, q);
    std::mt19937 rng(20261207u);
    std::uniform_int_distribution<int> entry(-3, 3);
    for (int trial = 0; trial < 4; ++trial) {
        Change m {};
        do {
            m = { entry(rng), entry(rng), entry(rng), entry(rng) };
        } while (m.a * m.d - m.b * m.c == 0);
        const auto [np, nq] = Transform(p, q, m);
        const Nature n = ClassifyOrigin(np, nq);
        SCOPED_TRACE("x' = " + Text(np) + ", y' = " + Text(nq));
        EXPECT_EQ(n.linearPart, reference.linearPart);
        EXPECT_EQ(n.type, reference.type);
        EXPECT_EQ(n.stability, reference.stability);
        EXPECT_EQ(n.order, reference.order);
    }
}

INSTANTIATE_TEST_SUITE_P(Classify, NatureInvariance, ::testing::ValuesIn(kCases),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vindrel::engine
