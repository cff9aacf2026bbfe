// Result files: LireFichier reads a whole file, line by line, each line
// decoded from the DOS code page by DecodeTexte, the lines joined by CR LF.
// The four result commands show them in a message box.
#pragma once

#include "app/form_controls.h"
#include "app/platform.h"
#include "app/working_state.h"

namespace vindrel {

QString LireFichier(Platform& platform, int ifich, const QString& stfi);
QString DecodeTexte(const QString& st);

void Résultats_Click(Platform& platform, FormControls& form, WorkingState& state);
void Points_fixes_Click(Platform& platform, FormControls& form, WorkingState& state);
void Hamiltonien_Click(Platform& platform, FormControls& form, WorkingState& state);
void Calculs_explicatifs_Click(Platform& platform, FormControls& form, WorkingState& state);

} // namespace vindrel
