// The main window: its captions, layout, tab order, keys, start-up state,
// the component change rule and the reporting of a handler's failure.
#include "app/form1.h"
#include "support/fake_platform.h"
#include "ui_helpers.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace vindrel::test {
namespace {

// Gives tests the working state to prepare (e.g. an analysed system).
class TestForm1 : public Form1 {
public:
    using Form1::Form1;
    using Form1::mutableState;
};

// Ends the run with a failure, to check how handlers report one.
class FailingEndPlatform : public FakePlatform {
public:
    std::function<void()> failure;
    void End() override { failure(); }
};

const char* const kButtonNames[] = { "Analyser", "Résultats", "Quitter", "Hamiltonien", "Calculs_explicatifs",
    "Points_fixes", "Aide_sur_la_théorie", "ASTUCES", "Enregistrer", "Informations" };

class Form1Test : public ::testing::Test {
protected:
    void SetUp() override { form = std::make_unique<TestForm1>(platform); }

    void ShowActive()
    {
        form->show();
        form->activateWindow();
        ASSERT_TRUE(WaitFor([this] { return form->isActiveWindow(); }));
    }

    QWidget* Child(const QString& name) const { return form->findChild<QWidget*>(name); }
    QPushButton* Button(const QString& name) const { return form->findChild<QPushButton*>(name); }

    // Counts the clicks of every button.
    void CountClicks()
    {
        for (const char* name : kButtonNames) {
            const QString key = QString::fromUtf8(name);
            clicks[key] = 0;
            QObject::connect(Button(key), &QPushButton::clicked, form.get(), [this, key] { ++clicks[key]; });
        }
    }

    FakePlatform platform;
    std::unique_ptr<TestForm1> form;
    std::map<QString, int> clicks;
};

TEST_F(Form1Test, CaptionIsTheProgramsTitleWithTwoBlanksBeforeTheHyphen)
{
    EXPECT_EQ(
        form->windowTitle(), QStringLiteral("Analyseur d'équations polynômiales (Dorvel)  - KESTORA -"));
}

TEST_F(Form1Test, ClientAreaIs7155By5130TwipsBelowTheMenuBar)
{
    ShowActive();
    EXPECT_EQ(form->centralWidget()->size(), QSize(477, 342));
    EXPECT_EQ(form->centralWidget()->y(), form->menuBar()->height());
}

struct Placement {
    const char* name;
    QRect pixels; // the twips of the layout divided by 15
};

TEST_F(Form1Test, EveryControlStandsWhereTheLayoutPutsIt)
{
    const Placement placements[] = {
        { "Nom", { 120, 8, 241, 21 } },
        { "Composante1", { 144, 48, 305, 33 } },
        { "Composante2", { 144, 88, 305, 33 } },
        { "Label1", { 64, 48, 81, 33 } },
        { "Label2", { 64, 96, 81, 41 } },
        { "Analyser", { 16, 24, 73, 33 } },
        { "Résultats", { 16, 64, 73, 33 } },
        { "Quitter", { 384, 8, 81, 25 } },
        { "Système", { 8, 8, 105, 25 } },
        { "Label3", { 144, 128, 305, 73 } },
        { "Hamiltonien", { 16, 184, 73, 33 } },
        { "Calculs_explicatifs", { 16, 144, 73, 33 } },
        { "Points_fixes", { 16, 104, 73, 33 } },
        { "Aide_sur_la_théorie", { 280, 208, 153, 25 } },
        { "Rappels", { 144, 208, 137, 25 } },
        { "ASTUCES", { 16, 272, 73, 17 } },
        { "Enregistrer", { 16, 232, 73, 33 } },
        { "Informations", { 144, 248, 97, 33 } },
    };
    for (const Placement& p : placements) {
        QWidget* w = Child(QString::fromUtf8(p.name));
        ASSERT_NE(w, nullptr) << p.name;
        EXPECT_EQ(w->geometry(), p.pixels) << p.name;
        EXPECT_EQ(w->parentWidget(), form->centralWidget()) << p.name;
    }
}

TEST_F(Form1Test, ResizingTheWindowMovesNoControl)
{
    ShowActive();
    const QRect before = Child(QStringLiteral("Informations"))->geometry();
    form->resize(900, 700);
    ASSERT_TRUE(WaitFor([this] { return form->width() == 900; }));
    EXPECT_EQ(Child(QStringLiteral("Informations"))->geometry(), before);
    form->resize(200, 150);
    ASSERT_TRUE(WaitFor([this] { return form->width() == 200; }));
    EXPECT_EQ(Child(QStringLiteral("Informations"))->geometry(), before);
}

struct Caption {
    const char* name;
    const char* text;
};

TEST_F(Form1Test, ButtonsCarryTheirCaptionsWithAccessKeys)
{
    const Caption captions[] = {
        { "Analyser", "&Analyser" },
        { "Résultats", "&Résultats" },
        { "Quitter", "&Quitter" },
        { "Hamiltonien", "&Hamiltonien?" },
        { "Calculs_explicatifs", "&Calculs explicatifs?" },
        { "Points_fixes", "&Points fixes? " },
        { "Aide_sur_la_théorie", "Aide sur la théorie" },
        { "ASTUCES", "A&stuces" },
        { "Enregistrer", "&Enregistrer" },
        { "Informations", "Informations" },
    };
    for (const Caption& c : captions)
        EXPECT_EQ(Button(QString::fromUtf8(c.name))->text(), QString::fromUtf8(c.text)) << c.name;
}

TEST_F(Form1Test, LabelsKeepTheirLeadingBlanksAndLabel3WrapsTheInstructions)
{
    const Caption captions[] = {
        { "Label1", "              dx/dt =" },
        { "Label2", "              dy/dt =" },
        { "Système", "                 Système :" },
        { "Rappels", "RAPPELS THEORIQUES:" },
        { "Label3",
            "Vous pouvez soit sélectionner un système type dans la boîte déroulante (hamiltonien, "
            "hamiltonien "
            "linéaire, gradient ...), soit en définir un  par ses composantes dans les cases correspondant à "
            "dx/dt et à dy/dt. Après avoir activé le bouton \"Analyser\", l'activation du bouton "
            "\"Résultats\" "
            "affichera les conclusions." },
    };
    for (const Caption& c : captions) {
        auto* label = form->findChild<QLabel*>(QString::fromUtf8(c.name));
        ASSERT_NE(label, nullptr) << c.name;
        EXPECT_EQ(label->text(), QString::fromUtf8(c.text)) << c.name;
        EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft) << c.name;
        EXPECT_EQ(label->focusPolicy(), Qt::NoFocus) << c.name;
    }
    EXPECT_TRUE(form->findChild<QLabel*>(QStringLiteral("Label3"))->wordWrap());
}

TEST_F(Form1Test, MenuQuestionMarkHoldsAboutThenInformationsWithoutShortcuts)
{
    const QList<QAction*> titles = form->menuBar()->actions();
    ASSERT_EQ(titles.size(), 1);
    EXPECT_EQ(titles[0]->text(), QStringLiteral("&?"));
    const QList<QAction*> items = titles[0]->menu()->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->objectName(), QStringLiteral("mnuApropos"));
    EXPECT_EQ(items[0]->text(), QStringLiteral("A propos"));
    EXPECT_EQ(items[1]->objectName(), QStringLiteral("mnuInfo"));
    EXPECT_EQ(items[1]->text(), QStringLiteral("Informations"));
    for (QAction* item : items) {
        EXPECT_TRUE(item->shortcut().isEmpty());
        EXPECT_FALSE(item->isCheckable());
        EXPECT_FALSE(item->isSeparator());
    }
}

TEST_F(Form1Test, StartsWithTheFocusInNomNothingSelectedAndEmptyBoxes)
{
    ShowActive();
    EXPECT_EQ(QApplication::focusWidget(), Child(QStringLiteral("Nom")));
    auto* nom = form->findChild<QComboBox*>(QStringLiteral("Nom"));
    EXPECT_EQ(nom->currentIndex(), -1);
    EXPECT_FALSE(nom->isEditable());
    EXPECT_EQ(form->Text(Control::Nom), QString());
    EXPECT_EQ(form->Text(Control::Composante1), QString());
    EXPECT_EQ(form->Text(Control::Composante2), QString());
    EXPECT_EQ(form->state().iana, 0);
    EXPECT_EQ(form->state().iastu, 0);
    EXPECT_FALSE(form->state().NewSystemMode());
}

TEST_F(Form1Test, TabVisitsTheThirteenControlsInOrderAndWrapsToNom)
{
    ShowActive();
    const QStringList expected = { "Composante1", "Composante2", "Analyser", "Résultats", "Quitter",
        "Hamiltonien", "Calculs_explicatifs", "Points_fixes", "Aide_sur_la_théorie", "ASTUCES", "Enregistrer",
        "Informations", "Nom" };
    QStringList visited;
    for (int i = 0; i < expected.size(); ++i) {
        KeyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(visited, expected);
}

struct AccessKey {
    Qt::Key key;
    const char* button;
};

TEST_F(Form1Test, AltLetterClicksTheButtonOfThatAccessKey)
{
    ShowActive();
    CountClicks();
    const AccessKey keys[] = {
        { Qt::Key_A, "Analyser" },
        { Qt::Key_R, "Résultats" },
        { Qt::Key_P, "Points_fixes" },
        { Qt::Key_C, "Calculs_explicatifs" },
        { Qt::Key_H, "Hamiltonien" },
        { Qt::Key_E, "Enregistrer" },
        { Qt::Key_S, "ASTUCES" },
        { Qt::Key_Q, "Quitter" },
    };
    for (const AccessKey& k : keys) {
        const QString name = QString::fromUtf8(k.button);
        KeyClick(Child(QStringLiteral("Nom")), k.key, Qt::AltModifier);
        EXPECT_TRUE(WaitFor([&] { return clicks[name] == 1; })) << k.button;
    }
    EXPECT_TRUE(platform.ended); // Alt+Q reached Quitter_Click
    EXPECT_TRUE(Button(QStringLiteral("Aide_sur_la_théorie"))->shortcut().isEmpty());
    EXPECT_TRUE(Button(QStringLiteral("Informations"))->shortcut().isEmpty());
}

TEST_F(Form1Test, EnterAndSpaceClickTheFocusedButtonOnly)
{
    ShowActive();
    CountClicks();
    Button(QStringLiteral("Hamiltonien"))->setFocus();
    KeyClick(Button(QStringLiteral("Hamiltonien")), Qt::Key_Return);
    Button(QStringLiteral("Enregistrer"))->setFocus();
    KeyClick(Button(QStringLiteral("Enregistrer")), Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::processEvents();
    for (const auto& [name, count] : clicks) {
        const int expected = name == QStringLiteral("Hamiltonien") || name == QStringLiteral("Enregistrer");
        EXPECT_EQ(count, expected) << name.toStdString();
    }
}

TEST_F(Form1Test, EnterInABoxOrInNomAndEscapeAnywhereClickNothing)
{
    ShowActive();
    CountClicks();
    for (const char* name : { "Nom", "Composante1", "Composante2" }) {
        QWidget* w = Child(QString::fromUtf8(name));
        w->setFocus();
        KeyClick(w, Qt::Key_Return);
        KeyClick(w, Qt::Key_Enter, Qt::KeypadModifier);
        KeyClick(w, Qt::Key_Escape);
    }
    for (const char* name : kButtonNames) {
        QWidget* w = Child(QString::fromUtf8(name));
        w->setFocus();
        KeyClick(w, Qt::Key_Escape);
    }
    QApplication::processEvents();
    for (const auto& [name, count] : clicks)
        EXPECT_EQ(count, 0) << name.toStdString();
    EXPECT_FALSE(platform.ended);
}

TEST_F(Form1Test, AnyChangeOfEitherComponentClearsTheAnalysedFlag)
{
    ShowActive();
    for (const char* name : { "Composante1", "Composante2" }) {
        auto* box = form->findChild<QLineEdit*>(QString::fromUtf8(name));
        form->mutableState().iana = 1;
        box->setFocus();
        KeyClick(box, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        EXPECT_EQ(box->text(), QStringLiteral("x")) << name;
        EXPECT_EQ(form->state().iana, 0) << name;

        // Typing and deleting again restores the text, not the flag.
        form->mutableState().iana = 1;
        KeyClick(box, Qt::Key_Backspace);
        EXPECT_EQ(box->text(), QString()) << name;
        EXPECT_EQ(form->state().iana, 0) << name;
    }
}

TEST_F(Form1Test, SettingAComponentFromTheHandlersClearsTheAnalysedFlag)
{
    form->mutableState().iana = 1;
    form->SetText(Control::Composante2, QStringLiteral("-x"));
    EXPECT_EQ(form->Text(Control::Composante2), QStringLiteral("-x"));
    EXPECT_EQ(form->state().iana, 0);
}

TEST_F(Form1Test, QuitterAndTheCloseBoxEndTheProgram)
{
    Button(QStringLiteral("Quitter"))->click();
    EXPECT_TRUE(platform.ended);

    FakePlatform other;
    TestForm1 second(other);
    second.show();
    second.close();
    EXPECT_TRUE(other.ended);
}

struct Failure {
    const char* name;
    std::function<void()> raise;
    const char* report;
};

TEST(Form1Failures, AFailureInAHandlerIsReportedInAVindrelBoxAndTheWindowStays)
{
    const Failure failures[] = {
        { "platform error", [] { throw PlatformError(53, QStringLiteral("Fichier introuvable : korbast")); },
            "Erreur d'exécution 53 :\r\nFichier introuvable : korbast" },
        { "standard exception", [] { throw std::runtime_error("panne"); },
            "Erreur d'exécution 51 :\r\nErreur interne : panne" },
        { "out of memory", [] { throw std::bad_alloc(); }, "Erreur d'exécution 7 :\r\nMémoire insuffisante" },
        { "anything else", [] { throw 42; }, "Erreur d'exécution 51 :\r\nErreur interne inconnue" },
    };
    for (const Failure& f : failures) {
        FailingEndPlatform platform;
        platform.failure = f.raise;
        TestForm1 form(platform);
        form.show();
        form.findChild<QPushButton*>(QStringLiteral("Quitter"))->click();
        ASSERT_EQ(platform.messages.size(), 1u) << f.name;
        EXPECT_EQ(platform.messages[0].prompt, QString::fromUtf8(f.report)) << f.name;
        EXPECT_EQ(platform.messages[0].caption, QStringLiteral("Vindrel")) << f.name;
        EXPECT_TRUE(form.isVisible()) << f.name;
    }
}

} // namespace
} // namespace vindrel::test
