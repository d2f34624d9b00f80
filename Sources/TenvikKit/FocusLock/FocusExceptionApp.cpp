// SPDX-License-Identifier: MIT
// FocusExceptionApp.cpp: row keys, names, sorting and the list edits.
#include "TenvikKit/FocusLock/FocusExceptionApp.h"

#include "TenvikKit/FocusLock/FocusActivationPolicy.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace tenvik {

namespace {

std::string trimmed(std::string_view text) {
    const auto isSpace = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
    };
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return std::string(text);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
char folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string FocusExceptionApp::key(std::string_view stored) {
    return FocusActivationPolicy::normalizedApplicationID(stored).value_or(std::string(stored));
}

std::string FocusExceptionApp::displayName(std::string_view, const std::optional<std::string>& entryName) {
    if (entryName) {
        std::string name = trimmed(*entryName);
        if (!name.empty()) return name;
    }
    return kUnavailableName;
}

namespace {

FocusExceptionApp resolved(std::string_view id, const DesktopEntry* entry) {
    FocusExceptionApp app;
    app.id = std::string(id);
    app.name = FocusExceptionApp::displayName(id, entry ? std::optional<std::string>(entry->name) : std::nullopt);
    app.icon = entry ? entry->icon : std::string();
    app.installed = entry != nullptr;
    return app;
}

}  // namespace

FocusExceptionApp FocusExceptionApp::resolve(std::string_view id, const std::vector<DesktopEntry>& installed,
                                             const std::map<std::string, DesktopEntry>& chosen) {
    const DesktopEntry* entry = nullptr;
    if (const auto it = chosen.find(std::string(id)); it != chosen.end()) entry = &it->second;
    for (const DesktopEntry& candidate : installed) {
        if (entry) break;
        if (candidate.identifier == id) entry = &candidate;
    }
    return resolved(id, entry);
}

std::vector<FocusExceptionApp> FocusExceptionApp::rows(const std::vector<std::string>& stored,
                                                       const std::vector<DesktopEntry>& installed,
                                                       const std::map<std::string, DesktopEntry>& chosen) {
    // The installed entries by identifier (the first of each), so a long list is resolved in
    // time linear in its length, not in its length times the installed count.
    std::unordered_map<std::string_view, const DesktopEntry*> byIdentifier;
    byIdentifier.reserve(installed.size());
    for (const DesktopEntry& candidate : installed) byIdentifier.try_emplace(candidate.identifier, &candidate);
    std::vector<FocusExceptionApp> apps;
    apps.reserve(stored.size());
    std::unordered_set<std::string> keys;
    for (const std::string& entry : stored) {
        std::string id = key(entry);
        if (!keys.insert(id).second) continue;
        const DesktopEntry* found = nullptr;
        if (const auto it = chosen.find(id); it != chosen.end()) {
            found = &it->second;
        } else if (const auto at = byIdentifier.find(id); at != byIdentifier.end()) {
            found = at->second;
        }
        apps.push_back(resolved(id, found));
    }
    std::stable_sort(apps.begin(), apps.end(), [](const FocusExceptionApp& a, const FocusExceptionApp& b) {
        const int order = compareNames(a.name, b.name);
        return order != 0 ? order < 0 : a.id < b.id;
    });
    return apps;
}

std::vector<std::string> FocusExceptionApp::adding(std::string_view identifier, std::vector<std::string> list) {
    const auto normalized = FocusActivationPolicy::normalizedApplicationID(identifier);
    if (!normalized) return list;
    if (std::any_of(list.begin(), list.end(), [&](const std::string& entry) { return key(entry) == *normalized; }))
        return list;
    list.push_back(*normalized);
    std::sort(list.begin(), list.end());
    return list;
}

std::vector<std::string> FocusExceptionApp::removing(std::string_view id, std::vector<std::string> list) {
    std::erase_if(list, [&](const std::string& entry) { return entry == id || key(entry) == id; });
    return list;
}

int FocusExceptionApp::compareNames(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            std::size_t endA = i, endB = j;
            while (endA < a.size() && isDigit(a[endA])) ++endA;
            while (endB < b.size() && isDigit(b[endB])) ++endB;
            std::string_view runA = a.substr(i, endA - i), runB = b.substr(j, endB - j);
            while (runA.size() > 1 && runA.front() == '0') runA.remove_prefix(1);
            while (runB.size() > 1 && runB.front() == '0') runB.remove_prefix(1);
            if (runA.size() != runB.size()) return runA.size() < runB.size() ? -1 : 1;
            if (runA != runB) return runA < runB ? -1 : 1;
            i = endA;
            j = endB;
            continue;
        }
        const char x = folded(a[i]), y = folded(b[j]);
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

}  // namespace tenvik
