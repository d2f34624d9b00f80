// SPDX-License-Identifier: MIT
// LayoutNodeJSON.cpp: the JSON form of a layout node. Writing keeps a fixed key order;
// reading takes a stored tree as it comes, but fails (never crashes) on wrong types, a missing
// id or nesting deeper than kMaxLayoutDepth, naming where in the tree the fault is.
#include "LayoutNode.h"

#include <nlohmann/json.hpp>

namespace arvelo {

namespace {

// The most keys a node object holds.
constexpr std::size_t kNodeKeys = 7;

template <typename Json>
void encode(Json& json, const LayoutNode& node) {
    json = Json::object();
    // An ordered object is a vector whose pairs have const keys: growing it would copy every
    // value, nested children included, so it gets its full size up front.
    if constexpr (std::is_same_v<Json, nlohmann::ordered_json>)
        json.template get_ref<typename Json::object_t&>().reserve(kNodeKeys);
    json["id"] = node.id;
    if (node.axis) json["axis"] = std::string(rawValue(*node.axis));
    json["ratio"] = node.ratio;
    Json children = Json::array();
    children.template get_ref<typename Json::array_t&>().reserve(node.children.size());
    for (const LayoutNode& child : node.children) {
        Json encoded;
        encode(encoded, child);
        children.push_back(std::move(encoded));
    }
    json["children"] = std::move(children);
    json["windows"] = node.windows;
    if (node.selected) json["selected"] = *node.selected;
    json["isDesktop"] = node.isDesktop;
}

// Decodes one node; `path` holds the child indices from the root to this node, for messages.
template <typename Json>
class Decoder {
public:
    LayoutNode decode(const Json& json) {
        if (path_.size() >= static_cast<std::size_t>(kMaxLayoutDepth))
            throw nlohmann::json::other_error::create(
                501, where() + "layout tree is nested deeper than " + std::to_string(kMaxLayoutDepth) + " levels",
                nullptr);
        expect(json, json.is_object(), "object", "");

        LayoutNode node;
        const Json* id = field(json, "id");
        if (!id) throw nlohmann::json::out_of_range::create(403, where() + "key 'id' not found", nullptr);
        node.id = string(*id, "id");

        if (const Json* axis = field(json, "axis")) {
            const std::string& text = string(*axis, "axis");
            const auto parsed = splitAxisFromRawValue(text);
            if (!parsed)
                throw nlohmann::json::type_error::create(
                    302, where() + "\"axis\": cannot initialize SplitAxis from invalid value \"" + text + "\"",
                    nullptr);
            node.axis = *parsed;
        }
        if (const Json* ratio = field(json, "ratio")) {
            expect(*ratio, ratio->is_number(), "number", "ratio");
            node.ratio = ratio->template get<double>();
        }
        if (const Json* children = field(json, "children")) {
            expect(*children, children->is_array(), "array", "children");
            node.children.reserve(children->size());
            for (std::size_t i = 0; i < children->size(); ++i) {
                path_.push_back(i);
                node.children.push_back(decode((*children)[i]));
                path_.pop_back();
            }
        }
        if (const Json* windows = field(json, "windows")) {
            expect(*windows, windows->is_array(), "array", "windows");
            node.windows.reserve(windows->size());
            for (const Json& key : *windows) node.windows.push_back(string(key, "windows"));
        }
        if (const Json* selected = field(json, "selected")) node.selected = string(*selected, "selected");
        if (const Json* isDesktop = field(json, "isDesktop")) {
            expect(*isDesktop, isDesktop->is_boolean(), "boolean", "isDesktop");
            node.isDesktop = isDesktop->template get<bool>();
        }
        return node;
    }

private:
    std::vector<std::size_t> path_;

    // The value under a key, or null when the key is missing or holds JSON null.
    static const Json* field(const Json& object, const char* key) {
        const auto found = object.find(key);
        if (found == object.end() || found->is_null()) return nullptr;
        return &*found;
    }

    std::string where() const {
        std::string text = "root";
        for (std::size_t index : path_) text += ".children[" + std::to_string(index) + "]";
        return text + ": ";
    }

    void expect(const Json& value, bool ok, const char* type, const char* key) const {
        if (ok) return;
        std::string message = where();
        if (*key) message += std::string("\"") + key + "\": ";
        message += std::string("type must be ") + type + ", but is " + value.type_name();
        throw nlohmann::json::type_error::create(302, message, nullptr);
    }

    const std::string& string(const Json& value, const char* key) const {
        expect(value, value.is_string(), "string", key);
        return value.template get_ref<const std::string&>();
    }
};

}  // namespace

void to_json(nlohmann::ordered_json& json, const LayoutNode& node) { encode(json, node); }
void to_json(nlohmann::json& json, const LayoutNode& node) { encode(json, node); }
void from_json(const nlohmann::ordered_json& json, LayoutNode& node) {
    node = Decoder<nlohmann::ordered_json>().decode(json);
}
void from_json(const nlohmann::json& json, LayoutNode& node) { node = Decoder<nlohmann::json>().decode(json); }

std::string encodeLayoutNode(const LayoutNode& node) {
    nlohmann::ordered_json json;
    encode(json, node);
    return json.dump();
}

LayoutNode decodeLayoutNode(std::string_view text) {
    // Parsed into the sorted-map flavour: building ordered objects copies nested values.
    return Decoder<nlohmann::json>().decode(nlohmann::json::parse(text));
}

}  // namespace arvelo
