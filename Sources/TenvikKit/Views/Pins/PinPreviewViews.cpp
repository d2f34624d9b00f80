// SPDX-License-Identifier: MIT
// PinPreviewViews.cpp: the preview host of the real program, and the surface through which a
// pin's panel controller and its capture reach its Qt view. The view belongs to its panel's
// window; the surface only points at it, so a view closed with its panel is never reached again.
// On X11 the surface offers the panel's window for the capture to draw into on the server.
#include "TenvikKit/Views/Pins/PinPreviewViews.h"

#include "TenvikKit/Views/Pins/PreviewPanel.h"
#include "TenvikKit/Views/Pins/PreviewStreamView.h"

#include <QGuiApplication>
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
        view_->onAppearanceChanged = [weak = weak_from_this()] {
            if (auto self = weak.lock(); self && self->onDrawingChanged) self->onDrawingChanged();
        };
    }

    std::optional<platform::PinDrawing> drawing() const override {
        // Only an X11 window can be drawn into by the X server.
        if (!view_ || QGuiApplication::platformName() != QLatin1String("xcb")) return std::nullopt;
        platform::PinDrawing drawing;
        drawing.window = static_cast<std::uint32_t>(view_->window()->winId());
        if (drawing.window == 0) return std::nullopt;
        drawing.translucent = view_->translucent();
        drawing.opacity = view_->pictureOpacity();
        drawing.overlay = view_->borderOverlay();
        drawing.overlayMargin = PreviewStreamView::kBorderBand;
        return drawing;
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
