// SPDX-License-Identifier: MIT
// StatusIcon.h: the program's symbol, three grouped rectangles (one tall on the left, two
// stacked on the right), drawn at any size for the status item and the permissions window.
#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

namespace arvelo {

QPixmap statusSymbol(int size, const QColor& color);
// The colour of the symbol in the status item (the kit's state images take it too).
QColor trayColor();
// The status item's icon at the sizes trays ask for.
QIcon statusIcon();

}  // namespace arvelo
