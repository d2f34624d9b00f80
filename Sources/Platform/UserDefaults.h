// SPDX-License-Identifier: MIT
// UserDefaults.h: the user defaults: a typed key-value store for this program's settings, one
// JSON document ("<configuration>/Arvelo/defaults.json") rewritten atomically on every change,
// or kept in memory. Types matter: a Boolean is not a number, a number may be "not a number".
// Other programs' stores ("persistent domains") are read from "<configuration>/<name>/defaults.json".
// A document that exists but cannot be read, is larger than kMaxFileBytes, does not parse, is
// not a JSON object or nests deeper than kMaxDepth is kept aside ("defaults.json.unreadable", then "-2", "-3", ...) and
// logged when the store opens, before it writes its first change, so it is never lost.
// Main thread only.
#pragma once

#include "Platform/Dispatch.h"
#include "Platform/Log.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// A stored value: null, Boolean, integer, double, string, binary data, array or object.
using DefaultsValue = nlohmann::json;

class UserDefaults {
public:
    // The own domain's folder name below the configuration folder.
    static constexpr const char* kDomain = "Arvelo";
    // Documents nested deeper than this are not decoded (the decoder recurses).
    static constexpr int kMaxDepth = 512;
    // Larger documents are not read (settings are a few kilobytes; 20,000 allowed applications
    // take about one megabyte).
    static constexpr std::uintmax_t kMaxFileBytes = 8u * 1024u * 1024u;

    // A store that lives only as long as this object (tests, or no configuration folder).
    UserDefaults() = default;
    // A store backed by files below `configuration`; the own document is read now, and a
    // document kept aside is logged through `logger`.
    explicit UserDefaults(std::filesystem::path configuration, Logger logger = {});
    // Writes what is not written yet.
    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    // From now on the changes of one turn of `dispatch`'s main queue are written once, when
    // the turn is over, instead of once per change (loading the settings sets every key).
    void coalesceWrites(std::shared_ptr<Dispatcher> dispatch);
    // Writes the pending changes now, if any.
    void flush();
    // How many times the own document was written.
    std::uint64_t writeCount() const { return writeCount_; }

    std::optional<DefaultsValue> object(const std::string& key) const;
    void set(const std::string& key, DefaultsValue value);
    void remove(const std::string& key);
    // Several keys at once, written to the file once.
    void setValues(const std::vector<std::pair<std::string, DefaultsValue>>& values);
    bool contains(const std::string& key) const { return values_.contains(key); }

    // Typed reads: absent when the key is absent or holds another type.
    std::optional<bool> boolean(const std::string& key) const;          // a stored Boolean only
    std::optional<double> number(const std::string& key) const;         // any stored number
    std::optional<std::int64_t> integer(const std::string& key) const;  // a stored whole number
    std::optional<std::string> string(const std::string& key) const;
    std::optional<std::vector<std::uint8_t>> data(const std::string& key) const;
    std::optional<std::vector<std::string>> stringArray(const std::string& key) const;  // all strings

    void setBoolean(const std::string& key, bool value) { set(key, value); }
    void setNumber(const std::string& key, double value);  // also NaN and infinities
    void setInteger(const std::string& key, std::int64_t value) { set(key, value); }
    void setString(const std::string& key, const std::string& value) { set(key, value); }
    void setData(const std::string& key, std::vector<std::uint8_t> bytes);
    void setStringArray(const std::string& key, const std::vector<std::string>& value) { set(key, value); }

    // Every key and value of the own domain.
    const std::map<std::string, DefaultsValue>& dictionary() const { return values_; }
    // Another program's store; empty when it has none or it cannot be read.
    std::map<std::string, DefaultsValue> persistentDomain(const std::string& name) const;
    // Replaces another program's store (in memory, or its file).
    void setPersistentDomain(const std::string& name, std::map<std::string, DefaultsValue> values);

    // The file of the own domain, when the store is backed by files.
    std::optional<std::filesystem::path> file() const;
    // False when the last write to the file failed.
    bool lastWriteSucceeded() const { return lastWriteSucceeded_; }
    // Where an unreadable document was kept aside when the store was opened.
    const std::optional<std::filesystem::path>& keptAside() const { return keptAside_; }

    // The document's text form and back (data values are {"$data": "<base64>"}, numbers that
    // JSON cannot hold are {"$number": "nan" | "inf" | "-inf"}). decode() of bad text is empty.
    static std::string encode(const std::map<std::string, DefaultsValue>& values);
    static std::map<std::string, DefaultsValue> decode(const std::string& text);
    // Whether JSON text nests arrays and objects more than `limit` deep (strings are skipped).
    static bool nestsDeeperThan(std::string_view text, int limit);

private:
    void save();
    void write();
    // Renames the own document out of the way; logs why and where it went.
    void keepAside(const std::filesystem::path& path, const std::string& reason, const Logger& logger);
    std::filesystem::path domainFile(const std::string& name) const;

    std::optional<std::filesystem::path> configuration_;
    std::map<std::string, DefaultsValue> values_;
    std::map<std::string, std::map<std::string, DefaultsValue>> otherDomains_;  // in-memory stores
    bool lastWriteSucceeded_ = true;
    std::optional<std::filesystem::path> keptAside_;
    std::shared_ptr<Dispatcher> coalescing_;
    bool pending_ = false;
    std::uint64_t writeCount_ = 0;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace platform
