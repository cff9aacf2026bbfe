// The operations that the window's handlers need from the windowing system
// and the operating system. The program uses the Qt implementation
// (QtPlatform); tests use a recording fake, so that every handler can be
// checked without real modal boxes or real processes.
#pragma once

#include <QString>
#include <QStringList>

#include <stdexcept>

namespace vindrel {

inline const QString kApplicationTitle = QStringLiteral("Vindrel");

enum class WindowStyle { Hidden, NormalFocus };

// A failure that the behaviour leaves uncaught (a program that cannot be
// started, a catalogue that cannot be written). Each handler boundary reports
// it in a message box captioned "Vindrel" and the program goes on running.
class PlatformError : public std::runtime_error {
public:
    PlatformError(int number, const QString& description)
        : std::runtime_error(description.toStdString()), number_(number), description_(description)
    {
    }
    int number() const { return number_; }
    const QString& description() const { return description_; }

private:
    int number_;
    QString description_;
};

// The French report shown for an uncaught failure.
inline QString ErrorReport(const PlatformError& e)
{
    return QStringLiteral("Erreur d'exécution %1 :\r\n%2").arg(e.number()).arg(e.description());
}

class FileChannels;

class Platform {
public:
    virtual ~Platform() = default;

    // Modal message box with one OK button; the caption defaults to "Vindrel".
    virtual void MsgBox(const QString& prompt, const QString& caption = kApplicationTitle) = 0;

    // Modal input box at (xTwips, yTwips) on the screen; OK returns the entry
    // field's text, Cancel or closing returns the empty text.
    virtual QString InputBox(const QString& prompt, const QString& title, const QString& defaultText,
                             int xTwips, int yTwips) = 0;

    // Starts a program without waiting for it; throws PlatformError when it
    // cannot be started. Never uses a shell.
    virtual void StartProgram(const QString& program, const QStringList& arguments, WindowStyle style) = 0;

    // Opens a local page in the desktop's web browser; throws PlatformError
    // when no browser can be started.
    virtual void OpenPage(const QString& path) = 0;

    // Sequential text files by channel number.
    virtual FileChannels& Files() = 0;

    // The directory that holds the program (no trailing separator).
    virtual QString AppPath() const = 0;

    // Screen size in twips (for centring the About box).
    virtual int ScreenWidthTwips() const = 0;
    virtual int ScreenHeightTwips() const = 0;

    // Ends the program at once.
    virtual void End() = 0;
};

} // namespace vindrel
