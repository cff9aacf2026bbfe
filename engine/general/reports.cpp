// The two French reports of the general analysis: the conclusions and the
// explanatory calculations. Lines are separated by '\n'; the result writer
// turns them into CR LF.
#include "engine/classify/classify_texts.h"
#include "engine/general/general.h"
#include "engine/general/messages.h"
#include "engine/general/text.h"

#include <map>
#include <set>
#include <sstream>

namespace vindrel::engine::general {

std::string SymmetryText(Symmetry s)
{
    switch (s) {
    case Symmetry::ReverseY:
        return "(x, y, t) -> (x, -y, -t)";
    case Symmetry::ReverseX:
        return "(x, y, t) -> (-x, y, -t)";
    case Symmetry::Central:
        return "(x, y, t) -> (-x, -y, t)";
    }
    return {};
}

namespace {

std::string StabilityWord(Stability s)
{
    switch (s) {
    case Stability::Stable:
        return " stable";
    case Stability::Unstable:
        return " instable";
    case Stability::None:
        break;
    }
    return {};
}

} // namespace

std::string NatureName(const Nature& n)
{
    const std::string st = StabilityWord(n.stability);
    switch (n.type) {
    case PointType::Saddle:
        return "col";
    case PointType::Node:
        return "noeud" + st;
    case PointType::StarNode:
        return "noeud étoilé" + st;
    case PointType::DegenerateNode:
        return "noeud dégénéré" + st;
    case PointType::Focus:
        return "foyer" + st;
    case PointType::Center:
        return "centre";
    case PointType::WeakFocus: {
        std::string s = "foyer faible";
        if (n.order) s += " d'ordre " + std::to_string(*n.order);
        return s + (st.empty() ? "" : "," + st);
    }
    case PointType::SaddleNode:
        return "col-noeud";
    case PointType::Cusp:
        return "point de rebroussement";
    case PointType::EllipticSaddle:
        return "point à secteur elliptique";
    case PointType::Degenerate:
        return n.sectors ? "point dégénéré (" + classify::texts::SectorWords(*n.sectors) + ")"
                         : "point dégénéré";
    case PointType::Undetermined:
        break;
    }
    switch (n.linearPart) {
    case LinearPart::Imaginary:
        return "centre ou foyer faible (non décidé)";
    case LinearPart::SemiHyperbolic:
        return "point semi-hyperbolique de nature non décidée";
    case LinearPart::Nilpotent:
        return "point nilpotent de nature non décidée";
    case LinearPart::Zero:
        return "point à partie linéaire nulle, de nature non décidée";
    case LinearPart::Hyperbolic:
        break;
    }
    return "nature non décidée";
}

namespace {

class Lines {
public:
    void add(const std::string& s) { out_ << s << '\n'; }
    void blank() { out_ << '\n'; }
    std::string str() const
    {
        std::string s = out_.str();
        while (!s.empty() && s.back() == '\n')
            s.pop_back();
        return s;
    }

private:
    std::ostringstream out_;
};

std::string PointName(const FixedPoint& p)
{
    return "(" + p.xText + ", " + p.yText + ")";
}

// The points as the study of periodic orbits takes them.
std::vector<periodic::Point> OrbitPoints(const std::vector<FixedPoint>& points)
{
    std::vector<periodic::Point> out;
    for (const FixedPoint& p : points) {
        periodic::Point o;
        o.name = PointName(p);
        o.x = p.xApprox;
        o.y = p.yApprox;
        // Each coordinate exactly when it is rational ("0" beside "racine(2)").
        auto exact = [](const std::optional<Fmpq>& q, const std::string& text) -> std::optional<Fmpq> {
            if (q) return q;
            Fmpq v;
            if (fmpq_set_str(v.raw(), text.c_str(), 10) != 0) return std::nullopt;
            fmpq_canonicalise(v.raw());
            return v;
        };
        o.xExact = exact(p.x, p.xText);
        o.yExact = exact(p.y, p.yText);
        if (p.linearKnown && p.determinantSign != 0)
            o.index = p.determinantSign;
        else if (p.nature && p.nature->index)
            o.index = p.nature->index;
        else if (p.nature)
            o.index = PointIndex(*p.nature);
        o.nature = p.nature;
        out.push_back(std::move(o));
    }
    return out;
}

void Header(Lines& l, const std::string& title, const FmpqMpoly& P, const FmpqMpoly& Q, bool named)
{
    l.add(title);
    l.add(std::string("dx/dt = ") + (named ? "P(x, y) = " : "") + PolyText(P));
    l.add(std::string("dy/dt = ") + (named ? "Q(x, y) = " : "") + PolyText(Q));
}

std::vector<std::string> ParameterNames(const FmpqMpoly& P, const FmpqMpoly& Q)
{
    const auto& ctx = P.ctx();
    std::set<slong> used;
    for (const FmpqMpoly* p : { &P, &Q }) {
        std::vector<slong> exps(static_cast<size_t>(ctx->nvars()));
        for (slong i = 0; i < fmpq_mpoly_length(p->raw(), ctx->raw()); ++i) {
            fmpq_mpoly_get_term_exp_si(exps.data(), p->raw(), i, ctx->raw());
            for (size_t v = 2; v < exps.size(); ++v)
                if (exps[v]) used.insert(static_cast<slong>(v));
        }
    }
    std::vector<std::string> names;
    for (slong v : used)
        names.push_back(ctx->names()[static_cast<size_t>(v)]);
    return names;
}

// With literal constants: the divergence vanishes for no value of them when
// some monomial in x and y has a constant non-zero coefficient.
bool DivergenceNeverZero(const FmpqMpoly& P, const FmpqMpoly& Q)
{
    const auto& ctx = P.ctx();
    FmpqMpoly a(ctx), b(ctx);
    fmpq_mpoly_derivative(a.raw(), P.raw(), 0, ctx->raw());
    fmpq_mpoly_derivative(b.raw(), Q.raw(), 1, ctx->raw());
    fmpq_mpoly_add(a.raw(), a.raw(), b.raw(), ctx->raw());
    std::map<std::pair<slong, slong>, std::pair<int, bool>> groups; // terms, constant only
    std::vector<slong> exps(static_cast<size_t>(ctx->nvars()));
    for (slong i = 0; i < fmpq_mpoly_length(a.raw(), ctx->raw()); ++i) {
        fmpq_mpoly_get_term_exp_si(exps.data(), a.raw(), i, ctx->raw());
        bool constant = true;
        for (size_t v = 2; v < exps.size(); ++v)
            if (exps[v]) constant = false;
        auto& g = groups[{ exps[0], exps[1] }];
        g.first += 1;
        g.second = constant;
    }
    for (const auto& [key, g] : groups)
        if (g.first == 1 && g.second) return true;
    return false;
}

GeneralReports ParameterReports(const FmpqMpoly& P, const FmpqMpoly& Q, const SystemProperties& props)
{
    std::string names;
    for (const auto& n : ParameterNames(P, Q))
        names += (names.empty() ? "" : ", ") + n;
    std::string verdict = props.hamiltonian ? msg::kParametersDivZero
        : DivergenceNeverZero(P, Q)         ? msg::kParametersDivNeverZero
                                            : msg::kParametersDivDepends;
    GeneralReports r;
    for (int file = 0; file < 2; ++file) {
        Lines l;
        Header(l, file == 0 ? msg::kConclusionsTitle : msg::kCalculationsTitle, P, Q, file == 1);
        l.blank();
        l.add(msg::kParametersPrefix + names + ".");
        l.add(msg::kParametersNeedNumbers);
        l.add(msg::kParametersSeeHamiltonian);
        l.blank();
        l.add(msg::kDivergenceTitle);
        if (file == 1)
            l.add("div = dP/dx + dQ/dy = " + props.divergenceSum + " = " + props.divergenceText + ".");
        else
            l.add("div = " + props.divergenceText + ".");
        l.add(verdict);
        (file == 0 ? r.conclusions : r.calculations) = l.str();
    }
    return r;
}

std::string BendixsonSentence(DivergenceSign s)
{
    switch (s) {
    case DivergenceSign::Zero:
        return msg::kBendixsonZero;
    case DivergenceSign::NonNegative:
    case DivergenceSign::NonPositive:
        return msg::kBendixsonApplies;
    case DivergenceSign::ChangesSign:
    case DivergenceSign::Unknown:
        break;
    }
    return msg::kBendixsonChanges;
}

std::string LinearTypeText(const LinearVerdict& v)
{
    Nature n;
    n.type = v.type;
    n.stability = v.stability;
    n.linearPart = v.part;
    switch (v.part) {
    case LinearPart::Imaginary:
        return "centre";
    case LinearPart::SemiHyperbolic:
        return "dégénéré (D = 0, T <> 0)";
    case LinearPart::Nilpotent:
        return "dégénéré (D = 0, T = 0)";
    case LinearPart::Zero:
        return "à matrice nulle";
    case LinearPart::Hyperbolic:
        break;
    }
    return NatureName(n);
}

void NatureSection(Lines& l, const SystemProperties& props)
{
    l.add(msg::kNatureTitle);
    l.add(msg::kDegreePrefix + std::to_string(props.degree) + ".");
    if (props.linear)
        l.add(
            msg::kLinear + (props.linearType ? ", de type " + LinearTypeText(*props.linearType) : "") + ".");
    else
        l.add(msg::kNotLinear);
    l.add(props.hamiltonian ? msg::kHamiltonian : msg::kNotHamiltonian);
    l.add(props.gradient ? msg::kGradient : msg::kNotGradient);
    l.add(props.homogeneous ? msg::kHomogeneous : msg::kNotHomogeneous);
    l.add(props.lotkaVolterra ? msg::kLotkaVolterra : msg::kNotLotkaVolterra);
    if (props.symmetries.empty()) l.add(msg::kNoSymmetry);
    for (Symmetry s : props.symmetries)
        l.add(s == Symmetry::Central ? msg::kCentralSymmetry : msg::kSymmetryPrefix + SymmetryText(s) + ".");
    if (props.commonFactor) l.add(msg::kCommonFactorPrefix + *props.commonFactor + msg::kCommonFactorSuffix);
    if (props.isolatedCommonFactor)
        l.add(msg::kCommonFactorPrefix + *props.isolatedCommonFactor + msg::kIsolatedFactorSuffix);
}

std::string IndexText(const FixedPoint& p)
{
    std::optional<int> i;
    if (p.linearKnown && p.determinantSign != 0)
        i = p.determinantSign;
    else if (p.nature)
        i = PointIndex(*p.nature);
    if (!i) return msg::kIndexUnknownValue;
    return "indice " + std::string(*i > 0 ? "+" : "") + std::to_string(*i);
}

void IndexSection(
    Lines& l, const SystemProperties& props, const std::vector<FixedPoint>& points, bool complete)
{
    l.add(msg::kIndexTitle);
    l.add(msg::kIndexRule);
    if (props.commonFactor) {
        l.add(msg::kIndexCurve);
        return;
    }
    if (!complete) {
        l.add(msg::kIndexIncomplete);
        return;
    }
    if (points.empty()) {
        l.add(msg::kIndexNoPoint);
        return;
    }
    bool unknown = false, plusOne = false, unit = true;
    std::vector<int> indices;
    for (const auto& p : points) {
        const std::string t = IndexText(p);
        l.add(PointName(p) + " : " + t + ".");
        if (t == msg::kIndexUnknownValue) unknown = true;
        if (t == "indice +1") plusOne = true;
        if (t != msg::kIndexUnknownValue) {
            indices.push_back(std::stoi(t.substr(t.find(' ') + 1)));
            unit = unit && indices.back() >= -1 && indices.back() <= 1;
        }
    }
    if (plusOne)
        l.add(msg::kIndexAllows);
    else if (unknown)
        l.add(msg::kIndexUnknown);
    else if (unit)
        l.add(msg::kIndexNoPlusOne);
    else
        l.add(SomeSumIsOne(indices) ? msg::kIndexSumOne : msg::kIndexNoSumOne);
}

void LinesSection(Lines& l, const SystemProperties& props)
{
    l.add(msg::kLinesTitle);
    if (!props.linesSearched) {
        l.add(msg::kLinesNotSearched);
        return;
    }
    if (props.invariantLines.empty()) {
        l.add(msg::kLinesNone);
        return;
    }
    std::string all;
    for (const auto& line : props.invariantLines)
        all += (all.empty() ? "" : " ; ") + line.text;
    l.add((props.invariantLines.size() == 1 ? msg::kLinesOne : msg::kLinesMany) + all + ".");
}

std::string Conclusions(const FmpqMpoly& P, const FmpqMpoly& Q, const SystemProperties& props,
    const std::vector<FixedPoint>& points, bool complete, const periodic::Study& orbits)
{
    Lines l;
    Header(l, msg::kConclusionsTitle, P, Q, false);
    l.blank();
    if (props.zeroSystem) {
        l.add(msg::kZeroSystem);
        return l.str();
    }
    NatureSection(l, props);
    l.blank();
    l.add(msg::kPointsTitle);
    if (points.empty())
        l.add(complete ? msg::kNoFixedPoint : msg::kPointsIncomplete);
    else if (points.size() == 1)
        l.add(msg::kOneFixedPoint);
    else
        l.add(msg::kSomeFixedPointsPrefix + std::to_string(points.size()) + msg::kSomeFixedPointsSuffix);
    if (!points.empty() && !complete) l.add(msg::kPointsIncomplete);
    for (const auto& p : points)
        l.add(PointName(p) + " : " + (p.nature ? NatureName(*p.nature) : std::string("nature non décidée"))
            + ".");
    l.blank();
    l.add(msg::kDivergenceTitle);
    l.add("div = " + props.divergenceText + ".");
    l.add(props.divergenceSignReason);
    l.add(BendixsonSentence(props.divergenceSign));
    l.blank();
    IndexSection(l, props, points, complete);
    l.blank();
    LinesSection(l, props);
    l.blank();
    l.add(msg::kPeriodicTitle);
    for (const std::string& line : periodic::ConclusionLines(orbits, OrbitPoints(points)))
        l.add(line);
    return l.str();
}

std::string RuleText(const FixedPoint& p)
{
    const LinearVerdict v = ClassifyLinear(
        p.traceSign, p.determinantSign, p.discriminantSign, p.jacobianScalar, p.jacobianZero);
    switch (v.part) {
    case LinearPart::Imaginary:
        return msg::kRuleImaginary;
    case LinearPart::SemiHyperbolic:
        return msg::kRuleSemiHyperbolic;
    case LinearPart::Nilpotent:
        return msg::kRuleNilpotent;
    case LinearPart::Zero:
        return msg::kRuleZero;
    case LinearPart::Hyperbolic:
        break;
    }
    std::string rule;
    switch (v.type) {
    case PointType::Saddle:
        return msg::kRuleSaddle;
    case PointType::Node:
        rule = msg::kRuleNode;
        break;
    case PointType::StarNode:
        rule = msg::kRuleStarNode;
        break;
    case PointType::DegenerateNode:
        rule = msg::kRuleDegenerateNode;
        break;
    default:
        rule = msg::kRuleFocus;
        break;
    }
    return rule + "\n" + (p.traceSign < 0 ? msg::kRuleStable : msg::kRuleUnstable);
}

// stepwise: the blow-up told step by step, when there is one (the first degenerate point).
void PointCalculations(Lines& l, const FixedPoint& p, bool stepwise)
{
    const std::string name = PointName(p);
    if (!p.linearKnown) {
        l.add(msg::kNoExactData);
    } else {
        l.add("J" + name + " a pour lignes (" + p.jacobian[0] + ", " + p.jacobian[1] + ") et ("
            + p.jacobian[2] + ", " + p.jacobian[3] + ").");
        l.add("Trace : T = " + p.trace + ".");
        l.add("Déterminant : D = " + p.determinant + ".");
        l.add("Discriminant : T² - 4D = " + p.discriminant + ".");
        if (p.eigenvalues.size() == 2) {
            if (p.eigenvalues[0] == p.eigenvalues[1])
                l.add("Valeur propre double : lambda = " + p.eigenvalues[0] + ".");
            else
                l.add("Valeurs propres : lambda1 = " + p.eigenvalues[0] + " et lambda2 = " + p.eigenvalues[1]
                    + ".");
        }
        l.add(RuleText(p));
    }
    if (p.nature) {
        if (stepwise)
            for (const std::string& step : p.nature->steps)
                l.add(step);
        else if (!p.nature->explanation.empty())
            l.add(p.nature->explanation);
        else if (p.nature->type == PointType::Undetermined)
            l.add(msg::kUndecided);
        l.add(msg::kConclusionPrefix + NatureName(*p.nature) + ".");
    }
}

std::string Calculations(const FmpqMpoly& P, const FmpqMpoly& Q, const SystemProperties& props,
    const std::vector<FixedPoint>& points, const periodic::Study& orbits)
{
    Lines l;
    Header(l, msg::kCalculationsTitle, P, Q, true);
    l.blank();
    if (props.zeroSystem) {
        l.add(msg::kZeroSystem);
        return l.str();
    }
    int section = 1;
    l.add(std::to_string(section++) + ". " + msg::kJacobianTitle);
    l.add(msg::kJacobianIntro);
    l.add("dP/dx = " + props.jacobian[0] + " ; dP/dy = " + props.jacobian[1]);
    l.add("dQ/dx = " + props.jacobian[2] + " ; dQ/dy = " + props.jacobian[3]);
    l.add("J(x, y) a pour lignes (" + props.jacobian[0] + ", " + props.jacobian[1] + ") et ("
        + props.jacobian[2] + ", " + props.jacobian[3] + ").");
    bool stepsTold = false;
    for (const auto& p : points) {
        l.blank();
        l.add(std::to_string(section++) + ". " + msg::kPointTitle + PointName(p));
        const bool stepwise = !stepsTold && p.nature && !p.nature->steps.empty();
        PointCalculations(l, p, stepwise);
        stepsTold = stepsTold || stepwise;
    }
    l.blank();
    l.add(std::to_string(section++) + ". " + msg::kDivergenceTitle);
    l.add("div = dP/dx + dQ/dy = " + props.divergenceSum + " = " + props.divergenceText + ".");
    l.add(props.divergenceSignReason);
    l.add(BendixsonSentence(props.divergenceSign));
    l.blank();
    l.add(std::to_string(section++) + ". " + msg::kPeriodicTitle);
    for (const std::string& line : orbits.calculations)
        l.add(line);
    return l.str();
}

} // namespace

GeneralReports WriteReports(const FmpqMpoly& P, const FmpqMpoly& Q, const SystemProperties& props,
    const std::vector<FixedPoint>& points, PointList list, const periodic::Study& orbits)
{
    if (props.hasParameters) return ParameterReports(P, Q, props);
    const bool complete = list == PointList::Complete;
    return { Conclusions(P, Q, props, points, complete, orbits), Calculations(P, Q, props, points, orbits) };
}

periodic::Study StudyOrbits(const FmpqMpoly& P, const FmpqMpoly& Q, const SystemProperties& props,
    const std::vector<FixedPoint>& points, PointList list, const PeriodicVerdict& simple,
    const Deadline& deadline)
{
    if (props.hasParameters) {
        periodic::Study st;
        st.reason = simple.reason;
        return st;
    }
    periodic::Input in;
    in.P = &P;
    in.Q = &Q;
    in.points = OrbitPoints(points);
    in.pointsComplete = list == PointList::Complete && !props.commonFactor;
    in.prior = simple.verdict == PeriodicOrbits::Impossible ? periodic::Prior::Impossible
        : simple.verdict == PeriodicOrbits::Possible        ? periodic::Prior::Centre
                                                            : periodic::Prior::Unknown;
    in.priorReason = simple.reason;
    for (const InvariantLine& line : props.invariantLines) {
        if (line.kind == LineKind::ParallelFamily) {
            // a P + b Q = 0: a x + b y is constant along every orbit.
            if (in.prior == periodic::Prior::Unknown) {
                in.prior = periodic::Prior::Impossible;
                in.priorReason = msg::kWhyLineFamilyPrefix + line.text + msg::kWhyLineFamilySuffix;
            }
            continue;
        }
        in.lines.push_back({ line.a, line.b, line.c, line.text });
    }
    return periodic::StudyPeriodicOrbits(in, deadline);
}

GeneralAnalysis AnalyseGeneral(const FmpqMpoly& P, const FmpqMpoly& Q, std::vector<FixedPoint> points,
    PointList list, const Deadline& deadline)
{
    GeneralAnalysis a;
    a.properties = AnalyseProperties(P, Q, deadline);
    a.points = std::move(points);
    if (!a.properties.hasParameters)
        for (auto& p : a.points) {
            deadline.check();
            if (p.x && p.y)
                CompleteRationalPoint(a.properties, P, Q, p);
            else
                ProveCentre(a.properties, p);
        }
    a.periodic = DecidePeriodicOrbits(a.properties, a.points, list);
    a.orbits = StudyOrbits(P, Q, a.properties, a.points, list, a.periodic, deadline);
    a.reports = WriteReports(P, Q, a.properties, a.points, list, a.orbits);
    return a;
}

} // namespace vindrel::engine::general
