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

// A point rational in a with D = 0 for every a: its nature rests on the
// terms of order 2 and 3, so their zeros are candidates; with a zero linear
// part, also where the characteristic directions x Q_m - y P_m of the
// lowest order m meet (its discriminant) or where P_m and Q_m share a root.
void AddDegenerateSources(const ParsedSystem& s, const RationalBranch& br, const std::vector<FmpqMpoly>& lin,
    std::vector<Source>& sources)
{
    const std::string what = "un terme d'ordre 2 ou 3 change au point " + br.text;
    for (int order = 2; order <= 3; ++order)
        for (int i = 0; i <= order; ++i)
            for (const FmpqMpoly* f : { &s.P, &s.Q }) {
                flint::FmpzPoly k = ToIntegerPoly(Taylor(*f, i, order - i, br).num);
                if (fmpz_poly_degree(k.raw()) >= 1) sources.push_back({ what, k, Event::AtAPoint });
            }
    bool zero = true;
    for (size_t e = 0; e < 4; ++e)
        zero = zero && IsZero(AtBranch(lin[e], br).num);
    if (!zero) {
        // D = 0, J <> 0: on the centre manifold u' = c u² + ..., c = w.F2(v) with
        // J v = 0 and w J = 0; (v, w) from either row of J.
        const RationalFunction p = Taylor(s.P, 1, 0, br), q = Taylor(s.P, 0, 1, br),
                               r = Taylor(s.Q, 1, 0, br), t = Taylor(s.Q, 0, 1, br);
        const auto quadraticAt
            = [&](const FmpqMpoly& f, const RationalFunction& X, const RationalFunction& Y) {
                  RationalFunction sum = Times(Taylor(f, 2, 0, br), Times(X, X));
                  sum = Plus(sum, Times(Taylor(f, 1, 1, br), Times(X, Y)));
                  return Plus(sum, Times(Taylor(f, 0, 2, br), Times(Y, Y)));
              };
        const RationalFunction rows[2][4]
            = { { Scaled(q, -1), p, r, Scaled(p, -1) }, { Scaled(t, -1), r, t, Scaled(q, -1) } };
        for (const auto& row : rows) {
            const RationalFunction c = Plus(Times(row[2], quadraticAt(s.P, row[0], row[1])),
                Times(row[3], quadraticAt(s.Q, row[0], row[1])));
            flint::FmpzPoly k = ToIntegerPoly(c.num);
            if (fmpz_poly_degree(k.raw()) >= 1)
                sources.push_back({ "le coefficient de la variété centrale s'annule au point " + br.text, k,
                    Event::AtAPoint });
        }
        return;
    }
    for (int m = 2; m <= 3; ++m) {
        // C(t) = t Q_m(t, 1) - P_m(t, 1), t standing for x/y, denominators cleared.
        std::vector<RationalFunction> c;
        bool any = false;
        for (int i = 0; i <= m; ++i) {
            c.push_back(Taylor(s.Q, i, m - i, br));
            any = any || !IsZero(c.back().num);
        }
        std::vector<RationalFunction> p;
        for (int i = 0; i <= m; ++i) {
            p.push_back(Taylor(s.P, i, m - i, br));
            any = any || !IsZero(p.back().num);
        }
        if (!any) continue;
        FmpqMpoly den(s.ctx);
        fmpq_mpoly_one(den.raw(), s.ctx->raw());
        for (const auto* v : { &c, &p })
            for (const RationalFunction& f : *v)
                den = Mul(den, f.den);
        FmpqMpoly C(s.ctx), Pm(s.ctx), Qm(s.ctx);
        for (int i = 0; i <= m; ++i) {
            FmpqMpoly q(s.ctx), pp(s.ctx);
            fmpq_mpoly_divides(q.raw(), Mul(den, c[static_cast<size_t>(i)].num).raw(),
                c[static_cast<size_t>(i)].den.raw(), s.ctx->raw());
            fmpq_mpoly_divides(pp.raw(), Mul(den, p[static_cast<size_t>(i)].num).raw(),
                p[static_cast<size_t>(i)].den.raw(), s.ctx->raw());
            FmpqMpoly ti(s.ctx), ti1(s.ctx);
            fmpq_mpoly_pow_ui(ti.raw(), Variable(s.ctx, kX).raw(), static_cast<ulong>(i), s.ctx->raw());
            fmpq_mpoly_pow_ui(ti1.raw(), Variable(s.ctx, kX).raw(), static_cast<ulong>(i + 1), s.ctx->raw());
            C = Add(C, Sub(Mul(q, ti1), Mul(pp, ti)));
            Pm = Add(Pm, Mul(pp, ti));
            Qm = Add(Qm, Mul(q, ti));
        }
        FmpqMpoly disc(s.ctx), res(s.ctx);
        const std::string directions = "les directions caractéristiques changent au point " + br.text;
        if (fmpq_mpoly_degree_si(C.raw(), kX, s.ctx->raw()) > 1
            && fmpq_mpoly_discriminant(disc.raw(), C.raw(), kX, s.ctx->raw()))
            sources.push_back({ directions, ToIntegerPoly(disc), Event::AtAPoint });
        if (fmpq_mpoly_degree_si(Pm.raw(), kX, s.ctx->raw()) > 0
            && fmpq_mpoly_degree_si(Qm.raw(), kX, s.ctx->raw()) > 0
            && fmpq_mpoly_resultant(res.raw(), Pm.raw(), Qm.raw(), kX, s.ctx->raw()))
            sources.push_back({ directions, ToIntegerPoly(res), Event::AtAPoint });
        if (fmpz_poly_degree(sources.back().poly.raw()) < 1) sources.pop_back();
        break;
    }
}

} // namespace

void AddLyapunovSources(
    const ParsedSystem& s, std::vector<RationalBranch>& branches, std::vector<Source>& sources)
{
    const std::vector<FmpqMpoly> lin = LinearQuantities(s);
    for (RationalBranch& br : branches) {
        if (IsZero(AtBranch(lin[5], br).num)) {
            AddDegenerateSources(s, br, lin, sources);
            continue;
        }
        if (!IsZero(AtBranch(lin[4], br).num)) continue;
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
            sources.push_back(
                { "le premier coefficient de Lyapunov s'annule au point " + br.text, k, Event::AtAPoint });
    }
}

} // namespace vindrel::engine::discussion
