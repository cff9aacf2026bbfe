// A recording Platform and FormControls for handler tests: message boxes,
// prompts, started programs and focus moves are recorded; input-box answers
// and start failures are scripted. Files are real, in a temporary folder.
#pragma once

#include "app/file_channels.h"
#include "app/form_controls.h"
#include "app/platform.h"

#include <QMap>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <optional>
#include <vector>

#include <ostream>

// Readable QString values in test failure reports.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os)
{
    *os << '[' << l.join("|").toStdString() << ']';
}

namespace vindrel::test {

struct ShownMessage {
    QString prompt;
    QString caption;
};

struct ShownInput {
    QString prompt;
    QString title;
    QString defaultText;
    int x;
    int y;
};

struct StartedProgram {
    QString program;
    QStringList arguments;
    WindowStyle style;
};

class FakePlatform : public Platform {
public:
    FakePlatform(); // AppPath is a fresh temporary folder

    void MsgBox(const QString& prompt, const QString& caption = kApplicationTitle) override;
    QString InputBox(const QString& prompt, const QString& title, const QString& defaultText, int xTwips,
        int yTwips) override;
    void StartProgram(const QString& program, const QStringList& arguments, WindowStyle style) override;
    void OpenPage(const QString& path) override;
    FileChannels& Files() override { return files_; }
    QString AppPath() const override { return appPath_; }
    int ScreenWidthTwips() const override { return screenWidth; }
    int ScreenHeightTwips() const override { return screenHeight; }
    void End() override { ended = true; }

    // Scripted behaviour.
    std::deque<QString> inputAnswers; // answer of each InputBox in turn ("" when none left)
    std::optional<PlatformError> startFailure; // thrown by StartProgram / OpenPage when set
    std::size_t startFailureAfter = 0; // ... once this many programs have been started
    int screenWidth = 1920 * 15;
    int screenHeight = 1080 * 15;

    // What happened.
    std::vector<ShownMessage> messages;
    std::vector<ShownInput> inputs;
    std::vector<StartedProgram> started;
    QStringList openedPages;
    bool ended = false;
    QStringList events; // "MsgBox <caption>: <prompt>", "InputBox <title>", "Start <program>", in order

    void setAppPath(const QString& path) { appPath_ = path; }

private:
    QTemporaryDir dir_;
    QString appPath_;
    FileChannels files_;
};

// Whole files as bytes, for tests that write inputs and check outputs.
QByteArray ReadBytes(const QString& path);
void WriteBytes(const QString& path, const QByteArray& bytes);

// Controls without widgets: texts, Nom's items and the focus moves.
class FakeControls : public FormControls {
public:
    QString Text(Control c) const override { return texts.value(c); }
    void SetText(Control c, const QString& text) override
    {
        texts[c] = text;
        setTextCalls.push_back(c);
    }
    void AddNomItem(const QString& text) override { nomItems.push_back(text); }
    void SetFocus(Control c) override { focus.push_back(c); }

    QMap<Control, QString> texts;
    QStringList nomItems;
    std::vector<Control> focus; // every focus move, in order
    std::vector<Control> setTextCalls; // every SetText, in order
};

} // namespace vindrel::test
