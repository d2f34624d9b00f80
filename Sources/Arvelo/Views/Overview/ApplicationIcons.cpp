// SPDX-License-Identifier: MIT
// ApplicationIcons.cpp: icon lookup through the desktop entry and the icon theme, kept per
// application identity so repaints never search the theme again.
#include "Arvelo/Views/Overview/ApplicationIcons.h"

#include <QFileInfo>
#include <QHash>
#include <QPainter>
#include <QPixmap>

#include <algorithm>

namespace arvelo::views {

namespace {

std::function<std::string(const std::string&)>& entryIconLookup() {
    static std::function<std::string(const std::string&)> lookup;
    return lookup;
}

std::function<QImage(std::uint32_t, int)>& windowIconLookup() {
    static std::function<QImage(std::uint32_t, int)> lookup;
    return lookup;
}

QHash<QString, QIcon>& cache() {
    static QHash<QString, QIcon> icons;
    return icons;
}

// Windows' own icons by (window, side); a null icon: the window has none.
QHash<quint64, QIcon>& windowCache() {
    static QHash<quint64, QIcon> icons;
    return icons;
}

QIcon named(const std::string& name) {
    if (name.empty()) return {};
    const QString text = QString::fromStdString(name);
    if (QFileInfo(text).isAbsolute()) return QFileInfo::exists(text) ? QIcon(text) : QIcon();
    return QIcon::fromTheme(text);
}

}  // namespace

void ApplicationIcons::setEntryIconLookup(std::function<std::string(const std::string&)> lookup) {
    entryIconLookup() = std::move(lookup);
    cache().clear();
}

void ApplicationIcons::setWindowIconLookup(std::function<QImage(std::uint32_t, int)> lookup) {
    windowIconLookup() = std::move(lookup);
    windowCache().clear();
}

void ApplicationIcons::forgetWindow(std::uint32_t window) {
    for (auto it = windowCache().begin(); it != windowCache().end();) {
        if ((it.key() >> 16) == window)
            it = windowCache().erase(it);
        else
            ++it;
    }
}

QIcon ApplicationIcons::icon(const WindowRecord& record, int side) {
    return icon(record.windowNumber, record.applicationID(), record.icon(), side);
}

QIcon ApplicationIcons::icon(std::uint32_t window, const std::string& identity, const WindowIcon& fallback,
                             int side) {
    if (window != 0 && windowIconLookup()) {
        const quint64 key = (quint64(window) << 16) | quint64(std::clamp(side, 1, 0xFFFF));
        auto own = windowCache().constFind(key);
        if (own == windowCache().constEnd()) {
            const QImage image = windowIconLookup()(window, side);
            own = windowCache().insert(key, image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image)));
        }
        if (!own->isNull()) return *own;
    }
    const QString cacheKey = QString::fromStdString(identity + "\n" + fallback.name);
    if (const auto it = cache().constFind(cacheKey); it != cache().constEnd()) return *it;

    QIcon found;
    if (entryIconLookup()) found = named(entryIconLookup()(identity));
    if (found.isNull() && !fallback.symbol) found = named(fallback.name);
    if (found.isNull()) found = genericWindowIcon();
    cache().insert(cacheKey, found);
    return found;
}

QIcon ApplicationIcons::genericWindowIcon() {
    static const QIcon icon = [] {
        // A window outline with a title bar, drawn once: the same in every view and with any
        // icon theme (or none).
        QPixmap pixmap(64, 64);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(90, 96, 110), 3));
        painter.setBrush(QColor(236, 238, 242));
        painter.drawRoundedRect(QRectF(6, 10, 52, 44), 6, 6);
        painter.setBrush(QColor(90, 96, 110));
        painter.drawRect(QRectF(6, 10, 52, 10));
        return QIcon(pixmap);
    }();
    return icon;
}

}  // namespace arvelo::views
