#include "analysis/paths.h"

namespace vindrel {

namespace {

const QString kToolSubdirectory = QStringLiteral("sysdyn");
const QString kCourseSubdirectory = QStringLiteral("cours");

} // namespace

QString ToolDirectory(const Platform& platform)
{
#ifdef Q_OS_WIN
    (void)platform;
    return kWindowsToolDirectory;
#else
    return platform.AppPath() + QLatin1Char('/') + kToolSubdirectory + QLatin1Char('/');
#endif
}

QString ToolName(Tool tool)
{
    switch (tool) {
    case Tool::Korbast:
        return QStringLiteral("korbast");
    case Tool::Velquin2:
        return QStringLiteral("velquin2");
    case Tool::Durmosk:
        return QStringLiteral("durmosk");
    }
    return {};
}

QString ToolProgram(const Platform& platform, Tool tool)
{
    return ToolDirectory(platform) + ToolName(tool);
}

QString ResultFileName(ResultFile file)
{
    switch (file) {
    case ResultFile::Brisolt:
        return QStringLiteral("brisolt.res");
    case ResultFile::Dovra:
        return QStringLiteral("dovra.res");
    case ResultFile::Skellin:
        return QStringLiteral("skellin.res");
    case ResultFile::Quenmar2:
        return QStringLiteral("quenmar2.pho");
    case ResultFile::Tarnel2:
        return QStringLiteral("tarnel2.res");
    }
    return {};
}

QString ResultDescription(ResultFile file)
{
    switch (file) {
    case ResultFile::Brisolt:
        return QStringLiteral("conclusions de l'analyse");
    case ResultFile::Dovra:
        return QStringLiteral("points fixes");
    case ResultFile::Skellin:
        return QStringLiteral("points à l'infini");
    case ResultFile::Quenmar2:
        return QStringLiteral("recherche d'un hamiltonien");
    case ResultFile::Tarnel2:
        return QStringLiteral("calculs explicatifs");
    }
    return {};
}

QString ResultPath(const Platform& platform, ResultFile file)
{
    return ToolDirectory(platform) + ResultFileName(file);
}

QString CoursePagePath(const Platform& platform, CoursePage page)
{
    const QString name
        = page == CoursePage::Theorie ? QStringLiteral("morvath.html") : QStringLiteral("vindrel.html");
#ifdef Q_OS_WIN
    (void)platform;
    return kWindowsCourseDirectory + name;
#else
    return platform.AppPath() + QLatin1Char('/') + kCourseSubdirectory + QLatin1Char('/') + name;
#endif
}

} // namespace vindrel
