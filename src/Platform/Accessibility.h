#pragma once

#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>
#include <sys/types.h>
#include <variant>

// The accessibility interface of the host: the trust check, application and
// window elements, attribute reads and writes, actions, per-element messaging
// time-outs, focus observers and the element-to-window-number call.
//
// Every call reports an AXError. Without trust every call fails with
// APIDisabled. A call to an app that does not answer fails with CannotComplete
// once the element's messaging time-out has passed; it never blocks longer.
// Calls may come from any thread.

enum class AXError {
    Success,
    Failure,
    IllegalArgument,
    InvalidElement, // the element is stale: its window or app is gone
    CannotComplete, // the app did not answer within the messaging time-out
    AttributeUnsupported,
    ActionUnsupported,
    NoValue,
    NotImplemented, // e.g. the window-number call is unavailable
    APIDisabled,    // the process is not trusted for Accessibility
};

// A reference to an application or UI element of another process. A plain
// value: copying it keeps referring to the same element, and a reference
// outlives its element harmlessly (calls on it fail with InvalidElement).
// The messaging time-out belongs to the reference, as on the host.
struct AXElement {
    pid_t pid = 0;
    quint64 token = 0;           // 0 is the application element of pid
    double messagingTimeout = 0; // seconds; 0 = the host's default

    bool isApplication() const { return token == 0; }
    friend bool operator==(const AXElement& a, const AXElement& b)
    {
        return a.pid == b.pid && a.token == b.token;
    }
};

// An attribute value as the host hands it over. Readers must check the kind:
// apps do return values of unexpected kinds.
using AXValue = std::variant<std::monostate, QString, bool, double, QPointF, QSizeF, AXElement,
                             QList<AXElement>>;

namespace AXAttribute {
inline const QString windows = QStringLiteral("AXWindows");
inline const QString title = QStringLiteral("AXTitle");
inline const QString position = QStringLiteral("AXPosition");
inline const QString size = QStringLiteral("AXSize");
inline const QString minimized = QStringLiteral("AXMinimized");
inline const QString subrole = QStringLiteral("AXSubrole");
inline const QString main = QStringLiteral("AXMain");
inline const QString menuBar = QStringLiteral("AXMenuBar");
inline const QString children = QStringLiteral("AXChildren");
} // namespace AXAttribute

namespace AXAction {
inline const QString raise = QStringLiteral("AXRaise");
inline const QString press = QStringLiteral("AXPress");
inline const QString cancel = QStringLiteral("AXCancel");
} // namespace AXAction

namespace AXSubrole {
inline const QString standardWindow = QStringLiteral("AXStandardWindow");
}

namespace AXNotification {
inline const QString focusedWindowChanged = QStringLiteral("AXFocusedWindowChanged");
}

// Delivers the notifications added to it while it is scheduled on the main
// run loop. Callbacks arrive on the main thread. Destroying the observer stops
// all delivery at once.
class AXObserver {
public:
    virtual ~AXObserver() = default;
    virtual AXError addNotification(const AXElement& element, const QString& notification) = 0;
    // Adds or removes the observer's run-loop source (main thread, default mode).
    virtual void setScheduled(bool scheduled) = 0;

    // For tests and benchmarks: the product never calls these.
    virtual AXError removeNotification(const AXElement& element, const QString& notification) = 0;
};

using AXObserverCallback =
    std::function<void(const AXElement& element, const QString& notification)>;

class Accessibility {
public:
    virtual ~Accessibility() = default;

    virtual bool isProcessTrusted() const = 0;
    // Same answer as isProcessTrusted(); when not trusted, the host also shows
    // its prompt leading to the Accessibility settings.
    virtual bool isProcessTrustedWithPrompt() = 0;

    virtual AXElement createApplication(pid_t pid) const = 0;
    virtual AXError setMessagingTimeout(AXElement& element, double seconds) const = 0;

    virtual AXError copyAttributeValue(const AXElement& element, const QString& attribute,
                                       AXValue& value) const = 0;
    virtual AXError setAttributeValue(const AXElement& element, const QString& attribute,
                                      const AXValue& value) = 0;
    virtual AXError performAction(const AXElement& element, const QString& action) = 0;

    // The undocumented host call that maps a window element to its
    // window-server number; 0 when the window has none.
    virtual AXError windowNumber(const AXElement& element, quint32& windowID) const = 0;

    virtual AXError createObserver(pid_t pid, AXObserverCallback callback,
                                   std::unique_ptr<AXObserver>& observer) = 0;
};
