// SPDX-License-Identifier: MIT
// PinSettingsTab.h: the Pin tab: the pinned preview's opacity (10 % to 100 %, shown as a
// whole percentage), its border, and the frame rate of an idle preview (5, 10, 15 or 30 fps).
// The settings clamp what they are given; the tab shows what they hold.
#pragma once

#include "TenvikKit/Views/KitWindowContext.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QSlider;

namespace tenvik {

class PinSettingsTab : public QWidget {
public:
    // Slider steps per unit of opacity: the slider runs from 100 to 1000.
    static constexpr int kSliderScale = 1000;
    static constexpr int kFrameRates[] = {5, 10, 15, 30};

    explicit PinSettingsTab(const KitWindowContext& context, QWidget* parent = nullptr);

    // "50%": the opacity as a whole percentage, halves away from zero.
    static QString percentText(double opacity);

    void refresh();
    QSlider* opacitySlider() const { return opacity_; }
    QLabel* opacityLabel() const { return percent_; }
    QCheckBox* borderSwitch() const { return border_; }
    QComboBox* frameRatePicker() const { return frameRate_; }

private:
    KitWindowContext context_;
    QSlider* opacity_ = nullptr;
    QLabel* percent_ = nullptr;
    QCheckBox* border_ = nullptr;
    QComboBox* frameRate_ = nullptr;
    ChangeLink settingsLink_;
};

}  // namespace tenvik
