// SPDX-License-Identifier: MIT
// URLCommand.cpp: the syntax check, scheme and host extraction of "arvelo://" URLs and the
// table from host to command. The generic URL syntax decides what counts as a URL at all.
#include "Arvelo/Commands/URLCommand.h"

#include <array>
#include <utility>

namespace arvelo {

namespace {

// Hosts in the order they are tested.
constexpr std::array<std::pair<std::string_view, URLCommand>, 11> kHosts{{
    {"arrange", URLCommand::arrange},
    {"restore", URLCommand::restore},
    {"recover", URLCommand::recover},
    {"overview", URLCommand::overview},
    {"desktop", URLCommand::desktop},
    {"back", URLCommand::back},
    {"forward", URLCommand::forward},
    {"zoom-out", URLCommand::zoomOut},
    {"pin", URLCommand::pin},
    {"release-all", URLCommand::releaseAll},
    {"map", URLCommand::map},
}};

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Schemes and hosts are case-insensitive in URLs: the desktop's URL handlers route "ARVELO://PIN"
// here as they route "arvelo://pin".
bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHex(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// The characters a URL may hold outside percent escapes: unreserved, general and sub delimiters.
bool isURLChar(char c) {
    if (isAlpha(c) || isDigit(c)) return true;
    static constexpr std::string_view kOther = "-._~:/?#[]@!$&'()*+,;=";
    return kOther.find(c) != std::string_view::npos;
}

URLCommandParse skipped(std::string reason) {
    URLCommandParse result;
    result.skipReason = std::move(reason);
    return result;
}

// Finds where the scheme ends; npos when the string does not start with a scheme and ":".
std::size_t schemeEnd(std::string_view url) {
    if (url.empty() || !isAlpha(url[0])) return std::string_view::npos;
    for (std::size_t i = 1; i < url.size(); ++i) {
        const char c = url[i];
        if (c == ':') return i;
        if (!(isAlpha(c) || isDigit(c) || c == '+' || c == '-' || c == '.')) return std::string_view::npos;
    }
    return std::string_view::npos;
}

// The host inside an authority: without "user@" and without ":port"; bracketed literals whole.
std::optional<std::string_view> hostOfAuthority(std::string_view authority) {
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);
    std::string_view port;
    std::string_view host = authority;
    if (!authority.empty() && authority[0] == '[') {
        const auto close = authority.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        host = authority.substr(0, close + 1);
        port = authority.substr(close + 1);
        if (!port.empty() && port[0] != ':') return std::nullopt;
    } else if (const auto colon = authority.find(':'); colon != std::string_view::npos) {
        host = authority.substr(0, colon);
        port = authority.substr(colon);
    }
    if (host.find_first_of("[]") != std::string_view::npos && (host.empty() || host[0] != '[')) return std::nullopt;
    for (std::size_t i = 1; i < port.size(); ++i)
        if (!isDigit(port[i])) return std::nullopt;
    return host;
}

}  // namespace

URLCommandParse parseURLCommand(std::string_view url) {
    if (url.size() > kMaxURLLength) return skipped("longer than " + std::to_string(kMaxURLLength) + " characters");
    for (std::size_t i = 0; i < url.size(); ++i) {
        const char c = url[i];
        if (c == '%') {
            if (i + 2 >= url.size() || !isHex(url[i + 1]) || !isHex(url[i + 2]))
                return skipped("malformed percent escape at offset " + std::to_string(i));
            i += 2;
        } else if (!isURLChar(c)) {
            return skipped("character not allowed in a URL at offset " + std::to_string(i));
        }
    }
    const auto end = schemeEnd(url);
    if (end == std::string_view::npos) return skipped("no scheme");
    if (!equalsIgnoringCase(url.substr(0, end), kURLScheme)) return skipped("scheme is not \"arvelo\"");

    std::string_view rest = url.substr(end + 1);
    URLCommandParse result;
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        const auto host = hostOfAuthority(rest.substr(0, rest.find_first_of("/?#")));
        if (!host) return skipped("malformed host");
        result.host = std::string(*host);
    }
    result.command = URLCommand::dashboard;
    for (const auto& [name, command] : kHosts) {
        if (equalsIgnoringCase(result.host, name)) {
            result.command = command;
            break;
        }
    }
    return result;
}

}  // namespace arvelo
