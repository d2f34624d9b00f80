// SPDX-License-Identifier: MIT
// AppSettingsTests.cpp: loading, normalising, migrating and saving the kit's settings, the
// shortcut texts, and the one-time import of the standalone kit's settings.
#include "KitScene.h"
#include "Platform/Files.h"
#include "TenvikKit/Settings/AppSettings.h"
#include "TenvikKit/Settings/StandaloneImport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>

namespace tenvik {
namespace {

using platform::DefaultsValue;
using platform::UserDefaults;

std::shared_ptr<UserDefaults> store(std::initializer_list<std::pair<const std::string, DefaultsValue>> values = {}) {
    auto defaults = std::make_shared<UserDefaults>();
    for (const auto& [key, value] : values) defaults->set(key, value);
    return defaults;
}

DefaultsValue data(const std::string& text) {
    return DefaultsValue::binary(std::vector<std::uint8_t>(text.begin(), text.end()));
}

constexpr HotKey kOptionCommandEscape{53, HotKey::kOption | HotKey::kCommand};

TEST(AppSettings, AnEmptyStoreGivesTheDefaultsAndThenHoldsAllTwelveKeys) {
    auto defaults = store();
    NotificationCenter center;
    int posts = 0;
    auto observer = center.observe(AppSettings::kDidChangeNotification, [&] { ++posts; });
    AppSettings settings(defaults, center);

    EXPECT_EQ(settings.pinOpacity(), 1.0);
    EXPECT_FALSE(settings.launchAtLoginRequested());
    EXPECT_FALSE(settings.hasCompletedOnboarding());
    EXPECT_EQ(settings.tapGestureAction(), GestureAction::togglePin);
    EXPECT_EQ(settings.pressGestureAction(), GestureAction::toggleFocus);
    EXPECT_EQ(settings.pinHotKey(), AppSettings::kDefaultPinHotKey);
    EXPECT_EQ(settings.focusHotKey(), AppSettings::kDefaultFocusHotKey);
    EXPECT_EQ(settings.releaseAllHotKey(), AppSettings::kDefaultReleaseAllHotKey);
    EXPECT_FALSE(settings.debugLoggingEnabled());
    EXPECT_TRUE(settings.pinShowsBorder());
    EXPECT_EQ(settings.pinIdleFPS(), 10);
    EXPECT_EQ(settings.focusAllowedApplicationIDs(), AppSettings::defaultFocusAllowedApplicationIDs());

    EXPECT_EQ(defaults->dictionary().size(), 12u);
    EXPECT_EQ(defaults->string(AppSettings::kPinHotKeyKey), "Super+Alt+P");
    EXPECT_EQ(defaults->string(AppSettings::kTapGestureActionKey), "togglePin");
    // One save per property while loading.
    EXPECT_EQ(posts, 12);
}

struct LoadCase {
    const char* name;
    std::vector<std::pair<std::string, DefaultsValue>> stored;
    std::function<void(const AppSettings&)> check;
};

TEST(AppSettings, LoadingNormalisesEveryStoredForm) {
    const std::vector<LoadCase> cases = {
        {"unknown tap action",
         {{AppSettings::kTapGestureActionKey, "wiggle"}},
         [](const AppSettings& s) { EXPECT_EQ(s.tapGestureAction(), GestureAction::togglePin); }},
        {"tap action of the wrong type",
         {{AppSettings::kTapGestureActionKey, 3}},
         [](const AppSettings& s) { EXPECT_EQ(s.tapGestureAction(), GestureAction::togglePin); }},
        {"stored press action",
         {{AppSettings::kPressGestureActionKey, "releaseAll"}},
         [](const AppSettings& s) { EXPECT_EQ(s.pressGestureAction(), GestureAction::releaseAll); }},
        {"frame rate 20",
         {{AppSettings::kPinIdleFPSKey, 20}},
         [](const AppSettings& s) { EXPECT_EQ(s.pinIdleFPS(), 10); }},
        {"frame rate 15",
         {{AppSettings::kPinIdleFPSKey, 15}},
         [](const AppSettings& s) { EXPECT_EQ(s.pinIdleFPS(), 15); }},
        {"frame rate as text",
         {{AppSettings::kPinIdleFPSKey, "30"}},
         [](const AppSettings& s) { EXPECT_EQ(s.pinIdleFPS(), 10); }},
        {"opacity 0",
         {{AppSettings::kPinOpacityKey, 0.0}},
         [](const AppSettings& s) { EXPECT_EQ(s.pinOpacity(), 0.1); }},
        {"opacity 7",
         {{AppSettings::kPinOpacityKey, 7.0}},
         [](const AppSettings& s) { EXPECT_EQ(s.pinOpacity(), 1.0); }},
        {"opacity 0.5",
         {{AppSettings::kPinOpacityKey, 0.5}},
         [](const AppSettings& s) { EXPECT_EQ(s.pinOpacity(), 0.5); }},
        {"opacity not a number",
         {{AppSettings::kPinOpacityKey, std::numeric_limits<double>::quiet_NaN()}},
         [](const AppSettings& s) { EXPECT_EQ(s.pinOpacity(), 1.0); }},
        {"opacity infinite",
         {{AppSettings::kPinOpacityKey, -std::numeric_limits<double>::infinity()}},
         [](const AppSettings& s) { EXPECT_EQ(s.pinOpacity(), 1.0); }},
        {"opacity as text",
         {{AppSettings::kPinOpacityKey, "0.5"}},
         [](const AppSettings& s) { EXPECT_EQ(s.pinOpacity(), 1.0); }},
        {"border as a number",
         {{AppSettings::kPinShowsBorderKey, 0}},
         [](const AppSettings& s) { EXPECT_TRUE(s.pinShowsBorder()); }},
        {"border off",
         {{AppSettings::kPinShowsBorderKey, false}},
         [](const AppSettings& s) { EXPECT_FALSE(s.pinShowsBorder()); }},
        {"empty allowlist stays empty",
         {{AppSettings::kFocusAllowedApplicationIDsKey, DefaultsValue::array()}},
         [](const AppSettings& s) { EXPECT_TRUE(s.focusAllowedApplicationIDs().empty()); }},
        {"allowlist with a number",
         {{AppSettings::kFocusAllowedApplicationIDsKey, DefaultsValue::array({"a.b", 3})}},
         [](const AppSettings& s) {
             EXPECT_EQ(s.focusAllowedApplicationIDs(), AppSettings::defaultFocusAllowedApplicationIDs());
         }},
        {"shortcut stored as null",
         {{AppSettings::kPinHotKeyKey, data("null")}},
         [](const AppSettings& s) { EXPECT_FALSE(s.pinHotKey().has_value()); }},
        {"shortcut stored as garbage",
         {{AppSettings::kFocusHotKeyKey, data("\x01garbage")}},
         [](const AppSettings& s) { EXPECT_EQ(s.focusHotKey(), AppSettings::kDefaultFocusHotKey); }},
        {"shortcut with a negative key code",
         {{AppSettings::kFocusHotKeyKey, data(R"({"keyCode":-1,"modifiers":256})")}},
         [](const AppSettings& s) { EXPECT_EQ(s.focusHotKey(), AppSettings::kDefaultFocusHotKey); }},
        {"shortcut stored as a string",
         {{AppSettings::kFocusHotKeyKey, "⌥⌘F"}},
         [](const AppSettings& s) { EXPECT_EQ(s.focusHotKey(), AppSettings::kDefaultFocusHotKey); }},
        {"shortcut of a plain key",
         {{AppSettings::kPinHotKeyKey, data(R"({"keyCode":0,"modifiers":0})")}},
         [](const AppSettings& s) { EXPECT_EQ(s.pinHotKey(), AppSettings::kDefaultPinHotKey); }},
        {"shortcut of Shift and Space",
         {{AppSettings::kFocusHotKeyKey, data(R"({"keyCode":49,"modifiers":512})")}},
         [](const AppSettings& s) { EXPECT_EQ(s.focusHotKey(), AppSettings::kDefaultFocusHotKey); }},
        {"shortcut of Ctrl and a key",
         {{AppSettings::kReleaseAllHotKeyKey, data(R"({"keyCode":15,"modifiers":4096})")}},
         [](const AppSettings& s) { EXPECT_EQ(s.releaseAllHotKey(), (HotKey{15, HotKey::kControl})); }},
        {"shortcut of its own",
         {{AppSettings::kPinHotKeyKey, data(R"({"keyCode":49,"modifiers":4352})")}},
         [](const AppSettings& s) {
             EXPECT_EQ(s.pinHotKey(), (HotKey{49, 4352}));
         }},
        {"release all on option command Escape",
         {{AppSettings::kReleaseAllHotKeyKey, DefaultsValue::binary(HotKey::encode(kOptionCommandEscape))}},
         [](const AppSettings& s) { EXPECT_EQ(s.releaseAllHotKey(), AppSettings::kDefaultReleaseAllHotKey); }},
        {"release all on control option Escape",
         {{AppSettings::kReleaseAllHotKeyKey, DefaultsValue::binary(HotKey::encode(HotKey{53, 0x1800}))}},
         [](const AppSettings& s) {
             EXPECT_EQ(s.releaseAllHotKey(), (HotKey{53, 0x1800}));
         }},
        {"launch at login of the wrong type",
         {{AppSettings::kLaunchAtLoginRequestedKey, "yes"}},
         [](const AppSettings& s) { EXPECT_FALSE(s.launchAtLoginRequested()); }},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto defaults = store();
        for (const auto& [key, value] : c.stored) defaults->set(key, value);
        NotificationCenter center;
        AppSettings settings(defaults, center);
        c.check(settings);
        // What was loaded is written back in its normalised form.
        AppSettings again(defaults, center);
        c.check(again);
    }
}

TEST(AppSettings, ShortcutsAreStoredAsTextAndReadBack) {
    struct Case {
        const char* name;
        DefaultsValue stored;
        std::optional<HotKey> loaded;
        DefaultsValue written;
        bool logged;
    };
    const Case cases[] = {
        {"text", "Super+Shift+K", HotKey{40, 0x300}, "Super+Shift+K", false},
        {"text as a person writes it", "ctrl+alt+page down", HotKey{121, 0x1800}, "Ctrl+Alt+Page Down", false},
        {"none", nullptr, std::nullopt, nullptr, false},
        {"none as an empty text", "", std::nullopt, nullptr, false},
        {"earlier encoded form, read once", data(R"({"keyCode":49,"modifiers":4352})"), HotKey{49, 0x1100},
         "Super+Ctrl+Space", false},
        {"earlier encoded none", data("null"), std::nullopt, nullptr, false},
        {"malformed text", "Super+Alt+", AppSettings::kDefaultFocusHotKey, "Super+Alt+F", true},
        {"unknown modifier", "Hyper+F", AppSettings::kDefaultFocusHotKey, "Super+Alt+F", true},
        {"glyphs", "\u2325\u2318F", AppSettings::kDefaultFocusHotKey, "Super+Alt+F", true},
        {"a number", 35, AppSettings::kDefaultFocusHotKey, "Super+Alt+F", true},
        {"undecodable encoded form", data("\x01garbage"), AppSettings::kDefaultFocusHotKey, "Super+Alt+F", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::KitScene scene;
        auto defaults = store({{AppSettings::kFocusHotKeyKey, c.stored},
                               {AppSettings::kPinOpacityKey, 0.5},
                               {AppSettings::kPinIdleFPSKey, 15}});
        NotificationCenter center;
        AppSettings settings(defaults, center);
        EXPECT_EQ(settings.focusHotKey(), c.loaded);
        EXPECT_EQ(*defaults->object(AppSettings::kFocusHotKeyKey), c.written);
        // Nothing else in the file is lost to a bad shortcut.
        EXPECT_EQ(settings.pinOpacity(), 0.5);
        EXPECT_EQ(settings.pinIdleFPS(), 15);
        EXPECT_EQ(settings.pinHotKey(), AppSettings::kDefaultPinHotKey);
        const auto lines = scene.logLines("app");
        EXPECT_EQ(lines.size(), c.logged ? 1u : 0u);
        if (c.logged && !lines.empty()) {
            EXPECT_NE(lines[0].find(AppSettings::kFocusHotKeyKey), std::string::npos) << lines[0];
            EXPECT_NE(lines[0].find("using Super+Alt+F"), std::string::npos) << lines[0];
        }
    }
}

TEST(AppSettings, TheEscapeMigrationIsWrittenBackAtOnce) {
    auto defaults =
        store({{AppSettings::kReleaseAllHotKeyKey, DefaultsValue::binary(HotKey::encode(kOptionCommandEscape))}});
    NotificationCenter center;
    AppSettings settings(defaults, center);
    EXPECT_EQ(defaults->string(AppSettings::kReleaseAllHotKeyKey), "Super+Alt+R");
}

TEST(AppSettings, ALegacyOpacityMovesUnderTheNewKeyOnce) {
    struct Case {
        const char* name;
        DefaultsValue legacy;
        std::optional<double> current;
        double expected;
        bool legacyRemains;
    };
    const Case cases[] = {
        {"negative", -1.0, std::nullopt, 1.0, false},
        {"zero", 0.0, std::nullopt, 1.0, false},
        {"below the minimum", 0.05, std::nullopt, 0.1, false},
        {"in range", 0.6, std::nullopt, 0.6, false},
        {"not a number", std::numeric_limits<double>::quiet_NaN(), std::nullopt, 1.0, false},
        {"new key already present", 0.3, 0.8, 0.8, false},
        {"legacy value that is text", "0.3", std::nullopt, 1.0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto defaults = store({{AppSettings::kLegacyOpacityKey, c.legacy}});
        if (c.current) defaults->setNumber(AppSettings::kPinOpacityKey, *c.current);
        NotificationCenter center;
        AppSettings settings(defaults, center);
        EXPECT_EQ(settings.pinOpacity(), c.expected);
        EXPECT_EQ(defaults->contains(AppSettings::kLegacyOpacityKey), c.legacyRemains);
    }
}

TEST(AppSettings, SettersNormaliseSaveAndTellObserversOnlyOfChanges) {
    auto defaults = store();
    NotificationCenter center;
    AppSettings settings(defaults, center);
    int changes = 0;
    int posts = 0;
    settings.changes.subscribe([&] { ++changes; });
    auto observer = center.observe(AppSettings::kDidChangeNotification, [&] { ++posts; });

    settings.setPinIdleFPS(7);
    EXPECT_EQ(settings.pinIdleFPS(), 10);
    EXPECT_EQ(defaults->integer(AppSettings::kPinIdleFPSKey), 10);
    settings.setPinIdleFPS(15);
    EXPECT_EQ(defaults->integer(AppSettings::kPinIdleFPSKey), 15);

    settings.setPinOpacity(1.5);
    EXPECT_EQ(settings.pinOpacity(), 1.0);
    EXPECT_EQ(defaults->number(AppSettings::kPinOpacityKey), 1.0);
    settings.setPinOpacity(0.5);
    settings.setPinOpacity(std::numeric_limits<double>::infinity());
    EXPECT_EQ(settings.pinOpacity(), 1.0);
    settings.setPinOpacity(std::nan(""));
    EXPECT_EQ(settings.pinOpacity(), 1.0);
    EXPECT_TRUE(std::isfinite(*defaults->number(AppSettings::kPinOpacityKey)));

    changes = 0;
    posts = 0;
    settings.setPinShowsBorder(true);  // unchanged: saved and posted, observers not told
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(posts, 1);
    settings.setFocusHotKey(std::nullopt);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(defaults->object(AppSettings::kFocusHotKeyKey)->is_null());

    AppSettings reloaded(defaults, center);
    EXPECT_FALSE(reloaded.focusHotKey().has_value());
}

TEST(AppSettings, AnUnreadableDefaultsFileIsKeptAsideAndTheDefaultsApply) {
    const auto folder = std::filesystem::temp_directory_path() / ("tenvik-settings-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / UserDefaults::kDomain);
    const auto file = folder / UserDefaults::kDomain / "defaults.json";
    ASSERT_TRUE(platform::writeFileAtomically(file, "{ this is not json"));

    auto defaults = std::make_shared<UserDefaults>(folder);
    ASSERT_TRUE(defaults->keptAside().has_value());
    NotificationCenter center;
    AppSettings settings(defaults, center);
    EXPECT_EQ(settings.pinHotKey(), AppSettings::kDefaultPinHotKey);
    EXPECT_EQ(platform::readFile(*defaults->keptAside()), "{ this is not json");
    EXPECT_TRUE(UserDefaults(folder).contains(AppSettings::kPinHotKeyKey));
    std::filesystem::remove_all(folder);
}

TEST(HotKey, TextsAndMenuKeyEquivalents) {
    EXPECT_EQ(HotKey::keyGlyphs().size(), 58u);
    struct Case {
        HotKey key;
        std::string text;
        std::optional<MenuKeyEquivalent> menu;
    };
    const Case cases[] = {
        {AppSettings::kDefaultPinHotKey, "Super+Alt+P", MenuKeyEquivalent{"p", kMenuOptionFlag | kMenuCommandFlag}},
        {AppSettings::kDefaultFocusHotKey, "Super+Alt+F", MenuKeyEquivalent{"f", kMenuOptionFlag | kMenuCommandFlag}},
        {AppSettings::kDefaultReleaseAllHotKey, "Super+Alt+R",
         MenuKeyEquivalent{"r", kMenuOptionFlag | kMenuCommandFlag}},
        {{122, HotKey::kControl | HotKey::kShift}, "Ctrl+Shift+F1", std::nullopt},
        {{200, HotKey::kCommand}, "Super+Key 200", std::nullopt},
        {{49, 0x900}, "Super+Alt+Space", std::nullopt},
        {{126, 0x900}, "Super+Alt+Up", std::nullopt},
        {{53, 0x1000}, "Ctrl+Escape", std::nullopt},
        {{29, 0x1a00}, "Ctrl+Alt+Shift+0", MenuKeyEquivalent{"0", kMenuControlFlag | kMenuOptionFlag | kMenuShiftFlag}},
        // Bits besides the four modifiers are carried but neither shown nor mapped.
        {{0, 0x100 | 0x4}, "Super+A", MenuKeyEquivalent{"a", kMenuCommandFlag}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.key.displayString(), c.text);
        EXPECT_EQ(c.key.menuKeyEquivalent(), c.menu) << c.text;
    }
}

TEST(HotKey, StoredFormRoundTrips) {
    EXPECT_EQ(HotKey::encode(HotKey{35, 2304}),
              (std::vector<std::uint8_t>{'{', '"', 'k', 'e', 'y', 'C', 'o', 'd', 'e', '"', ':', '3', '5', ',', '"', 'm',
                                         'o', 'd', 'i', 'f', 'i', 'e', 'r', 's', '"', ':', '2', '3', '0', '4', '}'}));
    std::optional<HotKey> decoded = HotKey{1, 2};
    EXPECT_TRUE(HotKey::decode(HotKey::encode(std::nullopt), decoded));
    EXPECT_FALSE(decoded.has_value());
    EXPECT_FALSE(HotKey::decode({'[', ']'}, decoded));
    EXPECT_FALSE(HotKey::decode({'{', '}'}, decoded));
}

TEST(StandaloneImport, CopiesOnceWithoutOverwritingOrSystemKeys) {
    UserDefaults defaults;
    defaults.setString("settings.tapGestureAction", "releaseAll");
    defaults.setPersistentDomain("org.example.Kit.app", {{"settings.pinIdleFPS", 15},
                                                         {"settings.tapGestureAction", "none"},
                                                         {"NSWindowFrame", "x"},
                                                         {"AppleLanguages", "y"}});
    defaults.setPersistentDomain("org.example.Kit", {{"settings.pinIdleFPS", 30},
                                                     {"PinnedWindowOpacity", 0.4},
                                                     {"gap", 40},
                                                     {"excludedApps", platform::DefaultsValue::array({"a.b"})},
                                                     {"someOtherKey", 1}});
    const std::vector<std::string> domains = {"org.example.Kit.app", "org.example.Kit"};

    importStandaloneSettings(defaults, domains);
    EXPECT_EQ(defaults.string("settings.tapGestureAction"), "releaseAll");
    EXPECT_EQ(defaults.integer("settings.pinIdleFPS"), 15);  // the first domain wins
    EXPECT_EQ(defaults.number("PinnedWindowOpacity"), 0.4);
    EXPECT_FALSE(defaults.contains("NSWindowFrame"));
    EXPECT_FALSE(defaults.contains("AppleLanguages"));
    EXPECT_FALSE(defaults.contains("gap")) << "the arranger's own keys are not the old kit's";
    EXPECT_FALSE(defaults.contains("excludedApps"));
    EXPECT_FALSE(defaults.contains("someOtherKey"));
    EXPECT_EQ(defaults.boolean(kImportedStandaloneSettingsKey), true);

    // The imported legacy opacity is migrated by the settings loaded afterwards.
    NotificationCenter center;
    AppSettings settings(std::shared_ptr<UserDefaults>(&defaults, [](UserDefaults*) {}), center);
    EXPECT_EQ(settings.pinOpacity(), 0.4);

    // A second run does nothing, even with new keys in the old domain.
    defaults.setPersistentDomain("org.example.Kit", {{"settings.new", true}});
    importStandaloneSettings(defaults, domains);
    EXPECT_FALSE(defaults.contains("settings.new"));
}

TEST(StandaloneImport, NothingFoundStillMarksTheImportDone) {
    UserDefaults defaults;
    importStandaloneSettings(defaults, {"org.example.Missing"});
    EXPECT_EQ(defaults.boolean(kImportedStandaloneSettingsKey), true);
    EXPECT_EQ(standaloneSettingsDomains().size(), 2u);
    EXPECT_EQ(standaloneSettingsDomains()[0], standaloneSettingsDomains()[1] + ".app");
}

}  // namespace
}  // namespace tenvik
