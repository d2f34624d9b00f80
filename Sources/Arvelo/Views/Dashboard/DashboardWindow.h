// SPDX-License-Identifier: MIT
// DashboardWindow.h: the dashboard, the program's own main window ("Vomira", 1080 x 740, at
// least 840 x 580): the header with its four actions, the Accessibility and recovery banners,
// the window list with the excluded applications, the display row, the spatial canvas, the
// selected window's bar and docking row, the navigation and settings rows, and the status
// line. Every control reads the arranger's published model and sends its commands; the
// only state of its own is the docking row's target. Each part redraws only when what it
// shows changed.
#pragma once

// The logic's headers first: Qt's keyword macros would clash with them.
#include "Arvelo/Chrome/HostedWindow.h"
#include "Arvelo/Dashboard/DashboardHost.h"
#include "Arvelo/Dashboard/DashboardRules.h"

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSlider;
class QToolButton;
class QVBoxLayout;
class QFrame;
class QMenu;
class QAction;

namespace arvelo::views {

class SpatialCanvasWidget;

class DashboardWindow final : public QWidget {
public:
    static constexpr int kWidth = 1080;
    static constexpr int kHeight = 740;
    static constexpr int kMinimumWidth = 840;
    static constexpr int kMinimumHeight = 580;
    static constexpr const char* kTitle = "Vomira";

    explicit DashboardWindow(std::shared_ptr<DashboardHost> arranger);
    ~DashboardWindow() override;

    static std::shared_ptr<HostedWindow> make(const std::shared_ptr<DashboardHost>& arranger);

    // The arranger published a change: one refresh follows once the current event is done,
    // however many fields changed meanwhile; a hidden dashboard refreshes when shown again.
    void modelChanged();
    // Re-reads the arranger's model and redraws the parts whose inputs changed.
    void refreshNow();

    // The docking row's picked node ("" until the user picks one).
    const std::string& target() const { return target_; }
    SpatialCanvasWidget* canvas() const { return canvas_; }
    // How many times each part was rebuilt (tests check that a change touches only its part).
    struct Rebuilds {
        int header = 0, list = 0, excluded = 0, displays = 0, windowBar = 0, dockRow = 0, navigation = 0, settings = 0,
            status = 0;
    };
    const Rebuilds& rebuilds() const { return rebuilds_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* makeHeader();
    QWidget* makeAccessibilityBanner();
    QWidget* makeRecoveryBanner();
    QWidget* makeWindowPane();
    QWidget* makeWorkspacePane();
    QWidget* makeStatusLine();
    QWidget* makeWindowBar();
    QWidget* makeDockRow();
    QWidget* makeNavigationRow();
    QWidget* makeSettingsRow();

    void refreshHeader(const DashboardHost& c);
    void refreshList(const DashboardHost& c);
    void refreshExcluded(const DashboardHost& c);
    void refreshDisplays(const DashboardHost& c);
    void refreshWindowBar(const DashboardHost& c);
    void refreshDockRow(const DashboardHost& c);
    void refreshNavigation(const DashboardHost& c);
    void refreshSettings(const DashboardHost& c);
    void refreshStatus(const DashboardHost& c);
    void dockSelected(DockEdge edge);

    std::weak_ptr<DashboardHost> arranger_;
    platform::ChangeNotifier::Subscription subscription_ = 0;
    std::string target_;
    Rebuilds rebuilds_;
    bool refreshPending_ = false;

    // What each part showed last.
    std::optional<DashboardControls> shownControls_;
    std::vector<std::pair<std::string, std::string>> shownList_;  // key, title + name
    std::optional<std::string> shownListSelection_;
    std::optional<std::set<std::string>> shownExcluded_;
    std::vector<std::pair<std::string, std::string>> shownDisplays_;
    std::string shownDisplay_;
    bool shownHasStates_ = false;
    std::optional<std::vector<std::string>> shownWindowBar_;
    std::optional<std::vector<DockTargetChoice>> shownChoices_;
    bool shownDockRow_ = false;
    std::optional<std::pair<bool, bool>> shownNavigation_;
    std::optional<std::vector<int>> shownSettings_;
    std::optional<std::pair<std::string, bool>> shownStatus_;

    // Header and banners.
    QPushButton* resume_ = nullptr;
    QPushButton* freeAll_ = nullptr;
    QPushButton* setWindows_ = nullptr;
    QWidget* accessibilityBanner_ = nullptr;
    QWidget* recoveryBanner_ = nullptr;
    // Window list.
    QLabel* count_ = nullptr;
    QListWidget* list_ = nullptr;
    QWidget* excludedBox_ = nullptr;
    QVBoxLayout* excludedRows_ = nullptr;
    // Workspace pane.
    QComboBox* displayPicker_ = nullptr;
    QPushButton* overview_ = nullptr;
    SpatialCanvasWidget* canvas_ = nullptr;
    QWidget* windowBar_ = nullptr;
    QLabel* barName_ = nullptr;
    QLabel* barTitle_ = nullptr;
    QPushButton* focus_ = nullptr;
    QPushButton* float_ = nullptr;
    QAction* excludeAction_ = nullptr;
    QWidget* dockRow_ = nullptr;
    QComboBox* targetPicker_ = nullptr;
    QPushButton* back_ = nullptr;
    QPushButton* forward_ = nullptr;
    QSlider* gap_ = nullptr;
    QCheckBox* dragDocking_ = nullptr;
    QPushButton* previews_ = nullptr;
    std::vector<QAction*> saveActions_;
    std::vector<QAction*> restoreActions_;
    // Status line.
    QLabel* dot_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace arvelo::views
