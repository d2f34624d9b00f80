// SPDX-License-Identifier: MIT
// PermissionsWindow.cpp: builds the permissions window (header, the desktop's requirement
// rows, "Done"), keeps the rows in step with the desktop, and records that it was seen.

#include "Arvelo/Shell/PermissionsWindow.h"

#include "Arvelo/Shell/Application.h"
#include "Arvelo/Shell/StatusIcon.h"
#include "Platform/Panels.h"
#include "TenvikKit/Views/RequirementRow.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace arvelo {

namespace {

constexpr int kWidth = 560;

QLabel* secondaryLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QPalette palette = label->palette();
    QColor color = palette.color(QPalette::WindowText);
    color.setAlpha(150);
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    label->setWordWrap(true);
    return label;
}

}  // namespace

PermissionsWindow::PermissionsWindow(platform::Services services, std::function<tenvik::DesktopFacts()> facts)
    : services_(std::move(services)), facts_(std::move(facts)) {
    if (!facts_)
        facts_ = [accessibility = services_.accessibility, panels = services_.panels] {
            tenvik::DesktopFacts facts;
            facts.windowManager = accessibility && accessibility->isProcessTrusted();
            facts.compositingManager = panels && panels->translucent();
            return facts;
        };
}

PermissionsWindow::~PermissionsWindow() { pollTimer_.invalidate(); }

void PermissionsWindow::show() {
    if (!window_) build();
    poll();
    if (!pollTimer_.isValid()) {
        pollTimer_ = services_.dispatch->scheduleTimer(kPollInterval, true, platform::RunLoopMode::common, [this] {
            // Polls only while the window is open.
            if (window_->isVisible())
                poll();
            else
                pollTimer_.invalidate();
        });
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void PermissionsWindow::build() {
    window_ = std::make_unique<QDialog>(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    QDialog& window = *window_;
    window.setObjectName("permissions");
    window.setWindowTitle("Vomira Permissions");
    window.setFixedWidth(kWidth);
    window.setModal(false);

    auto* layout = new QVBoxLayout(&window);
    layout->setSpacing(18);
    layout->setContentsMargins(24, 24, 24, 24);

    auto* header = new QHBoxLayout;
    header->setSpacing(12);
    auto* symbol = new QLabel(&window);
    symbol->setPixmap(statusSymbol(36, window.palette().color(QPalette::Highlight)));
    header->addWidget(symbol, 0, Qt::AlignTop);
    auto* headings = new QVBoxLayout;
    headings->setSpacing(2);
    auto* title = new QLabel("What Vomira can do on this desktop", &window);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.35);
    title->setFont(titleFont);
    headings->addWidget(title);
    QLabel* subtitle = secondaryLabel(kSubtitle, &window);
    subtitle->setObjectName("subtitle");
    headings->addWidget(subtitle);
    header->addLayout(headings, 1);
    layout->addLayout(header);

    requirements_ = new tenvik::RequirementList(&window);
    requirements_->setObjectName("requirements");
    layout->addWidget(requirements_);
    layout->addStretch(1);

    auto* footer = new QHBoxLayout;
    footer->addStretch(1);
    auto* done = new QPushButton("Done", &window);
    done->setObjectName("done");
    done->setDefault(true);
    QObject::connect(done, &QPushButton::clicked, &window, &QDialog::accept);
    footer->addWidget(done);
    layout->addLayout(footer);
    // "Done", Escape and the title bar's close button all end here: seen is seen.
    QObject::connect(&window, &QDialog::finished, &window, [this] { closed(); });
}

void PermissionsWindow::poll() {
    shown_ = tenvik::desktopRequirements(facts_());
    requirements_->setRequirements(shown_);
    window_->adjustSize();
}

void PermissionsWindow::closed() { services_.defaults->setBoolean(Application::kShownPermissionsKey, true); }

}  // namespace arvelo
