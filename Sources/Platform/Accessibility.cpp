// Accessibility.cpp: the backend-neutral parts of the Accessibility service: element hashes,
// typed reads of attribute values, and the one-by-one forms of the batched reads.
#include "Platform/Accessibility.h"

namespace platform {

std::uint64_t AXElement::hash() const {
    switch (kind) {
        case AXElementKind::application:
            return static_cast<std::uint64_t>(static_cast<std::uint32_t>(pid)) | (std::uint64_t{1} << 40);
        case AXElementKind::window:
            return window;
        case AXElementKind::closeButton:
            return static_cast<std::uint64_t>(window) | (static_cast<std::uint64_t>(kind) << 32);
    }
    return window;
}

namespace {
template <class T>
std::optional<T> get(const AXValue::Storage& storage) {
    if (const T* value = std::get_if<T>(&storage)) return *value;
    return std::nullopt;
}
}  // namespace

std::optional<std::string> AXValue::string() const { return get<std::string>(storage_); }
std::optional<double> AXValue::number() const { return get<double>(storage_); }
std::optional<arvelo::Point> AXValue::point() const { return get<arvelo::Point>(storage_); }
std::optional<arvelo::Size> AXValue::size() const { return get<arvelo::Size>(storage_); }
std::optional<AXElement> AXValue::element() const { return get<AXElement>(storage_); }
std::optional<std::vector<AXElement>> AXValue::elements() const { return get<std::vector<AXElement>>(storage_); }

std::optional<bool> AXValue::boolean() const {
    if (const bool* b = std::get_if<bool>(&storage_)) return *b;
    if (const double* n = std::get_if<double>(&storage_)) return *n != 0;
    return std::nullopt;
}

namespace {
std::string describe(const AXElement& e) {
    switch (e.kind) {
        case AXElementKind::application:
            return "app(" + std::to_string(e.pid) + ")";
        case AXElementKind::window:
            return "window(" + std::to_string(e.pid) + ":" + std::to_string(e.window) + ")";
        case AXElementKind::closeButton:
            return "close(" + std::to_string(e.pid) + ":" + std::to_string(e.window) + ")";
    }
    return "element";
}
}  // namespace

std::string AXValue::description() const {
    struct Visitor {
        std::string operator()(std::monostate) const { return "nil"; }
        std::string operator()(const std::string& s) const { return "\"" + s + "\""; }
        std::string operator()(bool b) const { return b ? "true" : "false"; }
        std::string operator()(double n) const { return arvelo::formatNumber(n); }
        std::string operator()(arvelo::Point p) const { return arvelo::toString(p); }
        std::string operator()(arvelo::Size s) const { return arvelo::toString(s); }
        std::string operator()(const AXElement& e) const { return describe(e); }
        std::string operator()(const std::vector<AXElement>& list) const {
            std::string text = "[";
            for (std::size_t i = 0; i < list.size(); ++i) {
                if (i) text += ", ";
                text += describe(list[i]);
            }
            return text + "]";
        }
    };
    return std::visit(Visitor{}, storage_);
}

std::optional<std::uint64_t> Accessibility::changeStamp(const AXElement&) { return std::nullopt; }

std::vector<AXResult> Accessibility::copyMultipleAttributeValues(const AXElement& element,
                                                                 const std::vector<std::string>& attributes,
                                                                 double timeout) {
    std::vector<AXResult> results;
    results.reserve(attributes.size());
    for (const auto& attribute : attributes) results.push_back(copyAttributeValue(element, attribute, timeout));
    return results;
}

std::vector<std::vector<AXResult>> Accessibility::copyAttributeValues(const std::vector<AXElement>& elements,
                                                                      const std::vector<std::string>& attributes,
                                                                      double timeout) {
    std::vector<std::vector<AXResult>> results;
    results.reserve(elements.size());
    for (const auto& element : elements) results.push_back(copyMultipleAttributeValues(element, attributes, timeout));
    return results;
}

}  // namespace platform
