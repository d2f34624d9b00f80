// SPDX-License-Identifier: MIT
// GeneralSettingsTab.cpp: the launch-at-login switch and the welcome guide button.
#include "TenvikKit/Views/GeneralSettingsTab.h"

#include "TenvikKit/Views/KitForm.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tenvik {

GeneralSettingsTab::GeneralSettingsTab(const KitWindowContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* formView = new GroupedForm(this);
    layout->addWidget(formView);

    auto* launch = new QVBoxLayout;
    launch->setSpacing(4);
    launchAtLogin_ = new QCheckBox("Launch at login");
    launchAtLogin_->setObjectName("launchAtLogin");
    launch->addWidget(launchAtLogin_);
    pending_ = form::caption("Waiting for the autostart entry to be written.");
    pending_->setObjectName("launchAtLoginPending");
    launch->addWidget(pending_);
    errorLabel_ = form::errorCaption(QString());
    errorLabel_->setObjectName("launchAtLoginError");
    launch->addWidget(errorLabel_);
    formView->addSection()->addRow(launch);
    QObject::connect(launchAtLogin_, &QCheckBox::toggled, this, [this](bool on) { setLaunchAtLogin(on); });

    auto* guide = new QPushButton("Show Welcome Guide Again");
    guide->setObjectName("showWelcomeGuide");
    guide->setAutoDefault(false);
    auto* guideRow = new QHBoxLayout;
    guideRow->addWidget(guide);
    guideRow->addStretch(1);
    formView->addSection()->addRow(guideRow);
    QObject::connect(guide, &QPushButton::clicked, this, [this] {
        if (context_.showOnboarding) context_.showOnboarding();
    });

    QObject::connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive) refreshStatus();
    });
    render();
}

void GeneralSettingsTab::showEvent(QShowEvent* event) {
    refreshStatus();
    QWidget::showEvent(event);
}

void GeneralSettingsTab::refreshStatus() {
    if (context_.launchAtLogin) status_ = context_.launchAtLogin->status();
    render();
}

void GeneralSettingsTab::setLaunchAtLogin(bool enabled) {
    const bool worked = context_.launchAtLogin && context_.launchAtLogin->setEnabled(enabled);
    if (worked)
        error_.reset();
    else
        error_ = kLaunchAtLoginError;
    refreshStatus();
}

void GeneralSettingsTab::render() {
    const QSignalBlocker blocker(launchAtLogin_);
    launchAtLogin_->setChecked(status_ != LaunchAtLoginManager::Status::disabled);
    pending_->setVisible(status_ == LaunchAtLoginManager::Status::requiresApproval);
    errorLabel_->setText(error_ ? QString::fromStdString(*error_) : QString());
    errorLabel_->setVisible(error_.has_value());
}

}  // namespace tenvik
