#include "HotkeyService.h"

#include "Models/ControlCharacters.h"
#include "Platform/KeyCode.h"
#include "Platform/SystemLog.h"

#include <array>

namespace {

constexpr CGEventFlags shift = CGEventFlag::shift;
constexpr CGEventFlags control = CGEventFlag::control;
constexpr CGEventFlags option = CGEventFlag::option;
constexpr CGEventFlags command = CGEventFlag::command;

struct PresetKeys {
    quint16 keyCode;
    CGEventFlags required;  // all held
    CGEventFlags forbidden; // none held
};

constexpr PresetKeys presetKeys(ShortcutPreset preset)
{
    switch (preset) {
    case ShortcutPreset::controlOptionTab:
        return {KeyCode::tab, control | option, command};
    case ShortcutPreset::optionGrave:
        return {KeyCode::grave, option, command | control};
    case ShortcutPreset::optionTab:
        break;
    }
    return {KeyCode::tab, option, command | control};
}

// The digits of the main keyboard row by key code (0: not such a key). The 0
// key and the keypad are left out on purpose: Command+0 belongs to the system.
constexpr std::array<qint8, 128> digitKeyCodes = [] {
    std::array<qint8, 128> digits{};
    digits[KeyCode::digit1] = 1;
    digits[KeyCode::digit2] = 2;
    digits[KeyCode::digit3] = 3;
    digits[KeyCode::digit4] = 4;
    digits[KeyCode::digit5] = 5;
    digits[KeyCode::digit6] = 6;
    digits[KeyCode::digit7] = 7;
    digits[KeyCode::digit8] = 8;
    digits[KeyCode::digit9] = 9;
    return digits;
}();

int digitFor(quint16 key)
{
    return key < digitKeyCodes.size() ? digitKeyCodes[key] : 0;
}

// What typing may add to the search: no control or format character (Return,
// Escape, Tab...), and none of the characters the host gives function keys,
// navigation keys and arrows, which belong to no text.
bool isSearchText(const QString& characters)
{
    for (const char32_t ch : characters.toUcs4()) {
        if (isControlOrFormatCharacter(ch) || (ch >= 0xF700 && ch <= 0xF8FF))
            return false;
    }
    return true;
}

template <typename Fn, typename... Args> void call(const Fn& fn, Args&&... args)
{
    if (fn)
        fn(std::forward<Args>(args)...);
}

} // namespace

HotkeyService::HotkeyService(EventTap& eventTap, SystemLog& systemLog,
                             std::chrono::milliseconds retryInterval, QObject* parent)
    : QObject(parent), m_eventTapFacility(eventTap), m_systemLog(systemLog)
{
    m_retryTimer.setInterval(retryInterval);
    connect(&m_retryTimer, &QTimer::timeout, this, &HotkeyService::retry);
}

HotkeyService::~HotkeyService() = default;

void HotkeyService::startWhenPermitted()
{
    if (start() || m_retryTimer.isActive())
        return;
    m_retryTimer.start();
}

void HotkeyService::retry()
{
    if (start())
        m_retryTimer.stop();
}

bool HotkeyService::start()
{
    if (m_eventTap)
        return true;
    // The tap dies with this service, so the callback never outlives it.
    auto tap =
        m_eventTapFacility.createTap([this](const KeyEvent& event) { return handle(event); });
    if (!tap)
        return false;
    m_eventTap = std::move(tap);
    m_eventTap->addToRunLoop();
    m_eventTap->setEnabled(true);
    m_systemLog.log(QStringLiteral("HotkeyService: event tap active (Option+Tab)"));
    return true;
}

bool HotkeyService::handle(const KeyEvent& event)
{
    if (event.type == CGEventType::tapDisabledByTimeout ||
        event.type == CGEventType::tapDisabledByUserInput) {
        if (m_eventTap)
            m_eventTap->setEnabled(true);
        return false;
    }

    const bool visible = isOverlayVisible && isOverlayVisible();
    const CGEventFlags flags = event.flags;
    const quint16 key = event.keyCode;
    const ShortcutPreset preset = shortcut ? shortcut() : ShortcutPreset::optionTab;

    if (event.type == CGEventType::keyDown)
        return handleKeyDown(key, flags, visible, preset, event);

    if (event.type == CGEventType::flagsChanged && visible) {
        // Only losing a session modifier ends the switch: Shift or an extra
        // modifier coming and going does not.
        if (m_sessionFlags != 0 && (flags & m_sessionFlags) != m_sessionFlags)
            call(onModifierRelease);
    }
    return false;
}

bool HotkeyService::handleKeyDown(quint16 key, CGEventFlags flags, bool visible,
                                  ShortcutPreset preset, const KeyEvent& event)
{
    const bool reversed = flags & shift;

    const PresetKeys keys = presetKeys(preset);
    if (key == keys.keyCode && (flags & keys.required) == keys.required &&
        (flags & keys.forbidden) == 0) {
        m_sessionFlags = keys.required;
        if (visible)
            call(onCycle, reversed);
        else
            call(onActivate, reversed, std::optional<Browser>());
        return true;
    }

    if (key == KeyCode::grave && (flags & (command | option | control)) == command &&
        isCommandBacktickEnabled && isCommandBacktickEnabled()) {
        if (visible) {
            m_sessionFlags = command;
            call(onCycle, reversed);
            return true;
        }
        const std::optional<Browser> scope =
            frontmostBrowser ? frontmostBrowser() : std::optional<Browser>();
        if (!scope)
            return false;
        m_sessionFlags = command;
        call(onActivate, reversed, scope);
        return true;
    }

    if (!visible)
        return false;

    if (flags & command) {
        if (const int digit = digitFor(key)) {
            call(onFilterSelect, digit - 1);
            return true;
        }
    }

    if (routeKey(key, reversed))
        return true;

    if (flags & command)
        return false;
    return typeCharacters(event);
}

bool HotkeyService::routeKey(quint16 key, bool reversed)
{
    switch (key) {
    case KeyCode::returnKey:
    case KeyCode::keypadEnter:
        call(onCommit);
        return true;
    case KeyCode::tab:
        call(onCycle, reversed);
        return true;
    case KeyCode::deleteKey:
        call(onBackspace);
        return true;
    case KeyCode::escape:
        call(onCancel);
        return true;
    case KeyCode::leftArrow:
        call(onArrow, -1);
        return true;
    case KeyCode::rightArrow:
        call(onArrow, 1);
        return true;
    case KeyCode::downArrow:
        call(onVerticalArrow, 1);
        return true;
    case KeyCode::upArrow:
        call(onVerticalArrow, -1);
        return true;
    default:
        return false;
    }
}

bool HotkeyService::typeCharacters(const KeyEvent& event)
{
    const std::optional<QString>& characters = event.charactersIgnoringModifiers;
    if (!characters || characters->isEmpty() || !isSearchText(*characters))
        return false;
    call(onType, *characters);
    return true;
}
