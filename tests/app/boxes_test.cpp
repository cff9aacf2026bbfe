// The message box and the input box of the Qt platform: line breaks, the
// scrolling view for long texts, Ctrl+C, the input box's answer and place.
#include "app/boxes.h"
#include "ui_helpers.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace vindrel::test {
namespace {

QString Clipboard()
{
    return QGuiApplication::clipboard()->text();
}

void CtrlC(QWidget* target)
{
    KeyClick(target, Qt::Key_C, Qt::ControlModifier, QStringLiteral("\x03"));
}

TEST(MessageBox, ShortTextShowsCrLfAsLineBreaksWithItsCaption)
{
    MessageBox box(
        QStringLiteral("Analyse générale du système terminée\r\n  ligne 2"), QStringLiteral("Vindrel"));
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Vindrel"));
    EXPECT_EQ(box.layoutKind(), MessageLayout::Compact);
    EXPECT_EQ(box.findChild<QLabel*>(QStringLiteral("text"))->text(),
        QStringLiteral("Analyse générale du système terminée\n  ligne 2"));
    EXPECT_EQ(box.okButton()->text(), QStringLiteral("OK"));
    EXPECT_EQ(box.findChildren<QPushButton*>().size(), 1);
}

TEST(MessageBox, CtrlCCopiesTheWholeTextOfACompactBoxAndEnterClosesIt)
{
    MessageBox box(QStringLiteral("ASTUCE\r\nsecond"), QStringLiteral("ASTUCE 1"));
    QGuiApplication::clipboard()->clear();
    CtrlC(box.okButton());
    EXPECT_EQ(Clipboard(), QStringLiteral("ASTUCE\nsecond"));

    WhenModalOpens([](QWidget* shown) { KeyClick(shown->findChild<QPushButton*>(), Qt::Key_Return); });
    box.exec();
    EXPECT_FALSE(box.isVisible());
}

TEST(MessageBox, TenMegabyteTextScrollsInsideABoxThatStaysOnTheScreen)
{
    QString text;
    const QString line = QStringLiteral("  x = %1, y = 0.5 : noeud attractif (valeurs propres réelles)\r\n");
    while (text.size() < 10'000'000)
        text += line.arg(text.size());
    MessageBox box(text, QStringLiteral("Vindrel"));
    ASSERT_EQ(box.layoutKind(), MessageLayout::Scrolling);
    QPlainTextEdit* view = box.view();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->isReadOnly());
    EXPECT_EQ(view->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(view->document()->blockCount(), text.count(QStringLiteral("\r\n")) + 1);
    EXPECT_EQ(view->document()->firstBlock().text(),
        QStringLiteral("  x = 0, y = 0.5 : noeud attractif (valeurs propres réelles)"));

    box.show();
    ASSERT_TRUE(WaitFor([&] { return box.isVisible(); }));
    EXPECT_GT(view->verticalScrollBar()->maximum(), 0);
    const QRect screen = box.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(box.frameGeometry()))
        << box.frameGeometry().width() << "x" << box.frameGeometry().height();
}

TEST(MessageBox, AVeryWideLineScrollsSidewaysInPiecesAndIsCopiedWhole)
{
    const QString line = QString(2500, QLatin1Char('w'));
    MessageBox box(line, QStringLiteral("Vindrel"));
    ASSERT_EQ(box.layoutKind(), MessageLayout::Scrolling);
    EXPECT_EQ(box.view()->document()->blockCount(), 3);
    box.show();
    ASSERT_TRUE(WaitFor([&] { return box.isVisible(); }));
    EXPECT_GT(box.view()->horizontalScrollBar()->maximum(), 0);
    CtrlC(box.okButton());
    EXPECT_EQ(Clipboard(), line);
}

TEST(MessageBox, CtrlCInTheScrollingViewCopiesTheWholeTextOrTheSelection)
{
    QString text;
    for (int i = 0; i < 500; ++i)
        text += QStringLiteral("ligne %1\r\n").arg(i);
    MessageBox box(text, QStringLiteral("Vindrel"));
    ASSERT_EQ(box.layoutKind(), MessageLayout::Scrolling);
    const QString shown = ShownLineEnds(text);

    QGuiApplication::clipboard()->clear();
    CtrlC(box.okButton());
    EXPECT_EQ(Clipboard(), shown);

    QGuiApplication::clipboard()->clear();
    CtrlC(box.view());
    EXPECT_EQ(Clipboard(), shown);

    QTextCursor cursor = box.view()->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(7, QTextCursor::KeepAnchor);
    box.view()->setTextCursor(cursor);
    CtrlC(box.view());
    EXPECT_EQ(Clipboard(), QStringLiteral("ligne 0"));
}

TEST(InputBox, OpensWithTheDefaultTextAtTheGivenCorner)
{
    InputBox box(QStringLiteral("Nom que vous voulez donner"),
        QStringLiteral("Enregistrement du nouveau système?"), QStringLiteral("NOM CHOISI"), QPoint(0, 0));
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Enregistrement du nouveau système?"));
    EXPECT_EQ(box.findChild<QLabel*>(QStringLiteral("prompt"))->text(),
        QStringLiteral("Nom que vous voulez donner"));
    EXPECT_EQ(box.field()->text(), QStringLiteral("NOM CHOISI"));
    EXPECT_EQ(box.pos(), QPoint(0, 0));
    EXPECT_EQ(box.findChild<QPushButton*>(QStringLiteral("ok"))->text(), QStringLiteral("OK"));
    EXPECT_EQ(box.findChild<QPushButton*>(QStringLiteral("cancel"))->text(), QStringLiteral("Annuler"));
}

struct Closing {
    const char* how;
    std::function<void(QWidget*)> close;
    const char* answer;
};

TEST(InputBox, OkReturnsTheFieldCancelEscapeAndCloseReturnEmpty)
{
    const auto typeName
        = [](QWidget* box) { box->findChild<QLineEdit*>()->setText(QStringLiteral(" Lotka ")); };
    const Closing closings[] = {
        { "OK",
            [&](QWidget* b) {
                typeName(b);
                b->findChild<QPushButton*>(QStringLiteral("ok"))->click();
            },
            " Lotka " },
        { "Enter",
            [&](QWidget* b) {
                typeName(b);
                KeyClick(b->findChild<QLineEdit*>(), Qt::Key_Return);
            },
            " Lotka " },
        { "Cancel",
            [&](QWidget* b) {
                typeName(b);
                b->findChild<QPushButton*>(QStringLiteral("cancel"))->click();
            },
            "" },
        { "Escape",
            [&](QWidget* b) {
                typeName(b);
                KeyClick(b->findChild<QLineEdit*>(), Qt::Key_Escape);
            },
            "" },
        { "close box",
            [&](QWidget* b) {
                typeName(b);
                b->close();
            },
            "" },
    };
    for (const Closing& c : closings) {
        InputBox box(
            QStringLiteral("Nom ?"), QStringLiteral("Titre"), QStringLiteral("NOM CHOISI"), QPoint(0, 0));
        WhenModalOpens(c.close);
        box.exec();
        EXPECT_EQ(box.answer(), QString::fromUtf8(c.answer)) << c.how;
    }
}

} // namespace
} // namespace vindrel::test
