// SPDX-License-Identifier: MIT
// SettingsWindowController.cpp: building the settings window with its tab bar, showing it on
// a tab, and the polling claim.
#include "TenvikKit/Views/SettingsWindowController.h"

#include "TenvikKit/Log/LogChannel.h"
#include "TenvikKit/Views/FocusSettingsTab.h"
#include "TenvikKit/Views/GeneralSettingsTab.h"
#include "TenvikKit/Views/KitSymbols.h"
#include "TenvikKit/Views/KitWindow.h"
#include "TenvikKit/Views/PermissionsSettingsTab.h"
#include "TenvikKit/Views/PinSettingsTab.h"
#include "TenvikKit/Views/ShortcutsSettingsTab.h"

#include <QTabWidget>
#include <QVBoxLayout>

namespace tenvik {

namespace {

constexpr SettingsTab kTabs[] = {SettingsTab::general, SettingsTab::shortcuts, SettingsTab::focus, SettingsTab::pin,
                                 SettingsTab::permissions};

QIcon tabIcon(const char* themeName, const char* symbol, const QColor& tint) {
    QIcon icon = QIcon::fromTheme(themeName);
    if (!icon.isNull() || !symbol) return icon;
    return QIcon(QPixmap::fromImage(tinted(symbolImage(symbol, 32), tint)));
}

}  // namespace

SettingsWindowController::SettingsWindowController(KitWindowContext context) : context_(std::move(context)) {}

SettingsWindowController::~SettingsWindowController() {
    tabLink_.reset();
    if (window_) window_->onClose = nullptr;
}

void SettingsWindowController::show(std::optional<SettingsTab> tab) {
    if (tab) state_.selectedTab = *tab;
    if (!window_) build();
    window_->present();
    Log::app().info("settings window on tab " + std::string(rawValue(state_.selectedTab.get())));
    context_.shared.permissions->startPolling(PermissionsManager::PollingOwner::settings);
}

void SettingsWindowController::build() {
    window_ = std::make_unique<KitWindow>();
    window_->setObjectName("kitSettings");
    window_->setWindowTitle(kTitle);
    window_->setFixedSize(kWidth, kHeight);
    auto* layout = new QVBoxLayout(window_.get());
    layout->setContentsMargins(12, 12, 12, 12);
    tabs_ = new QTabWidget(window_.get());
    tabs_->setObjectName("settingsTabs");
    tabs_->setDocumentMode(false);
    layout->addWidget(tabs_);

    const QColor tint = window_->palette().color(QPalette::WindowText);
    general_ = new GeneralSettingsTab(context_);
    shortcuts_ = new ShortcutsSettingsTab(context_);
    focus_ = new FocusSettingsTab(context_);
    pin_ = new PinSettingsTab(context_);
    permissions_ = new PermissionsSettingsTab(context_);
    tabs_->addTab(general_, tabIcon("preferences-system", nullptr, tint), "General");
    tabs_->addTab(shortcuts_, tabIcon("input-keyboard", nullptr, tint), "Shortcuts");
    tabs_->addTab(focus_, tabIcon("", "lock", tint), "Focus");
    tabs_->addTab(pin_, tabIcon("", "pin", tint), "Pin");
    tabs_->addTab(permissions_, tabIcon("security-high", nullptr, tint), "Permissions");
    for (int i = 0; i < tabs_->count(); ++i)
        tabs_->widget(i)->setObjectName(
            QString::fromUtf8(rawValue(kTabs[i]).data(), static_cast<int>(rawValue(kTabs[i]).size())));

    tabs_->setCurrentIndex(static_cast<int>(state_.selectedTab.get()));
    QObject::connect(tabs_, &QTabWidget::currentChanged, window_.get(), [this](int index) {
        if (index >= 0 && index < 5) state_.selectedTab = kTabs[index];
    });
    tabLink_ = ChangeLink(state_.selectedTab.changes, [this] {
        const int index = static_cast<int>(state_.selectedTab.get());
        if (tabs_->currentIndex() != index) tabs_->setCurrentIndex(index);
    });

    std::weak_ptr<PermissionsManager> permissions = context_.shared.permissions;
    window_->onClose = [permissions] {
        if (auto model = permissions.lock()) model->stopPolling(PermissionsManager::PollingOwner::settings);
    };
}

}  // namespace tenvik
