#include "fake_platform.h"

#include <QFile>

namespace vindrel::test {

FakePlatform::FakePlatform()
    : appPath_(dir_.path())
{
}

void FakePlatform::MsgBox(const QString& prompt, const QString& caption)
{
    messages.push_back({ prompt, caption });
    events.push_back(QStringLiteral("MsgBox %1: %2").arg(caption, prompt));
}

QString FakePlatform::InputBox(
    const QString& prompt, const QString& title, const QString& defaultText, int xTwips, int yTwips)
{
    inputs.push_back({ prompt, title, defaultText, xTwips, yTwips });
    events.push_back(QStringLiteral("InputBox ") + title);
    if (inputAnswers.empty()) return QString();
    QString answer = inputAnswers.front();
    inputAnswers.pop_front();
    return answer;
}

void FakePlatform::StartProgram(const QString& program, const QStringList& arguments, WindowStyle style)
{
    if (startFailure && started.size() >= startFailureAfter) throw *startFailure;
    events.push_back(QStringLiteral("Start ") + program);
    started.push_back({ program, arguments, style });
}

void FakePlatform::OpenPage(const QString& path)
{
    if (startFailure) throw *startFailure;
    openedPages.push_back(path);
}

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file " + path.toStdString());
}

} // namespace vindrel::test
