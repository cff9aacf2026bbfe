// The study as JSON and as the lines of the conclusions.
#include "engine/periodic/exact.h"
#include "engine/periodic/periodic.h"
#include "engine/periodic/texts.h"

#include <algorithm>
#include <cmath>

namespace vindrel::engine::periodic {

namespace {

const char* VerdictName(Verdict v)
{
    switch (v) {
    case Verdict::None:
        return "none";
    case Verdict::Centres:
        return "centres";
    case Verdict::LimitCycles:
        return "limit_cycles";
    case Verdict::Open:
        break;
    }
    return "open";
}

const char* StabilityName(CycleStability s)
{
    switch (s) {
    case CycleStability::Stable:
        return "stable";
    case CycleStability::Unstable:
        return "unstable";
    case CycleStability::SemiStable:
        break;
    }
    return "semi_stable";
}


std::string ErrorText(double e)
{
    // The next power of ten above the bound.
    const int k = int(std::ceil(std::log10(std::max(e, 1e-300))));
    return "1e" + std::to_string(k);
}

} // namespace

std::string StabilityWord(CycleStability s)
{
    switch (s) {
    case CycleStability::Stable:
        return msg::kStable;
    case CycleStability::Unstable:
        return msg::kUnstable;
    case CycleStability::SemiStable:
        break;
    }
    return msg::kSemiStable;
}

std::string Pair(Vec p)
{
    return "(" + Decimal(p.x) + " ; " + Decimal(p.y) + ")";
}

Json StudyJson(const Study& study)
{
    Json o = Json::MakeObject();
    o.set("verdict", VerdictName(study.verdict));
    o.set("reason", study.reason);
    Json cycles = Json::MakeArray();
    for (const Cycle& c : study.cycles) {
        Json j = Json::MakeObject();
        j.set("stability", StabilityName(c.stability));
        j.set("proof", c.proof == Proof::Proven ? "proven" : "numerical");
        j.set("curve", c.curve ? Json(*c.curve) : Json());
        auto num = [&](double v) { return c.traced ? Json(v) : Json(); };
        j.set("period", num(c.period));
        if (c.traced) {
            Json p = Json::MakeArray();
            p.push(c.point.x);
            p.push(c.point.y);
            j.set("point", std::move(p));
        } else {
            j.set("point", nullptr);
        }
        j.set("x_min", num(c.xMin));
        j.set("x_max", num(c.xMax));
        j.set("y_min", num(c.yMin));
        j.set("y_max", num(c.yMax));
        Json s = Json::MakeArray();
        for (int i : c.surrounds)
            s.push(i);
        j.set("surrounds", std::move(s));
        cycles.push(std::move(j));
    }
    o.set("limit_cycles", std::move(cycles));
    return o;
}

std::vector<std::string> ConclusionLines(const Study& study, const std::vector<Point>& points)
{
    std::vector<std::string> out;
    switch (study.verdict) {
    case Verdict::None:
        out.push_back(msg::kVerdictNone + study.reason);
        break;
    case Verdict::Centres:
        out.push_back(msg::kVerdictCentres + study.reason);
        break;
    case Verdict::LimitCycles: {
        const bool proven = std::any_of(study.cycles.begin(), study.cycles.end(),
            [](const Cycle& c) { return c.proof == Proof::Proven; });
        const bool one = study.cycles.size() == 1;
        out.push_back((proven ? (one ? msg::kVerdictCycle : msg::kVerdictCycles)
                              : (one ? msg::kVerdictCycleFound : msg::kVerdictCyclesFound))
            + study.reason);
    } break;
    case Verdict::Open:
        out.push_back(msg::kVerdictOpen + study.reason);
        break;
    }
    for (size_t k = 0; k < study.cycles.size(); ++k) {
        const Cycle& c = study.cycles[k];
        std::string l
            = msg::kCycle + std::to_string(k + 1) + " : " + StabilityWord(c.stability) + ", " + c.argument;
        if (c.traced) {
            l += " ; " + std::string(msg::kPeriod) + Decimal(c.period) + " ; x entre " + Decimal(c.xMin)
                + " et " + Decimal(c.xMax) + ", y entre " + Decimal(c.yMin) + " et " + Decimal(c.yMax) + " ; "
                + msg::kPassesBy + Pair(c.point);
        }
        std::string around;
        for (int i : c.surrounds)
            around += (around.empty() ? "" : ", ") + points[size_t(i)].name;
        if (!around.empty()) l += " ; " + std::string(msg::kSurrounds) + around;
        if (c.traced)
            l += " ; "
                + std::string(
                    c.stability == CycleStability::Unstable ? msg::kErrorPrefixReversed : msg::kErrorPrefix)
                + ErrorText(c.error) + ".";
        else
            l += " ; " + std::string(msg::kNotTraced);
        out.push_back(l);
    }
    for (const Search& s : study.searches) {
        std::string l = msg::kSearchPrefix + points[size_t(s.point)].name + msg::kSearchDirection
            + Pair(s.direction) + msg::kSearchReach + Decimal(s.reach, 6);
        if (s.interrupted) l += msg::kSearchInterrupted;
        if (s.identity) l += msg::kSearchIdentity;
        const int found = s.found;
        l += found == 0 ? std::string(s.interrupted ? msg::kSearchNothingSoFar : msg::kSearchNothing)
                        : " : " + std::to_string(found) + (found == 1 ? " cycle." : " cycles.");
        out.push_back(l);
    }
    return out;
}

} // namespace vindrel::engine::periodic
