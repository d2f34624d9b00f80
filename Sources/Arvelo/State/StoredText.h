// SPDX-License-Identifier: MIT
// StoredText.h: the one form in which text another program chose (a window title, an
// application identity) is written to a state file and compared with what a file holds: valid
// UTF-8 (each byte that is not is replaced the way the JSON writer replaces it) and at most
// kMaxStoredTextBytes long, cut at a character boundary. So every state file stays small enough
// to read back, and a live title compares equal to the one stored for it, whatever its bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace arvelo {

// Longer text keeps only its first characters in this many bytes.
inline constexpr std::size_t kMaxStoredTextBytes = 1024;

// Idempotent: storedText(storedText(t)) == storedText(t).
std::string storedText(std::string_view text);
// A window identity ("<application identity>|<title>") with each part in its stored form, so an
// identity read from a file compares equal to the live window's whichever run wrote it.
std::string storedIdentity(std::string_view identity);

}  // namespace arvelo
