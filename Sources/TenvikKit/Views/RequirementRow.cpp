// SPDX-License-Identifier: MIT
// RequirementRow.cpp: the status mark drawn in the palette's green or red, and the texts of
// the row.
#include "TenvikKit/Views/RequirementRow.h"

#include "TenvikKit/Views/KitForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
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

RequirementRow::RequirementRow(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    icon_ = new QLabel(this);
    icon_->setFixedSize(kMarkSize, kMarkSize);
    layout->addWidget(icon_, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    title_ = new QLabel(this);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    texts->addWidget(title_);
    enables_ = form::caption(QString(), this);
    state_ = new QLabel(this);
    state_->setObjectName("state");
    remedy_ = form::caption(QString(), this);
    remedy_->setObjectName("remedy");
    remedy_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    for (QLabel* label : {enables_, state_, remedy_}) {
        label->setWordWrap(true);
        texts->addWidget(label);
    }
    layout->addLayout(texts, 1);
}

void RequirementRow::setContent(const DesktopRequirement& requirement) {
    icon_->setPixmap(mark(requirement.met, palette()));
    icon_->setAccessibleName(requirement.met ? "Available" : "Missing");
    title_->setText(QString::fromStdString(requirement.title));
    enables_->setText(QString::fromStdString(requirement.enables));
    state_->setText(QString::fromStdString(requirement.state));
    remedy_->setText(QString::fromStdString(requirement.remedy));
    remedy_->setVisible(!requirement.remedy.empty());
}

QStringList RequirementRow::texts() const {
    QStringList texts{title_->text(), enables_->text(), state_->text()};
    if (!remedy_->isHidden()) texts << remedy_->text();
    return texts;
}

RequirementList::RequirementList(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(14);
}

void RequirementList::setRequirements(const std::vector<DesktopRequirement>& requirements) {
    while (rows_.size() < requirements.size()) {
        auto* row = new RequirementRow(this);
        layout()->addWidget(row);
        rows_.push_back(row);
    }
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        rows_[i]->setVisible(i < requirements.size());
        if (i < requirements.size()) rows_[i]->setContent(requirements[i]);
    }
}

}  // namespace tenvik
