// SPDX-License-Identifier: MIT
// PermissionsSettingsTab.cpp: the desktop's requirement rows and the note under them.
#include "TenvikKit/Views/PermissionsSettingsTab.h"

#include "TenvikKit/Views/KitForm.h"

#include <QLabel>
#include <QVBoxLayout>

namespace tenvik {

PermissionsSettingsTab::PermissionsSettingsTab(const KitWindowContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* formView = new GroupedForm(this);
    layout->addWidget(formView);
    FormSection* section = formView->addSection();
    requirements_ = new RequirementList;
    requirements_->setObjectName("requirements");
    section->addRow(requirements_);
    QLabel* note = form::caption(kNoPromptNote);
    note->setObjectName("noPromptNote");
    note->setWordWrap(true);
    formView->column()->insertWidget(formView->column()->count() - 1, note);
    PermissionsManager& permissions = *context_.shared.permissions;
    ActivityMonitor& activity = *context_.shared.activity;
    const auto redraw = [this] { refresh(); };
    links_[0] = ChangeLink(permissions.accessibilityGranted.changes, redraw);
    links_[1] = ChangeLink(permissions.compositingManager.changes, redraw);
    links_[2] = ChangeLink(activity.gesturesAvailable.changes, redraw);
    links_[3] = ChangeLink(activity.gesturesUnavailableReason.changes, redraw);
    refresh();
}

void PermissionsSettingsTab::refresh() {
    const KitShared& shared = context_.shared;
    requirements_->setRequirements(desktopRequirements(shared.permissions->desktopFacts(*shared.activity)));
}

}  // namespace tenvik
