// Result files: LireFichier reads a whole file, line by line, each line
// decoded from the DOS code page by DecodeTexte, the lines joined by CR LF.
// The four result commands check that a system is present and analysed, show
// their file (Points_fixes: two files) in one message box and hand the focus
// along Résultats -> Points_fixes -> Hamiltonien -> Calculs_explicatifs.
// Résultats then offers to record the system in new-system mode.
#pragma once

#include "app/form_controls.h"
#include "app/platform.h"
#include "app/working_state.h"

namespace vindrel {

QString LireFichier(Platform& platform, int ifich, const QString& stfi);
QString DecodeTexte(const QString& st);

// True when the text reads as a number whose value is zero: blanks around, a
// sign, a decimal point or comma and an exponent are accepted ("-0", "0,0",
// " 0.000 ", "0e3"); "", "O" and "0x" are no number.
bool EstNombreNul(const QString& text);
// The message of Points_fixes: the first text alone when the second is zero,
// otherwise both joined by CR LF.
QString JoindrePointsFixes(const QString& first, const QString& second);

void Résultats_Click(Platform& platform, FormControls& form, WorkingState& state);
void Points_fixes_Click(Platform& platform, FormControls& form, WorkingState& state);
void Hamiltonien_Click(Platform& platform, FormControls& form, WorkingState& state);
void Calculs_explicatifs_Click(Platform& platform, FormControls& form, WorkingState& state);

} // namespace vindrel
