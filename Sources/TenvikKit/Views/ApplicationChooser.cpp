// SPDX-License-Identifier: MIT
// ApplicationChooser.cpp: the dialog's search field, list and buttons.
#include "TenvikKit/Views/ApplicationChooser.h"

#include "TenvikKit/Views/ApplicationIcon.h"
#include "TenvikKit/Views/KitForm.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tenvik {

namespace {

constexpr int kIconSize = 24;

QString shownName(const std::string& name) {
    QString text = QString::fromStdString(name).simplified();
    if (text.size() > ApplicationChooser::kMaximumShownNameLength)
        text = text.left(ApplicationChooser::kMaximumShownNameLength) + QChar(0x2026);
    return text;
}

}  // namespace

ApplicationChooser::ApplicationChooser(std::vector<DesktopEntry> applications, QWidget* parent)
    : QDialog(parent), applications_(std::move(applications)) {
    setObjectName("applicationChooser");
    setWindowTitle("Add Allowed App");
    setWindowModality(Qt::WindowModal);
    resize(420, 440);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(form::secondaryText("Choose an app you want to use while focus lock is on.", this));
    search_ = new QLineEdit(this);
    search_->setObjectName("search");
    search_->setPlaceholderText("Search");
    search_->setClearButtonEnabled(true);
    layout->addWidget(search_);
    list_ = new QListWidget(this);
    list_->setObjectName("applications");
    list_->setIconSize(QSize(kIconSize, kIconSize));
    list_->setTextElideMode(Qt::ElideRight);
    list_->setUniformItemSizes(true);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (std::size_t i = 0; i < applications_.size(); ++i) {
        const DesktopEntry& entry = applications_[i];
        auto* item = new QListWidgetItem(applicationIcon(QString::fromStdString(entry.icon)), shownName(entry.name));
        item->setData(Qt::UserRole, static_cast<int>(i));
        item->setToolTip(QString::fromStdString(entry.identifier));
        list_->addItem(item);
    }
    layout->addWidget(list_, 1);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QDialogButtonBox::Cancel);
    add_ = buttons->addButton("Add App", QDialogButtonBox::AcceptRole);
    add_->setObjectName("addApp");
    add_->setEnabled(false);
    layout->addWidget(buttons);

    QObject::connect(search_, &QLineEdit::textChanged, this, [this](const QString& text) { setFilter(text); });
    QObject::connect(list_, &QListWidget::currentItemChanged, this,
                     [this](QListWidgetItem* item) { add_->setEnabled(item && !item->isHidden()); });
    QObject::connect(list_, &QListWidget::itemActivated, this, [this] { accept(); });
    QObject::connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    QObject::connect(this, &QDialog::finished, this, [this](int result) {
        std::optional<DesktopEntry> answer;
        if (result == QDialog::Accepted) answer = selected();
        if (onFinished) onFinished(answer);
    });
}

void ApplicationChooser::setFilter(const QString& text) {
    const QString needle = text.trimmed();
    for (int row = 0; row < list_->count(); ++row) {
        QListWidgetItem* item = list_->item(row);
        const DesktopEntry& entry = applications_[static_cast<std::size_t>(item->data(Qt::UserRole).toInt())];
        const bool matches = needle.isEmpty() ||
                             QString::fromStdString(entry.name).contains(needle, Qt::CaseInsensitive) ||
                             QString::fromStdString(entry.identifier).contains(needle, Qt::CaseInsensitive);
        item->setHidden(!matches);
    }
    QListWidgetItem* current = list_->currentItem();
    if (!current || current->isHidden()) {
        list_->setCurrentItem(nullptr);
        for (int row = 0; row < list_->count(); ++row) {
            if (!list_->item(row)->isHidden()) {
                list_->setCurrentRow(row);
                break;
            }
        }
    }
    add_->setEnabled(list_->currentItem() && !list_->currentItem()->isHidden());
}

std::optional<DesktopEntry> ApplicationChooser::selected() const {
    const QListWidgetItem* item = list_->currentItem();
    if (!item || item->isHidden()) return std::nullopt;
    return applications_[static_cast<std::size_t>(item->data(Qt::UserRole).toInt())];
}

}  // namespace tenvik
