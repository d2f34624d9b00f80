// SPDX-License-Identifier: MIT
// OnboardingView.cpp: the guide's header, cards, activity dot and footer.
#include "TenvikKit/Views/OnboardingView.h"

#include "TenvikKit/Views/KitForm.h"
#include "TenvikKit/Views/KitSymbols.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace tenvik {

namespace {

constexpr int kIconSize = 64;
constexpr int kDotSize = 10;

class ActivityDot : public QWidget {
public:
    explicit ActivityDot(const TimedFlag& pulse, QWidget* parent) : QWidget(parent), pulse_(pulse) {
        setFixedSize(kDotSize, kDotSize);
        setObjectName("activityDot");
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        QColor gray(128, 128, 128);
        gray.setAlphaF(0.4f);
        painter.setBrush(pulse_.isRaised() ? palette().color(QPalette::Highlight) : gray);
        painter.drawEllipse(rect());
    }

private:
    const TimedFlag& pulse_;
};

class Card : public QFrame {
public:
    explicit Card(QWidget* parent = nullptr) : QFrame(parent) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(palette().color(QPalette::Mid), 1));
        painter.setBrush(palette().color(QPalette::Base));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    }
};

QPixmap headerIcon(const QPalette& palette) {
    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull()) return icon.pixmap(kIconSize, kIconSize);
    return QPixmap::fromImage(tinted(symbolImage("pin.fill", kIconSize), palette.color(QPalette::Highlight)));
}

}  // namespace

OnboardingView::OnboardingView(const KitWindowContext& context, std::function<void()> onDone, QWidget* parent)
    : QScrollArea(parent), context_(context), onDone_(std::move(onDone)), pulse_(context.dispatch, kPulseDuration) {
    setFixedSize(kWidth, kHeight);
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(16);

    auto* header = new QHBoxLayout;
    header->setSpacing(14);
    auto* icon = new QLabel(content);
    icon->setFixedSize(kIconSize, kIconSize);
    icon->setScaledContents(true);
    icon->setPixmap(headerIcon(palette()));
    header->addWidget(icon);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(4);
    auto* title = new QLabel("Rev & Uzidu", content);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setWeight(QFont::DemiBold);
    title->setFont(titleFont);
    titles->addWidget(title);
    titles->addWidget(form::secondaryText("Lock focus on an app, or pin a live preview of any window.", content));
    header->addLayout(titles, 1);
    column->addLayout(header);

    // What this desktop offers, each with its state now; nothing that is always so.
    requirements_ = new RequirementList;
    requirements_->setObjectName("requirements");
    column->addWidget(card("Step 1: check your desktop", requirements_));

    auto* tryIt = new QWidget;
    auto* tryLine = new QHBoxLayout(tryIt);
    tryLine->setContentsMargins(0, 0, 0, 0);
    tryLine->setSpacing(10);
    dot_ = new ActivityDot(pulse_, tryIt);
    tryLine->addWidget(dot_, 0, Qt::AlignVCenter);
    auto* lines = new QVBoxLayout;
    lines->setSpacing(2);
    detected_ = new QLabel("Input detected", tryIt);
    detected_->setObjectName("inputDetected");
    firstLine_ = new QLabel(tryIt);
    firstLine_->setObjectName("tryLine1");
    secondLine_ = new QLabel(tryIt);
    secondLine_->setObjectName("tryLine2");
    for (QLabel* label : {detected_, firstLine_, secondLine_}) lines->addWidget(label);
    tryLine->addLayout(lines, 1);
    column->addWidget(card("Step 2: try it", tryIt));

    auto* footer = new QVBoxLayout;
    footer->setSpacing(8);
    footer->addWidget(form::caption("You can change everything later in Settings.", content));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    done_ = new QPushButton("Done", content);
    done_->setObjectName("done");
    // The prominent look: filled with the accent colour.
    QPalette prominent = done_->palette();
    prominent.setColor(QPalette::Button, prominent.color(QPalette::Highlight));
    prominent.setColor(QPalette::ButtonText, prominent.color(QPalette::HighlightedText));
    done_->setPalette(prominent);
    buttons->addWidget(done_);
    footer->addLayout(buttons);
    column->addLayout(footer);
    column->addStretch(1);
    setWidget(content);
    QObject::connect(done_, &QPushButton::clicked, this, [this] { done(); });
    // "Done" is the window's default action: Return or Enter anywhere in it.
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto* shortcut = new QShortcut(key, this);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, done_, &QPushButton::click);
    }

    pulse_.onChange = [this] { refresh(); };
    const auto redraw = [this] { refresh(); };
    const auto pulse = [this] { pulse_.raise(); };
    PermissionsManager& permissions = *context_.shared.permissions;
    ActivityMonitor& activity = *context_.shared.activity;
    links_[0] = ChangeLink(permissions.accessibilityGranted.changes, redraw);
    links_[1] = ChangeLink(permissions.compositingManager.changes, redraw);
    links_[2] = ChangeLink(activity.gesturesUnavailableReason.changes, redraw);
    links_[4] = ChangeLink(context_.shared.settings->changes, redraw);
    links_[5] = ChangeLink(activity.gesturesAvailable.changes, redraw);
    links_[6] = ChangeLink(activity.lastGestureAt.changes, pulse);
    links_[7] = ChangeLink(activity.lastHotKeyAt.changes, pulse);
    refresh();
}

QWidget* OnboardingView::card(const QString& step, QWidget* inner) {
    auto* frame = new Card;
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(8);
    layout->addWidget(form::caption(step, frame));
    inner->setParent(frame);
    layout->addWidget(inner);
    return frame;
}

QStringList OnboardingView::stepThreeLines() const {
    QStringList lines;
    for (const QLabel* label : {detected_, firstLine_, secondLine_})
        if (!label->isHidden()) lines << label->text();
    return lines;
}

void OnboardingView::refresh() {
    requirements_->setRequirements(desktopSteps(context_.shared.permissions->desktopFacts(*context_.shared.activity)));

    const bool gestures = context_.shared.activity->gesturesAvailable.get();
    const auto& hotKey = context_.shared.settings->pinHotKey();
    const QString keyText = hotKey ? QString::fromStdString(hotKey->displayString()) : QString();
    QString first, second;
    if (gestures) {
        first = "Tap the touchpad with three fingers";
        if (hotKey) second = "or press " + keyText;
    } else {
        first = hotKey ? "Press " + keyText : QString("Enable a shortcut in Settings to try pinning.");
    }
    firstLine_->setText(first);
    secondLine_->setText(second);
    secondLine_->setHidden(second.isEmpty());
    detected_->setHidden(!pulse_.isRaised());
    dot_->update();
}

void OnboardingView::done() {
    context_.shared.settings->setHasCompletedOnboarding(true);
    if (onDone_) onDone_();
}

}  // namespace tenvik
