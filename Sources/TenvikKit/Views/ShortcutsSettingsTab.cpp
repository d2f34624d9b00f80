// SPDX-License-Identifier: MIT
// ShortcutsSettingsTab.cpp: the gesture pickers and the three shortcut rows.
#include "TenvikKit/Views/ShortcutsSettingsTab.h"

#include "TenvikKit/Views/KitForm.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tenvik {

namespace {

constexpr GestureAction kActions[] = {GestureAction::none, GestureAction::togglePin, GestureAction::toggleFocus,
                                      GestureAction::releaseAll};

QString optionText(GestureAction action) {
    switch (action) {
        case GestureAction::none:
            return "None";
        case GestureAction::togglePin:
            return "Toggle Pin";
        case GestureAction::toggleFocus:
            return "Toggle Focus";
        case GestureAction::releaseAll:
            return "Release All";
    }
    return "None";
}

int indexOf(GestureAction action) {
    for (int i = 0; i < 4; ++i)
        if (kActions[i] == action) return i;
    return 0;
}

}  // namespace

ShortcutsSettingsTab::ShortcutsSettingsTab(const KitWindowContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* formView = new GroupedForm(this);
    layout->addWidget(formView);
    AppSettings& settings = *context_.shared.settings;

    FormSection* trackpad = formView->addSection("Touchpad");
    tapPicker_ = makePicker("tapGesture");
    holdPicker_ = makePicker("holdGesture");
    for (auto [title, picker] :
         {std::pair{"Three-finger tap", tapPicker_}, std::pair{"Three-finger hold", holdPicker_}}) {
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(title));
        row->addStretch(1);
        row->addWidget(picker);
        trackpad->addRow(row);
    }
    QObject::connect(tapPicker_, &QComboBox::activated, this,
                     [this](int index) { context_.shared.settings->setTapGestureAction(kActions[index]); });
    QObject::connect(holdPicker_, &QComboBox::activated, this,
                     [this](int index) { context_.shared.settings->setPressGestureAction(kActions[index]); });
    auto* unavailable = new QVBoxLayout;
    unavailable->setSpacing(2);
    gesturesUnavailable_ = form::caption("Touchpad gestures are off.");
    gesturesUnavailable_->setObjectName("gesturesUnavailable");
    unavailable->addWidget(gesturesUnavailable_);
    gesturesReason_ = form::caption(QString());
    gesturesReason_->setObjectName("gesturesUnavailableReason");
    unavailable->addWidget(gesturesReason_);
    unavailableRow_ = trackpad->addRow(unavailable);
    unavailableRow_->setObjectName("gesturesUnavailableRow");

    FormSection* keyboard = formView->addSection("Keyboard");
    const char* labels[] = {"Toggle Pin", "Toggle Focus", "Release All"};
    for (int i = 0; i < 3; ++i) {
        auto* recorder = new HotKeyRecorderView(context_.shared.recording, context_.dispatch);
        recorder->setLabel(labels[i]);
        recorder->setObjectName(QString("recorder ") + labels[i]);
        recorders_[static_cast<std::size_t>(i)] = recorder;
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(labels[i]));
        row->addStretch(1);
        row->addWidget(recorder);
        keyboard->addRow(row);
    }
    recorders_[0]->onChange = [this](std::optional<HotKey> key) { context_.shared.settings->setPinHotKey(key); };
    recorders_[1]->onChange = [this](std::optional<HotKey> key) { context_.shared.settings->setFocusHotKey(key); };
    recorders_[2]->onChange = [this](std::optional<HotKey> key) { context_.shared.settings->setReleaseAllHotKey(key); };
    registrationError_ = form::errorCaption(QString());
    registrationError_->setObjectName("hotKeyRegistrationError");
    errorRow_ = keyboard->addRow(registrationError_);
    errorRow_->setObjectName("hotKeyRegistrationErrorRow");

    const auto redraw = [this] { refresh(); };
    settingsLink_ = ChangeLink(settings.changes, redraw);
    ActivityMonitor& activity = *context_.shared.activity;
    availableLink_ = ChangeLink(activity.gesturesAvailable.changes, redraw);
    reasonLink_ = ChangeLink(activity.gesturesUnavailableReason.changes, redraw);
    errorLink_ = ChangeLink(activity.hotKeyRegistrationError.changes, redraw);
    refresh();
}

QComboBox* ShortcutsSettingsTab::makePicker(const char* name) {
    auto* picker = new QComboBox;
    picker->setObjectName(name);
    for (GestureAction action : kActions) picker->addItem(optionText(action));
    return picker;
}

void ShortcutsSettingsTab::refresh() {
    const AppSettings& settings = *context_.shared.settings;
    {
        const QSignalBlocker tap(tapPicker_), hold(holdPicker_);
        tapPicker_->setCurrentIndex(indexOf(settings.tapGestureAction()));
        holdPicker_->setCurrentIndex(indexOf(settings.pressGestureAction()));
    }
    recorders_[0]->setHotKey(settings.pinHotKey());
    recorders_[1]->setHotKey(settings.focusHotKey());
    recorders_[2]->setHotKey(settings.releaseAllHotKey());
    const ActivityMonitor& activity = *context_.shared.activity;
    const bool available = activity.gesturesAvailable.get();
    unavailableRow_->setVisible(!available);
    const auto& reason = activity.gesturesUnavailableReason.get();
    gesturesReason_->setText(reason ? QString::fromStdString(*reason) : QString());
    gesturesReason_->setVisible(reason.has_value());
    const auto& error = activity.hotKeyRegistrationError.get();
    registrationError_->setText(error ? QString::fromStdString(*error) : QString());
    errorRow_->setVisible(error.has_value());
}

}  // namespace tenvik
