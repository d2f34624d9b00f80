// ApplicationShortcuts.cpp: the delegate's part in the arranger's global hot keys (registered
// at launch, released at termination) and in URL commands (run in the order given,
// from the command line or handed over by a later launch).

#include "Arvelo/Shell/Application.h"

#include "Arvelo/Commands/ArrangerHotKeys.h"
#include "Arvelo/Commands/URLCommandHandler.h"
#include "Arvelo/Coordinator/Coordinator.h"
#include "Arvelo/Map/WindowMap.h"
#include "TenvikKit/Controller/TenvikController.h"

namespace arvelo {

void Application::installShortcuts() {
    if (!coordinator_ || shortcuts_) return;
    shortcuts_ = std::make_unique<ArrangerHotKeys>(coordinator_, services_);
    shortcuts_->toggleWindowMap = [this] { windowMap_->toggle(coordinator_); };
    shortcuts_->installShortcuts();
}

void Application::open(const std::vector<std::string>& urls) {
    if (!coordinator_) {
        logger_.error("URLs arrived before the arranger started; they are dropped");
        return;
    }
    if (!urlCommands_) {
        urlCommands_ = std::make_unique<URLCommandHandler>(coordinator_, services_);
        urlCommands_->toggleWindowMap = [this] { windowMap_->toggle(coordinator_); };
        urlCommands_->togglePin = [this] {
            if (tenvik_) tenvik_->togglePin();
        };
        urlCommands_->releaseAll = [this] {
            if (tenvik_) tenvik_->releaseAll();
        };
    }
    urlCommands_->open(urls);
}

}  // namespace arvelo
