// SPDX-License-Identifier: MIT
// Spaces.cpp: the Spaces queries over the platform's Spaces service, with the answers for a
// missing service or an unknown screen.
#include "Arvelo/Windows/Spaces.h"

namespace arvelo::Spaces {

std::uint64_t current(platform::Spaces* service, const platform::Screen& screen) {
    if (!service || !screen.number) return 0;
    return service->currentSpace(*screen.number);
}

std::set<std::uint64_t> of(platform::Spaces* service, std::uint32_t windowNumber) {
    if (windowNumber == 0 || !service) return {};
    return service->spacesOfWindow(windowNumber);
}

}  // namespace arvelo::Spaces
