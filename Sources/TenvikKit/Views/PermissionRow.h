// PermissionRow.h: one permission's row: a green check or a red cross (read as "Granted" or
// "Not granted"), the permission's name and what it is for, and, while it is not granted, one
// button: "Grant…" until the user was asked, then "Open System Settings". On a desktop without
// a privacy settings pane (X11) the second button is not offered; the row says instead what
// the permission depends on here.
#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

namespace tenvik {

class PermissionRow : public QWidget {
public:
    struct Content {
        bool granted = false;
        QString title;
        QString caption;
        bool showsOpenSettings = false;
        // Shown under the caption while not granted when there is no pane to open.
        QString noPaneCaption;
    };

    PermissionRow(bool hasPrivacySettingsPane, QWidget* parent = nullptr);

    std::function<void()> onRequest;
    std::function<void()> onOpenSettings;

    void setContent(const Content& content);

    QLabel* icon() const { return icon_; }
    QPushButton* button() const { return button_; }
    QLabel* whyLabel() const { return why_; }

private:
    bool hasPane_;
    Content content_;
    QLabel* icon_ = nullptr;
    QLabel* title_ = nullptr;
    QLabel* caption_ = nullptr;
    QLabel* why_ = nullptr;
    QPushButton* button_ = nullptr;
};

}  // namespace tenvik
