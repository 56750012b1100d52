#include "SimKeyMapping.h"

#include "Platform/KeyCode.h"

#include <QKeyEvent>

#include <array>

namespace {

struct LayoutKey {
    quint16 code;
    char16_t plain;
    char16_t shifted;
    CGEventFlags hostFlags; // set by the host whenever this key is involved
};

constexpr CGEventFlags functionKey = CGEventFlag::secondaryFn;
constexpr CGEventFlags keypadKey = CGEventFlag::numericPad;
constexpr CGEventFlags arrowKey = CGEventFlag::numericPad | CGEventFlag::secondaryFn;

// The host's function-key characters live in the private-use area.
constexpr char16_t upArrowChar = 0xF700;
constexpr char16_t f1Char = 0xF704;

using namespace KeyCode;

constexpr LayoutKey layout[] = {
    {a, u'a', u'A', 0},
    {s, u's', u'S', 0},
    {d, u'd', u'D', 0},
    {f, u'f', u'F', 0},
    {h, u'h', u'H', 0},
    {g, u'g', u'G', 0},
    {z, u'z', u'Z', 0},
    {x, u'x', u'X', 0},
    {c, u'c', u'C', 0},
    {v, u'v', u'V', 0},
    {b, u'b', u'B', 0},
    {q, u'q', u'Q', 0},
    {w, u'w', u'W', 0},
    {e, u'e', u'E', 0},
    {r, u'r', u'R', 0},
    {y, u'y', u'Y', 0},
    {t, u't', u'T', 0},
    {o, u'o', u'O', 0},
    {u, u'u', u'U', 0},
    {i, u'i', u'I', 0},
    {p, u'p', u'P', 0},
    {l, u'l', u'L', 0},
    {j, u'j', u'J', 0},
    {k, u'k', u'K', 0},
    {n, u'n', u'N', 0},
    {m, u'm', u'M', 0},
    {digit1, u'1', u'!', 0},
    {digit2, u'2', u'@', 0},
    {digit3, u'3', u'#', 0},
    {digit4, u'4', u'$', 0},
    {digit5, u'5', u'%', 0},
    {digit6, u'6', u'^', 0},
    {digit7, u'7', u'&', 0},
    {digit8, u'8', u'*', 0},
    {digit9, u'9', u'(', 0},
    {digit0, u'0', u')', 0},
    {equal, u'=', u'+', 0},
    {minus, u'-', u'_', 0},
    {rightBracket, u']', u'}', 0},
    {leftBracket, u'[', u'{', 0},
    {quote, u'\'', u'"', 0},
    {semicolon, u';', u':', 0},
    {backslash, u'\\', u'|', 0},
    {comma, u',', u'<', 0},
    {slash, u'/', u'?', 0},
    {period, u'.', u'>', 0},
    {grave, u'`', u'~', 0},
    {space, u' ', u' ', 0},
    {returnKey, u'\r', u'\r', 0},
    {tab, u'\t', 0x19, 0}, // Shift+Tab types the back-tab character
    {deleteKey, 0x7F, 0x7F, 0},
    {escape, 0x1B, 0x1B, 0},
    {keypadEnter, 0x03, 0x03, keypadKey},
    {keypadDecimal, u'.', u'.', keypadKey},
    {keypadMultiply, u'*', u'*', keypadKey},
    {keypadPlus, u'+', u'+', keypadKey},
    {keypadClear, 0xF739, 0xF739, keypadKey},
    {keypadDivide, u'/', u'/', keypadKey},
    {keypadMinus, u'-', u'-', keypadKey},
    {keypadEquals, u'=', u'=', keypadKey},
    {keypad0, u'0', u'0', keypadKey},
    {keypad1, u'1', u'1', keypadKey},
    {keypad2, u'2', u'2', keypadKey},
    {keypad3, u'3', u'3', keypadKey},
    {keypad4, u'4', u'4', keypadKey},
    {keypad5, u'5', u'5', keypadKey},
    {keypad6, u'6', u'6', keypadKey},
    {keypad7, u'7', u'7', keypadKey},
    {keypad8, u'8', u'8', keypadKey},
    {keypad9, u'9', u'9', keypadKey},
    {upArrow, upArrowChar, upArrowChar, arrowKey},
    {downArrow, upArrowChar + 1, upArrowChar + 1, arrowKey},
    {leftArrow, upArrowChar + 2, upArrowChar + 2, arrowKey},
    {rightArrow, upArrowChar + 3, upArrowChar + 3, arrowKey},
    {f1, f1Char, f1Char, functionKey},
    {f2, f1Char + 1, f1Char + 1, functionKey},
    {f3, f1Char + 2, f1Char + 2, functionKey},
    {f4, f1Char + 3, f1Char + 3, functionKey},
    {f5, f1Char + 4, f1Char + 4, functionKey},
    {f6, f1Char + 5, f1Char + 5, functionKey},
    {f7, f1Char + 6, f1Char + 6, functionKey},
    {f8, f1Char + 7, f1Char + 7, functionKey},
    {f9, f1Char + 8, f1Char + 8, functionKey},
    {f10, f1Char + 9, f1Char + 9, functionKey},
    {f11, f1Char + 10, f1Char + 10, functionKey},
    {f12, f1Char + 11, f1Char + 11, functionKey},
    {forwardDelete, 0xF728, 0xF728, functionKey},
    {home, 0xF729, 0xF729, functionKey},
    {end, 0xF72B, 0xF72B, functionKey},
    {pageUp, 0xF72C, 0xF72C, functionKey},
    {pageDown, 0xF72D, 0xF72D, functionKey},
};

const LayoutKey* layoutKey(quint16 code)
{
    for (const LayoutKey& key : layout) {
        if (key.code == code)
            return &key;
    }
    return nullptr;
}

// The main-block key that types an ASCII character, with or without Shift.
std::optional<quint16> mainKeyTyping(char16_t ch)
{
    for (const LayoutKey& key : layout) {
        if (key.hostFlags != 0)
            continue;
        if (key.plain == ch || key.shifted == ch)
            return key.code;
    }
    return std::nullopt;
}

std::optional<quint16> keypadKeyTyping(char16_t ch)
{
    for (const LayoutKey& key : layout) {
        if (key.hostFlags == keypadKey && key.plain == ch)
            return key.code;
    }
    return std::nullopt;
}

CGEventFlags hostFlags(Qt::KeyboardModifiers modifiers)
{
    CGEventFlags flags = 0;
    if (modifiers & Qt::ShiftModifier)
        flags |= CGEventFlag::shift;
    if (modifiers & Qt::ControlModifier)
        flags |= CGEventFlag::control;
    if (modifiers & Qt::AltModifier)
        flags |= CGEventFlag::option;
    if (modifiers & Qt::MetaModifier)
        flags |= CGEventFlag::command;
    return flags;
}

// X11 key symbols that tell apart what Qt::Key alone does not.
constexpr quint32 xkIsoLeftTab = 0xFE20;
constexpr quint32 xkKeypadFirst = 0xFF80; // KP_Space
constexpr quint32 xkKeypadLast = 0xFFBD;  // KP_Equal
constexpr quint32 xkShiftR = 0xFFE2;
constexpr quint32 xkControlR = 0xFFE4;
constexpr quint32 xkMetaR = 0xFFE8;
constexpr quint32 xkAltR = 0xFFEA;
constexpr quint32 xkSuperR = 0xFFEC;

struct ModifierKey {
    quint16 code;
    CGEventFlags flag;
};

std::optional<ModifierKey> modifierKey(int key, quint32 keySymbol)
{
    switch (key) {
    case Qt::Key_Shift:
        return ModifierKey{keySymbol == xkShiftR ? rightShift : shift, CGEventFlag::shift};
    case Qt::Key_Control:
        return ModifierKey{keySymbol == xkControlR ? rightControl : control, CGEventFlag::control};
    case Qt::Key_Alt:
        return ModifierKey{keySymbol == xkAltR ? rightOption : option, CGEventFlag::option};
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        return ModifierKey{keySymbol == xkSuperR || keySymbol == xkMetaR || key == Qt::Key_Super_R
                               ? rightCommand
                               : command,
                           CGEventFlag::command};
    default:
        return std::nullopt;
    }
}

std::optional<quint16> keyCodeFor(int key, Qt::KeyboardModifiers modifiers, quint32 keySymbol)
{
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return tab;
    case Qt::Key_Return:
        return returnKey;
    case Qt::Key_Enter:
        return keypadEnter;
    case Qt::Key_Backspace:
        return deleteKey;
    case Qt::Key_Delete:
        return forwardDelete;
    case Qt::Key_Escape:
        return escape;
    case Qt::Key_Left:
        return leftArrow;
    case Qt::Key_Right:
        return rightArrow;
    case Qt::Key_Up:
        return upArrow;
    case Qt::Key_Down:
        return downArrow;
    case Qt::Key_Home:
        return home;
    case Qt::Key_End:
        return end;
    case Qt::Key_PageUp:
        return pageUp;
    case Qt::Key_PageDown:
        return pageDown;
    case Qt::Key_Clear:
        return keypadClear;
    default:
        break;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) {
        static constexpr std::array<quint16, 12> functionKeys{f1, f2, f3, f4,  f5,  f6,
                                                              f7, f8, f9, f10, f11, f12};
        return functionKeys[size_t(key - Qt::Key_F1)];
    }
    if (key < 0x20 || key > 0x7E)
        return std::nullopt;
    // Qt names a character key by its upper-case character; the key that types
    // it is the same whatever the case or Shift.
    const char16_t ch = QChar(char16_t(key)).toLower().unicode();
    const bool keypad = (modifiers & Qt::KeypadModifier) ||
                        (keySymbol >= xkKeypadFirst && keySymbol <= xkKeypadLast);
    if (keypad) {
        if (const auto code = keypadKeyTyping(ch))
            return code;
    }
    return mainKeyTyping(ch);
}

} // namespace

namespace SimKeyMapping {

std::optional<QString> characters(quint16 keyCode, bool shift)
{
    const LayoutKey* key = layoutKey(keyCode);
    if (!key)
        return std::nullopt;
    return QString(QChar(shift ? key->shifted : key->plain));
}

KeyEvent keyDown(quint16 keyCode, CGEventFlags flags, bool autoRepeat)
{
    KeyEvent event;
    event.type = CGEventType::keyDown;
    event.keyCode = keyCode;
    event.isAutorepeat = autoRepeat;
    const LayoutKey* key = layoutKey(keyCode);
    event.flags = flags | (key ? key->hostFlags : 0);
    event.charactersIgnoringModifiers = characters(keyCode, flags & CGEventFlag::shift);
    return event;
}

KeyEvent flagsChanged(quint16 keyCode, CGEventFlags flags)
{
    KeyEvent event;
    event.type = CGEventType::flagsChanged;
    event.keyCode = keyCode;
    event.flags = flags;
    return event;
}

std::optional<KeyEvent> keyEvent(int key, Qt::KeyboardModifiers modifiers, quint32 nativeVirtualKey,
                                 const QString& text, bool release, bool autoRepeat)
{
    CGEventFlags flags = hostFlags(modifiers);

    if (const auto modifier = modifierKey(key, nativeVirtualKey)) {
        // Whether Qt counts the key itself among the modifiers of its own event
        // differs by platform; the host reports the state after the change.
        if (autoRepeat)
            return std::nullopt;
        flags = release ? flags & ~modifier->flag : flags | modifier->flag;
        return flagsChanged(modifier->code, flags);
    }

    const bool backTab = key == Qt::Key_Backtab || nativeVirtualKey == xkIsoLeftTab;
    if (backTab)
        flags |= CGEventFlag::shift;
    const auto code = keyCodeFor(backTab ? int(Qt::Key_Tab) : key, modifiers, nativeVirtualKey);
    if (!code)
        return std::nullopt;

    KeyEvent event = keyDown(*code, flags, autoRepeat);
    if (release)
        event.type = CGEventType::keyUp;

    // Caps Lock is not among Qt's modifiers; the case of the typed letter
    // tells it, and the host both reports it and lets it shape letters.
    const std::optional<QString> plain = characters(*code, false);
    if (text.size() == 1 && text.at(0).isLetter() && plain &&
        text.at(0).toLower() == plain->at(0)) {
        event.charactersIgnoringModifiers = text;
        if (text.at(0).isUpper() != bool(flags & CGEventFlag::shift))
            event.flags |= CGEventFlag::alphaShift;
    }
    return event;
}

std::optional<KeyEvent> keyEvent(const QKeyEvent& event)
{
    return keyEvent(event.key(), event.modifiers(), event.nativeVirtualKey(), event.text(),
                    event.type() == QEvent::KeyRelease, event.isAutoRepeat());
}

} // namespace SimKeyMapping
