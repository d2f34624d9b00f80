// SPDX-License-Identifier: MIT
// URLCommandHandler.cpp: the command of each host, run on the arranger.
#include "Arvelo/Commands/URLCommandHandler.h"

#include "Arvelo/Commands/ArrangerHotKeyTable.h"
#include "Arvelo/Commands/CommandHost.h"

namespace arvelo {

namespace {

// How much of a skipped string a log line quotes.
constexpr std::size_t kQuotedLength = 200;

}  // namespace

URLCommandHandler::URLCommandHandler(std::shared_ptr<CommandHost> arranger, platform::Services services)
    : arranger_(std::move(arranger)), services_(std::move(services)), logger_(services_.logger("windows")) {}

void URLCommandHandler::open(const std::vector<std::string>& urls) {
    for (const std::string& url : urls) {
        const URLCommandParse parse = parseURLCommand(url);
        if (!parse.command) {
            std::string quoted = url.substr(0, kQuotedLength);
            if (url.size() > kQuotedLength) quoted += "...";
            logger_.info("URL skipped: " + parse.skipReason, quoted);
            continue;
        }
        logger_.info("URL command for host \"" + parse.host + "\"");
        run(*parse.command);
    }
}

void URLCommandHandler::run(URLCommand command) {
    CommandHost& arranger = *arranger_;
    switch (command) {
        case URLCommand::arrange:
            arranger.arrange();
            break;
        case URLCommand::restore:
            arranger.restore();
            break;
        case URLCommand::recover:
            arranger.recover();
            break;
        case URLCommand::overview:
            // Every display shows its whole layout, and the overview window shows it as cards
            // (on this desktop every display has a layout, so stepping out never opens it).
            arranger.showEverything();
            arranger.showOverview();
            break;
        case URLCommand::desktop:
            arranger.focusDesktop();
            break;
        case URLCommand::back:
            arranger.back();
            break;
        case URLCommand::forward:
            arranger.forward();
            break;
        case URLCommand::zoomOut:
            arranger.zoomOut();
            break;
        case URLCommand::pin:
            if (togglePin) togglePin();
            break;
        case URLCommand::releaseAll:
            if (releaseAll) releaseAll();
            break;
        case URLCommand::map:
            if (services_.defaults && services_.defaults->boolean(kWindowMapEnabledDefault).value_or(false) &&
                toggleWindowMap)
                toggleWindowMap();
            break;
        case URLCommand::dashboard:
            arranger.showDashboard();
            break;
    }
}

}  // namespace arvelo
