// SPDX-License-Identifier: MIT
// Accessibility.cpp: the backend-neutral parts of the Accessibility service: element hashes,
// typed reads of attribute values, and the one-by-one forms of the batched reads.
#include "Platform/Accessibility.h"

namespace platform {

std::uint64_t AccessElement::hash() const {
    switch (kind) {
        case AccessElementKind::application:
            return static_cast<std::uint64_t>(static_cast<std::uint32_t>(pid)) | (std::uint64_t{1} << 40);
        case AccessElementKind::window:
            return window;
        case AccessElementKind::closeButton:
            return static_cast<std::uint64_t>(window) | (static_cast<std::uint64_t>(kind) << 32);
    }
    return window;
}

namespace {
template <class T>
std::optional<T> get(const AccessValue::Storage& storage) {
    if (const T* value = std::get_if<T>(&storage)) return *value;
    return std::nullopt;
}
}  // namespace

std::optional<std::string> AccessValue::string() const { return get<std::string>(storage_); }
std::optional<double> AccessValue::number() const { return get<double>(storage_); }
std::optional<arvelo::Point> AccessValue::point() const { return get<arvelo::Point>(storage_); }
std::optional<arvelo::Size> AccessValue::size() const { return get<arvelo::Size>(storage_); }
std::optional<AccessElement> AccessValue::element() const { return get<AccessElement>(storage_); }
std::optional<std::vector<AccessElement>> AccessValue::elements() const { return get<std::vector<AccessElement>>(storage_); }

std::optional<bool> AccessValue::boolean() const {
    if (const bool* b = std::get_if<bool>(&storage_)) return *b;
    if (const double* n = std::get_if<double>(&storage_)) return *n != 0;
    return std::nullopt;
}

namespace {
std::string describe(const AccessElement& e) {
    switch (e.kind) {
        case AccessElementKind::application:
            return "app(" + std::to_string(e.pid) + ")";
        case AccessElementKind::window:
            return "window(" + std::to_string(e.pid) + ":" + std::to_string(e.window) + ")";
        case AccessElementKind::closeButton:
            return "close(" + std::to_string(e.pid) + ":" + std::to_string(e.window) + ")";
    }
    return "element";
}
}  // namespace

std::string AccessValue::description() const {
    struct Visitor {
        std::string operator()(std::monostate) const { return "nil"; }
        std::string operator()(const std::string& s) const { return "\"" + s + "\""; }
        std::string operator()(bool b) const { return b ? "true" : "false"; }
        std::string operator()(double n) const { return arvelo::formatNumber(n); }
        std::string operator()(arvelo::Point p) const { return arvelo::toString(p); }
        std::string operator()(arvelo::Size s) const { return arvelo::toString(s); }
        std::string operator()(const AccessElement& e) const { return describe(e); }
        std::string operator()(const std::vector<AccessElement>& list) const {
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

std::optional<std::uint64_t> Accessibility::changeStamp(const AccessElement&) { return std::nullopt; }

std::optional<arvelo::Size> Accessibility::fittedSize(const AccessElement&, arvelo::Size size, double) { return size; }

std::uint64_t Accessibility::windowManagerGeneration() { return 0; }

std::vector<AccessResult> Accessibility::copyMultipleAttributeValues(const AccessElement& element,
                                                                 const std::vector<std::string>& attributes,
                                                                 double timeout) {
    std::vector<AccessResult> results;
    results.reserve(attributes.size());
    for (const auto& attribute : attributes) results.push_back(copyAttributeValue(element, attribute, timeout));
    return results;
}

std::vector<std::vector<AccessResult>> Accessibility::copyAttributeValues(const std::vector<AccessElement>& elements,
                                                                      const std::vector<std::string>& attributes,
                                                                      double timeout) {
    std::vector<std::vector<AccessResult>> results;
    results.reserve(elements.size());
    for (const auto& element : elements) results.push_back(copyMultipleAttributeValues(element, attributes, timeout));
    return results;
}

}  // namespace platform
