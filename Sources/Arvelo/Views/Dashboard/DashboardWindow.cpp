// SPDX-License-Identifier: MIT
// DashboardWindow.cpp: the dashboard's parts, their actions and their redraws.
#include "Arvelo/Views/Dashboard/DashboardWindow.h"

#include "Arvelo/Commands/ShortcutHints.h"

#include "Arvelo/Views/Overview/ApplicationIcons.h"
#include "Arvelo/Views/Overview/CanvasPainter.h"
#include "Arvelo/Views/Overview/SpatialCanvasWidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QSplitter>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace arvelo::views {

namespace {

// How much of a very long title the list and the bar hand to Qt; the rest could not show.
constexpr int kShownTitleLength = 400;
constexpr int kRowIcon = 28;
constexpr double kCanvasRadius = 14;
constexpr int kCanvasMinimumHeight = 240;

QString shown(const std::string& text) {
    QString s = QString::fromStdString(text);
    if (s.size() > kShownTitleLength) s = s.left(kShownTitleLength) + QChar(0x2026);
    return s;
}

// No EWMH window manager: the remedy on this desktop is to run one.
constexpr const char* kNoWindowManagerBanner =
    "No EWMH window manager is running, so Vomira cannot move or resize your windows. "
    "Start one (openbox, xfwm4, KWin).";

QLabel* label(const QString& text, double scale, int weight, bool secondary = false) {
    auto* l = new QLabel(text);
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

QFrame* divider() {
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setStyleSheet(QStringLiteral("color: rgba(0,0,0,40);"));
    return line;
}

QWidget* banner(const QColor& tint, int padding) {
    auto* box = new QFrame;
    box->setAutoFillBackground(true);
    QPalette palette = box->palette();
    const QColor base = palette.color(QPalette::Window);
    const double a = 0.08;
    palette.setColor(QPalette::Window, QColor::fromRgbF(base.redF() * (1 - a) + tint.redF() * a,
                                                        base.greenF() * (1 - a) + tint.greenF() * a,
                                                        base.blueF() * (1 - a) + tint.blueF() * a));
    box->setPalette(palette);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(padding, padding, padding, padding);
    return box;
}

QPixmap symbolPixmap(int side, const QColor& color) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    paintProgramSymbol(painter, QRectF(1, 1, side - 2, side - 2), color);
    return pixmap;
}

QPixmap dotPixmap(const QColor& color) {
    QPixmap pixmap(6, 6);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(QRectF(0, 0, 6, 6));
    return pixmap;
}

QPushButton* button(const QString& text, const char* themeIcon = nullptr) {
    auto* b = new QPushButton(text);
    if (themeIcon) b->setIcon(QIcon::fromTheme(QString::fromUtf8(themeIcon)));
    b->setAutoDefault(false);
    return b;
}

const QColor kOrange(255, 149, 0);
const QColor kBlue(0, 122, 255);
const QColor kGreen(52, 199, 89);

}  // namespace

DashboardWindow::DashboardWindow(std::shared_ptr<DashboardHost> arranger) : arranger_(arranger) {
    setWindowTitle(QString::fromUtf8(kTitle));
    setObjectName(QStringLiteral("dashboard"));
    setWindowFlags(Qt::Window);
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    resize(kWidth, kHeight);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    root->addWidget(makeHeader());
    root->addWidget(divider());
    accessibilityBanner_ = new QWidget;
    auto* accessibility = new QVBoxLayout(accessibilityBanner_);
    accessibility->setContentsMargins(0, 0, 0, 0);
    accessibility->setSpacing(0);
    accessibility->addWidget(makeAccessibilityBanner());
    accessibility->addWidget(divider());
    root->addWidget(accessibilityBanner_);
    recoveryBanner_ = makeRecoveryBanner();
    root->addWidget(recoveryBanner_);

    auto* split = new QSplitter(Qt::Horizontal);
    split->setChildrenCollapsible(false);
    split->addWidget(makeWindowPane());
    split->addWidget(makeWorkspacePane());
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setSizes({260, kWidth - 260});
    root->addWidget(split, 1);
    root->addWidget(divider());
    root->addWidget(makeStatusLine());

    subscription_ = arranger->model().onChange.subscribe([this] { modelChanged(); });
    refreshNow();
}

DashboardWindow::~DashboardWindow() {
    if (auto arranger = arranger_.lock()) arranger->model().onChange.unsubscribe(subscription_);
}

std::shared_ptr<HostedWindow> DashboardWindow::make(const std::shared_ptr<DashboardHost>& arranger) {
    auto window = std::make_shared<DashboardWindow>(arranger);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - QPoint(kWidth / 2, kHeight / 2));
    auto hosted = std::make_shared<HostedWindow>();
    hosted->isVisible = [window] { return window->isVisible(); };
    hosted->hideWindow = [window] { window->hide(); };
    hosted->present = [window] {
        window->show();
        window->raise();
        window->activateWindow();
    };
    return hosted;
}

// ---- Parts

QWidget* DashboardWindow::makeHeader() {
    auto* header = new QWidget;
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(20, 20, 20, 20);
    row->setSpacing(12);
    auto* symbol = new QLabel;
    symbol->setPixmap(symbolPixmap(28, palette().color(QPalette::Highlight)));
    row->addWidget(symbol);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    titles->addWidget(label(QStringLiteral("Vomira"), 1.4, QFont::Bold));
    titles->addWidget(label(QStringLiteral("A place for every window"), 0.95, QFont::Normal, true));
    row->addLayout(titles);
    row->addStretch(1);

    auto* refresh = button(QStringLiteral("Refresh"), "view-refresh");
    connect(refresh, &QPushButton::clicked, this, [this] {
        if (auto c = arranger_.lock()) c->refresh();
    });
    resume_ = button(QStringLiteral("Resume layout"));
    connect(resume_, &QPushButton::clicked, this, [this] {
        if (auto c = arranger_.lock()) c->resumeLastLayout();
    });
    freeAll_ = button(QStringLiteral("Free All Windows"), "edit-undo");
    connect(freeAll_, &QPushButton::clicked, this, [this] {
        if (auto c = arranger_.lock()) c->freeAllWindows();
    });
    setWindows_ = button(QStringLiteral("Set Windows"), "view-grid");
    setWindows_->setDefault(true);
    setWindows_->setStyleSheet(QStringLiteral(
        "QPushButton { background: palette(highlight); color: palette(highlighted-text); border-radius: 5px;"
        " padding: 4px 12px; } QPushButton:disabled { background: palette(mid); }"));
    connect(setWindows_, &QPushButton::clicked, this, [this] {
        if (auto c = arranger_.lock()) c->arrange();
    });
    for (QPushButton* b : {refresh, resume_, freeAll_, setWindows_}) row->addWidget(b);
    return header;
}

QWidget* DashboardWindow::makeAccessibilityBanner() {
    QWidget* box = banner(kOrange, 14);
    auto* row = static_cast<QHBoxLayout*>(box->layout());
    auto* hand = new QLabel;
    hand->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(18, 18));
    row->addWidget(hand);
    auto* text = new QLabel(QString::fromUtf8(kNoWindowManagerBanner));
    text->setWordWrap(true);
    row->addWidget(text, 1);
    auto* enable = button(QStringLiteral("Check Again"));
    enable->setObjectName("checkWindowManager");
    connect(enable, &QPushButton::clicked, this, [this] {
        // Only asks; the banner goes when a later refresh finds a window manager.
        if (auto c = arranger_.lock()) c->askForAccessibility();
    });
    row->addWidget(enable);
    return box;
}

QWidget* DashboardWindow::makeRecoveryBanner() {
    QWidget* box = banner(kBlue, 12);
    auto* row = static_cast<QHBoxLayout*>(box->layout());
    row->addWidget(new QLabel(QStringLiteral("Window positions from a previous session are available.")));
    row->addStretch(1);
    auto* recover = button(QStringLiteral("Recover positions"));
    connect(recover, &QPushButton::clicked, this, [this] {
        if (auto c = arranger_.lock()) c->recover();
    });
    row->addWidget(recover);
    return box;
}

QWidget* DashboardWindow::makeWindowPane() {
    auto* pane = new QWidget;
    pane->setMinimumWidth(230);
    pane->setMaximumWidth(330);
    auto* column = new QVBoxLayout(pane);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(12);

    auto* title = new QHBoxLayout;
    title->addWidget(label(QStringLiteral("WINDOWS"), 0.85, QFont::Bold, true));
    title->addStretch(1);
    count_ = label(QStringLiteral("0"), 0.85, QFont::Normal);
    title->addWidget(count_);
    column->addLayout(title);

    list_ = new QListWidget;
    list_->setIconSize(QSize(kRowIcon, kRowIcon));
    list_->setTextElideMode(Qt::ElideRight);
    list_->setWordWrap(false);
    list_->setUniformItemSizes(true);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
        const auto items = list_->selectedItems();
        if (items.isEmpty()) return;
        if (auto c = arranger_.lock()) c->selectWindow(items.front()->data(Qt::UserRole).toString().toStdString());
    });
    column->addWidget(list_, 1);

    excludedBox_ = new QWidget;
    auto* excluded = new QVBoxLayout(excludedBox_);
    excluded->setContentsMargins(0, 0, 0, 0);
    excluded->addWidget(label(QStringLiteral("Excluded apps"), 0.85, QFont::Bold, true));
    excludedRows_ = new QVBoxLayout;
    excluded->addLayout(excludedRows_);
    excludedBox_->hide();
    column->addWidget(excludedBox_);
    return pane;
}

QWidget* DashboardWindow::makeWorkspacePane() {
    auto* pane = new QWidget;
    pane->setMinimumWidth(560);
    auto* column = new QVBoxLayout(pane);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(16);

    auto* displayRow = new QHBoxLayout;
    displayPicker_ = new QComboBox;
    displayPicker_->setAccessibleName(QStringLiteral("Display"));
    displayPicker_->setMaximumWidth(300);
    displayPicker_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(displayPicker_, &QComboBox::activated, this, [this](int index) {
        if (auto c = arranger_.lock()) c->selectDisplay(displayPicker_->itemData(index).toString().toStdString());
    });
    displayRow->addWidget(displayPicker_);
    displayRow->addStretch(1);
    overview_ = button(QStringLiteral("Overview"), "view-grid");
    connect(overview_, &QPushButton::clicked, this, [this] {
        if (auto c = arranger_.lock()) c->showEverything();
    });
    displayRow->addWidget(overview_);
    column->addLayout(displayRow);

    canvas_ = new SpatialCanvasWidget(arranger_.lock(), kCanvasRadius);
    canvas_->setMinimumHeight(kCanvasMinimumHeight);
    column->addWidget(canvas_, 1);
    column->addWidget(makeWindowBar());
    column->addWidget(makeDockRow());
    column->addWidget(divider());
    column->addWidget(makeNavigationRow());
    column->addWidget(makeSettingsRow());
    return pane;
}

QWidget* DashboardWindow::makeWindowBar() {
    windowBar_ = new QWidget;
    auto* row = new QHBoxLayout(windowBar_);
    row->setContentsMargins(0, 0, 0, 0);
    barName_ = label({}, 1.0, QFont::Bold);
    barTitle_ = label({}, 1.0, QFont::Normal, true);
    barTitle_->setMinimumWidth(0);
    barTitle_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(barName_);
    row->addWidget(barTitle_, 1);
    focus_ = button(QStringLiteral("Focus"));
    float_ = button(QStringLiteral("Float"));
    connect(focus_, &QPushButton::clicked, this, [this] {
        if (auto c = arranger_.lock(); c && c->selectedRecord()) c->focus(c->selectedRecord()->id);
    });
    connect(float_, &QPushButton::clicked, this, [this] {
        if (auto c = arranger_.lock(); c && c->selectedRecord()) c->floatWindow(c->selectedRecord()->id);
    });
    row->addWidget(focus_);
    row->addWidget(float_);
    auto* more = new QToolButton;
    more->setText(QStringLiteral("\u22ef"));
    more->setAccessibleName(QStringLiteral("More"));
    more->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(more);
    excludeAction_ = menu->addAction(QString());
    connect(excludeAction_, &QAction::triggered, this, [this] {
        if (auto c = arranger_.lock(); c && c->selectedRecord()) c->exclude(c->selectedRecord()->applicationID(), true);
    });
    more->setMenu(menu);
    row->addWidget(more);
    windowBar_->hide();
    return windowBar_;
}

QWidget* DashboardWindow::makeDockRow() {
    dockRow_ = new QWidget;
    auto* row = new QHBoxLayout(dockRow_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    row->addWidget(label(QStringLiteral("Dock beside"), 0.85, QFont::Normal, true));
    targetPicker_ = new QComboBox;
    targetPicker_->setAccessibleName(QStringLiteral("Target"));
    targetPicker_->setMaximumWidth(180);
    connect(targetPicker_, &QComboBox::activated, this,
            [this](int index) { target_ = targetPicker_->itemData(index).toString().toStdString(); });
    row->addWidget(targetPicker_);
    for (const DockEdge edge : allDockEdges) {
        auto* b = button(QString::fromStdString(dockEdgeLabel(edge)));
        connect(b, &QPushButton::clicked, this, [this, edge] { dockSelected(edge); });
        row->addWidget(b);
    }
    row->addStretch(1);
    dockRow_->hide();
    return dockRow_;
}

QWidget* DashboardWindow::makeNavigationRow() {
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(16);
    auto* hint = new QHBoxLayout;
    hint->setSpacing(4);
    auto* symbol = new QLabel;
    symbol->setPixmap(symbolPixmap(14, QColor(128, 128, 128)));
    hint->addWidget(symbol);
    hint->addWidget(
        label(QStringLiteral("Drag an edge to split; drop in the middle for tabs"), 0.85, QFont::Normal, true));
    row->addLayout(hint);
    row->addStretch(1);
    back_ = button(QStringLiteral("Back"));
    forward_ = button(QStringLiteral("Forward"));
    connect(back_, &QPushButton::clicked, this, [this] {
        if (auto c = arranger_.lock()) c->back();
    });
    connect(forward_, &QPushButton::clicked, this, [this] {
        if (auto c = arranger_.lock()) c->forward();
    });
    row->addWidget(back_);
    row->addWidget(forward_);
    return box;
}

QWidget* DashboardWindow::makeSettingsRow() {
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(label(QStringLiteral("Gap"), 0.85, QFont::Normal));
    gap_ = new QSlider(Qt::Horizontal);
    gap_->setAccessibleName(QStringLiteral("Gap"));
    gap_->setFixedWidth(100);
    gap_->setRange(0, GapSlider::positions() - 1);
    gap_->setSingleStep(1);
    gap_->setPageStep(1);
    gap_->setTickPosition(QSlider::NoTicks);
    connect(gap_, &QSlider::valueChanged, this, [this](int position) {
        if (auto c = arranger_.lock()) c->setGap(GapSlider::gapAt(position));
    });
    row->addWidget(gap_);
    dragDocking_ = new QCheckBox(QStringLiteral("Drag to dock"));
    connect(dragDocking_, &QCheckBox::toggled, this, [this](bool on) {
        if (auto c = arranger_.lock()) c->setDragDocking(on);
    });
    row->addWidget(dragDocking_);
    previews_ = button(QString::fromUtf8(kAllowPreviewsLabel));
    connect(previews_, &QPushButton::clicked, this, [this] {
        if (auto c = arranger_.lock()) c->enablePreviews();
    });
    row->addWidget(previews_);
    row->addStretch(1);

    auto* saved = new QToolButton;
    saved->setText(QStringLiteral("Saved layouts"));
    saved->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(saved);
    for (int slot = 1; slot <= kSavedLayoutSlots; ++slot) {
        QMenu* sub = menu->addMenu(QStringLiteral("Layout ") + QString::number(slot));
        QAction* save = sub->addAction(QStringLiteral("Save current layout"));
        QAction* restore = sub->addAction(QStringLiteral("Restore"));
        connect(save, &QAction::triggered, this, [this, slot] {
            if (auto c = arranger_.lock()) c->saveView(slot);
        });
        connect(restore, &QAction::triggered, this, [this, slot] {
            if (auto c = arranger_.lock()) c->recallView(slot);
        });
        saveActions_.push_back(save);
        restoreActions_.push_back(restore);
    }
    saved->setMenu(menu);
    row->addWidget(saved);
    return box;
}

QWidget* DashboardWindow::makeStatusLine() {
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(12, 12, 12, 12);
    dot_ = new QLabel;
    row->addWidget(dot_);
    status_ = label({}, 0.85, QFont::Normal);
    status_->setWordWrap(true);
    status_->setMaximumHeight(2 * status_->fontMetrics().lineSpacing());
    status_->setTextFormat(Qt::PlainText);
    row->addWidget(status_, 1);
    auto* hint = label(QString::fromStdString(showEverythingKeyHint()), 0.85, QFont::Normal, true);
    hint->setObjectName("showEverythingKeyHint");
    hint->setToolTip(QString::fromUtf8(kManagerHeldKeysNote));
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSizeF(hint->font().pointSizeF());
    hint->setFont(mono);
    row->addWidget(hint);
    return box;
}

// ---- Redraws

void DashboardWindow::modelChanged() {
    if (refreshPending_) return;
    refreshPending_ = true;
    QTimer::singleShot(0, this, [this] {
        refreshPending_ = false;
        if (isVisible()) refreshNow();
    });
}

void DashboardWindow::showEvent(QShowEvent* event) {
    refreshNow();
    QWidget::showEvent(event);
}

void DashboardWindow::refreshNow() {
    auto arranger = arranger_.lock();
    if (!arranger) return;
    const DashboardHost& c = *arranger;
    refreshHeader(c);
    refreshList(c);
    refreshExcluded(c);
    refreshDisplays(c);
    refreshWindowBar(c);
    refreshDockRow(c);
    refreshNavigation(c);
    refreshSettings(c);
    refreshStatus(c);
}

void DashboardWindow::refreshHeader(const DashboardHost& c) {
    const DashboardControls controls =
        dashboardControls({c.model().trusted.get(), c.model().managing.get(), c.model().recoveryAvailable.get(),
                           c.model().resumeAvailable.get()});
    if (controls == shownControls_) return;
    shownControls_ = controls;
    ++rebuilds_.header;
    resume_->setVisible(controls.resumeShown);
    resume_->setEnabled(controls.resumeEnabled);
    freeAll_->setEnabled(controls.freeAllEnabled);
    setWindows_->setEnabled(controls.setWindowsEnabled);
    accessibilityBanner_->setVisible(controls.accessibilityBanner);
    recoveryBanner_->setVisible(controls.recoveryBanner);
}

void DashboardWindow::refreshList(const DashboardHost& c) {
    std::vector<std::pair<std::string, std::string>> rows;
    for (const auto& record : c.model().windows.get())
        rows.emplace_back(record->id, record->title + "\n" + applicationName(*record));
    if (rows != shownList_) {
        shownList_ = rows;
        ++rebuilds_.list;
        const QSignalBlocker blocker(list_);
        list_->clear();
        for (const auto& record : c.model().windows.get()) {
            auto* item = new QListWidgetItem(ApplicationIcons::icon(*record),
                                             shown(record->title) + QChar('\n') + shown(applicationName(*record)));
            item->setData(Qt::UserRole, QString::fromStdString(record->id));
            item->setSizeHint(QSize(0, kRowIcon + 10));
            list_->addItem(item);
        }
        count_->setText(QString::number(rows.size()));
        shownListSelection_.reset();
    }
    const std::optional<std::string> selection = c.model().selectedWindow.get();
    if (selection == shownListSelection_ && list_->selectedItems().size() == (selection ? 1 : 0)) return;
    shownListSelection_ = selection;
    const QSignalBlocker blocker(list_);
    list_->clearSelection();
    if (!selection) return;
    for (int i = 0; i < list_->count(); ++i) {
        if (list_->item(i)->data(Qt::UserRole).toString().toStdString() != *selection) continue;
        list_->item(i)->setSelected(true);
        break;
    }
}

void DashboardWindow::refreshExcluded(const DashboardHost& c) {
    if (shownExcluded_ == c.model().excluded.get()) return;
    shownExcluded_ = c.model().excluded.get();
    ++rebuilds_.excluded;
    while (QLayoutItem* item = excludedRows_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    // A std::set iterates in ascending order already.
    for (const std::string& identity : *shownExcluded_) {
        auto* rowBox = new QWidget;
        auto* row = new QHBoxLayout(rowBox);
        row->setContentsMargins(0, 0, 0, 0);
        auto* name = label(shown(identity), 0.85, QFont::Normal);
        name->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        row->addWidget(name, 1);
        auto* include = button(QStringLiteral("Include"));
        connect(include, &QPushButton::clicked, this, [this, identity] {
            if (auto arranger = arranger_.lock()) arranger->exclude(identity, false);
        });
        row->addWidget(include);
        excludedRows_->addWidget(rowBox);
    }
    excludedBox_->setVisible(!shownExcluded_->empty());
}

void DashboardWindow::refreshDisplays(const DashboardHost& c) {
    std::vector<std::pair<std::string, std::string>> displays;
    for (const DisplayInfo& display : c.model().displays.get()) displays.emplace_back(display.id, display.name);
    const bool hasStates = !c.model().states->empty();
    if (displays == shownDisplays_ && c.model().selectedDisplay.get() == shownDisplay_ &&
        hasStates == shownHasStates_ && rebuilds_.displays > 0)
        return;
    ++rebuilds_.displays;
    shownDisplays_ = displays;
    shownDisplay_ = c.model().selectedDisplay.get();
    shownHasStates_ = hasStates;
    const QSignalBlocker blocker(displayPicker_);
    displayPicker_->clear();
    for (const auto& [id, name] : displays)
        displayPicker_->addItem(QString::fromStdString(name), QString::fromStdString(id));
    displayPicker_->setCurrentIndex(displayPicker_->findData(QString::fromStdString(shownDisplay_)));
    overview_->setEnabled(hasStates);
}

void DashboardWindow::refreshWindowBar(const DashboardHost& c) {
    const auto record = c.selectedRecord();
    std::optional<std::vector<std::string>> shownBar;
    if (record)
        shownBar = std::vector<std::string>{record->id, applicationName(*record), record->title,
                                            c.model().managing.get() ? "1" : "0"};
    if (shownBar == shownWindowBar_ && rebuilds_.windowBar > 0) return;
    ++rebuilds_.windowBar;
    shownWindowBar_ = shownBar;
    windowBar_->setVisible(record != nullptr);
    if (!record) return;
    const QString name = shown(applicationName(*record));
    barName_->setText(name);
    barTitle_->setText(barTitle_->fontMetrics().elidedText(shown(record->title), Qt::ElideRight, 400));
    focus_->setEnabled(c.model().managing.get());
    float_->setEnabled(c.model().managing.get());
    excludeAction_->setText(QStringLiteral("Exclude ") + name);
}

void DashboardWindow::refreshDockRow(const DashboardHost& c) {
    const auto record = c.selectedRecord();
    const auto state = c.current();
    const bool visible = record && state;
    std::optional<std::vector<DockTargetChoice>> choices;
    if (visible) {
        std::vector<ListedWindow> listed;
        for (const auto& r : c.model().windows.get()) listed.push_back({r->id, r->title});
        choices = dockTargetChoices(state->root, listed, record->id);
    }
    if (visible == shownDockRow_ && choices == shownChoices_ && rebuilds_.dockRow > 0) return;
    ++rebuilds_.dockRow;
    shownDockRow_ = visible;
    shownChoices_ = choices;
    dockRow_->setVisible(visible);
    const QSignalBlocker blocker(targetPicker_);
    targetPicker_->clear();
    if (!choices) return;
    for (const DockTargetChoice& choice : *choices)
        targetPicker_->addItem(shown(choice.title), QString::fromStdString(choice.nodeID));
    // The picked node shows while the picker offers it; otherwise no entry is chosen.
    targetPicker_->setCurrentIndex(targetPicker_->findData(QString::fromStdString(target_)));
}

void DashboardWindow::dockSelected(DockEdge edge) {
    auto arranger = arranger_.lock();
    if (!arranger) return;
    const auto record = arranger->selectedRecord();
    const auto state = arranger->current();
    if (!record || !state) return;
    arranger->dock(record->id, dockTargetNode(state->root, target_), arranger->model().selectedDisplay.get(), edge);
}

void DashboardWindow::refreshNavigation(const DashboardHost& c) {
    const std::pair<bool, bool> enabled{c.canGoBack(), c.canGoForward()};
    if (enabled == shownNavigation_) return;
    shownNavigation_ = enabled;
    ++rebuilds_.navigation;
    back_->setEnabled(enabled.first);
    forward_->setEnabled(enabled.second);
}

void DashboardWindow::refreshSettings(const DashboardHost& c) {
    const bool captureAllowed = c.screenCaptureAllowed();
    std::vector<int> inputs{GapSlider::positionOf(c.model().gap.get()), c.model().dragDocking.get(), captureAllowed,
                            c.model().managing.get()};
    for (int slot = 1; slot <= kSavedLayoutSlots; ++slot) inputs.push_back(slotRestorable(c.model().saved.get(), slot));
    if (inputs == shownSettings_) return;
    shownSettings_ = inputs;
    ++rebuilds_.settings;
    {
        const QSignalBlocker gapBlocker(gap_);
        gap_->setValue(inputs[0]);
    }
    {
        const QSignalBlocker dragBlocker(dragDocking_);
        dragDocking_->setChecked(inputs[1]);
    }
    previews_->setText(QString::fromUtf8(previewsButtonLabel(captureAllowed)));
    for (int slot = 1; slot <= kSavedLayoutSlots; ++slot) {
        saveActions_[slot - 1]->setEnabled(c.model().managing.get());
        restoreActions_[slot - 1]->setEnabled(inputs[3 + slot]);
    }
}

void DashboardWindow::refreshStatus(const DashboardHost& c) {
    const std::pair<std::string, bool> status{c.model().status.get(), c.model().trusted.get()};
    if (status == shownStatus_) return;
    shownStatus_ = status;
    ++rebuilds_.status;
    // Never an OK mark beside a report of trouble.
    dot_->setPixmap(dotPixmap(statusDotGreen(status.second, status.first) ? kGreen : kOrange));
    status_->setText(QString::fromStdString(status.first));
}

}  // namespace arvelo::views
