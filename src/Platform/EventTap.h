#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>

// The session keyboard event tap. It sits at the head of the session's event
// stream and sees key-down and flags-changed events; its callback decides per
// event whether to consume it. Creating a tap fails while the process is not
// trusted for Accessibility. Callbacks arrive on the main thread, also during
// menu tracking and other modal loops.

enum class CGEventType : quint32 {
    keyDown = 10,
    keyUp = 11,
    flagsChanged = 12,
    // The host disables a tap whose callback is too slow, or on user input.
    tapDisabledByTimeout = 0xFFFFFFFEu,
    tapDisabledByUserInput = 0xFFFFFFFFu,
};

using CGEventFlags = quint64;

namespace CGEventFlag {
constexpr CGEventFlags alphaShift = 0x10000; // Caps Lock
constexpr CGEventFlags shift = 0x20000;
constexpr CGEventFlags control = 0x40000;
constexpr CGEventFlags option = 0x80000;
constexpr CGEventFlags command = 0x100000;
constexpr CGEventFlags numericPad = 0x200000;
constexpr CGEventFlags secondaryFn = 0x800000;
} // namespace CGEventFlag

struct KeyEvent {
    CGEventType type = CGEventType::keyDown;
    quint16 keyCode = 0;
    CGEventFlags flags = 0;
    bool isAutorepeat = false;
    // The characters the key types ignoring every modifier but Shift; no value
    // when no keyboard event can be made from this event.
    std::optional<QString> charactersIgnoringModifiers;
};

// Returns true to consume the event, false to pass it on unchanged.
using EventTapCallback = std::function<bool(const KeyEvent& event)>;

class EventTapPort {
public:
    virtual ~EventTapPort() = default;
    // Installs the tap's source on the main run loop in the common modes.
    virtual void addToRunLoop() = 0;
    virtual void setEnabled(bool enabled) = 0;

    // For tests and benchmarks: the product never calls these.
    virtual bool isEnabled() const = 0;
};

class EventTap {
public:
    virtual ~EventTap() = default;
    // Nothing when the host refuses the tap (no Accessibility trust).
    virtual std::unique_ptr<EventTapPort> createTap(EventTapCallback callback) = 0;
};
