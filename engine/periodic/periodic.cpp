#include "engine/periodic/periodic.h"

#include "engine/periodic/exact.h"
#include "engine/periodic/return_map.h"
#include "engine/periodic/texts.h"

#include "engine/portrait/field.h"

#include <algorithm>
#include <cmath>

namespace vindrel::engine::periodic {

namespace {

// The budget of the numerical search, within the tool's deadline: 2 s up
// to degree 6, then shrinking as the square of the degree (the cost of one
// evaluation of a dense field), 2 s * (6/d)^2: 0.72 s at degree 10, 0.18 s
// at 20. A search cut by it says so (interrupted) and the verdict stays open.
constexpr std::chrono::milliseconds kSearchBudget { 2000 };
constexpr int kFullBudgetUpTo = 6;

std::chrono::milliseconds SearchBudget(int degree)
{
    if (degree <= kFullBudgetUpTo) return kSearchBudget;
    const double share = double(kFullBudgetUpTo * kFullBudgetUpTo) / (double(degree) * degree);
    return std::chrono::milliseconds(static_cast<long>(double(kSearchBudget.count()) * share));
}
// Orbits that go this many times the reach of the half-line away have no
// return: a cycle met within the reach may still swing far out (a Lienard
// system with a cubic restoring force).
constexpr double kEscape = 30;

bool Eligible(const Point& p)
{
    return p.index == 1 && !(p.nature && p.nature->type == PointType::Center);
}

// The direction of the half-line: the one most across the flow near the
// point among eight, the abscissa unless it is much worse.
Vec2 Direction(const portrait::PolynomialField& field, Vec2 p)
{
    double j[4];
    field.Jacobian(p, j);
    auto across = [&](double t) {
        const double c = std::cos(t), s = std::sin(t);
        return std::abs(c * c * j[2] + c * s * (j[3] - j[0]) - s * s * j[1]);
    };
    double best = 0, bestT = 0;
    for (int k = 0; k < 8; ++k) {
        const double t = k * M_PI / 8;
        if (across(t) > best * 1.0000001) {
            best = across(t);
            bestT = t;
        }
    }
    if (across(0) >= 0.5 * best) bestT = 0;
    return { std::cos(bestT), std::sin(bestT) };
}

bool SameCycle(const Cycle& a, const Cycle& b)
{
    const double size = 1 + std::max(a.xMax - a.xMin, a.yMax - a.yMin);
    return std::abs(a.period - b.period) < 1e-6 * a.period && std::abs(a.xMin - b.xMin) < 1e-6 * size
        && std::abs(a.xMax - b.xMax) < 1e-6 * size && std::abs(a.yMin - b.yMin) < 1e-6 * size
        && std::abs(a.yMax - b.yMax) < 1e-6 * size;
}

void NumericalSearch(const Input& in, Study& st, const Deadline& deadline)
{
    const portrait::PolynomialField field(portrait::TermsOf(*in.P), portrait::TermsOf(*in.Q));
    double scale = 1;
    for (const Point& p : in.points) {
        scale = std::max(scale, std::hypot(p.x, p.y));
        for (const Point& q : in.points)
            scale = std::max(scale, std::hypot(p.x - q.x, p.y - q.y));
    }
    const double reach = 4 * scale;
    const auto end = std::chrono::steady_clock::now() + SearchBudget(field.Degree());
    for (size_t i = 0; i < in.points.size(); ++i) {
        if (!Eligible(in.points[i])) continue;
        const Vec2 origin { in.points[i].x, in.points[i].y };
        const Vec2 dir = Direction(field, origin);
        const ReturnMap map(field, origin, dir, kEscape * reach, deadline);
        Search search;
        search.point = int(i);
        search.origin = { origin.x, origin.y };
        search.direction = { dir.x, dir.y };
        if (!map.Transversal()) continue;
        for (Cycle& c : SearchCycles(map, reach, search, end)) {
            ++search.found;
            if (std::any_of(
                    st.cycles.begin(), st.cycles.end(), [&](const Cycle& o) { return SameCycle(o, c); }))
                continue;
            for (size_t j = 0; j < in.points.size(); ++j)
                if (Surrounds(c, { in.points[j].x, in.points[j].y })) c.surrounds.push_back(int(j));
            c.argument = msg::kNumerical;
            st.cycles.push_back(std::move(c));
        }
        st.searches.push_back(std::move(search));
    }
}

// The cycle that Lienard's theorem gives: the one found around its point.
void ApplyLienard(const Input& in, const LienardResult& li, Study& st)
{
    int centre = -1;
    for (size_t i = 0; i < in.points.size(); ++i)
        if (std::abs(in.points[i].x - li.centre.x) < 1e-9 && std::abs(in.points[i].y - li.centre.y) < 1e-9)
            centre = int(i);
    for (Cycle& c : st.cycles)
        if (std::find(c.surrounds.begin(), c.surrounds.end(), centre) != c.surrounds.end()
            && c.stability == li.stability) {
            c.proof = Proof::Proven;
            c.argument = msg::kProvenLienard;
            return;
        }
    Cycle c;
    c.stability = li.stability;
    c.proof = Proof::Proven;
    c.argument = msg::kProvenLienard;
    if (centre >= 0) c.surrounds.push_back(centre);
    st.cycles.push_back(std::move(c));
}

void TableLines(
    const Input& in, const Search& s, const std::vector<Cycle>& cycles, std::vector<std::string>& out)
{
    out.push_back(msg::kTableTitle + in.points[size_t(s.point)].name + msg::kSearchDirection
        + Pair(s.direction) + " (points origine + s direction) :");
    out.push_back(msg::kTableHeader);
    for (const ReturnRow& r : s.table) {
        std::string line = "    " + Decimal(r.s, 6);
        line.resize(std::max<size_t>(line.size() + 1, 17), ' ');
        if (r.image) {
            std::string img = Decimal(*r.image, 8);
            line += img;
            line.resize(std::max<size_t>(line.size() + 1, 32), ' ');
            line += Decimal(*r.image - r.s, 4);
            if (r.reversed) line += msg::kTableReversed;
        } else {
            line += msg::kTableNoReturn;
        }
        out.push_back(line);
    }
    for (size_t k = 0; k < cycles.size(); ++k) {
        const Cycle& c = cycles[k];
        if (c.searchedFrom != s.point || !c.traced) continue;
        const double sx = (c.point.x - s.origin.x) * s.direction.x + (c.point.y - s.origin.y) * s.direction.y;
        out.push_back(msg::kCycle + std::to_string(k + 1) + " : R(s) = s pour s = " + Decimal(sx, 12) + ", "
            + (c.stability == CycleStability::Unstable ? msg::kMultiplierReversed : msg::kMultiplier)
            + Decimal(c.multiplier, 8) + ", " + StabilityWord(c.stability) + ".");
    }
}

} // namespace

Study StudyPeriodicOrbits(const Input& in, const Deadline& deadline)
{
    Study st;
    st.calculations.push_back(msg::kPriorPrefix + in.priorReason);
    if (in.prior == Prior::Impossible) {
        st.verdict = Verdict::None;
        st.reason = in.priorReason;
        return st;
    }
    const bool centre = in.prior == Prior::Centre;
    if (!centre) {
        const RegionResult md = ExcludeByMonomialDulac(in);
        st.calculations.insert(st.calculations.end(), md.calculations.begin(), md.calculations.end());
        if (md.excluded) {
            st.verdict = Verdict::None;
            st.reason = md.reason;
            return st;
        }
        const RegionResult rr = ExcludeByRegions(in, deadline);
        st.calculations.insert(st.calculations.end(), rr.calculations.begin(), rr.calculations.end());
        if (rr.excluded) {
            st.verdict = Verdict::None;
            st.reason = rr.reason;
            return st;
        }
    }
    const LienardResult li = centre ? LienardResult {} : CheckLienard(*in.P, *in.Q);
    if (!centre) {
        st.calculations.push_back(msg::kLienardTitle);
        if (li.calculations.empty()) st.calculations.push_back(msg::kLienardNotForm);
        st.calculations.insert(st.calculations.end(), li.calculations.begin(), li.calculations.end());
    }

    if (in.pointsComplete) NumericalSearch(in, st, deadline);
    std::string proven;
    for (size_t k = 0; k < st.cycles.size(); ++k) {
        Cycle& c = st.cycles[k];
        if (deadline.expired()) break; // the cycles stay as they were found
        const CurveResult cr = FindInvariantCurve(*in.P, *in.Q, c);
        if (!cr.found) continue;
        st.calculations.push_back(msg::kCurveTitle + std::to_string(k + 1) + " :");
        st.calculations.insert(st.calculations.end(), cr.calculations.begin(), cr.calculations.end());
        c.curve = cr.canonical;
        c.curveReport = cr.report;
        if (cr.oval) c.argument = msg::kOnCurvePrefix + cr.report + msg::kOnCurveSuffix;
        if (cr.proven) {
            c.proof = Proof::Proven;
            c.stability = cr.stability;
            c.argument = msg::kProvenCurvePrefix + cr.report + " = 0";
            if (proven.empty()) proven = msg::kWhyProvenCurvePrefix + cr.report + msg::kWhyProvenCurveSuffix;
        }
    }
    if (li.applies) ApplyLienard(in, li, st);
    for (const Search& s : st.searches)
        TableLines(in, s, st.cycles, st.calculations);

    if (centre) {
        st.verdict = Verdict::Centres;
        st.reason = in.priorReason;
    } else if (!st.cycles.empty()) {
        st.verdict = Verdict::LimitCycles;
        st.reason = li.applies ? li.reason
            : !proven.empty()  ? proven
                               : std::string(st.cycles.size() == 1 ? msg::kWhyFound : msg::kWhyFoundMany);
    } else {
        st.verdict = Verdict::Open;
        st.reason = st.searches.empty() ? in.priorReason : std::string(msg::kWhyOpenSearched);
    }
    return st;
}

} // namespace vindrel::engine::periodic
