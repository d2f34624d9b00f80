// SPDX-License-Identifier: MIT
// FixtureWindow: one ordinary top-level window of the fixture application, a coloured
// surface that shows its own title and current size so screenshots tell the windows apart.
#pragma once

#include <QColor>
#include <QSize>
#include <QString>
#include <QWidget>

namespace fixture {

struct FixtureWindowSpec {
    QString title;
    QColor colour;
    QSize initialSize;
    QSize minimumSize;
    int fontPointSize;
};

class FixtureWindow final : public QWidget {
public:
    explicit FixtureWindow(const FixtureWindowSpec& spec);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour_;
    int fontPointSize_;
};

}  // namespace fixture
