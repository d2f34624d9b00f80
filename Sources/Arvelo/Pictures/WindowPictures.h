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
        "Allow Vomira in Screen & System Audio Recording, then Arrange. Your windows are kept visible until previews "
        "are ready.";

    // One window to photograph: its key and its window number.
    struct Subject {
        std::string key;
        std::uint32_t windowNumber = 0;
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
    // (the pictures of an arrangement) is not started again while one is under way.
    void request(const std::set<std::string>& keys, bool asPreparation);
    bool preparing() const { return preparation_.has_value(); }
    // Stops the preparation under way, if any (arranging stopped).
    void cancelPreparation();

private:
    struct Pass;

    WindowPictures(platform::Services services, Host host);
    void step(const std::shared_ptr<Pass>& pass);
    void finish(const std::shared_ptr<Pass>& pass, bool completed);

    platform::Services services_;
    Host host_;
    platform::Logger logger_;
    std::optional<platform::AsyncTask> preparation_;
};

}  // namespace arvelo
