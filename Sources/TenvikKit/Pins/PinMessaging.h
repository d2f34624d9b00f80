// SPDX-License-Identifier: MIT
// PinMessaging.h: the messaging time-out of every Accessibility request the pin code makes, so
// an application that does not answer costs a pin at most a few tenths of a second.
#pragma once

namespace tenvik {

inline constexpr double kPinMessagingTimeout = 0.1;

}  // namespace tenvik
