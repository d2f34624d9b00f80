// URLCommandHandler.cpp: the command of each host, run on the coordinator.
#include "Arvelo/Commands/URLCommandHandler.h"

#include "Arvelo/Commands/ArrangerHotKeyTable.h"
#include "Arvelo/Coordinator/Coordinator.h"

namespace arvelo {

namespace {

// How much of a skipped string a log line quotes.
constexpr std::size_t kQuotedLength = 200;

}  // namespace

URLCommandHandler::URLCommandHandler(std::shared_ptr<Coordinator> coordinator, platform::Services services)
    : coordinator_(std::move(coordinator)), services_(std::move(services)), logger_(services_.logger("windows")) {}

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
    Coordinator& coordinator = *coordinator_;
    const std::weak_ptr<Coordinator> weak = coordinator_;
    switch (command) {
        case URLCommand::arrange:
            coordinator.autoTile = true;
            coordinator.refresh([weak] {
                if (auto self = weak.lock()) self->arrangeCurrentSnapshot(std::nullopt);
            });
            break;
        case URLCommand::restore:
            coordinator.restore();
            break;
        case URLCommand::recover:
            coordinator.recover();
            break;
        case URLCommand::overview:
            // Every display shows its whole layout, and the overview window shows it as cards
            // (on this desktop every display has a layout, so stepping out never opens it).
            coordinator.showEverything();
            coordinator.showOverview();
            break;
        case URLCommand::desktop:
            coordinator.focusDesktop();
            break;
        case URLCommand::back:
            coordinator.back();
            break;
        case URLCommand::forward:
            coordinator.forward();
            break;
        case URLCommand::zoomOut:
            coordinator.zoomOut();
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
            coordinator.showDashboard();
            break;
    }
}

}  // namespace arvelo
