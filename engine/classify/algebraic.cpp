#include "engine/classify/algebraic.h"

#include "engine/classify/algebraic_field.h"
#include "engine/classify/classify_texts.h"
#include "engine/classify/local.h"
#include "engine/classify/verdict.h"
#include "engine/poly/number_text.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace vindrel::engine {

namespace {

using classify::AlgNum;
using classify::AlgPoly2;
using classify::AlgSeries;
using classify::Finish;
using classify::kMaxFocalOrder;
using classify::kMinSeriesOrder;
using classify::NumberField;
using classify::SignText;
using classify::StabilityOfSign;
using classify::ZeroValuesText;

const char* kExactNote = " Calculs exacts dans le corps de nombres du point (tests de nullité exacts).";

struct AlgSystem {
    AlgPoly2 P, Q;
};

struct AlgMat2 {
    AlgNum a, b, c, d;
    AlgNum Det() const { return a * d - b * c; }
    AlgNum Trace() const { return a + d; }
};

AlgMat2 JacobianAtOrigin(const AlgSystem& s)
{
    return { s.P.Coeff(1, 0), s.P.Coeff(0, 1), s.Q.Coeff(1, 0), s.Q.Coeff(0, 1) };
}

// ---- Lyapunov values --------------------------------------------------------------
// The formal first integral F = F2 + F3 + ... with dF/dt = V4 F2^2 + V6 F2^3 + ...,
// built degree by degree as for a rational point, every coefficient in the field.

AlgPoly2 LinearImage(int i, int k, const AlgMat2& j)
{
    const AlgNum one = AlgNum::Integer(j.a.field() ? j.a.field() : j.b.field(), 1);
    const AlgPoly2 mono = AlgPoly2::Monomial(i, k - i, one);
    const AlgPoly2 fx = AlgPoly2::Monomial(1, 0, j.a) + AlgPoly2::Monomial(0, 1, j.b);
    const AlgPoly2 fy = AlgPoly2::Monomial(1, 0, j.c) + AlgPoly2::Monomial(0, 1, j.d);
    return mono.Dx() * fx + mono.Dy() * fy;
}

// order 0: L1..Lmax all vanish; value: decimal, for the time normalised by
// the frequency.
using AlgFocal = classify::FocalResult;

AlgFocal FirstFocalValue(const AlgSystem& s, const AlgMat2& j, int maxOrder)
{
    const NumberField* k0 = j.b.field();
    const AlgNum det = j.Det();
    const AlgNum sign = AlgNum::Integer(k0, j.b.Sign() > 0 ? 1 : -1);
    const AlgPoly2 f2 = sign
        * (AlgPoly2::Monomial(2, 0, -j.c) + AlgPoly2::Monomial(1, 1, AlgNum::Integer(k0, 2) * j.a)
            + AlgPoly2::Monomial(0, 2, j.b));
    const int top = 2 * maxOrder + 2;
    const auto size = static_cast<std::size_t>(top + 1);
    std::vector<AlgPoly2> pk(size), qk(size), fx(size), fy(size);
    for (int k = 2; k <= top; ++k) {
        pk[static_cast<std::size_t>(k)] = s.P.Homogeneous(k);
        qk[static_cast<std::size_t>(k)] = s.Q.Homogeneous(k);
    }
    fx[2] = f2.Dx();
    fy[2] = f2.Dy();
    for (int k = 3; k <= top; ++k) {
        AlgPoly2 rest;
        for (int d = 2; d <= k - 1; ++d) {
            const auto e = static_cast<std::size_t>(k - d + 1);
            if (pk[e].IsZero() && qk[e].IsZero()) continue;
            rest += fx[static_cast<std::size_t>(d)] * pk[e] + fy[static_cast<std::size_t>(d)] * qk[e];
        }
        const bool even = k % 2 == 0;
        const auto unknowns = static_cast<std::size_t>(even ? k + 2 : k + 1);
        std::vector<std::vector<AlgNum>> m(unknowns, std::vector<AlgNum>(unknowns));
        std::vector<AlgNum> rhs(unknowns);
        for (int i = 0; i <= k; ++i) {
            const AlgPoly2 image = LinearImage(i, k, j);
            for (const auto& [e, c] : image.Terms())
                m[static_cast<std::size_t>(e.first)][static_cast<std::size_t>(i)] = c;
            rhs[static_cast<std::size_t>(i)] = -rest.Coeff(i, k - i);
        }
        if (even) {
            const AlgPoly2 kernel = f2.Pow(k / 2);
            for (int i = 0; i <= k; ++i)
                m[static_cast<std::size_t>(i)][static_cast<std::size_t>(k + 1)] = -kernel.Coeff(i, k - i);
            m[static_cast<std::size_t>(k + 1)][static_cast<std::size_t>(k)]
                = AlgNum::Integer(k0, 1); // x^k coefficient = 0
        }
        auto sol = classify::SolveUnique(std::move(m), std::move(rhs));
        if (!sol) return {};
        AlgPoly2 fk;
        for (int i = 0; i <= k; ++i)
            fk.AddTerm(i, k - i, (*sol)[static_cast<std::size_t>(i)]);
        fx[static_cast<std::size_t>(k)] = fk.Dx();
        fy[static_cast<std::size_t>(k)] = fk.Dy();
        if (!even) continue;
        const AlgNum v = (*sol)[static_cast<std::size_t>(k + 1)];
        if (v.IsZero()) continue;
        AlgFocal out;
        out.order = (k - 2) / 2;
        out.sign = v.Sign();
        // Lk = V D^((k-1)/2) / 2, D > 0.
        out.value = fp::ShortDecimal(v.Approx() / 2 * std::pow(det.Approx(), (out.order - 1) / 2.0));
        return out;
    }
    return {};
}

// ---- centre proofs that hold for the whole system ------------------------------------

enum class Parity { Even, Odd };

// Every term of p has a power of x (which = 0) or y (which = 1) of the given parity.
bool HasParity(const AlgPoly2& p, int which, Parity parity)
{
    const int want = parity == Parity::Odd ? 1 : 0;
    return std::all_of(p.Terms().begin(), p.Terms().end(),
        [&](const auto& term) { return (which == 0 ? term.first.first : term.first.second) % 2 == want; });
}

// Hamiltonian (zero divergence), or reversible about the horizontal or the
// vertical line through the point (the flow reversed by the reflection).
std::optional<classify::CentreProof> GlobalCentreProof(const AlgSystem& s, const AlgNum& x0, const AlgNum& y0)
{
    namespace t = classify::texts;
    if ((s.P.Dx() + s.Q.Dy()).IsZero())
        return classify::CentreProof { t::kReasonHamiltonian, t::kHamiltonianExplanation };
    if (HasParity(s.P, 1, Parity::Odd) && HasParity(s.Q, 1, Parity::Even))
        return classify::CentreProof { t::kReasonReversible,
            t::ReversibleExplanation("y = " + y0.Text(), "x = " + x0.Text()) };
    if (HasParity(s.P, 0, Parity::Even) && HasParity(s.Q, 0, Parity::Odd))
        return classify::CentreProof { t::kReasonReversible,
            t::ReversibleExplanation("x = " + x0.Text(), "y = " + y0.Text()) };
    return std::nullopt;
}

Nature Imaginary(const AlgSystem& s, const AlgMat2& j, const AlgNum& x0, const AlgNum& y0)
{
    const std::string intro = "Valeurs propres imaginaires pures +/- i racine(D) (T = 0, D = "
        + j.Det().Text() + " > 0) : centre ou foyer faible." + kExactNote;
    return classify::ImaginaryVerdict(
        intro, FirstFocalValue(s, j, kMaxFocalOrder), [&] { return GlobalCentreProof(s, x0, y0); });
}

// ---- semi-hyperbolic ----------------------------------------------------------------

struct AlgDirection {
    AlgNum dx, dy;
};

// A non-zero vector spanning the kernel of a rank-one matrix.
AlgDirection KernelOfRankOne(const AlgMat2& m)
{
    if (!m.a.IsZero() || !m.b.IsZero()) return { m.b, -m.a };
    return { m.d, -m.c };
}

// The system in the coordinates w with z = M w: w' = M^-1 f(M w).
AlgSystem ChangeBasis(const AlgSystem& s, const AlgMat2& m)
{
    const AlgPoly2 p = s.P.Linear(m.a, m.b, m.c, m.d);
    const AlgPoly2 q = s.Q.Linear(m.a, m.b, m.c, m.d);
    const AlgNum inv = AlgNum::Integer(m.a.field() ? m.a.field() : m.b.field(), 1) / m.Det();
    return { (inv * m.d) * p - (inv * m.b) * q, (inv * m.a) * q - (inv * m.c) * p };
}

// Series order for a system: high enough that a leading term coming straight
// from one monomial of the system is always seen.
int SeriesLength(const AlgSystem& s)
{
    return std::max(kMinSeriesOrder, 2 * std::max(s.P.Degree(), s.Q.Degree()) + 1);
}

int SeriesOrder(const AlgSeries& s)
{
    for (std::size_t k = 0; k < s.size(); ++k)
        if (!s[k].IsZero()) return static_cast<int>(k);
    return -1;
}

std::string LeadingText(const AlgNum& a, int m)
{
    return a.Text() + "*x^" + std::to_string(m) + " + ...";
}

Nature SemiHyperbolic(const AlgSystem& s, const AlgMat2& j)
{
    const AlgNum t = j.Trace();
    const AlgDirection e0 = KernelOfRankOne(j);
    const AlgDirection et = KernelOfRankOne({ j.a - t, j.b, j.c, j.d - t });
    const AlgSystem w = ChangeBasis(s, { e0.dx, et.dx, e0.dy, et.dy });
    // u' = U(u, v), v' = T v + V(u, v) with U, V without linear terms.
    const AlgPoly2& u = w.P;
    const AlgPoly2 v = w.Q - AlgPoly2::Monomial(0, 1, t);
    const int n = SeriesLength(s);
    // Centre manifold v = h(u): h'(u) U(u, h) = T h + V(u, h), solved degree by degree.
    // U has no linear term, so the terms of U(u, h(u)) up to u^k only need
    // h up to degree k - 1: the first non-zero one ends the series early.
    AlgSeries h(static_cast<std::size_t>(n + 1));
    AlgSeries g; // U(u, h(u)), once its first non-zero term is known
    for (int k = 2; k <= n; ++k) {
        const AlgSeries along = u.Along(h, k);
        if (SeriesOrder(along) >= 0) {
            g = along;
            break;
        }
        AlgSeries dh(h.size());
        for (std::size_t i = 1; i < h.size(); ++i)
            dh[i - 1] = AlgNum::Integer(t.field(), static_cast<slong>(i)) * h[i];
        AlgNum lhs;
        for (int i = 0; i <= k; ++i)
            lhs += dh[static_cast<std::size_t>(i)] * along[static_cast<std::size_t>(k - i)];
        h[static_cast<std::size_t>(k)] = (lhs - v.Along(h, k)[static_cast<std::size_t>(k)]) / t;
    }
    if (g.empty()) g = u.Along(h, n);
    const int m = SeriesOrder(g);

    Nature out;
    out.linearPart = LinearPart::SemiHyperbolic;
    const std::string intro = "Valeurs propres 0 et lambda = " + t.Text() + " (D = 0, T <> 0)." + kExactNote;
    if (m < 0) {
        out.type = PointType::Undetermined;
        out.reason = "variete centrale: x' = O(x^" + std::to_string(n + 1) + ")";
        out.explanation = intro + " Sur la variété centrale, la dynamique est nulle jusqu'à l'ordre "
            + std::to_string(n) + " : nature non déterminée.";
        return out;
    }
    const AlgNum& a = g[static_cast<std::size_t>(m)];
    out.reason = "variete centrale: x' = " + LeadingText(a, m);
    std::string why
        = intro + " Sur la variété centrale, x' = " + LeadingText(a, m) + " : m = " + std::to_string(m);
    if (m % 2 == 0) {
        out.type = PointType::SaddleNode;
        why += " est pair.";
    } else if (a.Sign() != t.Sign()) {
        out.type = PointType::Saddle;
        why += " est impair, et a = " + a.Text() + " et lambda sont de signes opposés.";
    } else {
        out.type = PointType::Node;
        out.stability = StabilityOfSign(t.Sign());
        why += " est impair, et a = " + a.Text() + " et lambda sont de même signe.";
    }
    return Finish(out, why);
}

// ---- nilpotent (Andreev) ------------------------------------------------------------

Nature Nilpotent(
    const NumberField* k, const AlgSystem& s, const AlgMat2& j, const AlgNum& x0, const AlgNum& y0)
{
    namespace t = classify::texts;
    // Basis (J w2, w2): u' = v + X(u, v), v' = Y(u, v).
    const AlgNum zero, one = AlgNum::Integer(k, 1);
    const AlgDirection w2
        = (j.a.IsZero() && j.c.IsZero()) ? AlgDirection { zero, one } : AlgDirection { one, zero };
    const AlgDirection w1 { j.a * w2.dx + j.b * w2.dy, j.c * w2.dx + j.d * w2.dy };
    const AlgSystem w = ChangeBasis(s, { w1.dx, w2.dx, w1.dy, w2.dy });
    const AlgPoly2 x = w.P - AlgPoly2::Monomial(0, 1, one);
    const AlgPoly2& y = w.Q;
    const int n = SeriesLength(s);
    // v = f(u) solves v + X(u, v) = 0.
    AlgSeries f(static_cast<std::size_t>(n + 1));
    for (int i = 2; i <= n; ++i)
        f[static_cast<std::size_t>(i)] = -x.Along(f, i)[static_cast<std::size_t>(i)];
    const AlgSeries bigF = y.Along(f, n);
    const AlgSeries bigG = (x.Dx() + y.Dy()).Along(f, n);
    const int alpha = SeriesOrder(bigF);
    const int beta = SeriesOrder(bigG);

    Nature out;
    out.linearPart = LinearPart::Nilpotent;
    std::string intro = std::string(t::kNilpotentIntro) + kExactNote;
    if (alpha < 0) {
        out.type = PointType::Undetermined;
        out.reason = t::AndreevFlatReason(n);
        out.explanation = intro + t::AndreevFlatExplanation(n);
        return out;
    }
    classify::AndreevTerms terms;
    terms.alpha = alpha;
    const AlgNum& a = bigF[static_cast<std::size_t>(alpha)];
    terms.signA = a.Sign();
    std::optional<std::string> leadG;
    if (beta >= 0) {
        const AlgNum& b = bigG[static_cast<std::size_t>(beta)];
        terms.beta = beta;
        terms.signB = b.Sign();
        terms.signBoundary = (b * b + AlgNum::Integer(k, 4 * (beta + 1)) * a).Sign();
        leadG = LeadingText(b, beta);
    }
    out.reason = t::AndreevReason(alpha, terms.beta);
    intro += t::AndreevStatement(LeadingText(a, alpha), alpha, leadG, terms.beta, n);
    const classify::AndreevVerdict verdict = classify::AndreevTable(terms);
    if (verdict.kind == classify::AndreevCase::Decided) {
        out.type = verdict.type;
        out.stability = verdict.stability;
        return Finish(out, intro);
    }
    if (auto proof = GlobalCentreProof(s, x0, y0)) {
        out.type = PointType::Center;
        out.reason += ", " + proof->reason;
        return Finish(out, intro + t::kMonodromicProven + proof->explanation);
    }
    out.type = PointType::Undetermined;
    out.explanation = intro + t::kMonodromicUnproven;
    return out;
}

} // namespace

std::optional<Nature> ClassifyAlgebraicPoint(
    const flint::FmpqMpoly& P, const flint::FmpqMpoly& Q, const AlgebraicPoint& point)
{
    const NumberField field(point.f, point.lo, point.hi);
    const AlgNum x0(&field, point.x), y0(&field, point.y);
    const AlgSystem s { AlgPoly2::Translated(P, x0, y0), AlgPoly2::Translated(Q, x0, y0) };
    if (!s.P.Coeff(0, 0).IsZero() || !s.Q.Coeff(0, 0).IsZero())
        throw std::invalid_argument("le point n'est pas un point fixe");
    const AlgMat2 j = JacobianAtOrigin(s);
    const AlgNum t = j.Trace(), d = j.Det();
    if (!d.IsZero()) {
        if (t.IsZero() && d.Sign() > 0) return Imaginary(s, j, x0, y0);
        return std::nullopt; // hyperbolic: the linear part decides
    }
    if (!t.IsZero()) return SemiHyperbolic(s, j);
    if (!j.a.IsZero() || !j.b.IsZero() || !j.c.IsZero() || !j.d.IsZero())
        return Nilpotent(&field, s, j, x0, y0);
    return std::nullopt; // linearly zero: not handled here
}

} // namespace vindrel::engine
