// SPDX-License-Identifier: MIT
// ScreenshotTests.cpp: every settings tab, the chooser and the welcome guide rendered
// offscreen in a light and a dark palette, with a caption, an error and a hint on show, saved
// as screenshots/kit-<what>-<light|dark>.png for people to look at. The test checks only that
// each picture has content and that the dark one is dark.
#include "KitWindowsScene.h"
#include "TenvikKit/Views/FocusSettingsTab.h"
#include "TenvikKit/Views/KitWindow.h"
#include "TenvikKit/Views/OnboardingView.h"
#include "TenvikKit/Views/OnboardingWindowController.h"
#include "TenvikKit/Views/SettingsWindowController.h"
#include "TenvikKit/Views/ShortcutsSettingsTab.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPalette>
#include <QStyle>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace tenvik {
namespace {

QPalette darkPalette() {
    QPalette palette;
    const QColor window(0x2b, 0x2b, 0x2e), base(0x1e, 0x1e, 0x20), text(0xe8, 0xe8, 0xea);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3e));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Highlight, QColor(0x0a, 0x84, 0xff));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Mid, QColor(0x48, 0x48, 0x4c));
    palette.setColor(QPalette::Dark, QColor(0x18, 0x18, 0x1a));
    palette.setColor(QPalette::Light, QColor(0x50, 0x50, 0x55));
    palette.setColor(QPalette::PlaceholderText, QColor(0x8e, 0x8e, 0x93));
    return palette;
}

double meanLightness(const QImage& image) {
    double sum = 0;
    int count = 0;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4, ++count) sum += QColor(image.pixel(x, y)).lightnessF();
    return count ? sum / count : 0;
}

void save(QWidget* widget, const QString& name, bool dark) {
    QDir().mkpath("screenshots");
    const QImage image = widget->grab().toImage();
    ASSERT_FALSE(image.isNull()) << name.toStdString();
    EXPECT_TRUE(image.save("screenshots/kit-" + name + (dark ? "-dark" : "-light") + ".png"));
    if (dark)
        EXPECT_LT(meanLightness(image), 0.4) << name.toStdString();
    else
        EXPECT_GT(meanLightness(image), 0.6) << name.toStdString();
}

class Screenshots : public ::testing::TestWithParam<bool> {};

TEST_P(Screenshots, EveryTabAndTheGuide) {
    const bool dark = GetParam();
    const QPalette original = QApplication::palette();
    QApplication::setPalette(dark ? darkPalette() : QApplication::style()->standardPalette());
    {
        test::KitWindowsScene scene;
        scene.desktop.setScreenCaptureAccess(false);
        scene.context.shared.permissions->refresh();
        scene.context.shared.permissions->requestScreenRecording();
        scene.context.shared.activity->gesturesAvailable = false;
        scene.context.shared.activity->gesturesUnavailableReason = std::string("No touchpad was found.");
        scene.context.shared.activity->hotKeyRegistrationError =
            std::string("Super+Alt+F is held by another program. Record another shortcut in Settings, Shortcuts.");
        scene.settings().setFocusAllowedApplicationIDs({"XTerm", "org.gnome.Nautilus", "com.apple.Spotlight", "long.App"});
        scene.settings().setPinOpacity(0.85);
        SettingsWindowController settings(scene.context);
        const char* tabs[] = {"general", "shortcuts", "focus", "pin", "permissions"};
        for (const char* raw : tabs) {
            settings.show(settingsTabFromRawValue(raw));
            if (std::string(raw) == "shortcuts") {
                auto* recorder = settings.shortcutsTab()->recorder(1);
                recorder->setFocus();
                recorder->beginRecording();
                test::press(recorder, Qt::Key_K, Qt::ShiftModifier);  // the hint shows
            }
            save(settings.window(), QString("settings-") + raw, dark);
            settings.shortcutsTab()->recorder(1)->endRecording();
        }
        settings.show(SettingsTab::focus);
        settings.focusTab()->chooseApp();
        settings.focusTab()->chooser()->searchField()->setText("e");
        save(settings.focusTab()->chooser(), "chooser", dark);
        settings.focusTab()->chooser()->reject();
        settings.window()->close();

        OnboardingWindowController onboarding(scene.context);
        onboarding.show();
        scene.context.shared.activity->lastHotKeyAt = 1.0;
        save(onboarding.window(), "onboarding", dark);
        onboarding.window()->close();
    }
    QApplication::setPalette(original);
}

INSTANTIATE_TEST_SUITE_P(Palettes, Screenshots, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Dark" : "Light"; });

}  // namespace
}  // namespace tenvik
