// SPDX-License-Identifier: MIT
// ApplicationHost.cpp: runArveloApplication: the checks before anything starts (an X11
// display, one instance per display), Qt's application object, the X11 services, and the Qt
// pieces of the shell bound to the Application's callbacks, then the event loop.

#include "Arvelo/Shell/ApplicationHost.h"

#include "Arvelo/Coordinator/Coordinator.h"
#include "Arvelo/Map/WindowMap.h"
#include "Arvelo/Shell/Application.h"
#include "Arvelo/Shell/KitWindowsHost.h"
#include "Arvelo/Shell/LaunchArguments.h"
#include "Arvelo/Shell/PermissionsWindow.h"
#include "Arvelo/Shell/SingleInstance.h"
#include "Arvelo/Shell/StatusIcon.h"
#include "Arvelo/Shell/StatusItem.h"
#include "Arvelo/Shell/TerminationSignals.h"
#include "Arvelo/Views/AppWindows.h"
#include "Arvelo/Views/Chrome/ChromeViews.h"
#include "Arvelo/Views/Map/WindowMapPanel.h"
#include "Arvelo/Views/Overview/ApplicationIcons.h"
#include "Arvelo/Views/Verification/PngFiles.h"
#include "Platform/Qt/QtDispatcher.h"
#include "Platform/StandardServices.h"
#include "Platform/X11/Connection.h"
#include "Platform/X11/PanelStacking.h"
#include "Platform/X11/Qt/QtPanels.h"
#include "Platform/X11/Qt/QtScanCodes.h"
#include "Platform/X11/X11Backend.h"
#include "Platform/X11/X11EscapeKey.h"
#include "Platform/X11/X11EventTap.h"
#include "Platform/X11/X11HotKeys.h"
#include "TenvikKit/Applications/InstalledApplications.h"
#include "TenvikKit/Controller/TenvikController.h"
#include "TenvikKit/Views/KitSymbols.h"
#include "TenvikKit/Views/Pins/PinPreviewViews.h"
#include "TenvikKit/Views/QtKeyCodes.h"

#include <QApplication>
#include <QImage>
#include <QProcess>
#include <QSessionManager>
#include <QStyleHints>
#include <QTimer>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>

namespace arvelo {

namespace {

constexpr const char* kRelaunchVariable = "ARVELO_RELAUNCH";
constexpr double kRelaunchWait = 30;    // seconds a relaunch waits for the old instance to end
constexpr double kHandoverTimeout = 5;  // seconds a later launch tries to reach the running one
constexpr double kConnectTimeout = 5;   // seconds to wait for the X server to answer
constexpr const char* kWaylandMessage =
    "this is a Wayland session. Vomira arranges windows through X11, and Wayland does not let "
    "one program move another's windows. Log in to an X11 session to use Vomira.";

int refuse(const std::string& message) {
    std::fprintf(stderr, "arvelo: %s\n", message.c_str());
    return 1;
}

// Why this desktop cannot be arranged, if it cannot.
std::optional<std::string> desktopProblem(const platform::Environment& environment) {
    if (environment.variable("XDG_SESSION_TYPE") == "wayland") return kWaylandMessage;
    const auto display = environment.variable("DISPLAY");
    if (!display || display->empty()) {
        if (environment.variable("WAYLAND_DISPLAY")) return kWaylandMessage;
        return "no X11 display to arrange (DISPLAY is not set).";
    }
    return std::nullopt;
}

QStringList toQStringList(const std::vector<std::string>& strings) {
    QStringList list;
    for (const std::string& s : strings) list << QString::fromStdString(s);
    return list;
}

std::vector<std::string> toStrings(const QStringList& list) {
    std::vector<std::string> strings;
    for (const QString& s : list) strings.push_back(s.toStdString());
    return strings;
}

// The "Icon=" of the installed desktop entry whose identifier or desktop ID is an application
// identity (letter case aside); the entries are read once, at the first question.
std::function<std::string(const std::string&)> entryIconLookup(const platform::Environment& environment) {
    auto icons = std::make_shared<std::optional<std::map<std::string, std::string>>>();
    const auto lower = [](std::string text) {
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    };
    return [icons, environment, lower](const std::string& identity) -> std::string {
        if (!*icons) {
            std::map<std::string, std::string> table;
            for (const auto& entry :
                 tenvik::InstalledApplications::read(tenvik::InstalledApplications::folders(environment))) {
                if (entry.icon.empty()) continue;
                table.emplace(lower(entry.identifier), entry.icon);
                table.emplace(lower(entry.desktopID), entry.icon);
            }
            *icons = std::move(table);
        }
        const auto it = (*icons)->find(lower(identity));
        return it == (*icons)->end() ? std::string() : it->second;
    };
}

// A later launch: gives the running instance its arguments and tells how that went.
int handOver(SingleInstance& instance, int argc, char** argv, const std::vector<std::string>& arguments,
             const std::string& display) {
    QCoreApplication handover(argc, argv);
    switch (instance.handOver(toQStringList(arguments), kHandoverTimeout)) {
        case SingleInstance::Handover::delivered:
            return 0;
        case SingleInstance::Handover::tooLarge:
            return refuse(
                "too much to hand over to the running Vomira (at most 256 arguments and 64 KiB); "
                "nothing was handed over.");
        case SingleInstance::Handover::untrusted:
            return refuse("the socket " + instance.socketPath().toStdString() +
                          " belongs to another user; nothing was handed over.");
        case SingleInstance::Handover::refused:
            return refuse("the running Vomira on display " + display + " refused what was handed over.");
        case SingleInstance::Handover::unanswered:
            return refuse("the running instance did not answer (Vomira on display " + display + ").");
        case SingleInstance::Handover::unreachable:
            break;
    }
    return refuse("Vomira is already running on display " + display + " but does not answer.");
}


// What the command line asks is settled before anything starts or is handed over: the exit
// status of --help, --version and a malformed command line; nothing when the program runs.
std::optional<int> answerCommandLine(const LaunchArguments& launch) {
    switch (launch.action) {
        case LaunchArguments::Action::help:
            std::fputs(LaunchArguments::usage().c_str(), stdout);
            return 0;
        case LaunchArguments::Action::version:
            std::fputs(LaunchArguments::version().c_str(), stdout);
            return 0;
        case LaunchArguments::Action::error:
            std::fprintf(stderr, "arvelo: %s\nTry 'arvelo --help' for more information.\n", launch.error.c_str());
            return LaunchArguments::kUsageStatus;
        case LaunchArguments::Action::run:
            break;
    }
    return std::nullopt;
}

// A relaunch (the environment says so) waits for the instance it replaces; the mark is not
// passed on to anything this process starts.
bool takeRelaunchMark(platform::Environment& environment) {
    const bool relaunched = environment.variable(kRelaunchVariable) == "1";
    if (relaunched) {
        ::unsetenv(kRelaunchVariable);
        environment.variables.erase(kRelaunchVariable);
    }
    return relaunched;
}

// One instance per user and display, decided before anything else starts: the claim of this
// process, or the exit status of a later launch that handed its arguments over (or failed to).
struct InstanceClaim {
    std::unique_ptr<SingleInstance> instance;
    std::optional<int> exitStatus;
};

InstanceClaim claimInstance(const platform::Environment& environment, const std::string& display, bool relaunched,
                            int argc, char** argv) {
    const SingleInstance::RuntimeFolder runtimeFolder = SingleInstance::userRuntimeFolder();
    if (runtimeFolder.path.isEmpty()) {
        return {nullptr, refuse("no private folder for the lock that keeps Vomira to one instance: " +
                                runtimeFolder.problem.toStdString() + ". Set XDG_RUNTIME_DIR to a folder of your own.")};
    }
    auto instance = std::make_unique<SingleInstance>(runtimeFolder.path, QString::fromStdString(display));
    switch (instance->claim(relaunched ? kRelaunchWait : 0)) {
        case SingleInstance::Role::primary:
            break;
        case SingleInstance::Role::secondary:
            return {nullptr, handOver(*instance, argc, argv, environment.arguments, display)};
        case SingleInstance::Role::failed:
            std::fprintf(stderr, "arvelo: cannot use the lock file %s; not checking for another Vomira\n",
                         instance->lockPath().toLocal8Bit().constData());
            instance.reset();
            break;
    }
    return {std::move(instance), std::nullopt};
}

// The X server can go away at any moment of the start (after the first check, inside Qt's own
// connection): Qt then stops with a fatal message, which would abort with a core dump. It ends
// the program with status 1 and the message instead.
void endOnFatalQtMessages() {
    static QtMessageHandler previousHandler = nullptr;
    previousHandler = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type != QtFatalMsg) {
            if (previousHandler) previousHandler(type, context, text);
            return;
        }
        std::fprintf(stderr, "arvelo: %s\n", text.toLocal8Bit().constData());
        std::fflush(stderr);
        std::_Exit(1);
    });
}

// Qt's settings that must be made before its application object exists: our windows are X11
// windows on that display, one point to one pixel.
void prepareQt() {
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qputenv("RESOURCE_NAME", "arvelo");
    QApplication::setApplicationName(Application::kApplicationID);
    // No display name: Qt would add " — Vomira" to every title, which already name the program
    // ("Vomira Permissions").
    QApplication::setDesktopFileName(Application::kApplicationID);
}

// The X11 backend's services, its hot keys, the key reading of the shortcut fields and the
// chrome's panels, filled into `services`; nothing when the X server cannot be reached.
struct X11Pieces {
    std::shared_ptr<platform::x11::X11Backend> backend;
    std::shared_ptr<platform::x11::QtPanels> panels;
    platform::Subscription compositorFollow;
};

std::optional<X11Pieces> connectX11(platform::Services& services,
                                    const std::shared_ptr<platform::qt::QtDispatcher>& dispatcher,
                                    const std::string& display) {
    const auto backend = platform::x11::X11Backend::connect(dispatcher, display.c_str());
    if (!backend) return std::nullopt;
    backend->fill(services);
    backend->setCaptureLogger(services.logger("pins"));
    services.hotKeys = platform::x11::X11HotKeys::open(dispatcher, services.logger("hotkey"), display.c_str());
    // The shortcut fields read keys through the X keyboard mapping, as the hot keys grab them.
    tenvik::QtKeyCodes::readScanCodesWith(platform::x11::qtScanCodeReader());
    // The chrome's panels: Qt windows stacked through a connection of their own, so a restack
    // never waits behind the backend's reads. It only sends requests: events it heard would
    // pile up unread for as long as the program runs.
    std::shared_ptr<platform::x11::PanelStacking> stacking;
    if (auto connection = platform::x11::Connection::open(display.c_str(), kConnectTimeout,
                                                          platform::x11::Connection::Events::none))
        stacking = std::make_shared<platform::x11::PanelStacking>(connection);
    const auto panels = std::make_shared<platform::x11::QtPanels>(stacking);
    services.panels = panels;
    // A compositing manager that starts or stops is followed by every panel at once.
    platform::Subscription compositorFollow;
    if (const auto& watch = backend->compositorWatch()) {
        compositorFollow = watch->changed.connect([weak = std::weak_ptr(panels)](bool running) {
            if (auto p = weak.lock()) p->setCompositing(running);
        });
        panels->setCompositing(watch->compositing());
    }
    // The program's own windows and dialogs stay above its panels.
    panels->keepOwnWindowsAbove();
    return X11Pieces{backend, panels, std::move(compositorFollow)};
}

// The canvas's event tap counts double clicks as the desktop does; a lost X connection ends the
// program.
void bindBackendToQt(platform::x11::X11Backend& backend, const platform::Logger& logger) {
    if (const auto& tap = backend.eventTap()) {
        const QStyleHints* hints = QGuiApplication::styleHints();
        tap->setDoubleClick(hints->mouseDoubleClickInterval() / 1000.0, hints->mouseDoubleClickDistance());
    } else {
        logger.info("No XInput2 on this X server: the canvas's event tap is off");
    }
    backend.onConnectionLost = [logger] {
        logger.error("The connection to the X server was lost; Vomira ends");
        QCoreApplication::exit(1);
    };
}

// The Qt views the arranger and the kit show: the window map's panel, the pin previews, the
// kit's windows, the chrome's views, and the dashboard and overview windows.
void bindViews(Application& app, const X11Pieces& x11, const std::shared_ptr<platform::qt::QtDispatcher>& dispatcher,
               const platform::Services& services, KitWindowsHost& kitWindows) {
    const auto& panels = x11.panels;
    const auto& backend = x11.backend;
    // The map sits at the pop-up level: the chrome's floating panels (seam handles, zoom bar,
    // miniature tiles) stay below it while it is open.
    app.windowMap()->makePanel = [panels](const MapContent& content, std::weak_ptr<WindowMap> map) {
        return views::WindowMapPanel::present(content, std::move(map),
                                              [panels](QWidget* window) { panels->addPopUpWindow(window); });
    };
    app.pinPreviewHost = tenvik::views::pinPreviewHost(panels);
    app.onKitCreated = [&kitWindows](tenvik::TenvikController& kit) { kitWindows.attach(kit); };
    // Escape during a drag of a tab, a header or a miniature tile, seen without the keyboard.
    views::EscapeWatch watchEscape;
    if (auto escape = platform::x11::X11EscapeKey::make(
            std::shared_ptr<platform::x11::Connection>(backend, &backend->connection()), backend->rawInput(),
            dispatcher))
        watchEscape = [escape](std::function<void()> handler) { return escape->watch(std::move(handler)); };
    // The fixture runs check the arranger's own rules step by step; they park windows without
    // minimising them (docs/verification.md).
    const bool fixtureRun = services.environment.hasArgument("--integration-fixture") ||
                            services.environment.hasArgument("--dock-scenario");
    app.onCoordinatorMade = [panels, screens = services.screens, watchEscape, fixtureRun](Coordinator& coordinator) {
        // Window managers keep a corner of a window parked beyond the screen in sight (openbox,
        // xfwm4) or put it back on screen (icewm, metacity, marco, mutter): parked windows are
        // minimised too (docs/x11.md).
        coordinator.access->minimizeParked = !fixtureRun;
        coordinator.setChromeViews(views::ChromeViews::host(
            panels, [panels](platform::PanelID id) { return panels->host(id); },
            [screens] {
                const auto all = screens->screens();
                return all.empty() ? 0.0 : all.front().frame.height;
            },
            watchEscape));
        // The dashboard and overview windows, after the chrome.
        views::AppWindowMakers makers = views::appWindowMakers(coordinator.weak_from_this());
        coordinator.setOverviewWindowMaker(std::move(makers.overview));
        coordinator.setDashboardWindowMaker(std::move(makers.dashboard));
    };
}

// Windows' own icons come first in every view; a changed one is read again when drawn. The
// subscription lasts as long as the answer is kept.
platform::Subscription followWindowIcons(platform::x11::X11Backend& backend) {
    platform::Subscription iconChanges;
    if (const auto& icons = backend.windowIcons()) {
        views::ApplicationIcons::setWindowIconLookup([icons](std::uint32_t window, int side) {
            const auto picture = icons->icon(window, side);
            if (!picture) return QImage();
            QImage image(picture->width, picture->height, QImage::Format_ARGB32);
            for (int y = 0; y < picture->height; ++y)
                std::copy_n(picture->argb.data() + std::size_t(y) * picture->width, picture->width,
                            reinterpret_cast<std::uint32_t*>(image.scanLine(y)));
            return image;
        });
        iconChanges = icons->changed.connect([](std::uint32_t window) { views::ApplicationIcons::forgetWindow(window); });
    }
    return iconChanges;
}

// The desktop as the permissions window shows it: the kit's reading once it runs (it knows the
// touchpad), else the platform's.
std::function<tenvik::DesktopFacts()> desktopFacts(Application& app, const platform::Services& services) {
    return [&app, services]() {
        if (tenvik::TenvikController* kit = app.tenvik()) {
            kit->shared().permissions->refresh();
            return kit->shared().permissions->desktopFacts(*kit->shared().activity);
        }
        tenvik::DesktopFacts facts;
        facts.windowManager = services.accessibility && services.accessibility->isProcessTrusted();
        facts.compositingManager = services.panels && services.panels->translucent();
        return facts;
    };
}

// The shell's Qt pieces that live as long as the event loop: the signals turned into quits,
// the status item and the permissions window.
struct ShellPieces {
    std::unique_ptr<TerminationSignals> terminationSignals;
    std::unique_ptr<StatusItem> statusItem;
    std::unique_ptr<PermissionsWindow> permissions;
};

// The Application's callbacks into the shell's Qt pieces and Qt's own application signals.
void bindShell(Application& app, ShellPieces& shell, QApplication& qtApplication, SingleInstance* instance,
               const platform::Logger& logger) {
    app.onInstallTerminationSignals = [&app, &shell, logger] {
        shell.terminationSignals = std::make_unique<TerminationSignals>(
            std::initializer_list<int>{SIGTERM, SIGINT}, [&app](int) { app.requestTerminate(); });
        if (!shell.terminationSignals->installed()) logger.error("SIGTERM and SIGINT could not be turned into quits");
    };
    app.onInstallStatusItem = [&app, &shell, logger] {
        shell.statusItem = std::make_unique<StatusItem>([&app] { return app.menuNeedsUpdate(); });
        if (!StatusItem::trayAvailable()) {
            logger.info("No system tray on this desktop: Vomira runs without its status item");
        }
    };
    app.onStatusImageChange = [&shell](const std::optional<tenvik::StatusIconChoice>& kitImage) {
        if (shell.statusItem)
            shell.statusItem->setIcon(kitImage ? tenvik::statusIcon(*kitImage, trayColor()) : statusIcon());
    };
    app.onStatusIconChange = [&shell](const std::string& toolTip) {
        if (shell.statusItem) shell.statusItem->setToolTip(QString::fromStdString(toolTip));
    };
    app.onShowPermissions = [&shell] { shell.permissions->show(); };
    app.onTerminate = [&app] { QCoreApplication::exit(app.exitStatus()); };
    app.writePng = views::writePng;
    if (instance) {
        instance->onHandover = [&app](const QStringList& arguments) { app.handOver(toStrings(arguments)); };
    }
    // The session is ending: the windows go back now, and nothing holds the session up.
    QObject::connect(&qtApplication, &QGuiApplication::commitDataRequest, &qtApplication,
                     [&app](QSessionManager&) { app.sessionWillEnd(); });
    // Any other way the event loop ends still puts the windows back.
    QObject::connect(&qtApplication, &QCoreApplication::aboutToQuit, &qtApplication, [&app] { app.willTerminate(); });
}

}  // namespace

int runArveloApplication(int argc, char** argv) {
    platform::Environment environment = platform::Environment::ofProcess(argc, argv);
    if (const auto status = answerCommandLine(LaunchArguments::parse(environment.arguments))) return *status;
    if (const auto problem = desktopProblem(environment)) return refuse(*problem);
    const std::string display = *environment.variable("DISPLAY");
    const bool relaunched = takeRelaunchMark(environment);

    InstanceClaim claim = claimInstance(environment, display, relaunched, argc, argv);
    if (claim.exitStatus) return *claim.exitStatus;
    std::unique_ptr<SingleInstance>& instance = claim.instance;
    if (!platform::x11::Connection::open(display.c_str(), kConnectTimeout)) {
        return refuse("cannot reach the X server of display " + display + ".");
    }

    endOnFatalQtMessages();
    prepareQt();
    QApplication qtApplication(argc, argv);
    // Closing the dashboard, overview or permissions window never quits the program.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(statusIcon());

    auto dispatcher = std::make_shared<platform::qt::QtDispatcher>();
    platform::Services services = platform::standardServices(environment);
    services.dispatch = dispatcher;
    services.clock = dispatcher;
    // Loading the settings sets every key: one write for all of them.
    services.defaults->coalesceWrites(dispatcher);
    const std::optional<X11Pieces> x11 = connectX11(services, dispatcher, display);
    if (!x11) return refuse("cannot reach the X server of display " + display + ".");
    const platform::Logger logger = services.logger("shell");
    bindBackendToQt(*x11->backend, logger);
    if (instance) instance->logger = services.logger("shell");
    if (instance && !instance->listen()) {
        logger.error("Cannot listen for later launches on " + instance->socketPath().toStdString());
    }

    const std::filesystem::path autostart =
        services.folders.configuration ? *services.folders.configuration / "autostart" : std::filesystem::path();
    auto application = std::make_unique<Application>(
        services, LoginItem(autostart, QCoreApplication::applicationFilePath().toStdString()));
    Application& app = *application;
    KitWindowsHost kitWindows(services, autostart, QCoreApplication::applicationFilePath().toStdString());
    bindViews(app, *x11, dispatcher, services, kitWindows);
    ShellPieces shell;
    shell.permissions = std::make_unique<PermissionsWindow>(services, desktopFacts(app, services));
    bindShell(app, shell, qtApplication, instance.get(), logger);
    views::ApplicationIcons::setEntryIconLookup(entryIconLookup(environment));
    const platform::Subscription iconChanges = followWindowIcons(*x11->backend);

    QTimer::singleShot(0, &qtApplication, [&app] { app.didFinishLaunching(); });
    const int status = QApplication::exec();

    instance.reset();
    shell.statusItem.reset();
    shell.terminationSignals.reset();
    application.reset();
    return status;
}

}  // namespace arvelo
