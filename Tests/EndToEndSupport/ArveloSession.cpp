// SPDX-License-Identifier: MIT
// ArveloSession.cpp: starting programs and arvelo in the session, and describing frames.
#include "ArveloSession.h"

namespace e2e {

namespace {

constexpr double kFewBeatsStill = 3;  // seconds: four 0.7 s beats without a move

}  // namespace

ChildProcess& ArveloSession::start(const std::string& program, const std::vector<std::string>& arguments,
                                   const std::map<std::string, std::string>& environment, const std::string& logFile) {
    programs_.push_back(std::make_unique<ChildProcess>(program, arguments, environment, logFile));
    return *programs_.back();
}

ChildProcess& ArveloSession::runArvelo(const std::vector<std::string>& arguments, const std::string& log,
                                       const std::map<std::string, std::string>& extraEnvironment) {
    auto environment = home.environment();
    for (const auto& [name, value] : extraEnvironment) environment[name] = value;
    return start(environmentValue("ARVELO"), arguments, environment, home.path(log).string());
}

Frames ArveloSession::arrangedFixture(const std::string& fixturePath, double seconds, Frames* originalFrames) {
    const std::vector<std::string> fixture = {"org.vomira.ArveloFixture"};
    start(fixturePath, {});
    const Frames original =
        probe.settledFrames(fixture, [](const Frames& frames) { return frames.size() == 3; }, seconds);
    if (originalFrames) *originalFrames = original;
    // Fixture mode: arvelo arranges only the fixture's windows.
    runArvelo({"--fixture-only"});
    probe.settledFrames(
        fixture,
        [&](const Frames& frames) {
            if (frames.size() != 3 || anyOverlap(frames)) return false;
            for (const auto& [window, frame] : frames)
                if (original.count(window) && frame == original.at(window)) return false;
            return true;
        },
        seconds);
    // A window's minimum size is learnt from its first placements and re-tiles the rest, a
    // beat or two later: the arrangement holds once it has held still for a few beats.
    return probe.settledFrames(
        fixture, [&](const Frames& frames) { return frames.size() == 3 && !anyOverlap(frames); }, seconds,
        kFewBeatsStill);
}

std::string ArveloSession::describe(const Frames& frames) const {
    std::string text;
    for (const auto& [window, frame] : frames) text += std::to_string(window) + " " + frame.text() + "\n";
    return text + "arvelo log:\n" + home.read("arvelo.log");
}

}  // namespace e2e
