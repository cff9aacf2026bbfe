// Linear data at rational fixed points, index theory and the verdict on
// periodic orbits.
#include "engine/general/general.h"
#include "engine/general/messages.h"
#include "engine/general/text.h"

#include "engine/blowup/blowup.h"
#include "engine/classify/classify.h"

#include <algorithm>
#include <set>

namespace vindrel::engine::general {

namespace {

// A point that needs blow-ups here has its own budget (the tool's watchdog stays the bound).
constexpr std::chrono::milliseconds kBlowupBudget { 3000 };

Fmpq Evaluate(const FmpqMpoly& p, const Fmpq& x, const Fmpq& y)
{
    std::vector<Fmpq> vals(static_cast<size_t>(p.ctx()->nvars()));
    vals[0] = x;
    vals[1] = y;
    std::vector<fmpq*> ptrs;
    for (auto& v : vals)
        ptrs.push_back(v.raw());
    Fmpq out;
    fmpq_mpoly_evaluate_all_fmpq(out.raw(), p.raw(), ptrs.data(), p.craw());
    return out;
}

// p(x + x0, y + y0).
FmpqMpoly Translate(const FmpqMpoly& p, const Fmpq& x0, const Fmpq& y0)
{
    const auto& ctx = p.ctx();
    std::vector<FmpqMpoly> subs;
    for (slong i = 0; i < ctx->nvars(); ++i) {
        FmpqMpoly g(ctx);
        fmpq_mpoly_gen(g.raw(), i, ctx->raw());
        if (i == 0) fmpq_mpoly_add_fmpq(g.raw(), g.raw(), x0.raw(), ctx->raw());
        if (i == 1) fmpq_mpoly_add_fmpq(g.raw(), g.raw(), y0.raw(), ctx->raw());
        subs.push_back(std::move(g));
    }
    std::vector<fmpq_mpoly_struct*> ptrs;
    for (auto& g : subs)
        ptrs.push_back(g.raw());
    FmpqMpoly out(ctx);
    fmpq_mpoly_compose_fmpq_mpoly(out.raw(), p.raw(), ptrs.data(), ctx->raw(), ctx->raw());
    return out;
}

bool IsZeroText(const std::optional<Fmpq>& exact, const std::string& text)
{
    return exact ? fmpq_is_zero(exact->raw()) : text == "0";
}

} // namespace

LinearVerdict ClassifyLinear(int traceSign, int determinantSign, int discriminantSign, bool scalar, bool zero)
{
    LinearVerdict v;
    const Stability byTrace = traceSign < 0 ? Stability::Stable : Stability::Unstable;
    if (determinantSign < 0) {
        v.type = PointType::Saddle;
    } else if (determinantSign > 0 && traceSign != 0) {
        v.stability = byTrace;
        if (discriminantSign > 0)
            v.type = PointType::Node;
        else if (discriminantSign == 0)
            v.type = scalar ? PointType::StarNode : PointType::DegenerateNode;
        else
            v.type = PointType::Focus;
    } else if (determinantSign > 0) {
        v.part = LinearPart::Imaginary;
    } else if (traceSign != 0) {
        v.part = LinearPart::SemiHyperbolic;
    } else {
        v.part = zero ? LinearPart::Zero : LinearPart::Nilpotent;
    }
    return v;
}

bool PointOnSymmetryAxis(Symmetry s, const FixedPoint& p)
{
    switch (s) {
    case Symmetry::ReverseY:
        return IsZeroText(p.y, p.yText);
    case Symmetry::ReverseX:
        return IsZeroText(p.x, p.xText);
    case Symmetry::Central:
        return false;
    }
    return false;
}

void ProveCentre(const SystemProperties& props, FixedPoint& point)
{
    if (!point.nature || point.nature->linearPart != LinearPart::Imaginary
        || point.nature->type != PointType::Undetermined)
        return;
    Nature& n = *point.nature;
    if (props.hamiltonian) {
        n.type = PointType::Center;
        n.reason = "Hamiltonien";
        n.explanation = msg::kCentreHamiltonian;
        return;
    }
    for (Symmetry s : props.symmetries) {
        if (!PointOnSymmetryAxis(s, point)) continue;
        n.type = PointType::Center;
        n.reason = "reversible";
        n.explanation = msg::kCentreReversiblePrefix + SymmetryText(s) + msg::kCentreReversibleMiddle
            + (s == Symmetry::ReverseY ? "y = 0" : "x = 0") + msg::kCentreReversibleSuffix;
        return;
    }
}

void CompleteRationalPoint(
    const SystemProperties& props, const FmpqMpoly& P, const FmpqMpoly& Q, FixedPoint& point)
{
    if (!point.x || !point.y) return;
    const auto& ctx = P.ctx();
    FmpqMpoly d[4] = { FmpqMpoly(ctx), FmpqMpoly(ctx), FmpqMpoly(ctx), FmpqMpoly(ctx) };
    fmpq_mpoly_derivative(d[0].raw(), P.raw(), 0, ctx->raw());
    fmpq_mpoly_derivative(d[1].raw(), P.raw(), 1, ctx->raw());
    fmpq_mpoly_derivative(d[2].raw(), Q.raw(), 0, ctx->raw());
    fmpq_mpoly_derivative(d[3].raw(), Q.raw(), 1, ctx->raw());
    Fmpq j[4];
    for (int i = 0; i < 4; ++i) {
        j[i] = Evaluate(d[i], *point.x, *point.y);
        point.jacobian[i] = RationalText(j[i]);
    }
    Fmpq T, D, disc, t;
    fmpq_add(T.raw(), j[0].raw(), j[3].raw());
    fmpq_mul(D.raw(), j[0].raw(), j[3].raw());
    fmpq_mul(t.raw(), j[1].raw(), j[2].raw());
    fmpq_sub(D.raw(), D.raw(), t.raw());
    fmpq_mul(disc.raw(), T.raw(), T.raw());
    fmpq_mul_2exp(t.raw(), D.raw(), 2);
    fmpq_sub(disc.raw(), disc.raw(), t.raw());
    point.trace = RationalText(T);
    point.determinant = RationalText(D);
    point.discriminant = RationalText(disc);
    const auto eig = EigenvalueTexts(T.raw(), disc.raw());
    point.eigenvalues = { eig.first, eig.second };
    point.traceSign = fmpq_sgn(T.raw());
    point.determinantSign = fmpq_sgn(D.raw());
    point.discriminantSign = fmpq_sgn(disc.raw());
    point.jacobianScalar
        = fmpq_is_zero(j[1].raw()) && fmpq_is_zero(j[2].raw()) && fmpq_equal(j[0].raw(), j[3].raw());
    point.jacobianZero = point.jacobianScalar && fmpq_is_zero(j[0].raw());
    point.linearKnown = true;
    if (!point.nature || point.nature->type == PointType::Undetermined) {
        const LinearVerdict v = ClassifyLinear(point.traceSign, point.determinantSign, point.discriminantSign,
            point.jacobianScalar, point.jacobianZero);
        if (v.part == LinearPart::Hyperbolic) {
            Nature n;
            n.linearPart = v.part;
            n.type = v.type;
            n.stability = v.stability;
            point.nature = n;
        } else {
            // The local classification works at the origin: move the point there.
            point.nature = ClassifyOriginResolved(
                Translate(P, *point.x, *point.y), Translate(Q, *point.x, *point.y), Deadline(kBlowupBudget));
        }
    }
    ProveCentre(props, point);
}

void SignsFromNature(const Nature& n, double traceApprox, FixedPoint& point)
{
    const int traceSign = traceApprox < 0 ? -1 : 1;
    const int byStability = n.stability == Stability::Stable ? -1 : 1;
    auto set = [&](int t, int d, int disc) {
        point.traceSign = t;
        point.determinantSign = d;
        point.discriminantSign = disc;
    };
    point.jacobianScalar = false;
    point.jacobianZero = false;
    switch (n.linearPart) {
    case LinearPart::Imaginary:
        set(0, 1, -1);
        break;
    case LinearPart::SemiHyperbolic:
        set(traceSign, 0, 1);
        break;
    case LinearPart::Nilpotent:
        set(0, 0, 0);
        break;
    case LinearPart::Zero:
        set(0, 0, 0);
        point.jacobianScalar = point.jacobianZero = true;
        break;
    case LinearPart::Hyperbolic:
        switch (n.type) {
        case PointType::Saddle:
            set(traceApprox == 0 ? 0 : traceSign, -1, 1);
            break;
        case PointType::StarNode:
            set(byStability, 1, 0);
            point.jacobianScalar = true;
            break;
        case PointType::DegenerateNode:
            set(byStability, 1, 0);
            break;
        case PointType::Focus:
            set(byStability, 1, -1);
            break;
        default:
            set(byStability, 1, 1);
            break;
        }
        break;
    }
    point.linearKnown = true;
}

std::optional<int> PointIndex(const Nature& n)
{
    if (n.index) return n.index;
    if (n.linearPart == LinearPart::Imaginary) return 1;
    switch (n.type) {
    case PointType::Saddle:
        return -1;
    case PointType::Node:
    case PointType::StarNode:
    case PointType::DegenerateNode:
    case PointType::Focus:
    case PointType::Center:
    case PointType::WeakFocus:
        return 1;
    case PointType::EllipticSaddle:
        return 1;
    case PointType::SaddleNode:
    case PointType::Cusp:
        return 0;
    case PointType::Degenerate:
    case PointType::Undetermined:
        break;
    }
    return std::nullopt;
}

bool SomeSumIsOne(const std::vector<int>& indices)
{
    std::set<int> sums; // of the non-empty subsets seen so far
    for (int i : indices) {
        std::set<int> next = sums;
        next.insert(i);
        for (int s : sums)
            next.insert(s + i);
        sums = std::move(next);
    }
    return sums.contains(1);
}

namespace {

std::optional<int> IndexOf(const FixedPoint& p)
{
    // A non-degenerate point has the sign of its determinant as index.
    if (p.linearKnown && p.determinantSign != 0) return p.determinantSign;
    if (p.nature) return PointIndex(*p.nature);
    return std::nullopt;
}

std::string PointName(const FixedPoint& p)
{
    return "(" + p.xText + ", " + p.yText + ")";
}

} // namespace

PeriodicVerdict DecidePeriodicOrbits(
    const SystemProperties& props, const std::vector<FixedPoint>& points, PointList list)
{
    using enum PeriodicOrbits;
    if (props.hasParameters) return { Unknown, msg::kWhyParameters };
    if (props.zeroSystem) return { Impossible, msg::kWhyZeroSystem };
    if (props.linear) {
        const bool centre = props.linearType && props.linearType->part == LinearPart::Imaginary;
        return centre ? PeriodicVerdict { Possible, msg::kWhyLinearCentre }
                      : PeriodicVerdict { Impossible, msg::kWhyLinearNoCentre };
    }
    if (props.gradient) return { Impossible, msg::kWhyGradient };
    if (props.divergenceSign == DivergenceSign::NonNegative
        || props.divergenceSign == DivergenceSign::NonPositive)
        return { Impossible, msg::kWhyBendixson };
    for (const auto& p : points)
        if (p.nature && p.nature->type == PointType::Center)
            return { Possible, msg::kWhyCentrePrefix + PointName(p) + msg::kWhyCentreSuffix };
    if (!props.commonFactor && list == PointList::Complete) {
        if (points.empty()) return { Impossible, msg::kWhyNoFixedPoint };
        bool allKnown = true;
        std::vector<int> indices;
        for (const auto& p : points) {
            const auto i = IndexOf(p);
            if (!i)
                allKnown = false;
            else
                indices.push_back(*i);
        }
        if (allKnown && !SomeSumIsOne(indices)) {
            const bool unit = std::all_of(indices.begin(), indices.end(), [](int i) { return i >= -1 && i <= 1; });
            return { Impossible, unit ? msg::kWhyNoIndexOne : msg::kWhyNoIndexSumOne };
        }
    }
    return { Unknown, msg::kWhyOpen };
}

} // namespace vindrel::engine::general
