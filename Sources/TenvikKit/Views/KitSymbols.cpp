// SPDX-License-Identifier: MIT
// KitSymbols.cpp: the symbols, each drawn on an 18-unit grid scaled to the asked size.
#include "TenvikKit/Views/KitSymbols.h"

#include <QPainter>
#include <QPainterPath>

namespace tenvik {

namespace {

constexpr double kGrid = 18.0;

void drawLock(QPainter& painter, const QRectF& box, bool filled) {
    const double u = box.width() / kGrid;
    QPen pen(Qt::black, 1.8 * u, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    // The shackle: an arch over the body.
    QPainterPath shackle;
    const QRectF arch(box.left() + 5 * u, box.top() + 1.5 * u, 8 * u, 9 * u);
    shackle.moveTo(arch.left(), box.top() + 8 * u);
    shackle.lineTo(arch.left(), arch.top() + 4 * u);
    shackle.arcTo(QRectF(arch.left(), arch.top(), arch.width(), 8 * u), 180, -180);
    shackle.lineTo(arch.right(), box.top() + 8 * u);
    painter.drawPath(shackle);
    const QRectF body(box.left() + 3 * u, box.top() + 8 * u, 12 * u, 8.5 * u);
    if (filled) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawRoundedRect(body, 1.6 * u, 1.6 * u);
    } else {
        painter.setPen(QPen(Qt::black, 1.5 * u));
        painter.drawRoundedRect(body.adjusted(0.75 * u, 0.75 * u, -0.75 * u, -0.75 * u), 1.4 * u, 1.4 * u);
    }
}

// A push pin standing upright: a head, a collar, and the needle.
QPainterPath pinPath(const QRectF& box) {
    const double u = box.width() / kGrid;
    const double x = box.left();
    const double y = box.top();
    QPainterPath path;
    path.moveTo(x + 5.5 * u, y + 1.5 * u);
    path.lineTo(x + 12.5 * u, y + 1.5 * u);
    path.lineTo(x + 11.2 * u, y + 3.2 * u);
    path.lineTo(x + 11.2 * u, y + 7.5 * u);
    path.lineTo(x + 14 * u, y + 11 * u);
    path.lineTo(x + 4 * u, y + 11 * u);
    path.lineTo(x + 6.8 * u, y + 7.5 * u);
    path.lineTo(x + 6.8 * u, y + 3.2 * u);
    path.closeSubpath();
    return path;
}

void drawPin(QPainter& painter, const QRectF& box, bool filled) {
    const double u = box.width() / kGrid;
    const QPainterPath head = pinPath(box);
    if (filled) {
        painter.setPen(QPen(Qt::black, 1.0 * u, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::black);
    } else {
        painter.setPen(QPen(Qt::black, 1.5 * u, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
    }
    painter.drawPath(head);
    painter.setPen(QPen(Qt::black, 1.6 * u, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(box.left() + 9 * u, box.top() + 11 * u),
                     QPointF(box.left() + 9 * u, box.top() + 16.5 * u));
}

void drawSlash(QPainter& painter, const QRectF& box) {
    const double u = box.width() / kGrid;
    const QPointF from(box.left() + 2.5 * u, box.top() + 2.5 * u);
    const QPointF to(box.left() + 15.5 * u, box.top() + 15.5 * u);
    // A gap around the slash keeps it readable over the pin.
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.setPen(QPen(Qt::black, 3.6 * u, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(from, to);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setPen(QPen(Qt::black, 1.6 * u, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(from, to);
}

void drawWarning(QPainter& painter, const QRectF& box) {
    const double u = box.width() / kGrid;
    QPainterPath triangle;
    triangle.moveTo(box.left() + 9 * u, box.top() + 2 * u);
    triangle.lineTo(box.left() + 16.5 * u, box.top() + 15.5 * u);
    triangle.lineTo(box.left() + 1.5 * u, box.top() + 15.5 * u);
    triangle.closeSubpath();
    painter.setPen(QPen(Qt::black, 1.5 * u, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(triangle);
    painter.setPen(QPen(Qt::black, 1.7 * u, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(box.left() + 9 * u, box.top() + 6.5 * u),
                     QPointF(box.left() + 9 * u, box.top() + 10.5 * u));
    painter.drawPoint(QPointF(box.left() + 9 * u, box.top() + 13 * u));
}

bool draw(QPainter& painter, const QString& name, const QRectF& box) {
    if (name == "lock.fill") {
        drawLock(painter, box, true);
    } else if (name == "lock") {
        drawLock(painter, box, false);
    } else if (name == "pin.fill") {
        drawPin(painter, box, true);
    } else if (name == "pin") {
        drawPin(painter, box, false);
    } else if (name == "pin.slash") {
        drawPin(painter, box, false);
        drawSlash(painter, box);
    } else if (name == "exclamationmark.triangle") {
        drawWarning(painter, box);
    } else if (name == StatusIconChoice::kCompositeSymbol) {
        drawLock(painter, box, true);
        // The pin badge: a square of 9.9 of the 18 units in the lower right corner, cut free
        // of the lock first so it reads as a badge.
        const double side = box.width() * 9.9 / kGrid;
        const QRectF badge(box.right() - side, box.bottom() - side, side, side);
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawEllipse(badge.adjusted(-0.5, -0.5, 0.5, 0.5));
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        drawPin(painter, badge, true);
    } else {
        return false;
    }
    return true;
}

}  // namespace

QImage symbolImage(const QString& name, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool known = draw(painter, name, QRectF(0, 0, size, size));
    painter.end();
    return known ? image : QImage();
}

KitImage statusImage(const StatusIconChoice& choice, int size) {
    return {symbolImage(QString::fromStdString(choice.symbol), size), QString::fromStdString(choice.description), true};
}

KitImage statusImage(bool focusLocked, bool pinned, bool pinFailed, int size) {
    return statusImage(StatusIconChoice::choose(focusLocked, pinned, pinFailed), size);
}

QIcon symbolIcon(const QString& name) {
    QIcon icon;
    for (int size : {16, 18, 22, 24, 32, 48, 64}) {
        const QImage image = symbolImage(name, size);
        if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
    }
    icon.setIsMask(true);
    return icon;
}

QImage tinted(const QImage& image, const QColor& tint) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&out);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(out.rect(), tint);
    return out;
}

QIcon statusIcon(const StatusIconChoice& choice, const QColor& tint) {
    QIcon icon;
    for (int size : {16, 18, 22, 24, 32, 48, 64}) {
        const QImage image = symbolImage(QString::fromStdString(choice.symbol), size);
        if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(tinted(image, tint)));
    }
    return icon;
}

}  // namespace tenvik
