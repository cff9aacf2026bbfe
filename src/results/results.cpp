#include "results/results.h"

namespace vindrel {

// Placeholders, replaced by the results work.
QString LireFichier(Platform&, int, const QString&) { return {}; }
QString DecodeTexte(const QString& st) { return st; }
void Résultats_Click(Platform&, FormControls&, WorkingState&) {}
void Points_fixes_Click(Platform&, FormControls&, WorkingState&) {}
void Hamiltonien_Click(Platform&, FormControls&, WorkingState&) {}
void Calculs_explicatifs_Click(Platform&, FormControls&, WorkingState&) {}

} // namespace vindrel
