// A program folder for wiring tests of the real main window: the shipped
// catalogue copied into the fake platform's temporary AppPath, and result
// files in sysdyn/ written in DOS code-page bytes, each with the text the
// window must show for it.
#pragma once

#include "app/form1.h"
#include "support/fake_platform.h"
#include "ui_helpers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace vindrel::test {

struct ResultFixture {
    const char* file;
    QByteArray bytes; // as a tool leaves it: DOS letters, CR LF
    QString shown; // as the message box must receive it
};

// Byte 130 é, 138 è, 133 à, 253 ², 136 ê; lines ended by CR LF.
inline const ResultFixture kBrisolt { "brisolt.res",
    "Syst\x8ame hamiltonien de degr\x82 2.\r\nDivergence nulle : l'origine est un centre.\r\n",
    QStringLiteral("Système hamiltonien de degré 2.\r\nDivergence nulle : l'origine est un centre.") };
inline const ResultFixture kDovra { "dovra.res",
    "Points fixes r\x82"
    "els : (0,0) centre ; (1,0) col.\r\n",
    QStringLiteral("Points fixes réels : (0,0) centre ; (1,0) col.") };
inline const ResultFixture kSkellin { "skellin.res", "Points \x85 l'infini : direction (0,1).\r\n",
    QStringLiteral("Points à l'infini : direction (0,1).") };
inline const ResultFixture kQuenmar2 { "quenmar2.pho",
    "Le syst\x8ame est hamiltonien.\r\nH = 1/2*y\xfd + 1/2*x\xfd - 1/3*x^3\r\n",
    QStringLiteral("Le système est hamiltonien.\r\nH = 1/2*y² + 1/2*x² - 1/3*x^3") };
inline const ResultFixture kTarnel2 { "tarnel2.res",
    "Trace nulle, d\x82terminant 1 > 0 : centre (ou foyer faible).\r\nLe hamiltonien tranche : centre, "
    "m\x88me sens.\r\n",
    QStringLiteral("Trace nulle, déterminant 1 > 0 : centre (ou foyer faible).\r\nLe hamiltonien tranche : "
                   "centre, même sens.") };

// The Points fixes message: both files joined by CR LF.
inline QString ShownPointsFixes()
{
    return kDovra.shown + QStringLiteral("\r\n") + kSkellin.shown;
}

inline QString ShippedCataloguePath()
{
    return QStringLiteral(VINDREL_SOURCE_DIR "/data/vindrel.txt");
}

// Gives tests the window's handler-facing controls by name.
class WiringWorld : public ::testing::Test {
protected:
    void SetUp() override
    {
        shippedCatalogue = ReadBytes(ShippedCataloguePath());
        ASSERT_FALSE(shippedCatalogue.isEmpty());
        WriteBytes(CataloguePath(), shippedCatalogue);
        ASSERT_TRUE(QDir().mkpath(platform.AppPath() + QStringLiteral("/sysdyn")));
        for (const ResultFixture* r : { &kBrisolt, &kDovra, &kSkellin, &kQuenmar2, &kTarnel2 })
            WriteBytes(SysdynPath(r->file), r->bytes);
    }

    // Starts a window over the folder, shown and active so focus moves are real.
    std::unique_ptr<Form1> Start(FakePlatform& on)
    {
        auto form = std::make_unique<Form1>(on);
        form->show();
        form->activateWindow();
        EXPECT_TRUE(WaitFor([&] { return form->isActiveWindow(); }));
        return form;
    }

    QString CataloguePath() const { return platform.AppPath() + QStringLiteral("/vindrel.txt"); }
    QString SysdynPath(const char* file) const
    {
        return platform.AppPath() + QStringLiteral("/sysdyn/") + QString::fromUtf8(file);
    }

    static QString Focused()
    {
        QWidget* w = QApplication::focusWidget();
        return w ? w->objectName() : QStringLiteral("(aucun)");
    }

    // Presses Alt + letter in the focused control, as a user would. An access
    // key clicks its button after a short press animation: wait for it.
    static void AltKey(Qt::Key key)
    {
        KeyClick(QApplication::focusWidget(), key, Qt::AltModifier);
        EXPECT_TRUE(WaitFor([] {
            const QWidgetList widgets = QApplication::allWidgets();
            return std::none_of(widgets.begin(), widgets.end(), [](QWidget* w) {
                auto* button = qobject_cast<QAbstractButton*>(w);
                return button && button->isDown();
            });
        }));
    }

    // Types a text into the focused control, one key per character.
    static void Type(const QString& text)
    {
        for (const QChar c : text)
            KeyClick(QApplication::focusWidget(), Qt::Key_unknown, Qt::NoModifier, QString(c));
    }

    // Every message box prompt, in order.
    QStringList Prompts() const
    {
        QStringList prompts;
        for (const ShownMessage& m : platform.messages)
            prompts << m.prompt;
        return prompts;
    }

    FakePlatform platform;
    QByteArray shippedCatalogue;
};

} // namespace vindrel::test
