// SPDX-License-Identifier: MIT
// QtScanCodes.h: the scan-code reader of a program whose Qt runs on X11: the keyboard mapping
// of Qt's own X connection.
#pragma once

#include "Platform/ScanCodes.h"

namespace platform::x11 {

// Reads the mapping afresh for each key (one round trip), so a layout changed meanwhile is
// followed; answers none while Qt does not run on X11 (offscreen).
ScanCodeReader qtScanCodeReader();

}  // namespace platform::x11
