// SPDX-License-Identifier: MIT
// ZoomBarView.cpp: the zoom bar's drawing and its button.
#include "Arvelo/Views/Chrome/ZoomBarView.h"

#include "Arvelo/Chrome/ChromeController.h"
#include "Arvelo/Commands/ShortcutHints.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

namespace arvelo::views {

namespace {
constexpr double kSymbolSide = 14;

QFont buttonFont() {
    QFont font;
    font.setPixelSize(13);
    font.setWeight(QFont::DemiBold);
    return font;
}

// "rectangle.3.group": three small windows, one wide above two narrow ones.
void drawSymbol(QPainter& p, const QRectF& r, const QColor& colour) {
    p.save();
    p.setPen(QPen(colour, 1.6));
    p.setBrush(Qt::NoBrush);
    const double gap = 2, half = (r.height() - gap) / 2;
    p.drawRoundedRect(QRectF(r.x(), r.y(), r.width(), half), 1.5, 1.5);
    const double w = (r.width() - gap) / 2;
    p.drawRoundedRect(QRectF(r.x(), r.y() + half + gap, w, half), 1.5, 1.5);
    p.drawRoundedRect(QRectF(r.x() + w + gap, r.y() + half + gap, w, half), 1.5, 1.5);
    p.restore();
}
}  // namespace

QString ZoomBarView::title() { return QStringLiteral("  ") + QString::fromUtf8(ChromeController::kZoomBarTitle); }

double ZoomBarView::fittingWidth() { return kSymbolSide + QFontMetricsF(buttonFont()).horizontalAdvance(title()); }

ZoomBarView::ZoomBarView(QWidget* parent, ZoomBarContent content, ChromeStyle style)
    : QWidget(parent), content_(std::move(content)), style_(std::move(style)) {
    setAttribute(Qt::WA_Hover);
    setToolTip(QString::fromStdString(zoomBarToolTip()));
    setCursor(Qt::PointingHandCursor);
}

void ZoomBarView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double radius = height() / 2.0;
    p.setPen(Qt::NoPen);
    p.setBrush(style_.material());
    p.drawRoundedRect(QRectF(rect()), radius, radius);
    if (hovered_) {
        p.setBrush(ChromeStyle::label(0.08));
        p.drawRoundedRect(QRectF(rect()), radius, radius);
    }
    const double content = fittingWidth();
    const double x = (width() - content) / 2;
    drawSymbol(p, QRectF(x, (height() - kSymbolSide) / 2, kSymbolSide, kSymbolSide), ChromeStyle::label());
    p.setFont(buttonFont());
    p.setPen(ChromeStyle::label());
    p.drawText(QRectF(x + kSymbolSide, 0, content - kSymbolSide, height()), Qt::AlignVCenter | Qt::AlignLeft, title());
}

void ZoomBarView::enterEvent(QEnterEvent*) {
    hovered_ = true;
    update();
}

void ZoomBarView::leaveEvent(QEvent*) {
    hovered_ = false;
    update();
}

void ZoomBarView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && content_.action)
        content_.action();
}

}  // namespace arvelo::views
