// The analyses vindrel-analyse runs, one section per result file.
#include "engine/cli/analyse.h"

#include "engine/discussion/discussion.h"
#include "engine/fixedpoints/system.h"
#include "engine/general/system.h"
#include "engine/hamiltonian/hamiltonian.h"
#include "engine/poly/print.h"

#include <memory>
#include <optional>

namespace vindrel::engine {

namespace {

Json Conditions(const ParsedSystem& s, const ExistenceTest& t)
{
    if (s.parameters.empty()) return nullptr;
    Json list = Json::MakeArray();
    if (t.existence == Existence::Never) return list.push("1"); // 1 = 0: no value of the constants works
    for (const auto& c : t.conditions)
        list.push(ToCanonical(c));
    return list;
}

ReportSection HamiltonianSection()
{
    return ReportSection { "quenmar2.pho", "Hamiltonien et potentiel (quenmar2.pho)",
        [](const ParsedSystem& s) { return HamiltonianReport(s); },
        { "divergence", "hamiltonian", "potential", "hamiltonian_conditions" },
        [](const ParsedSystem& s, Json& o) {
            const HamiltonianAnalysis a = AnalyseHamiltonian(s);
            o.set("divergence", ToCanonical(a.divergence));
            o.set(
                "hamiltonian", a.hamiltonian.function ? Json(ToCanonical(*a.hamiltonian.function)) : Json());
            o.set("potential", a.gradient.function ? Json(ToCanonical(*a.gradient.function)) : Json());
            o.set("hamiltonian_conditions", Conditions(s, a.hamiltonian));
        } };
}

// One fixed-point analysis serves durmosk's two files and the general
// analysis.
class FixedPointCache {
public:
    FixedPointCache(const Deadline& deadline, ReportTexts texts)
        : deadline_(deadline)
        , texts_(texts)
    {
    }
    const Deadline& deadline() const { return deadline_; }
    const FixedPointAnalysis& For(const ParsedSystem& s)
    {
        if (system_ != &s || !analysis_) {
            analysis_ = AnalyseSystemFixedPoints(s, deadline_, texts_);
            system_ = &s;
        }
        return *analysis_;
    }
    // With one literal constant, the discussion; null otherwise.
    const discussion::Discussion* DiscussionFor(const ParsedSystem& s)
    {
        if (s.parameters.size() != 1) return nullptr;
        if (discussed_ != &s || !discussion_) {
            discussion_ = discussion::Discuss(s, deadline_);
            discussed_ = &s;
        }
        return &*discussion_;
    }

private:
    Deadline deadline_;
    ReportTexts texts_;
    const ParsedSystem* system_ = nullptr;
    std::optional<FixedPointAnalysis> analysis_;
    const ParsedSystem* discussed_ = nullptr;
    std::optional<discussion::Discussion> discussion_;
};

// The general analysis: brisolt.res, with the "properties" field, and
// tarnel2.res; one analysis serves both.
class GeneralCache {
public:
    explicit GeneralCache(std::shared_ptr<FixedPointCache> points)
        : points_(std::move(points))
    {
    }
    const general::GeneralAnalysis& For(const ParsedSystem& s)
    {
        if (system_ != &s || !analysis_) {
            analysis_ = s.parameters.empty() ? general::AnalyseSystem(s, points_->For(s), points_->deadline())
                                             : general::AnalyseSystem(s, points_->deadline());
            system_ = &s;
        }
        return *analysis_;
    }

private:
    std::shared_ptr<FixedPointCache> points_;
    const ParsedSystem* system_ = nullptr;
    std::optional<general::GeneralAnalysis> analysis_;
};

std::vector<ReportSection> GeneralSections(std::shared_ptr<FixedPointCache> points)
{
    auto cache = std::make_shared<GeneralCache>(points);
    auto texts = [points](const ParsedSystem& s, size_t file) {
        return discussion::KorbastTexts(s, points->DiscussionFor(s), points->deadline())[file];
    };
    ReportSection conclusions { general::kConclusionsFile, "Conclusions (brisolt.res)",
        [cache, texts](const ParsedSystem& s) {
            return s.parameters.empty() ? cache->For(s).reports.conclusions + "\n" : texts(s, 0);
        },
        { "properties", "periodic_orbits" },
        [cache](const ParsedSystem& s, Json& o) {
            o.set("properties", general::PropertiesJson(cache->For(s)));
            o.set("periodic_orbits", general::PeriodicOrbitsJson(cache->For(s)));
        } };
    ReportSection calculations { general::kCalculationsFile, "Calculs explicatifs (tarnel2.res)",
        [cache, texts](const ParsedSystem& s) {
            return s.parameters.empty() ? cache->For(s).reports.calculations + "\n" : texts(s, 1);
        },
        {}, [](const ParsedSystem&, Json&) {} };
    return { conclusions, calculations };
}

void PortraitFields(const Nature& n, Json& o)
{
    o.set("index", n.index ? Json(*n.index) : Json());
    o.set("sectors", n.sectors ? Json(*n.sectors) : Json());
}

Json PointJson(const FixedPoint& p)
{
    Json o = Json::MakeObject();
    o.set("x", p.xJson.empty() ? Json() : Json(p.xJson));
    o.set("y", p.yJson.empty() ? Json() : Json(p.yJson));
    o.set("x_approx", p.xApprox);
    o.set("y_approx", p.yApprox);
    o.set("trace", p.trace);
    o.set("determinant", p.determinant);
    o.set("linear_part", JsonName(p.nature.linearPart));
    o.set("type", JsonName(p.nature.type));
    const char* stability = JsonName(p.nature.stability);
    o.set("stability", stability ? Json(stability) : Json());
    o.set("order", p.nature.order ? Json(*p.nature.order) : Json());
    PortraitFields(p.nature, o);
    return o;
}

void FixedPointFields(const FixedPointAnalysis& a, Json& o)
{
    Json points = Json::MakeArray(), curves = Json::MakeArray(), infinite = Json::MakeArray();
    for (const FixedPoint& p : a.points)
        points.push(PointJson(p));
    for (const FixedCurve& c : a.curves)
        curves.push(c.json);
    for (const InfinitePoint& p : a.infinite) {
        Json d = Json::MakeArray();
        d.push(p.dx);
        d.push(p.dy);
        Json ip = Json::MakeObject();
        ip.set("direction", d);
        ip.set("type", JsonName(p.nature.type));
        const char* stability = JsonName(p.nature.stability);
        ip.set("stability", stability ? Json(stability) : Json());
        const char* opposite = JsonName(p.oppositeStability);
        ip.set("opposite_stability", opposite ? Json(opposite) : Json());
        ip.set("reason", p.nature.reason);
        PortraitFields(p.nature, ip);
        infinite.push(ip);
    }
    const bool certified = a.pointsCertified;
    o.set("fixed_points", a.wholePlaneFixed || !certified ? Json() : points);
    o.set("fixed_curves", certified ? curves : Json());
    o.set("complex_fixed_points", a.wholePlaneFixed || !certified ? Json() : Json(a.complexCount));
    o.set("infinite_points", a.wholePlaneFixed ? Json() : infinite);
    o.set("infinity_line", a.infinity == InfinityKind::LineOfSingularities);
}

// One value of the constant: its exact text and its approximation.
void ValueFields(Json& o, const char* key, const discussion::CriticalValue* v)
{
    o.set(key, v ? Json(v->json) : Json());
    o.set(std::string(key) + "_approx", v ? Json(v->approx) : Json());
}

Json DiscussionJson(const discussion::Discussion& d)
{
    Json cases = Json::MakeArray();
    for (const discussion::Case& c : d.cases) {
        Json o = Json::MakeObject();
        if (c.single) {
            ValueFields(o, "at", &d.values[c.at]);
        } else {
            ValueFields(o, "from", c.from ? &d.values[*c.from] : nullptr);
            ValueFields(o, "to", c.to ? &d.values[*c.to] : nullptr);
            o.set("sample", c.sample ? Json(RationalToCanonical(c.sample->raw())) : Json());
        }
        Json fields = Json::MakeObject();
        if (c.points) FixedPointFields(*c.points, fields);
        for (const char* key : { "fixed_points", "fixed_curves", "complex_fixed_points" }) {
            const Json* v = fields.find(key);
            o.set(key, v ? *v : Json());
        }
        if (!c.points) o.set("reason", discussion::NotStudiedText(d, c));
        cases.push(o);
    }
    Json o = Json::MakeObject();
    o.set("parameter", std::string(1, d.parameter));
    o.set("cases", cases);
    return o;
}

std::vector<ReportSection> FixedPointSections(std::shared_ptr<FixedPointCache> cache)
{
    ReportSection finite { "dovra.res", "Points fixes (dovra.res)",
        [cache](const ParsedSystem& s) {
            return s.parameters.empty() ? DovraReport(cache->For(s))
                                        : discussion::DurmoskTexts(s, cache->DiscussionFor(s))[0];
        },
        { "fixed_points", "fixed_curves", "complex_fixed_points", "infinite_points", "infinity_line", "discussion" },
        [cache](const ParsedSystem& s, Json& o) {
            if (s.parameters.empty()) FixedPointFields(cache->For(s), o);
            if (const discussion::Discussion* d = cache->DiscussionFor(s))
                o.set("discussion", DiscussionJson(*d));
        },
        true };
    ReportSection infinity { "skellin.res", "Points à l'infini (skellin.res)",
        [cache](const ParsedSystem& s) {
            if (!s.parameters.empty()) return discussion::DurmoskTexts(s, cache->DiscussionFor(s))[1];
            const std::string text = SkellinReport(cache->For(s));
            return text.ends_with('\n') ? text : text + "\n"; // the lone 0 has no line end
        },
        {}, [](const ParsedSystem&, Json&) {}, true };
    return { finite, infinity };
}

} // namespace

std::vector<ReportSection> AnalyseSections(const Deadline& deadline, ReportTexts texts)
{
    std::vector<ReportSection> sections { HamiltonianSection() };
    auto points = std::make_shared<FixedPointCache>(deadline, texts);
    for (ReportSection& s : FixedPointSections(points))
        sections.push_back(std::move(s));
    for (ReportSection& s : GeneralSections(points))
        sections.push_back(std::move(s));
    return sections;
}

} // namespace vindrel::engine
