#pragma once

#include "Platform/EventTap.h"

#include <Qt>

#include <optional>

class QKeyEvent;

// The simulated host's keyboard: a US layout. Builds the host's key events by
// key code, and translates Qt key events (the desktop view's keyboard) into
// them: Alt is Option, Ctrl is Control, Meta (Super) is Command.
namespace SimKeyMapping {

// What the key types with every modifier but Shift ignored; nothing for a key
// that types nothing (the modifier keys) or that the layout does not know.
std::optional<QString> characters(quint16 keyCode, bool shift);

// A key-down of the key with the given modifiers held. Adds the bits the host
// sets by itself for some keys (function keys, keypad, arrows), and the
// characters from the layout.
KeyEvent keyDown(quint16 keyCode, CGEventFlags flags = 0, bool autoRepeat = false);
// A modifier key went down or up; flags are the modifiers held afterwards.
KeyEvent flagsChanged(quint16 keyCode, CGEventFlags flags);

// Nothing for keys the host keyboard lacks and for auto-repeated modifiers.
// A release of an ordinary key becomes a key-up, which no keyboard tap here
// listens to.
std::optional<KeyEvent> keyEvent(int key, Qt::KeyboardModifiers modifiers, quint32 nativeVirtualKey,
                                 const QString& text, bool release, bool autoRepeat);
std::optional<KeyEvent> keyEvent(const QKeyEvent& event);

} // namespace SimKeyMapping
