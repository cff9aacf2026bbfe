// The system catalogue: vindrel.txt beside the program, records of three
// lines (name, dx/dt, dy/dt) in Windows-1252. Loaded once at start-up into
// the working state and Nom's list; a selection copies an entry into the
// component boxes; recording appends a record.
#pragma once

#include "app/form_controls.h"
#include "app/platform.h"
#include "app/working_state.h"

namespace vindrel {

enum class RecordVariant { Enregistrer, Resultats };

// The loading step of Form_Load.
void ChargerCatalogue(Platform& platform, FormControls& form, WorkingState& state);
void Nom_Click(FormControls& form, WorkingState& state);
void Enregistrer_Click(Platform& platform, FormControls& form);
// The recording step, entered from Enregistrer or from Résultats.
void EtapeEnregistrement(Platform& platform, const FormControls& form, RecordVariant variant);

} // namespace vindrel
