#include "engine/discussion/internal.h"

#include "engine/errors.h"
#include "engine/fixedpoints/system.h"

#include <algorithm>
#include <map>

namespace vindrel::engine::discussion {

using flint::Fmpq;
using flint::FmpqMpoly;

ParsedSystem Substitute(const ParsedSystem& s, const Fmpq& value)
{
    auto ctx = std::make_shared<const flint::MpolyCtx>(
        std::vector<std::string> { s.ctx->names()[0], s.ctx->names()[1] });
    std::vector<FmpqMpoly> images;
    for (slong v = 0; v < s.ctx->nvars(); ++v) {
        FmpqMpoly p(ctx);
        if (v < 2)
            fmpq_mpoly_gen(p.raw(), v, ctx->raw());
        else
            fmpq_mpoly_set_fmpq(p.raw(), value.raw(), ctx->raw());
        images.push_back(std::move(p));
    }
    std::vector<fmpq_mpoly_struct*> c;
    for (auto& i : images)
        c.push_back(i.raw());
    ParsedSystem out { ctx, FmpqMpoly(ctx), FmpqMpoly(ctx), {}, s.xvar, s.yvar };
    if (!fmpq_mpoly_compose_fmpq_mpoly(out.P.raw(), s.P.raw(), c.data(), s.ctx->raw(), ctx->raw())
        || !fmpq_mpoly_compose_fmpq_mpoly(out.Q.raw(), s.Q.raw(), c.data(), s.ctx->raw(), ctx->raw()))
        throw LimitExceeded("La discussion selon la constante demande des calculs trop lourds ici.");
    return out;
}

std::optional<std::string> CaseSignature(const Case& c)
{
    if (!c.points || !c.points->pointsCertified) return std::nullopt;
    if (c.points->wholePlaneFixed) return std::string("plan");
    std::vector<std::string> natures;
    for (const FixedPoint& p : c.points->points) {
        const Nature& n = p.nature;
        const char* st = JsonName(n.stability);
        natures.push_back(std::string(JsonName(n.linearPart)) + "/" + JsonName(n.type) + "/" + (st ? st : "-")
            + "/" + (n.order ? std::to_string(*n.order) : "-"));
    }
    std::sort(natures.begin(), natures.end());
    std::string out = "courbes " + std::to_string(c.points->curves.size());
    for (const auto& n : natures)
        out += ";" + n;
    return out;
}

namespace {

FixedPointAnalysis AnalyseAt(const ParsedSystem& s, const Fmpq& value, const Deadline& deadline)
{
    FixedPointAnalysis a = AnalyseSystemFixedPoints(Substitute(s, value), deadline);
    deadline.check();
    return a;
}

void SampleInterval(
    const ParsedSystem& s, const std::vector<CriticalValue>& values, Case& c, const Deadline& deadline)
{
    const std::optional<Fmpq> lo = c.from ? std::optional<Fmpq>(UpperBound(values[*c.from])) : std::nullopt;
    const std::optional<Fmpq> hi = c.to ? std::optional<Fmpq>(LowerBound(values[*c.to])) : std::nullopt;
    const Fmpq sample = SimplestBetween(lo, hi);
    if (c.sample && fmpq_equal(c.sample->raw(), sample.raw()) && c.points) return;
    c.sample = sample;
    c.points = AnalyseAt(s, sample, deadline);
}

std::optional<Fmpq> Evaluate(const FmpqMpoly& num, const FmpqMpoly& den, const Fmpq& at)
{
    return ValueAt({ num, den }, at.raw());
}

// Whether the certified box [lo, hi] lies above (1) or below (-1) v; 0 if it holds v.
int Side(const double box[2], const Fmpq& v)
{
    flint::Arf lo, hi;
    arf_set_d(lo.raw(), box[0]);
    arf_set_d(hi.raw(), box[1]);
    Fmpq l, h;
    arf_get_fmpq(l.raw(), lo.raw());
    arf_get_fmpq(h.raw(), hi.raw());
    if (fmpq_cmp(l.raw(), v.raw()) > 0) return 1;
    if (fmpq_cmp(h.raw(), v.raw()) < 0) return -1;
    return 0;
}

// Which branch each point lies on at the case's value, and its coordinates
// as functions of a.
void MatchBranches(const Discussion& d, Case& c)
{
    c.branch.clear();
    c.asFunction.clear();
    if (!c.points || !c.sample) return;
    for (const FixedPoint& p : c.points->points) {
        int found = -1;
        std::string text;
        Fmpq x, y;
        const bool yRational = fmpq_set_str(y.raw(), p.yJson.c_str(), 10) == 0 && !p.yJson.empty();
        if (yRational) fmpq_canonicalise(y.raw());
        if (yRational && p.exactness == Exactness::Rational
            && fmpq_set_str(x.raw(), p.xJson.c_str(), 10) == 0) {
            fmpq_canonicalise(x.raw());
            for (size_t b = 0; b < d.branches.size() && found < 0; ++b) {
                const RationalBranch& br = d.branches[b];
                const auto bx = Evaluate(br.xNum, br.xDen, *c.sample),
                           by = Evaluate(br.yNum, br.yDen, *c.sample);
                if (bx && by && fmpq_equal(bx->raw(), x.raw()) && fmpq_equal(by->raw(), y.raw())) {
                    found = static_cast<int>(b);
                    text = br.text;
                }
            }
        }
        for (size_t b = 0; yRational && text.empty() && b < d.quadratic.size(); ++b) {
            const QuadraticBranch& q = d.quadratic[b];
            const auto by = Evaluate(q.yNum, q.yDen, *c.sample),
                       mid = Evaluate(q.midNum, q.midDen, *c.sample),
                       rad = Evaluate(q.radNum, q.radDen, *c.sample);
            if (!by || !mid || !rad || !fmpq_equal(by->raw(), y.raw()) || fmpq_sgn(rad->raw()) <= 0) continue;
            // x is a root of the quadratic at the sample: the side of mid tells which one.
            Fmpq dx, sq;
            fmpq_sub(dx.raw(), x.raw(), mid->raw());
            fmpq_mul(sq.raw(), dx.raw(), dx.raw());
            const int side = p.exactness == Exactness::Rational
                ? (fmpq_equal(sq.raw(), rad->raw()) ? fmpq_sgn(dx.raw()) : 0)
                : Side(p.xBox, *mid);
            if (side != 0 && p.exactness != Exactness::Rational) {
                // The box holds a root of the quadratic only if it holds mid + side * racine(rad):
                // checked through the square of the distance to mid.
                flint::Arb lo, hi, m;
                arb_set_d(lo.raw(), p.xBox[0]);
                arb_set_d(hi.raw(), p.xBox[1]);
                arb_set_fmpq(m.raw(), mid->raw(), 64);
                arb_sub(lo.raw(), lo.raw(), m.raw(), 64);
                arb_sub(hi.raw(), hi.raw(), m.raw(), 64);
                arb_mul(lo.raw(), lo.raw(), lo.raw(), 64);
                arb_mul(hi.raw(), hi.raw(), hi.raw(), 64);
                flint::Arb r;
                arb_set_fmpq(r.raw(), rad->raw(), 64);
                const bool between = side > 0 ? arb_le(lo.raw(), r.raw()) && arb_ge(hi.raw(), r.raw())
                                              : arb_ge(lo.raw(), r.raw()) && arb_le(hi.raw(), r.raw());
                if (!between) continue;
            }
            if (side != 0) text = q.text[side > 0 ? 1 : 0];
        }
        c.branch.push_back(found);
        c.asFunction.push_back(c.single ? std::string() : text);
    }
}

// A value like both its neighbours is no boundary.
void MergeEqualCases(const ParsedSystem& s, const std::vector<CriticalValue>& values,
    std::vector<Case>& cases, const Deadline& deadline)
{
    for (size_t i = 1; i + 1 < cases.size();) {
        const auto here = CaseSignature(cases[i]);
        if (here && here == CaseSignature(cases[i - 1]) && here == CaseSignature(cases[i + 1])) {
            cases[i - 1].to = cases[i + 1].to;
            cases.erase(cases.begin() + static_cast<long>(i), cases.begin() + static_cast<long>(i) + 2);
            SampleInterval(s, values, cases[i - 1], deadline);
        } else {
            i += 2;
        }
    }
}

} // namespace

Discussion Discuss(const ParsedSystem& s, const Deadline& deadline)
{
    if (s.parameters.size() != 1) throw std::invalid_argument("discussion : une seule constante");
    Discussion d;
    d.parameter = s.parameters[0];
    d.branches = RationalBranches(s, deadline);
    d.quadratic = QuadraticBranches(s, deadline);
    AddLyapunovSources(s, d.branches, d.sources);
    std::vector<CriticalValue> values = CandidateValues(s, d.sources, deadline);

    std::vector<Case> cases;
    for (size_t i = 0; i <= values.size(); ++i) {
        Case interval;
        if (i > 0) interval.from = i - 1;
        if (i < values.size()) interval.to = i;
        SampleInterval(s, values, interval, deadline);
        cases.push_back(std::move(interval));
        if (i == values.size()) break;
        Case at;
        at.single = true;
        at.at = i;
        if (values[i].exact) {
            at.sample = *values[i].exact;
            at.points = AnalyseAt(s, *at.sample, deadline);
        }
        cases.push_back(std::move(at));
    }
    MergeEqualCases(s, values, cases, deadline);
    // Quadratic irrational values, where the points are those of rational branches.
    for (size_t i = 1; i + 1 < cases.size(); i += 2) {
        if (cases[i].points) continue;
        MatchBranches(d, cases[i - 1]);
        MatchBranches(d, cases[i + 1]);
        cases[i].points = AnalyseAtQuadratic(s, d, values[cases[i].at], cases[i - 1], cases[i + 1]);
    }
    MergeEqualCases(s, values, cases, deadline);
    // Keep the values that remain, renumbered.
    std::map<size_t, size_t> kept;
    for (Case& c : cases) {
        for (std::optional<size_t>* end : { &c.from, &c.to })
            if (*end) kept.emplace(**end, 0);
        if (c.single) kept.emplace(c.at, 0);
    }
    for (auto& [old, now] : kept) {
        now = d.values.size();
        d.values.push_back(std::move(values[old]));
        CriticalValue& v = d.values.back();
        for (const Source& src : d.sources) {
            flint::FmpzPoly r;
            fmpz_poly_rem(r.raw(), src.poly.raw(), v.poly.raw());
            if (fmpz_poly_is_zero(r.raw())) v.events.push_back(src.what);
        }
    }
    for (Case& c : cases) {
        if (c.from) c.from = kept[*c.from];
        if (c.to) c.to = kept[*c.to];
        if (c.single) c.at = kept[c.at];
        MatchBranches(d, c);
    }
    d.cases = std::move(cases);
    return d;
}

} // namespace vindrel::engine::discussion
