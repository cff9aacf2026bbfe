// The About box: centring arithmetic, load step, reload at each opening,
// the keys that close it and the texts that the About command passes.
#include "app/form1.h"
#include "guidance/about.h"
#include "support/fake_platform.h"
#include "ui_helpers.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

namespace vindrel::test {
namespace {

struct Centring {
    double difference;
    int edge;
};

TEST(CentreEdge, RoundsHalfToEvenThenHalvesTowardsZero)
{
    const Centring cases[] = {
        { 10575, 5287 },
        { 10576, 5288 },
        { 10574.5, 5287 },
        { 10575.5, 5288 },
        { -75, -37 },
        { 0, 0 },
        { -74.5, -37 },
    };
    for (const Centring& c : cases)
        EXPECT_EQ(CentreEdge(c.difference), c.edge) << c.difference;
}

class AboutTest : public ::testing::Test {
protected:
    QLabel* Label(const char* name) const { return about.findChild<QLabel*>(QString::fromUtf8(name)); }
    QPushButton* Ok() const { return about.findChild<QPushButton*>(QStringLiteral("cmdOK")); }

    FakePlatform platform;
    About about { platform };
};

TEST_F(AboutTest, LayoutCaptionAndFonts)
{
    EXPECT_EQ(about.windowTitle(), QStringLiteral("À propos"));
    EXPECT_EQ(about.size(), QSize(312, 213));
    EXPECT_EQ(Label("lblHeading")->geometry(), QRect(0, 16, 313, 57));
    EXPECT_EQ(Label("lblApplication")->geometry(), QRect(8, 64, 313, 25));
    EXPECT_EQ(Label("lblCopyright")->geometry(), QRect(0, 120, 313, 25));
    EXPECT_EQ(Ok()->geometry(), QRect(128, 152, 73, 33));
    EXPECT_EQ(Ok()->text(), QStringLiteral("OK"));
    EXPECT_FALSE(Ok()->isDefault());
    EXPECT_EQ(about.findChild<QFrame*>(QStringLiteral("Line1"))->geometry(), QRect(32, 112, 233, 1));

    EXPECT_EQ(Label("lblHeading")->font().pointSizeF(), 13.5);
    EXPECT_EQ(Label("lblHeading")->font().weight(), QFont::Normal);
    EXPECT_EQ(Label("lblApplication")->font().pointSizeF(), 13.5);
    EXPECT_EQ(Label("lblApplication")->font().weight(), QFont::Bold);
    EXPECT_EQ(Label("lblCopyright")->font(), about.font());
    for (const char* name : { "lblHeading", "lblApplication", "lblCopyright" }) {
        EXPECT_EQ(Label(name)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter) << name;
        EXPECT_TRUE(Label(name)->wordWrap()) << name;
    }
}

TEST_F(AboutTest, FirstPropertySetLoadsPlaceholdersThenTheText)
{
    EXPECT_FALSE(about.isLoaded());
    about.SetApplication(QStringLiteral("Projet VINDREL"));
    EXPECT_TRUE(about.isLoaded());
    EXPECT_EQ(Label("lblApplication")->text(), QStringLiteral("Projet VINDREL"));
    EXPECT_EQ(Label("lblHeading")->text(), QStringLiteral("- Heading -"));
    EXPECT_EQ(Label("lblCopyright")->text(), QStringLiteral("- Copyright -"));
}

TEST_F(AboutTest, LoadCentresTheBoxOnTheScreen)
{
    // 1920 x 1080 pixels: (28800 - 4680) / 2 = 12060 twips, 804 pixels;
    // 16200 - 3195 = 13005, halved towards zero 6502 twips, 433 pixels.
    about.SetHeading(QStringLiteral("x"));
    EXPECT_EQ(about.pos(), QPoint(804, 433));
}

TEST_F(AboutTest, ABoxWiderThanTheScreenGetsANegativeEdge)
{
    platform.screenWidth = 4680 - 75;
    platform.screenHeight = 3195;
    about.SetHeading(QStringLiteral("x"));
    EXPECT_EQ(about.pos(), QPoint(-2, 0)); // -37 twips
}

TEST_F(AboutTest, OkClosesAndUnloadsAndTheNextOpeningReloadsAndRecentres)
{
    about.SetApplication(QStringLiteral("A"));
    about.SetCopyright(QStringLiteral("C"));
    WhenModalOpens([](QWidget* box) {
        box->move(10, 20);
        box->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    });
    about.Display();
    EXPECT_FALSE(about.isVisible());
    EXPECT_FALSE(about.isLoaded());

    // Centred again, its frame now included: the frame's centre is the
    // screen's, within the halving's pixel.
    about.SetApplication(QStringLiteral("B"));
    EXPECT_EQ(Label("lblApplication")->text(), QStringLiteral("B"));
    EXPECT_EQ(Label("lblCopyright")->text(), QStringLiteral("- Copyright -"));
    QPoint centre;
    WhenModalOpens([&](QWidget* box) {
        centre = box->frameGeometry().center();
        box->close();
    });
    about.Display();
    EXPECT_NEAR(centre.x(), 960, 1);
    EXPECT_NEAR(centre.y(), 540, 1);
}

TEST_F(AboutTest, EscapeLeavesTheBoxOpenEnterClosesIt)
{
    bool stillOpenAfterEscape = false;
    bool focusOnOk = false;
    WhenModalOpens([&](QWidget* box) {
        QWidget* ok = box->findChild<QPushButton*>(QStringLiteral("cmdOK"));
        focusOnOk = box->focusWidget() == ok;
        KeyClick(ok, Qt::Key_Escape);
        QApplication::processEvents();
        stillOpenAfterEscape = box->isVisible();
        KeyClick(ok, Qt::Key_Return);
    });
    about.Display();
    EXPECT_TRUE(focusOnOk);
    EXPECT_TRUE(stillOpenAfterEscape);
    EXPECT_FALSE(about.isVisible());
    EXPECT_FALSE(about.isLoaded());
}

TEST_F(AboutTest, SpaceOnOkAndTheCloseBoxCloseIt)
{
    WhenModalOpens([](QWidget* box) {
        KeyClick(box->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::Key_Space, Qt::NoModifier,
            QStringLiteral(" "));
    });
    about.Display();
    EXPECT_FALSE(about.isVisible());

    WhenModalOpens([](QWidget* box) { box->close(); });
    about.Display();
    EXPECT_FALSE(about.isVisible());
    EXPECT_FALSE(about.isLoaded());
}

TEST(AboutCommand, ShowsTheProgramsIdentityModallyOverTheMainWindow)
{
    FakePlatform platform;
    Form1 form(platform);
    form.show();
    QStringList shown;
    bool modal = false;
    WhenModalOpens([&](QWidget* box) {
        modal = box->isModal();
        shown << box->windowTitle();
        for (const char* name : { "lblApplication", "lblHeading", "lblCopyright" })
            shown << box->findChild<QLabel*>(QString::fromUtf8(name))->text();
        box->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    });
    form.findChild<QAction*>(QStringLiteral("mnuApropos"))->trigger();
    EXPECT_TRUE(modal);
    EXPECT_EQ(shown,
        QStringList({ QStringLiteral("À propos"), QStringLiteral("Projet VINDREL"),
            QStringLiteral("Editeurs d'équations différentielles ordinaires dans R2"),
            QStringLiteral("Copyright © 2026 les auteurs de Vindrel") }));
    ASSERT_NE(form.aboutBox(), nullptr);
    EXPECT_FALSE(form.aboutBox()->isLoaded());
    EXPECT_TRUE(platform.messages.empty());
}

} // namespace
} // namespace vindrel::test
