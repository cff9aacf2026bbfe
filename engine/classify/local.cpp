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

} // namespace vindrel::engine::classify
