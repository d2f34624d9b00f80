// SPDX-License-Identifier: MIT
// WindowAccess.cpp: the window table: which applications are scanned, how a scan is folded
// into the records, the scanner diagnostics file of fixture mode, and the shared helpers of
// the frame operations (element reads, the follow-up task chain, the pointer and screens).
#include "Arvelo/Windows/WindowAccess.h"

#include "Platform/Files.h"

#include <algorithm>
#include <cmath>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

namespace arvelo {

std::shared_ptr<WindowAccess> WindowAccess::make(platform::Services services) {
    return std::make_shared<WindowAccess>(Passkey{}, std::move(services));
}

WindowAccess::WindowAccess(Passkey, platform::Services services)
    : services_(std::move(services)), ax_(*services_.accessibility), log_(services_.logger("windows")) {}

std::vector<ScanApplication> WindowAccess::applications() const {
    const std::int32_t ownPid = services_.workspace->ownPid();
    std::vector<ScanApplication> result;
    const auto running = services_.workspace->sharedApplications();
    result.reserve(running->size());
    for (const platform::RunningApplication& app : *running) {
        // The raw identifier: an application without one compares as "".
        const std::string bundle = app.applicationID.value_or("");
        if (app.activationPolicy != platform::ActivationPolicy::regular) continue;
        if (app.pid == ownPid) continue;
        if (bundle == kZendraApplicationID) continue;
        if (excluded.contains(bundle)) continue;
        if ((bundle == kFixtureApplicationID) != includeFixture) continue;
        result.push_back({app.pid, bundle, app.localizedName.value_or("Window")});
    }
    return result;
}

std::vector<RetainedWindow> WindowAccess::retainedWindows() const {
    std::vector<RetainedWindow> result;
    result.reserve(records.size());
    for (const auto& [key, record] : records)
        result.push_back({record->id, record->app.pid, record->element, record->windowNumber});
    return result;
}

std::string WindowAccess::unusedKey(const ScannedWindow& window) const {
    if (!retiredKeys_.contains(window.id)) return window.id;
    for (std::uint32_t incarnation = 1;; ++incarnation) {
        std::string key = WindowScan::windowKey(window.pid, window.windowNumber, window.element, incarnation);
        if (!retiredKeys_.contains(key) && !records.contains(key)) return key;
    }
}

std::vector<std::string> WindowAccess::forgetWindow(std::uint32_t number) {
    std::vector<std::string> forgotten;
    if (number == 0) return forgotten;
    std::erase_if(records, [&](const auto& entry) {
        const WindowRecord& record = *entry.second;
        if (record.windowNumber != number && record.element.window != number) return false;
        forgotten.push_back(entry.first);
        retiredKeys_.insert(entry.first);
        return true;
    });
    return forgotten;
}

std::vector<WindowAccess::RecordPtr> WindowAccess::merge(const ScanSnapshot& snapshot, bool managerAway) {
    // One look at the running applications serves every window of the snapshot.
    std::optional<std::unordered_map<std::int32_t, platform::RunningApplication>> running;
    const auto applicationOf = [&](std::int32_t pid) -> const platform::RunningApplication* {
        if (!running) {
            running.emplace();
            const auto applications = services_.workspace->sharedApplications();
            for (const platform::RunningApplication& app : *applications) running->try_emplace(app.pid, app);
        }
        const auto it = running->find(pid);
        return it == running->end() ? nullptr : &it->second;
    };

    std::unordered_set<std::string> seen;
    for (const ScannedWindow& window : snapshot.windows) {
        const platform::RunningApplication* app = applicationOf(window.pid);
        if (!app) continue;  // quit since the scan
        const std::string key = records.contains(window.id) ? window.id : unusedKey(window);
        RecordPtr& record = records[key];
        if (!record) {
            record = std::make_shared<WindowRecord>(key, window.element, *app, window.title, window.frame, window.windowNumber,
                                                    services_.clock->now());
        }
        record->title = window.title;
        record->frame = window.frame;
        record->minimized = window.minimized;
        record->maximizedAxes = window.maximizedAxes;
        record->fullScreen = window.fullScreen;
        // A known window found under a new element (recognised by its window number) is only
        // reachable through the new one: the old element is dead.
        record->element = window.element;
        record->unmanaged = false;
        seen.insert(key);
    }

    // A window that still exists keeps its record (and its original frame) while no manager
    // manages it; only one that is gone is forgotten.
    std::erase_if(records, [&](auto& entry) {
        if (seen.contains(entry.first) || snapshot.failedPIDs.contains(entry.second->app.pid)) return false;
        // While a window manager is being waited for, a window it lists but that cannot be read
        // yet (being taken) is kept as well.
        if (!snapshot.unmanaged.contains(entry.first) && !(managerAway && snapshot.unreadable.contains(entry.first)))
            return true;
        entry.second->unmanaged = true;
        return false;
    });

    // Sorted by application name (or identity), title and key.
    struct Entry {
        std::string name;
        RecordPtr record;
    };
    std::vector<Entry> entries;
    entries.reserve(records.size());
    for (const auto& [key, record] : records) {
        if (record->unmanaged) continue;
        // A window missing from a list the server did not answer in full keeps what was known.
        const bool listed = record->windowNumber != 0 && snapshot.onScreenIDs.contains(record->windowNumber);
        record->onScreen = listed || (!snapshot.onScreenComplete && record->onScreen);
        entries.push_back({record->app.localizedName.value_or(record->applicationID()), record});
    }

    if (includeFixture) writeScannerDiagnostics(snapshot);

    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return std::tie(a.name, a.record->title, a.record->id) < std::tie(b.name, b.record->title, b.record->id);
    });
    std::vector<RecordPtr> sorted;
    sorted.reserve(entries.size());
    for (Entry& entry : entries) sorted.push_back(std::move(entry.record));
    return sorted;
}

void WindowAccess::writeScannerDiagnostics(const ScanSnapshot& snapshot) const {
    const auto& support = services_.folders.applicationSupport;
    if (!support) return;
    try {
        const std::string text = nlohmann::json(snapshot.diagnostics).dump(2);
        platform::writeFileAtomically(*support / "Arvelo" / "scanner-diagnostics.json", text);
    } catch (const nlohmann::json::exception& error) {
        // A title or name that is not valid UTF-8 cannot be written; the file is left as it was.
        log_.info(std::string("scanner-diagnostics.json not written: ") + error.what());
    }
}

std::optional<Rect> WindowAccess::rect(const platform::AccessElement& element) const {
    return WindowScan::rect(ax_, element, kNormalTimeout);
}

bool WindowAccess::boolValue(const platform::AccessElement& element, std::string_view attribute) const {
    return WindowScan::boolValue(ax_, element, attribute, kNormalTimeout);
}

void WindowAccess::startTask(const RecordPtr& record, const Rect& target, std::span<const double> delays, Pass run,
                             std::size_t pass) {
    std::weak_ptr<WindowAccess> weakSelf = weak_from_this();
    std::weak_ptr<WindowRecord> weakRecord = record;
    services_.dispatch->after(delays[pass], [weakSelf, weakRecord, target, delays, run, pass] {
        const auto self = weakSelf.lock();
        const auto held = weakRecord.lock();
        if (!self || !held) return;
        if ((self.get()->*run)(held, target, pass) && pass + 1 < delays.size())
            self->startTask(held, target, delays, run, pass + 1);
    });
}

bool WindowAccess::within(const Rect& a, const Rect& b, double tolerance) {
    return std::abs(a.x - b.x) < tolerance && std::abs(a.y - b.y) < tolerance &&
           std::abs(a.width - b.width) < tolerance && std::abs(a.height - b.height) < tolerance;
}

bool WindowAccess::leftButtonDown() const { return services_.pointer->leftButtonDown(); }

Size WindowAccess::minimumCap() const {
    Size largest;
    for (const platform::Screen& screen : services_.screens->screens()) {
        largest.width = std::max(largest.width, screen.visibleFrame.absWidth());
        largest.height = std::max(largest.height, screen.visibleFrame.absHeight());
    }
    return {largest.width * kMinimumCapFraction, largest.height * kMinimumCapFraction};
}

}  // namespace arvelo
