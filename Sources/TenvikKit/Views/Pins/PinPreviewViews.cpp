// PinPreviewViews.cpp: the preview host of the real program, and the surface through which a
// pin's panel controller reaches its Qt view. The view belongs to its panel's window; the
// surface only points at it, so a view closed with its panel is never reached again.
#include "TenvikKit/Views/Pins/PinPreviewViews.h"

#include "TenvikKit/Views/Pins/PreviewPanel.h"
#include "TenvikKit/Views/Pins/PreviewStreamView.h"

#include <QPointer>

namespace tenvik::views {

namespace {

class PreviewStreamSurface final : public PreviewSurface, public std::enable_shared_from_this<PreviewStreamSurface> {
public:
    explicit PreviewStreamSurface(PreviewStreamView* view) : view_(view) {}

    void connect() {
        view_->onHoverInside = [weak = weak_from_this()] {
            if (auto self = weak.lock(); self && self->onHoverInside) self->onHoverInside();
        };
        view_->onMouseEvent = [weak = weak_from_this()] {
            if (auto self = weak.lock(); self && self->onMouseEvent) self->onMouseEvent();
        };
        view_->onScrollEvent = [weak = weak_from_this()] {
            if (auto self = weak.lock(); self && self->onScrollEvent) self->onScrollEvent();
        };
    }

    void enqueue(const platform::CapturedImage& frame) override {
        if (view_) view_->showFrame(frame);
    }
    void flush() override {
        if (view_) view_->clearPicture();
    }
    void setPictureOpacity(double opacity) override {
        if (view_) view_->setPictureOpacity(opacity);
    }
    void setBorderVisible(bool visible) override {
        if (view_) view_->setBorderVisible(visible);
    }

private:
    QPointer<PreviewStreamView> view_;
};

}  // namespace

PinPreviewHost pinPreviewHost(std::shared_ptr<platform::PanelWindows> panels) {
    PinPreviewHost host;
    host.present = [weak = std::weak_ptr(panels)](platform::PanelID id) -> std::shared_ptr<PreviewSurface> {
        const auto panels = weak.lock();
        QWidget* window = panels ? panels->host(id) : nullptr;
        if (!window) return nullptr;
        auto surface = std::make_shared<PreviewStreamSurface>(PreviewPanel::fill(window, panels->translucent()));
        surface->connect();
        return surface;
    };
    return host;
}

}  // namespace tenvik::views
