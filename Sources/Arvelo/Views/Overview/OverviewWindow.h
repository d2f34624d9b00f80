// SPDX-License-Identifier: MIT
// OverviewWindow.h: the overview, "Vomira — Overview": a fixed 960 x 660 window with the
// header ("Step out", "Done"), the display switcher, the spatial canvas and the footer of
// hot-key hints with "Free All Windows". It is made once and hidden, never destroyed, when the
// user leaves it; its close box runs the arranger's close action (which brings the chrome
// back), "Done" and Escape order it out and bring the chrome back if it was shown.
#pragma once

// The logic's headers first: Qt's keyword macros would clash with them.
#include "Arvelo/Chrome/HostedWindow.h"
#include "Arvelo/Dashboard/DashboardHost.h"

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QButtonGroup;
class QHBoxLayout;

namespace arvelo::views {

class SpatialCanvasWidget;

class OverviewWindow final : public QWidget {
public:
    static constexpr int kWidth = 960;
    static constexpr int kHeight = 660;
    static constexpr const char* kTitle = "Vomira \u2014 Overview";

    explicit OverviewWindow(std::shared_ptr<DashboardHost> arranger);
    ~OverviewWindow() override;

    // The arranger's face of a new overview window (made hidden and centred).
    static std::shared_ptr<HostedWindow> make(const std::shared_ptr<DashboardHost>& arranger);

    // "Done" and Escape.
    void done();
    SpatialCanvasWidget* canvas() const { return canvas_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void modelChanged();
    void rebuildSwitcher();

    std::weak_ptr<DashboardHost> arranger_;
    std::weak_ptr<HostedWindow> hosted_;
    platform::ChangeNotifier::Subscription subscription_ = 0;
    SpatialCanvasWidget* canvas_ = nullptr;
    QHBoxLayout* switcherRow_ = nullptr;
    QButtonGroup* switcher_ = nullptr;
    std::vector<std::pair<std::string, std::string>> shownDisplays_;
    std::string shownSelection_;
};

}  // namespace arvelo::views
