// SPDX-License-Identifier: MIT
// QtPanels.cpp: panels as override-redirect Qt windows.
#include "Platform/X11/Qt/QtPanels.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWindow>

#include <cstdlib>

namespace platform::x11 {

namespace {
// Set on a window of ours once it is kept above the floating panels.
constexpr const char* kAbovePanels = "vomiraAbovePanels";

xcb_connection_t* qtConnection() {
    if (auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
        return x11->connection();
    return nullptr;
}

// A round trip on Qt's connection: its map and raise of a window are done before a restack
// from the stacking connection is looked at, whatever order the server takes clients in.
void syncQtConnection() {
    if (xcb_connection_t* c = qtConnection()) free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

// Watches the native window of one of our managed windows (the window map, a dialog, the
// dashboard): shown (exposed) or focused, the floating panels go below it; hidden, minimised
// or gone, they are free to go back on top.
class PopUpWatch final : public QObject {
public:
    PopUpWatch(QWindow* window, std::shared_ptr<PanelStacking> stacking)
        : QObject(window), client_(static_cast<xcb_window_t>(window->winId())), stacking_(std::move(stacking)) {}
    ~PopUpWatch() override { stacking_->setPopUpWindow(client_, false); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = qobject_cast<QWindow*>(watched);
        switch (event->type()) {
            case QEvent::Expose:
            case QEvent::FocusIn:
                if (window && window->isExposed()) {
                    stacking_->setPopUpWindow(client_, true);
                    syncQtConnection();
                    stacking_->restack({});
                } else if (window && event->type() == QEvent::Expose) {
                    // Minimised or unmapped by the window manager: no longer above the panels.
                    stacking_->setPopUpWindow(client_, false);
                }
                break;
            case QEvent::Hide:
                stacking_->setPopUpWindow(client_, false);
                break;
            default:
                break;
        }
        return false;
    }

private:
    xcb_window_t client_;
    std::shared_ptr<PanelStacking> stacking_;
};
}  // namespace

QtPanels::QtPanels(std::shared_ptr<PanelStacking> stacking) : stacking_(std::move(stacking)) { recheckCompositor(); }

QtPanels::~QtPanels() {
    for (auto& [id, entry] : entries_) delete entry.window.data();
}

void QtPanels::recheckCompositor() { translucent_ = stacking_ && stacking_->compositing(); }

QtPanels::Entry* QtPanels::find(PanelID panel) {
    const auto it = entries_.find(panel);
    return it == entries_.end() || !it->second.window ? nullptr : &it->second;
}

QWidget* QtPanels::host(PanelID panel) const {
    const auto it = entries_.find(panel);
    return it == entries_.end() ? nullptr : it->second.window.data();
}

QWidget* QtPanels::makeWindow(const QRect& geometry) const {
    auto* window = new QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                                            Qt::X11BypassWindowManagerHint | Qt::NoDropShadowWindowHint);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setAttribute(Qt::WA_X11DoNotAcceptFocus);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    // Without a compositing manager an alpha channel shows as black: the panel is then
    // opaque and its content cuts its outline with a mask instead.
    if (translucent_) {
        window->setAttribute(Qt::WA_TranslucentBackground);
        window->setAutoFillBackground(false);
    }
    window->setGeometry(geometry);
    window->winId();  // the native window exists from now on
    return window;
}

PanelID QtPanels::create(const arvelo::Rect& frame) {
    QWidget* window = makeWindow(QRect(qRound(frame.x), qRound(frame.y), std::max(1, qRound(frame.width)),
                                       std::max(1, qRound(frame.height))));
    const PanelID id = next_++;
    entries_[id].window = window;
    return id;
}

void QtPanels::setCompositing(bool running) {
    if (running == translucent_) return;
    translucent_ = running;
    // A window's visual (with or without alpha) is fixed when it is made: each panel gets a
    // new one. The content goes along, so views that hold on to it (pins) keep working.
    for (auto& [id, entry] : entries_) {
        QWidget* old = entry.window;
        if (!old) continue;
        const bool shown = old->isVisible();
        QWidget* fresh = makeWindow(old->geometry());
        for (QWidget* child : old->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            const bool childShown = child->isVisible();
            child->setParent(fresh);
            child->setVisible(childShown);
        }
        if (!old->mask().isEmpty()) fresh->setMask(old->mask());
        fresh->setAttribute(Qt::WA_TransparentForMouseEvents, entry.ignoresMouse);
        if (stacking_) stacking_->forget(static_cast<xcb_window_t>(old->winId()));
        old->hide();
        old->deleteLater();
        entry.window = fresh;
        if (stacking_ && entry.ignoresMouse) {
            flushQt();
            stacking_->setInputEmpty(static_cast<xcb_window_t>(fresh->winId()), true);
        }
        if (shown) show(entry);
    }
    if (stacking_) {
        syncQt();
        stacking_->restack({});
    }
    translucencyChanged.notify(running);
}

namespace {
// Registers each managed top-level window of this program with the panels' stacking as it
// is first shown.
class OwnWindowsWatch final : public QObject {
public:
    explicit OwnWindowsWatch(QtPanels* panels) : QObject(qApp), panels_(panels) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show) return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || !widget->isWindow() || widget->property(kAbovePanels).toBool()) return false;
        const Qt::WindowFlags flags = widget->windowFlags();
        const Qt::WindowType type = widget->windowType();
        // Panels, menus, tool tips and splash screens bypass the window manager or belong above.
        if (flags.testFlag(Qt::X11BypassWindowManagerHint) || type == Qt::Popup || type == Qt::ToolTip ||
            type == Qt::SplashScreen || type == Qt::Tool)
            return false;
        panels_->addPopUpWindow(widget);
        return false;
    }

private:
    QtPanels* panels_;
};
}  // namespace

void QtPanels::keepOwnWindowsAbove() {
    if (!stacking_ || !qApp) return;
    qApp->installEventFilter(new OwnWindowsWatch(this));
}

void QtPanels::addPopUpWindow(QWidget* window) {
    if (!window || !stacking_ || window->property(kAbovePanels).toBool()) return;
    window->setProperty(kAbovePanels, true);
    window->winId();  // the native window and its QWindow exist from now on
    QWindow* handle = window->windowHandle();
    if (!handle) return;
    handle->installEventFilter(new PopUpWatch(handle, stacking_));
}

void QtPanels::setFrame(PanelID panel, const arvelo::Rect& frame) {
    if (Entry* e = find(panel))
        e->window->setGeometry(qRound(frame.x), qRound(frame.y), std::max(1, qRound(frame.width)),
                               std::max(1, qRound(frame.height)));
}

std::optional<arvelo::Rect> QtPanels::frame(PanelID panel) {
    Entry* e = find(panel);
    if (!e) return std::nullopt;
    const QRect g = e->window->geometry();
    return arvelo::Rect(g.x(), g.y(), g.width(), g.height());
}

void QtPanels::setLevel(PanelID panel, PanelLevel level) {
    Entry* e = find(panel);
    if (!e) return;
    e->level = level;
    if (e->window->isVisible() && stacking_) {
        stacking_->setShown(static_cast<xcb_window_t>(e->window->winId()), level);
        if (level != PanelLevel::normal) {
            flushQt();
            stacking_->restack({});
        }
    }
}

void QtPanels::setIgnoresMouse(PanelID panel, bool ignores) {
    Entry* e = find(panel);
    if (!e) return;
    e->ignoresMouse = ignores;
    e->window->setAttribute(Qt::WA_TransparentForMouseEvents, ignores);
    if (stacking_) {
        flushQt();
        stacking_->setInputEmpty(static_cast<xcb_window_t>(e->window->winId()), ignores);
    }
}

void QtPanels::show(Entry& entry) {
    if (!entry.window->isVisible()) entry.window->show();
    if (stacking_) stacking_->setShown(static_cast<xcb_window_t>(entry.window->winId()), entry.level);
}

void QtPanels::show(PanelID panel) {
    Entry* e = find(panel);
    if (!e) return;
    show(*e);
    e->window->raise();
    if (!stacking_) return;
    // Pop-up panels stay in front of a floating or normal panel raised here.
    syncQt();
    stacking_->restack({});
}

void QtPanels::hide(PanelID panel) {
    Entry* e = find(panel);
    if (!e) return;
    if (stacking_) stacking_->forget(static_cast<xcb_window_t>(e->window->winId()));
    e->window->hide();
}

void QtPanels::close(PanelID panel) {
    const auto it = entries_.find(panel);
    if (it == entries_.end()) return;
    if (QWidget* window = it->second.window) {
        if (stacking_) stacking_->forget(static_cast<xcb_window_t>(window->winId()));
        window->hide();
        window->deleteLater();
    }
    entries_.erase(it);
}

void QtPanels::orderAbove(const std::vector<std::pair<PanelID, std::uint32_t>>& placements) {
    std::vector<PanelStacking::Placement> batch;
    for (const auto& [panel, number] : placements) {
        Entry* e = find(panel);
        if (!e) continue;
        show(*e);
        batch.push_back({static_cast<xcb_window_t>(e->window->winId()), number});
    }
    if (!stacking_) return;
    syncQt();
    stacking_->restack(batch);
}

void QtPanels::orderBelow(PanelID panel, std::uint32_t windowNumber) {
    Entry* e = find(panel);
    if (!e) return;
    show(*e);
    if (!stacking_) {
        e->window->lower();
        return;
    }
    syncQt();
    stacking_->placeBelow(static_cast<xcb_window_t>(e->window->winId()), windowNumber);
}

std::uint32_t QtPanels::windowNumber(PanelID panel) {
    Entry* e = find(panel);
    return e ? static_cast<std::uint32_t>(e->window->winId()) : 0;
}

void QtPanels::flushQt() const {
    if (xcb_connection_t* c = qtConnection()) xcb_flush(c);
}

void QtPanels::syncQt() const { syncQtConnection(); }

}  // namespace platform::x11
