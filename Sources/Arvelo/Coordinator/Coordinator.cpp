// SPDX-License-Identifier: MIT
// Coordinator.cpp: construction of the coordinator (state directory, saved layouts, user
// defaults, the recovery file of an earlier run, the controllers), the 0.7 s beat that drives
// the refresh and tick loop, and the callback that re-applies when a minimum size is learnt.
#include "Arvelo/Coordinator/Coordinator.h"

#include <algorithm>
#include <cmath>

#include "Arvelo/Chrome/ChromeController.h"
#include "Arvelo/Coordinator/CoordinatorDragHost.h"
#include "Arvelo/Input/DropHandling.h"
#include "Arvelo/Input/SpatialInputController.h"
#include "Arvelo/Input/WindowDragController.h"
#include "Arvelo/Pictures/WindowPictures.h"
#include "Arvelo/Windows/Spaces.h"

namespace arvelo {

namespace {

constexpr const char* kStateDirectoryVariable = "ARVELO_STATE_DIR";
constexpr const char* kStateFolderName = "Arvelo";
constexpr const char* kGapKey = "gap";
// The beat's own diagnostics come a beat after the last ones, give or take the time its scan
// took; this much early still counts as a beat later.
constexpr double kDiagnosticsSlack = 0.1;

}  // namespace

std::shared_ptr<Coordinator> Coordinator::make(platform::Services services, bool includeFixture, bool automaticUpdates,
                                               std::optional<std::filesystem::path> storageURL) {
    std::shared_ptr<Coordinator> coordinator(
        new Coordinator(std::move(services), includeFixture, automaticUpdates, std::move(storageURL)));
    coordinator->start();
    return coordinator;
}

Coordinator::Coordinator(platform::Services services, bool includeFixture, bool automaticUpdates_,
                         std::optional<std::filesystem::path> storageURL)
    : ArrangementModel(kInitialStatus, kDefaultGap), services_(std::move(services)) {
    // The window table and the log channel.
    access = WindowAccess::make(services_);
    logger = services_.logger("windows");

    // Published and plain fields start at their declared values; trust is read now.
    trusted = services_.accessibility->isProcessTrusted();
    scanQueue = services_.dispatch->makeSerialQueue(kScanQueueLabel);
    spaceOf = [spaces = services_.spaces](const DisplayInfo& display) -> platform::SpaceID {
        return Spaces::current(spaces.get(), display.screen);
    };

    // Automatic updates switch the real writes on.
    automaticUpdates = automaticUpdates_;
    access->includeFixture = includeFixture;
    access->dryRun = !automaticUpdates;

    // The state directory: the argument, else ARVELO_STATE_DIR (even when empty), else
    // "Arvelo" in Application Support, else in the user's private runtime folder. There is no
    // shared fallback: without any of these, no state file is kept and the user is told.
    std::optional<std::filesystem::path> directory;
    // A folder the caller or the user named is theirs: it is made owner-only only if it is made
    // here. The default folder is this program's own and is kept owner-only.
    bool ownFolder = false;
    if (storageURL) {
        directory = *storageURL;
    } else if (const auto variable = services_.environment.variable(kStateDirectoryVariable)) {
        directory = std::filesystem::path(*variable);
    } else {
        ownFolder = true;
        if (services_.folders.applicationSupport)
            directory = *services_.folders.applicationSupport / kStateFolderName;
        else if (services_.folders.runtime)
            directory = *services_.folders.runtime / kStateFolderName;
    }
    if (directory) {
        storage = *directory;
        files_ = std::make_unique<StateFiles>(storage, logger, [clock = services_.clock] { return clock->now(); });
    } else {
        files_ = StateFiles::withoutDirectory(logger);
    }
    checkStateDirectory(ownFolder);
    recovery_ = std::make_unique<RecoveryLedger>(*files_);
    diagnosticsPacing_ =
        std::make_unique<WritePacing>(services_.dispatch, services_.clock, kBeatInterval, kDiagnosticsSlack);

    // The saved layouts, in the order of the file.
    if (auto views = files_->readSavedViews()) saved = std::move(*views);

    // The user's excluded applications and gap.
    if (services_.defaults) {
        if (auto apps = services_.defaults->stringArray(kExcludedAppsKey))
            excluded = std::set<std::string>(apps->begin(), apps->end());
        if (const auto value = services_.defaults->number(kGapKey)) gap = storedGap(*value);
    }

    // What an earlier run left behind.
    recoveryAvailable = recovery_->loadEarlierRun();
    resumeAvailable = files_->exists(StateFiles::kLastView);
}

void Coordinator::checkStateDirectory(bool ownFolder) {
    if (!files_->hasDirectory()) {
        stateFolderProblem_ = kNoStateFolderStatus;
        logger.error(std::string(kNoStateFolderStatus) +
                     " (neither ARVELO_STATE_DIR, XDG_DATA_HOME, HOME nor XDG_RUNTIME_DIR names a folder)");
    } else if (!files_->createDirectory(ownFolder) || !files_->writable()) {
        stateFolderProblem_ = kStateFolderUnwritableStatus;
        logger.error(std::string(kStateFolderUnwritableStatus) + " (" + storage.string() + ")", storage.string());
    }
    if (stateFolderProblem_) status = *stateFolderProblem_;
    // Temporary files of writes cut short by an earlier run that was killed.
    if (!stateFolderProblem_) files_->removeStaleTemporaries();
}

double Coordinator::storedGap(double value) const {
    // Not a number: the fallback. Beyond what the dashboard's slider offers: its nearest end.
    // A gap of 0 (tiles that touch) is kept; a negative one would make windows overlap.
    if (!std::isfinite(value)) {
        logger.error("User default \"gap\" is not a finite number; using 8");
        return kDefaultGap;
    }
    if (value >= 0 && value <= kMaxGap) return value;
    const double clamped = value < 0 ? kMinSliderGap : kMaxGap;
    logger.error("User default \"gap\" of " + std::to_string(value) + " is outside 0 to " +
                 std::to_string(static_cast<int>(kMaxGap)) + " points; using " +
                 std::to_string(static_cast<int>(clamped)));
    return clamped;
}

void Coordinator::setGap(double value) {
    gap = value;
    // Written before the layout is applied, so a quit right after keeps the new gap.
    if (services_.defaults) services_.defaults->setNumber(kGapKey, value);
    apply();
}

Coordinator::~Coordinator() {
    if (timer) timer->invalidate();
}

void Coordinator::start() {
    const std::weak_ptr<Coordinator> weak = weak_from_this();

    // A newly learnt minimum size re-applies the layout on the main queue.
    access->onMinimumChange = [weak, dispatch = services_.dispatch] {
        dispatch->async([weak] {
            auto self = weak.lock();
            if (!self || !self->managing.get()) return;
            self->apply();
        });
    };
    // A window confirmed back leaves the recovery file.
    access->onRestoreConfirmed = [weak] {
        if (auto self = weak.lock()) self->settleRecovery();
    };

    // The controllers, each holding the coordinator weakly.
    chrome = std::make_shared<ChromeController>(weak, services_, automaticUpdates);
    drops = std::make_shared<DropHandling>(weak);
    windowDrag = WindowDragController::make(std::make_shared<CoordinatorDragHost>(weak), services_, automaticUpdates);
    spatialInput = std::make_shared<SpatialInputController>(weak, automaticUpdates);
    pictures = WindowPictures::make(services_, pictureHost());

    // A destroyed window is forgotten at once: its number may name a new window next.
    windowClosure_ = services_.windowList->windowDidClose.connect([weak](std::uint32_t number) {
        if (auto self = weak.lock()) self->windowClosed(number);
    });

    // With automatic updates, one refresh now and the beat from now on; a window shown
    // between beats is docked without waiting for the next one.
    if (!automaticUpdates) return;
    windowAppearance_ = services_.windowList->windowDidAppear.connect([weak] {
        if (auto self = weak.lock()) self->windowAppeared();
    });
    refresh();
    timer = services_.dispatch->scheduleTimer(kBeatInterval, true, platform::RunLoopMode::defaultMode, [weak] {
        if (auto self = weak.lock()) self->beat();
    });
}

WindowPictures::Host Coordinator::pictureHost() {
    const std::weak_ptr<Coordinator> weak = weak_from_this();
    WindowPictures::Host host;
    host.previewsEnabled = [weak] {
        auto self = weak.lock();
        return self && self->previewsEnabled.get();
    };
    host.enablePreviews = [weak] {
        if (auto self = weak.lock()) self->previewsEnabled = true;
    };
    host.windows = [weak] {
        std::vector<WindowPictures::Subject> subjects;
        auto self = weak.lock();
        if (!self) return subjects;
        // A window shown by a miniature tile is pictured at the size the tile draws it, not at
        // its own: at a few hundred parked windows full-size pictures are most of the memory.
        std::map<std::string, Size> miniatures;
        for (const auto& panel : self->chrome->panels)
            if (panel->miniature && !panel->closed)
                miniatures[panel->miniature->identifier] = chrome::pictureArea(panel->frame.size());
        for (const auto& record : self->windows.get()) {
            WindowPictures::Subject subject{record->id, record->windowNumber, std::nullopt};
            if (const auto shown = miniatures.find(record->id); shown != miniatures.end())
                subject.shownAt = shown->second;
            subjects.push_back(std::move(subject));
        }
        return subjects;
    };
    host.knownWindow = [weak](const std::string& key) {
        auto self = weak.lock();
        return self && self->access->records.contains(key);
    };
    host.store = [weak](const std::string& key, WindowPicture picture) {
        auto self = weak.lock();
        if (!self) return false;
        const auto& images = self->previewImages.get();
        if (const auto kept = images.find(key); kept != images.end() && kept->second == picture) return false;
        self->previewImages.modify([&](auto& all) { all[key] = std::move(picture); });
        return true;
    };
    host.prune = [weak](const std::function<bool(const std::string&)>& keep) {
        auto self = weak.lock();
        if (!self) return;
        const auto& images = self->previewImages.get();
        if (std::all_of(images.begin(), images.end(), [&](const auto& entry) { return keep(entry.first); })) return;
        self->previewImages.modify(
            [&](auto& all) { std::erase_if(all, [&](const auto& entry) { return !keep(entry.first); }); });
    };
    host.managing = [weak] {
        auto self = weak.lock();
        return self && self->managing.get();
    };
    host.refreshChrome = [weak] {
        auto self = weak.lock();
        if (self && self->chrome) self->chrome->refreshPreviewImages(self->previewImages.get());
    };
    host.setStatus = [weak](std::string text) {
        if (auto self = weak.lock()) self->status = std::move(text);
    };
    return host;
}

void Coordinator::capturePreviews(const std::optional<std::set<std::string>>& keys,
                                  std::function<void(std::set<std::string>)> done) {
    pictures->capture(keys, std::move(done));
}

void Coordinator::enablePreviews() { pictures->enable(); }

bool Coordinator::screenCaptureAllowed() const {
    return services_.screenCapture && services_.screenCapture->preflightAccess();
}

void Coordinator::beat() {
    // A beat never stacks a second scan on one in flight, nor scans while frames are written.
    if (applying || scanInFlight) return;
    tick();
}

void Coordinator::tick() {
    std::set<std::string> previousKeys;
    for (const auto& record : windows.get()) previousKeys.insert(record->id);
    const std::weak_ptr<Coordinator> weak = weak_from_this();
    refresh([weak, previousKeys = std::move(previousKeys)] {
        if (auto self = weak.lock()) self->processTick(previousKeys);
    });
}

}  // namespace arvelo
