// SPDX-License-Identifier: MIT
// WindowPictures.cpp: the picture pass, turning pictures on, and requests for pictures.
#include "Arvelo/Pictures/WindowPictures.h"

#include <algorithm>
#include <cmath>

namespace arvelo {

struct WindowPictures::Pass {
    std::optional<std::set<std::string>> keys;
    std::vector<Subject> subjects;
    std::vector<platform::ShareableWindow> content;
    std::size_t next = 0;
    std::set<std::string> stored;
    std::map<std::string, std::optional<Size>> storedAt;  // the size each was asked at
    std::optional<std::uint64_t> drawStamp;               // the platform's count at the start
    bool changed = false;  // a picture stored differs from the one the cache held
    platform::AsyncTask task;
    std::function<void(std::set<std::string>)> done;
};

std::shared_ptr<WindowPictures> WindowPictures::make(platform::Services services, Host host) {
    return std::shared_ptr<WindowPictures>(new WindowPictures(std::move(services), std::move(host)));
}

WindowPictures::WindowPictures(platform::Services services, Host host)
    : services_(std::move(services)), host_(std::move(host)), logger_(services_.logger("windows")) {}

platform::AsyncTask WindowPictures::capture(const std::optional<std::set<std::string>>& keys,
                                            std::function<void(std::set<std::string>)> done) {
    auto pass = std::make_shared<Pass>();
    pass->keys = keys;
    pass->done = std::move(done);
    if (!host_.previewsEnabled() || !services_.screenCapture->preflightAccess()) {
        services_.dispatch->async([pass] {
            if (pass->done) pass->done({});
        });
        return pass->task;
    }
    // Taken before anything is read: drawing from now on counts against this pass.
    pass->drawStamp = services_.screenCapture->drawStamp();
    pass->subjects = host_.windows();
    std::string error;
    auto content = services_.screenCapture->shareableWindows(false, &error);
    if (!content) {
        // The reason is a sentence of its own: its closing period is the suffix's.
        while (!error.empty() && (error.back() == '.' || error.back() == ' ')) error.pop_back();
        host_.setStatus(kUnavailablePrefix + error + kUnavailableSuffix);
        services_.dispatch->async([self = shared_from_this(), pass] { self->finish(pass, false); });
        return pass->task;
    }
    pass->content = std::move(*content);
    const std::weak_ptr<WindowPictures> weak = weak_from_this();
    services_.dispatch->async([weak, pass] {
        if (auto self = weak.lock()) self->step(pass);
    });
    return pass->task;
}

void WindowPictures::step(const std::shared_ptr<Pass>& pass) {
    while (pass->next < pass->subjects.size()) {
        const Subject subject = pass->subjects[pass->next++];
        if (pass->keys && !pass->keys->contains(subject.key)) continue;
        if (pass->task.isCancelled()) return finish(pass, false);
        const auto match = std::find_if(pass->content.begin(), pass->content.end(),
                                        [&](const auto& window) { return window.windowID == subject.windowNumber; });
        if (match == pass->content.end()) continue;

        const double pixelScale = services_.screenCapture->pointPixelScale(*match);
        int width = static_cast<int>(std::trunc(match->frame.width * pixelScale));
        int height = static_cast<int>(std::trunc(match->frame.height * pixelScale));
        if (subject.shownAt && width > 0 && height > 0) {
            // No more pixels than the picture is shown with.
            const double f = std::min({1.0, subject.shownAt->width / match->frame.width,
                                       subject.shownAt->height / match->frame.height});
            // (A whole number of pixels is not lost to rounding: 600 × (100 / 600) is 100.)
            width = std::max(1, static_cast<int>(std::trunc(width * f + 1e-6)));
            height = std::max(1, static_cast<int>(std::trunc(height * f + 1e-6)));
        }
        auto outcome = services_.screenCapture->captureWindow(*match, width, height);
        if (pass->task.isCancelled()) return finish(pass, false);
        if (!outcome.image || outcome.image->empty()) {
            // One window that cannot be captured (it just closed, it is not shown) costs only
            // its own picture.
            logger_.debug("No picture of a window: " + outcome.error, subject.key);
            continue;
        }
        WindowPicture picture{outcome.image->width, outcome.image->height, std::move(outcome.image->pixels),
                              match->frame.size()};
        if (host_.store(subject.key, std::move(picture))) pass->changed = true;
        pass->stored.insert(subject.key);
        pass->storedAt[subject.key] = subject.shownAt;

        // The next window on the next turn of the main queue, so a pass never holds the main
        // thread for more than one picture.
        const std::weak_ptr<WindowPictures> weak = weak_from_this();
        services_.dispatch->async([weak, pass] {
            if (auto self = weak.lock()) self->step(pass);
        });
        return;
    }
    finish(pass, true);
}

void WindowPictures::finish(const std::shared_ptr<Pass>& pass, bool completed) {
    if (completed && pass->drawStamp)
        lastPass_ = Taken{*pass->drawStamp, std::move(pass->storedAt)};
    else
        lastPass_.reset();
    // Pictures that came back the same (nothing was drawn) give the chrome nothing to redraw.
    if (completed && pass->changed && host_.managing()) host_.refreshChrome();
    // Pictures of windows that left the window table are of no use to anyone any more.
    host_.prune([this](const std::string& key) { return host_.knownWindow(key); });
    if (pass->done) pass->done(pass->stored);
}

void WindowPictures::enable() {
    if (services_.screenCapture->preflightAccess()) {
        host_.enablePreviews();
        capture(std::nullopt, nullptr);
        return;
    }
    // Asking for the list of windows makes the desktop list this program among those that
    // want to capture; the answer itself is not needed.
    services_.dispatch->async([capture = services_.screenCapture] { capture->shareableWindows(true, nullptr); });
    services_.screenCapture->requestAccess();
    host_.setStatus(kAllowStatus);
}

void WindowPictures::request(const std::set<std::string>& keys, bool asPreparation) {
    if (keys.empty() || !host_.previewsEnabled() || !services_.screenCapture->preflightAccess()) return;
    if (!asPreparation) {
        if (!unchangedSinceLastPass(keys)) capture(keys, nullptr);
        return;
    }
    if (preparation_) return;
    const std::weak_ptr<WindowPictures> weak = weak_from_this();
    auto task = std::make_shared<std::optional<platform::AsyncTask>>();
    const platform::AsyncTask started = capture(keys, [weak, task](std::set<std::string>) {
        auto self = weak.lock();
        if (self && *task && self->preparation_ == **task) self->preparation_.reset();
    });
    *task = started;
    preparation_ = started;
}

bool WindowPictures::unchangedSinceLastPass(const std::set<std::string>& keys) const {
    if (!lastPass_) return false;
    const auto stamp = services_.screenCapture->drawStamp();
    if (!stamp || *stamp != lastPass_->drawStamp) return false;
    // Every window asked for was stored then, at the size it would be asked at now.
    for (const Subject& subject : host_.windows()) {
        if (!keys.contains(subject.key)) continue;
        const auto stored = lastPass_->stored.find(subject.key);
        if (stored == lastPass_->stored.end() || stored->second != subject.shownAt) return false;
    }
    return true;
}

void WindowPictures::cancelPreparation() {
    if (!preparation_) return;
    preparation_->cancel();
    preparation_.reset();
}

}  // namespace arvelo
