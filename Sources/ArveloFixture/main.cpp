// SPDX-License-Identifier: MIT
// arvelo-fixture: opens the three fixture windows, whose titles sort them first, second and
// third. By default they are of ordinary size and the third declares a large minimum size;
// with "--demo" they are small windows without a minimum, cascaded so that all three fit on
// the demo desktop that scripts/run starts. Quits on SIGTERM/SIGINT or when every window is
// closed. Its X11 class (WM_CLASS) is the application identifier below.
#include "FixtureWindow.h"
#include "SignalQuitter.h"

#include <QApplication>

#include <array>
#include <memory>

namespace {
constexpr auto kIdentifier = "org.vomira.ArveloFixture";
constexpr auto kName = "ArveloFixture";
constexpr auto kDemoFlag = "--demo";

const QString kTitles[] = {QStringLiteral("ArveloFixture 1"), QStringLiteral("ArveloFixture 2"),
                           QStringLiteral("ArveloFixture 3")};
const QColor kColours[] = {QColor(0x2e, 0x5e, 0xaa), QColor(0x2f, 0x8f, 0x5b), QColor(0xa8, 0x4a, 0x32)};

// One set of windows: each window's size and minimum, the first one's top-left corner, how far
// each next one is moved from the one before, and the size of the text they paint.
struct WindowSet {
    std::array<QSize, 3> sizes;
    std::array<QSize, 3> minimums;
    QPoint origin;
    QPoint step;
    int fontPointSize;
};

const WindowSet kOrdinary{
    {QSize(640, 480), QSize(640, 480), QSize(1100, 760)},
    // The third is too large to share the screen's width or height with another tile.
    {QSize(), QSize(), QSize(1100, 760)},
    QPoint(60, 50),
    QPoint(60, 50),
    20,
};
const WindowSet kDemo{
    {QSize(216, 90), QSize(216, 90), QSize(216, 90)},
    // None: the arranger may give each window any pane.
    {QSize(), QSize(), QSize()},
    QPoint(24, 16),
    QPoint(96, 24),
    12,
};

bool hasArgument(int argc, char** argv, const char* wanted) {
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], wanted) == 0) return true;
    return false;
}
}  // namespace

int main(int argc, char** argv) {
    fixture::SignalQuitter::blockSignals();
    // The X11 instance name (first half of WM_CLASS); the class half is the application name.
    qputenv("RESOURCE_NAME", kName);
    QApplication::setApplicationName(QString::fromLatin1(kIdentifier));
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(true);
    fixture::SignalQuitter quitter;

    const WindowSet& set = hasArgument(argc, argv, kDemoFlag) ? kDemo : kOrdinary;
    std::array<std::unique_ptr<fixture::FixtureWindow>, 3> windows;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        windows[i] = std::make_unique<fixture::FixtureWindow>(
            fixture::FixtureWindowSpec{kTitles[i], kColours[i], set.sizes[i], set.minimums[i], set.fontPointSize});
        windows[i]->move(set.origin + set.step * static_cast<int>(i));
        windows[i]->show();
    }
    return QApplication::exec();
}
