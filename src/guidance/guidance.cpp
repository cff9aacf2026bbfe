#include "guidance/guidance.h"

namespace vindrel {

// Placeholders, replaced by the guidance work.
void ASTUCES_Click(Platform&, WorkingState&) {}
void Aide_sur_la_théorie_Click(Platform&) {}
void Informations_Click(Platform&) {}

} // namespace vindrel
