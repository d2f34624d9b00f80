// X11ScreenCapture: capturing other windows needs the Composite extension; there is no
// permission to ask for on X11, so a request answers the same as the check.
#pragma once

#include "Platform/ScreenCapture.h"
#include "Platform/X11/Connection.h"

#include <xcb/composite.h>

#include <memory>

namespace platform::x11 {

class X11ScreenCapture final : public ScreenCapture {
public:
    explicit X11ScreenCapture(std::shared_ptr<Connection> connection) : connection_(std::move(connection)) {}
    bool preflightAccess() override {
        const xcb_query_extension_reply_t* composite = xcb_get_extension_data(connection_->xcb(), &xcb_composite_id);
        return !connection_->broken() && composite && composite->present;
    }
    bool requestAccess() override { return preflightAccess(); }

private:
    std::shared_ptr<Connection> connection_;
};

}  // namespace platform::x11
