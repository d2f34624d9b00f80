// SPDX-License-Identifier: MIT
// KitWindows.cpp: the settings tabs' raw values.
#include "TenvikKit/Controller/KitWindows.h"

namespace tenvik {

std::string_view rawValue(SettingsTab tab) {
    switch (tab) {
        case SettingsTab::general:
            return "general";
        case SettingsTab::shortcuts:
            return "shortcuts";
        case SettingsTab::focus:
            return "focus";
        case SettingsTab::pin:
            return "pin";
        case SettingsTab::permissions:
            return "permissions";
    }
    return "general";
}

std::optional<SettingsTab> settingsTabFromRawValue(std::string_view raw) {
    for (SettingsTab tab :
         {SettingsTab::general, SettingsTab::shortcuts, SettingsTab::focus, SettingsTab::pin, SettingsTab::permissions})
        if (rawValue(tab) == raw) return tab;
    return std::nullopt;
}

}  // namespace tenvik
