// PermissionsSettingsTab.h: the Permissions tab: Screen Recording and Accessibility, each a
// PermissionRow over the kit's permissions model, redrawn whenever a flag of it changes (it is
// re-read every second while the settings window is open).
#pragma once

#include "TenvikKit/Views/KitWindowContext.h"
#include "TenvikKit/Views/PermissionRow.h"

#include <QWidget>

namespace tenvik {

class PermissionsSettingsTab : public QWidget {
public:
    static constexpr const char* kScreenRecordingNoPane =
        "Nothing to open on this desktop: pinning works when the X server has the Composite extension.";
    static constexpr const char* kAccessibilityNoPane =
        "Nothing to open on this desktop: click-through works when a window manager that follows EWMH runs.";
    static constexpr const char* kNoPaneNote =
        "On this desktop both permissions come from the X server and the window manager, so there are no "
        "privacy settings to open.";

    explicit PermissionsSettingsTab(const KitWindowContext& context, QWidget* parent = nullptr);

    void refresh();
    PermissionRow* screenRecordingRow() const { return screenRecording_; }
    PermissionRow* accessibilityRow() const { return accessibility_; }

    // The two rows' contents for the model's flags (the onboarding guide uses them too).
    static PermissionRow::Content screenRecordingContent(const PermissionsManager& permissions, const QString& title);
    static PermissionRow::Content accessibilityContent(const PermissionsManager& permissions, const QString& title);
    static void connect(PermissionRow& screenRecording, PermissionRow& accessibility,
                        std::shared_ptr<PermissionsManager> permissions);

private:
    KitWindowContext context_;
    PermissionRow* screenRecording_ = nullptr;
    PermissionRow* accessibility_ = nullptr;
    ChangeLink links_[4];
};

}  // namespace tenvik
