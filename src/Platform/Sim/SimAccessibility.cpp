#include "SimAccessibility.h"

#include "Platform/Sim/SimAXObserver.h"
#include "Platform/Sim/SimHost.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

const SimWindow* accessibleWindow(const SimInstance& instance, quint64 token)
{
    for (const SimWindow& window : instance.windows) {
        if (window.token == token)
            return window.accessible ? &window : nullptr;
    }
    return nullptr;
}

const SimMenuItem* findMenuItem(const QList<SimMenuItem>& items, quint64 token)
{
    for (const SimMenuItem& item : items) {
        if (item.token == token)
            return &item;
        if (const SimMenuItem* child = findMenuItem(item.children, token))
            return child;
    }
    return nullptr;
}

// What an element refers to in the model at the moment of the request.
struct Target {
    enum Kind { Stale, Application, MenuBar, Window, MenuItem } kind = Stale;
    const SimInstance* instance = nullptr;
    const SimWindow* window = nullptr;
    const SimMenuItem* item = nullptr;
};

Target resolve(const SimModel& model, const AXElement& element)
{
    Target target;
    target.instance = model.instance(element.pid);
    if (!target.instance)
        return target;
    if (element.isApplication())
        target.kind = Target::Application;
    else if (element.token == SimAccessibility::menuBarToken)
        target.kind = Target::MenuBar;
    else if ((target.window = accessibleWindow(*target.instance, element.token)))
        target.kind = Target::Window;
    else if ((target.item = findMenuItem(target.instance->menuBar, element.token)))
        target.kind = Target::MenuItem;
    return target;
}

QList<AXElement> menuElements(pid_t pid, const QList<SimMenuItem>& items)
{
    QList<AXElement> elements;
    elements.reserve(items.size());
    for (const SimMenuItem& item : items)
        elements << AXElement{pid, item.token, 0};
    return elements;
}

AXError readApplication(const SimInstance& instance, const QString& attribute, AXValue& value)
{
    if (attribute == AXAttribute::windows) {
        if (instance.accessibility.windowsUnreadable)
            return AXError::Failure;
        QList<AXElement> windows;
        windows.reserve(instance.windows.size());
        for (const SimWindow& window : instance.windows) {
            if (window.accessible)
                windows << AXElement{instance.pid, window.token, 0};
        }
        value = windows;
        return AXError::Success;
    }
    if (attribute == AXAttribute::menuBar) {
        if (instance.menuBar.isEmpty())
            return AXError::NoValue;
        value = AXElement{instance.pid, SimAccessibility::menuBarToken, 0};
        return AXError::Success;
    }
    return AXError::AttributeUnsupported;
}

AXError readWindow(const SimWindow& window, const QString& attribute, AXValue& value)
{
    const auto override = window.attributeOverrides.constFind(attribute);
    if (override != window.attributeOverrides.cend()) {
        if (override->error == AXError::Success)
            value = override->value;
        return override->error;
    }
    if (attribute == AXAttribute::title)
        value = window.title;
    else if (attribute == AXAttribute::position)
        value = window.frame.topLeft();
    else if (attribute == AXAttribute::size)
        value = window.frame.size();
    else if (attribute == AXAttribute::minimized)
        value = window.minimized;
    else if (attribute == AXAttribute::main)
        value = window.main;
    else if (attribute == AXAttribute::subrole && !window.subrole.isEmpty())
        value = window.subrole;
    else if (attribute == AXAttribute::subrole)
        return AXError::NoValue;
    else
        return AXError::AttributeUnsupported;
    return AXError::Success;
}

AXError readMenuItem(pid_t pid, const SimMenuItem& item, const QString& attribute, AXValue& value)
{
    if (attribute == AXAttribute::title)
        value = item.title;
    else if (attribute == AXAttribute::children)
        value = menuElements(pid, item.children);
    else
        return AXError::AttributeUnsupported;
    return AXError::Success;
}

} // namespace

bool SimAccessibility::isProcessTrusted() const
{
    return m_host.read([](const SimModel& model) { return model.accessibilityTrusted; });
}

bool SimAccessibility::isProcessTrustedWithPrompt()
{
    const bool trusted = isProcessTrusted();
    if (!trusted) {
        ++m_promptCount;
        m_host.prompts().raise(SimHostPrompt::Kind::accessibilityTrust);
    }
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

AXError SimAccessibility::awaitAnswer(const AXElement& element) const
{
    struct Gate {
        AXError error = AXError::Success;
        double delay = 0;
        bool hung = false;
    };
    const Gate gate = m_host.read([&](const SimModel& model) {
        if (!model.accessibilityTrusted)
            return Gate{AXError::APIDisabled};
        const SimInstance* instance = model.instance(element.pid);
        if (!instance)
            return Gate{AXError::InvalidElement};
        return Gate{AXError::Success, instance->accessibility.delaySeconds,
                    instance->accessibility.hung};
    });
    if (gate.error != AXError::Success)
        return gate.error;
    const double timeout =
        element.messagingTimeout > 0 ? element.messagingTimeout : defaultMessagingTimeout;
    const bool answers = !gate.hung && gate.delay <= timeout;
    const double wait = answers ? gate.delay : timeout;
    if (wait > 0)
        std::this_thread::sleep_for(std::chrono::duration<double>(wait));
    return answers ? AXError::Success : AXError::CannotComplete;
}

AXError SimAccessibility::copyAttributeValue(const AXElement& element, const QString& attribute,
                                             AXValue& value) const
{
    if (const AXError error = awaitAnswer(element); error != AXError::Success)
        return error;
    return m_host.read([&](const SimModel& model) {
        const Target target = resolve(model, element);
        switch (target.kind) {
        case Target::Stale:
            break;
        case Target::Application:
            return readApplication(*target.instance, attribute, value);
        case Target::MenuBar:
            if (attribute != AXAttribute::children)
                return AXError::AttributeUnsupported;
            value = menuElements(element.pid, target.instance->menuBar);
            return AXError::Success;
        case Target::Window:
            return readWindow(*target.window, attribute, value);
        case Target::MenuItem:
            return readMenuItem(element.pid, *target.item, attribute, value);
        }
        return AXError::InvalidElement;
    });
}

AXError SimAccessibility::setAttributeValue(const AXElement& element, const QString& attribute,
                                            const AXValue& value)
{
    if (const AXError error = awaitAnswer(element); error != AXError::Success)
        return error;
    const Target::Kind kind =
        m_host.read([&](const SimModel& model) { return resolve(model, element).kind; });
    if (kind == Target::Stale)
        return AXError::InvalidElement;
    if (kind != Target::Window)
        return AXError::AttributeUnsupported;
    const bool* flag = std::get_if<bool>(&value);
    if (attribute == AXAttribute::minimized) {
        if (!flag)
            return AXError::IllegalArgument;
        const bool minimized = *flag;
        m_host.modify([&](SimModel& model) {
            if (SimInstance* instance = model.instance(element.pid)) {
                for (SimWindow& window : instance->windows) {
                    if (window.token == element.token)
                        window.minimized = minimized;
                }
            }
        });
        return AXError::Success;
    }
    if (attribute == AXAttribute::main) {
        if (!flag)
            return AXError::IllegalArgument;
        if (*flag)
            m_host.focusWindow(element.pid, element.token);
        return AXError::Success;
    }
    return AXError::AttributeUnsupported;
}

AXError SimAccessibility::performAction(const AXElement& element, const QString& action)
{
    if (const AXError error = awaitAnswer(element); error != AXError::Success)
        return error;
    const Target::Kind kind =
        m_host.read([&](const SimModel& model) { return resolve(model, element).kind; });
    switch (kind) {
    case Target::Stale:
        return AXError::InvalidElement;
    case Target::Application:
    case Target::MenuBar:
        return AXError::ActionUnsupported;
    case Target::Window:
        if (action != AXAction::raise)
            return AXError::ActionUnsupported;
        m_host.focusWindow(element.pid, element.token);
        return AXError::Success;
    case Target::MenuItem:
        return pressMenuItem(element, action);
    }
    return AXError::Failure;
}

AXError SimAccessibility::pressMenuItem(const AXElement& element, const QString& action)
{
    if (action != AXAction::press && action != AXAction::cancel)
        return AXError::ActionUnsupported;
    QString title;
    quint64 documentWindow = 0;
    bool opensDocument = false;
    m_host.modify([&](SimModel& model) {
        SimInstance* instance = model.instance(element.pid);
        const SimMenuItem* item =
            instance ? findMenuItem(instance->menuBar, element.token) : nullptr;
        if (!item)
            return;
        title = item->title;
        if (action != AXAction::press || !instance->documents.contains(title))
            return;
        opensDocument = true;
        instance->activeDocument = title;
        if (const SimWindow* window = instance->windowShowing(title))
            documentWindow = window->token;
    });
    m_menuActions.add({element.pid, action + QLatin1Char(' ') + title});
    if (opensDocument && documentWindow != 0)
        m_host.focusWindow(element.pid, documentWindow);
    return AXError::Success;
}

AXError SimAccessibility::windowNumber(const AXElement& element, quint32& windowID) const
{
    if (!m_host.read([](const SimModel& model) { return model.windowNumberCallAvailable; }))
        return AXError::NotImplemented;
    if (const AXError error = awaitAnswer(element); error != AXError::Success)
        return error;
    return m_host.read([&](const SimModel& model) {
        const Target target = resolve(model, element);
        if (target.kind == Target::Stale)
            return AXError::InvalidElement;
        if (target.kind != Target::Window)
            return AXError::IllegalArgument;
        const SimWindow& window = *target.window;
        windowID = window.windowNumberCallFails ? 0 : window.windowNumber.value_or(0);
        return AXError::Success;
    });
}

AXError SimAccessibility::createObserver(pid_t pid, AXObserverCallback callback,
                                         std::unique_ptr<AXObserver>& observer)
{
    enum class Outcome { Created, Untrusted, NoProcess, Fails };
    const Outcome outcome = m_host.read([&](const SimModel& model) {
        if (!model.accessibilityTrusted)
            return Outcome::Untrusted;
        const SimInstance* instance = model.instance(pid);
        if (!instance)
            return Outcome::NoProcess;
        return instance->accessibility.observerCreationFails ? Outcome::Fails : Outcome::Created;
    });
    switch (outcome) {
    case Outcome::Untrusted:
        return AXError::APIDisabled;
    case Outcome::NoProcess:
        return AXError::IllegalArgument;
    case Outcome::Fails:
        return AXError::Failure;
    case Outcome::Created:
        break;
    }
    observer = std::make_unique<SimAXObserver>(m_host, *this, pid, std::move(callback));
    return AXError::Success;
}
