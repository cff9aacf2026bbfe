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

// Which rational branch each point of the case lies on, at the case's value.
void MatchBranches(const std::vector<RationalBranch>& branches, Case& c)
{
    c.branch.clear();
    if (!c.points || !c.sample) return;
    for (const FixedPoint& p : c.points->points) {
        int found = -1;
        Fmpq x, y;
        if (p.exactness == Exactness::Rational && fmpq_set_str(x.raw(), p.xJson.c_str(), 10) == 0
            && fmpq_set_str(y.raw(), p.yJson.c_str(), 10) == 0) {
            fmpq_canonicalise(x.raw());
            fmpq_canonicalise(y.raw());
            for (size_t b = 0; b < branches.size() && found < 0; ++b) {
                const auto bx = ValueAt({ branches[b].xNum, branches[b].xDen }, c.sample->raw());
                const auto by = ValueAt({ branches[b].yNum, branches[b].yDen }, c.sample->raw());
                if (bx && by && fmpq_equal(bx->raw(), x.raw()) && fmpq_equal(by->raw(), y.raw()))
                    found = static_cast<int>(b);
            }
        }
        c.branch.push_back(found);
    }
}

} // namespace

Discussion Discuss(const ParsedSystem& s, const Deadline& deadline)
{
    if (s.parameters.size() != 1) throw std::invalid_argument("discussion : une seule constante");
    Discussion d;
    d.parameter = s.parameters[0];
    d.branches = RationalBranches(s, deadline);
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
    // A rational value like both its neighbours is no boundary.
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
    }
    for (Case& c : cases) {
        if (c.from) c.from = kept[*c.from];
        if (c.to) c.to = kept[*c.to];
        if (c.single) c.at = kept[c.at];
        MatchBranches(d.branches, c);
    }
    d.cases = std::move(cases);
    return d;
}

} // namespace vindrel::engine::discussion
