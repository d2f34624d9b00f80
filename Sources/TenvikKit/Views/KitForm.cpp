// SPDX-License-Identifier: MIT
// KitForm.cpp: colours, captions and the section boxes of the grouped form.
#include "TenvikKit/Views/KitForm.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tenvik {

namespace form {

namespace {

constexpr const char* kRoleProperty = "kitTextRole";

QColor mix(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(static_cast<float>(a.redF() * (1 - t) + b.redF() * t),
                            static_cast<float>(a.greenF() * (1 - t) + b.greenF() * t),
                            static_cast<float>(a.blueF() * (1 - t) + b.blueF() * t));
}

void applyRole(QLabel* label) {
    const QString role = label->property(kRoleProperty).toString();
    if (role.isEmpty()) return;
    QPalette palette = label->palette();
    const QPalette& base = label->parentWidget() ? label->parentWidget()->palette() : label->palette();
    // Labels inside a form box draw with Text, elsewhere with WindowText: both are set.
    const QColor color = role == "error" ? errorColor(base) : secondaryColor(base);
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    label->setPalette(palette);
}

QLabel* makeLabel(const QString& text, QWidget* parent, const char* role, bool small) {
    auto* label = new QLabel(text, parent);
    label->setProperty(kRoleProperty, role);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    if (small) {
        QFont font = label->font();
        font.setPointSizeF(font.pointSizeF() * 0.85);
        label->setFont(font);
    }
    applyRole(label);
    return label;
}

}  // namespace

bool isDark(const QPalette& palette) { return palette.color(QPalette::Window).lightnessF() < 0.5; }

QColor secondaryColor(const QPalette& palette) {
    return mix(palette.color(QPalette::WindowText), palette.color(QPalette::Window), 0.4);
}

QColor errorColor(const QPalette& palette) {
    return isDark(palette) ? QColor(0xff, 0x6b, 0x60) : QColor(0xc4, 0x1e, 0x1e);
}

QColor greenColor(const QPalette& palette) {
    return isDark(palette) ? QColor(0x32, 0xd7, 0x4b) : QColor(0x1e, 0x9e, 0x3c);
}

QLabel* caption(const QString& text, QWidget* parent) { return makeLabel(text, parent, "secondary", true); }
QLabel* secondaryText(const QString& text, QWidget* parent) { return makeLabel(text, parent, "secondary", false); }
QLabel* errorCaption(const QString& text, QWidget* parent) { return makeLabel(text, parent, "error", true); }

void refreshColors(QWidget* root) {
    for (QLabel* label : root->findChildren<QLabel*>()) applyRole(label);
}

}  // namespace form

FormSection::FormSection(const QString& header, QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    if (!header.isEmpty()) {
        auto* title = new QLabel(header, this);
        QFont font = title->font();
        font.setBold(true);
        title->setFont(font);
        title->setContentsMargins(4, 0, 0, 0);
        layout->addWidget(title);
    }
    box_ = new QFrame(this);
    box_->setObjectName("kitFormBox");
    // The box stands out from the window: white on a light window, a lighter grey on a dark
    // one (so controls drawn on the base colour keep their edges).
    QPalette boxPalette = palette();
    const QColor window = boxPalette.color(QPalette::Window);
    boxPalette.setColor(QPalette::Window,
                        form::isDark(boxPalette) ? window.lighter(130) : boxPalette.color(QPalette::Base));
    box_->setPalette(boxPalette);
    box_->setAutoFillBackground(true);
    box_->setBackgroundRole(QPalette::Window);
    box_->setFrameShape(QFrame::StyledPanel);
    rows_ = new QVBoxLayout(box_);
    rows_->setContentsMargins(12, 6, 12, 6);
    rows_->setSpacing(0);
    layout->addWidget(box_);
}

QWidget* FormSection::addRow(QWidget* row) {
    // The row and the line above it share one cell, so hiding the cell hides both.
    auto* cell = new QWidget(box_);
    auto* layout = new QVBoxLayout(cell);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (count_++ > 0) {
        auto* line = new QFrame(cell);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Plain);
        line->setForegroundRole(QPalette::Mid);
        layout->addWidget(line);
    }
    row->setParent(cell);
    row->setContentsMargins(0, 6, 0, 6);
    layout->addWidget(row);
    rows_->addWidget(cell);
    return cell;
}

QWidget* FormSection::addRow(QLayout* row) {
    auto* holder = new QWidget;
    row->setContentsMargins(0, 0, 0, 0);
    holder->setLayout(row);
    return addRow(holder);
}

GroupedForm::GroupedForm(QWidget* parent) : QWidget(parent) {
    column_ = new QVBoxLayout(this);
    column_->setContentsMargins(16, 14, 16, 14);
    column_->setSpacing(16);
    column_->addStretch(1);
}

FormSection* GroupedForm::addSection(const QString& header) {
    auto* section = new FormSection(header, this);
    column_->insertWidget(column_->count() - 1, section);
    return section;
}

}  // namespace tenvik
