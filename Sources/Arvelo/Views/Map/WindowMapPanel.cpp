// SPDX-License-Identifier: MIT
// WindowMapPanel.cpp: the panel, its panes and rows, painted with QPainter.
#include "Arvelo/Views/Map/WindowMapPanel.h"
#include "Arvelo/Views/Overview/ApplicationIcons.h"

#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPointer>
#include <QScreen>

namespace arvelo::views {

namespace {

constexpr int kPanelRadius = 26;
constexpr int kPaneRadius = 12;
constexpr int kCompactRowRadius = 8;
constexpr int kLargeRowRadius = 12;
constexpr double kLargeIconShare = 0.4;
constexpr int kLargestIcon = 56;
constexpr int kCompactIcon = 22;

QRect qrect(const Rect& r) { return QRect(qRound(r.x), qRound(r.y), qRound(r.width), qRound(r.height)); }

QColor withAlpha(QColor colour, double alpha) {
    colour.setAlphaF(static_cast<float>(alpha));
    return colour;
}

// One window's row: its icon and texts, a hover and a selected background, a press chooses it.
class RowWidget final : public QWidget {
public:
    RowWidget(QWidget* parent, const MapRow& row, const MapEntry& entry, std::function<void()> action,
              std::function<bool()> highlighted)
        : QWidget(parent), row_(row), entry_(entry), action_(std::move(action)), highlighted_(std::move(highlighted)) {
        setGeometry(qrect(row.frame));
        setAttribute(Qt::WA_Hover);
        setMouseTracking(true);
    }

protected:
    void enterEvent(QEnterEvent*) override {
        hover_ = true;
        update();
    }
    void leaveEvent(QEvent*) override {
        hover_ = false;
        update();
    }
    void mousePressEvent(QMouseEvent* event) override {
        event->accept();
        if (action_) action_();
    }
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QPalette& palette = this->palette();
        QColor background = Qt::transparent;
        if (hover_ || (highlighted_ && highlighted_()))
            background = withAlpha(palette.color(QPalette::Highlight), 0.28);
        else if (row_.selected)
            background = withAlpha(palette.color(QPalette::WindowText), 0.1);
        p.setPen(Qt::NoPen);
        p.setBrush(background);
        const int radius = row_.compact ? kCompactRowRadius : kLargeRowRadius;
        p.drawRoundedRect(rect(), radius, radius);

        const int w = width(), h = height();
        const QIcon icon = ApplicationIcons::icon(entry_.windowNumber, entry_.identity, WindowIcon{entry_.iconName},
                                                  row_.compact ? kCompactIcon : kLargestIcon);
        p.setPen(palette.color(QPalette::WindowText));
        if (row_.compact) {
            const int i = std::min(h - 6, kCompactIcon);
            icon.paint(&p, QRect(6, (h - i) / 2, i, i));
            QFont font = p.font();
            font.setPixelSize(12);
            font.setWeight(row_.selected ? QFont::DemiBold : QFont::Normal);
            p.setFont(font);
            const QString text = QString::fromStdString(entry_.appName + WindowMap::kRowSeparator + entry_.title);
            const QRect label(i + 12, (h - 16) / 2, w - i - 16, 16);
            p.drawText(label, Qt::AlignLeft | Qt::AlignVCenter,
                       p.fontMetrics().elidedText(text, Qt::ElideRight, label.width()));
            return;
        }
        const int i = static_cast<int>(std::min({kLargeIconShare * h, kLargeIconShare * w, double(kLargestIcon)}));
        icon.paint(&p, QRect((w - i) / 2, h / 2 - i + 4, i, i));
        QFont font = p.font();
        font.setPixelSize(13);
        font.setWeight(QFont::DemiBold);
        p.setFont(font);
        const QRect appLabel(8, h / 2 + 10, w - 16, 18);
        p.drawText(
            appLabel, Qt::AlignCenter,
            p.fontMetrics().elidedText(QString::fromStdString(entry_.appName), Qt::ElideRight, appLabel.width()));
        font.setPixelSize(12);
        font.setWeight(QFont::Normal);
        p.setFont(font);
        p.setPen(withAlpha(palette.color(QPalette::WindowText), 0.6));
        const QRect titleLabel(8, h / 2 + 28, w - 16, 16);
        p.drawText(
            titleLabel, Qt::AlignCenter,
            p.fontMetrics().elidedText(QString::fromStdString(entry_.title), Qt::ElideRight, titleLabel.width()));
    }

private:
    MapRow row_;
    MapEntry entry_;
    std::function<void()> action_;
    std::function<bool()> highlighted_;
    bool hover_ = false;
};

// One tile's pane: a rounded, lightly tinted box holding its rows.
class PaneWidget final : public QWidget {
public:
    PaneWidget(QWidget* parent, const Rect& frame) : QWidget(parent) { setGeometry(qrect(frame)); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor text = palette().color(QPalette::WindowText);
        p.setPen(QPen(withAlpha(text, 0.14), 1));
        p.setBrush(withAlpha(text, 0.09));
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kPaneRadius, kPaneRadius);
    }
};

}  // namespace

WindowMapPanel::WindowMapPanel(const MapContent& content, std::weak_ptr<WindowMap> map) : map_(std::move(map)) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setWindowTitle(QString::fromUtf8(WindowMap::kTitle));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFocusPolicy(Qt::StrongFocus);
    const WindowMapLayout& layout = content.layout;
    setFixedSize(qRound(layout.panelSize.width), qRound(layout.panelSize.height));
    move(qRound(content.panelFrame.x), qRound(content.panelFrame.y));

    std::size_t rowIndex = 0;
    const auto highlightedIs = [this](std::size_t index) {
        return [this, index] {
            const auto map = map_.lock();
            return map && map->highlighted() == index;
        };
    };
    const auto entryOf = [&](const std::string& key) {
        const auto it = content.entries.find(key);
        return it == content.entries.end() ? MapEntry{} : it->second;
    };
    for (std::size_t paneIndex = 0; paneIndex < layout.panes.size(); ++paneIndex) {
        const MapPane& pane = layout.panes[paneIndex];
        auto* paneWidget = new PaneWidget(this, pane.frame);
        for (const MapRow& row : pane.rows) {
            new RowWidget(
                paneWidget, row, entryOf(row.key),
                [weak = map_, paneIndex, key = row.key] {
                    if (auto map = weak.lock()) map->pick(paneIndex, key);
                },
                highlightedIs(rowIndex++));
        }
    }
    for (const MapRow& row : layout.minimizedRows) {
        new RowWidget(
            this, row, entryOf(row.key),
            [weak = map_, key = row.key] {
                if (auto map = weak.lock()) map->pick(std::nullopt, key);
            },
            highlightedIs(rowIndex++));
    }
}

std::shared_ptr<WindowMap::Panel> WindowMapPanel::present(const MapContent& content, std::weak_ptr<WindowMap> map,
                                                         const std::function<void(QWidget*)>& beforeShow) {
    auto* widget = new WindowMapPanel(content, std::move(map));
    if (beforeShow) beforeShow(widget);
    widget->show();
    widget->raise();
    widget->activateWindow();
    widget->setFocus();
    auto panel = std::make_shared<WindowMap::Panel>();
    QPointer<WindowMapPanel> guarded(widget);
    panel->close = [guarded] {
        if (guarded) guarded->deleteLater();
        if (guarded) guarded->hide();
    };
    panel->highlight = [guarded] {
        if (guarded) guarded->highlightChanged();
    };
    return panel;
}

void WindowMapPanel::highlightChanged() {
    for (QWidget* child : findChildren<QWidget*>()) child->update();
}

void WindowMapPanel::resizeEvent(QResizeEvent* event) {
    // Without a compositing manager nothing behind the panel shows through: cut the rounded
    // corners out of the window instead.
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), kPanelRadius, kPanelRadius);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
    QWidget::resizeEvent(event);
}

void WindowMapPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette& palette = this->palette();
    p.setPen(Qt::NoPen);
    p.setBrush(palette.color(QPalette::Window));
    p.drawRoundedRect(rect(), kPanelRadius, kPanelRadius);

    const auto map = map_.lock();
    const WindowMapLayout* layout = map && map->content() ? &map->content()->layout : nullptr;
    if (!layout) return;
    QFont font = p.font();
    font.setPixelSize(13);
    font.setWeight(QFont::DemiBold);
    p.setFont(font);
    p.setPen(withAlpha(palette.color(QPalette::WindowText), 0.65));
    p.drawText(qrect(layout->titleLabel), Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(WindowMap::kTitle));
    font.setPixelSize(11);
    font.setWeight(QFont::Normal);
    p.setFont(font);
    p.setPen(withAlpha(palette.color(QPalette::WindowText), 0.45));
    p.drawText(qrect(layout->hintLabel), Qt::AlignRight | Qt::AlignVCenter, QString::fromUtf8(WindowMap::kHint));
    if (layout->minimizedLabel) {
        font.setWeight(QFont::DemiBold);
        p.setFont(font);
        p.setPen(withAlpha(palette.color(QPalette::WindowText), 0.65));
        p.drawText(qrect(*layout->minimizedLabel), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromUtf8(WindowMap::kMinimizedTitle));
    }
}

void WindowMapPanel::keyPressEvent(QKeyEvent* event) {
    const auto map = map_.lock();
    if (!map) return QWidget::keyPressEvent(event);
    switch (event->key()) {
        case Qt::Key_Escape:
            map->press(WindowMap::Key::escape);
            return;
        case Qt::Key_Up:
            map->press(WindowMap::Key::up);
            return;
        case Qt::Key_Down:
            map->press(WindowMap::Key::down);
            return;
        case Qt::Key_Left:
            map->press(WindowMap::Key::left);
            return;
        case Qt::Key_Right:
            map->press(WindowMap::Key::right);
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            map->press(WindowMap::Key::enter);
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

}  // namespace arvelo::views
