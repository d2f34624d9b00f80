// SPDX-License-Identifier: MIT
// WindowRecord.cpp: construction and the derived values (identity, icon) of a window record.
#include "Arvelo/Windows/WindowRecord.h"

namespace arvelo {

WindowRecord::WindowRecord(std::string id_, platform::AccessElement element_, platform::RunningApplication app_,
                           std::string title_, Rect frame_, std::uint32_t windowNumber_, platform::Seconds createdAt)
    : id(std::move(id_)),
      element(element_),
      app(std::move(app_)),
      title(std::move(title_)),
      frame(frame_),
      windowNumber(windowNumber_),
      minimumProbeAt(createdAt) {}

std::string WindowRecord::applicationID() const {
    if (app.applicationID) return *app.applicationID;
    return "pid." + std::to_string(app.pid);
}

WindowIcon WindowRecord::icon() const {
    if (!app.iconName.empty()) return {app.iconName, false, {}};
    return {"macwindow", true, app.localizedName.value_or(applicationID())};
}

}  // namespace arvelo
