// SPDX-License-Identifier: MIT
// StandaloneImport.cpp: copying the standalone kit's defaults once.
#include "TenvikKit/Settings/StandaloneImport.h"

#include "TenvikKit/Settings/AppSettings.h"

#include <unordered_set>

#ifndef TENVIK_STANDALONE_IDENTIFIER
#define TENVIK_STANDALONE_IDENTIFIER "org.vomira.Tenvik"
#endif

namespace tenvik {

std::vector<std::string> standaloneSettingsDomains() {
    const std::string identifier = TENVIK_STANDALONE_IDENTIFIER;
    return {identifier + ".app", identifier};
}

bool isKitKey(const std::string& key) {
    return key.starts_with(kKitSettingsPrefix) || key == AppSettings::kLegacyOpacityKey;
}

void importStandaloneSettings(platform::UserDefaults& defaults, const std::vector<std::string>& domains) {
    if (defaults.boolean(kImportedStandaloneSettingsKey) == true) return;
    std::vector<std::pair<std::string, platform::DefaultsValue>> copied;
    std::unordered_set<std::string> seen;
    for (const std::string& domain : domains) {
        for (auto& [key, value] : defaults.persistentDomain(domain)) {
            // Only the kit's own settings: the arranger's keys ("gap", "excludedApps") and the
            // system's ("NS...", "Apple...") are not the old kit's to give.
            if (!isKitKey(key) || defaults.contains(key)) continue;
            if (seen.insert(key).second) copied.emplace_back(key, std::move(value));
        }
    }
    copied.emplace_back(kImportedStandaloneSettingsKey, true);
    defaults.setValues(copied);
}

}  // namespace tenvik
