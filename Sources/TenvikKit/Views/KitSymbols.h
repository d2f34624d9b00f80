// SPDX-License-Identifier: MIT
// KitSymbols.h: the kit's symbols drawn as vectors with QPainter: "lock", "lock.fill", "pin",
// "pin.fill", "pin.slash", "exclamationmark.triangle" and the lock with a pin badge. Every image
// is monochrome (black with coverage in alpha), so a tray or menu can tint it like a template
// image. The status image of the kit's state comes from StatusIconChoice.
#pragma once

#include "TenvikKit/Status/StatusIconChoice.h"

#include <QIcon>
#include <QImage>
#include <QString>

namespace tenvik {

struct KitImage {
    QImage image;
    QString description;  // accessibility description
    bool isTemplate = true;
};

// One symbol at `size` pixels (18 for the status item); a null image for an unknown name.
QImage symbolImage(const QString& name, int size);

// The status image for the kit's state, with its description.
KitImage statusImage(bool focusLocked, bool pinned, bool pinFailed, int size = 18);
KitImage statusImage(const StatusIconChoice& choice, int size = 18);

// An icon of the symbol at the sizes trays and menus ask for, marked as a mask so the
// desktop's style may tint it.
QIcon symbolIcon(const QString& name);
// The status item's icon for the kit's state, tinted with `tint` (trays on this desktop do
// not tint icons themselves).
QIcon statusIcon(const StatusIconChoice& choice, const QColor& tint);
// The image with every covered pixel in `tint`, its coverage kept.
QImage tinted(const QImage& image, const QColor& tint);

}  // namespace tenvik
