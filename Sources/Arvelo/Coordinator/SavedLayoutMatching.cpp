// SPDX-License-Identifier: MIT
// SavedLayoutMatching.cpp: the three matching passes of a saved layout.
#include "Arvelo/Coordinator/SavedLayoutMatching.h"

#include "Arvelo/State/StoredText.h"

#include <algorithm>
#include <functional>

namespace arvelo::SavedLayoutMatching {

std::string applicationOf(const std::string& identity) {
    std::size_t start = 0;
    while (start <= identity.size()) {
        const std::size_t bar = std::min(identity.find('|', start), identity.size());
        if (bar > start) return identity.substr(start, bar - start);
        start = bar + 1;
    }
    return {};
}

std::map<std::string, std::string> match(const SavedView& view, const std::vector<LiveWindow>& windows) {
    std::vector<const LiveWindow*> remaining;
    for (const auto& window : windows) remaining.push_back(&window);
    std::map<std::string, std::string> mapping;
    using Matches = std::function<bool(const std::string& key, const std::string& identity, const LiveWindow&)>;
    const auto pass = [&](const Matches& matches) {
        // Saved keys in plain text order (the map's order).
        for (const auto& [savedKey, savedIdentity] : view.identities) {
            if (mapping.contains(savedKey)) continue;
            const auto found = std::find_if(remaining.begin(), remaining.end(), [&](const LiveWindow* window) {
                return matches(savedKey, savedIdentity, *window);
            });
            if (found == remaining.end()) continue;
            mapping[savedKey] = (*found)->key;
            remaining.erase(found);
        }
    };
    pass([](const std::string& key, const std::string&, const LiveWindow& window) { return window.key == key; });
    // Saved text is compared in its stored form, whichever run wrote the file.
    pass([](const std::string&, const std::string& identity, const LiveWindow& window) {
        return window.identity == storedIdentity(identity);
    });
    pass([&](const std::string& key, const std::string& identity, const LiveWindow& window) {
        const bool known = view.apps && view.apps->contains(key);
        return window.application == storedText(known ? view.apps->at(key) : applicationOf(identity));
    });
    return mapping;
}

}  // namespace arvelo::SavedLayoutMatching
