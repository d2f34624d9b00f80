// SPDX-License-Identifier: MIT
// StateFiles.cpp: reading, atomically writing, keeping aside and deleting the state files.
#include "Arvelo/State/StateFiles.h"

#include <cmath>
#include <ctime>
#include <system_error>

#include <unistd.h>

#include "Arvelo/State/StateCoding.h"
#include "Platform/Files.h"

namespace arvelo {

namespace fs = std::filesystem;

namespace {

// Whether two values would be written as the same text: as ==, except that a number that is
// not a number (written as null) says the same as another one.
bool saysTheSame(const nlohmann::json& a, const nlohmann::json& b) {
    if (a.type() != b.type()) return a == b;
    switch (a.type()) {
        case nlohmann::json::value_t::number_float: {
            const double x = a.get<double>(), y = b.get<double>();
            return x == y || (std::isnan(x) && std::isnan(y));
        }
        case nlohmann::json::value_t::array: {
            if (a.size() != b.size()) return false;
            for (std::size_t i = 0; i < a.size(); ++i)
                if (!saysTheSame(a[i], b[i])) return false;
            return true;
        }
        case nlohmann::json::value_t::object: {
            if (a.size() != b.size()) return false;
            for (auto member = a.begin(); member != a.end(); ++member) {
                const auto other = b.find(member.key());
                if (other == b.end() || !saysTheSame(member.value(), *other)) return false;
            }
            return true;
        }
        default:
            return a == b;
    }
}


// Window titles come from other programs and may hold invalid UTF-8: replace, never throw.
std::string compact(const OrderedJSON& value) {
    return value.dump(-1, ' ', false, OrderedJSON::error_handler_t::replace);
}

}  // namespace

StateFiles::StateFiles(fs::path directory, platform::Logger logger, std::function<double()> now)
    : directory_(std::move(directory)), logger_(std::move(logger)), now_(std::move(now)) {}

std::unique_ptr<StateFiles> StateFiles::withoutDirectory(platform::Logger logger) {
    auto files = std::make_unique<StateFiles>(fs::path(), std::move(logger), nullptr);
    files->hasDirectory_ = false;
    return files;
}

bool StateFiles::exists(const std::string& name) const {
    std::error_code error;
    return hasDirectory_ && fs::exists(fs::symlink_status(path(name), error));
}

bool StateFiles::createDirectory(bool ownFolder) const {
    if (!hasDirectory_) return false;
    // An empty directory is the working directory, which exists.
    return directory_.empty() || platform::createPrivateFolder(directory_, ownFolder);
}

void StateFiles::removeStaleTemporaries() const {
    if (!hasDirectory_ || directory_.empty()) return;
    const std::size_t removed =
        platform::removeStaleTemporaries(directory_, {kSavedViews, kLastView, kRestore, kDiagnostics});
    if (removed > 0)
        logger_.info("Removed " + std::to_string(removed) + " temporary files an interrupted write left in " +
                     directory_.string());
}

bool StateFiles::writable() const {
    if (!hasDirectory_) return false;
    const fs::path folder = directory_.empty() ? fs::path(".") : directory_;
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::optional<nlohmann::json> StateFiles::readDocument(const std::string& name) {
    if (!hasDirectory_) return std::nullopt;
    const fs::path file = path(name);
    std::error_code error;
    if (!fs::exists(fs::symlink_status(file, error))) return std::nullopt;
    if (fs::is_symlink(fs::symlink_status(file, error))) {
        logger_.error("State file " + name + " unreadable: it is a symbolic link, which is not followed",
                      file.string());
        return std::nullopt;
    }
    const auto size = fs::file_size(file, error);
    if (error) {
        logger_.error("State file " + name + " unreadable: " + error.message(), file.string());
        return std::nullopt;
    }
    if (size > kMaxFileBytes) {
        logger_.error("State file " + name + " unreadable: " + std::to_string(size) + " bytes is too large",
                      file.string());
        return std::nullopt;
    }
    const auto text = platform::readFile(file);
    if (!text) {
        logger_.error("State file " + name + " unreadable: the file cannot be read", file.string());
        return std::nullopt;
    }
    try {
        return nlohmann::json::parse(*text);
    } catch (const nlohmann::json::exception& parseError) {
        logger_.error("State file " + name + " unreadable: not valid JSON (" + parseError.what() + ")", file.string());
        return std::nullopt;
    }
}

template <class T>
std::optional<T> StateFiles::read(const std::string& name, const std::function<T(const nlohmann::json&)>& decode) {
    const auto document = readDocument(name);
    if (!document) return std::nullopt;
    try {
        T value = decode(*document);
        known_[name] = true;
        return value;
    } catch (const std::exception& decodeError) {
        logger_.error("State file " + name + " unreadable: " + decodeError.what(), path(name).string());
        return std::nullopt;
    }
}

std::optional<std::vector<SavedView>> StateFiles::readSavedViews() {
    return read<std::vector<SavedView>>(kSavedViews, SavedView::decodeList);
}

std::optional<SavedView> StateFiles::readLastView() { return read<SavedView>(kLastView, SavedView::fromJSON); }

std::optional<std::vector<RestoreEntry>> StateFiles::readRestore() {
    return read<std::vector<RestoreEntry>>(kRestore, RestoreEntry::decodeList);
}

void StateFiles::keepAsideIfUnreadable(const std::string& name, const Decoder& validate) {
    if (known_[name] || !exists(name)) return;
    std::string reason;  // the decoder's; readDocument logs its own
    if (const auto document = readDocument(name)) {
        try {
            validate(*document);
            known_[name] = true;
            return;
        } catch (const std::exception& decodeError) {
            reason = std::string(" (") + decodeError.what() + ")";
        }
    }
    const std::string stem = name + ".unreadable-" + StateCoding::utcText(now_ ? now_() : 0, "%Y%m%d-%H%M%S");
    fs::path aside = path(stem);
    std::error_code error;
    for (int n = 2; fs::exists(aside, error) && n < 1000; ++n) aside = path(stem + "-" + std::to_string(n));
    fs::rename(path(name), aside, error);
    if (error)
        logger_.error("State file " + name + " unreadable" + reason + " and could not be kept aside: " + error.message(),
                      path(name).string());
    else
        logger_.error("State file " + name + " unreadable" + reason + "; kept aside as " + aside.filename().string(),
                      aside.string());
}

bool StateFiles::write(const std::string& name, const std::string& text, const Decoder& validate) {
    if (!hasDirectory_) return false;
    if (validate) keepAsideIfUnreadable(name, validate);
    if (!platform::writeFileAtomically(path(name), text)) {
        logger_.error("State file " + name + " could not be written", path(name).string());
        return false;
    }
    if (validate) known_[name] = true;
    return true;
}

bool StateFiles::writeSavedViews(const std::vector<SavedView>& views) {
    return write(kSavedViews, compact(SavedView::encodeList(views)),
                 [](const nlohmann::json& json) { SavedView::decodeList(json); });
}

bool StateFiles::writeLastView(const SavedView& view) {
    return write(kLastView, compact(view.toJSON()), [](const nlohmann::json& json) { SavedView::fromJSON(json); });
}

bool StateFiles::writeRestore(const std::vector<RestoreEntry>& entries) {
    return write(kRestore, compact(RestoreEntry::encodeList(entries)),
                 [](const nlohmann::json& json) { RestoreEntry::decodeList(json); });
}

bool StateFiles::writeDiagnostics(const nlohmann::json& object) {
    // What the file says, its time stamp aside: a snapshot that differs only in its time
    // stamp is not written again.
    // Compared member by member, without a copy or a text of the snapshot.
    const auto sayingTheSame = [&] {
        if (!object.is_object() || !lastDiagnostics_.is_object()) return saysTheSame(object, lastDiagnostics_);
        std::size_t compared = 0;
        for (auto member = object.begin(); member != object.end(); ++member) {
            if (member.key() == kDiagnosticsTimestamp) continue;
            const auto last = lastDiagnostics_.find(member.key());
            if (last == lastDiagnostics_.end() || !saysTheSame(*last, member.value())) return false;
            ++compared;
        }
        return compared == lastDiagnostics_.size();
    };
    if (!lastDiagnostics_.is_null() && sayingTheSame() && holds(kDiagnostics, lastDiagnosticsBytes_)) return true;
    // nlohmann::json keeps object members sorted by key, which is the order the file wants.
    const std::string text = object.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    if (!write(kDiagnostics, text, nullptr)) return false;
    lastDiagnostics_ = object;
    if (lastDiagnostics_.is_object()) lastDiagnostics_.erase(kDiagnosticsTimestamp);
    lastDiagnosticsBytes_ = text.size();
    ++diagnosticsWrites_;
    return true;
}

bool StateFiles::holdsLastDiagnostics() const {
    return !lastDiagnostics_.is_null() && holds(kDiagnostics, lastDiagnosticsBytes_);
}

bool StateFiles::holds(const std::string& name, std::uintmax_t bytes) const {
    std::error_code error;
    const auto size = fs::file_size(path(name), error);
    return !error && size == bytes;
}

bool StateFiles::remove(const std::string& name) {
    known_.erase(name);
    if (!hasDirectory_) return false;
    std::error_code error;
    return fs::remove(path(name), error) && !error;
}

}  // namespace arvelo
