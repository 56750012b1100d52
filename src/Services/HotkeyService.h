#pragma once

#include "Models/Browser.h"
#include "Models/ShortcutPreset.h"
#include "Platform/EventTap.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class SystemLog;

// The keyboard of the switcher: a session event tap that recognises the
// switcher shortcut and Command+backtick, and while the switcher is open takes
// over the keys that drive it and notices the release of the modifier that
// opened it. It knows nothing of the overlay or the settings: it asks the
// providers and tells the callbacks below, every one optional, all called
// synchronously on the main thread from inside the tap.
class HotkeyService final : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds defaultRetryInterval{5000};

    HotkeyService(EventTap& eventTap, SystemLog& systemLog,
                  std::chrono::milliseconds retryInterval = defaultRetryInterval,
                  QObject* parent = nullptr);
    ~HotkeyService() override;

    // Read at every key event. Absent providers count as off, closed or none.
    std::function<ShortcutPreset()> shortcut = [] { return ShortcutPreset::optionTab; };
    std::function<bool()> isCommandBacktickEnabled;
    std::function<std::optional<Browser>()> frontmostBrowser;
    std::function<bool()> isOverlayVisible;

    // Reversed is true while Shift is held. An event routed to a callback is
    // consumed whether the callback is set or not.
    std::function<void(bool reversed, std::optional<Browser> scope)> onActivate;
    std::function<void(bool reversed)> onCycle;
    std::function<void(int index)> onFilterSelect; // 0 = all apps
    std::function<void(int step)> onArrow;
    std::function<void(int step)> onVerticalArrow;
    std::function<void()> onCommit;
    std::function<void()> onModifierRelease;
    std::function<void()> onCancel;
    std::function<void(const QString& text)> onType;
    std::function<void()> onBackspace;

    // Starts the tap, or retries every retry interval until the host allows it
    // (it refuses while the process is not trusted for Accessibility).
    void startWhenPermitted();
    // True when the tap exists afterwards.
    bool start();

    // Decides one event seen by the tap: true consumes it, false passes it on.
    bool handle(const KeyEvent& event);

    // For tests and benchmarks: the product never calls these.
    // The modifiers of the shortcut that last opened or cycled the switcher.
    CGEventFlags sessionFlags() const { return m_sessionFlags; }
    bool isTapActive() const { return m_eventTap != nullptr; }
    bool isRetrying() const { return m_retryTimer.isActive(); }
    std::chrono::milliseconds retryInterval() const { return m_retryTimer.intervalAsDuration(); }

private:
    bool handleKeyDown(quint16 key, CGEventFlags flags, bool visible, ShortcutPreset preset,
                       const KeyEvent& event);
    bool routeKey(quint16 key, bool reversed);
    bool typeCharacters(const KeyEvent& event);
    void retry();

    EventTap& m_eventTapFacility;
    SystemLog& m_systemLog;
    CGEventFlags m_sessionFlags = 0;
    std::unique_ptr<EventTapPort> m_eventTap;
    QTimer m_retryTimer;
};
