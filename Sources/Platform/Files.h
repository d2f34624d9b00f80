// Files.h: whole-file reads and atomic whole-file writes (a temporary file in the same folder,
// flushed, then renamed over the target), so a reader never sees half a file.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Replaces `path` with `contents` atomically. Creates no folders. False on any failure, in
// which case the old file (if any) is unchanged and no temporary file is left behind.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view contents);

// The whole file; absent when it cannot be read.
std::optional<std::string> readFile(const std::filesystem::path& path);

}  // namespace platform
