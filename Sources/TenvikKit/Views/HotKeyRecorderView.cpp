// SPDX-License-Identifier: MIT
// HotKeyRecorderView.cpp: drawing the field, and its mouse, key and focus handling.
#include "TenvikKit/Views/HotKeyRecorderView.h"

#include "TenvikKit/Views/KitForm.h"
#include "TenvikKit/Views/QtKeyCodes.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace tenvik {

namespace {

constexpr double kCornerRadius = 6;
constexpr int kTextPixelSize = 12;
constexpr int kClearMarkPixelSize = 11;
constexpr int kSmallestTextPixelSize = 8;
constexpr const char* kRecordingText = "Press shortcut\u2026";
constexpr const char* kEmptyText = "Click to record";

// The field as assistive technology sees it: a button whose value is the shortcut (or
// "Recording", "Not set") and whose press starts recording.
class RecorderAccessible : public QAccessibleWidget {
public:
    explicit RecorderAccessible(HotKeyRecorderView* view) : QAccessibleWidget(view, QAccessible::Button), view_(view) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value) return view_->accessibilityValue();
        return QAccessibleWidget::text(kind);
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction()) view_->accessibilityPress();
    }

private:
    HotKeyRecorderView* view_;
};

QAccessibleInterface* recorderAccessible(const QString&, QObject* object) {
    auto* view = dynamic_cast<HotKeyRecorderView*>(object);
    return view ? new RecorderAccessible(view) : nullptr;
}

QColor withAlpha(QColor color, double alpha) {
    color.setAlphaF(static_cast<float>(alpha));
    return color;
}

}  // namespace

HotKeyRecorderView::HotKeyRecorderView(std::shared_ptr<ShortcutRecordingState> recordingState,
                                       std::shared_ptr<platform::Dispatcher> dispatch, QWidget* parent)
    : QWidget(parent), recordingState_(std::move(recordingState)), hint_(std::move(dispatch), kHintDuration) {
    setFixedSize(kWidth, kHeight);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    hint_.onChange = [this] { update(); };
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(recorderAccessible);
        return true;
    }();
    (void)factoryInstalled;
    refreshAccessibility();
}

HotKeyRecorderView::~HotKeyRecorderView() {
    hint_.onChange = nullptr;
    endRecording();
}

void HotKeyRecorderView::setHotKey(const std::optional<HotKey>& hotKey) {
    hotKey_ = hotKey;
    refreshAccessibility();
    update();
}

void HotKeyRecorderView::setLabel(const QString& label) { setAccessibleName(label); }

QString HotKeyRecorderView::displayedText() const {
    if (hint_.isRaised()) return RecorderKeyRules::kHintText;
    if (isRecording_) return kRecordingText;
    if (!hotKey_) return kEmptyText;
    return QString::fromStdString(hotKey_->displayString());
}

QString HotKeyRecorderView::accessibilityValue() const {
    if (isRecording_) return "Recording";
    return hotKey_ ? QString::fromStdString(hotKey_->displayString()) : QString("Not set");
}

void HotKeyRecorderView::refreshAccessibility() { setAccessibleDescription(accessibilityValue()); }

void HotKeyRecorderView::accessibilityPress() {
    setFocus(Qt::OtherFocusReason);
    beginRecording();
}

void HotKeyRecorderView::beginRecording() {
    if (isRecording_) return;
    isRecording_ = true;
    refreshAccessibility();
    update();
    if (recordingState_) recordingState_->setRecording(true);
}

void HotKeyRecorderView::endRecording() {
    if (!isRecording_) return;
    isRecording_ = false;
    refreshAccessibility();
    update();
    if (recordingState_) recordingState_->setRecording(false);
}

bool HotKeyRecorderView::event(QEvent* event) {
    // While recording, the window's shortcuts and Tab handling wait: every key comes here.
    if (event->type() == QEvent::ShortcutOverride && isRecording_) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (isRecording_ || !tab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QWidget::event(event);
}

void HotKeyRecorderView::keyPressEvent(QKeyEvent* event) {
    if (QtKeyCodes::isModifierKey(event->key())) {
        // A modifier alone is the start of a shortcut, not a key of its own.
        if (!isRecording_) QWidget::keyPressEvent(event);
        return;
    }
    const auto keyCode = QtKeyCodes::keyCode(*event);
    if (!keyCode) {
        if (!isRecording_) QWidget::keyPressEvent(event);
        return;
    }
    std::uint32_t modifiers = QtKeyCodes::hotKeyModifiers(event->modifiers());
    if (event->key() == Qt::Key_Backtab) modifiers |= HotKey::kShift;
    const RecorderDecision decision = RecorderKeyRules::decide(isRecording_, *keyCode, modifiers);
    lastKeyCode_ = *keyCode;
    lastModifiers_ = modifiers;
    if (decision.action == RecorderAction::passOn) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    apply(decision);
}

void HotKeyRecorderView::apply(const RecorderDecision& decision) {
    switch (decision.action) {
        case RecorderAction::passOn:
            break;
        case RecorderAction::beginRecording:
            beginRecording();
            break;
        case RecorderAction::moveFocusNext:
        case RecorderAction::moveFocusPrevious:
            endRecording();
            focusNextPrevChild(decision.action == RecorderAction::moveFocusNext);
            break;
        case RecorderAction::cancel:
            endRecording();
            break;
        case RecorderAction::clear:
            if (onChange) onChange(std::nullopt);
            endRecording();
            break;
        case RecorderAction::showHint:
            // The field has room for the hint; the full reason stays as the tool tip.
            setToolTip(QString::fromStdString(RecorderKeyRules::refusalReason(lastKeyCode_, lastModifiers_)));
            hint_.raise();
            break;
        case RecorderAction::record:
            if (onChange) onChange(decision.hotKey);
            endRecording();
            clearFocus();
            break;
    }
}

void HotKeyRecorderView::mousePressEvent(QMouseEvent* event) {
    event->accept();
    const QPointF position = event->position();
    if (isRecording_) {
        endRecording();
        return;
    }
    if (hotKey_ && position.x() >= width() - kClearZoneWidth) {
        if (onChange) onChange(std::nullopt);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    beginRecording();
}

void HotKeyRecorderView::focusInEvent(QFocusEvent* event) {
    update();
    QWidget::focusInEvent(event);
}

void HotKeyRecorderView::focusOutEvent(QFocusEvent* event) {
    update();
    endRecording();
    QWidget::focusOutEvent(event);
}

void HotKeyRecorderView::hideEvent(QHideEvent* event) {
    endRecording();
    QWidget::hideEvent(event);
}

void HotKeyRecorderView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& colors = palette();
    const QColor red = form::errorColor(colors);
    const QColor accent = colors.color(QPalette::Highlight);
    const bool showsHint = hint_.isRaised();
    const QRectF outline = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);

    QColor fill = colors.color(QPalette::Base);
    if (showsHint)
        fill = withAlpha(red, 0.15);
    else if (isRecording_)
        fill = withAlpha(accent, 0.15);
    QColor stroke = colors.color(QPalette::Mid);
    if (showsHint)
        stroke = red;
    else if (isRecording_ || hasFocus())
        stroke = accent;
    painter.setPen(QPen(stroke, 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(outline, kCornerRadius, kCornerRadius);

    QColor textColor = colors.color(QPalette::Text);
    if (showsHint)
        textColor = red;
    else if (!isRecording_ && !hotKey_)
        textColor = form::secondaryColor(colors);
    const bool clearable = hotKey_ && !isRecording_;
    const int available = clearable && !showsHint ? width() - kClearZoneWidth : width();
    // A text that does not fit is drawn smaller before it is cut short.
    QFont font = this->font();
    font.setPixelSize(kTextPixelSize);
    while (font.pixelSize() > kSmallestTextPixelSize &&
           QFontMetrics(font).horizontalAdvance(displayedText()) > available - 2 * kCornerRadius)
        font.setPixelSize(font.pixelSize() - 1);
    painter.setFont(font);
    painter.setPen(textColor);
    const QString text = painter.fontMetrics().elidedText(displayedText(), Qt::ElideRight, available);
    const int textWidth = painter.fontMetrics().horizontalAdvance(text);
    const QRectF textRect((width() - textWidth) / 2.0, 0, textWidth, height());
    painter.drawText(textRect, Qt::AlignCenter, text);

    if (clearable) {
        QFont markFont = this->font();
        markFont.setPixelSize(kClearMarkPixelSize);
        markFont.setWeight(QFont::Medium);
        painter.setFont(markFont);
        painter.setPen(form::secondaryColor(colors));
        painter.drawText(QRectF(width() - kClearZoneWidth, 0, kClearZoneWidth, height()), Qt::AlignCenter,
                         QString(QChar(0x00D7)));
    }
}

}  // namespace tenvik
