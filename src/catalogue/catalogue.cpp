#include "catalogue/catalogue.h"

namespace vindrel {

// Placeholders, replaced by the catalogue work.
void ChargerCatalogue(Platform&, FormControls&, WorkingState&) {}
void Nom_Click(FormControls&, WorkingState&) {}
void Enregistrer_Click(Platform&, FormControls&) {}
void EtapeEnregistrement(Platform&, const FormControls&, RecordVariant) {}

} // namespace vindrel
