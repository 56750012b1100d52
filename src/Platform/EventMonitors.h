#pragma once

#include <QtGlobal>

#include <functional>
#include <memory>

class QObject;

// Mouse-down and key-down events seen by event monitors. A global monitor
// sees events going to other applications and can only watch them; a local
// monitor sees events going to this program before its windows do and may
// consume them.
struct MonitoredEvent {
    enum class Type { leftMouseDown, rightMouseDown, keyDown };
    Type type = Type::leftMouseDown;
    quint16 keyCode = 0; // the host key code of a key-down
    // The program's window the event goes to; none for a local event without
    // a window and for every global event.
    const QObject* window = nullptr;
};

// Which event types a monitor wants.
namespace MonitorMask {
constexpr unsigned leftMouseDown = 1u << 0;
constexpr unsigned rightMouseDown = 1u << 1;
constexpr unsigned keyDown = 1u << 2;
} // namespace MonitorMask

// A monitor lives as long as its token: destroying the token removes it.
class EventMonitorToken {
public:
    virtual ~EventMonitorToken() = default;
};

class EventMonitors {
public:
    virtual ~EventMonitors() = default;
    using GlobalHandler = std::function<void(const MonitoredEvent&)>;
    // Returns true to consume the event.
    using LocalHandler = std::function<bool(const MonitoredEvent&)>;

    // Nothing when the host refuses the monitor. Handlers run on the main thread.
    virtual std::unique_ptr<EventMonitorToken> addGlobalMonitor(unsigned mask,
                                                                GlobalHandler handler) = 0;
    virtual std::unique_ptr<EventMonitorToken> addLocalMonitor(unsigned mask,
                                                               LocalHandler handler) = 0;
};

inline unsigned monitorMaskBit(MonitoredEvent::Type type)
{
    switch (type) {
    case MonitoredEvent::Type::leftMouseDown:
        return MonitorMask::leftMouseDown;
    case MonitoredEvent::Type::rightMouseDown:
        return MonitorMask::rightMouseDown;
    case MonitoredEvent::Type::keyDown:
        return MonitorMask::keyDown;
    }
    return 0;
}
