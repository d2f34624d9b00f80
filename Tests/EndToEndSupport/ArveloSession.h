// SPDX-License-Identifier: MIT
// ArveloSession.h: one end-to-end test's world on the X desktop it runs on: a private arvelo
// home, the programs the test started (stopped when the session ends, before the home goes),
// and the probe that reads back what the X server shows.
#pragma once

#include "ArveloHome.h"
#include "ChildProcess.h"
#include "XProbe.h"

#include <memory>
#include <vector>

namespace e2e {

class ArveloSession {
public:
    explicit ArveloSession(const std::string& name) : home(name) {}

    // Starts a program that runs until the test ends (or it ends itself).
    ChildProcess& start(const std::string& program, const std::vector<std::string>& arguments,
                        const std::map<std::string, std::string>& environment = {}, const std::string& logFile = {});
    // Starts the arvelo named by $ARVELO with this home's environment (and `extraEnvironment`),
    // its output in the home's file `log`.
    ChildProcess& runArvelo(const std::vector<std::string>& arguments = {}, const std::string& log = "arvelo.log",
                            const std::map<std::string, std::string>& extraEnvironment = {});
    std::size_t programCount() const { return programs_.size(); }

    // Starts the fixture application at `fixturePath` and then arvelo in fixture mode, and answers
    // the fixture's three windows once arvelo has tiled them and they hold still (fewer frames
    // when that does not happen within `seconds` per wait); `original` gets the frames the
    // fixture's windows had before arvelo started.
    Frames arrangedFixture(const std::string& fixturePath, double seconds, Frames* original = nullptr);

    // The frames, one a line, and arvelo's log: what a failed check shows.
    std::string describe(const Frames& frames) const;

    ArveloHome home;
    XProbe probe;

private:
    std::vector<std::unique_ptr<ChildProcess>> programs_;
};

}  // namespace e2e
