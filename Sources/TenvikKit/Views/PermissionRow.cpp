// PermissionRow.cpp: the status mark drawn in the palette's green or red, the texts and the
// one button of the row.
#include "TenvikKit/Views/PermissionRow.h"

#include "TenvikKit/Views/KitForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace tenvik {

namespace {

constexpr int kMarkSize = 22;

QPixmap mark(bool granted, const QPalette& palette) {
    QPixmap pixmap(kMarkSize, kMarkSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(granted ? form::greenColor(palette) : form::errorColor(palette));
    painter.drawEllipse(QRectF(1, 1, kMarkSize - 2, kMarkSize - 2));
    painter.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    if (granted) {
        QPainterPath check;
        check.moveTo(6.5, 11.5);
        check.lineTo(9.8, 14.8);
        check.lineTo(15.8, 7.5);
        painter.drawPath(check);
    } else {
        painter.drawLine(QPointF(7.5, 7.5), QPointF(14.5, 14.5));
        painter.drawLine(QPointF(14.5, 7.5), QPointF(7.5, 14.5));
    }
    return pixmap;
}

}  // namespace

PermissionRow::PermissionRow(bool hasPrivacySettingsPane, QWidget* parent)
    : QWidget(parent), hasPane_(hasPrivacySettingsPane) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    icon_ = new QLabel(this);
    icon_->setFixedSize(kMarkSize, kMarkSize);
    layout->addWidget(icon_, 0, Qt::AlignVCenter);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    title_ = new QLabel(this);
    texts->addWidget(title_);
    caption_ = form::caption(QString(), this);
    texts->addWidget(caption_);
    why_ = form::caption(QString(), this);
    why_->setObjectName("noPaneCaption");
    texts->addWidget(why_);
    layout->addLayout(texts, 1);
    button_ = new QPushButton(this);
    button_->setAutoDefault(false);
    layout->addWidget(button_, 0, Qt::AlignVCenter);
    QObject::connect(button_, &QPushButton::clicked, this, [this] {
        const auto& action = content_.showsOpenSettings ? onOpenSettings : onRequest;
        if (action) action();
    });
}

void PermissionRow::setContent(const Content& content) {
    content_ = content;
    icon_->setPixmap(mark(content.granted, palette()));
    icon_->setAccessibleName(content.granted ? "Granted" : "Not granted");
    title_->setText(content.title);
    caption_->setText(content.caption);
    const bool offersPane = content.showsOpenSettings && hasPane_;
    button_->setText(content.showsOpenSettings ? "Open System Settings" : "Grant\u2026");
    button_->setVisible(!content.granted && (!content.showsOpenSettings || offersPane));
    why_->setText(content.noPaneCaption);
    why_->setVisible(!content.granted && !hasPane_ && !content.noPaneCaption.isEmpty());
}

}  // namespace tenvik
