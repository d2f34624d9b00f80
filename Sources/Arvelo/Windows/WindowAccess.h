// SPDX-License-Identifier: MIT
// WindowAccess.h: the one owner of the window table and of every write to other applications'
// windows. It chooses the applications to scan, folds each scan into the table, and places,
// parks, raises, closes and restores windows, checking its frame writes again afterwards.
// Main thread only; the follow-up checks are delayed callbacks that hold it and the record weakly.
#pragma once

#include "Arvelo/Windows/WindowRecord.h"
#include "Arvelo/Windows/WindowScan.h"
#include "Platform/Services.h"

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace arvelo {

// The fixture application's identifier (this program's, "org.vomira.Arvelo", followed by
// "Fixture"), and the other window manager's, whose applications are never scanned.
inline constexpr std::string_view kFixtureApplicationID = "org.vomira.ArveloFixture";
inline constexpr std::string_view kZendraApplicationID = "app.zendra.ZendraWM";

class WindowAccess : public std::enable_shared_from_this<WindowAccess> {
    struct Passkey {};

public:
    using RecordPtr = std::shared_ptr<WindowRecord>;

    // Messaging time-outs.
    static constexpr double kNormalTimeout = 0.25;
    static constexpr double kWriteTimeout = 1.25;
    static constexpr double kParkTimeout = 1.0;
    // A coordinate or size off by more than this is written.
    static constexpr double kWriteTolerance = 2;
    // A read-back off by less than this on every side counts as placed (or restored).
    static constexpr double kCheckTolerance = 2;
    static constexpr std::array<double, 5> kCheckDelays{0.25, 0.45, 0.55, 0.75, 0.8};
    static constexpr double kLateCheckDelay = 3.0;
    static constexpr double kUntouchedTolerance = 4;
    static constexpr double kLearningSlack = 4;
    static constexpr double kMinimumCapFraction = 0.9;
    static constexpr double kMinimumChange = 2;
    static constexpr double kParkedSliver = 1;
    static constexpr double kParkTolerance = 2;
    static constexpr std::array<double, 3> kRestoreDelays{0.3, 0.4, 0.5};
    static constexpr double kRestoreTolerance = 2;

    // Always made through make(): the follow-up checks hold the object weakly.
    static std::shared_ptr<WindowAccess> make(platform::Services services);
    WindowAccess(Passkey, platform::Services services);

    // The window table, by window key.
    std::map<std::string, RecordPtr> records;
    // Bundle identifiers of applications never scanned.
    std::set<std::string> excluded;
    // Placing, parking, closing, restoring and the sheet lookup only update the record: a dry
    // run never writes to a window.
    bool dryRun = false;
    // Called whenever a learnt minimum size changes.
    std::function<void()> onMinimumChange;
    // Called on the main thread when a restored window is confirmed back at its original frame
    // (and its original forgotten).
    std::function<void()> onRestoreConfirmed;
    // Fixture mode: only the fixture application is scanned, and scans leave diagnostics.
    bool includeFixture = false;
    // A parked window is also minimised, so that a window manager that keeps every window (or a
    // corner of it) on screen shows none of it; placing or restoring it un-minimises it.
    bool minimizeParked = false;

    // The table: what to scan, and folding a scan in.
    std::vector<ScanApplication> applications() const;
    // One retained entry per record, in the table's order, for the next scan.
    std::vector<RetainedWindow> retainedWindows() const;
    // `managerAway`: a window manager is being waited for; windows it lists but that could not
    // be read are kept (as not managed) instead of dropped.
    std::vector<RecordPtr> merge(const ScanSnapshot& snapshot, bool managerAway = false);
    // The window with this number was destroyed: its records go now, with their original
    // frames, and their keys are never given to another window (a window found later under a
    // number that was used before gets a key of its own). Answers the keys forgotten.
    std::vector<std::string> forgetWindow(std::uint32_t number);

    // Reads of an element, with the normal time-out.
    std::optional<Rect> rect(const platform::AccessElement& element) const;
    bool boolValue(const platform::AccessElement& element, std::string_view attribute) const;

    // The size the window takes when asked for `size`, by the rules it states for its own size
    // (a terminal's whole character cells, its minimum and maximum); `size` when it states none,
    // cannot be read, or in a dry run.
    Size fittedSize(const WindowRecord& record, Size size) const;

    // Puts the window at the frame and starts the read-back checks; the result of the first write.
    bool place(const RecordPtr& record, const Rect& frame);
    // Moves the window just outside the area, away from the avoided rectangles.
    bool park(const RecordPtr& record, const Rect& area, const std::vector<Rect>& avoiding);
    // Brings the window and its application to the front.
    void raise(const RecordPtr& record);
    // Presses the window's close button.
    void close(const RecordPtr& record);
    // The frame of a sheet attached to the window.
    std::optional<Rect> sheetFrame(const RecordPtr& record);
    // The same for several windows, their children read in one batch; one answer per window.
    // A window whose change stamp stands since its last look answers what it answered then.
    std::vector<std::optional<Rect>> sheetFrames(const std::vector<RecordPtr>& records);
    // Puts the window back at its original frame (kept until a read-back confirms it).
    void restore(const RecordPtr& record);
    void restoreAll();

private:
    bool writeFrame(WindowRecord& record, const Rect& target);
    void learnMinimum(WindowRecord& record, Size asked, Size got, bool untouched);
    void storeMinimum(WindowRecord& record, Size minimum);
    void noteOriginal(WindowRecord& record);
    void writeScannerDiagnostics(const ScanSnapshot& snapshot) const;
    // restoreAll's first step: every window that is readable and not minimised is sent its
    // original frame, each stage of the staged write across all windows before the next.
    void sendAhead(const std::vector<RecordPtr>& restoring);
    // The key for a window the table does not hold: its scanned key, unless that key belonged
    // to a window that was destroyed; then the same key with the next unused incarnation.
    std::string unusedKey(const ScannedWindow& window) const;
    // The sheets of these windows read from the application; `read[i]` tells whether window
    // i's children could be read.
    std::vector<std::optional<Rect>> readSheetFrames(const std::vector<RecordPtr>& records, std::vector<bool>& read);

    // The follow-up tasks. A task is a chain of passes, pass i running delays[i] seconds after the one before; a
    // pass that answers false ends the task. The chain holds this object and the record weakly.
    using Pass = bool (WindowAccess::*)(const RecordPtr& record, const Rect& target, std::size_t pass);
    void startTask(const RecordPtr& record, const Rect& target, std::span<const double> delays, Pass run,
                   std::size_t pass = 0);
    bool checkPass(const RecordPtr& record, const Rect& target, std::size_t pass);
    bool latePass(const RecordPtr& record, const Rect& target, std::size_t pass);
    bool restorePass(const RecordPtr& record, const Rect& target, std::size_t pass);

    // Whether x, y, width and height each differ by less than the tolerance.
    static bool within(const Rect& a, const Rect& b, double tolerance);
    // Whether a window read at `current` stands where it was asked to be: at `target`, or at
    // the target's origin with the size its own size rules make of the target's size.
    bool placedAt(const WindowRecord& record, const Rect& current, const Rect& target) const;
    bool leftButtonDown() const;
    Size minimumCap() const;
    std::string pointerText() const;

    platform::Services services_;
    platform::Accessibility& ax_;
    platform::Logger log_;
    // Keys of records whose windows were destroyed: never given to another window.
    std::unordered_set<std::string> retiredKeys_;
    // The last look for a sheet of each window, under the change stamp taken before it.
    struct SheetLook {
        std::uint64_t stamp = 0;
        std::optional<Rect> frame;
    };
    std::unordered_map<platform::AccessElement, SheetLook> sheetLooks_;
};

}  // namespace arvelo
