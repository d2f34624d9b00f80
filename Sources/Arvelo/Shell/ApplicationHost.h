// SPDX-License-Identifier: MIT
// ApplicationHost.h: the program's start on a Linux desktop: refuse to run without an X11
// display, one instance per user and display (a later launch hands over and exits 0), then
// Qt's event loop with the X11 services, and the Qt pieces of the shell (tray, permissions
// window, signal sources, session end) bound to the Application.
#pragma once

namespace arvelo {

// Runs the application until it quits; answers the process's exit status.
int runArveloApplication(int argc, char** argv);

}  // namespace arvelo
