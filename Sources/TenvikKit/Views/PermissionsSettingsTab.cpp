// PermissionsSettingsTab.cpp: the two permission rows and their actions.
#include "TenvikKit/Views/PermissionsSettingsTab.h"

#include "TenvikKit/Views/KitForm.h"

#include <QVBoxLayout>

namespace tenvik {

PermissionRow::Content PermissionsSettingsTab::screenRecordingContent(const PermissionsManager& permissions,
                                                                      const QString& title) {
    return {permissions.screenRecordingGranted.get(), title, "Required to pin windows.",
            permissions.didPromptScreenRecording.get(), kScreenRecordingNoPane};
}

PermissionRow::Content PermissionsSettingsTab::accessibilityContent(const PermissionsManager& permissions,
                                                                    const QString& title) {
    return {permissions.accessibilityGranted.get(), title,
            "Optional: lets you click through a pinned preview to the real window.",
            permissions.didPromptAccessibility.get(), kAccessibilityNoPane};
}

void PermissionsSettingsTab::connect(PermissionRow& screenRecording, PermissionRow& accessibility,
                                     std::shared_ptr<PermissionsManager> permissions) {
    std::weak_ptr<PermissionsManager> weak = permissions;
    screenRecording.onRequest = [weak] {
        if (auto model = weak.lock()) model->requestScreenRecording();
    };
    screenRecording.onOpenSettings = [weak] {
        if (auto model = weak.lock()) model->openScreenRecordingSettings();
    };
    accessibility.onRequest = [weak] {
        if (auto model = weak.lock()) model->requestAccessibility();
    };
    accessibility.onOpenSettings = [weak] {
        if (auto model = weak.lock()) model->openAccessibilitySettings();
    };
}

PermissionsSettingsTab::PermissionsSettingsTab(const KitWindowContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* formView = new GroupedForm(this);
    layout->addWidget(formView);
    FormSection* section = formView->addSection();
    screenRecording_ = new PermissionRow(context_.hasPrivacySettingsPane);
    screenRecording_->setObjectName("screenRecordingRow");
    accessibility_ = new PermissionRow(context_.hasPrivacySettingsPane);
    accessibility_->setObjectName("accessibilityRow");
    section->addRow(screenRecording_);
    section->addRow(accessibility_);
    if (!context_.hasPrivacySettingsPane) {
        QLabel* note = form::caption(kNoPaneNote);
        note->setObjectName("noPaneNote");
        formView->column()->insertWidget(formView->column()->count() - 1, note);
    }
    connect(*screenRecording_, *accessibility_, context_.shared.permissions);
    PermissionsManager& permissions = *context_.shared.permissions;
    const auto redraw = [this] { refresh(); };
    links_[0] = ChangeLink(permissions.screenRecordingGranted.changes, redraw);
    links_[1] = ChangeLink(permissions.accessibilityGranted.changes, redraw);
    links_[2] = ChangeLink(permissions.didPromptScreenRecording.changes, redraw);
    links_[3] = ChangeLink(permissions.didPromptAccessibility.changes, redraw);
    refresh();
}

void PermissionsSettingsTab::refresh() {
    const PermissionsManager& permissions = *context_.shared.permissions;
    screenRecording_->setContent(screenRecordingContent(permissions, "Screen Recording"));
    accessibility_->setContent(accessibilityContent(permissions, "Accessibility"));
}

}  // namespace tenvik
