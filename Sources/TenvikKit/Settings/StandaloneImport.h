// SPDX-License-Identifier: MIT
// StandaloneImport.h: the one-time import of the settings of the kit's former standalone
// application: its defaults domains ("<configuration>/<identifier>/defaults.json") are copied
// into this program's defaults without overwriting anything, once per user. Runs before the
// settings object is made, so the imported keys are loaded (and migrated) by it.
#pragma once

#include "Platform/UserDefaults.h"

#include <string>
#include <vector>

namespace tenvik {

inline constexpr const char* kImportedStandaloneSettingsKey = "importedTenvikSettings";

// The former standalone kit's identifiers, most specific first (a configuration value of the
// build: TENVIK_STANDALONE_IDENTIFIER, extended by ".app", then alone).
std::vector<std::string> standaloneSettingsDomains();

// The kit's own keys: its settings ("settings." and the property name) and the older opacity key
// its settings migrate.
inline constexpr const char* kKitSettingsPrefix = "settings.";
bool isKitKey(const std::string& key);

// Copies every kit key of `domains` (in order; the first one that has a key wins) that
// `defaults` does not hold yet, in one write and in time linear in the keys; then marks the
// import done. Does nothing once marked.
void importStandaloneSettings(platform::UserDefaults& defaults,
                              const std::vector<std::string>& domains = standaloneSettingsDomains());

}  // namespace tenvik
