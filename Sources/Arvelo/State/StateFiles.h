// SPDX-License-Identifier: MIT
// StateFiles.h: the state directory and its files: "saved-views.json", "last-view.json",
// "restore.json" and "layout-diagnostics.json". Reads decode the whole file or give nothing
// and log which file could not be read and why; writes are atomic and report success. A file
// that exists but cannot be read is kept aside under a new name before it is replaced, so a
// damaged file never silently takes the user's saved layouts or recovery frames with it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Arvelo/State/RestoreEntry.h"
#include "Arvelo/State/SavedView.h"
#include "Platform/Log.h"

namespace arvelo {

class StateFiles {
public:
    static constexpr const char* kSavedViews = "saved-views.json";
    static constexpr const char* kLastView = "last-view.json";
    static constexpr const char* kRestore = "restore.json";
    static constexpr const char* kDiagnostics = "layout-diagnostics.json";
    static constexpr const char* kDiagnosticsTimestamp = "timestamp";
    // Larger state files are not read: no arranger writes anything near this size.
    static constexpr std::uintmax_t kMaxFileBytes = 32u * 1024u * 1024u;

    // `now` gives the wall time in seconds since 1970; it names files kept aside.
    StateFiles(std::filesystem::path directory, platform::Logger logger, std::function<double()> now);
    // Without a state directory: nothing exists, reads give nothing and writes fail.
    static std::unique_ptr<StateFiles> withoutDirectory(platform::Logger logger);

    const std::filesystem::path& directory() const { return directory_; }
    std::filesystem::path path(const std::string& name) const { return directory_ / name; }
    bool exists(const std::string& name) const;
    // Creates the directory and its parents owner-only; `ownFolder` (the default place, not one
    // the user named) also closes an existing one that is open to others. False when that fails.
    bool createDirectory(bool ownFolder = false) const;
    // Whether files can be created in the directory now.
    bool writable() const;
    // Removes the temporary files of this folder's writes that an earlier run left when it was
    // killed in the middle of one; only while no write is under way (at start).
    void removeStaleTemporaries() const;
    bool hasDirectory() const { return hasDirectory_; }

    std::optional<std::vector<SavedView>> readSavedViews();
    std::optional<SavedView> readLastView();
    std::optional<std::vector<RestoreEntry>> readRestore();

    bool writeSavedViews(const std::vector<SavedView>& views);
    bool writeLastView(const SavedView& view);
    bool writeRestore(const std::vector<RestoreEntry>& entries);
    // Pretty-printed with sorted keys; not read back by the program, so never kept aside. An
    // object that says what the file says already (its "timestamp" aside) is not written again
    // while the file still holds the last text written.
    bool writeDiagnostics(const nlohmann::json& object);
    // How often the diagnostics file was written (not counting writes left out as unchanged).
    std::uint64_t diagnosticsWrites() const { return diagnosticsWrites_; }
    // Whether a diagnostics text was written and the file still holds it.
    bool holdsLastDiagnostics() const;

    // Deletes the file; false when there was nothing to delete or the delete failed.
    bool remove(const std::string& name);

private:
    using Decoder = std::function<void(const nlohmann::json&)>;

    // The parsed document, or absent with a log line naming the file and the reason.
    std::optional<nlohmann::json> readDocument(const std::string& name);
    // Decodes with `decode`; a StateDecodeError or JSON error becomes "unreadable".
    template <class T>
    std::optional<T> read(const std::string& name, const std::function<T(const nlohmann::json&)>& decode);
    bool write(const std::string& name, const std::string& text, const Decoder& validate);
    // Whether the file exists with this many bytes.
    bool holds(const std::string& name, std::uintmax_t bytes) const;
    // Renames an existing file that does not decode to "<name>.unreadable-<time>[-n]".
    void keepAsideIfUnreadable(const std::string& name, const Decoder& validate);

    std::filesystem::path directory_;
    bool hasDirectory_ = true;
    platform::Logger logger_;
    std::function<double()> now_;
    // Files known to hold a readable document (read or written by us); not checked again.
    std::map<std::string, bool> known_;
    // What the last diagnostics write that succeeded said (its time stamp aside), and the
    // size of the text it wrote.
    nlohmann::json lastDiagnostics_;  // what the file says, its time stamp aside
    std::uintmax_t lastDiagnosticsBytes_ = 0;
    std::uint64_t diagnosticsWrites_ = 0;
};

}  // namespace arvelo
