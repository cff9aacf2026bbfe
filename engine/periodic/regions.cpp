// No periodic orbit crosses an invariant line, so each lies in one region
// of the plane cut by the lines, and surrounds only fixed points of that
// region whose indices add up to 1. A region is also free of periodic
// orbits when a Dulac function B = prod |L_k|^a_k gives div(B F) of one
// sign there: div(B F) = B (div F + sum a_k K_k), K_k the cofactor of L_k
// (P dL_k/dx + Q dL_k/dy = K_k L_k); the sign is decided exactly on a cone
// cut by two of the lines (or a half-plane, or the plane) containing it.
#include "engine/periodic/exact.h"
#include "engine/periodic/texts.h"

#include "engine/poly/algebra.h"
#include "engine/poly/print.h"

#include <cmath>
#include <map>
#include <set>

namespace vindrel::engine::periodic {

namespace {

struct Cofactored {
    const Line* line;
    FmpqMpoly L, K;
};

// The sign of a x + b y + c at the point: exact when the coordinates the
// line involves are rational, 0 on the line, 2 when it cannot be told (the
// coordinates of the fixed points are certified far below the margin).
int Side(const Line& l, const Point& p)
{
    const bool xKnown = p.xExact || fmpq_is_zero(l.a.raw()), yKnown = p.yExact || fmpq_is_zero(l.b.raw());
    if (xKnown && yKnown) {
        flint::Fmpq v, t;
        if (p.xExact) fmpq_mul(v.raw(), l.a.raw(), p.xExact->raw());
        if (p.yExact) fmpq_mul(t.raw(), l.b.raw(), p.yExact->raw());
        fmpq_add(v.raw(), v.raw(), t.raw());
        fmpq_add(v.raw(), v.raw(), l.c.raw());
        return fmpq_sgn(v.raw());
    }
    const double a = fmpq_get_d(l.a.raw()), b = fmpq_get_d(l.b.raw()), c = fmpq_get_d(l.c.raw());
    const double v = a * p.x + b * p.y + c;
    const double scale = (std::abs(a) + std::abs(b) + std::abs(c)) * (1 + std::abs(p.x) + std::abs(p.y));
    if (std::abs(v) < 1e-8 * scale) return 2;
    return v > 0 ? 1 : -1;
}

// Every coefficient of one sign: +1 or -1; 0 otherwise. evenSecond: every
// power of the second variable must also be even.
int CoefficientSign(const FmpqMpoly& p, bool evenSecond)
{
    int sign = 0;
    std::vector<slong> e(static_cast<size_t>(p.ctx()->nvars()));
    for (slong k = 0; k < fmpq_mpoly_length(p.raw(), p.craw()); ++k) {
        flint::Fmpq c;
        fmpq_mpoly_get_term_coeff_fmpq(c.raw(), p.raw(), k, p.craw());
        fmpq_mpoly_get_term_exp_si(e.data(), p.raw(), k, p.craw());
        if (evenSecond && e[1] % 2) return 0;
        const int s = fmpq_sgn(c.raw());
        if (sign && s != sign) return 0;
        sign = s;
    }
    return sign;
}

FmpqMpoly Affine(
    const flint::MpolyCtxPtr& ctx, const flint::Fmpq& cu, const flint::Fmpq& cv, const flint::Fmpq& c0)
{
    FmpqMpoly r(ctx), t(ctx);
    fmpq_mpoly_scalar_mul_fmpq(r.raw(), Variable(ctx, 0).raw(), cu.raw(), ctx->raw());
    fmpq_mpoly_scalar_mul_fmpq(t.raw(), Variable(ctx, 1).raw(), cv.raw(), ctx->raw());
    fmpq_mpoly_add(r.raw(), r.raw(), t.raw(), ctx->raw());
    fmpq_mpoly_add_fmpq(r.raw(), r.raw(), c0.raw(), ctx->raw());
    return r;
}

// A change of coordinates that maps the region into {u > 0, v > 0} (cone)
// or {u > 0} (half-plane, v free and even powers asked).
struct Chart {
    FmpqMpoly X, Y; // x and y in terms of the new variables
    bool halfPlane = false;
    std::string where; // French: "x > 0, y > 0"
};

std::string Inequality(const Line& l, int side)
{
    std::string t = l.text.substr(0, l.text.find(" = "));
    return t + (side > 0 ? " > 0" : " < 0");
}

// x, y with s1 L1 = u, s2 L2 = v.
Chart ConeChart(const flint::MpolyCtxPtr& ctx, const Line& l1, int s1, const Line& l2, int s2)
{
    flint::Fmpq det, t, z;
    fmpq_mul(det.raw(), l1.a.raw(), l2.b.raw());
    fmpq_mul(t.raw(), l2.a.raw(), l1.b.raw());
    fmpq_sub(det.raw(), det.raw(), t.raw());
    // x = (b2 (s1 u - c1) - b1 (s2 v - c2)) / det, y = (a1 (s2 v - c2) - a2 (s1 u - c1)) / det
    flint::Fmpq xu, xv, x0, yu, yv, y0, m;
    fmpq_mul_si(xu.raw(), l2.b.raw(), s1);
    fmpq_mul_si(xv.raw(), l1.b.raw(), -s2);
    fmpq_mul(x0.raw(), l1.b.raw(), l2.c.raw());
    fmpq_mul(m.raw(), l2.b.raw(), l1.c.raw());
    fmpq_sub(x0.raw(), x0.raw(), m.raw());
    fmpq_mul_si(yu.raw(), l2.a.raw(), -s1);
    fmpq_mul_si(yv.raw(), l1.a.raw(), s2);
    fmpq_mul(y0.raw(), l2.a.raw(), l1.c.raw());
    fmpq_mul(m.raw(), l1.a.raw(), l2.c.raw());
    fmpq_sub(y0.raw(), y0.raw(), m.raw());
    for (flint::Fmpq* q : { &xu, &xv, &x0, &yu, &yv, &y0 })
        fmpq_div(q->raw(), q->raw(), det.raw());
    Chart c { Affine(ctx, xu, xv, x0), Affine(ctx, yu, yv, y0), false,
        Inequality(l1, s1) + ", " + Inequality(l2, s2) };
    return c;
}

// s L = u, v = y (or x when L does not involve x).
Chart HalfChart(const flint::MpolyCtxPtr& ctx, const Line& l, int s)
{
    flint::Fmpq one, zero, inv, cu, cv, c0;
    fmpq_one(one.raw());
    const bool useX = !fmpq_is_zero(l.a.raw());
    const flint::Fmpq& lead = useX ? l.a : l.b;
    const flint::Fmpq& other = useX ? l.b : l.a;
    fmpq_inv(inv.raw(), lead.raw());
    fmpq_mul_si(cu.raw(), inv.raw(), s);
    fmpq_mul(cv.raw(), other.raw(), inv.raw());
    fmpq_neg(cv.raw(), cv.raw());
    fmpq_mul(c0.raw(), l.c.raw(), inv.raw());
    fmpq_neg(c0.raw(), c0.raw());
    FmpqMpoly solved = Affine(ctx, cu, cv, c0), free = Affine(ctx, zero, one, zero);
    Chart c { useX ? solved : free, useX ? free : solved, true, Inequality(l, s) };
    return c;
}

FmpqMpoly Compose(const FmpqMpoly& p, const Chart& c)
{
    FmpqMpoly r(p.ctx());
    const fmpq_mpoly_struct* subs[2] = { c.X.raw(), c.Y.raw() };
    fmpq_mpoly_compose_fmpq_mpoly(
        r.raw(), p.raw(), const_cast<fmpq_mpoly_struct* const*>(subs), p.craw(), p.craw());
    return r;
}

std::string Exponent(const flint::Fmpq& a)
{
    const std::string t = RationalToReport(a.raw());
    return fmpz_is_one(fmpq_denref(a.raw())) && fmpq_sgn(a.raw()) > 0 ? t : "(" + t + ")";
}

struct Dulac {
    std::string function; // "|x|^(-1) |y|^(-1)"
    std::string product; // div F + sum a_k K_k
    std::string where;
    Sign sign;
};

std::optional<Dulac> FindDulac(const FmpqMpoly& div, const std::vector<Cofactored>& lines,
    const std::vector<int>& sides, const Deadline& deadline)
{
    const auto& ctx = div.ctx();
    std::vector<Chart> charts;
    for (size_t i = 0; i < lines.size(); ++i)
        for (size_t j = i + 1; j < lines.size(); ++j) {
            flint::Fmpq det, t;
            fmpq_mul(det.raw(), lines[i].line->a.raw(), lines[j].line->b.raw());
            fmpq_mul(t.raw(), lines[j].line->a.raw(), lines[i].line->b.raw());
            if (fmpq_equal(det.raw(), t.raw())) continue;
            charts.push_back(ConeChart(ctx, *lines[i].line, sides[i], *lines[j].line, sides[j]));
        }
    for (size_t i = 0; i < lines.size(); ++i)
        charts.push_back(HalfChart(ctx, *lines[i].line, sides[i]));
    // div and each cofactor in every chart: the candidates are their sums.
    std::vector<FmpqMpoly> divIn;
    std::vector<std::vector<FmpqMpoly>> kIn(lines.size());
    for (const Chart& c : charts) {
        divIn.push_back(Compose(div, c));
        for (size_t k = 0; k < lines.size(); ++k)
            kIn[k].push_back(Compose(lines[k].K, c));
    }
    std::vector<std::pair<slong, ulong>> grid;
    if (lines.size() <= 3)
        grid = { { 0, 1 }, { -1, 1 }, { 1, 1 }, { -1, 2 }, { 1, 2 }, { -2, 1 }, { 2, 1 } };
    else if (lines.size() <= 5)
        grid = { { 0, 1 }, { -1, 1 }, { 1, 1 } };
    else
        grid = { { 0, 1 } };
    const size_t n = lines.size();
    size_t total = 1;
    for (size_t k = 0; k < n; ++k)
        total *= grid.size();
    std::vector<flint::Fmpq> alpha(n);
    for (size_t code = 0; code < total; ++code) {
        if (code % 64 == 63) deadline.check();
        size_t rest = code;
        for (size_t k = 0; k < n; ++k) {
            fmpq_set_si(alpha[k].raw(), grid[rest % grid.size()].first, grid[rest % grid.size()].second);
            rest /= grid.size();
        }
        auto combine = [&](const FmpqMpoly& base, auto pick) {
            FmpqMpoly d = base, t(ctx);
            for (size_t k = 0; k < n; ++k) {
                fmpq_mpoly_scalar_mul_fmpq(t.raw(), pick(k).raw(), alpha[k].raw(), ctx->raw());
                fmpq_mpoly_add(d.raw(), d.raw(), t.raw(), ctx->raw());
            }
            return d;
        };
        for (size_t c = 0; c < charts.size(); ++c) {
            const FmpqMpoly d = combine(divIn[c], [&](size_t k) -> const FmpqMpoly& { return kIn[k][c]; });
            const int s = CoefficientSign(d, charts[c].halfPlane);
            if (s == 0) continue;
            Dulac r;
            for (size_t k = 0; k < n; ++k) {
                if (fmpq_is_zero(alpha[k].raw())) continue;
                const std::string t = lines[k].line->text.substr(0, lines[k].line->text.find(" = "));
                r.function
                    += (r.function.empty() ? "" : " ") + std::string("|") + t + "|^" + Exponent(alpha[k]);
            }
            if (r.function.empty()) r.function = "1";
            r.product = ToReport(combine(div, [&](size_t k) -> const FmpqMpoly& { return lines[k].K; }));
            r.where = charts[c].where;
            r.sign = s > 0 ? Sign::Positive : Sign::Negative;
            return r;
        }
    }
    return std::nullopt;
}

// Whether some non-empty subset of the indices adds up to 1.
bool SubsetSumsToOne(const std::vector<int>& indices)
{
    std::set<int> sums;
    for (int i : indices) {
        std::set<int> next = sums;
        next.insert(i);
        for (int s : sums)
            next.insert(s + i);
        sums = std::move(next);
    }
    return sums.count(1) > 0;
}

} // namespace

RegionResult ExcludeByMonomialDulac(const Input& input)
{
    RegionResult out;
    const FmpqMpoly& P = *input.P;
    const FmpqMpoly& Q = *input.Q;
    const auto& ctx = P.ctx();
    for (int i = 0; i <= 2; ++i)
        for (int j = 0; j <= 2; ++j) {
            if (i == 0 && j == 0) continue; // Bendixson, already decided
            FmpqMpoly B(ctx);
            std::vector<ulong> e(static_cast<size_t>(ctx->nvars()));
            e[0] = ulong(i);
            e[1] = ulong(j);
            flint::Fmpq one;
            fmpq_one(one.raw());
            fmpq_mpoly_set_coeff_fmpq_ui(B.raw(), one.raw(), e.data(), ctx->raw());
            const FmpqMpoly D = Add(Derivative(Mul(B, P), 0), Derivative(Mul(B, Q), 1));
            if (IsZero(D)) continue;
            const Sign sign = GlobalSign(D);
            if (sign == Sign::Unknown) continue;
            const std::string b = ToReport(B), d = ToReport(D);
            const char* word = sign == Sign::Positive ? msg::kPositive : msg::kNegative;
            out.excluded = true;
            out.calculations.push_back(
                msg::kMonomialDulac + b + " : div(B F) = " + d + msg::kMonomialDulacSign + word + ".");
            out.reason
                = msg::kWhyMonomialDulac + b + msg::kWhyMonomialDulacMiddle + d + msg::kWhyMonomialDulacEnd;
            return out;
        }
    out.calculations.push_back(msg::kMonomialDulacNone);
    return out;
}

RegionResult ExcludeByRegions(const Input& input, const Deadline& deadline)
{
    RegionResult out;
    if (input.lines.empty() || !input.pointsComplete) return out;
    const FmpqMpoly& P = *input.P;
    const FmpqMpoly& Q = *input.Q;
    const auto& ctx = P.ctx();
    std::vector<Cofactored> lines;
    for (const Line& l : input.lines) {
        FmpqMpoly L(ctx), G(ctx), t(ctx), K(ctx);
        L = Affine(ctx, l.a, l.b, l.c);
        fmpq_mpoly_scalar_mul_fmpq(G.raw(), P.raw(), l.a.raw(), ctx->raw());
        fmpq_mpoly_scalar_mul_fmpq(t.raw(), Q.raw(), l.b.raw(), ctx->raw());
        fmpq_mpoly_add(G.raw(), G.raw(), t.raw(), ctx->raw());
        if (!fmpq_mpoly_divides(K.raw(), G.raw(), L.raw(), ctx->raw())) continue;
        lines.push_back({ &l, std::move(L), std::move(K) });
    }
    if (lines.empty()) return out;
    FmpqMpoly div = Add(Derivative(P, 0), Derivative(Q, 1));

    std::string lineList;
    for (const auto& l : lines)
        lineList += (lineList.empty() ? "" : " ; ") + l.line->text;
    out.calculations.push_back(msg::kRegionsIntro + lineList + ".");
    for (const auto& l : lines)
        out.calculations.push_back(msg::kCofactorPrefix + l.line->text.substr(0, l.line->text.find(" = "))
            + " : K = " + ToReport(l.K) + ".");

    // The points off the lines, by region (the signs of the lines there).
    std::map<std::vector<int>, std::vector<size_t>> regions;
    for (size_t i = 0; i < input.points.size(); ++i) {
        std::vector<int> sides;
        bool onLine = false;
        for (const auto& l : lines) {
            const int s = Side(*l.line, input.points[i]);
            if (s == 2) return out;
            if (s == 0) onLine = true;
            sides.push_back(s);
        }
        if (!onLine) regions[sides].push_back(i);
    }
    std::vector<std::string> why;
    bool all = true;
    for (const auto& [sides, members] : regions) {
        std::string names;
        std::vector<int> indices;
        bool known = true;
        for (size_t i : members) {
            names += (names.empty() ? "" : ", ") + input.points[i].name;
            if (input.points[i].index)
                indices.push_back(*input.points[i].index);
            else
                known = false;
        }
        std::string idx;
        for (int i : indices)
            idx += (idx.empty() ? "" : ", ") + std::string(i > 0 ? "+" : "") + std::to_string(i);
        const std::string region = msg::kRegionOf + names;
        const std::string inReason = msg::kInRegionOf + names;
        const bool byIndex = known && !SubsetSumsToOne(indices);
        const auto dulac = FindDulac(div, lines, sides, deadline);
        if (byIndex) {
            out.calculations.push_back(region + msg::kRegionIndices + idx + msg::kRegionNoSum);
            why.push_back(inReason + msg::kRegionIndicesShort + idx + msg::kRegionNoSumShort);
        }
        if (dulac) {
            out.calculations.push_back(region + " : B = " + dulac->function + ", div(B F) = B ("
                + dulac->product + msg::kDulacOn + dulac->where + msg::kDulacSign
                + (dulac->sign == Sign::Positive ? msg::kPositive : msg::kNegative) + ".");
            if (!byIndex)
                why.push_back(inReason + msg::kDulacWhy + dulac->function + msg::kDulacWhySuffix
                    + (dulac->sign == Sign::Positive ? msg::kPositive : msg::kNegative));
        }
        if (!byIndex && !dulac) {
            all = false;
            out.calculations.push_back(region + msg::kRegionOpen);
        }
    }
    if (!all) return out;
    out.excluded = true;
    std::string list;
    for (const auto& w : why)
        list += (list.empty() ? "" : " ; ") + w;
    out.reason = msg::kWhyRegionsPrefix + lineList + msg::kWhyRegionsMiddle
        + (list.empty() ? msg::kWhyRegionsEmpty : list + msg::kWhyRegionsRest) + ".";
    return out;
}

} // namespace vindrel::engine::periodic
