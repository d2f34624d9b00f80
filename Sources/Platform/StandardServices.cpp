// SPDX-License-Identifier: MIT
// StandardServices.cpp: filling the backend-neutral part of the services bundle.
#include "Platform/StandardServices.h"

namespace platform {

namespace {
constexpr const char* kDefaultsCategory = "defaults";
}  // namespace

Services standardServices(Environment environment) {
    Services services;
    services.folders = Folders::fromEnvironment(environment);
    services.log = std::make_shared<StderrLogSink>(environment.variable("ARVELO_LOG_PRIVATE") == "1",
                                                   environment.variable("ARVELO_LOG_DEBUG") == "1");
    services.defaults =
        services.folders.configuration
            ? std::make_shared<UserDefaults>(*services.folders.configuration, services.logger(kDefaultsCategory))
            : std::make_shared<UserDefaults>();
    services.environment = std::move(environment);
    return services;
}

}  // namespace platform
