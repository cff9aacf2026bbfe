// korbast on parsed systems: the two file texts, literal constants, and the
// texts accepted by the result writer.
#include "support.h"

#include "engine/general/system.h"
#include "engine/report/dos.h"

#include <gtest/gtest.h>

namespace vindrel::engine::general::testing {
namespace {

TEST(KorbastTexts, LiteralConstantsPointToTheHamiltonianButtonInBothFiles)
{
    const auto texts = KorbastTexts(ParseSystem("-a", "-2abx-b"));
    ASSERT_EQ(texts.size(), 2u);
    for (const auto& t : texts) {
        EXPECT_NE(t.find("Le système contient des constantes littérales : a, b.\n"
                         "L'étude générale demande des coefficients numériques : elle n'est pas faite ici.\n"
                         "Cliquez le bouton Hamiltonien? : il traite les constantes littérales.\n"),
            std::string::npos)
            << t;
        EXPECT_NE(t.find("La divergence est nulle pour toutes les valeurs des constantes : le système est "
                         "hamiltonien.\n"),
            std::string::npos);
    }
    EXPECT_EQ(texts[0].rfind("ETUDE GENERALE DU SYSTEME\ndx/dt = -a\ndy/dt = -2abx - b\n", 0), 0u);
    EXPECT_EQ(texts[1].rfind("CALCULS EXPLICATIFS\ndx/dt = P(x, y) = -a\n", 0), 0u);
}

TEST(KorbastTexts, EndWithOneLineEndAndPassTheResultWriter)
{
    for (const auto& [p, q] :
        std::vector<std::pair<std::string, std::string>> { { "y", "-x+x^2" }, { "x-xy", "-y+xy" },
            { "0", "0" }, { "1", "x" }, { "-a", "-2abx-b" }, { "x^5-y", "x+y^4/3" }, { "0,5x", "x²-y³" } }) {
        const auto texts = KorbastTexts(ParseSystem(p, q));
        for (const auto& t : texts) {
            ASSERT_FALSE(t.empty());
            EXPECT_EQ(t.back(), '\n');
            EXPECT_NE(t[t.size() - 2], '\n') << p << " / " << q;
            EXPECT_TRUE(IsDecodable(t)) << t;
            EXPECT_NO_THROW(ToDos850(t));
        }
    }
}

} // namespace
} // namespace vindrel::engine::general::testing
