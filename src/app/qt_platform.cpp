#include "app/qt_platform.h"

#include "app/boxes.h"
#include "app/texts.h"
#include "app/twips.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QUrl>

namespace vindrel {

namespace {

// Boxes open over the window in front, so that they are modal to it. Right
// after a box has closed no window is active yet (X11 activates windows
// asynchronously): a box shown then still belongs to the main window, which
// gets the keyboard back when it closes.
QWidget* BoxParent()
{
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (QWidget* active = QApplication::activeWindow()) return active;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows)
        if (window->isVisible() && qobject_cast<QMainWindow*>(window)) return window;
    return nullptr;
}

// Gives the keyboard back to the window under a closed box (a window
// manager does it; without one the focus would be left nowhere).
void Reactivate(QWidget* window)
{
    if (window && window->isVisible()) window->activateWindow();
}

QSize ScreenPixels()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(0, 0);
}

// Where the program would be found: a bare name on the PATH, a path with a
// separator from the working directory.
QString ResolveProgram(const QString& program, const QString& workingDirectory)
{
    if (program.contains(QLatin1Char('/'))) {
        const QFileInfo info(QDir(workingDirectory), program);
        return info.isFile() ? info.absoluteFilePath() : QString();
    }
    return QStandardPaths::findExecutable(program);
}

} // namespace

QtPlatform::QtPlatform() = default;
QtPlatform::~QtPlatform() = default;

void QtPlatform::MsgBox(const QString& prompt, const QString& caption)
{
    QWidget* parent = BoxParent();
    MessageBox box(prompt, caption, parent);
    box.exec();
    Reactivate(parent);
}

QString QtPlatform::InputBox(
    const QString& prompt, const QString& title, const QString& defaultText, int xTwips, int yTwips)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QPoint origin = screen ? screen->geometry().topLeft() : QPoint();
    const QPoint topLeft = origin + QPoint(PixelsFromTwips(xTwips), PixelsFromTwips(yTwips));
    QWidget* parent = BoxParent();
    vindrel::InputBox box(prompt, title, defaultText, topLeft, parent);
    box.exec();
    Reactivate(parent);
    return box.answer();
}

void QtPlatform::StartProgram(const QString& program, const QStringList& arguments, WindowStyle)
{
    // Programs started here have no window of their own on this platform,
    // so both window styles start them the same way.
    const QString directory = AppPath();
    if (ResolveProgram(program, directory).isEmpty())
        throw PlatformError(texts::kErrFileNotFound, texts::FileNotFound(program));

    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(directory);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!process.startDetached())
        throw PlatformError(texts::kErrCannotStart, texts::CannotStart(program, process.errorString()));
}

void QtPlatform::OpenPage(const QString& path)
{
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        throw PlatformError(texts::kErrCannotStart, texts::CannotOpenPage(path));
}

QString QtPlatform::AppPath() const
{
    return QCoreApplication::applicationDirPath();
}

int QtPlatform::ScreenWidthTwips() const
{
    return TwipsFromPixels(ScreenPixels().width());
}

int QtPlatform::ScreenHeightTwips() const
{
    return TwipsFromPixels(ScreenPixels().height());
}

void QtPlatform::End()
{
    QCoreApplication::exit(0);
}

} // namespace vindrel
