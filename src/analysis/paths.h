// The fixed places of the program's companions: the analysis tools and their
// result files (the tool directory), and the two course pages. Nothing here is
// a setting. A Windows build keeps the historical fixed paths; elsewhere the
// tool directory is sysdyn/ and the pages are in cours/, both in the directory
// that holds the program.
#pragma once

#include "app/platform.h"

#include <QString>

namespace vindrel {

// The historical Windows places, used by a Windows build only.
inline const QString kWindowsToolDirectory = QStringLiteral("c:\\dk3\\calvesta\\sysdyn\\");
inline const QString kWindowsBrowser = QStringLiteral("c:\\progra~1\\intern~1\\iexplore");
inline const QString kWindowsCourseDirectory = QStringLiteral("c:\\dk5\\cours\\");

enum class Tool { Korbast, Velquin2, Durmosk };
enum class ResultFile { Brisolt, Dovra, Skellin, Quenmar2, Tarnel2 };
enum class CoursePage { Theorie, Informations };

// The tool directory, ending with its separator.
QString ToolDirectory(const Platform& platform);
QString ToolName(Tool tool);
// The tool's program path: the tool directory followed by its name.
QString ToolProgram(const Platform& platform, Tool tool);

QString ResultFileName(ResultFile file);
// What a result file holds, in words ("les points fixes", ...).
QString ResultDescription(ResultFile file);
QString ResultPath(const Platform& platform, ResultFile file);

QString CoursePagePath(const Platform& platform, CoursePage page);

} // namespace vindrel
