// SPDX-License-Identifier: MIT
// RecoveryLedger.cpp: the recovery file's reads, writes and deletes, and the earlier run's
// entries waiting to be claimed.
#include "Arvelo/State/RecoveryLedger.h"

#include "Arvelo/State/StoredText.h"

namespace arvelo {

RecoveryLedger::RecoveryLedger(StateFiles& files) : files_(files) {}

bool RecoveryLedger::loadEarlierRun() {
    earlier_.clear();
    if (!files_.exists(StateFiles::kRestore)) return false;
    if (auto entries = files_.readRestore())
        for (auto& entry : *entries) {
            // Compared with live windows' identities in the one stored form.
            entry.identity = storedIdentity(entry.identity);
            earlier_.push_back({std::move(entry), std::nullopt});
        }
    return true;
}

std::optional<Rect> RecoveryLedger::claimEarlier(const std::string& identity, std::int32_t pid,
                                                 const std::string& key) {
    for (auto& earlier : earlier_) {
        if (earlier.claimedBy || earlier.entry.identity != identity || earlier.entry.pid != pid) continue;
        earlier.claimedBy = key;
        return earlier.entry.frame;
    }
    return std::nullopt;
}

RecoveryLedger::WriteResult RecoveryLedger::write(const std::vector<RestoreEntry>& current) {
    std::vector<RestoreEntry> entries = current;
    for (auto& entry : unclaimed()) entries.push_back(std::move(entry));
    if (entries.empty()) return WriteResult::nothingToWrite;
    return files_.writeRestore(entries) ? WriteResult::written : WriteResult::failed;
}

std::optional<std::vector<RestoreEntry>> RecoveryLedger::read() { return files_.readRestore(); }

void RecoveryLedger::forgetUnclaimed() {
    std::erase_if(earlier_, [](const EarlierEntry& earlier) { return !earlier.claimedBy.has_value(); });
}

bool RecoveryLedger::settle(const std::vector<RestoreEntry>& pending) {
    std::erase_if(earlier_, [](const EarlierEntry& earlier) { return earlier.claimedBy.has_value(); });
    std::vector<RestoreEntry> entries = pending;
    for (auto& entry : unclaimed()) entries.push_back(std::move(entry));
    if (entries.empty()) {
        files_.remove(StateFiles::kRestore);
        return false;
    }
    // A failed rewrite leaves the file as it was: it still holds every entry that remains.
    files_.writeRestore(entries);
    return true;
}

std::vector<RestoreEntry> RecoveryLedger::unclaimed() const {
    std::vector<RestoreEntry> entries;
    for (const auto& earlier : earlier_)
        if (!earlier.claimedBy) entries.push_back(earlier.entry);
    return entries;
}

}  // namespace arvelo
