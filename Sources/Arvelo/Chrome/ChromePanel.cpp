// SPDX-License-Identifier: MIT
// ChromePanel.cpp: a chrome panel's model operations, passed on to the platform's panel and
// the view layer's hooks.
#include "Arvelo/Chrome/ChromePanel.h"

namespace arvelo {

void ChromePanel::show() {
    visible = true;
    if (platformPanels) platformPanels->show(id);
    if (presenter.show) presenter.show(*this);
}

void ChromePanel::hide() {
    visible = false;
    if (platformPanels) platformPanels->hide(id);
    if (presenter.hide) presenter.hide(*this);
}

void ChromePanel::close() {
    visible = false;
    closed = true;
    if (platformPanels) platformPanels->close(id);
    if (presenter.close) presenter.close(*this);
}

void ChromePanel::redraw() {
    if (presenter.redraw) presenter.redraw(*this);
}

void ChromePanel::setLevel(platform::PanelLevel newLevel) {
    level = newLevel;
    if (platformPanels) platformPanels->setLevel(id, newLevel);
}

void ChromePanel::setIgnoresMouse(bool ignores) {
    ignoresMouse = ignores;
    if (platformPanels) platformPanels->setIgnoresMouse(id, ignores);
}

void ChromePanel::setFrame(const Rect& newFrame) {
    frame = newFrame;
    if (platformPanels) platformPanels->setFrame(id, newFrame);
}

void ChromePanel::markOrderedAbove(std::uint32_t number) {
    visible = true;
    orderedAbove = number;
    if (presenter.orderAbove) presenter.orderAbove(*this, number);
}

}  // namespace arvelo
