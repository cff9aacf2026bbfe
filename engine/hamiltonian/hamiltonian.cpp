#include "engine/hamiltonian/hamiltonian.h"

#include "engine/poly/print.h"

#include <algorithm>
#include <set>
#include <utility>

namespace vindrel::engine {

using flint::Fmpq;
using flint::FmpqMpoly;

FmpqMpoly Derivative(const FmpqMpoly& a, slong var)
{
    FmpqMpoly r(a.ctx());
    fmpq_mpoly_derivative(r.raw(), a.raw(), var, a.craw());
    return r;
}

FmpqMpoly Integral(const FmpqMpoly& a, slong var)
{
    FmpqMpoly r(a.ctx());
    fmpq_mpoly_integral(r.raw(), a.raw(), var, a.craw());
    return r;
}

namespace {

FmpqMpoly Add(const FmpqMpoly& a, const FmpqMpoly& b)
{
    FmpqMpoly r(a.ctx());
    fmpq_mpoly_add(r.raw(), a.raw(), b.raw(), a.craw());
    return r;
}

FmpqMpoly Sub(const FmpqMpoly& a, const FmpqMpoly& b)
{
    FmpqMpoly r(a.ctx());
    fmpq_mpoly_sub(r.raw(), a.raw(), b.raw(), a.craw());
    return r;
}

FmpqMpoly Neg(const FmpqMpoly& a)
{
    FmpqMpoly r(a.ctx());
    fmpq_mpoly_neg(r.raw(), a.raw(), a.craw());
    return r;
}

bool IsZero(const FmpqMpoly& a)
{
    return fmpq_mpoly_is_zero(a.raw(), a.craw());
}

// Integer coprime coefficients, first printed term positive.
FmpqMpoly Normalised(const FmpqMpoly& a)
{
    FmpqMpoly r = a;
    Fmpq content;
    fmpq_mpoly_content(content.raw(), r.raw(), r.craw());
    if (!fmpq_is_zero(content.raw())) fmpq_mpoly_scalar_div_fmpq(r.raw(), r.raw(), content.raw(), r.craw());
    const std::vector<PolyTerm> terms = SortedTerms(r);
    if (!terms.empty() && fmpq_sgn(terms.front().coeff.raw()) < 0) fmpq_mpoly_neg(r.raw(), r.raw(), r.craw());
    return r;
}

// Does `gap` vanish for all x and y? Its coefficients in x and y decide.
ExistenceTest Vanishing(const FmpqMpoly& gap)
{
    ExistenceTest t;
    if (IsZero(gap)) {
        t.existence = Existence::Always;
        return t;
    }
    std::set<std::pair<ulong, ulong>> monomials;
    for (const PolyTerm& term : SortedTerms(gap))
        monomials.insert({ term.exps[0], term.exps[1] });
    const slong vars[2] = { 0, 1 };
    bool contradiction = false;
    for (auto it = monomials.rbegin(); it != monomials.rend(); ++it) {
        const ulong exps[2] = { it->first, it->second };
        FmpqMpoly c(gap.ctx());
        fmpq_mpoly_get_coeff_vars_ui(c.raw(), gap.raw(), vars, exps, 2, gap.craw());
        if (fmpq_mpoly_is_fmpq(c.raw(), c.craw())) {
            contradiction = true;
            continue;
        }
        FmpqMpoly n = Normalised(c);
        const bool seen = std::any_of(t.conditions.begin(), t.conditions.end(),
            [&](const FmpqMpoly& o) { return fmpq_mpoly_equal(o.raw(), n.raw(), n.craw()); });
        if (!seen) t.conditions.push_back(std::move(n));
    }
    if (contradiction) {
        t.existence = Existence::Never;
        t.conditions.clear();
    } else {
        t.existence = Existence::Conditional;
    }
    return t;
}

std::string Name(const ParsedSystem& s, int var)
{
    return std::string(1, var == 0 ? s.xvar : s.yvar);
}

std::string ConstantsList(const ParsedSystem& s)
{
    std::string out;
    for (size_t i = 0; i < s.parameters.size(); ++i) {
        if (i) out += ", ";
        out += s.parameters[i];
    }
    return out;
}

std::string ConditionLines(const ExistenceTest& t)
{
    std::string out;
    for (const FmpqMpoly& c : t.conditions)
        out += "    " + ToReport(c) + " = 0\n";
    return out;
}

} // namespace

FmpqMpoly Divergence(const ParsedSystem& s)
{
    return Add(Derivative(s.P, 0), Derivative(s.Q, 1));
}

long SystemDegree(const ParsedSystem& s)
{
    long d = 0;
    for (const FmpqMpoly* p : { &s.P, &s.Q })
        for (const PolyTerm& t : SortedTerms(*p))
            d = std::max(d, static_cast<long>(t.exps[0] + t.exps[1]));
    return d;
}

HamiltonianAnalysis AnalyseHamiltonian(const ParsedSystem& s)
{
    HamiltonianAnalysis a { Derivative(s.P, 0), Derivative(s.Q, 1), FmpqMpoly(s.ctx), {}, Derivative(s.P, 1),
        Derivative(s.Q, 0), {} };
    a.divergence = Add(a.dPdx, a.dQdy);
    a.hamiltonian = Vanishing(a.divergence);
    if (a.hamiltonian.existence == Existence::Always) {
        // H = I + f(x), I = integral of P in y; -dH/dx = Q gives f'(x) = -Q - dI/dx.
        const FmpqMpoly I = Integral(s.P, 1);
        const FmpqMpoly fprime = Sub(Neg(s.Q), Derivative(I, 0));
        a.hamiltonian.function = Add(I, Integral(fprime, 0));
    }
    a.gradient = Vanishing(Sub(a.dPdy, a.dQdx));
    if (a.gradient.existence == Existence::Always) {
        // V = J + g(y), J = integral of P in x; dV/dy = Q gives g'(y) = Q - dJ/dy.
        const FmpqMpoly J = Integral(s.P, 0);
        const FmpqMpoly gprime = Sub(s.Q, Derivative(J, 1));
        a.gradient.function = Add(J, Integral(gprime, 1));
    }
    return a;
}

std::string HamiltonianReport(const ParsedSystem& s, const HamiltonianAnalysis& a)
{
    const std::string x = Name(s, 0), y = Name(s, 1);
    const std::string xy = "(" + x + "," + y + ")";
    const bool constants = !s.parameters.empty();
    std::string r;
    r += "Recherche d'un hamiltonien et d'un potentiel\n\n";
    r += "Système étudié :\n";
    r += "    d" + x + "/dt = P" + xy + " = " + ToReport(s.P) + "\n";
    r += "    d" + y + "/dt = Q" + xy + " = " + ToReport(s.Q) + "\n";
    if (constants) r += "Constantes littérales : " + ConstantsList(s) + " (traitées comme des symboles).\n";
    r += "Les dérivées sont des dérivées partielles.\n\n";

    // Hamiltonian.
    r += "1. Le système est-il hamiltonien ?\n";
    r += "Convention : d" + x + "/dt = dH/d" + y + " et d" + y + "/dt = -dH/d" + x + ".\n";
    r += "Une telle fonction H existe si et seulement si la divergence est nulle.\n";
    r += "    dP/d" + x + " = " + ToReport(a.dPdx) + "\n";
    r += "    dQ/d" + y + " = " + ToReport(a.dQdy) + "\n";
    r += "    div = dP/d" + x + " + dQ/d" + y + " = " + ToReport(a.divergence) + "\n";
    switch (a.hamiltonian.existence) {
    case Existence::Always: {
        const FmpqMpoly I = Integral(s.P, 1);
        const FmpqMpoly fprime = Sub(Neg(s.Q), Derivative(I, 0));
        if (constants)
            r += "La divergence est nulle pour toutes les valeurs des constantes : le système est "
                 "hamiltonien "
                 "pour toutes les valeurs des constantes.\n";
        else
            r += "La divergence est nulle : le système est hamiltonien.\n";
        r += "Calcul de H :\n";
        r += "  - dH/d" + y + " = P : on intègre P par rapport à " + y + ",\n";
        r += "      H = " + ToReport(I) + " + f(" + x + "), où f ne dépend que de " + x + " ;\n";
        r += "  - -dH/d" + x + " = Q : on dérive par rapport à " + x + " et on compare à Q,\n";
        r += "      f'(" + x + ") = -Q - d(" + ToReport(I) + ")/d" + x + " = " + ToReport(fprime) + "\n";
        r += "      (la divergence étant nulle, " + y + " a bien disparu) ;\n";
        r += "  - on intègre : f(" + x + ") = " + ToReport(Integral(fprime, 0)) + ".\n";
        r += "Hamiltonien (défini à une constante près) :\n";
        r += "    H" + xy + " = " + ToReport(*a.hamiltonian.function) + "\n";
        r += "H est constant le long des trajectoires : elles suivent les courbes de niveau H" + xy
            + " = constante.\n";
        break;
    }
    case Existence::Conditional:
        r += "La divergence dépend des constantes. Elle est nulle pour tous " + x + " et " + y
            + " si et seulement si chacun de ses coefficients en " + x + " et " + y + " est nul :\n";
        r += ConditionLines(a.hamiltonian);
        r += "Le système est hamiltonien si et seulement si ces conditions sont toutes vérifiées.\n";
        break;
    case Existence::Never:
        if (constants)
            r += "Un coefficient de la divergence est un nombre non nul : elle ne s'annule jamais pour tous "
                + x + " et " + y
                + ". Le système n'est jamais hamiltonien, quelles que soient les constantes.\n";
        else
            r += "La divergence n'est pas nulle : le système n'est pas hamiltonien.\n";
        break;
    }

    // Gradient.
    r += "\n2. Le système est-il un système de gradient ?\n";
    r += "Convention : d" + x + "/dt = dV/d" + x + " et d" + y + "/dt = dV/d" + y + ".\n";
    r += "Une telle fonction V existe si et seulement si dP/d" + y + " = dQ/d" + x + ".\n";
    r += "    dP/d" + y + " = " + ToReport(a.dPdy) + "\n";
    r += "    dQ/d" + x + " = " + ToReport(a.dQdx) + "\n";
    switch (a.gradient.existence) {
    case Existence::Always: {
        const FmpqMpoly J = Integral(s.P, 0);
        const FmpqMpoly gprime = Sub(s.Q, Derivative(J, 1));
        r += "Les deux dérivées sont égales : c'est un système de gradient.\n";
        r += "Calcul de V :\n";
        r += "  - dV/d" + x + " = P : on intègre P par rapport à " + x + ",\n";
        r += "      V = " + ToReport(J) + " + g(" + y + "), où g ne dépend que de " + y + " ;\n";
        r += "  - dV/d" + y + " = Q : on dérive par rapport à " + y + " et on compare à Q,\n";
        r += "      g'(" + y + ") = Q - d(" + ToReport(J) + ")/d" + y + " = " + ToReport(gprime) + " ;\n";
        r += "  - on intègre : g(" + y + ") = " + ToReport(Integral(gprime, 1)) + ".\n";
        r += "Potentiel (défini à une constante près) :\n";
        r += "    V" + xy + " = " + ToReport(*a.gradient.function) + "\n";
        r += "V croît le long des trajectoires : un tel système n'a pas d'orbite périodique.\n";
        break;
    }
    case Existence::Conditional:
        r += "Leur différence dépend des constantes ; elle est nulle pour tous " + x + " et " + y
            + " si et seulement si :\n";
        r += ConditionLines(a.gradient);
        r += "C'est un système de gradient si et seulement si ces conditions sont toutes vérifiées.\n";
        break;
    case Existence::Never:
        r += "Les deux dérivées sont différentes : ce n'est pas un système de gradient.\n";
        break;
    }
    return r;
}

std::string HamiltonianReport(const ParsedSystem& s)
{
    return HamiltonianReport(s, AnalyseHamiltonian(s));
}

} // namespace vindrel::engine
