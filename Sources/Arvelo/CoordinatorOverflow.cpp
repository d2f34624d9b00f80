// CoordinatorOverflow.cpp: overflow tabbing, which apply() asks after every pass whether a
// window that does not fit its tile should become a tab of another tile (or come back out).
#include "Arvelo/Coordinator.h"

namespace arvelo {

// Both report whether they changed a tree; the repair itself comes with overflow tabbing's
// own change, and until then no tree is changed.
bool Coordinator::tabOverflow() { return false; }

bool Coordinator::untabOverflow() { return false; }

}  // namespace arvelo
