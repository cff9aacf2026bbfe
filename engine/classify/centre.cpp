// Proofs that a monodromic point (every orbit near it turns around it) is a
// centre: a monodromic point with a non-constant analytic first integral, or
// with a reflection symmetry that reverses time, is a centre. We look for
//   - a zero divergence (Hamiltonian system);
//   - a reversibility z -> R z, t -> -t, with R a reflection whose axis is a
//     rational line on which the divergence vanishes (it must: the divergence
//     is odd under R);
//   - a polynomial first integral of low degree;
//   - a polynomial integrating factor M of low degree with M(0,0) <> 0;
//   - a polynomial inverse integrating factor V (P V_x + Q V_y = div V) of low
//     degree with V(0,0) <> 0: 1/V integrates the system near the point
//     (this covers Darboux factors built from invariant lines and conics).
#include "engine/classify/classify_texts.h"
#include "engine/classify/local.h"

namespace vindrel::engine::classify {

namespace {

constexpr int kFirstIntegralDegree = 4;
constexpr int kIntegratingFactorDegree = 3;
constexpr int kInverseFactorDegree = 5;

bool Parallel(const Direction& u, const Direction& v)
{
    return (u.dx * v.dy - u.dy * v.dx).IsZero();
}

bool IsNull(const Direction& u)
{
    return u.dx.IsZero() && u.dy.IsZero();
}

// Rational lines that can carry the axis of a reversing reflection.
std::vector<Direction> AxisCandidates(const System& s)
{
    std::vector<Direction> out;
    auto add = [&out](const Direction& d) {
        for (const auto& o : out)
            if (Parallel(o, d)) return;
        out.push_back(d);
    };
    const Poly2 div = Divergence(s);
    for (int k = div.LowDegree(); k >= 0 && k <= div.Degree(); ++k) {
        const Poly2 h = div.Homogeneous(k);
        if (h.IsZero()) continue;
        const FormZeros z = RealLinearFactors(h);
        if (k == div.LowDegree())
            for (const auto& d : z.rational)
                add(d);
        else {
            // Only lines on which every homogeneous part vanishes can be axes.
            std::vector<Direction> keep;
            for (const auto& o : out)
                for (const auto& d : z.rational)
                    if (Parallel(o, d)) keep.push_back(o);
            out = keep;
        }
    }
    return out;
}

// Further directions for the reversed eigen-line when the axis lies in the
// kernel of the linear part: the axes, and zeros of x Q_k - y P_k.
std::vector<Direction> SecondCandidates(const System& s)
{
    std::vector<Direction> out { { Rational(1), Rational(0) }, { Rational(0), Rational(1) } };
    const int deg = std::max(s.P.Degree(), s.Q.Degree());
    const Poly2 x = Poly2::Monomial(1, 0), y = Poly2::Monomial(0, 1);
    for (int k = 1; k <= deg; ++k) {
        const Poly2 form = x * s.Q.Homogeneous(k) - y * s.P.Homogeneous(k);
        if (form.IsZero()) continue;
        for (const auto& d : RealLinearFactors(form).rational)
            out.push_back(d);
    }
    return out;
}

// The reflection fixing e and reversing w, if the system is reversible under it.
std::optional<Mat2> ReversingReflection(const System& s, const Direction& e, const Direction& w)
{
    const Mat2 m { e.dx, w.dx, e.dy, w.dy };
    const Rational det = m.Det();
    if (det.IsZero()) return std::nullopt;
    // R = M diag(1, -1) M^-1.
    const Rational inv = Rational(1) / det;
    const Mat2 r { inv * (m.a * m.d + m.b * m.c), inv * (Rational(-2) * m.a * m.b),
        inv * (Rational(2) * m.c * m.d), inv * (-(m.c * m.b) - m.d * m.a) };
    // f(R z) + R f(z) = 0.
    const Poly2 p = s.P.Linear(r.a, r.b, r.c, r.d);
    const Poly2 q = s.Q.Linear(r.a, r.b, r.c, r.d);
    if (!(p + r.a * s.P + r.b * s.Q).IsZero()) return std::nullopt;
    if (!(q + r.c * s.P + r.d * s.Q).IsZero()) return std::nullopt;
    return r;
}

std::optional<CentreProof> Reversibility(const System& s)
{
    const Mat2 j = JacobianAtOrigin(s);
    const auto seconds = SecondCandidates(s);
    for (const auto& e : AxisCandidates(s)) {
        const Direction je { j.a * e.dx + j.b * e.dy, j.c * e.dx + j.d * e.dy };
        std::vector<Direction> ws;
        if (!IsNull(je))
            ws.push_back(je);
        else
            ws = seconds;
        for (const auto& w : ws) {
            if (Parallel(e, w)) continue;
            if (ReversingReflection(s, e, w))
                return CentreProof { texts::kReasonReversible,
                    texts::ReversibleExplanation(LineText(e), LineText(w)) };
        }
    }
    return std::nullopt;
}

// Monomials x^i y^j with lo <= i + j <= hi.
std::vector<Poly2::Exp> Monomials(int lo, int hi)
{
    std::vector<Poly2::Exp> out;
    for (int d = lo; d <= hi; ++d)
        for (int i = d; i >= 0; --i)
            out.push_back({ i, d - i });
    return out;
}

Poly2 FromCoefficients(const std::vector<Poly2::Exp>& monos, const std::vector<Rational>& v)
{
    Poly2 p;
    for (std::size_t k = 0; k < monos.size(); ++k)
        p.AddTerm(monos[k].first, monos[k].second, v[k]);
    return p;
}

std::optional<CentreProof> FirstIntegral(const System& s)
{
    const auto monos = Monomials(1, kFirstIntegralDegree);
    std::vector<Poly2> images;
    for (const auto& [i, j] : monos) {
        const Poly2 h = Poly2::Monomial(i, j);
        images.push_back(h.Dx() * s.P + h.Dy() * s.Q);
    }
    const auto kernel = NullSpace(CoefficientMatrix(images), static_cast<int>(monos.size()));
    if (kernel.empty()) return std::nullopt;
    const Poly2 h = FromCoefficients(monos, kernel.front());
    return CentreProof { texts::kReasonFirstIntegral, texts::FirstIntegralExplanation(h.ToString()) };
}

std::optional<CentreProof> IntegratingFactor(const System& s)
{
    const auto monos = Monomials(0, kIntegratingFactorDegree);
    const Poly2 div = Divergence(s);
    std::vector<Poly2> images;
    for (const auto& [i, j] : monos) {
        const Poly2 m = Poly2::Monomial(i, j);
        images.push_back(m.Dx() * s.P + m.Dy() * s.Q + m * div);
    }
    for (const auto& v : NullSpace(CoefficientMatrix(images), static_cast<int>(monos.size()))) {
        if (v.front().IsZero()) continue; // M(0,0) = 0: no local first integral from it
        const Poly2 m = FromCoefficients(monos, v);
        return CentreProof { texts::kReasonFirstIntegral, texts::IntegratingFactorExplanation(m.ToString()) };
    }
    return std::nullopt;
}

std::optional<CentreProof> InverseIntegratingFactor(const System& s)
{
    const auto monos = Monomials(0, kInverseFactorDegree);
    const Poly2 div = Divergence(s);
    std::vector<Poly2> images;
    for (const auto& [i, j] : monos) {
        const Poly2 v = Poly2::Monomial(i, j);
        images.push_back(v.Dx() * s.P + v.Dy() * s.Q - v * div);
    }
    for (const auto& v : NullSpace(CoefficientMatrix(images), static_cast<int>(monos.size()))) {
        if (v.front().IsZero()) continue; // V(0,0) = 0: 1/V is singular at the point
        const Poly2 inv = FromCoefficients(monos, v);
        return CentreProof { texts::kReasonFirstIntegral, texts::InverseFactorExplanation(inv.ToString()) };
    }
    return std::nullopt;
}

} // namespace

std::optional<CentreProof> ProveCentre(const System& s)
{
    if (Divergence(s).IsZero())
        return CentreProof { texts::kReasonHamiltonian, texts::kHamiltonianExplanation };
    if (auto r = Reversibility(s)) return r;
    if (auto r = FirstIntegral(s)) return r;
    if (auto r = IntegratingFactor(s)) return r;
    return InverseIntegratingFactor(s);
}

} // namespace vindrel::engine::classify
