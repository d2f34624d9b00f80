// SPDX-License-Identifier: MIT
// URLCommand.h: reads one "arvelo://<host>" string into the arranger command it names.
// Pure text handling, no side effects: the shell's URL handler runs the command and logs
// the reason when a string is skipped.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace arvelo {

enum class URLCommand {
    arrange,
    restore,
    recover,
    overview,
    desktop,
    back,
    forward,
    zoomOut,
    pin,
    releaseAll,
    map,
    dashboard,  // no host, or a host the table does not name
};

// The outcome of reading one string: the command, or no command and why it was skipped.
struct URLCommandParse {
    std::optional<URLCommand> command;
    std::string skipReason;  // empty when command is set
    std::string host;        // the host as written (empty when the URL has none)
};

// The one scheme the program answers; compared exactly, case included.
inline constexpr std::string_view kURLScheme = "arvelo";
// Longest string taken as a URL; anything longer is refused without being read further.
inline constexpr std::size_t kMaxURLLength = 2048;

// Reads the scheme and host of a URL written in the generic syntax; the path, query and
// fragment are ignored. Strings that are not URLs, URLs of another scheme and overlong
// strings are skipped; a URL of the scheme with no host or an unknown host opens the dashboard.
URLCommandParse parseURLCommand(std::string_view url);

}  // namespace arvelo
