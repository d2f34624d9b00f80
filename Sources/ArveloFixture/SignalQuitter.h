// SPDX-License-Identifier: MIT
// SignalQuitter: turns SIGTERM and SIGINT into a normal quit of the Qt event loop, through a
// signalfd watched by the loop (the signals are blocked for every thread of the process).
#pragma once

#include <QObject>

class QSocketNotifier;

namespace fixture {

class SignalQuitter final : public QObject {
public:
    // Blocks SIGTERM and SIGINT; call before any thread starts so every thread inherits it.
    static void blockSignals();

    explicit SignalQuitter(QObject* parent = nullptr);
    ~SignalQuitter() override;

private:
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace fixture
