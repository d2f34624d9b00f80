// SPDX-License-Identifier: MIT
// SpacesTests.cpp: the Space a display shows and the Spaces of a window, and their answers
// where the platform cannot tell.
#include "Arvelo/Windows/Spaces.h"
#include "Platform/Sim/Desktop.h"

#include <gtest/gtest.h>

namespace arvelo {
namespace {

TEST(Spaces, AnswerFromThePlatform) {
    platform::sim::Desktop desktop;
    desktop.addDisplay("Left", {1440, 900});
    desktop.addDisplay("Right", {1920, 1080});
    desktop.switchSpace(1, 4);
    auto app = desktop.launch("org.example.App", "App");
    auto window = app.openWindow("Window", {1500, 100, 800, 600});
    const auto services = desktop.services();
    const auto screens = services.screens->screens();
    platform::Spaces* spaces = services.spaces.get();

    EXPECT_EQ(Spaces::current(spaces, screens[0]), 1u);
    EXPECT_EQ(Spaces::current(spaces, screens[1]), 4u);
    EXPECT_EQ(Spaces::of(spaces, window.number()), std::set<std::uint64_t>{4});
    window.setSpaces({2, 3});
    EXPECT_EQ(Spaces::of(spaces, window.number()), (std::set<std::uint64_t>{2, 3}));
}

TEST(Spaces, AnswerZeroOrNothingWhereThePlatformCannotTell) {
    platform::sim::Desktop desktop;
    desktop.addDisplay("Main", {1440, 900});
    auto window = desktop.launch("org.example.App", "App").openWindow("Window", {0, 0, 800, 600});
    const auto services = desktop.services();
    platform::Screen screen = services.screens->screens()[0];

    EXPECT_TRUE(Spaces::of(services.spaces.get(), 0).empty());
    screen.number.reset();
    EXPECT_EQ(Spaces::current(services.spaces.get(), screen), 0u);

    desktop.setSpacesAvailable(false);
    EXPECT_EQ(Spaces::current(services.spaces.get(), services.screens->screens()[0]), 0u);
    EXPECT_TRUE(Spaces::of(services.spaces.get(), window.number()).empty());
    EXPECT_EQ(Spaces::current(nullptr, services.screens->screens()[0]), 0u);
    EXPECT_TRUE(Spaces::of(nullptr, window.number()).empty());
}

}  // namespace
}  // namespace arvelo
