#include "engine/errors.h"
#include "engine/tool/words.h"

#include <gtest/gtest.h>

namespace vindrel::engine {
namespace {

struct JoinCase {
    std::vector<std::string> words;
    VarsWord vars;
    const char* p;
    const char* q;
};

class Rejoins : public ::testing::TestWithParam<JoinCase> { };

TEST_P(Rejoins, IntoTheOnlyValidSplit)
{
    const JoinCase& c = GetParam();
    const Components r = RejoinWords(c.words, c.vars);
    EXPECT_EQ(r.p, c.p);
    EXPECT_EQ(r.q, c.q);
}

INSTANTIATE_TEST_SUITE_P(Words, Rejoins,
    ::testing::Values(JoinCase { { "y", "-x+x^2", "xy" }, VarsWord::Present, "y", "-x+x^2" },
        JoinCase { { "y", "-x" }, VarsWord::Absent, "y", "-x" },
        // Two words are taken as they are, even when they do not parse: the parser reports it.
        JoinCase { { "x+", "y" }, VarsWord::Absent, "x+", "y" },
        JoinCase { { "x+", "y", "-x" }, VarsWord::Absent, "x+ y", "-x" },
        JoinCase { { "y", "-x", "*", "(", "1+x", ")", "xy" }, VarsWord::Present, "y", "-x * ( 1+x )" },
        JoinCase { { "2*", "x", "y", "xy" }, VarsWord::Present, "2* x", "y" }));

TEST(RejoinWords, TakesTheVariablesFromTheLastWord)
{
    const Components r = RejoinWords({ "v", "-u", "uv" }, VarsWord::Present);
    EXPECT_EQ(r.xvar, 'u');
    EXPECT_EQ(r.yvar, 'v');
}

struct RefusalCase {
    std::vector<std::string> words;
    VarsWord vars;
    const char* message;
};

class Refuses : public ::testing::TestWithParam<RefusalCase> { };

TEST_P(Refuses, WithAMessageQuotingTheWords)
{
    try {
        RejoinWords(GetParam().words, GetParam().vars);
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_EQ(std::string(e.what()), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(Words, Refuses,
    ::testing::Values(
        RefusalCase { { "x", "+", "y", "x", "xy" }, VarsWord::Present,
            "Les composantes ne doivent pas contenir d'espace : \"x + y x\" se coupe de 2 façons en deux "
            "composantes valides, on ne peut pas savoir laquelle est voulue. Tapez chaque composante sans "
            "espace." },
        RefusalCase { { "x", "+", "+" }, VarsWord::Absent,
            "Les composantes ne doivent pas contenir d'espace : aucune façon de couper \"x + +\" en deux "
            "composantes valides. Tapez chaque composante sans espace." },
        RefusalCase { { "x" }, VarsWord::Absent,
            "Il faut deux composantes, dx/dt et dy/dt, séparées par un espace : reçu \"x\"." },
        RefusalCase { {}, VarsWord::Absent,
            "Il faut deux composantes, dx/dt et dy/dt, séparées par un espace : reçu \"\"." },
        RefusalCase { { "y", "xy" }, VarsWord::Present,
            "Il faut deux composantes, dx/dt et dy/dt, suivies des variables (xy) : reçu \"y xy\"." },
        RefusalCase { { "y", "x", "xx" }, VarsWord::Present,
            "Le dernier mot doit nommer les deux variables, par exemple xy : reçu \"xx\"." },
        RefusalCase { { "y", "x", "x×y" }, VarsWord::Present,
            "Le dernier mot doit nommer les deux variables, par exemple xy : reçu \"x?y\"." }));

TEST(RejoinWords, BlankAroundAnOperatorIsUsuallyAmbiguous)
{
    // "x + y -x": both "x" / "+ y -x" and "x + y" / "-x" are valid systems.
    EXPECT_THROW(RejoinWords({ "x", "+", "y", "-x" }, VarsWord::Absent), EngineError);
}

TEST(RejoinWords, TooManyWordsIsALimit)
{
    EXPECT_THROW(RejoinWords(std::vector<std::string>(kMaxWords + 1, "x"), VarsWord::Absent), LimitExceeded);
}

} // namespace
} // namespace vindrel::engine
