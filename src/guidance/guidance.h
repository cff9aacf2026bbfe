// Guidance: the four cycling tips and the two course pages opened in the
// browser. (The About box is a dialog of its own: about.h.)
#pragma once

#include "app/platform.h"
#include "app/working_state.h"

namespace vindrel {

void ASTUCES_Click(Platform& platform, WorkingState& state);
void Aide_sur_la_théorie_Click(Platform& platform);
void Informations_Click(Platform& platform); // also the menu item mnuInfo

} // namespace vindrel
