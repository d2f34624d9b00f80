// PermissionsWindow.cpp: builds the permissions window (header, one row per permission, the
// footer buttons), keeps its rows in step with the platform's answers, and records "Done".

#include "Arvelo/Shell/PermissionsWindow.h"

#include "Arvelo/Shell/Application.h"
#include "Arvelo/Shell/StatusIcon.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace arvelo {

namespace {

constexpr int kWidth = 520;
constexpr int kHeight = 290;
constexpr int kMarkSize = 22;
// What is true of these permissions on X11: nothing asks the user, the desktop grants them.
constexpr const char* kSubtitle = "On X11 nothing asks you: your window manager and X server grant these.";

QPixmap markPixmap(bool granted, const QColor& secondary) {
    QPixmap pixmap(kMarkSize, kMarkSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF circle(1.5, 1.5, kMarkSize - 3, kMarkSize - 3);
    if (granted) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x34, 0xc7, 0x59));
        painter.drawEllipse(circle);
        QPainterPath check;
        check.moveTo(6.5, 11.5);
        check.lineTo(9.8, 14.8);
        check.lineTo(15.8, 7.5);
        painter.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(check);
    } else {
        painter.setPen(QPen(secondary, 1.6));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(circle);
    }
    return pixmap;
}

QColor secondaryColor(const QWidget& widget) {
    QColor color = widget.palette().color(QPalette::WindowText);
    color.setAlpha(150);
    return color;
}

QLabel* secondaryLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, secondaryColor(*parent));
    label->setPalette(palette);
    return label;
}

}  // namespace

PermissionsWindow::PermissionsWindow(platform::Services services, std::function<void()> relaunch)
    : services_(std::move(services)), relaunch_(std::move(relaunch)) {}

PermissionsWindow::~PermissionsWindow() { pollTimer_.invalidate(); }

void PermissionsWindow::show() {
    if (!window_) {
        build();
        poll();
    }
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
    window.setFixedSize(kWidth, kHeight);
    window.setModal(false);

    auto* layout = new QVBoxLayout(&window);
    layout->setSpacing(18);
    layout->setContentsMargins(24, 24, 24, 24);

    auto* header = new QHBoxLayout;
    header->setSpacing(12);
    auto* symbol = new QLabel(&window);
    symbol->setPixmap(statusSymbol(36, window.palette().color(QPalette::Highlight)));
    header->addWidget(symbol, 0, Qt::AlignVCenter);
    auto* headings = new QVBoxLayout;
    headings->setSpacing(2);
    auto* title = new QLabel("Allow Vomira to arrange your windows", &window);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.35);
    title->setFont(titleFont);
    headings->addWidget(title);
    headings->addWidget(secondaryLabel(kSubtitle, &window));
    header->addLayout(headings, 1);
    layout->addLayout(header);

    accessibilityRow_ = addRow(layout, "Accessibility", "Required. Lets Vomira move, resize and focus your windows.",
                               [this] { services_.accessibility->isProcessTrustedWithOptions(true); });
    screenRecordingRow_ = addRow(layout, "Screen Recording",
                                 "Optional. Shows pictures of small windows and live pinned windows. "
                                 "Needs the X server's Composite extension.",
                                 [this] { services_.screenCapture->requestAccess(); });
    layout->addStretch(1);

    auto* footer = new QHBoxLayout;
    auto* reopen = new QPushButton("Quit && Reopen", &window);
    reopen->setObjectName("quitAndReopen");
    reopen->setToolTip("Puts your windows back, quits Vomira and starts it again");
    reopen->setAutoDefault(false);
    QObject::connect(reopen, &QPushButton::clicked, &window, [this] {
        if (relaunch_) relaunch_();
    });
    footer->addWidget(reopen);
    footer->addStretch(1);
    doneButton_ = new QPushButton("Done", &window);
    doneButton_->setObjectName("done");
    doneButton_->setDefault(true);
    QObject::connect(doneButton_, &QPushButton::clicked, &window, [this] { done(); });
    footer->addWidget(doneButton_);
    layout->addLayout(footer);
}

PermissionsWindow::Row PermissionsWindow::addRow(QVBoxLayout* layout, const char* title, const char* detail,
                                                 std::function<void()> request) {
    QDialog& window = *window_;
    Row row;
    auto* line = new QHBoxLayout;
    line->setSpacing(12);
    row.mark = new QLabel(&window);
    line->addWidget(row.mark, 0, Qt::AlignTop);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    auto* heading = new QLabel(title, &window);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    heading->setFont(headingFont);
    texts->addWidget(heading);
    QLabel* explanation = secondaryLabel(detail, &window);
    explanation->setWordWrap(true);
    texts->addWidget(explanation);
    line->addLayout(texts, 1);

    row.allowed = secondaryLabel("Allowed", &window);
    line->addWidget(row.allowed, 0, Qt::AlignTop);
    row.allow = new QPushButton("Allow\u2026", &window);
    row.allow->setObjectName(QString("allow ") + title);
    row.allow->setAutoDefault(false);
    // The request runs at once; there is no settings pane to open on this desktop, and the
    // next poll shows the answer.
    QObject::connect(row.allow, &QPushButton::clicked, &window, [request = std::move(request)] { request(); });
    line->addWidget(row.allow, 0, Qt::AlignTop);
    layout->addLayout(line);
    return row;
}

void PermissionsWindow::poll() {
    accessibility_ = services_.accessibility->isProcessTrusted();
    screenRecording_ = services_.screenCapture->preflightAccess();
    render();
}

void PermissionsWindow::render() {
    const QColor secondary = secondaryColor(*window_);
    for (auto [row, granted] :
         {std::pair{&accessibilityRow_, accessibility_}, std::pair{&screenRecordingRow_, screenRecording_}}) {
        row->mark->setPixmap(markPixmap(granted, secondary));
        row->allowed->setVisible(granted);
        row->allow->setVisible(!granted);
    }
    doneButton_->setEnabled(accessibility_);
}

void PermissionsWindow::done() {
    services_.defaults->setBoolean(Application::kShownPermissionsKey, true);
    window_->close();
}

}  // namespace arvelo
