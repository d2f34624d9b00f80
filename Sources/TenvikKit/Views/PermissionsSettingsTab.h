// SPDX-License-Identifier: MIT
// PermissionsSettingsTab.h: the Permissions tab: what this desktop offers the program (an X11
// session, a window manager, a compositing manager, access to the touchpad), each a row with
// its true state and how to get it, redrawn whenever a fact changes (the facts are re-read
// every second while the settings window is open).
#pragma once

#include "TenvikKit/Views/KitWindowContext.h"
#include "TenvikKit/Views/RequirementRow.h"

#include <QWidget>

namespace tenvik {

class PermissionsSettingsTab : public QWidget {
public:
    static constexpr const char* kNoPromptNote =
        "Nothing here asks you for permission: the X server, the window manager and your user's groups "
        "decide, and these rows show what they allow now.";

    explicit PermissionsSettingsTab(const KitWindowContext& context, QWidget* parent = nullptr);

    void refresh();
    RequirementList* requirements() const { return requirements_; }

private:
    KitWindowContext context_;
    RequirementList* requirements_ = nullptr;
    ChangeLink links_[4];
};

}  // namespace tenvik
