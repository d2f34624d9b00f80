// SPDX-License-Identifier: MIT
// ApplicationShortcuts.cpp: the delegate's part in the arranger's global hot keys (registered
// at launch, released at termination) and in URL commands (run in the order given,
// from the command line or handed over by a later launch).

#include "Arvelo/Shell/Application.h"

#include "Arvelo/Commands/ArrangerHotKeys.h"
#include "Arvelo/Commands/CommandHost.h"
#include "Arvelo/Commands/URLCommandHandler.h"
#include "Arvelo/Map/WindowMap.h"
#include "Arvelo/Map/WindowMapHost.h"
#include "TenvikKit/Controller/TenvikController.h"

namespace arvelo {

void Application::installShortcuts() {
    if (!arranger() || shortcuts_) return;
    shortcuts_ = std::make_unique<ArrangerHotKeys>(commandHost(), services_);
    shortcuts_->toggleWindowMap = [this] { windowMap_->toggle(mapHost()); };
    shortcuts_->installShortcuts();
}

void Application::open(const std::vector<std::string>& urls) {
    if (!arranger()) {
        logger_.error("URLs arrived before the arranger started; they are dropped");
        return;
    }
    if (!urlCommands_) {
        urlCommands_ = std::make_unique<URLCommandHandler>(commandHost(), services_);
        urlCommands_->toggleWindowMap = [this] { windowMap_->toggle(mapHost()); };
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
