// The analysis run: Analyser starts korbast, then velquin2 and durmosk,
// hidden, with the component texts on their command lines, and marks the
// system analysed.
//
// A command line is "<tool directory><tool> P Q" (tools 2 and 3 add " xy").
// No shell is involved: the program is the tool's path, and only the text
// after "<tool> " is split into words, so that a tool directory holding blanks
// stays whole. The words are split at blanks and tabs, runs of them counting
// as one separator (no empty word); quotes and every other character reach the
// tool as typed.
#pragma once

#include "analysis/paths.h"
#include "app/form_controls.h"
#include "app/platform.h"
#include "app/working_state.h"

#include <QStringList>

namespace vindrel {

struct CommandLine {
    QString program;
    QStringList arguments;
};

// The full command line text of a tool for the components p and q.
QString ToolCommandText(const Platform& platform, Tool tool, const QString& p, const QString& q);
// The same command line as a program and its words.
CommandLine ToolCommand(const Platform& platform, Tool tool, const QString& p, const QString& q);
// The words of the text after a command's program path.
QStringList SplitWords(const QString& text);

void Analyser_Click(Platform& platform, FormControls& form, WorkingState& state);

} // namespace vindrel
