// IdleBeatTests.cpp: what the beat costs while nothing happens, and how soon it follows what
// does: a quiet beat reads nothing of windows whose facts no notification changed and leaves
// the diagnostics file alone, the file is written at most once per beat, and a window that
// appears is docked at once while the drift and retry rules still count beats.
#include "TickScene.h"

#include <filesystem>

using namespace arvelo;
using arvelo::testing::TickScene;
using platform::sim::WindowHandle;

namespace {

class IdleBeat : public TickScene {
protected:
    platform::sim::AppHandle editor() { return desktop.launch("org.example.Editor", "Editor"); }

    std::filesystem::file_time_type diagnosticsWritten() const {
        return std::filesystem::last_write_time(stateDirectory() / StateFiles::kDiagnostics);
    }
    nlohmann::json diagnostics() const { return nlohmann::json::parse(readState(StateFiles::kDiagnostics)); }
    std::string firstTileFrame() const { return diagnostics()["layouts"][0]["tiles"][0]["frame"]; }
};

TEST_F(IdleBeat, QuietBeatsLeaveTheDiagnosticsFileAloneUntilWhatItSaysChanges) {
    desktop.addDisplay("Built-in", {1440, 900});
    auto app = editor();
    auto a = app.openWindow("a", {40, 40, 500, 350});
    app.openWindow("b", {100, 100, 500, 350});
    start();
    wait(3.0);  // the arrangement's checks have run out
    const auto written = diagnosticsWritten();
    const std::string text = readState(StateFiles::kDiagnostics);

    wait(5.0);  // seven beats, each a second or so later by the clock
    EXPECT_EQ(diagnosticsWritten(), written);
    EXPECT_EQ(readState(StateFiles::kDiagnostics), text);

    a.minimize();
    wait(Coordinator::kBeatInterval);
    EXPECT_NE(readState(StateFiles::kDiagnostics), text);
}

TEST_F(IdleBeat, TheDiagnosticsFileIsWrittenAtMostOncePerBeat) {
    desktop.addDisplay("Built-in", {1440, 900});
    auto app = editor();
    app.openWindow("a", {40, 40, 500, 350});
    start();
    wait(3.0);

    // Three arrangements in one moment: the first is written at once, the last one a beat
    // later, the one between never.
    coordinator->gap = 20.0;
    coordinator->apply();
    EXPECT_EQ(firstTileFrame(), "{{20, 20}, {1400, 860}}");
    coordinator->gap = 30.0;
    coordinator->apply();
    coordinator->gap = 40.0;
    coordinator->apply();
    EXPECT_EQ(firstTileFrame(), "{{20, 20}, {1400, 860}}");
    wait(0.6);
    EXPECT_EQ(firstTileFrame(), "{{20, 20}, {1400, 860}}");
    wait(0.15);
    EXPECT_EQ(firstTileFrame(), "{{40, 40}, {1360, 820}}");
}

}  // namespace
