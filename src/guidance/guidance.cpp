#include "guidance/guidance.h"

#include "analysis/paths.h"

#include <array>

namespace vindrel {

namespace {

struct Tip {
    QString title;
    QString first;
    QString second; // empty: the tip is its first text alone
};

const std::array<Tip, 4> kTips = { {
    { QStringLiteral("ASTUCE 1"),
        QStringLiteral("Commencez par choisir un système ou tapez les deux composantes d'un système!"),
        QStringLiteral(
            "Ensuite cliquez TOUJOURS le bouton Analyser AVANT de cliquer le bouton Résultats ou l'un des "
            "boutons spécifiques Points fixes?, Calculs explicatifs? ou Hamiltonien? !!!") },
    { QStringLiteral("ASTUCE 2"),
        QStringLiteral(
            "Pour intégrer un pôlynome P(x), choisissez P(x) pour la première composante et 0 ou une "
            "constante pour la seconde."),
        QString() },
    { QStringLiteral("ASTUCE 3"),
        QStringLiteral(
            "Pour définir et enregistrer un nouveau système, sélectionnez Nouveau système dans la boite "
            "déroulante des noms de systèmes différentiels."),
        QStringLiteral(
            "Choissisez les composantes qui vous conviennent, cliquez le bouton Analyser puis le bouton "
            "Résultats; on vous demandera ensuite de donner un nom à VOTRE nouveau système qui figurera "
            "dans la boite déroulante, dès la prochaine activation du logociel.") },
    { QStringLiteral("ASTUCE 4"),
        QStringLiteral(
            "Attention lorsque vous mettez des constantes littérales dans les composantes (par exemple -a "
            "et -2abx-b)!! C'est en principe INTERDIT dans ce logiciel."),
        QStringLiteral(
            " Dans ce cas, seule l'hamiltonicité est traitée et prévue; le bouton Résultats pourra donc "
            "donner des informations incomplètes ou parler d'erreur! Seul le bouton Hamiltonien? donnera "
            "des réponses correctes et complètes; le bouton Résultats sera valable si le système considéré "
            "est effectivement hamiltonien.") },
} };

void OpenCoursePage(Platform& platform, CoursePage page)
{
#ifdef Q_OS_WIN
    platform.StartProgram(kWindowsBrowser, { CoursePagePath(platform, page) }, WindowStyle::NormalFocus);
#else
    platform.OpenPage(CoursePagePath(platform, page));
#endif
}

} // namespace

void ASTUCES_Click(Platform& platform, WorkingState& state)
{
    state.iastu += 1;
    for (int n = 1; n <= static_cast<int>(kTips.size()); ++n) {
        if (state.iastu != n) continue;
        const Tip& tip = kTips[n - 1];
        platform.MsgBox(
            tip.second.isEmpty() ? tip.first : tip.first + QStringLiteral("\r\n") + tip.second, tip.title);
    }
    if (state.iastu == static_cast<int>(kTips.size())) state.iastu = 0;
}

void Aide_sur_la_théorie_Click(Platform& platform)
{
    OpenCoursePage(platform, CoursePage::Theorie);
}

void Informations_Click(Platform& platform)
{
    OpenCoursePage(platform, CoursePage::Informations);
}

} // namespace vindrel
