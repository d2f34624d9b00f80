// SPDX-License-Identifier: MIT
// SimAccessibility.h: the Accessibility service of the simulated desktop: answers requests
// from the world's model, honours each application's slowness against the messaging time-out
// in force, and records every request in the world's call log.
#pragma once

#include "Platform/Accessibility.h"
#include "Platform/Sim/World.h"

#include <memory>

namespace platform::sim {

class SimAccessibility : public Accessibility {
public:
    explicit SimAccessibility(std::shared_ptr<World> world) : world_(std::move(world)) {}

    bool isProcessTrusted() override;
    bool isProcessTrustedWithOptions(bool prompt) override;
    AccessResult copyAttributeValue(const AccessElement& element, std::string_view attribute, double timeout) override;
    AccessError setAttributeValue(const AccessElement& element, std::string_view attribute, const AccessValue& value,
                              double timeout) override;
    AccessSettable isAttributeSettable(const AccessElement& element, std::string_view attribute, double timeout) override;
    AccessError performAction(const AccessElement& element, std::string_view action, double timeout) override;
    AccessResult elementAtPosition(const AccessElement& application, arvelo::Point point, double timeout) override;
    bool windowNumberCallAvailable() override;
    std::uint32_t windowNumber(const AccessElement& element) override;
    AccessObserverResult createObserver(std::int32_t pid) override;
    // The simulated desktop knows every change: the stamp is drawn from everything a read of
    // the element could answer, so it moves exactly when such an answer changed.
    std::optional<std::uint64_t> changeStamp(const AccessElement& element) override;
    // By the window's stated size rules; not a request, so nothing is recorded.
    std::optional<arvelo::Size> fittedSize(const AccessElement& element, arvelo::Size size, double timeout) override;
    std::uint64_t windowManagerGeneration() override;

private:
    AccessError reachable(const AccessElement& element, double timeout);
    AccessResult read(const AccessElement& element, std::string_view attribute);
    AccessResult readApplication(App& app, std::string_view attribute);
    AccessResult readWindow(Window& window, std::string_view attribute);
    AccessError write(const AccessElement& element, std::string_view attribute, const AccessValue& value);
    AccessSettable settable(const AccessElement& element, std::string_view attribute);
    AccessError perform(const AccessElement& element, std::string_view action);
    void record(Request request, const AccessElement& element, std::string_view name, const AccessValue& value, double timeout,
                AccessError result);

    std::shared_ptr<World> world_;
};

}  // namespace platform::sim
