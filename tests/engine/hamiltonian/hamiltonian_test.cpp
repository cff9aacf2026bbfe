#include "engine/hamiltonian/hamiltonian.h"
#include "engine/poly/print.h"
#include "engine/report/dos.h"

#include <gtest/gtest.h>

#include <random>

namespace vindrel::engine {
namespace {

using flint::FmpqMpoly;

bool Equal(const FmpqMpoly& a, const FmpqMpoly& b)
{
    return fmpq_mpoly_equal(a.raw(), b.raw(), a.craw());
}

FmpqMpoly Neg(const FmpqMpoly& a)
{
    FmpqMpoly r(a.ctx());
    fmpq_mpoly_neg(r.raw(), a.raw(), a.craw());
    return r;
}

// dH/dy = P and -dH/dx = Q.
void ExpectHamiltonianOf(const ParsedSystem& s, const FmpqMpoly& H)
{
    EXPECT_TRUE(Equal(Derivative(H, 1), s.P)) << "H = " << ToCanonical(H);
    EXPECT_TRUE(Equal(Neg(Derivative(H, 0)), s.Q)) << "H = " << ToCanonical(H);
}

// dV/dx = P and dV/dy = Q.
void ExpectPotentialOf(const ParsedSystem& s, const FmpqMpoly& V)
{
    EXPECT_TRUE(Equal(Derivative(V, 0), s.P)) << "V = " << ToCanonical(V);
    EXPECT_TRUE(Equal(Derivative(V, 1), s.Q)) << "V = " << ToCanonical(V);
}

struct ClassicCase {
    const char* name;
    const char* p;
    const char* q;
    bool hamiltonian;
    bool gradient;
};

class Classic : public ::testing::TestWithParam<ClassicCase> { };

TEST_P(Classic, VerdictsAndFunctionsCheckByDifferentiation)
{
    const ClassicCase& c = GetParam();
    const ParsedSystem s = ParseSystem(c.p, c.q);
    const HamiltonianAnalysis a = AnalyseHamiltonian(s);
    EXPECT_EQ(a.hamiltonian.existence, c.hamiltonian ? Existence::Always : Existence::Never);
    EXPECT_EQ(a.gradient.existence, c.gradient ? Existence::Always : Existence::Never);
    EXPECT_EQ(a.hamiltonian.function.has_value(), c.hamiltonian);
    EXPECT_EQ(a.gradient.function.has_value(), c.gradient);
    if (a.hamiltonian.function) ExpectHamiltonianOf(s, *a.hamiltonian.function);
    if (a.gradient.function) ExpectPotentialOf(s, *a.gradient.function);
    EXPECT_TRUE(IsDecodable(HamiltonianReport(s, a)));
}

INSTANTIATE_TEST_SUITE_P(Systems, Classic,
    ::testing::Values(ClassicCase { "Center", "y", "-x", true, false },
        ClassicCase { "Duffing", "y", "x-x^3", true, false },
        ClassicCase { "Pendulum2", "y", "-x+x^2", true, false },
        ClassicCase { "LotkaVolterra", "x-xy", "xy-y", false, false },
        ClassicCase { "VanDerPol", "y", "-x+(1-x^2)y", false, false },
        ClassicCase { "Saddle", "x", "-y", true, true },
        ClassicCase { "GradientOnly", "2x", "2y", false, true },
        ClassicCase { "IntegrateP", "x^2-1", "0", false, true }, ClassicCase { "Zero", "0", "0", true, true },
        ClassicCase { "CubicHamiltonian", "3y^2+2xy", "-y^2-3x^2", true, false }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Hamiltonian, DuffingGivesTheExpectedH)
{
    const ParsedSystem s = ParseSystem("y", "x-x^3");
    const HamiltonianAnalysis a = AnalyseHamiltonian(s);
    ASSERT_TRUE(a.hamiltonian.function);
    EXPECT_EQ(ToCanonical(*a.hamiltonian.function), "1/4*x^4 - 1/2*x^2 + 1/2*y^2");
    EXPECT_EQ(ToCanonical(a.divergence), "0");
}

TEST(Gradient, PofXAndZeroIntegratesP)
{
    const ParsedSystem s = ParseSystem("3x^2-1", "0");
    const HamiltonianAnalysis a = AnalyseHamiltonian(s);
    ASSERT_TRUE(a.gradient.function);
    EXPECT_EQ(ToCanonical(*a.gradient.function), "x^3 - x");
}

struct ConstantsCase {
    const char* p;
    const char* q;
    Existence existence;
    std::vector<std::string> conditions;
};

class WithConstants : public ::testing::TestWithParam<ConstantsCase> { };

TEST_P(WithConstants, ConditionsOnTheConstants)
{
    const ConstantsCase& c = GetParam();
    const ParsedSystem s = ParseSystem(c.p, c.q);
    const HamiltonianAnalysis a = AnalyseHamiltonian(s);
    EXPECT_EQ(a.hamiltonian.existence, c.existence);
    std::vector<std::string> got;
    for (const auto& cond : a.hamiltonian.conditions)
        got.push_back(ToCanonical(cond));
    EXPECT_EQ(got, c.conditions);
    if (a.hamiltonian.function) ExpectHamiltonianOf(s, *a.hamiltonian.function);
    EXPECT_TRUE(IsDecodable(HamiltonianReport(s, a)));
}

INSTANTIATE_TEST_SUITE_P(Systems, WithConstants,
    ::testing::Values(ConstantsCase { "-a", "-2abx-b", Existence::Always, {} },
        ConstantsCase { "ax+y", "bx-y", Existence::Conditional, { "a - 1" } },
        ConstantsCase { "2ax+by", "-2bx^2y+cy", Existence::Conditional, { "b", "2*a + c" } },
        ConstantsCase { "ax^2+x", "-2axy", Existence::Never, {} },
        ConstantsCase { "a*x+b*x", "-2b*y", Existence::Conditional, { "a - b" } }));

TEST(Hamiltonian, ConditionalCaseHasNoFunction)
{
    const HamiltonianAnalysis a = AnalyseHamiltonian(ParseSystem("ax+y", "bx-y"));
    EXPECT_FALSE(a.hamiltonian.function);
}

TEST(Hamiltonian, ConstantsHamiltonianForAllValues)
{
    const ParsedSystem s = ParseSystem("-a", "-2abx-b");
    const HamiltonianAnalysis a = AnalyseHamiltonian(s);
    ASSERT_TRUE(a.hamiltonian.function);
    EXPECT_EQ(ToCanonical(*a.hamiltonian.function), "a*b*x^2 + b*x - a*y");
}

// Random polynomials over small rationals, x, y and one constant.
class RandomPoly {
public:
    explicit RandomPoly(unsigned seed)
        : rng_(seed)
    {
    }
    std::string Make(int degree)
    {
        std::string out;
        for (int i = 0; i <= degree; ++i)
            for (int j = 0; i + j <= degree; ++j) {
                const int num = static_cast<int>(rng_() % 11) - 5;
                if (num == 0) continue;
                out += (num < 0 ? "-" : "+") + std::to_string(std::abs(num)) + "/"
                    + std::to_string(1 + rng_() % 3) + "*x^" + std::to_string(i) + "*y^" + std::to_string(j);
            }
        return out.empty() ? "0" : out;
    }

private:
    std::mt19937 rng_;
};

// From a random H: (dH/dy, -dH/dx) is Hamiltonian and H is found again up to
// a constant; perturbing Q by a term in y breaks it.
TEST(Hamiltonian, RandomSystemsBuiltFromAKnownH)
{
    RandomPoly gen(12345);
    for (int trial = 0; trial < 40; ++trial) {
        const ParsedSystem h = ParseSystem(gen.Make(1 + trial % 5), "0");
        const std::string p = ToCanonical(Derivative(h.P, 1));
        const std::string q = ToCanonical(Neg(Derivative(h.P, 0)));
        const ParsedSystem s = ParseSystem(p, q);
        const HamiltonianAnalysis a = AnalyseHamiltonian(s);
        ASSERT_EQ(a.hamiltonian.existence, Existence::Always) << p << " / " << q;
        ExpectHamiltonianOf(s, *a.hamiltonian.function);

        const ParsedSystem broken = ParseSystem(p, q + " + 3/7*y");
        EXPECT_EQ(AnalyseHamiltonian(broken).hamiltonian.existence, Existence::Never) << p << " / " << q;
    }
}

TEST(Gradient, RandomSystemsBuiltFromAKnownV)
{
    RandomPoly gen(777);
    for (int trial = 0; trial < 40; ++trial) {
        const ParsedSystem v = ParseSystem(gen.Make(1 + trial % 5), "0");
        const std::string p = ToCanonical(Derivative(v.P, 0));
        const std::string q = ToCanonical(Derivative(v.P, 1));
        const ParsedSystem s = ParseSystem(p, q);
        const HamiltonianAnalysis a = AnalyseHamiltonian(s);
        ASSERT_EQ(a.gradient.existence, Existence::Always) << p << " / " << q;
        ExpectPotentialOf(s, *a.gradient.function);
        EXPECT_EQ(AnalyseHamiltonian(ParseSystem(p + " + x*y", q)).gradient.existence, Existence::Never);
    }
}

TEST(SystemDegree, CountsOnlyTheVariables)
{
    EXPECT_EQ(SystemDegree(ParseSystem("a^3*x", "y^2")), 2);
    EXPECT_EQ(SystemDegree(ParseSystem("0", "0")), 0);
}

TEST(HamiltonianReport, ExplainsTheDuffingCaseStepByStep)
{
    const std::string expected
        = "Recherche d'un hamiltonien et d'un potentiel\n\n"
          "Système étudié :\n"
          "    dx/dt = P(x,y) = y\n"
          "    dy/dt = Q(x,y) = -x^3 + x\n"
          "Les dérivées sont des dérivées partielles.\n\n"
          "1. Le système est-il hamiltonien ?\n"
          "Convention : dx/dt = dH/dy et dy/dt = -dH/dx.\n"
          "Une telle fonction H existe si et seulement si la divergence est nulle.\n"
          "    dP/dx = 0\n"
          "    dQ/dy = 0\n"
          "    div = dP/dx + dQ/dy = 0\n"
          "La divergence est nulle : le système est hamiltonien.\n"
          "Calcul de H :\n"
          "  - dH/dy = P : on intègre P par rapport à y,\n"
          "      H = 1/2 y² + f(x), où f ne dépend que de x ;\n"
          "  - -dH/dx = Q : on dérive par rapport à x et on compare à Q,\n"
          "      f'(x) = -Q - d(1/2 y²)/dx = x^3 - x\n"
          "      (la divergence étant nulle, y a bien disparu) ;\n"
          "  - on intègre : f(x) = 1/4 x^4 - 1/2 x².\n"
          "Hamiltonien (défini à une constante près) :\n"
          "    H(x,y) = 1/4 x^4 - 1/2 x² + 1/2 y²\n"
          "H est constant le long des trajectoires : elles suivent les courbes de niveau "
          "H(x,y) = constante.\n"
          "\n2. Le système est-il un système de gradient ?\n"
          "Convention : dx/dt = dV/dx et dy/dt = dV/dy.\n"
          "Une telle fonction V existe si et seulement si dP/dy = dQ/dx.\n"
          "    dP/dy = 1\n"
          "    dQ/dx = -3x² + 1\n"
          "Les deux dérivées sont différentes : ce n'est pas un système de gradient.\n";
    EXPECT_EQ(HamiltonianReport(ParseSystem("y", "x-x^3")), expected);
}

TEST(HamiltonianReport, ListsTheConditionsAndNamesOtherVariables)
{
    const std::string r = HamiltonianReport(ParseSystem("au+v", "bu-v", 'u', 'v'));
    EXPECT_NE(r.find("    du/dt = P(u,v) = au + v\n"), std::string::npos) << r;
    EXPECT_NE(r.find("Constantes littérales : a, b (traitées comme des symboles).\n"), std::string::npos);
    EXPECT_NE(
        r.find("chacun de ses coefficients en u et v est nul :\n    a - 1 = 0\nLe système est hamiltonien si "
               "et seulement si ces conditions sont toutes vérifiées.\n"),
        std::string::npos)
        << r;
}

TEST(HamiltonianReport, SaysNeverWhenACoefficientIsANumber)
{
    const std::string r = HamiltonianReport(ParseSystem("ax^2+x", "-2axy"));
    EXPECT_NE(r.find("Le système n'est jamais hamiltonien, quelles que soient les constantes.\n"),
        std::string::npos);
}

} // namespace
} // namespace vindrel::engine
