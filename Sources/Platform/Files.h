// SPDX-License-Identifier: MIT
// Files.h: whole-file reads and atomic whole-file writes (a temporary file in the same folder,
// flushed, then renamed over the target), so a reader never sees half a file; and the private
// folders this program keeps its files in. What it keeps is the user's own: files are created
// owner-only (0600), folders owner-only (0700), and a symbolic link found where a file of ours
// goes is never followed, so a link planted there cannot send a read or a write elsewhere.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Owner read and write: state files, logs, user defaults.
inline constexpr std::filesystem::perms kPrivateFile =
    std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;
// Readable by everyone: files other programs must read (a desktop entry).
inline constexpr std::filesystem::perms kSharedFile =
    kPrivateFile | std::filesystem::perms::group_read | std::filesystem::perms::others_read;

// Replaces `path` with `contents` atomically, with the given permissions. Creates no folders.
// A symbolic link at `path` is replaced, never followed. False on any failure, in which case
// the old file (if any) is unchanged and no temporary file is left behind.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view contents,
                         std::filesystem::perms mode = kPrivateFile);

// Removes the temporary files writeFileAtomically leaves in `folder` when it is cut short (the
// process killed between creating and renaming them) for targets named in `names`: regular
// files named "." + name + "." + six characters. Call it only while no write can be under way
// (at start, with the single-instance lock held). Answers how many went.
std::size_t removeStaleTemporaries(const std::filesystem::path& folder, const std::vector<std::string>& names);

// The whole regular file; absent when it cannot be read or is a symbolic link.
std::optional<std::string> readFile(const std::filesystem::path& path);

// Creates `folder` and its missing parents owner-only (0700). With `closeExisting` (a folder
// that is this program's own, never one the user named), an existing folder that belongs to
// this user and is open to others is made owner-only too. False when the folder cannot be made
// or is not a folder.
bool createPrivateFolder(const std::filesystem::path& folder, bool closeExisting = false);

// Opens `path` for appending, creating it owner-only; never through a symbolic link, never
// anything but a regular file, and never waiting (a FIFO there is refused at once). The
// descriptor (close-on-exec), or -1 with errno set.
int openPrivateAppend(const std::filesystem::path& path);

}  // namespace platform
