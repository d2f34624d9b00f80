// SPDX-License-Identifier: MIT
// WindowPictures.h: taking the window pictures that the coordinator publishes in its picture
// cache (previewImages): one pass photographs the windows one after another, a window per
// turn of the main queue, skips a window that cannot be captured and goes on, tells the chrome
// once the pass is over when a picture changed, and drops pictures of windows that left the
// window table. Also turning
// pictures on (or asking for the permission), and the owner's requests for pictures. Reaches
// its owner only through the Host below.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Arvelo/Pictures/WindowPicture.h"
#include "Platform/AsyncTask.h"
#include "Platform/Services.h"

namespace arvelo {

class WindowPictures : public std::enable_shared_from_this<WindowPictures> {
public:
    static constexpr const char* kUnavailablePrefix = "Window previews unavailable: ";
    static constexpr const char* kUnavailableSuffix = ". Native windows have been kept visible.";
    static constexpr const char* kAllowStatus =
        "Window previews need the X server's Composite extension, which this X server does not offer. Your "
        "windows are kept visible without previews.";

    // One window to photograph: its key, its window number and, when its picture is only ever
    // shown smaller (a miniature tile), the size in points it is shown at: the picture is then
    // taken at that size (proportions kept), not at the window's.
    struct Subject {
        std::string key;
        std::uint32_t windowNumber = 0;
        std::optional<Size> shownAt;
    };

    // What a pass needs of the picture cache's owner.
    struct Host {
        std::function<bool()> previewsEnabled;
        std::function<void()> enablePreviews;                     // sets previewsEnabled
        std::function<std::vector<Subject>()> windows;            // the window table's windows, in order
        std::function<bool(const std::string& key)> knownWindow;  // still in the window table
        // Answers whether the cache changed: a picture equal to the one kept is not stored again.
        std::function<bool(const std::string& key, WindowPicture picture)> store;
        // Drops the pictures whose keys `keep` says no to.
        std::function<void(const std::function<bool(const std::string&)>& keep)> prune;
        std::function<bool()> managing;
        std::function<void()> refreshChrome;
        std::function<void(std::string)> setStatus;
    };

    static std::shared_ptr<WindowPictures> make(platform::Services services, Host host);

    // Photographs the windows with these keys (every window when absent) into the cache and
    // hands the keys stored by this pass to `done` on the main thread. Nothing is taken while
    // pictures are off or capture is not allowed. The returned task cancels the pass.
    platform::AsyncTask capture(const std::optional<std::set<std::string>>& keys,
                                std::function<void(std::set<std::string>)> done);
    // Turns pictures on and takes them, or asks for the permission and says so on the status line.
    void enable();
    // Starts a pass for these keys when pictures are on and capture is allowed. A preparation
    // (the pictures of an arrangement) is not started again while one is under way. Any other
    // request is let go when the last whole pass already stored each of these windows at the
    // size asked now and the platform tells that nothing was drawn since it started.
    void request(const std::set<std::string>& keys, bool asPreparation);
    bool preparing() const { return preparation_.has_value(); }
    // Stops the preparation under way, if any (arranging stopped).
    void cancelPreparation();

private:
    struct Pass;

    WindowPictures(platform::Services services, Host host);
    void step(const std::shared_ptr<Pass>& pass);
    // Whether a pass over these keys would take the pictures it took last time.
    bool unchangedSinceLastPass(const std::set<std::string>& keys) const;
    void finish(const std::shared_ptr<Pass>& pass, bool completed);

    platform::Services services_;
    Host host_;
    platform::Logger logger_;
    std::optional<platform::AsyncTask> preparation_;
    // The last pass that ran to its end: the platform's drawing count when it started, and
    // each window it stored with the size it was asked at.
    struct Taken {
        std::uint64_t drawStamp = 0;
        std::map<std::string, std::optional<Size>> stored;
    };
    std::optional<Taken> lastPass_;
};

}  // namespace arvelo
