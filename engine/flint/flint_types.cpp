#include "engine/flint/flint_types.h"

// The holders are header-only; this unit checks that the header stands alone.
