// SPDX-License-Identifier: MIT
// UserDefaults.cpp: the typed defaults store, its JSON document form (with tagged data and
// non-finite numbers), and its atomic rewrite on every change.
#include "Platform/UserDefaults.h"

#include "Platform/Files.h"

#include <cmath>
#include <limits>

namespace platform {

namespace {

constexpr const char* kFileName = "defaults.json";
constexpr const char* kDataTag = "$data";
constexpr const char* kNumberTag = "$number";
constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string base64(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::uint32_t n = (std::uint32_t{bytes[i]} << 16) |
                                (i + 1 < bytes.size() ? std::uint32_t{bytes[i + 1]} << 8 : 0) |
                                (i + 2 < bytes.size() ? std::uint32_t{bytes[i + 2]} : 0);
        out += kBase64[(n >> 18) & 63];
        out += kBase64[(n >> 12) & 63];
        out += i + 1 < bytes.size() ? kBase64[(n >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kBase64[n & 63] : '=';
    }
    return out;
}

std::optional<std::vector<std::uint8_t>> unbase64(const std::string& text) {
    if (text.size() % 4 != 0) return std::nullopt;
    std::vector<std::uint8_t> out;
    std::uint32_t buffer = 0;
    int bits = 0;
    std::size_t padding = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '=') {
            if (i + 2 < text.size()) return std::nullopt;
            ++padding;
            continue;
        }
        if (padding) return std::nullopt;
        const char* at = std::char_traits<char>::find(kBase64, 64, c);
        if (!at) return std::nullopt;
        buffer = (buffer << 6) | static_cast<std::uint32_t>(at - kBase64);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<std::uint8_t>((buffer >> bits) & 0xFF));
        }
    }
    return out;
}

// In-memory form to document form: tag what JSON text cannot hold.
nlohmann::json toDocument(const DefaultsValue& value) {
    if (value.is_binary()) return {{kDataTag, base64(value.get_binary())}};
    if (value.is_number_float()) {
        const double d = value.get<double>();
        if (std::isnan(d)) return {{kNumberTag, "nan"}};
        if (std::isinf(d)) return {{kNumberTag, d > 0 ? "inf" : "-inf"}};
        return value;
    }
    if (value.is_array()) {
        nlohmann::json out = nlohmann::json::array();
        for (const auto& item : value) out.push_back(toDocument(item));
        return out;
    }
    if (value.is_object()) {
        nlohmann::json out = nlohmann::json::object();
        for (const auto& [key, item] : value.items()) out[key] = toDocument(item);
        return out;
    }
    return value;
}

DefaultsValue fromDocument(const nlohmann::json& value) {
    if (value.is_object() && value.size() == 1) {
        if (auto it = value.find(kDataTag); it != value.end() && it->is_string()) {
            if (auto bytes = unbase64(it->get<std::string>())) return DefaultsValue::binary(std::move(*bytes));
        }
        if (auto it = value.find(kNumberTag); it != value.end() && it->is_string()) {
            const auto text = it->get<std::string>();
            if (text == "nan") return std::numeric_limits<double>::quiet_NaN();
            if (text == "inf") return std::numeric_limits<double>::infinity();
            if (text == "-inf") return -std::numeric_limits<double>::infinity();
        }
    }
    if (value.is_array()) {
        DefaultsValue out = DefaultsValue::array();
        for (const auto& item : value) out.push_back(fromDocument(item));
        return out;
    }
    if (value.is_object()) {
        DefaultsValue out = DefaultsValue::object();
        for (const auto& [key, item] : value.items()) out[key] = fromDocument(item);
        return out;
    }
    return value;
}

}  // namespace

UserDefaults::UserDefaults(std::filesystem::path configuration, Logger logger)
    : configuration_(std::move(configuration)) {
    const std::filesystem::path path = domainFile(kDomain);
    // Temporary files of a write cut short when an earlier run was killed.
    removeStaleTemporaries(path.parent_path(), {kFileName});
    std::error_code error;
    const auto status = std::filesystem::symlink_status(path, error);
    if (!std::filesystem::exists(status)) return;
    // The size is asked before anything is read: a huge file is not read at all.
    const std::uintmax_t size =
        std::filesystem::is_regular_file(status) ? std::filesystem::file_size(path, error) : 0;
    const bool tooLarge = !error && size > kMaxFileBytes;
    const std::optional<std::string> text = tooLarge ? std::nullopt : readFile(path);
    std::string problem;
    if (tooLarge) {
        problem = "it is " + std::to_string(size) + " bytes, more than the " + std::to_string(kMaxFileBytes) +
                  " a settings file may have";
    } else if (!text) {
        problem = "it cannot be read";
    } else if (nestsDeeperThan(*text, kMaxDepth)) {
        problem = "it nests deeper than " + std::to_string(kMaxDepth) + " levels";
    } else {
        const auto document = nlohmann::json::parse(*text, nullptr, false);
        if (document.is_discarded())
            problem = "it is not valid JSON";
        else if (!document.is_object())
            problem = "it is not a JSON object";
    }
    if (problem.empty())
        values_ = decode(*text);
    else
        keepAside(path, problem, logger);
}

void UserDefaults::keepAside(const std::filesystem::path& path, const std::string& reason, const Logger& logger) {
    // Not a document this store can use: keep it for the user instead of overwriting it.
    std::error_code error;
    std::filesystem::path aside = path.string() + ".unreadable";
    for (int n = 2; std::filesystem::exists(std::filesystem::symlink_status(aside, error)) && n < 1000; ++n)
        aside = path.string() + ".unreadable-" + std::to_string(n);
    std::filesystem::rename(path, aside, error);
    if (error) {
        logger.error("User defaults " + path.filename().string() + " unusable (" + reason +
                         ") and could not be kept aside: " + error.message(),
                     path.string());
        return;
    }
    keptAside_ = aside;
    logger.error("User defaults " + path.filename().string() + " unusable (" + reason + "); kept aside as " +
                     aside.filename().string() + ", defaults apply",
                 aside.string());
}

std::filesystem::path UserDefaults::domainFile(const std::string& name) const {
    return *configuration_ / name / kFileName;
}

std::optional<std::filesystem::path> UserDefaults::file() const {
    if (!configuration_) return std::nullopt;
    return domainFile(kDomain);
}

std::optional<DefaultsValue> UserDefaults::object(const std::string& key) const {
    const auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

void UserDefaults::set(const std::string& key, DefaultsValue value) {
    values_[key] = std::move(value);
    save();
}

void UserDefaults::setValues(const std::vector<std::pair<std::string, DefaultsValue>>& values) {
    for (const auto& [key, value] : values) values_[key] = value;
    save();
}

void UserDefaults::remove(const std::string& key) {
    if (values_.erase(key)) save();
}

std::optional<bool> UserDefaults::boolean(const std::string& key) const {
    const auto it = values_.find(key);
    if (it == values_.end() || !it->second.is_boolean()) return std::nullopt;
    return it->second.get<bool>();
}

std::optional<double> UserDefaults::number(const std::string& key) const {
    const auto it = values_.find(key);
    if (it == values_.end() || !it->second.is_number()) return std::nullopt;
    return it->second.get<double>();
}

std::optional<std::int64_t> UserDefaults::integer(const std::string& key) const {
    const auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    const auto& v = it->second;
    if (v.is_number_integer()) {
        if (v.is_number_unsigned() && v.get<std::uint64_t>() > std::uint64_t(std::numeric_limits<std::int64_t>::max()))
            return std::nullopt;
        return v.get<std::int64_t>();
    }
    if (v.is_number_float()) {
        const double d = v.get<double>();
        if (std::isfinite(d) && d == std::trunc(d) && std::abs(d) < 9.2e18) return static_cast<std::int64_t>(d);
    }
    return std::nullopt;
}

std::optional<std::string> UserDefaults::string(const std::string& key) const {
    const auto it = values_.find(key);
    if (it == values_.end() || !it->second.is_string()) return std::nullopt;
    return it->second.get<std::string>();
}

std::optional<std::vector<std::uint8_t>> UserDefaults::data(const std::string& key) const {
    const auto it = values_.find(key);
    if (it == values_.end() || !it->second.is_binary()) return std::nullopt;
    return std::vector<std::uint8_t>(it->second.get_binary().begin(), it->second.get_binary().end());
}

std::optional<std::vector<std::string>> UserDefaults::stringArray(const std::string& key) const {
    const auto it = values_.find(key);
    if (it == values_.end() || !it->second.is_array()) return std::nullopt;
    std::vector<std::string> out;
    for (const auto& item : it->second) {
        if (!item.is_string()) return std::nullopt;
        out.push_back(item.get<std::string>());
    }
    return out;
}

void UserDefaults::setNumber(const std::string& key, double value) { set(key, DefaultsValue(value)); }

void UserDefaults::setData(const std::string& key, std::vector<std::uint8_t> bytes) {
    set(key, DefaultsValue::binary(std::move(bytes)));
}

std::map<std::string, DefaultsValue> UserDefaults::persistentDomain(const std::string& name) const {
    if (!configuration_) {
        const auto it = otherDomains_.find(name);
        return it == otherDomains_.end() ? std::map<std::string, DefaultsValue>{} : it->second;
    }
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") return {};
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(domainFile(name), error);
    if (error || size > kMaxFileBytes) return {};
    if (auto text = readFile(domainFile(name))) return decode(*text);
    return {};
}

void UserDefaults::setPersistentDomain(const std::string& name, std::map<std::string, DefaultsValue> values) {
    if (name == kDomain) {
        values_ = std::move(values);
        save();
        return;
    }
    if (!configuration_) {
        otherDomains_[name] = std::move(values);
        return;
    }
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") return;
    createPrivateFolder(domainFile(name).parent_path());
    writeFileAtomically(domainFile(name), encode(values));
}

UserDefaults::~UserDefaults() { flush(); }

void UserDefaults::coalesceWrites(std::shared_ptr<Dispatcher> dispatch) { coalescing_ = std::move(dispatch); }

void UserDefaults::flush() {
    if (pending_) write();
}

void UserDefaults::save() {
    if (!configuration_) return;
    if (!coalescing_) {
        write();
        return;
    }
    if (pending_) return;
    pending_ = true;
    coalescing_->async([this, alive = std::weak_ptr<int>(alive_)] {
        if (!alive.expired()) flush();
    });
}

void UserDefaults::write() {
    pending_ = false;
    const auto path = domainFile(kDomain);
    createPrivateFolder(path.parent_path(), true);
    lastWriteSucceeded_ = writeFileAtomically(path, encode(values_));
    ++writeCount_;
}

std::string UserDefaults::encode(const std::map<std::string, DefaultsValue>& values) {
    nlohmann::json document = nlohmann::json::object();
    for (const auto& [key, value] : values) document[key] = toDocument(value);
    return document.dump(2) + "\n";
}

bool UserDefaults::nestsDeeperThan(std::string_view text, int limit) {
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : text) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > limit) return true;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return false;
}

std::map<std::string, DefaultsValue> UserDefaults::decode(const std::string& text) {
    if (nestsDeeperThan(text, kMaxDepth)) return {};
    const auto document = nlohmann::json::parse(text, nullptr, false);
    if (document.is_discarded() || !document.is_object()) return {};
    std::map<std::string, DefaultsValue> values;
    for (const auto& [key, value] : document.items()) values[key] = fromDocument(value);
    return values;
}

}  // namespace platform
