#include "fake_platform.h"

namespace vindrel::test {

FakePlatform::FakePlatform()
    : appPath_(dir_.path())
{
}

void FakePlatform::MsgBox(const QString& prompt, const QString& caption)
{
    messages.push_back({prompt, caption});
}

QString FakePlatform::InputBox(const QString& prompt, const QString& title, const QString& defaultText, int xTwips,
                               int yTwips)
{
    inputs.push_back({prompt, title, defaultText, xTwips, yTwips});
    if (inputAnswers.empty()) return QString();
    QString answer = inputAnswers.front();
    inputAnswers.pop_front();
    return answer;
}

void FakePlatform::StartProgram(const QString& program, const QStringList& arguments, WindowStyle style)
{
    if (startFailure) throw *startFailure;
    started.push_back({program, arguments, style});
}

void FakePlatform::OpenPage(const QString& path)
{
    if (startFailure) throw *startFailure;
    openedPages.push_back(path);
}

} // namespace vindrel::test
