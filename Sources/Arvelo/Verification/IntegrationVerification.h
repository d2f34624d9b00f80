// SPDX-License-Identifier: MIT
// IntegrationVerification.h: the unattended self-check of the arranger against the fixture
// application's three windows: arrange, press a miniature tile through its accessibility press,
// step out, drop twice through the production drop handler, free every window, and measure
// after each stage; the measurements and a "passed" or "failed" verdict go to
// "verification.json". Waits are delayed callbacks on the platform's scheduler (the
// coordinator's beat runs between them); the run holds the coordinator weakly.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "ArveloCore/Geometry.h"
#include "ArveloCore/Tile.h"
#include "Platform/Services.h"

namespace arvelo {

class VerificationHost;

namespace fixture {

class IntegrationVerification : public std::enable_shared_from_this<IntegrationVerification> {
public:
    static constexpr double kArrangeWait = 4.8;
    static constexpr double kFocusWait = 3.5;
    static constexpr double kRestoreWait = 1.5;
    // A native frame, or a restored one, counts as in place within this many points.
    static constexpr double kFrameTolerance = 4;
    static constexpr const char* kFixtureOnlyFlag = "--fixture-only";

    // What a run leaves behind.
    struct Outcome {
        bool blocked = false;  // it could not start (the early-failure report)
        std::string verdict;   // "passed" or "failed" after a full run
        bool written = false;  // the report file is there
        std::filesystem::path file;
        nlohmann::json report;
    };

    static void run(const std::shared_ptr<VerificationHost>& coordinator, std::function<void(const Outcome&)> finished);

private:
    using Next = std::function<void()>;

    IntegrationVerification(const std::shared_ptr<VerificationHost>& coordinator,
                            std::function<void(const Outcome&)> finished);
    void begin();
    bool start(VerificationHost& c);
    void arranged(VerificationHost& c);
    void pressMiniature(VerificationHost& c);
    void focused(VerificationHost& c);
    void dropsAndRestore(VerificationHost& c);
    void restored(VerificationHost& c);
    void blocked(VerificationHost& c, const std::string& reason);
    void finish(Outcome outcome);
    // Runs `step` on the arranger `seconds` from now (not when it is gone).
    void after(double seconds, std::function<void(IntegrationVerification&, VerificationHost&)> step);

    Point pointer(VerificationHost& c) const;
    // Every display's current tiles, in `displays` order.
    std::vector<Tile> allTiles(VerificationHost& c) const;

    std::weak_ptr<VerificationHost> coordinator_;
    platform::Logger logger_;
    std::function<void(const Outcome&)> finished_;
    nlohmann::json report_ = nlohmann::json::object();
    std::filesystem::path output_;
    std::map<std::string, Rect> originalFrames_;
    std::vector<std::string> keys_;
    std::shared_ptr<int> motion_ = std::make_shared<int>(0);
    std::shared_ptr<void> motionMonitor_;
    Point arrangePointer_;
    std::string target_;
    Point focusPointer_;
};

}  // namespace fixture
}  // namespace arvelo
