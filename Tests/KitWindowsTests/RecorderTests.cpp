// SPDX-License-Identifier: MIT
// RecorderTests.cpp: Qt key events to stored key codes and back, and the shortcut recorder
// driven by key and mouse events: recording, the hint and its time, cancelling, clearing, the
// clear zone, focus moves and the shared recording flag with its notification.
#include "KitWindowsScene.h"
#include "Platform/KeyCodeTable.h"
#include "TenvikKit/Views/HotKeyRecorderView.h"
#include "TenvikKit/Views/QtKeyCodes.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace tenvik {
namespace {

TEST(QtKeyCodes, EveryKeyCodeGoesToAQtKeyAndBack) {
    int checked = 0;
    for (std::uint32_t code = 0; code < 128; ++code) {
        const auto keysym = platform::keysymForKeyCode(code);
        if (!keysym) continue;
        // The hot-key table and its inverse agree.
        EXPECT_EQ(platform::keyCodeForKeysym(*keysym), code) << code;
        const auto key = QtKeyCodes::qtKeyForKeyCode(code);
        if (!key) continue;
        QKeyEvent event(QEvent::KeyPress, *key, Qt::NoModifier);
        EXPECT_EQ(QtKeyCodes::keyCode(event), code) << code << " as Qt key " << *key;
        ++checked;
    }
    EXPECT_GE(checked, 80);  // keypad keys have no Qt key of their own (Qt marks them with a modifier)
    for (const auto& [code, glyph] : HotKey::keyGlyphs()) EXPECT_TRUE(QtKeyCodes::qtKeyForKeyCode(code)) << glyph;
}

TEST(QtKeyCodes, EventsAndModifiers) {
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        std::optional<std::uint32_t> code;
        std::uint32_t mask;
    };
    const Case cases[] = {
        {Qt::Key_K, Qt::MetaModifier | Qt::ShiftModifier, 40, 0x300},
        {Qt::Key_P, Qt::MetaModifier | Qt::AltModifier, 35, 0x900},
        {Qt::Key_Escape, Qt::AltModifier, 53, 0x800},
        {Qt::Key_Backspace, Qt::NoModifier, 51, 0},
        {Qt::Key_Delete, Qt::ControlModifier, 117, 0x1000},
        {Qt::Key_Backtab, Qt::ShiftModifier, 48, 0x200},
        {Qt::Key_Exclam, Qt::ShiftModifier | Qt::MetaModifier, 18, 0x300},  // Shift+1 is the "1" key
        {Qt::Key_F5, Qt::NoModifier, 96, 0},
        {Qt::Key_Shift, Qt::ShiftModifier, std::nullopt, 0x200},
        {Qt::Key_Super_L, Qt::MetaModifier, std::nullopt, 0x100},
        {Qt::Key_VolumeUp, Qt::NoModifier, std::nullopt, 0},
        {Qt::Key_1, Qt::KeypadModifier | Qt::GroupSwitchModifier, 18, 0},
    };
    for (const Case& c : cases) {
        QKeyEvent event(QEvent::KeyPress, c.key, c.modifiers);
        EXPECT_EQ(QtKeyCodes::keyCode(event), c.code) << c.key;
        EXPECT_EQ(QtKeyCodes::hotKeyModifiers(c.modifiers), c.mask) << c.key;
    }
    EXPECT_EQ(QtKeyCodes::qtModifiers(0x1b00),
              Qt::KeyboardModifiers(Qt::MetaModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::ControlModifier));
}

class Recorder : public ::testing::Test {
public:
    Recorder() {
        auto* layout = new QHBoxLayout(&window);
        before = new QLineEdit(&window);
        recorder = new HotKeyRecorderView(scene.context.shared.recording, scene.context.dispatch, &window);
        second = new HotKeyRecorderView(scene.context.shared.recording, scene.context.dispatch, &window);
        after = new QLineEdit(&window);
        for (QWidget* widget : std::initializer_list<QWidget*>{before, recorder, second, after})
            layout->addWidget(widget);
        recorder->setHotKey(HotKey{35, 0x900});
        recorder->onChange = [this](std::optional<HotKey> key) {
            changes.push_back(key);
            recorder->setHotKey(key);  // as the settings' change comes back to the tab
        };
        notifications = scene.center.observe(ShortcutRecordingState::kDidChangeNotification, [this] {
            flags.push_back(scene.context.shared.recording->isRecording());
        });
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    void click(QWidget* widget, QPoint at) {
        QMouseEvent down(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(widget, &down);
        QMouseEvent up(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                       Qt::NoModifier);
        QApplication::sendEvent(widget, &up);
    }
    void focusAndRecord() {
        recorder->setFocus(Qt::TabFocusReason);
        test::press(recorder, Qt::Key_Space);
        ASSERT_TRUE(recorder->isRecording());
    }

    test::KitWindowsScene scene;
    QWidget window;
    QLineEdit* before = nullptr;
    HotKeyRecorderView* recorder = nullptr;
    HotKeyRecorderView* second = nullptr;
    QLineEdit* after = nullptr;
    std::vector<std::optional<HotKey>> changes;
    std::vector<bool> flags;
    platform::Subscription notifications;
};

TEST_F(Recorder, SpaceStartsAndCommandShiftKRecordsAndLeavesTheField) {
    EXPECT_EQ(recorder->displayedText().toStdString(), "Super+Alt+P");
    focusAndRecord();
    EXPECT_EQ(recorder->displayedText().toStdString(), "Press shortcut\u2026");
    EXPECT_EQ(recorder->accessibilityValue(), "Recording");
    EXPECT_EQ(flags, (std::vector<bool>{true}));
    test::press(recorder, Qt::Key_K, Qt::MetaModifier | Qt::ShiftModifier);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], (HotKey{40, 0x300}));
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_FALSE(recorder->hasFocus());
    EXPECT_EQ(flags, (std::vector<bool>{true, false}));
    EXPECT_EQ(recorder->displayedText().toStdString(), "Super+Shift+K");
}

TEST_F(Recorder, KeyRulesWhileRecording) {
    struct Case {
        const char* what;
        int key;
        Qt::KeyboardModifiers modifiers;
        std::vector<std::optional<HotKey>> changes;
        bool stillRecording;
        bool hint;
    };
    const Case cases[] = {
        {"Shift+K shows the hint", Qt::Key_K, Qt::ShiftModifier, {}, true, true},
        {"Shift alone is nothing", Qt::Key_Shift, Qt::ShiftModifier, {}, true, false},
        {"Escape cancels", Qt::Key_Escape, Qt::NoModifier, {}, false, false},
        {"Option+Escape records", Qt::Key_Escape, Qt::AltModifier, {HotKey{53, 0x800}}, false, false},
        {"Delete clears", Qt::Key_Backspace, Qt::NoModifier, {std::nullopt}, false, false},
        {"Forward Delete clears", Qt::Key_Delete, Qt::NoModifier, {std::nullopt}, false, false},
        {"Command+Q is recorded, not run", Qt::Key_Q, Qt::MetaModifier, {HotKey{12, 0x100}}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        recorder->setHotKey(HotKey{35, 0x900});
        changes.clear();
        focusAndRecord();
        test::press(recorder, c.key, c.modifiers);
        EXPECT_EQ(changes, c.changes);
        EXPECT_EQ(recorder->isRecording(), c.stillRecording);
        EXPECT_EQ(recorder->showsModifierError(), c.hint);
        if (c.hint) {
            EXPECT_EQ(recorder->displayedText().toStdString(), "Use Super, Alt or Ctrl with a key");
            // The whole reason stays as the field's tool tip.
            EXPECT_EQ(recorder->toolTip().toStdString(),
                      "Shift+K alone types the letter K in every window, so it cannot be a shortcut. Use Super, Alt or "
                      "Ctrl with a key.");
            scene.desktop.advance(0.39);
            EXPECT_TRUE(recorder->showsModifierError());
            scene.desktop.advance(0.02);
            EXPECT_FALSE(recorder->showsModifierError());
        }
        recorder->endRecording();
    }
    EXPECT_FALSE(scene.context.shared.recording->isRecording());
}

TEST_F(Recorder, ALaterHintIsNotHiddenByAnEarlierReset) {
    focusAndRecord();
    test::press(recorder, Qt::Key_A);
    scene.desktop.advance(0.3);
    test::press(recorder, Qt::Key_B);
    scene.desktop.advance(0.2);  // the first hint's reset is past
    EXPECT_TRUE(recorder->showsModifierError());
    scene.desktop.advance(0.21);
    EXPECT_FALSE(recorder->showsModifierError());
}

TEST_F(Recorder, AnAccessibilityPressStartsRecording) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(recorder);
    ASSERT_TRUE(accessible);
    EXPECT_EQ(accessible->role(), QAccessible::Button);
    EXPECT_EQ(accessible->text(QAccessible::Value).toStdString(), "Super+Alt+P");
    ASSERT_TRUE(accessible->actionInterface());
    accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(recorder->isRecording());
    EXPECT_TRUE(recorder->hasFocus());
    EXPECT_EQ(accessible->text(QAccessible::Value), "Recording");
    recorder->endRecording();
}

TEST_F(Recorder, TabAndShiftTabMoveTheFocusAndRecordNothing) {
    focusAndRecord();
    test::press(recorder, Qt::Key_Tab);
    EXPECT_TRUE(changes.empty());
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_TRUE(second->hasFocus());
    focusAndRecord();
    test::press(recorder, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(changes.empty());
    EXPECT_TRUE(before->hasFocus());
    // Not recording, Tab is the window's: the focus moves on.
    recorder->setFocus(Qt::TabFocusReason);
    test::press(recorder, Qt::Key_Tab);
    EXPECT_TRUE(second->hasFocus());
    EXPECT_FALSE(recorder->isRecording());
}

TEST_F(Recorder, ClicksRecordCancelAndClear) {
    // The "×" of a set shortcut clears it without recording.
    click(recorder, QPoint(HotKeyRecorderView::kWidth - 8, 14));
    EXPECT_EQ(changes, (std::vector<std::optional<HotKey>>{std::nullopt}));
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(recorder->displayedText(), "Click to record");
    EXPECT_EQ(recorder->accessibilityValue(), "Not set");
    // Without a shortcut the whole field records; a click on it while recording cancels.
    click(recorder, QPoint(HotKeyRecorderView::kWidth - 8, 14));
    EXPECT_TRUE(recorder->isRecording());
    EXPECT_TRUE(recorder->hasFocus());
    click(recorder, QPoint(HotKeyRecorderView::kWidth - 8, 14));
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(changes.size(), 1u);
    // Clicking a second recorder ends the first and starts the second.
    click(recorder, QPoint(20, 14));
    flags.clear();
    click(second, QPoint(20, 14));
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_TRUE(second->isRecording());
    EXPECT_EQ(flags, (std::vector<bool>{false, true}));
    // The window losing the keyboard (another application in front) ends recording.
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(second, &away);
    EXPECT_FALSE(second->isRecording());
    EXPECT_EQ(flags, (std::vector<bool>{false, true, false}));
    // Hiding the window ends recording.
    click(second, QPoint(20, 14));
    window.hide();
    EXPECT_FALSE(second->isRecording());
    EXPECT_FALSE(scene.context.shared.recording->isRecording());
}

}  // namespace
}  // namespace tenvik
