#pragma once

#include "Platform/Accessibility.h"

class SimHost;

// Accessibility over the simulated desktop.
class SimAccessibility final : public Accessibility {
public:
    explicit SimAccessibility(SimHost& host) : m_host(host) {}

    bool isProcessTrusted() const override;
    bool isProcessTrustedWithPrompt() override;
    AXElement createApplication(pid_t pid) const override;
    AXError setMessagingTimeout(AXElement& element, double seconds) const override;
    AXError copyAttributeValue(const AXElement& element, const QString& attribute,
                               AXValue& value) const override;
    AXError setAttributeValue(const AXElement& element, const QString& attribute,
                              const AXValue& value) override;
    AXError performAction(const AXElement& element, const QString& action) override;
    AXError windowNumber(const AXElement& element, quint32& windowID) const override;
    AXError createObserver(pid_t pid, AXObserverCallback callback,
                           std::unique_ptr<AXObserver>& observer) override;

    // Control face.
    int promptCount() const { return m_promptCount; }

private:
    SimHost& m_host;
    int m_promptCount = 0;
};
