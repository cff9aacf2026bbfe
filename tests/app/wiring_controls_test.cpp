// Every button and menu item of the real main window reaches its own
// handler, by a mouse click and by its access key, and the real platform
// reports a tool that cannot be started without closing the window.
#include "app/boxes.h"
#include "app/qt_platform.h"
#include "wiring_world.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

#include <optional>

namespace vindrel::test {
namespace {

enum class Trigger { Click, AccessKey };

struct Command {
    const char* button;
    std::optional<Qt::Key> accessKey;
    // What the handler does on a system that has been analysed.
    std::function<void(const FakePlatform&, const QString& appPath)> check;
};

void ExpectOnlyMessage(const FakePlatform& p, const QString& prompt, const QString& caption)
{
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0].prompt, prompt);
    EXPECT_EQ(p.messages[0].caption, caption);
    EXPECT_TRUE(p.inputs.empty());
    EXPECT_TRUE(p.openedPages.empty());
    EXPECT_FALSE(p.ended);
}

const QString kVindrel = QStringLiteral("Vindrel");

const Command kCommands[] = {
    { "Analyser", Qt::Key_A,
        [](const FakePlatform& p, const QString&) {
            ExpectOnlyMessage(p, QStringLiteral("Système en cours déjà analysé!"), kVindrel);
        } },
    { "Résultats", Qt::Key_R,
        [](const FakePlatform& p, const QString&) { ExpectOnlyMessage(p, kBrisolt.shown, kVindrel); } },
    { "Points_fixes", Qt::Key_P,
        [](const FakePlatform& p, const QString&) { ExpectOnlyMessage(p, ShownPointsFixes(), kVindrel); } },
    { "Hamiltonien", Qt::Key_H,
        [](const FakePlatform& p, const QString&) { ExpectOnlyMessage(p, kQuenmar2.shown, kVindrel); } },
    { "Calculs_explicatifs", Qt::Key_C,
        [](const FakePlatform& p, const QString&) { ExpectOnlyMessage(p, kTarnel2.shown, kVindrel); } },
    { "ASTUCES", Qt::Key_S,
        [](const FakePlatform& p, const QString&) {
            ExpectOnlyMessage(p,
                QStringLiteral(
                    "Commencez par choisir un système ou tapez les deux composantes d'un système!"
                    "\r\nEnsuite cliquez TOUJOURS le bouton Analyser AVANT de cliquer le bouton "
                    "Résultats ou l'un des boutons spécifiques Points fixes?, Calculs explicatifs? "
                    "ou Hamiltonien? !!!"),
                QStringLiteral("ASTUCE 1"));
        } },
    { "Enregistrer", Qt::Key_E,
        [](const FakePlatform& p, const QString&) {
            EXPECT_TRUE(p.messages.empty());
            ASSERT_EQ(p.inputs.size(), 1u);
            EXPECT_EQ(p.inputs[0].title, QStringLiteral("Enregistrement d'un nouveau système?"));
        } },
    { "Aide_sur_la_théorie", std::nullopt,
        [](const FakePlatform& p, const QString& appPath) {
            EXPECT_TRUE(p.messages.empty());
            EXPECT_EQ(p.openedPages, QStringList { appPath + "/cours/morvath.html" });
        } },
    { "Informations", std::nullopt,
        [](const FakePlatform& p, const QString& appPath) {
            EXPECT_TRUE(p.messages.empty());
            EXPECT_EQ(p.openedPages, QStringList { appPath + "/cours/vindrel.html" });
        } },
    { "Quitter", Qt::Key_Q,
        [](const FakePlatform& p, const QString&) {
            EXPECT_TRUE(p.messages.empty());
            EXPECT_TRUE(p.ended);
        } },
};

class WiringControls : public WiringWorld {
protected:
    // A fresh window whose Hamiltonien system has been analysed, its
    // platform's records cleared.
    std::unique_ptr<Form1> AnalysedWindow(FakePlatform& on)
    {
        on.setAppPath(platform.AppPath());
        auto form = Start(on);
        KeyClick(form->findChild<QComboBox*>(QStringLiteral("Nom")), Qt::Key_H, Qt::NoModifier,
            QStringLiteral("H"));
        form->findChild<QPushButton*>(QStringLiteral("Analyser"))->click();
        EXPECT_EQ(form->state().iana, 1);
        on.messages.clear();
        on.events.clear();
        return form;
    }
};

TEST_F(WiringControls, EveryButtonReachesItsHandlerByClickAndByAccessKey)
{
    for (const Command& c : kCommands) {
        for (const Trigger trigger : { Trigger::Click, Trigger::AccessKey }) {
            if (trigger == Trigger::AccessKey && !c.accessKey) continue;
            SCOPED_TRACE(std::string(c.button) + (trigger == Trigger::Click ? " (clic)" : " (Alt)"));
            FakePlatform fresh;
            auto form = AnalysedWindow(fresh);
            auto* button = form->findChild<QPushButton*>(QString::fromUtf8(c.button));
            ASSERT_NE(button, nullptr);
            if (trigger == Trigger::Click) {
                button->click();
            } else {
                form->findChild<QWidget*>(QStringLiteral("Composante1"))->setFocus();
                AltKey(*c.accessKey);
            }
            c.check(fresh, platform.AppPath());
        }
    }
}

TEST_F(WiringControls, ButtonsWithoutAccessKeyIgnoreTheirInitialLetter)
{
    FakePlatform fresh;
    auto form = AnalysedWindow(fresh);
    AltKey(Qt::Key_I); // Informations
    EXPECT_TRUE(fresh.openedPages.isEmpty());
    EXPECT_TRUE(fresh.messages.empty());
}

TEST_F(WiringControls, MenuItemsReachTheInformationPageAndTheAboutBox)
{
    FakePlatform fresh;
    auto form = AnalysedWindow(fresh);
    const QList<QAction*> items = form->menuBar()->actions().at(0)->menu()->actions();
    ASSERT_EQ(items.size(), 2);

    items[1]->trigger(); // Informations
    EXPECT_EQ(fresh.openedPages, QStringList { platform.AppPath() + "/cours/vindrel.html" });

    QString caption;
    WhenModalOpens([&](QWidget* box) {
        caption = box->windowTitle();
        box->close();
    });
    items[0]->trigger(); // A propos: returns once the box is closed
    EXPECT_EQ(caption, QStringLiteral("À propos"));
    EXPECT_TRUE(fresh.messages.empty());
    EXPECT_EQ(form->state().iana, 1); // the About box changes nothing
}

// The real platform: the test program's folder has no sysdyn/, so the first
// tool cannot be started.
TEST(WiringRealPlatform, AMissingToolIsReportedInAVindrelBoxAndTheWindowStays)
{
    QtPlatform platform;
    Form1 form(platform);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(WaitFor([&] { return form.isActiveWindow(); }));
    const QString korbast = platform.AppPath() + QStringLiteral("/sysdyn/korbast");
    ASSERT_FALSE(QFileInfo::exists(korbast));
    form.SetText(Control::Composante1, QStringLiteral("y"));
    form.SetText(Control::Composante2, QStringLiteral("-x"));

    QString caption;
    QString shown;
    WhenModalOpens([&](QWidget* box) {
        caption = box->windowTitle();
        if (auto* message = qobject_cast<MessageBox*>(box)) shown = message->shownText();
        box->close();
    });
    form.findChild<QPushButton*>(QStringLiteral("Analyser"))->click();

    EXPECT_EQ(caption, QStringLiteral("Vindrel"));
    EXPECT_EQ(shown, QStringLiteral("Erreur d'exécution 53 :\nFichier introuvable : ") + korbast);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.state().iana, 0);
}

// Analyser shows its second message right after the first has closed, before
// the windowing system has given any window the keyboard again: that box too
// must belong to the main window, which gets the keyboard back afterwards.
TEST(WiringRealPlatform, ABoxShownWhileNoWindowIsActiveBelongsToTheMainWindow)
{
    FakePlatform fake;
    Form1 form(fake);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(WaitFor([&] { return form.isActiveWindow(); }));
    QApplication::setActiveWindow(nullptr);
    ASSERT_EQ(QApplication::activeWindow(), nullptr);

    QtPlatform platform;
    QWidget* parent = nullptr;
    WhenModalOpens([&](QWidget* box) {
        parent = box->parentWidget();
        box->close();
    });
    platform.MsgBox(QStringLiteral("Recherche des points fixes terminée"));
    EXPECT_EQ(parent, &form);
    EXPECT_TRUE(WaitFor([&] { return form.isActiveWindow(); }));
}

} // namespace
} // namespace vindrel::test
