#pragma once

#include "Platform/Accessibility.h"
#include "Platform/Sim/SimRecorder.h"

#include <atomic>
#include <utility>

class SimHost;
struct SimInstance;

// Accessibility over the simulated desktop.
//
// Elements: the application element (token 0), its menu bar, its accessible
// windows and its menu items (tokens from SimHost). A request first waits for
// the app as the host would: a slow app answers after its delay, a hung one or
// one slower than the element's messaging time-out fails with CannotComplete
// once the time-out has passed. The wait is a real sleep outside the host lock.
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

    // The element of an app's menu bar.
    static constexpr quint64 menuBarToken = ~quint64(0);
    // Used when an element's messaging time-out is 0.
    static constexpr double defaultMessagingTimeout = 6.0;

private:
    // Registering a notification is a request to the app like any other.
    friend class SimAXObserver;
    friend class SimControl;

    // Trust, then the app's existence, then the wait for its answer.
    AXError awaitAnswer(const AXElement& element) const;
    AXError pressMenuItem(const AXElement& element, const QString& action);

    SimHost& m_host;
    std::atomic<int> m_promptCount = 0;
    SimRecorder<std::pair<pid_t, QString>> m_menuActions;
};
