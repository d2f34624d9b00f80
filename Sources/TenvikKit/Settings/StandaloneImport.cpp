// StandaloneImport.cpp: copying the standalone kit's defaults once.
#include "TenvikKit/Settings/StandaloneImport.h"

#include <algorithm>

#ifndef TENVIK_STANDALONE_IDENTIFIER
#define TENVIK_STANDALONE_IDENTIFIER "org.vomira.Tenvik"
#endif

namespace tenvik {

std::vector<std::string> standaloneSettingsDomains() {
    const std::string identifier = TENVIK_STANDALONE_IDENTIFIER;
    return {identifier + ".app", identifier};
}

void importStandaloneSettings(platform::UserDefaults& defaults, const std::vector<std::string>& domains) {
    if (defaults.boolean(kImportedStandaloneSettingsKey) == true) return;
    std::vector<std::pair<std::string, platform::DefaultsValue>> copied;
    for (const std::string& domain : domains) {
        for (const auto& [key, value] : defaults.persistentDomain(domain)) {
            if (key.starts_with("NS") || key.starts_with("Apple")) continue;
            if (defaults.contains(key)) continue;
            const bool seen =
                std::any_of(copied.begin(), copied.end(), [&](const auto& entry) { return entry.first == key; });
            if (!seen) copied.emplace_back(key, value);
        }
    }
    copied.emplace_back(kImportedStandaloneSettingsKey, true);
    defaults.setValues(copied);
}

}  // namespace tenvik
