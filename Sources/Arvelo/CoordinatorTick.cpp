// CoordinatorTick.cpp: the steady-state pass that each beat runs after its refresh, and the
// rebuilding of every chrome panel from the current layouts.
#include "Arvelo/Coordinator.h"

#include "Arvelo/ChromeController.h"

namespace arvelo {

void Coordinator::processTick(const std::set<std::string>& previousKeys) {
    // The corrections of the tick (Space switches, pruning, docking arrivals, drift and hand
    // resizes, sheets, focus, miniatures, pictures, restacking, diagnostics) come with the
    // tick's own change; until then a beat only refreshes.
    (void)previousKeys;
}

void Coordinator::restoreChrome() {
    chrome->clear();
    if (!managing.get()) return;
    for (const auto& display : displays.get())
        if (states->contains(display.id)) chrome->show(layout(display.id), display);
}

}  // namespace arvelo
