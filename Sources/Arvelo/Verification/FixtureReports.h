// SPDX-License-Identifier: MIT
// FixtureReports.h: the two fixture runs' reports as JSON values and files: the scenario's
// records (snapshot, stacking, error) and "scenario.json"; the verification report's start
// keys, early failure, verdict, final status line and its file. Texts of points, sizes and
// rectangles are those of Geometry.h ("{{x, y}, {w, h}}"). Files are written pretty-printed
// with sorted keys, atomically; every writer answers whether the file is there.
#pragma once

#include <nlohmann/json.hpp>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ArveloCore/Geometry.h"
#include "Platform/Environment.h"

namespace arvelo::fixture {

// ---- Shared
// The JSON text the reports are written in: pretty-printed, keys sorted at every depth.
std::string reportText(const nlohmann::json& value);
// Writes the text atomically (a temporary file beside it, then renamed over it); false when
// the file could not be written.
bool writeAtomically(const std::filesystem::path& file, const std::string& text);
// Two rectangles differ by less than the tolerance in each of x, y, width and height.
bool closeTo(const Rect& a, const Rect& b, double tolerance);
// Some two rectangles (i before j) intersect wider and taller than `margin` (both strictly).
bool anyOverlap(const std::vector<Rect>& rects, double margin);

// ---- Dock scenario
inline constexpr const char* kScenarioFile = "scenario.json";
inline constexpr const char* kScenarioDirVariable = "ARVELO_SCENARIO_DIR";
inline constexpr const char* kScenarioError = "needs Accessibility and exactly three fixture windows";
// Where the scenario writes: ARVELO_SCENARIO_DIR when set, else the state directory.
std::filesystem::path scenarioDirectory(const platform::Environment& environment, const std::filesystem::path& storage);
// The only record of a run that cannot start.
nlohmann::json scenarioErrorRecord(std::size_t windows);
// "scenario-<n>-<step>.png".
std::string screenshotName(std::size_t number, const std::string& step);
// Creates the directory (and its parents) and writes the records as "scenario.json" there.
bool writeScenario(const nlohmann::json& records, const std::filesystem::path& directory);

// ---- Integration verification
inline constexpr const char* kVerificationFile = "verification.json";
inline constexpr const char* kVerifyOutputVariable = "ARVELO_VERIFY_OUTPUT";
inline constexpr const char* kNeedsAccessibility = "Accessibility permission required";
inline constexpr const char* kOpenFixtureFirst = "Open ArveloFixture first";
inline constexpr const char* kDropPipelineScope =
    "programmatic production drop handler with real fixture windows; mouse event delivery requires UI test";
inline constexpr const char* kPassed = "passed";
inline constexpr const char* kFailed = "failed";
// The keys that must each hold true for "passed", in the order they are checked.
inline constexpr const char* kVerdictKeys[] = {
    "miniatureUIActionPresent", "miniatureUIActionInvoked", "cursorStableDuringArrange",
    "focusCursorStable",        "focusedNativeWindow",      "focusedNativeFrameMatchesPane",
    "tabSwitchNativeWindow",    "originalFramesRestored",   "arrangeKeepsSeparateTiles",
    "noOverlappingPanes",       "noSingleWindowBars",       "centerDropCreatesTabs",
    "tabTearOffCreatesSplit",   "dropKeepsAllWindows",      "pointerStableAcrossDrops",
};

// The report file: ARVELO_VERIFY_OUTPUT (the file itself) when set, else "verification.json"
// in the state directory.
std::filesystem::path verificationOutput(const platform::Environment& environment,
                                         const std::filesystem::path& storage);
// Seconds since 1970 as "YYYY-MM-DDTHH:MM:SSZ" (UTC, whole seconds).
std::string isoTimestamp(double seconds);
// "accessibility", "scope" and "timestamp".
nlohmann::json startReport(bool trusted, double now);
// "passed" when "miniatureCount" is at least 1 and every verdict key holds true.
std::string verdict(const nlohmann::json& report);
// Creates the file's folder and writes the report there.
bool writeVerification(const nlohmann::json& report, const std::filesystem::path& file);
// The status line at the end of a full run: the verdict, whether the windows are back, and a
// report that could not be written said as a failure.
std::string finalStatus(const std::string& verdict, bool originalFramesRestored, bool written,
                        const std::filesystem::path& file);

}  // namespace arvelo::fixture
