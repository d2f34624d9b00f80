// SPDX-License-Identifier: MIT
// DesktopEntry.cpp: reading the "[Desktop Entry]" group line by line: comments and other
// groups are skipped, localised keys ("Name[de]") are left to the plain key, values are
// unescaped (\s \n \t \r \\).
#include "TenvikKit/Applications/DesktopEntry.h"

#include "TenvikKit/FocusLock/FocusActivationPolicy.h"

#include <map>

namespace tenvik {

namespace {

std::string_view trim(std::string_view text) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return text;
}

std::string unescape(std::string_view value) {
    std::string text;
    text.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        switch (value[++i]) {
            case 's':
                text += ' ';
                break;
            case 'n':
                text += '\n';
                break;
            case 't':
                text += '\t';
                break;
            case 'r':
                text += '\r';
                break;
            case '\\':
                text += '\\';
                break;
            default:
                text += '\\';
                text += value[i];
        }
    }
    return text;
}

// The keys of the "[Desktop Entry]" group; absent when the file has no such group.
std::optional<std::map<std::string, std::string, std::less<>>> mainGroup(std::string_view text) {
    std::map<std::string, std::string, std::less<>> keys;
    bool inGroup = false;
    bool seen = false;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            inGroup = line == "[Desktop Entry]";
            seen = seen || inGroup;
            continue;
        }
        if (!inGroup) continue;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view key = trim(line.substr(0, equals));
        if (key.empty() || key.find('[') != std::string_view::npos) continue;
        keys.try_emplace(std::string(key), unescape(trim(line.substr(equals + 1))));
    }
    if (!seen) return std::nullopt;
    return keys;
}

}  // namespace

std::string DesktopEntries::desktopID(std::string_view relativePath) {
    constexpr std::string_view kSuffix = ".desktop";
    if (relativePath.ends_with(kSuffix)) relativePath.remove_suffix(kSuffix.size());
    std::string id(relativePath);
    for (char& c : id)
        if (c == '/') c = '-';
    return id;
}

std::optional<std::string> DesktopEntries::identifierFor(std::string_view desktopID, std::string_view startupWMClass,
                                                         std::string_view executable) {
    if (auto fromClass = FocusActivationPolicy::normalizedApplicationID(startupWMClass)) return fromClass;
    if (desktopID.find('.') != std::string_view::npos) {
        if (auto fromID = FocusActivationPolicy::normalizedApplicationID(desktopID)) return fromID;
    }
    if (auto fromProgram = FocusActivationPolicy::normalizedApplicationID(executable)) return fromProgram;
    return FocusActivationPolicy::normalizedApplicationID(desktopID);
}

std::string DesktopEntries::executableOf(std::string_view exec) {
    std::string_view rest = trim(exec);
    while (!rest.empty()) {
        std::string_view word;
        if (rest.front() == '"') {
            const auto close = rest.find('"', 1);
            word = rest.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
            rest = close == std::string_view::npos ? std::string_view() : trim(rest.substr(close + 1));
        } else {
            const auto space = rest.find_first_of(" \t");
            word = rest.substr(0, space);
            rest = space == std::string_view::npos ? std::string_view() : trim(rest.substr(space));
        }
        if (word.empty() || word == "env" || word.find('=') != std::string_view::npos) continue;
        const auto slash = word.rfind('/');
        return std::string(slash == std::string_view::npos ? word : word.substr(slash + 1));
    }
    return {};
}

DesktopEntryParse DesktopEntries::parse(std::string_view desktopID, std::string_view text) {
    using Outcome = DesktopEntryParse::Outcome;
    const auto keys = mainGroup(text);
    if (!keys) return {Outcome::malformed, std::nullopt};
    const auto value = [&](std::string_view key) -> std::string {
        const auto it = keys->find(key);
        return it == keys->end() ? std::string() : it->second;
    };
    if (value("Type") != "Application") return {Outcome::notAnApplication, std::nullopt};
    if (value("NoDisplay") == "true" || value("Hidden") == "true") return {Outcome::hidden, std::nullopt};
    const std::string name(trim(value("Name")));
    const std::string executable = executableOf(value("Exec"));
    const auto identifier = identifierFor(desktopID, value("StartupWMClass"), executable);
    if (name.empty() || !identifier) return {Outcome::malformed, std::nullopt};
    return {Outcome::entry, DesktopEntry{std::string(desktopID), name, value("Icon"), *identifier, executable}};
}

}  // namespace tenvik
