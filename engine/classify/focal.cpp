// Lyapunov (focal) values at a point with imaginary eigenvalues.
//
// With J = [[a, b], [c, -a]] and D = -a^2 - bc > 0, the quadratic form
// F2 = s (-c x^2 + 2a xy + b y^2), s the sign of b, is positive definite and
// invariant under the linear flow. A formal function F = F2 + F3 + ... is built
// degree by degree so that dF/dt = V4 F2^2 + V6 F2^3 + ...: in odd degree the
// linear operator G -> grad G . Jz is invertible; in even degree its kernel is
// spanned by a power of F2, which fixes V and leaves one free coefficient
// (the x^k one, set to 0). The first non-zero V(2k+2) gives a weak focus of
// order k, unstable when V > 0. The value reported is the one of the radial
// equation r' = Lk r^(2k+1) + ... after an area-preserving linear change to
// x' = -y + ..., y' = x + ... and time scaled by the frequency sqrt(D):
// Lk = V(2k+2) D^((k-1)/2) / 2 (for a system already in that form, the usual one).
#include "engine/classify/local.h"

#include <flint/fmpz_factor.h>

namespace vindrel::engine::classify {

namespace {

// The image of x^i y^(k-i) under G -> G_x (a x + b y) + G_y (c x + d y).
Poly2 LinearImage(int i, int k, const Mat2& j)
{
    const Poly2 mono = Poly2::Monomial(i, k - i);
    const Poly2 fx = Poly2::Monomial(1, 0, j.a) + Poly2::Monomial(0, 1, j.b);
    const Poly2 fy = Poly2::Monomial(1, 0, j.c) + Poly2::Monomial(0, 1, j.d);
    return mono.Dx() * fx + mono.Dy() * fy;
}

// r * D^(e/2) as a text: rational when possible, else "q*sqrt(m)".
std::string TimesSqrtPower(const Rational& r, const Rational& det, int e)
{
    Rational coeff = r * det.Pow(static_cast<ulong>(e / 2));
    if (e % 2 == 0 || coeff.IsZero()) return coeff.ToString();
    // sqrt(p/q) = sqrt(p q) / q = s sqrt(m) / q with m squarefree when factorable.
    flint::Fmpz n, s, m;
    fmpz_mul(n.raw(), fmpq_numref(det.raw()), fmpq_denref(det.raw()));
    fmpz_one(s.raw());
    fmpz_set(m.raw(), n.raw());
    if (fmpz_is_square(n.raw())) {
        fmpz_sqrt(s.raw(), n.raw());
        fmpz_one(m.raw());
    } else if (fmpz_bits(n.raw()) <= 120) {
        fmpz_factor_t f;
        fmpz_factor_init(f);
        fmpz_factor(f, n.raw());
        fmpz_one(m.raw());
        for (slong i = 0; i < f->num; ++i) {
            flint::Fmpz pw;
            fmpz_pow_ui(pw.raw(), f->p + i, f->exp[i] / 2);
            fmpz_mul(s.raw(), s.raw(), pw.raw());
            if (f->exp[i] % 2) fmpz_mul(m.raw(), m.raw(), f->p + i);
        }
        fmpz_factor_clear(f);
    }
    Rational factor;
    fmpq_set_fmpz_frac(factor.raw(), s.raw(), fmpq_denref(det.raw()));
    coeff *= factor;
    if (fmpz_is_one(m.raw())) return coeff.ToString();
    const std::string root = "sqrt(" + flint::TakeString(fmpz_get_str(nullptr, 10, m.raw())) + ")";
    if (coeff.IsOne()) return root;
    if (coeff == Rational(-1)) return "-" + root;
    return coeff.ToString() + "*" + root;
}

} // namespace

FocalResult FirstFocalValue(const System& s, int maxOrder)
{
    const Mat2 j = JacobianAtOrigin(s);
    const Rational det = j.Det();
    const Rational sign(j.b.Sign() > 0 ? 1 : -1);
    const Poly2 f2 = sign
        * (Poly2::Monomial(2, 0, -j.c) + Poly2::Monomial(1, 1, Rational(2) * j.a)
            + Poly2::Monomial(0, 2, j.b));
    const int top = 2 * maxOrder + 2;
    std::vector<Poly2> pk(static_cast<std::size_t>(top + 1)), qk(static_cast<std::size_t>(top + 1));
    for (int k = 2; k <= top; ++k) {
        pk[static_cast<std::size_t>(k)] = s.P.Homogeneous(k);
        qk[static_cast<std::size_t>(k)] = s.Q.Homogeneous(k);
    }
    std::vector<Poly2> f(static_cast<std::size_t>(top + 1));
    f[2] = f2;
    std::vector<Poly2> fx(static_cast<std::size_t>(top + 1)), fy(static_cast<std::size_t>(top + 1));
    fx[2] = f2.Dx();
    fy[2] = f2.Dy();

    FocalResult out;
    for (int k = 3; k <= top; ++k) {
        Poly2 rest;
        for (int d = 2; d <= k - 1; ++d) {
            const auto e = static_cast<std::size_t>(k - d + 1);
            if (pk[e].IsZero() && qk[e].IsZero()) continue;
            rest += fx[static_cast<std::size_t>(d)] * pk[e] + fy[static_cast<std::size_t>(d)] * qk[e];
        }
        const bool even = k % 2 == 0;
        const int unknowns = even ? k + 2 : k + 1;
        Matrix m(
            static_cast<std::size_t>(unknowns), std::vector<Rational>(static_cast<std::size_t>(unknowns)));
        std::vector<Rational> rhs(static_cast<std::size_t>(unknowns));
        for (int i = 0; i <= k; ++i) {
            const Poly2 image = LinearImage(i, k, j);
            for (const auto& [e, c] : image.Terms())
                m[static_cast<std::size_t>(e.first)][static_cast<std::size_t>(i)] = c;
            rhs[static_cast<std::size_t>(i)] = -rest.Coeff(i, k - i);
        }
        Poly2 kernel;
        if (even) {
            kernel = f2.Pow(k / 2);
            for (int i = 0; i <= k; ++i)
                m[static_cast<std::size_t>(i)][static_cast<std::size_t>(k + 1)] = -kernel.Coeff(i, k - i);
            m[static_cast<std::size_t>(k + 1)][static_cast<std::size_t>(k)]
                = Rational(1); // x^k coefficient = 0
        }
        auto sol = SolveUnique(std::move(m), std::move(rhs));
        if (!sol) return FocalResult {};
        Poly2 fk;
        for (int i = 0; i <= k; ++i)
            fk.AddTerm(i, k - i, (*sol)[static_cast<std::size_t>(i)]);
        f[static_cast<std::size_t>(k)] = fk;
        fx[static_cast<std::size_t>(k)] = fk.Dx();
        fy[static_cast<std::size_t>(k)] = fk.Dy();
        if (even) {
            const Rational v = (*sol)[static_cast<std::size_t>(k + 1)];
            if (!v.IsZero()) {
                out.order = (k - 2) / 2;
                out.sign = v.Sign();
                out.value = TimesSqrtPower(v / Rational(2), det, out.order - 1);
                return out;
            }
        }
    }
    return out;
}

} // namespace vindrel::engine::classify
