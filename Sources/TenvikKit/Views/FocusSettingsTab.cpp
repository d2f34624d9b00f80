// SPDX-License-Identifier: MIT
// FocusSettingsTab.cpp: the allowed applications' rows, the chooser and the list edits.
#include "TenvikKit/Views/FocusSettingsTab.h"

#include "TenvikKit/Applications/RunningIdentity.h"
#include "TenvikKit/FocusLock/FocusActivationPolicy.h"
#include "TenvikKit/Views/ApplicationChooser.h"
#include "TenvikKit/Views/ApplicationIcon.h"
#include "TenvikKit/Views/KitForm.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace tenvik {

namespace {

constexpr int kIconSize = 24;
constexpr int kNameWidth = 330;

}  // namespace

FocusSettingsTab::FocusSettingsTab(const KitWindowContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* scroll = scroll_ = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* formView = new GroupedForm;
    scroll->setWidget(formView);
    layout->addWidget(scroll);
    // Scrolled to the end of what is built: the next rows.
    QObject::connect(scroll->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        // Only a scroll the user made: while the rows are still being laid out the range is
        // small or empty and the value sits at 0.
        const int maximum = scroll_->verticalScrollBar()->maximum();
        if (value > 0 && maximum > 0 && value >= maximum - kIconSize * 4) buildMoreRows();
    });
    FormSection* section = formView->addSection("Allowed Apps");

    section->addRow(form::secondaryText("You can switch to these apps without turning off focus lock."));
    empty_ = form::secondaryText("No apps added yet.");
    empty_->setObjectName("noApps");
    rows_ = new QWidget;
    rows_->setObjectName("allowedApps");
    rowsLayout_ = new QVBoxLayout(rows_);
    rowsLayout_->setContentsMargins(0, 0, 0, 0);
    rowsLayout_->setSpacing(8);
    rowsLayout_->addWidget(empty_);
    section->addRow(rows_);

    auto* addColumn = new QVBoxLayout;
    addColumn->setSpacing(4);
    auto* addRow = new QHBoxLayout;
    add_ = new QPushButton(QIcon::fromTheme("list-add"), "Add App\u2026");
    add_->setObjectName("addApp");
    add_->setAutoDefault(false);
    addRow->addWidget(add_);
    addRow->addStretch(1);
    addColumn->addLayout(addRow);
    error_ = form::errorCaption(QString());
    error_->setObjectName("selectionError");
    addColumn->addWidget(error_);
    section->addRow(addColumn);
    QObject::connect(add_, &QPushButton::clicked, this, [this] { chooseApp(); });

    section->addRow(
        form::caption("Always allowed: Vomira, the desktop's panels, docks and notifications, screen lockers, "
                      "password prompts and input methods. Use Release All to stop focus locking."));

    settingsLink_ = ChangeLink(context_.shared.settings->changes, [this] {
        if (context_.shared.settings->focusAllowedApplicationIDs() != shownList_) refreshApps();
    });
    // Applications installed or removed meanwhile are found again when the program comes back.
    QObject::connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive) return;
        readInstalledApplications();
        refreshApps();
    });
    readInstalledApplications();
    refreshApps();
}

void FocusSettingsTab::showEvent(QShowEvent* event) {
    readInstalledApplications();
    refreshApps();
    QWidget::showEvent(event);
}

void FocusSettingsTab::hideEvent(QHideEvent* event) {
    // The settings window closing with the chooser up takes the chooser along: that is a
    // cancel, or "Add App…" would stay disabled.
    if (isChoosingApp_ && chooser_) chooser_->reject();
    QWidget::hideEvent(event);
}

void FocusSettingsTab::readInstalledApplications() {
    installed_ = context_.installedApplications ? context_.installedApplications() : std::vector<DesktopEntry>();
}

void FocusSettingsTab::refreshApps() {
    shownList_ = context_.shared.settings->focusAllowedApplicationIDs();
    apps_ = FocusExceptionApp::rows(shownList_, installed_, chosen_);
    renderRows();
}

void FocusSettingsTab::renderRows() {
    while (rowsLayout_->count() > 1) {
        QLayoutItem* item = rowsLayout_->takeAt(1);
        if (item->widget()) item->widget()->deleteLater();
        delete item;
    }
    built_ = 0;
    empty_->setVisible(apps_.empty());
    buildMoreRows();
    add_->setEnabled(!isChoosingApp_);
    error_->setText(selectionError_ ? QString::fromStdString(*selectionError_) : QString());
    error_->setVisible(selectionError_.has_value());
}

void FocusSettingsTab::buildMoreRows() {
    const std::size_t end = std::min(apps_.size(), built_ + kRowBatch);
    for (; built_ < end; ++built_) rowsLayout_->addWidget(makeRow(apps_[built_]));
}

QWidget* FocusSettingsTab::makeRow(const FocusExceptionApp& app) {
    auto* row = new QWidget(rows_);
    row->setObjectName(QString::fromStdString("app " + app.id));
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(10);
    auto* icon = new QLabel(row);
    icon->setFixedSize(kIconSize, kIconSize);
    if (app.installed) icon->setPixmap(applicationIcon(QString::fromStdString(app.icon)).pixmap(kIconSize, kIconSize));
    if (!app.installed || icon->pixmap().isNull())
        icon->setPixmap(missingApplicationPixmap(kIconSize, form::secondaryColor(palette())));
    line->addWidget(icon);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    const QString name = QString::fromStdString(app.name);
    auto* nameLabel = new QLabel(row);
    nameLabel->setObjectName("name");
    nameLabel->setTextFormat(Qt::PlainText);
    nameLabel->setText(nameLabel->fontMetrics().elidedText(name.simplified(), Qt::ElideRight, kNameWidth));
    nameLabel->setToolTip(QString::fromStdString(app.id));
    texts->addWidget(nameLabel);
    if (!app.installed) texts->addWidget(form::caption("Not installed", row));
    line->addLayout(texts, 1);
    auto* removeButton = new QPushButton("Remove", row);
    removeButton->setObjectName("remove");
    removeButton->setAutoDefault(false);
    removeButton->setAccessibleName("Remove " + name + " from allowed apps");
    QObject::connect(removeButton, &QPushButton::clicked, this, [this, id = app.id] { remove(id); });
    line->addWidget(removeButton);
    return row;
}

void FocusSettingsTab::chooseApp() {
    if (isChoosingApp_) return;
    selectionError_.reset();
    isChoosingApp_ = true;
    readInstalledApplications();
    chooser_ = new ApplicationChooser(installed_, window());
    chooser_->setAttribute(Qt::WA_DeleteOnClose);
    chooser_->onFinished = [this](std::optional<DesktopEntry> picked) { finishChoosing(picked); };
    renderRows();
    chooser_->open();
}

void FocusSettingsTab::finishChoosing(const std::optional<DesktopEntry>& picked) {
    isChoosingApp_ = false;
    if (chooser_) chooser_->onFinished = nullptr;
    if (!picked) {
        renderRows();
        return;
    }
    // What a running copy reports, else what the entry says its windows will report.
    const std::vector<platform::RunningApplication> running =
        context_.runningApplications ? context_.runningApplications() : std::vector<platform::RunningApplication>();
    auto identifier = RunningIdentity::identifierFor(*picked, running);
    if (!identifier) identifier = FocusActivationPolicy::normalizedApplicationID(picked->identifier);
    if (!identifier) {
        selectionError_ = kSelectionError;
        renderRows();
        return;
    }
    DesktopEntry entry = *picked;
    entry.identifier = *identifier;
    chosen_[*identifier] = entry;
    AppSettings& settings = *context_.shared.settings;
    settings.setFocusAllowedApplicationIDs(FocusExceptionApp::adding(*identifier, settings.focusAllowedApplicationIDs()));
    refreshApps();
}

void FocusSettingsTab::remove(const std::string& id) {
    AppSettings& settings = *context_.shared.settings;
    settings.setFocusAllowedApplicationIDs(FocusExceptionApp::removing(id, settings.focusAllowedApplicationIDs()));
}

}  // namespace tenvik
