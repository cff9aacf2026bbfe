#include "engine/poly/print.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

namespace vindrel::engine {

namespace {

enum class Style { Report, Canonical };

// Variable indices in the order they are written inside a monomial:
// literal constants (2, 3, ...) first, then x (0), then y (1).
std::vector<slong> WritingOrder(slong nvars)
{
    std::vector<slong> order;
    for (slong v = 2; v < nvars; ++v)
        order.push_back(v);
    for (slong v = 0; v < std::min<slong>(nvars, 2); ++v)
        order.push_back(v);
    return order;
}

std::string Monomial(const PolyTerm& t, const flint::MpolyCtx& ctx, Style style)
{
    std::string out;
    for (slong v : WritingOrder(ctx.nvars())) {
        const ulong e = t.exps[static_cast<size_t>(v)];
        if (e == 0) continue;
        if (style == Style::Canonical && !out.empty()) out += "*";
        out += ctx.names()[static_cast<size_t>(v)];
        if (e == 1) continue;
        if (style == Style::Report && e == 2)
            out += "\u00B2";
        else
            out += "^" + std::to_string(e);
    }
    return out;
}

std::string Render(const flint::FmpqMpoly& a, Style style)
{
    const std::vector<PolyTerm> terms = SortedTerms(a);
    if (terms.empty()) return "0";
    std::string out;
    flint::Fmpq absval;
    for (size_t i = 0; i < terms.size(); ++i) {
        const PolyTerm& t = terms[i];
        const bool negative = fmpq_sgn(t.coeff.raw()) < 0;
        if (i == 0)
            out += negative ? "-" : "";
        else
            out += negative ? " - " : " + ";
        fmpq_abs(absval.raw(), t.coeff.raw());
        const std::string mono = Monomial(t, *a.ctx(), style);
        const std::string number = RationalToCanonical(absval.raw());
        if (mono.empty()) {
            out += number;
        } else if (fmpq_is_one(absval.raw())) {
            out += mono;
        } else if (style == Style::Canonical) {
            out += number + "*" + mono;
        } else if (fmpz_is_one(fmpq_denref(absval.raw()))) {
            out += number + mono;
        } else {
            out += number + " " + mono;
        }
    }
    return out;
}

} // namespace

std::vector<PolyTerm> SortedTerms(const flint::FmpqMpoly& a)
{
    const slong n = fmpq_mpoly_length(a.raw(), a.craw());
    const slong nvars = a.ctx()->nvars();
    std::vector<PolyTerm> terms(static_cast<size_t>(n));
    for (slong i = 0; i < n; ++i) {
        PolyTerm& t = terms[static_cast<size_t>(i)];
        t.exps.assign(static_cast<size_t>(nvars), 0);
        fmpq_mpoly_get_term_coeff_fmpq(t.coeff.raw(), a.raw(), i, a.craw());
        fmpq_mpoly_get_term_exp_ui(t.exps.data(), a.raw(), i, a.craw());
    }
    std::sort(terms.begin(), terms.end(), [](const PolyTerm& l, const PolyTerm& r) {
        const ulong dl = std::accumulate(l.exps.begin(), l.exps.end(), ulong { 0 });
        const ulong dr = std::accumulate(r.exps.begin(), r.exps.end(), ulong { 0 });
        if (dl != dr) return dl > dr;
        return l.exps > r.exps; // lexicographic on [x, y, constants...]
    });
    return terms;
}

std::string ToReport(const flint::FmpqMpoly& a)
{
    return Render(a, Style::Report);
}
std::string ToCanonical(const flint::FmpqMpoly& a)
{
    return Render(a, Style::Canonical);
}

std::string RationalToCanonical(const fmpq_t q)
{
    return flint::TakeString(fmpq_get_str(nullptr, 10, q));
}
std::string RationalToReport(const fmpq_t q)
{
    return RationalToCanonical(q);
}

std::string DecimalFr(double value, int significantDigits)
{
    if (std::isnan(value)) return "indéfini";
    if (std::isinf(value)) return value > 0 ? "infini" : "-infini";
    if (value == 0.0) return "0";
    significantDigits = std::clamp(significantDigits, 1, 17);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*g", significantDigits, value);
    std::string s = buf;
    // Strip the trailing zeros of the mantissa that %g may leave.
    const auto e = s.find('e');
    std::string mantissa = s.substr(0, e);
    std::string exponent = e == std::string::npos ? "" : s.substr(e);
    if (mantissa.find('.') != std::string::npos) {
        while (!mantissa.empty() && mantissa.back() == '0')
            mantissa.pop_back();
        if (!mantissa.empty() && mantissa.back() == '.') mantissa.pop_back();
    }
    if (!exponent.empty()) {
        // "e-07" -> "e-7", "e+20" -> "e20"
        std::string sign = exponent[1] == '-' ? "-" : "";
        std::string digits = exponent.substr(2);
        digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
        exponent = "e" + sign + digits;
    }
    std::replace(mantissa.begin(), mantissa.end(), '.', ',');
    return mantissa + exponent;
}

} // namespace vindrel::engine
