// The French reports of the discussion: the conclusions (brisolt.res), the
// calculations (tarnel2.res) and the points case by case (dovra.res).
#include "engine/discussion/internal.h"
#include "engine/discussion/texts.h"

#include "engine/errors.h"
#include "engine/general/general.h"
#include "engine/general/messages.h"
#include "engine/general/system.h"
#include "engine/general/text.h"
#include "engine/poly/print.h"

#include <sstream>

namespace vindrel::engine::discussion {

using flint::Fmpq;
using flint::FmpqMpoly;
using flint::FmpzPoly;

namespace {

constexpr std::chrono::milliseconds kDiscussionBudget { 7000 };

std::string Name(const Discussion& d)
{
    return std::string(1, d.parameter);
}

std::string Count(size_t n)
{
    static const char* const kWords[]
        = { "aucun", "un", "deux", "trois", "quatre", "cinq", "six", "sept", "huit", "neuf" };
    return n < 10 ? kWords[n] : std::to_string(n);
}

std::string List(const std::vector<std::string>& items)
{
    std::string out;
    for (size_t i = 0; i < items.size(); ++i)
        out += (i == 0 ? "" : i + 1 == items.size() ? " et " : ", ") + items[i];
    return out;
}

std::string SampleText(const Case& c)
{
    return c.sample ? general::RationalText(*c.sample) : std::string();
}

std::string PointText(const Discussion& d, const Case& c, size_t i)
{
    const FixedPoint& p = c.points->points[i];
    if (!c.single && i < c.branch.size() && c.branch[i] >= 0)
        return d.branches[static_cast<size_t>(c.branch[i])].text;
    if (p.exactness == Exactness::Decimal)
        return "(" + DecimalFr(p.xApprox, 4) + " ; " + DecimalFr(p.yApprox, 4) + ")";
    return "(" + p.xText + " ; " + p.yText + ")";
}

// Whether the natures of the sample hold on the whole interval: the linear
// part decides, or a weak focus of order 1 on a point whose first Lyapunov
// value is followed.
bool DecidedOnInterval(const Discussion& d, const Case& c)
{
    const FixedPointAnalysis& a = *c.points;
    for (size_t i = 0; i < a.points.size(); ++i) {
        const Nature& n = a.points[i].nature;
        if (n.linearPart == LinearPart::Hyperbolic) continue;
        const bool followed = i < c.branch.size() && c.branch[i] >= 0
            && d.branches[static_cast<size_t>(c.branch[i])].lyapunovTracked;
        if (!(followed && n.type == PointType::WeakFocus && n.order == 1)) return false;
    }
    return true;
}

// "un point fixe, (0 ; 0) : foyer stable", "deux points fixes : ... ; ...".
std::string CaseSentence(const Discussion& d, const Case& c)
{
    if (!c.points) return texts::kNotStudied;
    const FixedPointAnalysis& a = *c.points;
    if (!a.pointsCertified) return texts::kNotCertified;
    if (a.wholePlaneFixed) return texts::kWholePlane;
    const size_t n = a.points.size();
    std::string out = n == 0 ? texts::kNoPoint : n == 1 ? texts::kOnePoint : Count(n) + texts::kPoints;
    bool numeric = false, approximate = false;
    for (size_t i = 0; i < n; ++i) {
        out += (i == 0 ? (n == 1 ? ", " : " : ") : " ; ") + PointText(d, c, i) + " : "
            + general::NatureName(a.points[i].nature);
        numeric = numeric || c.single || i >= c.branch.size() || c.branch[i] < 0;
        approximate = approximate || a.points[i].exactness == Exactness::Decimal;
    }
    for (const FixedCurve& curve : a.curves) {
        out += std::string(" ; ") + texts::kCurve + curve.text + " = 0";
        numeric = true;
    }
    if (a.complexCount > 0) out += " ; " + texts::ComplexPoints(a.complexCount);
    if (numeric && !c.single && (n > 0 || !a.curves.empty())) {
        out += texts::CoordinatesAt(Name(d), SampleText(c), approximate);
    } else if (approximate) {
        out += texts::kApproximate;
    }
    return out;
}

// "Si a < 0", or "Pour toute valeur de a".
std::string Opening(const Discussion& d, const Case& c)
{
    const std::string range = CaseRange(d, c);
    return c.from || c.to || c.single ? texts::kIf + range : range;
}

std::string ValuesLine(const Discussion& d)
{
    if (d.values.empty()) return texts::kNoCriticalValue + Name(d) + ".";
    std::vector<std::string> v;
    for (const CriticalValue& c : d.values)
        v.push_back(c.text);
    bool decimal = false;
    for (const CriticalValue& c : d.values)
        decimal = decimal || fmpz_poly_degree(c.poly.raw()) > 2;
    return texts::kCriticalValues + Name(d) + " : " + List(v) + "." + (decimal ? texts::kDecimalValues : "");
}

// The discussion block of brisolt.res.
std::string ConclusionsBlock(const Discussion& d)
{
    std::ostringstream out;
    out << texts::Title(Name(d)) << '\n' << ValuesLine(d) << '\n' << texts::Why(Name(d)) << '\n' << '\n';
    // A value with the same natures as one of its intervals joins it there:
    // "si -3 < a <= 0" (the other side differs, or the value would be gone).
    const size_t n = d.cases.size();
    std::vector<bool> joined(n, false), closedLeft(n, false), closedRight(n, false);
    for (size_t k = 1; k + 1 < n; k += 2) {
        const auto here = CaseSignature(d.cases[k]);
        if (!here) continue;
        if (here == CaseSignature(d.cases[k - 1])) {
            joined[k] = closedRight[k - 1] = true;
        } else if (here == CaseSignature(d.cases[k + 1])) {
            joined[k] = closedLeft[k + 1] = true;
        }
    }
    for (size_t k = 0; k < n; ++k) {
        const Case& c = d.cases[k];
        if (joined[k]) continue;
        std::string range = CaseRange(d, c);
        if (closedLeft[k] || closedRight[k]) {
            const std::string a = Name(d);
            range = (c.from ? d.values[*c.from].text + (closedLeft[k] ? " <= " : " < ") : "") + a
                + (c.to ? (closedRight[k] ? " <= " : " < ") + d.values[*c.to].text : "");
            if (!c.from) range = a + (closedRight[k] ? " <= " : " < ") + d.values[*c.to].text;
            if (!c.to) range = a + (closedLeft[k] ? " >= " : " > ") + d.values[*c.from].text;
        }
        out << (range.rfind(texts::kEveryValue, 0) == 0 ? range : texts::kIf + range) << " : "
            << CaseSentence(d, c) << ".\n";
        if (!c.single && c.points && !DecidedOnInterval(d, c))
            out << texts::OnlyAtSample(Name(d), SampleText(c)) << '\n';
    }
    return out.str();
}

// An integer polynomial in the constant as a polynomial of the system.
FmpqMpoly InContext(const ParsedSystem& s, const FmpzPoly& p)
{
    FmpqMpoly out(s.ctx);
    std::vector<ulong> exps(static_cast<size_t>(s.ctx->nvars()), 0);
    for (slong i = 0; i <= fmpz_poly_degree(p.raw()); ++i) {
        exps[kA] = static_cast<ulong>(i);
        Fmpq c;
        fmpq_set_fmpz(c.raw(), p.raw()->coeffs + i);
        fmpq_mpoly_set_coeff_fmpq_ui(out.raw(), c.raw(), exps.data(), s.ctx->raw());
    }
    return out;
}

std::string Sign(int s)
{
    return s > 0 ? "+" : s < 0 ? "-" : "0";
}

bool Divides(const CriticalValue& v, const FmpzPoly& f)
{
    if (fmpz_poly_is_zero(f.raw())) return true;
    FmpzPoly r;
    fmpz_poly_rem(r.raw(), f.raw(), v.poly.raw());
    return fmpz_poly_is_zero(r.raw());
}

// The table of signs of the rational functions named in rows.
void SignTable(std::ostringstream& out, const Discussion& d, const std::vector<std::string>& names,
    const std::vector<RationalFunction>& f, const std::vector<CriticalValue>& roots)
{
    std::vector<std::vector<std::string>> rows(names.size() + 1);
    rows[0].push_back(Name(d));
    for (size_t r = 0; r < names.size(); ++r)
        rows[r + 1].push_back(names[r]);
    rows[0].push_back("-infini");
    for (size_t r = 0; r < names.size(); ++r)
        rows[r + 1].push_back("");
    for (size_t k = 0; k <= roots.size(); ++k) {
        const std::optional<Fmpq> lo = k > 0 ? std::optional<Fmpq>(UpperBound(roots[k - 1])) : std::nullopt;
        const std::optional<Fmpq> hi
            = k < roots.size() ? std::optional<Fmpq>(LowerBound(roots[k])) : std::nullopt;
        const Fmpq sample = SimplestBetween(lo, hi);
        rows[0].push_back("");
        std::vector<int> signs;
        for (size_t r = 0; r < f.size(); ++r) {
            const auto v = ValueAt(f[r], sample.raw());
            signs.push_back(v ? fmpq_sgn(v->raw()) : 0);
            rows[r + 1].push_back(Sign(signs.back()));
        }
        if (k == roots.size()) break;
        rows[0].push_back(roots[k].text);
        for (size_t r = 0; r < f.size(); ++r) {
            const bool zero = Divides(roots[k], ToIntegerPoly(f[r].num));
            const bool pole = Divides(roots[k], ToIntegerPoly(f[r].den));
            rows[r + 1].push_back(pole ? texts::kUndefined : zero ? "0" : Sign(signs[r]));
        }
    }
    rows[0].push_back("+infini");
    for (size_t r = 0; r < names.size(); ++r)
        rows[r + 1].push_back("");
    // Widths in characters (UTF-8 continuation bytes do not count).
    const auto shown = [](const std::string& t) {
        size_t n = 0;
        for (unsigned char ch : t)
            n += (ch & 0xC0) != 0x80;
        return n;
    };
    std::vector<size_t> width(rows[0].size(), 0);
    for (const auto& row : rows)
        for (size_t c = 0; c < row.size(); ++c)
            width[c] = std::max(width[c], std::max<size_t>(shown(row[c]), c == 0 ? 0 : 3));
    for (const auto& row : rows) {
        std::string line = "    ";
        for (size_t c = 0; c < row.size(); ++c)
            line += row[c] + std::string(width[c] - shown(row[c]) + 2, ' ');
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out << line << '\n';
    }
}

std::string RootsText(const std::vector<CriticalValue>& roots)
{
    if (roots.empty()) return texts::kNone;
    std::vector<std::string> v;
    for (const CriticalValue& r : roots)
        v.push_back(r.text);
    return List(v);
}

std::string CalculationsBlock(const ParsedSystem& s, const Discussion& d)
{
    std::ostringstream out;
    const std::string a = Name(d);
    const std::vector<FmpqMpoly> lin = LinearQuantities(s);
    out << texts::kCalculationsTitle << '\n';
    out << texts::kJacobian << general::PolyText(lin[0]) << "  " << general::PolyText(lin[1]) << " ; "
        << general::PolyText(lin[2]) << "  " << general::PolyText(lin[3]) << "]\n";
    out << "T = " << general::PolyText(lin[4]) << "\nD = " << general::PolyText(lin[5])
        << "\nT² - 4D = " << general::PolyText(lin[6]) << "\n\n";
    if (d.sources.empty()) {
        out << texts::kNoCandidate << '\n';
    } else {
        out << texts::kCandidates << a << " :\n";
        const Deadline unlimited(std::chrono::hours(1));
        for (const Source& src : d.sources) {
            const std::string poly = general::PolyText(InContext(s, src.poly));
            out << "  - " << src.what << " : " << poly << " ; " << texts::kRoots
                << RootsText(RealRoots({ src.poly }, unlimited)) << '\n';
        }
    }
    out << ValuesLine(d) << "\n\n";
    if (d.branches.empty()) {
        out << texts::kNoRationalPoint << a << ".\n";
    } else {
        out << texts::kRationalPoints << a << " :\n";
        for (const RationalBranch& b : d.branches) {
            out << texts::kPoint << b.text << " :\n";
            const std::vector<std::string> names { "T(" + a + ")", "D(" + a + ")", "T² - 4D" };
            std::vector<RationalFunction> f;
            std::vector<FmpzPoly> polys;
            for (size_t q = 4; q < 7; ++q) {
                f.push_back(AtBranch(lin[q], b));
                polys.push_back(ToIntegerPoly(f.back().num));
                polys.push_back(ToIntegerPoly(f.back().den));
            }
            const Deadline unlimited(std::chrono::hours(1));
            for (size_t q = 0; q < 3; ++q)
                out << "  " << names[q] << " = " << FunctionText(f[q]) << " ; " << texts::kRoots
                    << RootsText(RealRoots({ ToIntegerPoly(f[q].num) }, unlimited)) << '\n';
            out << "  " << texts::kSigns << '\n';
            SignTable(out, d, names, f, RealRoots(polys, unlimited));
        }
    }
    bool others = false;
    for (const Case& c : d.cases)
        for (int b : c.branch)
            others = others || (!c.single && b < 0);
    if (others && !d.branches.empty()) out << texts::kOtherPoints << a << texts::kAtSamples << '\n';
    out << '\n' << texts::kCaseByCase << '\n';
    for (const Case& c : d.cases) {
        out << Opening(d, c);
        if (!c.single && c.sample) out << texts::Example(a, SampleText(c));
        out << " :\n";
        if (!c.points || !c.points->pointsCertified || c.points->wholePlaneFixed
            || c.points->points.empty()) {
            out << "  " << CaseSentence(d, c) << ".\n";
            continue;
        }
        for (const FixedPoint& p : c.points->points)
            out << "  (" << p.xText << " ; " << p.yText << ") : T = " << p.traceText
                << ", D = " << p.determinantText << ", T² - 4D = " << p.discriminantText << " : "
                << general::NatureName(p.nature) << '\n';
    }
    return out.str();
}

std::string Header(const ParsedSystem& s, const std::string& title)
{
    return title + "\n    dx/dt = " + general::PolyText(s.P) + "\n    dy/dt = " + general::PolyText(s.Q)
        + "\n";
}

std::string ParameterNames(const ParsedSystem& s)
{
    std::vector<std::string> names;
    for (char c : s.parameters)
        names.push_back(std::string(1, c));
    return List(names);
}

// Puts the discussion into a report of the general analysis: the notice on
// the constants replaced, the block before the divergence.
std::string Splice(std::string report, const ParsedSystem& s, const std::string& block)
{
    const std::string notice = general::msg::kParametersPrefix + ParameterNames(s) + ".\n"
        + general::msg::kParametersNeedNumbers + "\n";
    if (const size_t at = report.find(notice); at != std::string::npos)
        report.replace(at, notice.size(), texts::OneConstant(std::string(1, s.parameters[0])) + "\n");
    const std::string divergence = "\n" + general::msg::kDivergenceTitle + "\n";
    const size_t at = report.find(divergence);
    if (at == std::string::npos) return report + "\n" + block;
    report.insert(at + 1, block + "\n");
    return report;
}

} // namespace

std::string CaseRange(const Discussion& d, const Case& c)
{
    const std::string a = Name(d);
    if (c.single) return a + " = " + d.values[c.at].text;
    if (!c.from && !c.to) return texts::kEveryValue + a;
    if (!c.from) return a + " < " + d.values[*c.to].text;
    if (!c.to) return a + " > " + d.values[*c.from].text;
    return d.values[*c.from].text + " < " + a + " < " + d.values[*c.to].text;
}

std::string ConclusionsText(const ParsedSystem&, const Discussion& d)
{
    return ConclusionsBlock(d);
}

std::string CalculationsText(const ParsedSystem& s, const Discussion& d)
{
    return CalculationsBlock(s, d);
}

std::string DovraText(const ParsedSystem& s, const Discussion& d)
{
    std::ostringstream out;
    const std::string a = Name(d);
    out << Header(s, texts::DovraHeading(a)) << '\n' << texts::Title(a) << '\n' << ValuesLine(d) << '\n';
    for (const Case& c : d.cases) {
        out << '\n' << Opening(d, c);
        if (!c.single && c.sample) out << texts::Example(a, SampleText(c));
        out << " :\n";
        if (!c.points) {
            out << "  " << texts::kNotStudied << ".\n";
            continue;
        }
        // The report of the fixed points at that value, without its heading.
        std::istringstream body(DovraReport(*c.points));
        std::string line;
        int skipped = 0, point = 0;
        while (std::getline(body, line)) {
            if (skipped < 4) {
                ++skipped;
                continue;
            }
            out << (line.empty() ? "" : "  ") << line << '\n';
            if (line.rfind("Point ", 0) == 0 && !c.single) {
                const size_t i = static_cast<size_t>(point++);
                if (i < c.branch.size() && c.branch[i] >= 0)
                    out << "  " << texts::AsFunction(a) << d.branches[static_cast<size_t>(c.branch[i])].text
                        << '\n';
            }
        }
    }
    return out.str();
}

std::string SkellinText(const ParsedSystem& s)
{
    return texts::InfinityNotDiscussed(std::string(1, s.parameters[0])) + "\n";
}

std::string SeveralConstantsText(const ParsedSystem& s)
{
    return texts::SeveralConstants(ParameterNames(s)) + "\n" + texts::kGiveValues + "\n";
}

std::vector<std::string> KorbastTexts(const ParsedSystem& s, const Discussion* d, const Deadline& deadline)
{
    const general::GeneralAnalysis g = general::AnalyseSystem(s, deadline);
    if (!d) {
        const std::string more = SeveralConstantsText(s);
        std::vector<std::string> out;
        for (std::string t : { g.reports.conclusions, g.reports.calculations }) {
            const std::string see = general::msg::kParametersSeeHamiltonian + "\n";
            const size_t at = t.find(see);
            if (at != std::string::npos) t.insert(at + see.size(), more);
            out.push_back(t + "\n");
        }
        return out;
    }
    return { Splice(g.reports.conclusions, s, ConclusionsBlock(*d)) + "\n",
        Splice(g.reports.calculations, s, CalculationsBlock(s, *d)) + "\n" };
}

std::vector<std::string> DurmoskTexts(const ParsedSystem& s, const Discussion* d)
{
    if (!d) return { SeveralConstantsText(s), SeveralConstantsText(s) };
    return { DovraText(s, *d), SkellinText(s) };
}

} // namespace vindrel::engine::discussion

namespace vindrel::engine::discussion {

std::vector<std::string> KorbastTexts(const ParsedSystem& s)
{
    const Deadline deadline;
    if (s.parameters.size() != 1) return KorbastTexts(s, nullptr, deadline);
    try {
        // Part of the time only, so that the rest of the study is still written.
        const Discussion d = Discuss(s, Deadline(kDiscussionBudget));
        return KorbastTexts(s, &d, deadline);
    } catch (const LimitExceeded&) {
        const general::GeneralAnalysis g = general::AnalyseSystem(s, deadline);
        const std::string block
            = texts::Title(std::string(1, s.parameters[0])) + "\n" + texts::kGaveUp + "\n";
        return { Splice(g.reports.conclusions, s, block) + "\n",
            Splice(g.reports.calculations, s, block) + "\n" };
    }
}

std::vector<std::string> DurmoskTexts(const ParsedSystem& s)
{
    if (s.parameters.size() != 1) return DurmoskTexts(s, nullptr);
    const Discussion d = Discuss(s, Deadline());
    return DurmoskTexts(s, &d);
}

} // namespace vindrel::engine::discussion
