// The fixed points at a critical value a = p + q racine(r), computed in
// Q(racine(r)), when that can be proven simply: on both sides every real
// fixed point lies on the same points rational in a, and the value is a
// root of events at a point only (T, D, T² - 4D, J scalar, L1), so that no
// point meets another, appears or goes to infinity there. The points are
// then those of the branches at that value; their linear parts are decided
// by exact signs in the field. Non-hyperbolic ones are left to the caller.
#include "engine/discussion/internal.h"

#include "engine/fixedpoints/texts.h"
#include "engine/poly/number_text.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace vindrel::engine::discussion {

using flint::Fmpq;
using flint::FmpqMpoly;
using flint::Fmpz;

namespace {

// p + q racine(r), r > 1 square-free.
struct Quad {
    Fmpq p, q;
};

class Field {
public:
    explicit Field(const Fmpz& r)
        : r_(r)
    {
    }
    Quad Add(const Quad& a, const Quad& b) const
    {
        Quad c;
        fmpq_add(c.p.raw(), a.p.raw(), b.p.raw());
        fmpq_add(c.q.raw(), a.q.raw(), b.q.raw());
        return c;
    }
    Quad Sub(const Quad& a, const Quad& b) const
    {
        Quad c;
        fmpq_sub(c.p.raw(), a.p.raw(), b.p.raw());
        fmpq_sub(c.q.raw(), a.q.raw(), b.q.raw());
        return c;
    }
    Quad Mul(const Quad& a, const Quad& b) const
    {
        Quad c;
        Fmpq t;
        fmpq_mul(c.p.raw(), a.p.raw(), b.p.raw());
        fmpq_mul(t.raw(), a.q.raw(), b.q.raw());
        fmpq_mul_fmpz(t.raw(), t.raw(), r_.raw());
        fmpq_add(c.p.raw(), c.p.raw(), t.raw());
        fmpq_mul(c.q.raw(), a.p.raw(), b.q.raw());
        fmpq_mul(t.raw(), a.q.raw(), b.p.raw());
        fmpq_add(c.q.raw(), c.q.raw(), t.raw());
        return c;
    }
    // a / b, b <> 0: a (p - q racine(r)) / (p² - q² r).
    Quad Div(const Quad& a, const Quad& b) const
    {
        Quad conj = b;
        fmpq_neg(conj.q.raw(), conj.q.raw());
        const Quad n = Mul(b, conj);
        Quad out = Mul(a, conj);
        fmpq_div(out.p.raw(), out.p.raw(), n.p.raw());
        fmpq_div(out.q.raw(), out.q.raw(), n.p.raw());
        return out;
    }
    int Sign(const Quad& a) const
    {
        const int sp = fmpq_sgn(a.p.raw()), sq = fmpq_sgn(a.q.raw());
        if (sq == 0 || sp == sq) return sp == 0 ? sq : sp;
        if (sp == 0) return sq;
        // p and q racine(r) of opposite signs: compare p² with q² r.
        Fmpq p2, q2;
        fmpq_mul(p2.raw(), a.p.raw(), a.p.raw());
        fmpq_mul(q2.raw(), a.q.raw(), a.q.raw());
        fmpq_mul_fmpz(q2.raw(), q2.raw(), r_.raw());
        const int c = fmpq_cmp(p2.raw(), q2.raw());
        return c == 0 ? 0 : c > 0 ? sp : sq;
    }
    double Approx(const Quad& a) const
    {
        return fmpq_get_d(a.p.raw()) + fmpq_get_d(a.q.raw()) * std::sqrt(fmpz_get_d(r_.raw()));
    }
    std::string Text(const Quad& a, fp::RootWord word) const
    {
        fp::Quadratic v;
        v.p = a.p;
        v.q = a.q;
        v.r = r_;
        return fp::QuadraticText(v, word);
    }
    // The polynomial in a (of the system's context) at a = alpha.
    Quad At(const FmpqMpoly& f, const Quad& alpha) const
    {
        Quad sum;
        std::vector<ulong> exps(static_cast<size_t>(f.ctx()->nvars()));
        for (slong i = 0; i < fmpq_mpoly_length(f.raw(), f.craw()); ++i) {
            fmpq_mpoly_get_term_exp_ui(exps.data(), f.raw(), i, f.craw());
            Quad term;
            fmpq_mpoly_get_term_coeff_fmpq(term.p.raw(), f.raw(), i, f.craw());
            for (ulong k = 0; k < exps[kA]; ++k)
                term = Mul(term, alpha);
            sum = Add(sum, term);
        }
        return sum;
    }
    std::optional<Quad> At(const RationalFunction& f, const Quad& alpha) const
    {
        const Quad den = At(f.den, alpha);
        if (Sign(den) == 0) return std::nullopt;
        return Div(At(f.num, alpha), den);
    }

private:
    Fmpz r_;
};

std::string Decimal(double v)
{
    return fp::ShortDecimal(v);
}

// The degree of p in x and y together (a does not count).
slong DegreeInXY(const FmpqMpoly& p)
{
    std::vector<ulong> exps(static_cast<size_t>(p.ctx()->nvars()));
    slong worst = 0;
    for (slong i = 0; i < fmpq_mpoly_length(p.raw(), p.craw()); ++i) {
        fmpq_mpoly_get_term_exp_ui(exps.data(), p.raw(), i, p.craw());
        worst = std::max<slong>(worst, static_cast<slong>(exps[kX] + exps[kY]));
    }
    return worst;
}

Nature LinearNatureOf(int sT, int sD, int sDisc, bool scalar)
{
    using namespace fp::texts;
    Nature n;
    if (sD < 0) {
        n.type = PointType::Saddle;
        n.reason = "D < 0";
        n.explanation = kRuleSaddle;
        n.index = -1;
        n.sectors = "hhhh";
        return n;
    }
    n.stability = sT < 0 ? Stability::Stable : Stability::Unstable;
    n.index = 1;
    if (sDisc > 0) {
        n.type = PointType::Node;
        n.reason = "D > 0, T^2 - 4D > 0";
        n.explanation = kRuleNode;
        n.sectors = "p";
    } else if (sDisc == 0) {
        n.type = scalar ? PointType::StarNode : PointType::DegenerateNode;
        n.reason = scalar ? "T^2 - 4D = 0, J scalaire" : "T^2 - 4D = 0, J non scalaire";
        n.explanation = scalar ? kRuleStarNode : kRuleDegenerateNode;
        n.sectors = "p";
    } else {
        n.type = PointType::Focus;
        n.reason = "T^2 - 4D < 0, T <> 0";
        n.explanation = kRuleFocus;
        n.sectors = "";
    }
    n.explanation += sT < 0 ? kTraceNegative : kTracePositive;
    return n;
}

} // namespace

std::optional<FixedPointAnalysis> AnalyseAtQuadratic(
    const ParsedSystem& s, const Discussion& d, const CriticalValue& v, const Case& left, const Case& right)
{
    if (fmpz_poly_degree(v.poly.raw()) != 2 || !left.points || !right.points) return std::nullopt;
    for (const Source& src : d.sources) {
        flint::FmpzPoly rem;
        fmpz_poly_rem(rem.raw(), src.poly.raw(), v.poly.raw());
        if (fmpz_poly_is_zero(rem.raw()) && src.event != Event::AtAPoint) return std::nullopt;
    }
    std::set<int> branches;
    for (const Case* c : { &left, &right }) {
        if (!c->points->pointsCertified || c->points->wholePlaneFixed || !c->points->curves.empty())
            return std::nullopt;
        std::set<int> here(c->branch.begin(), c->branch.end());
        if (here.count(-1) || here.size() != c->points->points.size()) return std::nullopt;
        if (c == &left) branches = here;
        if (here != branches) return std::nullopt;
    }
    // alpha = p + q racine(r) from the quadratic c2 a² + c1 a + c0.
    const fmpz* c = v.poly.raw()->coeffs;
    Fmpz disc, t;
    fmpz_mul(disc.raw(), c + 1, c + 1);
    fmpz_mul(t.raw(), c + 2, c);
    fmpz_mul_si(t.raw(), t.raw(), 4);
    fmpz_sub(disc.raw(), disc.raw(), t.raw());
    Fmpq dq;
    fmpq_set_fmpz(dq.raw(), disc.raw());
    const fp::Quadratic root = fp::SqrtOf(dq.raw());
    Fmpz twoA;
    fmpz_mul_si(twoA.raw(), c + 2, 2);
    Quad alpha;
    fmpq_set_fmpz(alpha.p.raw(), c + 1);
    fmpq_neg(alpha.p.raw(), alpha.p.raw());
    fmpq_div_fmpz(alpha.p.raw(), alpha.p.raw(), twoA.raw());
    fmpq_div_fmpz(alpha.q.raw(), root.q.raw(), twoA.raw());
    const Field field(root.r);
    if ((field.Approx(alpha) < fmpq_get_d(alpha.p.raw())) != (v.approx < fmpq_get_d(alpha.p.raw())))
        fmpq_neg(alpha.q.raw(), alpha.q.raw());

    const std::vector<FmpqMpoly> lin = LinearQuantities(s);
    FixedPointAnalysis out;
    out.degree = left.points->degree;
    out.xName = left.points->xName;
    out.yName = left.points->yName;
    out.complexCount = left.points->complexCount;
    for (int b : branches) {
        const RationalBranch& br = d.branches[static_cast<size_t>(b)];
        const auto x = field.At(RationalFunction { br.xNum, br.xDen }, alpha);
        const auto y = field.At(RationalFunction { br.yNum, br.yDen }, alpha);
        if (!x || !y) return std::nullopt;
        std::vector<Quad> q;
        for (const FmpqMpoly& f : lin) {
            const auto value = field.At(AtBranch(f, br), alpha);
            if (!value) return std::nullopt;
            q.push_back(*value);
        }
        const int sT = field.Sign(q[4]), sD = field.Sign(q[5]), sDisc = field.Sign(q[6]);
        const bool linear = DegreeInXY(s.P) <= 1 && DegreeInXY(s.Q) <= 1;
        if (sD == 0 || (sD > 0 && sT == 0 && !linear)) return std::nullopt; // decided by higher order terms
        const bool scalar
            = field.Sign(q[1]) == 0 && field.Sign(q[2]) == 0 && field.Sign(field.Sub(q[0], q[3])) == 0;
        FixedPoint p;
        p.exactness = Exactness::Quadratic;
        p.xJson = field.Text(*x, fp::RootWord::Sqrt);
        p.yJson = field.Text(*y, fp::RootWord::Sqrt);
        p.xText = field.Text(*x, fp::RootWord::Racine);
        p.yText = field.Text(*y, fp::RootWord::Racine);
        p.xApprox = field.Approx(*x);
        p.yApprox = field.Approx(*y);
        for (int i = 0; i < 4; ++i)
            p.jacobianText[i / 2][i % 2] = field.Text(q[static_cast<size_t>(i)], fp::RootWord::Racine);
        p.traceText = field.Text(q[4], fp::RootWord::Racine);
        p.determinantText = field.Text(q[5], fp::RootWord::Racine);
        p.discriminantText = field.Text(q[6], fp::RootWord::Racine);
        p.trace = field.Approx(q[4]);
        p.determinant = field.Approx(q[5]);
        const double dd = field.Approx(q[6]);
        if (sDisc >= 0) {
            const double root2 = sDisc == 0 ? 0.0 : std::sqrt(dd);
            p.eigenText[0] = Decimal((p.trace + root2) / 2);
            p.eigenText[1] = Decimal((p.trace - root2) / 2);
        } else {
            const std::string re = Decimal(p.trace / 2), im = Decimal(std::sqrt(-dd) / 2);
            p.eigenText[0] = re + " + " + im + "i";
            p.eigenText[1] = re + " - " + im + "i";
        }
        p.nature = LinearNatureOf(sT, sD, sDisc, scalar);
        if (sT == 0 && sD > 0) {
            // A linear system: the orbits around the point are ellipses.
            p.nature = Nature {};
            p.nature.linearPart = LinearPart::Imaginary;
            p.nature.type = PointType::Center;
            p.nature.index = 1;
            p.nature.sectors = "";
            p.nature.reason = "T = 0, D > 0, lineaire";
            p.nature.explanation = "système linéaire, T = 0 et D > 0";
        }
        out.points.push_back(std::move(p));
    }
    std::sort(out.points.begin(), out.points.end(), [](const FixedPoint& l, const FixedPoint& r) {
        return l.xApprox != r.xApprox ? l.xApprox < r.xApprox : l.yApprox < r.yApprox;
    });
    return out;
}

} // namespace vindrel::engine::discussion
