// SPDX-License-Identifier: MIT
// PinTestAccessibility.h: the simulated Accessibility service with a few faults the pin tests
// need: reads of chosen attributes of chosen windows fail, an action fails, and observers
// refuse chosen notifications (as applications that do not grant them).
#pragma once

#include "Platform/Accessibility.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

namespace tenvik::test {

class FaultyAccessibility : public platform::Accessibility {
public:
    explicit FaultyAccessibility(std::shared_ptr<platform::Accessibility> inner) : inner_(std::move(inner)) {}

    std::set<std::pair<std::uint32_t, std::string>> failingReads;  // (window number, attribute)
    std::map<std::string, platform::AccessError> failingActions;
    std::set<std::string> refusedNotifications;
    int observersAlive = 0;

    bool isProcessTrusted() override { return inner_->isProcessTrusted(); }
    bool isProcessTrustedWithOptions(bool prompt) override { return inner_->isProcessTrustedWithOptions(prompt); }
    platform::AccessResult copyAttributeValue(const platform::AccessElement& element, std::string_view attribute,
                                          double timeout) override {
        if (failingReads.contains({element.window, std::string(attribute)}))
            return {platform::AccessError::cannotComplete, {}};
        return inner_->copyAttributeValue(element, attribute, timeout);
    }
    platform::AccessError setAttributeValue(const platform::AccessElement& element, std::string_view attribute,
                                        const platform::AccessValue& value, double timeout) override {
        return inner_->setAttributeValue(element, attribute, value, timeout);
    }
    platform::AccessSettable isAttributeSettable(const platform::AccessElement& element, std::string_view attribute,
                                             double timeout) override {
        return inner_->isAttributeSettable(element, attribute, timeout);
    }
    platform::AccessError performAction(const platform::AccessElement& element, std::string_view action,
                                    double timeout) override {
        if (auto found = failingActions.find(std::string(action)); found != failingActions.end()) return found->second;
        return inner_->performAction(element, action, timeout);
    }
    platform::AccessResult elementAtPosition(const platform::AccessElement& application, arvelo::Point point,
                                         double timeout) override {
        return inner_->elementAtPosition(application, point, timeout);
    }
    bool windowNumberCallAvailable() override { return inner_->windowNumberCallAvailable(); }
    std::uint32_t windowNumber(const platform::AccessElement& element) override { return inner_->windowNumber(element); }

    platform::AccessObserverResult createObserver(std::int32_t pid) override {
        auto result = inner_->createObserver(pid);
        if (result.observer) result.observer = std::make_unique<Observer>(*this, std::move(result.observer));
        return result;
    }

private:
    class Observer : public platform::AccessObserver {
    public:
        Observer(FaultyAccessibility& owner, std::unique_ptr<platform::AccessObserver> inner)
            : owner_(owner), inner_(std::move(inner)) {
            ++owner_.observersAlive;
            inner_->onNotification = [this](const platform::AccessElement& element, const std::string& name) {
                if (onNotification) onNotification(element, name);
            };
        }
        ~Observer() override { --owner_.observersAlive; }
        platform::AccessError addNotification(const platform::AccessElement& element, std::string_view name) override {
            if (owner_.refusedNotifications.contains(std::string(name))) return platform::AccessError::cannotComplete;
            return inner_->addNotification(element, name);
        }
        platform::AccessError removeNotification(const platform::AccessElement& element, std::string_view name) override {
            ++removals;
            return inner_->removeNotification(element, name);
        }
        int removals = 0;

    private:
        FaultyAccessibility& owner_;
        std::unique_ptr<platform::AccessObserver> inner_;
    };

    std::shared_ptr<platform::Accessibility> inner_;
};

}  // namespace tenvik::test
