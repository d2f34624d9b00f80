// SPDX-License-Identifier: MIT
// ApplicationIcon.h: the icon of an installed application from its desktop entry's "Icon="
// (a theme name through the icon theme, or a file path), else the theme's generic program
// icon, else a dashed rounded square (the "app.dashed" look of an application not found).
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace tenvik {

QIcon applicationIcon(const QString& iconName);
QPixmap missingApplicationPixmap(int size, const QColor& color);

}  // namespace tenvik
