// SPDX-License-Identifier: MIT
// TabBarView.cpp: the tab bar's strip, header, tabs and glyphs.
#include "Arvelo/Views/Chrome/TabBarView.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace arvelo::views {

namespace {
QRectF toQ(const Rect& r) { return QRectF(r.x, r.y, r.width, r.height); }
}  // namespace

// ---- TabGlyph

TabGlyph::TabGlyph(TabButton* tab, Symbol symbol, const QString& label, std::function<void()> action)
    : QWidget(tab), tab_(tab), symbol_(symbol), action_(std::move(action)) {
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);  // moves over the glyph arm it (they go on to the tab)
    setToolTip(label);
    setAccessibleName(label);
    hide();
}

void TabGlyph::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (hovered_) {
        p.setPen(Qt::NoPen);
        p.setBrush(ChromeStyle::label(0.15));
        p.drawEllipse(QRectF(rect()));
    }
    // A 9-point bold symbol, in the label colour at three quarters.
    const QPointF c = QRectF(rect()).center();
    const double half = 4.5 / 2 + 1;
    p.setPen(QPen(ChromeStyle::label(0.75), 1.8, Qt::SolidLine, Qt::RoundCap));
    if (symbol_ == Symbol::minus) {
        p.drawLine(QPointF(c.x() - half, c.y()), QPointF(c.x() + half, c.y()));
    } else {
        p.drawLine(QPointF(c.x() - half, c.y() - half), QPointF(c.x() + half, c.y() + half));
        p.drawLine(QPointF(c.x() - half, c.y() + half), QPointF(c.x() + half, c.y() - half));
    }
}

void TabGlyph::enterEvent(QEnterEvent*) {
    hovered_ = true;
    update();
}

void TabGlyph::leaveEvent(QEvent*) {
    hovered_ = false;
    update();
}

// A press the glyph takes stays with it: it never starts a press on the tab under it. One
// that arrived with the pointer goes on to the tab.
void TabGlyph::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !tab_->glyphsArmed()) {
        event->ignore();
        return;
    }
    pressed_ = true;
    event->accept();
}

void TabGlyph::mouseReleaseEvent(QMouseEvent* event) {
    if (!pressed_) {
        event->ignore();
        return;
    }
    pressed_ = false;
    event->accept();
    if (rect().contains(event->position().toPoint()) && action_) action_();
}

// ---- TabButton

TabButton::TabButton(QWidget* parent, TabItem item, const chrome::TabBarMetrics& metrics, ChromeStyle style)
    : QWidget(parent), item_(std::move(item)), metrics_(metrics), style_(std::move(style)) {
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);  // the pointer's moves arm the glyphs
    setFocusPolicy(Qt::ClickFocus);
    setCursor(Qt::OpenHandCursor);
    setToolTip(QString::fromStdString(item_.toolTip));
    setAccessibleName(QString::fromStdString(item_.title));
    minimizeGlyph_ = new TabGlyph(this, TabGlyph::Symbol::minus, QStringLiteral("Minimize"), item_.minimize);
    closeGlyph_ = new TabGlyph(this, TabGlyph::Symbol::xmark, QStringLiteral("Close"), item_.close);
}

double TabButton::titleWidth() const {
    const double inset = glyphsShown_ ? chrome::glyphTrailingInset(height()) : 0;
    return std::max(0.0, width() - inset);
}

void TabButton::showControls(bool shown) {
    glyphsShown_ = shown;
    armed_ = false;
    minimizeGlyph_->setGeometry(toQ(chrome::minimizeGlyphRect(width(), height())).toRect());
    closeGlyph_->setGeometry(toQ(chrome::closeGlyphRect(width(), height())).toRect());
    minimizeGlyph_->setVisible(shown);
    closeGlyph_->setVisible(shown);
    update();
}

void TabButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    enteredAt_ = event->globalPosition();
    showControls(item_.minimize || item_.close);
}

void TabButton::leaveEvent(QEvent*) {
    hovered_ = false;
    showControls(false);
}

void TabButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    setFocus(Qt::MouseFocusReason);  // Escape during the press reaches this tab
    const int clicks = event->type() == QEvent::MouseButtonDblClick ? 2 : 1;
    press_.down(style_.screenPoint(event->globalPosition()), clicks, item_.press);
    if (press_.pressed()) escape_.begin(style_, this);
    update();
}

void TabButton::mouseMoveEvent(QMouseEvent* event) {
    if (!press_.pressed()) {
        if (glyphsShown_ && event->globalPosition() != enteredAt_) armed_ = true;
        return;
    }
    press_.dragged(style_.screenPoint(event->globalPosition()), item_.press);
}

void TabButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    escape_.end();
    press_.up(style_.screenPoint(event->globalPosition()), item_.press);
    update();
}

void TabButton::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && press_.escape(item_.press)) {
        escape_.end();
        update();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TabButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (item_.on || hovered_ || press_.pressed()) {
        const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        p.setPen(Qt::NoPen);
        p.setBrush(ChromeStyle::label(item_.on ? 0.16 : 0.08));
        p.drawRoundedRect(r, r.height() / 2, r.height() / 2);
    }
    // Icon and title, leading, the title truncated at its tail short of the glyphs.
    const double side = metrics_.iconSide;
    const double room = titleWidth();
    QFont font;
    font.setPixelSize(std::max(1, int(std::lround(metrics_.fontSize))));
    font.setWeight(QFont::Medium);
    const QFontMetrics fm(font);
    const QString title = QString::fromStdString(item_.title);
    const double contentWidth = side + 4 + fm.horizontalAdvance(title);
    double x = std::max(6.0, (room - contentWidth) / 2);
    ChromeStyle::icon(item_.windowNumber, item_.identity, item_.icon, int(std::ceil(side)))
        .paint(&p, QRectF(x, (height() - side) / 2, side, side).toRect());
    x += side + 4;
    p.setFont(font);
    p.setPen(ChromeStyle::label());
    const int textRoom = std::max(0, int(room - x - 6));
    p.drawText(QRectF(x, 0, textRoom, height()), Qt::AlignVCenter | Qt::AlignLeft,
               fm.elidedText(title, Qt::ElideRight, textRoom));
}

// ---- HeaderView

HeaderView::HeaderView(QWidget* parent, const TabBarContent& content, ChromeStyle style)
    : QWidget(parent), press_callbacks_(content.header), metrics_(content.metrics), style_(std::move(style)) {
    setFocusPolicy(Qt::ClickFocus);
    setCursor(Qt::OpenHandCursor);
    for (const TabItem& item : content.tabs) tabs_.push_back(new TabButton(this, item, metrics_, style_));
    layoutTabs();
}

void HeaderView::layoutTabs() {
    double x = chrome::kTabInset - offset_;
    const double y = (height() - metrics_.tabHeight) / 2;
    for (TabButton* tab : tabs_) {
        tab->setGeometry(QRectF(x, y, metrics_.tabWidth, metrics_.tabHeight).toRect());
        x += metrics_.tabWidth + chrome::kTabSpacing;
    }
}

void HeaderView::resizeEvent(QResizeEvent*) { layoutTabs(); }

void HeaderView::wheelEvent(QWheelEvent* event) {
    const double widest = std::max(0.0, metrics_.documentWidth - width());
    const QPoint delta = event->angleDelta();
    const double step = (delta.x() != 0 ? delta.x() : delta.y()) / 4.0;
    offset_ = std::clamp(offset_ - step, 0.0, widest);  // widest is never negative
    layoutTabs();
}

void HeaderView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    setFocus(Qt::MouseFocusReason);
    press_.down(style_.screenPoint(event->globalPosition()), 1, press_callbacks_);
    if (press_.pressed()) escape_.begin(style_, this);
}

void HeaderView::mouseMoveEvent(QMouseEvent* event) {
    press_.dragged(style_.screenPoint(event->globalPosition()), press_callbacks_);
}

void HeaderView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    PressCallbacks callbacks = press_callbacks_;
    callbacks.doubleClick = nullptr;  // the header knows no double click
    escape_.end();
    press_.up(style_.screenPoint(event->globalPosition()), callbacks);
}

void HeaderView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && press_.escape(press_callbacks_)) {
        escape_.end();
        return;
    }
    QWidget::keyPressEvent(event);
}

// ---- TabBarView

TabBarView::TabBarView(QWidget* parent, const TabBarContent& content, ChromeStyle style)
    : QWidget(parent), metrics_(content.metrics), style_(std::move(style)) {
    header_ = new HeaderView(this, content, style_);
    header_->setGeometry(strip().toRect());
}

QRectF TabBarView::strip() const { return toQ(metrics_.stripTopLeft()); }

void TabBarView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF s = strip();
    p.setPen(Qt::NoPen);
    p.setBrush(style_.material());
    p.drawRoundedRect(s, s.height() / 2, s.height() / 2);
}

}  // namespace arvelo::views
