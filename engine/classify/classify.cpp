#include "engine/classify/classify.h"

#include "engine/classify/classify_texts.h"
#include "engine/classify/local.h"
#include "engine/classify/verdict.h"

#include <flint/fmpq_mpoly_factor.h>

#include <algorithm>
#include <stdexcept>

namespace vindrel::engine {

namespace {

using classify::Finish;
using classify::kMaxFocalOrder;
using classify::kMinSeriesOrder;
using classify::SignText;
using classify::StabilityOfSign;
using classify::ZeroValuesText;
using classify::Direction;
using classify::Mat2;
using classify::Poly2;
using classify::Rational;
using classify::Series;
using classify::System;


// Series order for a system: high enough that a leading term coming straight
// from one monomial of the system is always seen.
int SeriesLength(const System& s)
{
    return std::max(kMinSeriesOrder, 2 * std::max(s.P.Degree(), s.Q.Degree()) + 1);
}

std::string Str(const Rational& r)
{
    return r.ToString();
}

// "a*x^m + ..." for the leading term of a series.
std::string LeadingText(const Series& s, int m)
{
    return Poly2::Monomial(m, 0, s[static_cast<std::size_t>(m)]).ToString() + " + ...";
}

Nature Hyperbolic(const Mat2& j)
{
    const Rational t = j.Trace(), d = j.Det(), disc = t * t - Rational(4) * d;
    Nature n;
    n.linearPart = LinearPart::Hyperbolic;
    const std::string td = "T = " + Str(t) + ", D = " + Str(d);
    if (d.Sign() < 0) {
        n.type = PointType::Saddle;
        n.reason = "D = " + Str(d) + " < 0";
        return Finish(n,
            "Le déterminant D = " + Str(d)
                + " est négatif : les valeurs propres sont réelles et de signes opposés.");
    }
    n.stability = StabilityOfSign(t.Sign());
    n.reason = td
        + " > 0, T^2 - 4D = " + (disc.IsZero() ? std::string("0") : Str(disc) + " " + SignText(disc.Sign()));
    std::string why
        = "Trace T = " + Str(t) + ", déterminant D = " + Str(d) + " > 0, discriminant T² - 4D = " + Str(disc);
    if (disc.Sign() > 0) {
        n.type = PointType::Node;
        why += " > 0 : valeurs propres réelles distinctes de même signe que T.";
    } else if (disc.IsZero()) {
        const bool scalar = j.b.IsZero() && j.c.IsZero();
        n.type = scalar ? PointType::StarNode : PointType::DegenerateNode;
        why += scalar ? " : valeur propre double et matrice scalaire."
                      : " : valeur propre double et matrice non diagonalisable.";
    } else {
        n.type = PointType::Focus;
        why += " < 0 : valeurs propres complexes de partie réelle T/2 <> 0.";
    }
    return Finish(n, why);
}

Nature Imaginary(const System& s, const Mat2& j)
{
    const std::string intro = "Valeurs propres imaginaires pures +/- i racine(D) (T = 0, D = " + Str(j.Det())
        + " > 0) : centre ou foyer faible.";
    return classify::ImaginaryVerdict(
        intro, classify::FirstFocalValue(s, kMaxFocalOrder), [&] { return classify::ProveCentre(s); });
}

// A curve of fixed points through the origin (common factor of P and Q), as text:
// the product of the distinct irreducible common factors that vanish at the
// origin on a real branch. A factor whose lowest homogeneous part vanishes on
// no real line (x^2 + y^2) has the origin as an isolated real zero.
std::optional<std::string> FixedCurveThroughOrigin(const flint::FmpqMpoly& p, const flint::FmpqMpoly& q)
{
    flint::FmpqMpoly g(p.ctx());
    if (!fmpq_mpoly_gcd(g.raw(), p.raw(), q.raw(), p.craw())) return std::nullopt;
    if (fmpq_mpoly_is_zero(g.raw(), g.craw())) return std::string("0");
    if (fmpq_mpoly_is_fmpq(g.raw(), g.craw())) return std::nullopt;
    fmpq_mpoly_factor_t fac;
    fmpq_mpoly_factor_init(fac, g.craw());
    Poly2 curve = Poly2::Constant(Rational(1));
    bool found = false;
    if (fmpq_mpoly_factor(fac, g.raw(), g.craw())) {
        for (slong i = 0; i < fac->num; ++i) {
            flint::FmpqMpoly h(p.ctx());
            fmpq_mpoly_set(h.raw(), fac->poly + i, h.craw());
            const Poly2 branch = Poly2::FromMpoly(h);
            if (!branch.Coeff(0, 0).IsZero()) continue;
            const auto zeros = classify::RealLinearFactors(branch.Homogeneous(branch.LowDegree()));
            if (zeros.rational.empty() && zeros.irrationalCount == 0) continue;
            curve = curve * branch;
            found = true;
        }
    }
    fmpq_mpoly_factor_clear(fac, g.craw());
    if (!found) return std::nullopt;
    return curve.ToString();
}

Nature NonIsolated(LinearPart kind, const std::string& curve)
{
    Nature n;
    n.linearPart = kind;
    n.type = PointType::Undetermined;
    if (curve == "0") {
        n.reason = "non isole: tous les points sont fixes";
        n.explanation = "Le champ est identiquement nul : tous les points sont fixes.";
    } else {
        n.reason = "non isole: courbe de points fixes " + curve + " = 0";
        n.explanation
            = "Le point n'est pas isolé : il appartient à la courbe de points fixes " + curve + " = 0.";
    }
    return n;
}

Nature SemiHyperbolic(const flint::FmpqMpoly& P, const flint::FmpqMpoly& Q, const System& s, const Mat2& j)
{
    const Rational t = j.Trace();
    const int n = SeriesLength(s);
    const classify::CentreManifold cm = classify::ReduceToCentreManifold(s, j, n);
    const Series& g = cm.g;
    const int m = classify::SeriesOrder(g);

    Nature out;
    out.linearPart = LinearPart::SemiHyperbolic;
    const std::string intro = "Valeurs propres 0 et lambda = " + Str(t) + " (D = 0, T <> 0).";
    if (m < 0) {
        // The reduced equation vanishes to high order: a curve of fixed points, or a very degenerate point.
        if (auto curve = FixedCurveThroughOrigin(P, Q))
            return NonIsolated(LinearPart::SemiHyperbolic, *curve);
        out.type = PointType::Undetermined;
        out.reason = "variete centrale: x' = O(x^" + std::to_string(n + 1) + ")";
        out.explanation = intro + " Sur la variété centrale, la dynamique est nulle jusqu'à l'ordre "
            + std::to_string(n) + " : nature non déterminée.";
        return out;
    }
    const Rational a = g[static_cast<std::size_t>(m)];
    out.reason = "variete centrale: x' = " + LeadingText(g, m);
    std::string why
        = intro + " Sur la variété centrale, x' = " + LeadingText(g, m) + " : m = " + std::to_string(m);
    if (m % 2 == 0) {
        out.type = PointType::SaddleNode;
        why += " est pair.";
    } else if (a.Sign() != t.Sign()) {
        out.type = PointType::Saddle;
        why += " est impair, et a = " + Str(a) + " et lambda sont de signes opposés.";
    } else {
        out.type = PointType::Node;
        out.stability = StabilityOfSign(t.Sign());
        why += " est impair, et a = " + Str(a) + " et lambda sont de même signe.";
    }
    return Finish(out, why);
}

Nature Monodromic(const System& s, Nature n, const std::string& intro)
{
    namespace t = classify::texts;
    if (auto proof = classify::ProveCentre(s)) {
        n.type = PointType::Center;
        n.reason += ", " + proof->reason;
        return Finish(n, intro + t::kMonodromicProven + proof->explanation);
    }
    n.type = PointType::Undetermined;
    n.explanation = intro + t::kMonodromicUnproven;
    return n;
}

Nature Nilpotent(const flint::FmpqMpoly& P, const flint::FmpqMpoly& Q, const System& s, const Mat2& j)
{
    namespace t = classify::texts;
    // Basis (J w2, w2): u' = v + X(u, v), v' = Y(u, v).
    const Direction w2 = (j.a.IsZero() && j.c.IsZero()) ? Direction { Rational(0), Rational(1) }
                                                        : Direction { Rational(1), Rational(0) };
    const Direction w1 { j.a * w2.dx + j.b * w2.dy, j.c * w2.dx + j.d * w2.dy };
    const System w = classify::ChangeBasis(s, { w1.dx, w2.dx, w1.dy, w2.dy });
    const Poly2 x = w.P - Poly2::Monomial(0, 1);
    const Poly2& y = w.Q;
    const int n = SeriesLength(s);
    // v = f(u) solves v + X(u, v) = 0.
    Series f(static_cast<std::size_t>(n + 1));
    for (int k = 2; k <= n; ++k)
        f[static_cast<std::size_t>(k)] = -x.Along(f, k)[static_cast<std::size_t>(k)];
    const Series bigF = y.Along(f, n);
    const Series bigG = (x.Dx() + y.Dy()).Along(f, n);
    const int alpha = classify::SeriesOrder(bigF);
    const int beta = classify::SeriesOrder(bigG);

    Nature out;
    out.linearPart = LinearPart::Nilpotent;
    std::string intro = t::kNilpotentIntro;
    if (alpha < 0) {
        if (auto curve = FixedCurveThroughOrigin(P, Q)) return NonIsolated(LinearPart::Nilpotent, *curve);
        out.type = PointType::Undetermined;
        out.reason = t::AndreevFlatReason(n);
        out.explanation = intro + t::AndreevFlatExplanation(n);
        return out;
    }
    classify::AndreevTerms terms;
    terms.alpha = alpha;
    const Rational a = bigF[static_cast<std::size_t>(alpha)];
    terms.signA = a.Sign();
    std::optional<std::string> leadG;
    if (beta >= 0) {
        const Rational b = bigG[static_cast<std::size_t>(beta)];
        terms.beta = beta;
        terms.signB = b.Sign();
        terms.signBoundary = (b * b + Rational(4) * a * Rational(beta + 1)).Sign();
        leadG = LeadingText(bigG, beta);
    }
    out.reason = t::AndreevReason(alpha, terms.beta);
    intro += t::AndreevStatement(LeadingText(bigF, alpha), alpha, leadG, terms.beta, n);
    const classify::AndreevVerdict verdict = classify::AndreevTable(terms);
    if (verdict.kind == classify::AndreevCase::Monodromic) return Monodromic(s, out, intro);
    out.type = verdict.type;
    out.stability = verdict.stability;
    return Finish(out, intro);
}

std::string DirectionsText(const classify::FormZeros& z)
{
    std::string s;
    for (const auto& d : z.rational)
        s += (s.empty() ? "" : ", ") + classify::LineText(d);
    for (const auto& t : z.irrational)
        s += (s.empty() ? "" : ", ") + t;
    return s;
}

Nature LinearlyZero(const flint::FmpqMpoly& P, const flint::FmpqMpoly& Q, const System& s)
{
    if (auto curve = FixedCurveThroughOrigin(P, Q)) return NonIsolated(LinearPart::Zero, *curve);
    Nature out;
    out.linearPart = LinearPart::Zero;
    const int m = std::min(
        s.P.IsZero() ? s.Q.LowDegree() : s.P.LowDegree(), s.Q.IsZero() ? s.P.LowDegree() : s.Q.LowDegree());
    const Poly2 form
        = Poly2::Monomial(1, 0) * s.Q.Homogeneous(m) - Poly2::Monomial(0, 1) * s.P.Homogeneous(m);
    const std::string intro
        = "Partie linéaire nulle ; partie homogène de plus bas degré : degré " + std::to_string(m) + ".";
    out.type = PointType::Undetermined;
    if (form.IsZero()) {
        out.reason = "partie lineaire nulle, toutes directions caracteristiques";
        out.explanation = intro + " x Q" + std::to_string(m) + " - y P" + std::to_string(m)
            + " est identiquement nul : toutes les directions sont caractéristiques (nature non "
              "déterminée).";
        return out;
    }
    const auto zeros = classify::RealLinearFactors(form);
    const int count = static_cast<int>(zeros.rational.size()) + zeros.irrationalCount;
    if (count == 0) {
        out.reason = "partie lineaire nulle, aucune direction caracteristique";
        return Monodromic(s, out,
            intro + " La forme " + form.ToString()
                + " ne s'annule sur aucune droite réelle : aucune "
                  "direction caractéristique.");
    }
    out.reason = "partie lineaire nulle, " + std::to_string(count) + " direction(s) caracteristique(s)";
    out.explanation = intro + " Directions caractéristiques (zéros réels de " + form.ToString()
        + ") : " + DirectionsText(zeros) + ". Nature non déterminée (pas d'éclatement).";
    return out;
}

} // namespace

Nature ClassifyOrigin(const flint::FmpqMpoly& P, const flint::FmpqMpoly& Q)
{
    if (P.ctx() != Q.ctx()) throw std::invalid_argument("P et Q n'ont pas le même contexte");
    const System s { Poly2::FromMpoly(P), Poly2::FromMpoly(Q) };
    if (!s.P.Coeff(0, 0).IsZero() || !s.Q.Coeff(0, 0).IsZero())
        throw std::invalid_argument("l'origine n'est pas un point fixe");
    const Mat2 j = classify::JacobianAtOrigin(s);
    const Rational t = j.Trace(), d = j.Det();
    if (!d.IsZero()) return (t.IsZero() && d.Sign() > 0) ? Imaginary(s, j) : Hyperbolic(j);

    if (!t.IsZero()) return SemiHyperbolic(P, Q, s, j);
    if (!j.a.IsZero() || !j.b.IsZero() || !j.c.IsZero() || !j.d.IsZero()) return Nilpotent(P, Q, s, j);
    return LinearlyZero(P, Q, s);
}

} // namespace vindrel::engine
