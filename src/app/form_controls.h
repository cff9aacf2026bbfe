// The controls of the main window as the handlers see them: read and set
// texts, add an item to Nom's list, move the focus. Form1 implements it with
// its widgets; tests of the handlers' logic use a recording fake.
#pragma once

#include <QString>

namespace vindrel {

enum class Control {
    Nom,
    Composante1,
    Composante2,
    Analyser,
    Resultats,
    Quitter,
    Hamiltonien,
    Calculs_explicatifs,
    Points_fixes,
    Aide_sur_la_theorie,
    ASTUCES,
    Enregistrer,
    Informations,
};

class FormControls {
public:
    virtual ~FormControls() = default;
    // Text of Composante1, Composante2 or Nom.
    virtual QString Text(Control c) const = 0;
    // Sets the text of Composante1 or Composante2 (a change like any other:
    // the change handlers run and clear iana).
    virtual void SetText(Control c, const QString& text) = 0;
    // Adds an item at the end of Nom's list.
    virtual void AddNomItem(const QString& text) = 0;
    virtual void SetFocus(Control c) = 0;
};

} // namespace vindrel
