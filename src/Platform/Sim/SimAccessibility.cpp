#include "SimAccessibility.h"

#include "Platform/Sim/SimHost.h"

bool SimAccessibility::isProcessTrusted() const
{
    return m_host.read([](const SimModel& model) { return model.accessibilityTrusted; });
}

bool SimAccessibility::isProcessTrustedWithPrompt()
{
    const bool trusted = isProcessTrusted();
    if (!trusted)
        ++m_promptCount;
    return trusted;
}

AXElement SimAccessibility::createApplication(pid_t pid) const
{
    return AXElement{pid, 0, 0};
}

AXError SimAccessibility::setMessagingTimeout(AXElement& element, double seconds) const
{
    if (seconds < 0)
        return AXError::IllegalArgument;
    element.messagingTimeout = seconds;
    return AXError::Success;
}

// The element reads, writes, actions and observers arrive with window discovery.
AXError SimAccessibility::copyAttributeValue(const AXElement&, const QString&, AXValue&) const
{
    return AXError::NotImplemented;
}

AXError SimAccessibility::setAttributeValue(const AXElement&, const QString&, const AXValue&)
{
    return AXError::NotImplemented;
}

AXError SimAccessibility::performAction(const AXElement&, const QString&)
{
    return AXError::NotImplemented;
}

AXError SimAccessibility::windowNumber(const AXElement&, quint32&) const
{
    return AXError::NotImplemented;
}

AXError SimAccessibility::createObserver(pid_t, AXObserverCallback, std::unique_ptr<AXObserver>&)
{
    return AXError::NotImplemented;
}
