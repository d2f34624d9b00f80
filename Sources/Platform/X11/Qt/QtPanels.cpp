// QtPanels.cpp: panels as override-redirect Qt windows.
#include "Platform/X11/Qt/QtPanels.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWindow>

#include <cstdlib>

namespace platform::x11 {

namespace {
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

// Watches a pop-up window's native window: shown (exposed) or focused, the floating panels go
// below it; hidden or gone, they are free to go back on top.
class PopUpWatch final : public QObject {
public:
    PopUpWatch(QWindow* window, std::shared_ptr<PanelStacking> stacking)
        : QObject(window), client_(static_cast<xcb_window_t>(window->winId())), stacking_(std::move(stacking)) {}
    ~PopUpWatch() override { stacking_->setPopUpWindow(client_, false); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::Expose:
            case QEvent::FocusIn:
                if (auto* window = qobject_cast<QWindow*>(watched); window && window->isExposed()) {
                    stacking_->setPopUpWindow(client_, true);
                    syncQtConnection();
                    stacking_->restack({});
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

PanelID QtPanels::create(const arvelo::Rect& frame) {
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
    window->setGeometry(qRound(frame.x), qRound(frame.y), std::max(1, qRound(frame.width)),
                        std::max(1, qRound(frame.height)));
    window->winId();  // the native window exists from now on
    const PanelID id = next_++;
    entries_[id].window = window;
    return id;
}

void QtPanels::addPopUpWindow(QWidget* window) {
    if (!window || !stacking_) return;
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
    // Restacks run every beat: a compositing manager that started or stopped is noticed here,
    // and panels made from now on follow it.
    recheckCompositor();
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
