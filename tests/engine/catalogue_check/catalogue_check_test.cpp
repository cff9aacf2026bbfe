// Every system of the shipped catalogue (data/vindrel.txt: Windows-1252,
// CR LF, three lines per record: name, dx/dt, dy/dt) through the fixed-point
// analysis: each finite point has a proven nature or says exactly what is
// open, Hamiltonian systems have neither focus nor node, and no nature
// changes under a quarter turn, a reflection or a scaling of the axes.
#include "engine/fixedpoints/fixed_points.h"
#include "engine/fixedpoints/system.h"
#include "engine/hamiltonian/hamiltonian.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>

namespace vindrel::engine {
namespace {

struct Entry {
    std::string name; // UTF-8
    std::string P, Q;
};

// Windows-1252 to UTF-8 for the few letters the names use.
std::string FromWindows1252(const std::string& s)
{
    std::string out;
    for (unsigned char c : s) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c == 0x9C) {
            out += "œ";
        } else if (c == 0x8C) {
            out += "Œ";
        } else if (c >= 0xA0) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += '?';
        }
    }
    return out;
}

const std::vector<Entry>& Catalogue()
{
    static const std::vector<Entry> entries = [] {
        std::ifstream in(VINDREL_SOURCE_DIR "/data/vindrel.txt", std::ios::binary);
        EXPECT_TRUE(in.good()) << "data/vindrel.txt introuvable";
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<std::string> lines;
        size_t start = 0;
        for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
            lines.push_back(bytes.substr(start, end - start));
        EXPECT_EQ(bytes.size(), start) << "the last line must end with CR LF";
        EXPECT_EQ(0u, lines.size() % 3);
        std::vector<Entry> out;
        for (size_t i = 0; i + 2 < lines.size(); i += 3)
            out.push_back({ FromWindows1252(lines[i]), lines[i + 1], lines[i + 2] });
        return out;
    }();
    return entries;
}

// The numeric systems of the catalogue (the empty "new system" entry and
// those with literal constants left out).
std::vector<std::pair<Entry, ParsedSystem>> NumericSystems()
{
    std::vector<std::pair<Entry, ParsedSystem>> out;
    for (const Entry& e : Catalogue()) {
        if (e.P.empty() && e.Q.empty()) continue;
        ParsedSystem s = ParseSystem(e.P, e.Q);
        if (s.parameters.empty()) out.emplace_back(e, std::move(s));
    }
    return out;
}

std::string Describe(const Entry& e)
{
    return e.name + " : dx/dt = " + e.P + ", dy/dt = " + e.Q;
}

TEST(Catalogue, HoldsTheNumericSystemsThisCheckIsAbout)
{
    EXPECT_EQ(25u, Catalogue().size());
    EXPECT_EQ("Nœud stable", Catalogue()[10].name);
    EXPECT_EQ(23u, NumericSystems().size());
}

TEST(Catalogue, EveryFinitePointHasAProvenNatureOrSaysWhatIsOpen)
{
    const std::string bare = "nature non déterminée par la partie linéaire";
    for (const auto& [e, s] : NumericSystems()) {
        const FixedPointAnalysis a = AnalyseSystemFixedPoints(s, Deadline());
        EXPECT_TRUE(a.pointsCertified) << Describe(e);
        for (const FixedPoint& p : a.points) {
            SCOPED_TRACE(Describe(e) + ", point (" + p.xText + " ; " + p.yText + ")");
            EXPECT_EQ(std::string::npos, DovraReport(a).find(bare));
            if (p.nature.type != PointType::Undetermined) continue;
            EXPECT_EQ(NatureSource::LocalClassifier, p.natureSource);
            EXPECT_FALSE(p.nature.reason.empty());
            EXPECT_NE(std::string::npos, p.nature.explanation.find("non déterminé")) << p.nature.explanation;
        }
        for (const InfinitePoint& p : a.infinite) {
            EXPECT_FALSE(p.nature.explanation.empty()) << Describe(e) << ", direction " << p.directionText;
        }
    }
}

// Only an open centre-focus question (a monodromic point) or a point on a
// curve of fixed points may stay undetermined, finite or at infinity.
TEST(Catalogue, EveryIsolatedPointHasItsLocalPortrait)
{
    for (const auto& [e, s] : NumericSystems()) {
        const FixedPointAnalysis a = AnalyseSystemFixedPoints(s, Deadline());
        std::vector<const Nature*> natures;
        for (const FixedPoint& p : a.points)
            natures.push_back(&p.nature);
        for (const InfinitePoint& p : a.infinite)
            natures.push_back(&p.nature);
        for (const Nature* n : natures) {
            SCOPED_TRACE(Describe(e) + " : " + n->explanation);
            if (n->reason.starts_with("non isole")) continue;
            ASSERT_TRUE(n->index && n->sectors);
            EXPECT_TRUE(n->type != PointType::Undetermined || *n->sectors == "") << JsonName(n->type);
        }
    }
}

TEST(Catalogue, HamiltonianSystemsHaveNeitherFocusNorNode)
{
    int hamiltonian = 0;
    for (const auto& [e, s] : NumericSystems()) {
        if (AnalyseHamiltonian(s).hamiltonian.existence != Existence::Always) continue;
        ++hamiltonian;
        const FixedPointAnalysis a = AnalyseSystemFixedPoints(s, Deadline());
        for (const FixedPoint& p : a.points) {
            SCOPED_TRACE(Describe(e) + ", point (" + p.xText + " ; " + p.yText + ")");
            const PointType t = p.nature.type;
            EXPECT_TRUE(t == PointType::Saddle || t == PointType::Center || t == PointType::Cusp
                || t == PointType::Undetermined)
                << JsonName(t);
            EXPECT_EQ(Stability::None, p.nature.stability);
        }
    }
    // Hamiltonien, Hamiltonien linéaire, Duffing, Pendule, Col, Centre linéaire, cusp.
    EXPECT_EQ(7, hamiltonian);
}

// ---- invariance ---------------------------------------------------------------

using flint::Fmpq;
using flint::FmpqMpoly;

// The system in the coordinates X with x = M X: X' = M^-1 f(M X).
std::pair<FmpqMpoly, FmpqMpoly> Transformed(const ParsedSystem& s, const Fmpq (&m)[2][2])
{
    const auto& ctx = s.P.ctx();
    FmpqMpoly X(ctx), Y(ctx);
    fmpq_mpoly_gen(X.raw(), 0, ctx->raw());
    fmpq_mpoly_gen(Y.raw(), 1, ctx->raw());
    auto combine = [&](const fmpq* a, const FmpqMpoly& u, const fmpq* b, const FmpqMpoly& v) {
        FmpqMpoly r(ctx), t(ctx);
        fmpq_mpoly_scalar_mul_fmpq(r.raw(), u.raw(), a, ctx->raw());
        fmpq_mpoly_scalar_mul_fmpq(t.raw(), v.raw(), b, ctx->raw());
        fmpq_mpoly_add(r.raw(), r.raw(), t.raw(), ctx->raw());
        return r;
    };
    FmpqMpoly x = combine(m[0][0].raw(), X, m[0][1].raw(), Y),
              y = combine(m[1][0].raw(), X, m[1][1].raw(), Y);
    fmpq_mpoly_struct* subs[2] = { x.raw(), y.raw() };
    FmpqMpoly p(ctx), q(ctx);
    fmpq_mpoly_compose_fmpq_mpoly(p.raw(), s.P.raw(), subs, ctx->raw(), ctx->raw());
    fmpq_mpoly_compose_fmpq_mpoly(q.raw(), s.Q.raw(), subs, ctx->raw(), ctx->raw());
    // M^-1 = [[d, -b], [-c, a]] / det.
    Fmpq det, t, inv[2][2];
    fmpq_mul(det.raw(), m[0][0].raw(), m[1][1].raw());
    fmpq_mul(t.raw(), m[0][1].raw(), m[1][0].raw());
    fmpq_sub(det.raw(), det.raw(), t.raw());
    fmpq_div(inv[0][0].raw(), m[1][1].raw(), det.raw());
    fmpq_div(inv[1][1].raw(), m[0][0].raw(), det.raw());
    fmpq_div(inv[0][1].raw(), m[0][1].raw(), det.raw());
    fmpq_neg(inv[0][1].raw(), inv[0][1].raw());
    fmpq_div(inv[1][0].raw(), m[1][0].raw(), det.raw());
    fmpq_neg(inv[1][0].raw(), inv[1][0].raw());
    return { combine(inv[0][0].raw(), p, inv[0][1].raw(), q),
        combine(inv[1][0].raw(), p, inv[1][1].raw(), q) };
}

std::string StabilityKey(Stability s)
{
    const char* n = JsonName(s);
    return n ? n : "-";
}

// What a linear change of coordinates must keep: for the finite points the
// kind of linear part, the type, the stability and the order; for each
// direction at infinity the type and the pair of stabilities of its two points.
std::vector<std::string> Natures(const FixedPointAnalysis& a)
{
    std::vector<std::string> keys;
    for (const FixedPoint& p : a.points) {
        keys.push_back(std::string("fini ") + JsonName(p.nature.linearPart) + " " + JsonName(p.nature.type)
            + " " + StabilityKey(p.nature.stability) + " " + std::to_string(p.nature.order.value_or(0)));
    }
    for (const InfinitePoint& p : a.infinite) {
        std::string s1 = StabilityKey(p.nature.stability), s2 = StabilityKey(p.oppositeStability);
        if (s2 < s1) std::swap(s1, s2);
        keys.push_back(std::string("infini ") + JsonName(p.nature.type) + " " + s1 + "/" + s2);
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

class Invariance : public ::testing::TestWithParam<int> { };

TEST_P(Invariance, NaturesDoNotChangeUnderQuarterTurnReflectionAndScaling)
{
    std::mt19937 rng(4242 + static_cast<unsigned>(GetParam()));
    std::uniform_int_distribution<long> num(1, 9), den(1, 7);
    for (const auto& [e, s] : NumericSystems()) {
        const std::string name[3] = { "quart de tour", "réflexion", "changement d'échelle" };
        Fmpq m[3][2][2];
        fmpq_set_si(m[0][0][1].raw(), -1, 1); // x = -Y, y = X
        fmpq_set_si(m[0][1][0].raw(), 1, 1);
        fmpq_set_si(m[1][0][0].raw(), 1, 1); // x = X, y = -Y
        fmpq_set_si(m[1][1][1].raw(), -1, 1);
        fmpq_set_si(m[2][0][0].raw(), num(rng), static_cast<ulong>(den(rng))); // x = a X, y = b Y
        fmpq_set_si(m[2][1][1].raw(), num(rng), static_cast<ulong>(den(rng)));
        const std::vector<std::string> original = Natures(AnalyseSystemFixedPoints(s, Deadline()));
        for (int k = 0; k < 3; ++k) {
            ParsedSystem t = s;
            std::tie(t.P, t.Q) = Transformed(s, m[k]);
            EXPECT_EQ(original, Natures(AnalyseSystemFixedPoints(t, Deadline())))
                << Describe(e) << ", " << name[k];
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, Invariance, ::testing::Values(0, 1));

} // namespace
} // namespace vindrel::engine
