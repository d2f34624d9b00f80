// SPDX-License-Identifier: MIT
// KitWindow.h: a top-level window of the kit (settings, onboarding) that tells its owner when
// it closes; closing only hides it, so it comes back as the same window. Its title reads as
// given, without the program's name that Qt adds on X11.
#pragma once

#include <QWidget>

#include <functional>

namespace tenvik {

class KitWindow : public QWidget {
public:
    KitWindow()
        : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {}

    std::function<void()> onClose;

    // Centres the window on its screen the first time, makes it active and brings it to the
    // front; later it comes back where the user left it.
    void present();

private:
    bool placed_ = false;

protected:
    void closeEvent(QCloseEvent* event) override;
};

}  // namespace tenvik
