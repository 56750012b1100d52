// The shortcut handler over arbitrary sequences of key events, with an
// overlay that opens on activation and closes on commit, cancel and the
// release of the session modifier.
//
// Properties beyond not crashing:
// - a consumed event is a key-down and reaches exactly one callback; a passed
//   event reaches none, except that a flags change may report a modifier
//   release, and only while a session modifier is really up;
// - typed text is never empty and never holds a control or format character,
//   nor one of the characters the host gives function and arrow keys;
// - while the overlay is closed only activation is ever called;
// - callback arguments stay in their ranges: filters 0 to 8, steps of one,
//   a scope only when it is the frontmost app.

#include "FuzzInput.h"
#include "Platform/Sim/SimSystemLog.h"
#include "Services/HotkeyService.h"

namespace {

class NoEventTap final : public EventTap {
public:
    std::unique_ptr<EventTapPort> createTap(EventTapCallback) override { return nullptr; }
};

CGEventFlags flagsFrom(FuzzInput& input)
{
    if (input.range(0, 15) == 0)
        return input.u64(); // any bits at all
    const uint8_t bits = input.byte();
    constexpr CGEventFlags masks[] = {CGEventFlag::shift,      CGEventFlag::control,
                                      CGEventFlag::option,     CGEventFlag::command,
                                      CGEventFlag::alphaShift, CGEventFlag::numericPad,
                                      CGEventFlag::secondaryFn};
    CGEventFlags flags = 0;
    for (int i = 0; i < 7; ++i) {
        if (bits & (1 << i))
            flags |= masks[i];
    }
    return flags;
}

KeyEvent eventFrom(FuzzInput& input)
{
    KeyEvent event;
    event.type =
        input.pick({CGEventType::keyDown, CGEventType::keyDown, CGEventType::keyDown,
                    CGEventType::flagsChanged, CGEventType::flagsChanged, CGEventType::keyUp,
                    CGEventType::tapDisabledByTimeout, CGEventType::tapDisabledByUserInput});
    event.keyCode = input.range(0, 31) == 0 ? quint16(input.u32()) : quint16(input.byte() & 0x7F);
    event.flags = flagsFrom(input);
    event.isAutorepeat = input.flag();
    if (input.range(0, 3) > 0)
        event.charactersIgnoringModifiers =
            input.textOrWord({"a", "\t", "\r", "\x1b", "\uF702"}, 4);
    return event;
}

bool isTypable(const QString& text)
{
    for (const char32_t point : text.toUcs4()) {
        const QChar::Category category = QChar::category(point);
        if (category == QChar::Other_Control || category == QChar::Other_Format ||
            (point >= 0xF700 && point <= 0xF8FF))
            return false;
    }
    return !text.isEmpty();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    NoEventTap tap;
    SimSystemLog log;
    HotkeyService service(tap, log);

    const ShortcutPreset preset = input.pick(
        {ShortcutPreset::optionTab, ShortcutPreset::controlOptionTab, ShortcutPreset::optionGrave});
    const bool commandBacktick = input.flag();
    bool visible = false;
    std::optional<Browser> frontmost;
    int calls = 0;
    QString callName;
    const auto called = [&](const char* name) {
        ++calls;
        callName = QLatin1String(name);
        FUZZ_CHECK(visible || callName == QStringLiteral("activate"),
                   QStringLiteral("%1 while the overlay is closed").arg(callName));
    };

    service.shortcut = [&] { return preset; };
    service.isCommandBacktickEnabled = [&] { return commandBacktick; };
    service.frontmostBrowser = [&] { return frontmost; };
    service.isOverlayVisible = [&] { return visible; };
    service.onActivate = [&](bool, std::optional<Browser> scope) {
        called("activate");
        FUZZ_CHECK(!scope || scope == frontmost, QStringLiteral("scope is not the frontmost app"));
        visible = true;
    };
    service.onCycle = [&](bool) { called("cycle"); };
    service.onFilterSelect = [&](int index) {
        called("filter");
        FUZZ_CHECK(index >= 0 && index <= 8, QStringLiteral("filter %1").arg(index));
    };
    service.onArrow = [&](int step) {
        called("arrow");
        FUZZ_CHECK(step == 1 || step == -1, QStringLiteral("arrow step %1").arg(step));
    };
    service.onVerticalArrow = [&](int step) {
        called("vertical arrow");
        FUZZ_CHECK(step == 1 || step == -1, QStringLiteral("vertical step %1").arg(step));
    };
    service.onCommit = [&] {
        called("commit");
        visible = false;
    };
    service.onCancel = [&] {
        called("cancel");
        visible = false;
    };
    service.onModifierRelease = [&] {
        called("modifier release");
        visible = false;
    };
    service.onType = [&](const QString& text) {
        called("type");
        FUZZ_CHECK(isTypable(text), QStringLiteral("typed \"%1\"").arg(text));
    };
    service.onBackspace = [&] { called("backspace"); };

    while (!input.atEnd()) {
        // The frontmost app changes now and then between events.
        if (input.range(0, 7) == 0)
            frontmost = input.flag()
                            ? std::optional<Browser>(Browser::allCases()[input.range(0, 31)])
                            : std::nullopt;
        const KeyEvent event = eventFrom(input);
        const CGEventFlags sessionBefore = service.sessionFlags();
        calls = 0;
        const bool consumed = service.handle(event);
        const auto what = [&] {
            return QStringLiteral("event type %1, key %2, flags %3: %4 call(s), last %5")
                .arg(quint32(event.type))
                .arg(event.keyCode)
                .arg(event.flags, 0, 16)
                .arg(calls)
                .arg(callName);
        };
        if (consumed) {
            FUZZ_CHECK(event.type == CGEventType::keyDown && calls == 1, what());
        } else if (event.type == CGEventType::flagsChanged && calls > 0) {
            FUZZ_CHECK(calls == 1 && callName == QStringLiteral("modifier release") &&
                           sessionBefore != 0 && (event.flags & sessionBefore) != sessionBefore,
                       what());
        } else {
            FUZZ_CHECK(calls == 0, what());
        }
    }
    return 0;
}
