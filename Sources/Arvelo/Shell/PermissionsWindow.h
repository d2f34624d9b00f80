// PermissionsWindow.h: the window that explains the two permissions the arranger uses (moving
// other applications' windows, and capturing them), shows whether each is granted (read
// again every second while it is open), asks for them, offers "Quit & Reopen", and records
// with "Done" that the user has been through it. One per process, kept when closed.
#pragma once

#include "Platform/Services.h"

#include <functional>
#include <memory>

class QDialog;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace arvelo {

class PermissionsWindow {
public:
    static constexpr double kPollInterval = 1.0;

    // `relaunch` runs "Quit & Reopen".
    PermissionsWindow(platform::Services services, std::function<void()> relaunch);
    ~PermissionsWindow();
    PermissionsWindow(const PermissionsWindow&) = delete;
    PermissionsWindow& operator=(const PermissionsWindow&) = delete;

    // Creates the window on first use, then brings it to the front.
    void show();

    // The window, absent until the first show().
    QDialog* window() const { return window_.get(); }
    bool accessibility() const { return accessibility_; }
    bool screenRecording() const { return screenRecording_; }

private:
    struct Row {
        QLabel* mark = nullptr;
        QLabel* allowed = nullptr;
        QPushButton* allow = nullptr;
    };

    void build();
    Row addRow(QVBoxLayout* layout, const char* title, const char* detail, std::function<void()> request);
    void poll();
    void render();
    void done();

    platform::Services services_;
    std::function<void()> relaunch_;
    std::unique_ptr<QDialog> window_;
    Row accessibilityRow_;
    Row screenRecordingRow_;
    QPushButton* doneButton_ = nullptr;
    bool accessibility_ = false;
    bool screenRecording_ = false;
    platform::TimerHandle pollTimer_;
};

}  // namespace arvelo
