// Small helpers for driving widgets in tests without a real display: key
// presses that go through the shortcut machinery, polling with a deadline,
// and a guard that closes any modal box left open by a failing test.
#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace vindrel::test {

// Processes events until the condition holds or the time is up.
inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 3000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// A key press and release sent to a widget; a press that matches a shortcut
// or an access key triggers it, as a typed key would.
inline void KeyClick(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
    const QString& text = QString())
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(target, &release);
}

// Runs an action once the next modal box is open (the box that exec() is
// about to show); closes that box after a few seconds if it is still open,
// so that a broken test fails instead of hanging.
inline void WhenModalOpens(const std::function<void(QWidget*)>& action)
{
    QTimer::singleShot(0, qApp, [action] {
        WaitFor([] { return QApplication::activeModalWidget() != nullptr; });
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        QTimer::singleShot(5000, qApp, [modal] {
            if (modal && modal->isVisible()) modal->close();
        });
        if (modal) action(modal);
    });
}

} // namespace vindrel::test
