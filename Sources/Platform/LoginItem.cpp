// SPDX-License-Identifier: MIT
// LoginItem.cpp: writes, reads and removes the autostart entry, quoting the program's path
// the way desktop entries require (so a path with spaces or quotes still starts).

#include "Platform/LoginItem.h"

#include "Platform/Files.h"

#include <cstring>
#include <sstream>
#include <system_error>

namespace platform {

namespace {

// Characters that make an Exec argument need quotes.
constexpr const char* kReserved = " \t\n\"'\\><~|&;$*?#()`";

std::string quoteArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(kReserved) == std::string::npos) return argument;
    std::string quoted = "\"";
    for (char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

// A desktop entry's string value: backslashes doubled; in Exec a '%' is written "%%".
std::string escapeExecValue(const std::string& value) {
    std::string escaped;
    for (char c : value) {
        if (c == '\\')
            escaped += "\\\\";
        else if (c == '%')
            escaped += "%%";
        else
            escaped += c;
    }
    return escaped;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

}  // namespace

LoginItem::LoginItem(std::filesystem::path autostartFolder, std::filesystem::path executable)
    : folder_(std::move(autostartFolder)), executable_(std::move(executable)) {}

std::optional<std::string> LoginItem::entryText(const std::filesystem::path& executable) {
    const std::string path = executable.string();
    if (path.empty() || path.find_first_of("\n\r") != std::string::npos) return std::nullopt;
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Vomira\n"
           "Comment=Arranges your windows into tiles\n"
           "Exec=" +
           escapeExecValue(quoteArgument(path)) +
           "\n"
           "Icon=org.vomira.Arvelo\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

LoginItem::Status LoginItem::status() const {
    const std::optional<std::string> text = platform::readFile(entryPath());
    if (!text) return Status::notRegistered;
    std::istringstream lines(*text);
    std::string line;
    bool inEntry = false;
    while (std::getline(lines, line)) {
        line = trimmed(line);
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        if (!inEntry) continue;
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = trimmed(line.substr(0, equals));
        const std::string value = trimmed(line.substr(equals + 1));
        if (key == "Hidden" && value == "true") return Status::notRegistered;
        if (key == "X-GNOME-Autostart-enabled" && value == "false") return Status::notRegistered;
    }
    return Status::enabled;
}

std::optional<std::string> LoginItem::registerItem() {
    const std::optional<std::string> text = entryText(executable_);
    if (!text) return "The program's path cannot be written in an autostart entry.";
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error) return error.message();
    if (!platform::writeFileAtomically(entryPath(), *text, platform::kSharedFile)) {
        return "Could not write " + entryPath().string() + ".";
    }
    return std::nullopt;
}

std::optional<std::string> LoginItem::unregisterItem() {
    std::error_code error;
    std::filesystem::remove(entryPath(), error);
    if (error) return error.message();
    return std::nullopt;
}

}  // namespace platform
