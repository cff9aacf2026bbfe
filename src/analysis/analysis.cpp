#include "analysis/analysis.h"

namespace vindrel {

// Placeholder, replaced by the analysis-run work.
void Analyser_Click(Platform&, FormControls&, WorkingState&) {}

} // namespace vindrel
