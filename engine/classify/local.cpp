#include "engine/classify/local.h"

namespace vindrel::engine::classify {

Mat2 JacobianAtOrigin(const System& s)
{
    return { s.P.Coeff(1, 0), s.P.Coeff(0, 1), s.Q.Coeff(1, 0), s.Q.Coeff(0, 1) };
}

Poly2 Divergence(const System& s)
{
    return s.P.Dx() + s.Q.Dy();
}

System ChangeBasis(const System& s, const Mat2& m)
{
    const Poly2 p = s.P.Linear(m.a, m.b, m.c, m.d);
    const Poly2 q = s.Q.Linear(m.a, m.b, m.c, m.d);
    const Rational inv = Rational(1) / m.Det();
    return { inv * (m.d * p - m.b * q), inv * (m.a * q - m.c * p) };
}

Direction KernelOfRankOne(const Mat2& m)
{
    Direction d = (!m.a.IsZero() || !m.b.IsZero()) ? Direction { m.b, -m.a } : Direction { m.d, -m.c };
    // First non-zero component positive, so that printed reduced equations read naturally.
    if (d.dx.Sign() < 0 || (d.dx.IsZero() && d.dy.Sign() < 0)) d = { -d.dx, -d.dy };
    return d;
}

AndreevVerdict AndreevTable(const AndreevTerms& t)
{
    // G = 0 to the computed order means beta > alpha: every comparison below
    // then reads alpha < 2 beta + 1, which is also what G identically 0 gives.
    const bool beyond = t.beta && t.alpha > 2 * *t.beta + 1;
    const bool boundary = t.beta && t.alpha == 2 * *t.beta + 1 && t.signBoundary >= 0;
    if (t.alpha % 2 == 0) return { AndreevCase::Decided, beyond ? PointType::SaddleNode : PointType::Cusp };
    if (t.signA > 0) return { AndreevCase::Decided, PointType::Saddle };
    if (!beyond && !boundary) return { AndreevCase::Monodromic };
    if (*t.beta % 2 == 1) return { AndreevCase::Decided, PointType::EllipticSaddle };
    return { AndreevCase::Decided, PointType::Node, t.signB < 0 ? Stability::Stable : Stability::Unstable };
}

CentreManifold ReduceToCentreManifold(const System& s, const Mat2& j, int n)
{
    const Rational t = j.Trace();
    CentreManifold out;
    out.e0 = KernelOfRankOne(j);
    out.et = KernelOfRankOne({ j.a - t, j.b, j.c, j.d - t });
    const System w = ChangeBasis(s, { out.e0.dx, out.et.dx, out.e0.dy, out.et.dy });
    const Poly2& u = w.P;
    const Poly2 v = w.Q - Poly2::Monomial(0, 1, t);
    Series h(static_cast<std::size_t>(n + 1));
    for (int k = 2; k <= n; ++k) {
        // U has no linear part and h starts at degree 2, so the coefficient
        // of u^k in U(u, h) needs h to degree k - 1 only: the first one
        // that is not zero is known now, and it is all the callers read.
        Series along = u.Along(h, k);
        if (!along[static_cast<std::size_t>(k)].IsZero()) {
            out.g = std::move(along);
            return out;
        }
        Series dh(h.size());
        for (std::size_t i = 1; i < h.size(); ++i)
            dh[i - 1] = Rational(static_cast<slong>(i)) * h[i];
        const Series lhs = SeriesMul(dh, along, k);
        const Series rhs = v.Along(h, k);
        h[static_cast<std::size_t>(k)]
            = (lhs[static_cast<std::size_t>(k)] - rhs[static_cast<std::size_t>(k)]) / t;
    }
    out.g = u.Along(h, n);
    return out;
}

} // namespace vindrel::engine::classify
