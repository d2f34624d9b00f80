// SPDX-License-Identifier: MIT
// Coordinator.h: the arranger's one owner of arrangement state: the window table (through
// WindowAccess), the displays, one WorkspaceState per display, the user's switches, the saved
// layouts, the bookkeeping sets and the refresh loop. Its operations are spread over files by
// area: construction and the beat (Coordinator.cpp), refresh (CoordinatorRefresh.cpp),
// arranging (CoordinatorArrange.cpp), layout queries (CoordinatorLayout.cpp), applying
// (CoordinatorApply.cpp), pruning and stopping (CoordinatorPruning.cpp), recovery and the last
// layout (CoordinatorRecovery.cpp, with the recovery file kept by RecoveryLedger), diagnostics (CoordinatorDiagnostics.cpp), the tick
// (CoordinatorTick.cpp), Space switches (CoordinatorSpaces.cpp), docking, floating and
// exclusion (CoordinatorDocking.cpp), hand resizes and making room (CoordinatorResize.cpp),
// overflow tabs (CoordinatorOverflow.cpp), pinned windows (CoordinatorPins.cpp), focus and
// navigation (CoordinatorNavigation.cpp) and saved layouts (CoordinatorSavedLayouts.cpp).
// Window pictures are taken by WindowPictures (Pictures/), the event tap of the spatial canvas
// is SpatialInputController (Input/). Everything runs on the main thread except the window
// scan.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Arvelo/Chrome/ChromeHost.h"
#include "Arvelo/Chrome/ChromeIntents.h"
#include "Arvelo/Chrome/HostedWindow.h"
#include "Arvelo/Commands/CommandHost.h"
#include "Arvelo/Commands/ShellHost.h"
#include "Arvelo/Coordinator/DiagnosticsInputs.h"
#include "Arvelo/Coordinator/LayoutArea.h"
#include "Arvelo/Coordinator/NavigationHistory.h"
#include "Arvelo/Coordinator/PinHome.h"
#include "Arvelo/Coordinator/ViewPosition.h"
#include "Arvelo/Dashboard/DashboardHost.h"
#include "Arvelo/Input/DropHost.h"
#include "Arvelo/Input/SpatialInputHost.h"
#include "Arvelo/Map/WindowMapHost.h"
#include "Arvelo/Pictures/WindowPicture.h"
#include "Arvelo/Pictures/WindowPictures.h"
#include "Arvelo/State/ArrangementModel.h"
#include "Arvelo/State/DisplayInfo.h"
#include "Arvelo/State/RecoveryLedger.h"
#include "Arvelo/State/RestoreEntry.h"
#include "Arvelo/State/SavedView.h"
#include "Arvelo/State/StateFiles.h"
#include "Arvelo/State/WorkspaceState.h"
#include "Arvelo/State/WritePacing.h"
#include "Arvelo/Verification/VerificationHost.h"
#include "Arvelo/Windows/WindowAccess.h"
#include "Arvelo/Windows/WindowRecord.h"
#include "ArveloCore/DockEdge.h"
#include "ArveloCore/LayoutResult.h"
#include "ArveloCore/SpatialLayout.h"
#include "Platform/AsyncTask.h"
#include "Platform/Published.h"
#include "Platform/Services.h"

namespace arvelo {

using platform::AsyncTask;
using platform::ChangeNotifier;
using platform::Published;

class ChromeController;
class WindowDragController;
class DropHandling;
class SpatialInputController;
class WindowPictures;

class Coordinator final : public std::enable_shared_from_this<Coordinator>,
                          public DashboardHost,
                          public VerificationHost,
                          public SpatialInputHost,
                          public DropHost,
                          public ChromeIntents,
                          public CommandHost,
                          public WindowMapHost,
                          public ShellHost,
                          public ArrangementModel {
public:
    // Where a pinned window came from, so that it can go back there when unpinned (PinHome.h).
    using PinHome = arvelo::PinHome;

    using WindowList = arvelo::WindowList;

    // ---- Constants
    static constexpr double kBeatInterval = 0.7;
    static constexpr const char* kScanQueueLabel = "org.vomira.Arvelo.window-scan";
    static constexpr const char* kInitialStatus = "Drag a window to a screen edge to dock it, or choose Set Windows.";
    static constexpr const char* kOtherWindowManagerStatus =
        "Quit ZendraWM first so both apps do not move the same windows.";
    // Every window written stayed where it was: the window manager places windows itself.
    static constexpr const char* kManagerTilesStatus =
        "The window manager keeps every window where it places it, so Vomira cannot arrange windows here.";
    static constexpr double kDefaultGap = 8.0;
    // The dashboard slider's range of gaps; a stored gap outside 0 to kMaxGap is clamped into it.
    static constexpr double kMinSliderGap = 4.0;
    static constexpr double kMaxGap = 24.0;
    // The state folder cannot keep the recovery file: said in the status line and the log.
    static constexpr const char* kNoStateFolderStatus =
        "No folder for state files: if Vomira stops unexpectedly, windows cannot be put back.";
    static constexpr const char* kStateFolderUnwritableStatus =
        "The state folder cannot be written: if Vomira stops unexpectedly, windows cannot be put back.";
    static constexpr const char* kRecoveryUnwrittenStatus =
        "Could not write restore.json: if Vomira stops unexpectedly, windows cannot be put back.";
    // The user default that keeps the excluded application identities.
    static constexpr const char* kExcludedAppsKey = "excludedApps";
    // A time before anything the clocks can give ("the distant past").
    static constexpr double kDistantPast = -std::numeric_limits<double>::infinity();

    // The only way to make a coordinator: it is shared so that the timer, the scan and the
    // controllers can hold it weakly. `storageURL` overrides the state directory.
    static std::shared_ptr<Coordinator> make(platform::Services services, bool includeFixture, bool automaticUpdates,
                                             std::optional<std::filesystem::path> storageURL = std::nullopt);
    ~Coordinator();
    Coordinator(const Coordinator&) = delete;
    Coordinator& operator=(const Coordinator&) = delete;

    // ---- The published state (ArrangementModel): every write tells `onChange`; views read it
    // through model() and observe the notifier.
    const ArrangementModel& model() const override { return *this; }

    // ---- State.
    std::shared_ptr<WindowAccess> access;
    platform::Logger logger;
    std::shared_ptr<ChromeController> chrome;
    std::shared_ptr<WindowDragController> windowDrag;
    // Docking what is dragged: native windows, tabs, tab-bar headers and miniature tiles.
    std::shared_ptr<DropHandling> drops;
    std::shared_ptr<SpatialInputController> spatialInput;
    std::shared_ptr<WindowPictures> pictures;
    std::shared_ptr<HostedWindow> overview;
    std::shared_ptr<HostedWindow> dashboard;
    std::optional<platform::TimerHandle> timer;
    bool applying = false;
    bool resizingSeam = false;
    bool chromeDragging = false;
    std::shared_ptr<platform::SerialQueue> scanQueue;
    bool scanInFlight = false;
    std::vector<std::function<void()>> refreshCompletions;
    int layoutRevision = 0;
    bool chromeSuspended = false;
    std::map<std::string, platform::SpaceID> currentSpaces;
    std::map<std::string, WorkspaceState> otherSpaces;
    std::function<platform::SpaceID(const DisplayInfo&)> spaceOf;
    Date lastApply = kDistantPast;
    std::map<std::string, std::string> lastDrop;
    std::vector<std::map<std::string, std::string>> proxyInputTrace;
    std::vector<std::string> dragTrace;
    std::set<std::string> floatedWindows;
    std::set<std::string> userPlaced;
    std::set<std::string> autoTabbed;
    std::set<std::string> pinned;
    std::map<std::string, PinHome> pinHomes;
    bool didInitialArrange = false;
    std::optional<std::string> lastFocusedKey;
    bool stopping = false;
    std::filesystem::path storage;
    bool automaticUpdates = false;
    Date clickHoldUntil = kDistantPast;
    Date lastPictureRefresh = kDistantPast;
    std::optional<std::string> sheetZoom;
    // The window whose maximise zoomed its display onto it; un-maximising it steps back out.
    std::optional<std::string> maximizeZoom;
    // Arranged windows that are full screen: the layout waits until they leave it.
    std::set<std::string> fullScreenWaits;

    // ---- The platform this coordinator runs on, and its state files.
    const platform::Services& services() const override { return services_; }
    std::filesystem::path stateDirectory() const override { return storage; }
    StateFiles& files() { return *files_; }
    RecoveryLedger& recoveryLedger() { return *recovery_; }
    Date now() const override { return services_.clock->now(); }

    // ---- Refresh and workspaces (CoordinatorRefresh.cpp)
    // Re-reads trust and displays and merges a fresh window scan; the completion runs on the
    // main thread after the next merge (at once while untrusted or without automatic updates).
    void refresh(std::function<void()> completion = nullptr) override;
    // Asks the platform for the arranger's permission, with its prompt; a later refresh reads
    // the answer.
    void askForAccessibility() override;
    void scanFixtureOnly(bool on) override { access->includeFixture = on; }
    void setStatus(std::string text) override { status = std::move(text); }
    // Another window manager that moves the same windows is running.
    bool zendraRunning() const;
    std::optional<DisplayInfo> displayUnderPointer() const override;

    // ---- Arranging (CoordinatorArrange.cpp)
    void arrange() override;
    void arrangeCurrentSnapshot(const std::optional<std::set<std::string>>& only) override;

    // ---- Layout queries (CoordinatorLayout.cpp)
    LayoutResult layout(const std::string& displayID, bool overview = false, std::optional<Rect> rect = std::nullopt,
                        const std::optional<LayoutNode>& root = std::nullopt) const override;
    Rect camera(const std::string& displayID) const;
    SpatialLayout::SizeTable minimums() const;
    // The display's visible frame inset by half the gap, where its tiles lie.
    LayoutArea layoutArea(const DisplayInfo& display) const;
    bool misfit(const Tile& tile) const;
    SpatialLayout::RectTable worldRects(const std::string& displayID) const;
    std::optional<WorkspaceState> current() const override;
    // The dashboard's gap slider: the gap becomes `value` (kept in the user default "gap")
    // and the whole layout is applied again at once.
    void setGap(double value) override;
    std::shared_ptr<WindowRecord> selectedRecord() const override;

    // ---- Lookups for the coordinator's clients (CoordinatorLookups.cpp)
    std::shared_ptr<WindowRecord> record(const std::string& key) const override;
    std::optional<Rect> currentFrame(const WindowRecord& record) const override;
    bool minimizedNow(const WindowRecord& record) const override;
    const std::map<std::string, std::shared_ptr<WindowRecord>>& records() const override { return access->records; }
    const std::vector<std::shared_ptr<ChromePanel>>& chromePanels() const override;
    Point pointerLocation() const override;
    // The window keys held by the trees of every display state.
    std::set<std::string> managedHere() const;
    // The display whose full frame overlaps the frame most (ties keep the earlier display).
    std::optional<DisplayInfo> displayOf(const Rect& frame) const;
    // The Spaces that hold a window; empty when the platform cannot tell.
    std::set<platform::SpaceID> spacesOfWindow(std::uint32_t windowNumber) const;

    // ---- Applying (CoordinatorApply.cpp)
    // Each overflow move starts another placing pass; at most this many passes per apply().
    static constexpr int kMostApplyPasses = 64;
    void apply() override;
    std::optional<std::string> focusedWindowKey() const;

    // ---- Pruning and stopping (CoordinatorPruning.cpp)
    bool removeUnavailableWindows();
    void stopEmptyWorkspace();
    // Windows are arranged, or some window still remembers the frame it had before it was moved.
    bool hasWindowsToRestore() const override;
    // The quit that waits: every window goes back and nothing is arranged again from now on.
    void restoreForQuit() override;
    // The last step of quitting: the input controllers stop and windows still out of place go back.
    void shutDown() override;

    // ---- Recovery, restore and last layout (CoordinatorRecovery.cpp)
    // Writes "restore.json"; false when it could not be written (then said in the log, and in
    // the status line after the apply).
    bool writeRecovery();
    void restore() override;
    // Stops arranging for good (until Set Windows) and puts every window back, then says so.
    void freeAllWindows() override;
    void recover() override;
    // The dashboard's "Resume layout": reads "last-view.json" and, when it reads, refreshes and
    // applies it like a recalled saved layout, then hides the dashboard. A file that cannot be
    // read applies nothing, leaves the dashboard open and says so in the status line (the
    // reason goes to the log); false then.
    bool resumeLastLayout() override;
    static constexpr const char* kLastLayoutUnreadableStatus =
        "The last layout could not be read, so nothing was resumed.";
    void persistCurrent();
    // Remembers the frame a window has before it is first moved: taken from a matching entry
    // of a recovery file left by an earlier run when there is one, else read from the window.
    void noteOriginalFrame(WindowRecord& record);
    // The window's identity across runs: application identity, "|", title.
    static std::string identity(const WindowRecord& record);

    // ---- Diagnostics (CoordinatorDiagnostics.cpp)
    // `onScreen`: the on-screen window list when the caller holds a current one; read afresh
    // otherwise. Writes the file now (when what it says changed).
    void writeLayoutDiagnostics(const std::vector<platform::WindowInfo>* onScreen = nullptr);
    // The same, paced: the file is written at most once per beat; asked for again within a
    // beat, it is written once when the beat has passed (read afresh then).
    void requestLayoutDiagnostics(const std::vector<platform::WindowInfo>* onScreen = nullptr);

    // ---- The tick (CoordinatorTick.cpp)
    // One beat's pass after the refresh that the beat started.
    void processTick(const std::set<std::string>& previousKeys);
    // The pass a shown window asks for, after its own refresh: pruning and docking arrivals,
    // as the tick makes them; drift, retries, sheets, focus, pictures and diagnostics are left
    // to the beat, so their rules count beats.
    void processArrivals();
    // Closes every chrome panel and rebuilds them from the current layouts.
    void restoreChrome() override;
    void restackTabBars() override;
    // The view layer's hooks for the chrome's panels (set once by the shell).
    void setChromeViews(ChromeHost views);

    // ---- What the chrome reports (CoordinatorChrome.cpp)
    void zoomOutOf(const std::string& displayID) override;
    void chromeDragBegan() override;
    void chromeDragEnded() override;
    void chromeDragCancelled() override;
    void updateDropPreview(const std::string& key, Point at) override;
    void finishChromeDrop(const std::string& key, Point at) override;
    void updateGroupDropPreview(const std::string& nodeID, const std::string& displayID, Point at) override;
    bool finishGroupDrop(const std::string& nodeID, const std::string& displayID, Point at) override;
    void seamDragBegan() override;
    void seamDragEnded() override;
    void traceProxyInput(std::map<std::string, std::string> entry) override;

    // ---- Spaces (CoordinatorSpaces.cpp)
    // Some display now shows another Space than the one last seen on it.
    bool desktopSwitched() const;
    // Stores the arrangements of the Spaces left and brings back (or starts) those shown.
    void switchSpaces();
    // Whether the window lies on a Space that is shown now.
    bool onShownDesktop(const WindowRecord& record) const;
    // The shell's answer to a change of the active Space: refresh, then switch.
    void desktopChanged() override;
    // Runs `done` once the next refresh has merged a fresh scan.
    void refreshNow(std::function<void()> done) override;

    // ---- Docking, floating and exclusion (CoordinatorDocking.cpp)
    // Places a newly seen window: back at its pinned home, else beside the largest tile.
    // Changes only the tree; the caller applies.
    void dockArrival(WindowRecord& window);
    // Docks a window where the user dropped it (beside a node, at a display edge, or as a tab).
    void dock(const std::string& key, const std::string& target, const std::string& displayID, DockEdge edge) override;
    static int paneCount(const LayoutNode& node);
    // Takes a window out of every layout and puts it back at its own frame ("float").
    void floatWindow(const std::string& key) override;
    // Excludes an application's windows from arranging, or admits them again; kept in the
    // user default "excludedApps".
    void exclude(const std::string& identity, bool enabled) override;
    // Docking by dragging a native window on or off.
    void setDragDocking(bool on) override;
    void dropWindow(const std::string& key, Point point, bool native) override;
    bool dockGroup(const std::string& nodeID, const std::string& fromDisplay, const std::string& target,
                   const std::string& toDisplay, DockEdge edge) override;
    bool isPinned(const std::string& key) const override { return pinned.contains(key); }
    void noteDrop(std::map<std::string, std::string> drop) override { lastDrop = std::move(drop); }
    // Sets the ratio of the split behind a dragged seam handle; every call applies, whatever
    // `commit` says.
    void resizeSeam(const Seam& seam, double fraction, const std::string& displayID, bool commit) override;

    // ---- Resizing docked windows and making room (CoordinatorResize.cpp, moves and searches in
    // HandResize.h)
    // Turns a docked window's new frame into seam moves, tabs away windows it squeezes, applies.
    void resizeDocked(const std::string& key, const Rect& frame);
    // Moves a docked window's seams as if the window were dragged by (dx, dy).
    void nudgeDocked(const std::string& key, Point vector) override;
    // Tabs away windows that no longer fit after a resize of `key` (except those in `except`).
    void makeRoom(const std::string& key, const std::string& displayID, const std::set<std::string>& except);

    // ---- Pinned windows (CoordinatorPins.cpp)
    // The window numbers of every pinned window, each time the pins change.
    void setPinned(const std::vector<std::uint32_t>& windowIDs) override;

    // ---- Overflow tabs (CoordinatorOverflow.cpp, searches in OverflowTabs.h)
    // At most one tab move per display; true when a tree changed.
    bool tabOverflow();
    // Takes at most one window out of its tab group; true when it did.
    bool untabOverflow();

    // ---- Pictures (taken by `pictures`, Pictures/WindowPictures.h)
    // Takes pictures of the windows with these keys (every window when absent) into
    // previewImages and hands the captured keys to `done` on the main thread.
    void capturePreviews(const std::optional<std::set<std::string>>& keys,
                         std::function<void(std::set<std::string>)> done);
    // Turns pictures on and takes them, or asks for the screen-capture permission.
    void enablePreviews() override;
    bool screenCaptureAllowed() const override;

    // ---- Focus, camera and navigation (CoordinatorNavigation.cpp)
    static constexpr double kParkedCloseDelay = 0.3;
    static constexpr const char* kFreedStatus =
        "All windows are free again. Choose Set Windows to give every window its own space.";
    static constexpr const char* kDesktopFocusedStatus = "Desktop focused. Step out to return to your windows.";
    // Zooms the display that holds the window onto its leaf, selects and raises it.
    void focus(const std::string& key) override;
    void focusDesktop() override;
    // Steps the selected display out by one level (its camera first, then its focus).
    void zoomOut() override;
    void showEverything() override;
    void unfocusAll() override;
    void back() override;
    void forward() override;
    bool canGoBack() const override { return !navigation_.past().empty(); }
    bool canGoForward() const override { return !navigation_.future().empty(); }
    void selectWindow(const std::optional<std::string>& key) override;
    void bringForward(const std::string& key) override;
    void selectDisplay(const std::string& displayID) override;
    NavigationStep navigationSnapshot() const;
    // The steps behind back() and forward() (NavigationHistory.h).
    const NavigationHistory& navigation() const { return navigation_; }
    void recordNavigation();
    void applyNavigation(const NavigationStep& step);
    // Makes the window the shown tab of its leaf and raises it, without moving the camera.
    void selectTab(const std::string& key, const std::string& displayID) override;
    void minimizeWindow(const std::string& key) override;
    void closeWindow(const std::string& key) override;
    void showOverview() override;
    void showDashboard() override;
    void holdClicks(double seconds);
    double clicksHeldUntil() const override { return clickHoldUntil; }
    bool tapActive() const override { return managing.get() && !chromeSuspended; }
    // The labelled drop preview over a rectangle (top-left space), drawn by the chrome.
    void showDropPreview(const Rect& rect, const std::string& label) override;
    void hideDropPreview() override;
    // Frames the display's camera on an area of its screen (top-left space): the part inside
    // the display's layout area, when larger than 12 x 12 points; a navigation step.
    void frameArea(const Rect& rect, const std::string& displayID) override;
    // The view layer's makers of the overview and the dashboard windows, called on first use.
    void setOverviewWindowMaker(std::function<std::shared_ptr<HostedWindow>()> maker);
    void setDashboardWindowMaker(std::function<std::shared_ptr<HostedWindow>()> maker);

    // ---- Saved layouts (CoordinatorSavedLayouts.cpp)
    void saveView(int slot) override;
    void recallView(int slot) override;
    // Refreshes, then installs the layout on the windows of the fresh scan.
    void recall(const SavedView& view);
    // Writes "saved-views.json"; false when the file could not be written.
    bool persistSaved();

private:
    // Before a pass moves anything: notes the originals of the windows it may move and writes
    // the recovery file when one is new (or the last write failed).
    void saveOriginalsBeforeMoving();
    // The recovery entries of the windows that remember an original frame, in `windows` order,
    // then those of windows no window manager manages right now.
    std::vector<RestoreEntry> recoveryEntries() const;
    // After a restore, recovery or stop: the recovery file follows the windows as each is
    // confirmed back or goes away, until none is left to wait for.
    void beginSettlingRecovery();
    void settleRecovery();

    // At construction: says at once, in the status line and the log, when the state folder
    // cannot keep the recovery file.
    void checkStateDirectory(bool ownFolder);
    // The gap a stored user default gives (non-finite: the fallback; out of range: clamped).
    double storedGap(double value) const;

    // The last apply's placements: windows written, those not at their frames' origins after
    // the write, and those of them the window manager held where they were.
    struct Placements {
        std::size_t written = 0, missed = 0, held = 0;
    };
    Placements placements_;
    bool managerTilesSaid_ = false;
    // Whether the window manager moved a window where a write asked since it took over; only
    // one that never did is told to keep every window where it places it.
    bool managerHonoured_ = false;
    // The window manager's generation when it was last told so (Accessibility).
    std::uint64_t managerGeneration_ = 0;
    // Whether apply writes nothing: the window manager was found to keep every window where
    // it places it, and no other manager took over since.
    bool writesHeld();
    // Why the state folder cannot keep state files, when it cannot (found at construction).
    std::optional<std::string> stateFolderProblem_;
    // The last write of "restore.json" failed; what the last write that did not fail held of
    // this run's windows.
    bool recoveryUnwritten_ = false;
    std::vector<RestoreEntry> recoveryWritten_;
    // Windows are going back and the recovery file follows them (settleRecovery).
    bool settlingRecovery_ = false;
    // Since when the window manager has let the arranged windows go (CoordinatorManagerWait).
    std::optional<Date> managerAwaySince_;
    // The last wait ran out: no new one until the manager has every arranged window again.
    bool managerWaitSpent_ = false;
    // How many windows the layouts hold (`arranged`) and how many of them no manager manages.
    std::size_t arrangedUnmanagedCount(std::size_t& arranged) const;
    // Whether the window manager is away: none runs, or it has let several arranged windows (or
    // all of them) go; nothing is applied meanwhile.
    bool managerAway() const;
    // Whether a scan finds the manager letting several arranged windows (or all) go.
    bool managerLeft(const ScanSnapshot& snapshot) const;
    // Whether this tick leaves everything as it is, waiting for the window manager to take the
    // arranged windows again; the tick that finds them all taken again applies the layout.
    bool waitingForManager();

    Coordinator(platform::Services services, bool includeFixture, bool automaticUpdates,
                std::optional<std::filesystem::path> storageURL);
    void start();
    WindowPictures::Host pictureHost();
    void beat();
    void tick();
    void scanFinished(ScanSnapshot snapshot, int revision, bool diagnostic);
    // A window was shown: a refresh and processArrivals() at once, or once the scan in flight
    // is in (one such pass at a time, however many windows were shown meanwhile).
    void windowAppeared();
    // A window was destroyed: its records, their originals and their place in `windows` go now.
    void windowClosed(std::uint32_t number);
    void startArrivalsPass();
    void finishRefresh();
    void ensureWorkspaces();
    void recoverCurrentSnapshot();
    // One pass of apply(): whether there is anything to place; the placing of every window
    // (answering the names of applications that refused); what follows the last pass.
    bool beginPass();
    // Overflow tabbing is on, and no seam, tab or miniature tile is being dragged.
    bool overflowAllowed() const;
    std::set<std::string> placeWindows(bool chromeInUse);
    void finishApply(bool chromeInUse, const std::set<std::string>& refused);
    Rect targetFrame(const Tile& tile, WindowRecord& record, const DisplayInfo& display);
    // Notes how a placed window answered: at its frame, or held where it was before.
    void notePlacement(const WindowRecord& record, const Rect& before, const Rect& target, bool written);
    void leaveOverview();
    // Builds the display's chrome from its layout, while arranging and while its state holds
    // windows (CoordinatorChrome.cpp).
    void showChrome(const DisplayInfo& display);
    void applySaved(const SavedView& view);
    bool candidateForSavedLayout(const WindowRecord& record) const;

    // The tick's corrections; each answers whether it rearranged windows (which ends the tick).
    bool dockArrivals(const std::set<std::string>& managed, bool busy);
    bool followDrift(const std::set<std::string>& managed);
    bool followSheets(const std::set<std::string>& managed);
    bool followFocus(const std::set<std::string>& managed, bool busy);
    void keepMiniaturesInStep();
    // What the window manager does to arranged windows (CoordinatorManagerStates.cpp).
    // While an arranged window is full screen nothing is corrected; when the last one leaves
    // it, the layout is applied again. Answers whether the tick ends here.
    bool waitForFullScreen(const std::set<std::string>& managed);
    // A maximise zooms onto the window's tile; un-maximising steps back out.
    bool followMaximize(const std::set<std::string>& managed);
    // Whether a pass leaves the window's frame to the window manager (full screen, or the
    // maximised window zoomed onto).
    bool frameHeldByManager(const WindowRecord& record) const;

    // Brings `diagnosticsInputs_` up to date; answers whether anything in it changed.
    bool takeDiagnosticsInputs(const std::vector<platform::WindowInfo>& serverWindows);
    // The diagnostics file's JSON, built from its inputs.
    nlohmann::json diagnosticsSnapshot(const DiagnosticsInputs& inputs) const;

    platform::Services services_;
    std::function<std::shared_ptr<HostedWindow>()> makeOverviewWindow_;
    std::function<std::shared_ptr<HostedWindow>()> makeDashboardWindow_;
    std::unique_ptr<StateFiles> files_;
    std::unique_ptr<WritePacing> diagnosticsPacing_;
    // What the diagnostics file is built from, and whether it changed since the file was
    // last written.
    DiagnosticsInputs diagnosticsInputs_;
    bool diagnosticsInputsChanged_ = true;
    platform::Subscription windowAppearance_;
    platform::Subscription windowClosure_;
    // Known windows destroyed so far, and how many when the scan in flight began.
    std::uint64_t windowClosures_ = 0;
    std::uint64_t closuresAtScanStart_ = 0;
    // What the last scan read, handed to the next one.
    std::shared_ptr<const ScanMemo> scanMemo_;
    // What a scan is asked to read, and the last scan that read everything it was asked with
    // what it was asked (absent when some read was left out of its memo).
    struct ScanInputs {
        std::vector<ScanApplication> applications;
        std::vector<RetainedWindow> retained;
        bool diagnostic = false;
        friend bool operator==(const ScanInputs&, const ScanInputs&) = default;
    };
    struct KeptScan {
        ScanInputs inputs;
        ScanSnapshot snapshot;
    };
    std::shared_ptr<const KeptScan> lastScan_;
    bool arrivalsPassWanted_ = false;
    // The on-screen window list of the last scan taken in, and the layout revision it saw;
    // the tick's diagnostics use it once instead of reading the list again.
    std::optional<std::vector<platform::WindowInfo>> scannedOnScreen_;
    int scannedRevision_ = 0;
    std::unique_ptr<RecoveryLedger> recovery_;
    NavigationHistory navigation_;
};

}  // namespace arvelo
