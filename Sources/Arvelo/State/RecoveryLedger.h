// SPDX-License-Identifier: MIT
// RecoveryLedger.h: the one owner of the recovery file "restore.json": every read, write and
// delete of it, and the entries an earlier run left behind. The coordinator hands it the
// original frames of this run's windows; the ledger adds the earlier run's entries that no
// window of this run has claimed yet, so a file found at launch stays authoritative for the
// windows it names until the user recovers or restores.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Arvelo/State/RestoreEntry.h"
#include "Arvelo/State/StateFiles.h"

namespace arvelo {

class RecoveryLedger {
public:
    enum class WriteResult { nothingToWrite, written, failed };

    // `files` outlives the ledger.
    explicit RecoveryLedger(StateFiles& files);

    // At launch: whether an earlier run left a recovery file. Its readable entries are kept,
    // waiting to be claimed by the windows they name.
    bool loadEarlierRun();
    // The earlier run's original frame for a window with this identity and process id, when an
    // entry no other window has claimed names it; the entry is claimed by `key` from now on.
    std::optional<Rect> claimEarlier(const std::string& identity, std::int32_t pid, const std::string& key);

    // Writes this run's entries followed by the unclaimed earlier ones. With nothing to write,
    // an existing file stays as it is.
    WriteResult write(const std::vector<RestoreEntry>& current);
    // The file's entries, for recovery; absent when it is missing or unreadable.
    std::optional<std::vector<RestoreEntry>> read();
    // The earlier entries no window of this run claimed name windows that are gone.
    void forgetUnclaimed();
    // Windows are going back: an entry goes only once its window is confirmed back or gone.
    // `pending` are the originals of windows not yet confirmed back; the earlier entries that
    // windows claimed are forgotten (those windows carry them now). Rewrites the file with
    // `pending` and the unclaimed earlier entries, or deletes it when none remain. Answers
    // whether a file remains.
    bool settle(const std::vector<RestoreEntry>& pending);

    // The earlier run's entries not claimed by a window of this run, in file order.
    std::vector<RestoreEntry> unclaimed() const;

private:
    struct EarlierEntry {
        RestoreEntry entry;
        std::optional<std::string> claimedBy;  // the window key whose original it became
    };

    StateFiles& files_;
    std::vector<EarlierEntry> earlier_;
};

}  // namespace arvelo
