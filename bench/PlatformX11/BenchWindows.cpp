// SPDX-License-Identifier: MIT
// BenchWindows: a minimal X client made with xcb (titles, class, pid, mapped windows).
#include "BenchWindows.h"

#include <xcb/xcb.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace benchx11 {

namespace {
xcb_atom_t intern(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    free(reply);
    return atom;
}
}  // namespace

std::optional<int> runWindowsProcessOf(int argc, char** argv) {
    if (argc < 3 || std::strcmp(argv[1], kWindowsProcessFlag) != 0) return std::nullopt;
    return runWindowsProcess(std::atoi(argv[2]), argc >= 4 ? std::atoi(argv[3]) : kWindowsPerProcess);
}

int runWindowsProcess(int index, int windows) {
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTERM);
    sigprocmask(SIG_BLOCK, &stop, nullptr);

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) return 1;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_atom_t netName = intern(c, "_NET_WM_NAME");
    const xcb_atom_t utf8 = intern(c, "UTF8_STRING");
    const xcb_atom_t netPid = intern(c, "_NET_WM_PID");
    const std::uint32_t pid = static_cast<std::uint32_t>(getpid());
    const std::string wmClass =
        "benchclient" + std::to_string(index) + '\0' + "BenchClient" + std::to_string(index) + '\0';

    for (int i = 0; i < windows; ++i) {
        const xcb_window_t w = xcb_generate_id(c);
        const std::int16_t x = static_cast<std::int16_t>(20 + 60 * (index % 24) + 10 * i);
        const std::int16_t y = static_cast<std::int16_t>(20 + 30 * i + 40 * (index / 24));
        xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, x, y, 320, 240, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          screen->root_visual, 0, nullptr);
        const std::string title = "Bench " + std::to_string(index) + "." + std::to_string(i);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            static_cast<std::uint32_t>(title.size()), title.data());
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, netName, utf8, 8, static_cast<std::uint32_t>(title.size()),
                            title.data());
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                            static_cast<std::uint32_t>(wmClass.size()), wmClass.data());
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, netPid, XCB_ATOM_CARDINAL, 32, 1, &pid);
        xcb_map_window(c, w);
    }
    xcb_flush(c);
    int signal = 0;
    sigwait(&stop, &signal);
    xcb_disconnect(c);
    return 0;
}

WindowProcesses::WindowProcesses(const char* self, int processes, int windowsEach)
    : self_(self), windowsEach_(windowsEach) {
    resize(processes);
}

void WindowProcesses::resize(int processes) {
    while (count() < processes) {
        std::string program = self_, flag = kWindowsProcessFlag, index = std::to_string(count()),
                    windows = std::to_string(windowsEach_);
        char* argv[] = {program.data(), flag.data(), index.data(), windows.data(), nullptr};
        pid_t pid = -1;
        if (posix_spawn(&pid, self_.c_str(), nullptr, nullptr, argv, environ) != 0) return;
        pids_.push_back(pid);
    }
    while (count() > processes) {
        kill(pids_.back(), SIGTERM);
        waitpid(pids_.back(), nullptr, 0);
        pids_.pop_back();
    }
}

WindowProcesses::~WindowProcesses() {
    for (pid_t pid : pids_) kill(pid, SIGTERM);
    for (pid_t pid : pids_) waitpid(pid, nullptr, 0);
}

}  // namespace benchx11
