// arvelo-fixture: opens the three fixture windows, whose titles sort them first, second and
// third; the third declares a large minimum size. Quits on SIGTERM/SIGINT or when every
// window is closed. Its X11 class (WM_CLASS) is the application identifier below.
#include "FixtureWindow.h"
#include "SignalQuitter.h"

#include <QApplication>

#include <array>
#include <memory>

namespace {
constexpr auto kIdentifier = "org.vomira.ArveloFixture";
constexpr auto kName = "ArveloFixture";

const std::array<fixture::FixtureWindowSpec, 3> kWindows{{
    {QStringLiteral("ArveloFixture 1"), QColor(0x2e, 0x5e, 0xaa), QSize(640, 480), QSize()},
    {QStringLiteral("ArveloFixture 2"), QColor(0x2f, 0x8f, 0x5b), QSize(640, 480), QSize()},
    // Too large to share the screen's width or height with another tile at its minimum.
    {QStringLiteral("ArveloFixture 3"), QColor(0xa8, 0x4a, 0x32), QSize(1100, 760), QSize(1100, 760)},
}};
constexpr int kCascadeX = 60;
constexpr int kCascadeY = 50;
}  // namespace

int main(int argc, char** argv) {
    fixture::SignalQuitter::blockSignals();
    // The X11 instance name (first half of WM_CLASS); the class half is the application name.
    qputenv("RESOURCE_NAME", kName);
    QApplication::setApplicationName(QString::fromLatin1(kIdentifier));
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(true);
    fixture::SignalQuitter quitter;

    std::array<std::unique_ptr<fixture::FixtureWindow>, kWindows.size()> windows;
    for (std::size_t i = 0; i < kWindows.size(); ++i) {
        windows[i] = std::make_unique<fixture::FixtureWindow>(kWindows[i]);
        const int step = static_cast<int>(i) + 1;
        windows[i]->move(kCascadeX * step, kCascadeY * step);
        windows[i]->show();
    }
    return QApplication::exec();
}
