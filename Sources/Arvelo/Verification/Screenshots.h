// SPDX-License-Identifier: MIT
// Screenshots.h: the fixture runs' pictures of the whole screen: taken in process through the
// platform's screen capture on a background queue of their own, handed to a PNG writer (the
// view layer's, which knows an image format), and bounded in time: a capture or write that has
// not answered within kTimeLimit seconds counts as failed, and its late answer is dropped.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>

#include "Platform/ScreenCapture.h"
#include "Platform/Services.h"

namespace arvelo::fixture {

// Writes the picture as a PNG file; false when it could not. Called on a background queue.
using PngWriter = std::function<bool(const platform::CapturedImage&, const std::filesystem::path&)>;

class Screenshots : public std::enable_shared_from_this<Screenshots> {
public:
    static constexpr double kTimeLimit = 5.0;
    static constexpr const char* kQueueLabel = "org.vomira.Arvelo.screenshot";

    static std::shared_ptr<Screenshots> make(platform::Services services, PngWriter writer);

    // Captures the screen into `file`; `done` runs once on the main thread with whether the
    // file was written, at the latest kTimeLimit seconds from now.
    void take(const std::filesystem::path& file, std::function<void(bool written)> done);

private:
    Screenshots(platform::Services services, PngWriter writer);

    platform::Services services_;
    PngWriter writer_;
    std::shared_ptr<platform::SerialQueue> queue_;
    platform::Logger logger_;
};

}  // namespace arvelo::fixture
