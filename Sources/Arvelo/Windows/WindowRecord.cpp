// WindowRecord.cpp: construction and the derived values (identity, icon) of a window record.
#include "Arvelo/Windows/WindowRecord.h"

namespace arvelo {

WindowRecord::WindowRecord(std::string id_, platform::AXElement element_, platform::RunningApplication app_,
                           std::string title_, Rect frame_, std::uint32_t cgID_, platform::Seconds createdAt)
    : id(std::move(id_)),
      element(element_),
      app(std::move(app_)),
      title(std::move(title_)),
      frame(frame_),
      cgID(cgID_),
      minimumProbeAt(createdAt) {}

std::string WindowRecord::bundleID() const {
    if (app.bundleIdentifier) return *app.bundleIdentifier;
    return "pid." + std::to_string(app.pid);
}

WindowIcon WindowRecord::icon() const {
    if (!app.iconName.empty()) return {app.iconName, false, {}};
    return {"macwindow", true, app.localizedName.value_or(bundleID())};
}

}  // namespace arvelo
