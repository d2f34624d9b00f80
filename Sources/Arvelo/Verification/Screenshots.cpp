// SPDX-License-Identifier: MIT
// Screenshots.cpp: one screenshot, raced against its time limit on the main thread.
#include "Arvelo/Verification/Screenshots.h"

namespace arvelo::fixture {

std::shared_ptr<Screenshots> Screenshots::make(platform::Services services, PngWriter writer) {
    return std::shared_ptr<Screenshots>(new Screenshots(std::move(services), std::move(writer)));
}

Screenshots::Screenshots(platform::Services services, PngWriter writer)
    : services_(std::move(services)),
      writer_(std::move(writer)),
      queue_(services_.dispatch->makeSerialQueue(kQueueLabel)),
      logger_(services_.logger("windows")) {}

void Screenshots::take(const std::filesystem::path& file, std::function<void(bool written)> done) {
    // Whichever comes first, the answer or the time limit, settles the screenshot.
    struct Pending {
        std::function<void(bool)> done;
        platform::TimerHandle limit;
    };
    auto pending = std::make_shared<Pending>(Pending{std::move(done), {}});
    const auto settle = [pending](bool written) {
        if (!pending->done) return;
        pending->limit.invalidate();
        auto finished = std::move(pending->done);
        pending->done = nullptr;
        finished(written);
    };
    const platform::Logger logger = logger_;
    pending->limit = services_.dispatch->after(kTimeLimit, [settle, logger, file] {
        logger.error("The screenshot " + file.filename().string() + " took too long and was given up");
        settle(false);
    });
    if (!services_.screenCapture || !writer_) {
        logger.error("No screen capture here: the screenshot " + file.filename().string() + " is left out");
        settle(false);
        return;
    }
    queue_->async(
        [capture = services_.screenCapture, writer = writer_, dispatch = services_.dispatch, file, settle, logger] {
            const platform::CaptureOutcome outcome = capture->captureScreen();
            const bool written = outcome.image && writer(*outcome.image, file);
            dispatch->async([settle, written, logger, file, error = outcome.error] {
                if (!written)
                    logger.error("The screenshot " + file.filename().string() + " could not be taken" +
                                 (error.empty() ? std::string() : ": " + error));
                settle(written);
            });
        });
}

}  // namespace arvelo::fixture
