#include "analysis/analysis.h"

#include <utility>

namespace vindrel {

namespace {

const QString kAlreadyAnalysed = QStringLiteral("Système en cours déjà analysé!");
const QString kNoSystem = QStringLiteral("Sélectionnez un système d'équations !");
const QString kGeneralAnalysisDone = QStringLiteral("Analyse générale du système terminée");
const QString kFixedPointsDone = QStringLiteral("Recherche des points fixes terminée");
const QString kVariables = QStringLiteral("xy");

// The arguments after the tool's path: "P Q", and " xy" for tools 2 and 3.
QString ArgumentText(Tool tool, const QString& p, const QString& q)
{
    QString text = p + QLatin1Char(' ') + q;
    if (tool != Tool::Korbast) text += QLatin1Char(' ') + kVariables;
    return text;
}

void Start(Platform& platform, Tool tool, const QString& p, const QString& q)
{
    const CommandLine command = ToolCommand(platform, tool, p, q);
    platform.StartProgram(command.program, command.arguments, WindowStyle::Hidden);
}

} // namespace

QString ToolCommandText(const Platform& platform, Tool tool, const QString& p, const QString& q)
{
    return ToolProgram(platform, tool) + QLatin1Char(' ') + ArgumentText(tool, p, q);
}

QStringList SplitWords(const QString& text)
{
    QStringList words;
    QString word;
    for (const QChar c : text) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            if (!word.isEmpty()) words.push_back(std::exchange(word, QString()));
        } else {
            word += c;
        }
    }
    if (!word.isEmpty()) words.push_back(word);
    return words;
}

CommandLine ToolCommand(const Platform& platform, Tool tool, const QString& p, const QString& q)
{
    return { ToolProgram(platform, tool), SplitWords(ArgumentText(tool, p, q)) };
}

void Analyser_Click(Platform& platform, FormControls& form, WorkingState& state)
{
    if (state.iana != 0) {
        platform.MsgBox(kAlreadyAnalysed);
        form.SetFocus(Control::Resultats);
        return;
    }
    const QString p = form.Text(Control::Composante1);
    const QString q = form.Text(Control::Composante2);
    if (p.isEmpty() || q.isEmpty()) {
        platform.MsgBox(kNoSystem);
        form.SetFocus(Control::Composante1);
        return;
    }
    Start(platform, Tool::Korbast, p, q);
    platform.MsgBox(kGeneralAnalysisDone);
    Start(platform, Tool::Velquin2, p, q);
    Start(platform, Tool::Durmosk, p, q);
    platform.MsgBox(kFixedPointsDone);
    state.iana = 1;
    form.SetFocus(Control::Resultats);
}

} // namespace vindrel
