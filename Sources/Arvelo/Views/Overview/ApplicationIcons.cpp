// ApplicationIcons.cpp: icon lookup through the desktop entry and the icon theme, kept per
// application identity so repaints never search the theme again.
#include "Arvelo/Views/Overview/ApplicationIcons.h"

#include <QFileInfo>
#include <QHash>
#include <QPainter>
#include <QPixmap>

namespace arvelo::views {

namespace {

std::function<std::string(const std::string&)>& entryIconLookup() {
    static std::function<std::string(const std::string&)> lookup;
    return lookup;
}

QHash<QString, QIcon>& cache() {
    static QHash<QString, QIcon> icons;
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

QIcon ApplicationIcons::icon(const WindowRecord& record) {
    const std::string identity = record.applicationID();
    const QString cacheKey = QString::fromStdString(identity + "\n" + record.app.iconName);
    if (const auto it = cache().constFind(cacheKey); it != cache().constEnd()) return *it;

    QIcon found;
    if (entryIconLookup()) found = named(entryIconLookup()(identity));
    if (found.isNull()) {
        const WindowIcon icon = record.icon();
        if (!icon.symbol) found = named(icon.name);
    }
    if (found.isNull()) found = genericWindowIcon();
    cache().insert(cacheKey, found);
    return found;
}

QIcon ApplicationIcons::genericWindowIcon() {
    static const QIcon icon = [] {
        const QIcon themed = QIcon::fromTheme(QStringLiteral("application-x-executable"));
        if (!themed.isNull()) return themed;
        // A window outline with a title bar, drawn once.
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
