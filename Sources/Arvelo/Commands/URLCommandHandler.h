// SPDX-License-Identifier: MIT
// URLCommandHandler.h: runs "arvelo://" URLs handed to the program (on its command line or by a
// later launch): one command per URL, in the order given, on the arranger's current
// selection. Strings that are not URLs of the scheme are logged and skipped.
#pragma once

#include "Arvelo/Commands/URLCommand.h"
#include "Platform/Services.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace arvelo {

class CommandHost;

class URLCommandHandler {
public:
    URLCommandHandler(std::shared_ptr<CommandHost> arranger, platform::Services services);

    void open(const std::vector<std::string>& urls);
    void run(URLCommand command);

    // What the kit and the window map do for "pin", "release-all" and "map" (filled by them).
    std::function<void()> togglePin;
    std::function<void()> releaseAll;
    std::function<void()> toggleWindowMap;

private:
    std::shared_ptr<CommandHost> arranger_;
    platform::Services services_;
    platform::Logger logger_;
};

}  // namespace arvelo
