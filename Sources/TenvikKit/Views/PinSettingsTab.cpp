// SPDX-License-Identifier: MIT
// PinSettingsTab.cpp: the opacity slider with its percentage, the border switch and the idle
// frame-rate picker.
#include "TenvikKit/Views/PinSettingsTab.h"

#include "TenvikKit/Views/KitForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <cmath>

namespace tenvik {

namespace {

constexpr int kPercentWidth = 48;

}  // namespace

QString PinSettingsTab::percentText(double opacity) {
    return QString::number(static_cast<long long>(std::llround(opacity * 100))) + "%";
}

PinSettingsTab::PinSettingsTab(const KitWindowContext& context, QWidget* parent) : QWidget(parent), context_(context) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* formView = new GroupedForm(this);
    layout->addWidget(formView);
    FormSection* section = formView->addSection();

    auto* opacityRow = new QHBoxLayout;
    opacityRow->addWidget(new QLabel("Preview opacity"));
    opacity_ = new QSlider(Qt::Horizontal);
    opacity_->setObjectName("pinOpacity");
    opacity_->setRange(static_cast<int>(AppSettings::kMinimumPinOpacity * kSliderScale),
                       static_cast<int>(AppSettings::kMaximumPinOpacity * kSliderScale));
    opacity_->setTracking(true);
    opacityRow->addWidget(opacity_, 1);
    percent_ = new QLabel;
    percent_->setObjectName("pinOpacityPercent");
    QFont digits = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    digits.setPointSizeF(percent_->font().pointSizeF());
    percent_->setFont(digits);
    percent_->setFixedWidth(kPercentWidth);
    percent_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    opacityRow->addWidget(percent_);
    section->addRow(opacityRow);
    QObject::connect(opacity_, &QSlider::valueChanged, this, [this](int value) {
        context_.shared.settings->setPinOpacity(static_cast<double>(value) / kSliderScale);
    });

    border_ = new QCheckBox("Show preview border");
    border_->setObjectName("pinShowsBorder");
    section->addRow(border_);
    QObject::connect(border_, &QCheckBox::toggled, this,
                     [this](bool on) { context_.shared.settings->setPinShowsBorder(on); });

    auto* rateRow = new QHBoxLayout;
    rateRow->addWidget(new QLabel("Idle frame rate"));
    rateRow->addStretch(1);
    frameRate_ = new QComboBox;
    frameRate_->setObjectName("pinIdleFPS");
    for (int rate : kFrameRates) frameRate_->addItem(QString::number(rate) + " fps", rate);
    rateRow->addWidget(frameRate_);
    section->addRow(rateRow);
    QObject::connect(frameRate_, &QComboBox::activated, this, [this](int index) {
        context_.shared.settings->setPinIdleFPS(frameRate_->itemData(index).toInt());
    });

    section->addRow(
        form::caption("Pinned previews hide automatically while the source window is hidden or off screen."));

    settingsLink_ = ChangeLink(context_.shared.settings->changes, [this] { refresh(); });
    refresh();
}

void PinSettingsTab::refresh() {
    const AppSettings& settings = *context_.shared.settings;
    const QSignalBlocker a(opacity_), b(border_), c(frameRate_);
    opacity_->setValue(static_cast<int>(std::lround(settings.pinOpacity() * kSliderScale)));
    percent_->setText(percentText(settings.pinOpacity()));
    border_->setChecked(settings.pinShowsBorder());
    const int index = frameRate_->findData(settings.pinIdleFPS());
    frameRate_->setCurrentIndex(index >= 0 ? index : frameRate_->findData(AppSettings::kDefaultPinIdleFPS));
}

}  // namespace tenvik
