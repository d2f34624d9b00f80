// SPDX-License-Identifier: MIT
// HotKeyRecorderView.h: the shortcut recorder: a small field that shows a shortcut, records
// the next key pressed with Command (Super), Option (Alt) or Control on click, Space, Return
// or an accessibility press, and hands the result to onChange. The "×" at its right end
// clears a set shortcut. While it records, the shared recording flag is up (the kit releases
// its global shortcuts meanwhile) and every key of its window comes to it first, shortcuts
// of the window included. Key rules: RecorderKeyRules; the hint: a TimedFlag of 0.4 s.
#pragma once

#include "TenvikKit/Controller/KitWindows.h"
#include "TenvikKit/Recorder/RecorderKeyRules.h"
#include "TenvikKit/Settings/HotKey.h"
#include "TenvikKit/Support/TimedFlag.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

namespace tenvik {

class HotKeyRecorderView : public QWidget {
public:
    static constexpr int kWidth = 170;
    static constexpr int kHeight = 28;
    static constexpr int kClearZoneWidth = 22;
    static constexpr platform::Seconds kHintDuration = 0.4;

    HotKeyRecorderView(std::shared_ptr<ShortcutRecordingState> recordingState,
                       std::shared_ptr<platform::Dispatcher> dispatch, QWidget* parent = nullptr);
    ~HotKeyRecorderView() override;

    void setHotKey(const std::optional<HotKey>& hotKey);
    const std::optional<HotKey>& hotKey() const { return hotKey_; }
    // The shortcut's name for accessibility ("Toggle Pin"), not drawn.
    void setLabel(const QString& label);

    // Called with a newly recorded shortcut, or with nothing to clear it.
    std::function<void(std::optional<HotKey>)> onChange;

    void beginRecording();
    void endRecording();
    bool isRecording() const { return isRecording_; }
    bool showsModifierError() const { return hint_.isRaised(); }
    // What the field shows now ("Press shortcut…", "Click to record", "Super+Alt+P", the hint).
    QString displayedText() const;
    // "Recording", the shortcut's text, or "Not set".
    QString accessibilityValue() const;
    // An accessibility press: focus and record.
    void accessibilityPress();

    QSize sizeHint() const override { return {kWidth, kHeight}; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void apply(const RecorderDecision& decision);
    void refreshAccessibility();

    std::shared_ptr<ShortcutRecordingState> recordingState_;
    std::optional<HotKey> hotKey_;
    bool isRecording_ = false;
    // The last key pressed in the field, for the reason a refused key gets.
    std::uint32_t lastKeyCode_ = 0;
    std::uint32_t lastModifiers_ = 0;
    TimedFlag hint_;
};

}  // namespace tenvik
