// The analysis run: Analyser starts korbast, velquin2 and durmosk hidden,
// with the component texts on their command lines, and marks the system
// analysed.
#pragma once

#include "app/form_controls.h"
#include "app/platform.h"
#include "app/working_state.h"

namespace vindrel {

void Analyser_Click(Platform& platform, FormControls& form, WorkingState& state);

} // namespace vindrel
