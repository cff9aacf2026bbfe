// The Qt platform's program start: no shell, arguments passed whole, the
// program's directory as working directory, French failures.
#include "app/qt_platform.h"
#include "ui_helpers.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vindrel::test {
namespace {

QString ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(QtPlatformStart, ArgumentsArriveWholeWithoutAShellAndTheProgramRunsInItsDirectory)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.txt"));
    QtPlatform platform;
    // The script writes its working directory, then each argument on a line.
    platform.StartProgram(QStringLiteral("/bin/sh"),
        { QStringLiteral("-c"),
            QStringLiteral("{ pwd; printf '%s\\n' \"$@\"; } > \"$0.tmp\" && mv \"$0.tmp\" \"$0\""), out,
            QStringLiteral("x^2 - y"), QStringLiteral("$HOME;*"), QStringLiteral("xy") },
        WindowStyle::Hidden);
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(out); }, 10000));
    EXPECT_EQ(
        ReadAll(out), QCoreApplication::applicationDirPath() + QStringLiteral("\nx^2 - y\n$HOME;*\nxy\n"));
}

struct Missing {
    const char* program;
    const char* report;
};

TEST(QtPlatformStart, AMissingProgramIsFileNotFound)
{
    const Missing cases[] = {
        { "/nonexistent/dir/korbast", "Fichier introuvable : /nonexistent/dir/korbast" },
        { "vindrel-no-such-tool", "Fichier introuvable : vindrel-no-such-tool" },
        { "sysdyn/not-there", "Fichier introuvable : sysdyn/not-there" },
    };
    QtPlatform platform;
    for (const Missing& m : cases) {
        try {
            platform.StartProgram(QString::fromUtf8(m.program), {}, WindowStyle::Hidden);
            ADD_FAILURE() << m.program << " started";
        } catch (const PlatformError& e) {
            EXPECT_EQ(e.number(), 53) << m.program;
            EXPECT_EQ(e.description(), QString::fromUtf8(m.report)) << m.program;
        }
    }
}

TEST(QtPlatformStart, AFileThatCannotRunIsReportedWithTheSystemsReason)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("korbast"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a program\n");
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    QtPlatform platform;
    try {
        platform.StartProgram(path, {}, WindowStyle::Hidden);
        ADD_FAILURE() << "started";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.number(), 5);
        EXPECT_TRUE(e.description().startsWith(QStringLiteral("Impossible de lancer %1 : ").arg(path)))
            << e.description().toStdString();
        EXPECT_GT(e.description().size(), QStringLiteral("Impossible de lancer %1 : ").arg(path).size());
    }
}

TEST(QtPlatform, ScreenSizeIsInTwipsAtFifteenPerPixel)
{
    // The offscreen platform's screen is 800 x 800 pixels.
    QtPlatform platform;
    EXPECT_EQ(platform.ScreenWidthTwips(), 12000);
    EXPECT_EQ(platform.ScreenHeightTwips(), 12000);
}

} // namespace
} // namespace vindrel::test
