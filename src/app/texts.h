// Every text that the main window, its message and input boxes and the About
// box show, spelled exactly as the user sees them. The handlers' own messages
// live with their areas (catalogue, analysis, results, guidance).
#pragma once

#include <QString>

namespace vindrel::texts {

// Main window.
inline const QString kForm1Caption
    = QStringLiteral("Analyseur d'équations polynômiales (Dorvel)  - KESTORA -");
inline const QString kLabel1 = QStringLiteral("              dx/dt =");
inline const QString kLabel2 = QStringLiteral("              dy/dt =");
inline const QString kSysteme = QStringLiteral("                 Système :");
inline const QString kLabel3 = QStringLiteral(
    "Vous pouvez soit sélectionner un système type dans la boîte déroulante (hamiltonien, hamiltonien "
    "linéaire, gradient ...), soit en définir un  par ses composantes dans les cases correspondant à dx/dt "
    "et à dy/dt. Après avoir activé le bouton \"Analyser\", l'activation du bouton \"Résultats\" affichera "
    "les conclusions.");
inline const QString kRappels = QStringLiteral("RAPPELS THEORIQUES:");
inline const QString kAnalyser = QStringLiteral("&Analyser");
inline const QString kResultats = QStringLiteral("&Résultats");
inline const QString kQuitter = QStringLiteral("&Quitter");
inline const QString kHamiltonien = QStringLiteral("&Hamiltonien?");
inline const QString kCalculsExplicatifs = QStringLiteral("&Calculs explicatifs?");
inline const QString kPointsFixes = QStringLiteral("&Points fixes? ");
inline const QString kAideSurLaTheorie = QStringLiteral("Aide sur la théorie");
inline const QString kAstuces = QStringLiteral("A&stuces");
inline const QString kEnregistrer = QStringLiteral("&Enregistrer");
inline const QString kInformations = QStringLiteral("Informations");

// Menu.
inline const QString kMenuAide = QStringLiteral("&?");
inline const QString kMenuApropos = QStringLiteral("A propos");
inline const QString kMenuInfo = QStringLiteral("Informations");

// What the About command passes to the About box.
inline const QString kAboutApplication = QStringLiteral("Projet VINDREL");
inline const QString kAboutHeading
    = QStringLiteral("Editeurs d'équations différentielles ordinaires dans R2");
inline const QString kAboutCopyright = QStringLiteral("Copyright © 2026 les auteurs de Vindrel");

// About box.
inline const QString kAboutCaption = QStringLiteral("À propos");
inline const QString kAboutOk = QStringLiteral("OK");
inline const QString kPlaceholderApplication = QStringLiteral("- Application -");
inline const QString kPlaceholderHeading = QStringLiteral("- Heading -");
inline const QString kPlaceholderCopyright = QStringLiteral("- Copyright -");
inline const QString kAboutFontFamily = QStringLiteral("MS Sans Serif");
inline constexpr double kAboutFontPointSize = 13.5;

// Message and input boxes.
inline const QString kOk = QStringLiteral("OK");
inline const QString kCancel = QStringLiteral("Annuler");

// Reports of failures (number and French description, shown by ErrorReport).
inline constexpr int kErrFileNotFound = 53;
inline constexpr int kErrCannotStart = 5;
inline constexpr int kErrOutOfMemory = 7;
inline constexpr int kErrInternal = 51;
inline QString FileNotFound(const QString& program)
{
    return QStringLiteral("Fichier introuvable : %1").arg(program);
}
inline QString CannotStart(const QString& program, const QString& reason)
{
    return QStringLiteral("Impossible de lancer %1 : %2").arg(program, reason);
}
inline QString CannotOpenPage(const QString& path)
{
    return QStringLiteral("Impossible d'ouvrir la page %1 : aucun navigateur n'a pu être lancé").arg(path);
}
inline const QString kOutOfMemory = QStringLiteral("Mémoire insuffisante");
inline QString InternalError(const QString& what)
{
    return QStringLiteral("Erreur interne : %1").arg(what);
}
inline const QString kUnknownError = QStringLiteral("Erreur interne inconnue");

} // namespace vindrel::texts
