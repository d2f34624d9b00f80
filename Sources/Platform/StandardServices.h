// SPDX-License-Identifier: MIT
// StandardServices.h: the backend-neutral real services every program run uses, whatever its
// desktop backend: the environment, the XDG folders, the user defaults file and the stderr log.
// A desktop backend fills in the rest of the bundle.
#pragma once

#include "Platform/Services.h"

namespace platform {

// Folders from the environment; user defaults in "<configuration>/Arvelo/defaults.json" (in
// memory when no configuration folder is known); the log on stderr, with private details shown
// only when ARVELO_LOG_PRIVATE is "1" and debug lines always when ARVELO_LOG_DEBUG is "1".
Services standardServices(Environment environment);

}  // namespace platform
