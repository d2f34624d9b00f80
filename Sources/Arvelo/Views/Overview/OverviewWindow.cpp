// SPDX-License-Identifier: MIT
// OverviewWindow.cpp: the overview window's rows and its ways out.
#include "Arvelo/Views/Overview/OverviewWindow.h"

#include "Arvelo/Commands/ShortcutHints.h"

#include "Arvelo/Views/Overview/CanvasPainter.h"
#include "Arvelo/Views/Overview/SpatialCanvasWidget.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

namespace arvelo::views {

namespace {

constexpr int kPadding = 24;
constexpr int kSpacing = 16;
constexpr double kCanvasRadius = 16;
constexpr const char* kHeadline = "Your workspace";
constexpr const char* kExplanation =
    "Click a small window to open it. Drag to an edge to split; drop in the middle for tabs.";

QLabel* label(const char* text, double scale, int weight, bool secondary) {
    auto* l = new QLabel(QString::fromUtf8(text));
    l->setFont(canvasFont(scale, weight));
    if (secondary) {
        QPalette palette = l->palette();
        QColor color = palette.color(QPalette::WindowText);
        color.setAlphaF(0.55);
        palette.setColor(QPalette::WindowText, color);
        l->setPalette(palette);
    }
    return l;
}

}  // namespace

OverviewWindow::OverviewWindow(std::shared_ptr<DashboardHost> arranger) : arranger_(arranger) {
    setWindowTitle(QString::fromUtf8(kTitle));
    setObjectName(QStringLiteral("overview"));
    // Titled, closable and minimisable; its size is fixed.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    setFixedSize(kWidth, kHeight);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    root->setSpacing(kSpacing);

    auto* header = new QHBoxLayout;
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    titles->addWidget(label(kHeadline, 1.4, QFont::Bold, false));
    titles->addWidget(label(kExplanation, 0.95, QFont::Normal, true));
    header->addLayout(titles);
    header->addStretch(1);
    auto* stepOut = new QPushButton(QStringLiteral("Step out"));
    connect(stepOut, &QPushButton::clicked, this, [this] {
        if (auto c = arranger_.lock()) c->zoomOut();
    });
    auto* doneButton = new QPushButton(QStringLiteral("Done"));
    connect(doneButton, &QPushButton::clicked, this, [this] { done(); });
    header->addWidget(stepOut);
    header->addWidget(doneButton);
    root->addLayout(header);

    switcherRow_ = new QHBoxLayout;
    switcherRow_->setSpacing(0);
    switcher_ = new QButtonGroup(this);
    switcher_->setExclusive(true);
    root->addLayout(switcherRow_);

    canvas_ = new SpatialCanvasWidget(arranger, kCanvasRadius);
    root->addWidget(canvas_, 1);

    auto* footer = new QHBoxLayout;
    QLabel* keys = label(overviewKeysHint().c_str(), 0.85, QFont::Normal, true);
    keys->setObjectName("overviewKeysHint");
    keys->setToolTip(QString::fromUtf8(kManagerHeldKeysNote));
    footer->addWidget(keys);
    footer->addStretch(1);
    auto* restore = new QPushButton(QStringLiteral("Free All Windows"));
    connect(restore, &QPushButton::clicked, this, [this] {
        if (auto c = arranger_.lock()) c->restore();
    });
    footer->addWidget(restore);
    root->addLayout(footer);

    rebuildSwitcher();
    subscription_ = arranger->model().onChange.subscribe([this] { modelChanged(); });
}

OverviewWindow::~OverviewWindow() {
    if (auto arranger = arranger_.lock()) arranger->model().onChange.unsubscribe(subscription_);
}

std::shared_ptr<HostedWindow> OverviewWindow::make(const std::shared_ptr<DashboardHost>& arranger) {
    auto window = std::make_shared<OverviewWindow>(arranger);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - QPoint(kWidth / 2, kHeight / 2));
    auto hosted = std::make_shared<HostedWindow>();
    window->hosted_ = hosted;
    // The window lives as long as the arranger keeps its face.
    hosted->isVisible = [window] { return window->isVisible(); };
    hosted->hideWindow = [window] { window->hide(); };
    hosted->present = [window] {
        window->show();
        window->raise();
        window->activateWindow();
    };
    return hosted;
}

void OverviewWindow::done() {
    const bool wasVisible = isVisible();
    hide();
    if (!wasVisible) return;
    if (auto arranger = arranger_.lock()) arranger->restoreChrome();
}

void OverviewWindow::closeEvent(QCloseEvent* event) {
    // Closing only hides the window; the arranger's close action runs first.
    if (auto hosted = hosted_.lock(); hosted && hosted->onClose) hosted->onClose();
    event->accept();
}

void OverviewWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        done();
        return;
    }
    QWidget::keyPressEvent(event);
}

void OverviewWindow::showEvent(QShowEvent* event) {
    rebuildSwitcher();
    QWidget::showEvent(event);
}

void OverviewWindow::modelChanged() {
    auto arranger = arranger_.lock();
    // A hidden overview catches up when it is shown again.
    if (!arranger || !isVisible()) return;
    std::vector<std::pair<std::string, std::string>> displays;
    for (const DisplayInfo& display : arranger->model().displays.get()) displays.emplace_back(display.id, display.name);
    if (displays == shownDisplays_ && arranger->model().selectedDisplay.get() == shownSelection_) return;
    rebuildSwitcher();
}

void OverviewWindow::rebuildSwitcher() {
    auto arranger = arranger_.lock();
    if (!arranger) return;
    shownDisplays_.clear();
    for (const DisplayInfo& display : arranger->model().displays.get())
        shownDisplays_.emplace_back(display.id, display.name);
    shownSelection_ = arranger->model().selectedDisplay.get();
    for (QAbstractButton* button : switcher_->buttons()) {
        switcher_->removeButton(button);
        delete button;
    }
    while (QLayoutItem* item = switcherRow_->takeAt(0)) delete item;
    switcherRow_->addStretch(1);
    for (const auto& [id, name] : shownDisplays_) {
        auto* segment = new QPushButton(QString::fromStdString(name));
        segment->setCheckable(true);
        segment->setChecked(id == shownSelection_);
        segment->setAccessibleName(QStringLiteral("Display ") + QString::fromStdString(name));
        switcher_->addButton(segment);
        switcherRow_->addWidget(segment);
        connect(segment, &QPushButton::clicked, this, [this, id = id] {
            if (auto c = arranger_.lock()) c->selectDisplay(id);
        });
    }
    switcherRow_->addStretch(1);
}

}  // namespace arvelo::views
