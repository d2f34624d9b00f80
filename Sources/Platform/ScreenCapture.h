// ScreenCapture.h: whether this program may capture the screen (window pictures, live
// previews), asked without and with a request to the user.
#pragma once

namespace platform {

class ScreenCapture {
public:
    virtual ~ScreenCapture() = default;
    virtual bool preflightAccess() = 0;
    virtual bool requestAccess() = 0;
};

}  // namespace platform
