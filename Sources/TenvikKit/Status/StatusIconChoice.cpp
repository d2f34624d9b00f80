// SPDX-License-Identifier: MIT
// StatusIconChoice.cpp: the status image table.
#include "TenvikKit/Status/StatusIconChoice.h"

namespace tenvik {

StatusIconChoice StatusIconChoice::choose(bool focusLocked, bool pinned, bool pinFailed) {
    if (focusLocked && pinned) return {kCompositeSymbol, "Focus locked and pinned"};
    if (focusLocked) return {"lock.fill", "Focus locked"};
    if (pinned) return {"pin.fill", "Pinned window"};
    if (pinFailed) return {"pin.slash", "Pin failed"};
    return {"pin", "Idle"};
}

}  // namespace tenvik
