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
    AXResult copyAttributeValue(const AXElement& element, std::string_view attribute, double timeout) override;
    AXError setAttributeValue(const AXElement& element, std::string_view attribute, const AXValue& value,
                              double timeout) override;
    AXSettable isAttributeSettable(const AXElement& element, std::string_view attribute, double timeout) override;
    AXError performAction(const AXElement& element, std::string_view action, double timeout) override;
    AXResult elementAtPosition(const AXElement& application, arvelo::Point point, double timeout) override;
    bool windowNumberCallAvailable() override;
    std::uint32_t windowNumber(const AXElement& element) override;
    AXObserverResult createObserver(std::int32_t pid) override;
    // The simulated desktop knows every change: the stamp is drawn from everything a read of
    // the element could answer, so it moves exactly when such an answer changed.
    std::optional<std::uint64_t> changeStamp(const AXElement& element) override;

private:
    AXError reachable(const AXElement& element, double timeout);
    AXResult read(const AXElement& element, std::string_view attribute);
    AXResult readApplication(App& app, std::string_view attribute);
    AXResult readWindow(Window& window, std::string_view attribute);
    AXError write(const AXElement& element, std::string_view attribute, const AXValue& value);
    AXSettable settable(const AXElement& element, std::string_view attribute);
    AXError perform(const AXElement& element, std::string_view action);
    void record(Request request, const AXElement& element, std::string_view name, const AXValue& value, double timeout,
                AXError result);

    std::shared_ptr<World> world_;
};

}  // namespace platform::sim
