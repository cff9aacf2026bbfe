#include "guidance/guidance.h"
#include "support/fake_platform.h"

#include <gtest/gtest.h>

using namespace vindrel;
using namespace vindrel::test;

namespace {

TEST(Tips, TheFourTipsCycleAndOnlyTheFourthResetsTheCounter)
{
    FakePlatform platform;
    WorkingState state;
    const int counterAfter[] = { 1, 2, 3, 0, 1, 2, 3, 0 };
    for (int click = 0; click < 8; ++click) {
        ASTUCES_Click(platform, state);
        EXPECT_EQ(platform.messages.back().caption, QString("ASTUCE %1").arg(click % 4 + 1)) << click + 1;
        EXPECT_EQ(state.iastu, counterAfter[click]) << click + 1;
    }
    ASSERT_EQ(platform.messages.size(), 8u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(platform.messages[i].prompt, platform.messages[i + 4].prompt);
    const int lineBreaks[] = { 1, 0, 1, 1 };
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(platform.messages[i].prompt.count("\r\n"), lineBreaks[i]) << i + 1;
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(platform.messages[i].prompt.count('\n'), lineBreaks[i]) << i + 1;
    EXPECT_TRUE(platform.openedPages.isEmpty());
}

TEST(Tips, TextsAreExact)
{
    FakePlatform platform;
    WorkingState state;
    for (int i = 0; i < 4; ++i)
        ASTUCES_Click(platform, state);
    const QString expected[] = {
        "Commencez par choisir un système ou tapez les deux composantes d'un système!\r\nEnsuite cliquez "
        "TOUJOURS "
        "le bouton Analyser AVANT de cliquer le bouton Résultats ou l'un des boutons spécifiques Points "
        "fixes?, "
        "Calculs explicatifs? ou Hamiltonien? !!!",
        "Pour intégrer un pôlynome P(x), choisissez P(x) pour la première composante et 0 ou une constante "
        "pour la "
        "seconde.",
        "Pour définir et enregistrer un nouveau système, sélectionnez Nouveau système dans la boite "
        "déroulante des "
        "noms de systèmes différentiels.\r\nChoissisez les composantes qui vous conviennent, cliquez le "
        "bouton "
        "Analyser puis le bouton Résultats; on vous demandera ensuite de donner un nom à VOTRE nouveau "
        "système qui "
        "figurera dans la boite déroulante, dès la prochaine activation du logociel.",
        "Attention lorsque vous mettez des constantes littérales dans les composantes (par exemple -a et "
        "-2abx-b)!! "
        "C'est en principe INTERDIT dans ce logiciel.\r\n Dans ce cas, seule l'hamiltonicité est traitée et "
        "prévue; "
        "le bouton Résultats pourra donc donner des informations incomplètes ou parler d'erreur! Seul le "
        "bouton "
        "Hamiltonien? donnera des réponses correctes et complètes; le bouton Résultats sera valable si le "
        "système "
        "considéré est effectivement hamiltonien.",
    };
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(platform.messages[i].prompt, expected[i]) << i + 1;
}

TEST(HelpPages, EachClickOpensItsCoursePageBesideTheProgram)
{
    FakePlatform platform;
    Aide_sur_la_théorie_Click(platform);
    Informations_Click(platform);
    Informations_Click(platform);
    const QString cours = platform.AppPath() + "/cours/";
    EXPECT_EQ(platform.openedPages,
        (QStringList { cours + "morvath.html", cours + "vindrel.html", cours + "vindrel.html" }));
    EXPECT_TRUE(platform.messages.empty());
}

TEST(HelpPages, ABrowserThatCannotStartIsAnError)
{
    FakePlatform platform;
    platform.startFailure = PlatformError(53, "Aucun navigateur");
    EXPECT_THROW(Aide_sur_la_théorie_Click(platform), PlatformError);
    EXPECT_THROW(Informations_Click(platform), PlatformError);
}

} // namespace
