// The first Lyapunov value along a fixed point rational in a whose trace
// vanishes for every a: where it changes sign, a weak focus changes its
// stability. With P = sum a_ij X^i Y^j, Q = sum b_ij X^i Y^j at the point
// and the linear part [a b ; c -a] (D = -a² - bc > 0), the classical formula
// (Andronov, Leontovich, Gordon, Maier) gives L1 = -pi/(4 b D^(3/2)) K with
//   K = a c (a11² + a11 b02 + a02 b11) + a b (b11² + a20 b11 + a11 b20)
//     + c² (a11 a02 + 2 a02 b02) - 2 a c (b02² - a20 a02) - 2 a b (a20² - b20 b02)
//     - b² (2 a20 b20 + b11 b20) + (b c - 2 a²)(b11 b02 - a11 a20)
//     - (a² + b c)(3 (c b03 - b a30) + 2 a (a21 + b12) + (c a12 - b b21)),
// so L1 vanishes where K does (checked against the normal form of
// Guckenheimer and Holmes).
#include "engine/discussion/internal.h"

#include "engine/poly/algebra.h"

namespace vindrel::engine::discussion {

using flint::FmpqMpoly;

namespace {

RationalFunction Times(const RationalFunction& l, const RationalFunction& r)
{
    return { Mul(l.num, r.num), Mul(l.den, r.den) };
}

RationalFunction Plus(const RationalFunction& l, const RationalFunction& r)
{
    return { Add(Mul(l.num, r.den), Mul(r.num, l.den)), Mul(l.den, r.den) };
}

RationalFunction Scaled(const RationalFunction& f, slong k)
{
    RationalFunction out = f;
    fmpq_mpoly_scalar_mul_si(out.num.raw(), out.num.raw(), k, out.num.craw());
    return out;
}

// The Taylor coefficient of p at the point: d^(i+j) p / dx^i dy^j / (i! j!).
RationalFunction Taylor(const FmpqMpoly& p, int i, int j, const RationalBranch& b)
{
    FmpqMpoly d = p;
    for (int k = 0; k < i; ++k)
        d = Derivative(d, kX);
    for (int k = 0; k < j; ++k)
        d = Derivative(d, kY);
    static const slong kFactorial[] = { 1, 1, 2, 6 };
    fmpq_mpoly_scalar_div_si(d.raw(), d.raw(), kFactorial[i] * kFactorial[j], d.craw());
    return AtBranch(d, b);
}

} // namespace

void AddLyapunovSources(
    const ParsedSystem& s, std::vector<RationalBranch>& branches, std::vector<Source>& sources)
{
    const std::vector<FmpqMpoly> lin = LinearQuantities(s);
    for (RationalBranch& br : branches) {
        if (!IsZero(AtBranch(lin[4], br).num) || IsZero(AtBranch(lin[5], br).num)) continue;
        const auto A = [&](int i, int j) { return Taylor(s.P, i, j, br); };
        const auto B = [&](int i, int j) { return Taylor(s.Q, i, j, br); };
        const RationalFunction a = A(1, 0), b = A(0, 1), c = B(1, 0);
        const RationalFunction a20 = A(2, 0), a11 = A(1, 1), a02 = A(0, 2), b20 = B(2, 0), b11 = B(1, 1),
                               b02 = B(0, 2);
        const RationalFunction a30 = A(3, 0), a21 = A(2, 1), a12 = A(1, 2), b21 = B(2, 1), b12 = B(1, 2),
                               b03 = B(0, 3);
        const auto T = Times;
        const auto P = Plus;
        RationalFunction K = T(T(a, c), P(P(T(a11, a11), T(a11, b02)), T(a02, b11)));
        K = P(K, T(T(a, b), P(P(T(b11, b11), T(a20, b11)), T(a11, b20))));
        K = P(K, T(T(c, c), P(T(a11, a02), Scaled(T(a02, b02), 2))));
        K = P(K, Scaled(T(T(a, c), P(T(b02, b02), Scaled(T(a20, a02), -1))), -2));
        K = P(K, Scaled(T(T(a, b), P(T(a20, a20), Scaled(T(b20, b02), -1))), -2));
        K = P(K, Scaled(T(T(b, b), P(Scaled(T(a20, b20), 2), T(b11, b20))), -1));
        K = P(K, T(P(T(b, c), Scaled(T(a, a), -2)), P(T(b11, b02), Scaled(T(a11, a20), -1))));
        const RationalFunction cubic
            = P(P(Scaled(P(T(c, b03), Scaled(T(b, a30), -1)), 3), Scaled(T(a, P(a21, b12)), 2)),
                P(T(c, a12), Scaled(T(b, b21), -1)));
        K = P(K, Scaled(T(P(T(a, a), T(b, c)), cubic), -1));
        if (IsZero(K.num)) continue; // L1 = 0 for every a: the order is decided at each sample
        br.lyapunovTracked = true;
        flint::FmpzPoly k = ToIntegerPoly(K.num);
        if (fmpz_poly_degree(k.raw()) >= 1)
            sources.push_back({ "le premier coefficient de Lyapunov s'annule au point " + br.text, k });
    }
}

} // namespace vindrel::engine::discussion
