// SPDX-License-Identifier: MIT
// Decoding window properties: text in UTF-8 or Latin-1, terminating NULs, the two halves of
// WM_CLASS, and 32-bit lists.
#include "Platform/X11/PropertyValue.h"

#include <gtest/gtest.h>

#include <cstring>

namespace platform::x11 {
namespace {

constexpr xcb_atom_t kUtf8 = 300;

// A property reply as the server sends it: the header, then the value.
class FakeReply {
public:
    FakeReply(xcb_atom_t type, std::uint8_t format, const void* data, std::size_t bytes)
        : bytes_(sizeof(xcb_get_property_reply_t) + bytes) {
        auto* r = reinterpret_cast<xcb_get_property_reply_t*>(bytes_.data());
        r->type = type;
        r->format = format;
        r->value_len = static_cast<std::uint32_t>(format ? bytes / (format / 8) : 0);
        std::memcpy(bytes_.data() + sizeof(xcb_get_property_reply_t), data, bytes);
    }
    static FakeReply text(xcb_atom_t type, const std::string& s) { return FakeReply(type, 8, s.data(), s.size()); }
    const xcb_get_property_reply_t* get() const {
        return reinterpret_cast<const xcb_get_property_reply_t*>(bytes_.data());
    }

private:
    std::vector<std::uint8_t> bytes_;
};

TEST(PropertyValue, TextComesOutAsUtf8WithoutTerminatingNuls) {
    EXPECT_EQ(text(FakeReply::text(kUtf8, "Caf\xC3\xA9").get(), kUtf8), "Caf\xC3\xA9");
    EXPECT_EQ(text(FakeReply::text(XCB_ATOM_STRING, "Caf\xE9").get(), kUtf8), "Caf\xC3\xA9");
    EXPECT_EQ(text(FakeReply::text(XCB_ATOM_STRING, std::string("xlogo\0", 6)).get(), kUtf8), "xlogo");
    EXPECT_EQ(text(FakeReply::text(kUtf8, "").get(), kUtf8), "");
    EXPECT_EQ(text(nullptr, kUtf8), std::nullopt);
    const std::uint32_t number = 7;
    EXPECT_EQ(text(FakeReply(XCB_ATOM_CARDINAL, 32, &number, 4).get(), kUtf8), std::nullopt);
}

TEST(PropertyValue, ClassSplitsIntoInstanceAndClass) {
    const std::string wmClass("ArveloFixture\0org.vomira.ArveloFixture\0", 39);
    EXPECT_EQ(strings(FakeReply::text(XCB_ATOM_STRING, wmClass).get(), kUtf8),
              (std::vector<std::string>{"ArveloFixture", "org.vomira.ArveloFixture"}));
    EXPECT_EQ(strings(FakeReply::text(XCB_ATOM_STRING, "lonely").get(), kUtf8), (std::vector<std::string>{"lonely"}));
    EXPECT_TRUE(strings(nullptr, kUtf8).empty());
}

TEST(PropertyValue, CardinalsNeedThirtyTwoBitItems) {
    const std::uint32_t values[] = {4, 0, 0xFFFFFFFF};
    EXPECT_EQ(cardinals(FakeReply(XCB_ATOM_CARDINAL, 32, values, sizeof values).get()),
              (std::vector<std::uint32_t>{4, 0, 0xFFFFFFFF}));
    EXPECT_EQ(firstCardinal(FakeReply(XCB_ATOM_CARDINAL, 32, values, sizeof values).get()), 4u);
    EXPECT_TRUE(cardinals(FakeReply::text(XCB_ATOM_STRING, "abcd").get()).empty());
    EXPECT_EQ(firstCardinal(FakeReply(XCB_ATOM_CARDINAL, 32, values, 0).get()), std::nullopt);
}

}  // namespace
}  // namespace platform::x11
