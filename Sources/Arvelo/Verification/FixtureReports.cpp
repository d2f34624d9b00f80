// SPDX-License-Identifier: MIT
// FixtureReports.cpp: record and report forms, the verdict, the status line and the writers.
#include "Arvelo/Verification/FixtureReports.h"

#include "Arvelo/Windows/WindowAccess.h"
#include "Platform/Files.h"

#include <cmath>
#include <ctime>
#include <fstream>
#include <system_error>

#include <unistd.h>

namespace arvelo::fixture {

std::string reportText(const nlohmann::json& value) {
    // nlohmann::json keeps object keys sorted; replace bad UTF-8 rather than throw.
    return value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

bool writeAtomically(const std::filesystem::path& file, const std::string& text) {
    // A temporary file of a random name, created exclusively beside the report: nothing planted
    // at a name known in advance can take the write elsewhere.
    return platform::writeFileAtomically(file, text);
}

bool closeTo(const Rect& a, const Rect& b, double tolerance) {
    return std::abs(a.minX() - b.minX()) < tolerance && std::abs(a.minY() - b.minY()) < tolerance &&
           std::abs(a.absWidth() - b.absWidth()) < tolerance && std::abs(a.absHeight() - b.absHeight()) < tolerance;
}

bool anyOverlap(const std::vector<Rect>& rects, double margin) {
    for (std::size_t i = 0; i < rects.size(); ++i)
        for (std::size_t j = i + 1; j < rects.size(); ++j) {
            const Rect overlap = rects[i].intersection(rects[j]);
            if (!overlap.isNull() && overlap.width > margin && overlap.height > margin) return true;
        }
    return false;
}

std::filesystem::path scenarioDirectory(const platform::Environment& environment,
                                        const std::filesystem::path& storage) {
    if (const auto directory = environment.variable(kScenarioDirVariable)) return std::filesystem::path(*directory);
    return storage;
}

nlohmann::json scenarioErrorRecord(std::size_t windows) {
    return {{"error", kScenarioError}, {"windows", static_cast<std::int64_t>(windows)}};
}

std::string screenshotName(std::size_t number, const std::string& step) {
    return "scenario-" + std::to_string(number) + "-" + step + ".png";
}

bool writeScenario(const nlohmann::json& records, const std::filesystem::path& directory) {
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    return writeAtomically(directory / kScenarioFile, reportText(records));
}

std::filesystem::path verificationOutput(const platform::Environment& environment,
                                         const std::filesystem::path& storage) {
    if (const auto file = environment.variable(kVerifyOutputVariable)) return std::filesystem::path(*file);
    return storage / kVerificationFile;
}

std::string isoTimestamp(double seconds) {
    const std::time_t whole = static_cast<std::time_t>(std::floor(seconds));
    std::tm utc{};
    gmtime_r(&whole, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

nlohmann::json startReport(bool trusted, double now) {
    return {{"accessibility", trusted}, {"scope", std::string(kFixtureApplicationID)}, {"timestamp", isoTimestamp(now)}};
}

std::string verdict(const nlohmann::json& report) {
    const auto count = report.find("miniatureCount");
    if (count == report.end() || !count->is_number_integer() || count->get<std::int64_t>() < 1) return kFailed;
    for (const char* key : kVerdictKeys) {
        const auto value = report.find(key);
        if (value == report.end() || !value->is_boolean() || !value->get<bool>()) return kFailed;
    }
    return kPassed;
}

bool writeVerification(const nlohmann::json& report, const std::filesystem::path& file) {
    std::error_code error;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), error);
    return writeAtomically(file, reportText(report));
}

std::string finalStatus(const std::string& verdict, bool originalFramesRestored, bool written,
                        const std::filesystem::path& file) {
    if (!written) return "Fixture verification failed: its report could not be written to " + file.string() + ".";
    std::string status = "Fixture verification " + verdict + ".";
    status += originalFramesRestored ? " Original positions restored."
                                     : " Some windows are not back at their original positions.";
    return status;
}

}  // namespace arvelo::fixture
