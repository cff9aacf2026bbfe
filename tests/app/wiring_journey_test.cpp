// The real main window with the real handlers over a fake platform, driven
// with the keyboard through a whole use: choose a catalogue system, analyse
// it, read every result, then define, analyse and record a new system that
// the next start lists.
#include "wiring_world.h"

#include <QComboBox>

namespace vindrel::test {
namespace {

const QString kVindrel = QStringLiteral("Vindrel");

class WiringJourney : public WiringWorld {
protected:
    void SetUp() override
    {
        WiringWorld::SetUp();
        if (HasFatalFailure()) return;
        form = Start(platform);
        nom = form->findChild<QComboBox*>(QStringLiteral("Nom"));
        ASSERT_NE(nom, nullptr);
    }

    // Selects Hamiltonien by typing its first letter in Nom.
    void ChooseHamiltonien()
    {
        ASSERT_EQ(Focused(), QStringLiteral("Nom"));
        KeyClick(nom, Qt::Key_H, Qt::NoModifier, QStringLiteral("H"));
        ASSERT_EQ(nom->currentText(), QStringLiteral("Hamiltonien"));
    }

    std::unique_ptr<Form1> form;
    QComboBox* nom = nullptr;
};

TEST_F(WiringJourney, ChoosingHamiltonienByKeyboardFillsTheBoxesAndFocusesComposante1)
{
    ChooseHamiltonien();
    EXPECT_EQ(form->Text(Control::Composante1), QStringLiteral("y"));
    EXPECT_EQ(form->Text(Control::Composante2), QStringLiteral("-x+x^2"));
    EXPECT_EQ(Focused(), QStringLiteral("Composante1"));
    EXPECT_EQ(form->state().iana, 0);
    EXPECT_FALSE(form->state().NewSystemMode());
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(WiringJourney, AnalyserStartsTheThreeToolsHiddenBetweenItsTwoMessages)
{
    ChooseHamiltonien();
    AltKey(Qt::Key_A);

    const QString sysdyn = platform.AppPath() + QStringLiteral("/sysdyn/");
    EXPECT_EQ(platform.events,
        (QStringList { "Start " + sysdyn + "korbast", "MsgBox Vindrel: Analyse générale du système terminée",
            "Start " + sysdyn + "velquin2", "Start " + sysdyn + "durmosk",
            "MsgBox Vindrel: Recherche des points fixes terminée" }));
    ASSERT_EQ(platform.started.size(), 3u);
    EXPECT_EQ(platform.started[0].arguments, (QStringList { "y", "-x+x^2" }));
    EXPECT_EQ(platform.started[1].arguments, (QStringList { "y", "-x+x^2", "xy" }));
    EXPECT_EQ(platform.started[2].arguments, (QStringList { "y", "-x+x^2", "xy" }));
    for (const StartedProgram& p : platform.started)
        EXPECT_EQ(p.style, WindowStyle::Hidden) << p.program.toStdString();
    EXPECT_EQ(form->state().iana, 1);
    EXPECT_EQ(Focused(), QStringLiteral("Résultats"));
}

TEST_F(WiringJourney, ResultCommandsShowTheDecodedFilesAndHandTheFocusAlongTheChain)
{
    ChooseHamiltonien();
    AltKey(Qt::Key_A);
    platform.messages.clear();

    struct Step {
        Qt::Key key;
        QString shown;
        const char* focusAfter;
    };
    const Step steps[] = {
        { Qt::Key_R, kBrisolt.shown, "Points_fixes" }, { Qt::Key_P, ShownPointsFixes(), "Hamiltonien" },
        { Qt::Key_H, kQuenmar2.shown, "Calculs_explicatifs" },
        { Qt::Key_C, kTarnel2.shown, "Calculs_explicatifs" }, // the chain ends: the focus stays
    };
    for (const Step& s : steps) {
        platform.messages.clear();
        AltKey(s.key);
        ASSERT_EQ(platform.messages.size(), 1u) << s.focusAfter;
        EXPECT_EQ(platform.messages[0].prompt, s.shown) << s.focusAfter;
        EXPECT_EQ(platform.messages[0].caption, kVindrel) << s.focusAfter;
        EXPECT_EQ(Focused(), QString::fromUtf8(s.focusAfter));
    }
    EXPECT_TRUE(platform.inputs.empty()); // a catalogue system is not offered for recording
    EXPECT_EQ(ReadBytes(CataloguePath()), shippedCatalogue);
}

TEST_F(WiringJourney, ANewSystemIsRecordedAfterItsResultsAndTheNextStartListsIt)
{
    // Home picks the first item, the new-system entry, whose components are empty.
    KeyClick(nom, Qt::Key_Home);
    ASSERT_EQ(nom->currentText(), QStringLiteral("Nouveau système"));
    EXPECT_TRUE(form->state().NewSystemMode());
    EXPECT_EQ(Focused(), QStringLiteral("Composante1"));
    Type(QStringLiteral("x-y^2"));
    KeyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(Focused(), QStringLiteral("Composante2"));
    Type(QStringLiteral("x+y"));

    AltKey(Qt::Key_A);
    ASSERT_EQ(platform.started.size(), 3u);
    EXPECT_EQ(platform.started[0].arguments, (QStringList { "x-y^2", "x+y" }));

    platform.events.clear();
    platform.inputAnswers = { QStringLiteral("Mon système à moi") };
    AltKey(Qt::Key_R);
    EXPECT_EQ(platform.events,
        (QStringList { "MsgBox Vindrel: " + kBrisolt.shown, "InputBox Enregistrement du nouveau système?" }));
    ASSERT_EQ(platform.inputs.size(), 1u);
    const ShownInput& input = platform.inputs[0];
    EXPECT_EQ(input.prompt,
        QStringLiteral("Nom que vous voulez donner au nouveau système qui s'ajoutera dès la prochaine "
                       "activation de la commande à la boite de choix des systèmes, et qui possèdera les "
                       "composantes que vous lui avez attribuées:"));
    EXPECT_EQ(input.defaultText, QStringLiteral("NOM CHOISI"));
    EXPECT_EQ(input.x, 0);
    EXPECT_EQ(input.y, 0);
    EXPECT_EQ(Focused(), QStringLiteral("Points_fixes"));
    EXPECT_EQ(ReadBytes(CataloguePath()), shippedCatalogue + "Mon syst\xe8me \xe0 moi\r\nx-y^2\r\nx+y\r\n");
    EXPECT_EQ(nom->findText(QStringLiteral("Mon système à moi")), -1); // listed from the next start only

    FakePlatform next;
    next.setAppPath(platform.AppPath());
    form.reset();
    auto second = Start(next);
    auto* secondNom = second->findChild<QComboBox*>(QStringLiteral("Nom"));
    ASSERT_EQ(secondNom->itemText(secondNom->count() - 1), QStringLiteral("Mon système à moi"));
    ASSERT_EQ(Focused(), QStringLiteral("Nom"));
    KeyClick(secondNom, Qt::Key_End);
    EXPECT_EQ(second->Text(Control::Composante1), QStringLiteral("x-y^2"));
    EXPECT_EQ(second->Text(Control::Composante2), QStringLiteral("x+y"));
    EXPECT_FALSE(second->state().NewSystemMode());
}

TEST_F(WiringJourney, DeclinedNamesRecordNothingAndTheFocusStillMovesOn)
{
    KeyClick(nom, Qt::Key_Home);
    Type(QStringLiteral("x"));
    KeyClick(QApplication::focusWidget(), Qt::Key_Tab);
    Type(QStringLiteral("y"));
    AltKey(Qt::Key_A);

    for (const QString& answer :
        { QString(), QStringLiteral("NOM CHOISI"), QStringLiteral("Mon NOM CHOISI 2") }) {
        platform.inputAnswers = { answer };
        AltKey(Qt::Key_R);
        EXPECT_EQ(Focused(), QStringLiteral("Points_fixes")) << answer.toStdString();
        EXPECT_EQ(ReadBytes(CataloguePath()), shippedCatalogue) << answer.toStdString();
    }
    EXPECT_EQ(platform.inputs.size(), 3u);
}

TEST_F(WiringJourney, EditingAfterTheAnalysisMakesEveryResultCommandAskForANewAnalysis)
{
    ChooseHamiltonien();
    AltKey(Qt::Key_A);
    auto* box = form->findChild<QLineEdit*>(QStringLiteral("Composante2"));
    box->setFocus();
    Type(QStringLiteral("y"));
    KeyClick(box, Qt::Key_Backspace);
    ASSERT_EQ(box->text(), QStringLiteral("-x+x^2")); // the analysed text again, yet changed since
    EXPECT_EQ(form->state().iana, 0);

    for (const Qt::Key key : { Qt::Key_R, Qt::Key_P, Qt::Key_H, Qt::Key_C }) {
        platform.messages.clear();
        box->setFocus();
        AltKey(key);
        EXPECT_EQ(Prompts(), QStringList { "Faites d'abord l'analyse du système!" }) << key;
        EXPECT_EQ(Focused(), QStringLiteral("Analyser")) << key;
    }

    // Analyser runs the tools again instead of calling the system analysed.
    platform.messages.clear();
    AltKey(Qt::Key_A);
    EXPECT_EQ(platform.started.size(), 6u);
    EXPECT_EQ(Prompts(),
        (QStringList { "Analyse générale du système terminée", "Recherche des points fixes terminée" }));
    platform.messages.clear();
    AltKey(Qt::Key_A);
    EXPECT_EQ(Prompts(), QStringList { "Système en cours déjà analysé!" });
    EXPECT_EQ(platform.started.size(), 6u);
}

TEST_F(WiringJourney, ChoosingAnotherSystemAfterTheAnalysisClearsItToo)
{
    ChooseHamiltonien();
    AltKey(Qt::Key_A);
    nom->setFocus();
    KeyClick(nom, Qt::Key_Down);
    ASSERT_EQ(nom->currentText(), QStringLiteral("Hamiltonien linéaire"));
    EXPECT_EQ(form->Text(Control::Composante1), QStringLiteral("x+2y"));
    EXPECT_EQ(form->state().iana, 0);
    platform.messages.clear();
    AltKey(Qt::Key_R);
    EXPECT_EQ(Prompts(), QStringList { "Faites d'abord l'analyse du système!" });
}

TEST_F(WiringJourney, AToolThatCannotStartIsReportedInAVindrelBoxAndTheWindowStays)
{
    struct Case {
        std::size_t failingTool; // tools started before the failure
        QStringList prompts;
    };
    const QString report = QStringLiteral("Erreur d'exécution 53 :\r\nFichier introuvable : velquin2");
    const Case cases[] = {
        { 0, { report } },
        { 1, { "Analyse générale du système terminée", report } },
        { 2, { "Analyse générale du système terminée", report } },
    };
    for (const Case& c : cases) {
        FakePlatform failing;
        failing.setAppPath(platform.AppPath());
        failing.startFailure = PlatformError(53, QStringLiteral("Fichier introuvable : velquin2"));
        failing.startFailureAfter = c.failingTool;
        form.reset();
        form = Start(failing);
        nom = form->findChild<QComboBox*>(QStringLiteral("Nom"));
        ChooseHamiltonien();
        AltKey(Qt::Key_A);

        std::vector<ShownMessage> shown = failing.messages;
        QStringList prompts;
        for (const ShownMessage& m : shown) {
            prompts << m.prompt;
            EXPECT_EQ(m.caption, kVindrel);
        }
        EXPECT_EQ(prompts, c.prompts) << c.failingTool;
        EXPECT_EQ(form->state().iana, 0) << c.failingTool; // not analysed: results stay refused
        EXPECT_TRUE(form->isVisible());
        EXPECT_FALSE(failing.ended);

        failing.messages.clear();
        AltKey(Qt::Key_R);
        ASSERT_EQ(failing.messages.size(), 1u);
        EXPECT_EQ(failing.messages[0].prompt, QStringLiteral("Faites d'abord l'analyse du système!"));
    }
}

} // namespace
} // namespace vindrel::test
