// SPDX-License-Identifier: MIT
// DockScenario.h: the scripted docking scenario against the fixture application's three
// windows: fixed steps through the arranger's real operations and its production drop handler,
// after each a snapshot record (the display's tree, tiles, windows and panels) and a screenshot,
// then "scenario.json". It judges nothing. Waits are delayed callbacks on the platform's
// scheduler, so the coordinator's own beat runs between them; the run holds the coordinator
// weakly and keeps itself alive through its pending callbacks.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "Arvelo/State/DisplayInfo.h"
#include "Arvelo/Verification/Screenshots.h"
#include "ArveloCore/Tile.h"
#include "Platform/Services.h"

namespace arvelo {

class VerificationHost;

namespace fixture {

class DockScenario : public std::enable_shared_from_this<DockScenario> {
public:
    // Before each snapshot, and after the stacking check's move.
    static constexpr double kSnapshotWait = 4.5;
    static constexpr double kStackingWait = 0.7;
    // Step 2 makes the first window this much narrower (never narrower than 1 point).
    static constexpr double kNarrowing = 150;
    // The tab bar of the stacking check: lower than this, wider than that.
    static constexpr double kBarMaxHeight = 60;
    static constexpr double kBarMinWidth = 300;
    // Two live windows overlap when they share more than this in both directions.
    static constexpr double kOverlapMargin = 4;

    // `finished(true)` after the last step and the report; `finished(false)` when the run could
    // not start (the report then holds the error record) or the coordinator went away.
    static void run(const std::shared_ptr<VerificationHost>& coordinator, PngWriter writer,
                    std::function<void(bool completed)> finished);

    // The records so far (for tests and the log).
    const nlohmann::json& report() const { return report_; }

private:
    using Next = std::function<void()>;
    struct Step {
        std::string name;  // the snapshot's name; empty for the stacking check
        std::function<void(VerificationHost&)> action;
    };

    DockScenario(const std::shared_ptr<VerificationHost>& coordinator, PngWriter writer,
                 std::function<void(bool)> finished);
    void begin();
    void check();
    void runStep(std::size_t index);
    void snapshot(const std::string& name, Next next);
    nlohmann::json snapshotRecord(VerificationHost& coordinator, const std::string& name) const;
    void stackingCheck(Next next);
    void stackingRecord(VerificationHost& coordinator, const std::string& moved);
    void end(bool completed);

    // The pane that shows the window now; none for a hidden tab.
    std::optional<Tile> pane(VerificationHost& coordinator, const std::string& key) const;
    void drop(VerificationHost& coordinator, const std::string& key, Point point) const;
    void after(double seconds, Next next);
    std::vector<Step> steps();

    std::weak_ptr<VerificationHost> coordinator_;
    platform::Logger logger_;
    std::shared_ptr<Screenshots> screenshots_;
    std::function<void(bool)> finished_;
    std::filesystem::path directory_;
    nlohmann::json report_ = nlohmann::json::array();
    DisplayInfo display_;
    std::vector<std::string> keys_;  // first, second, third window by title
    std::vector<Step> steps_;
};

}  // namespace fixture
}  // namespace arvelo
