// CoordinatorPreviews.cpp: window pictures for miniature tiles and the overview: when they
// are asked for, and the capture itself.
#include "Arvelo/Coordinator/Coordinator.h"

namespace arvelo {

void Coordinator::capturePreviews(const std::optional<std::set<std::string>>& keys,
                                  std::function<void(std::set<std::string>)> done) {
    // The capture of pictures comes with the window-picture change; until then nothing is
    // captured and the caller learns so on the main queue, as it would after a capture.
    (void)keys;
    services_.dispatch->async([done = std::move(done)] {
        if (done) done({});
    });
}

void Coordinator::requestPreviews(const std::set<std::string>& keys, bool asPreparation) {
    if (keys.empty() || !previewsEnabled.get() || !services_.screenCapture->preflightAccess()) return;
    const std::weak_ptr<Coordinator> weak = weak_from_this();
    if (!asPreparation) {
        capturePreviews(keys, [](std::set<std::string>) {});
        return;
    }
    if (previewPreparation) return;
    const AsyncTask task;
    previewPreparation = task;
    capturePreviews(keys, [weak, task](std::set<std::string>) {
        auto self = weak.lock();
        if (self && self->previewPreparation == task) self->previewPreparation.reset();
    });
}

}  // namespace arvelo
