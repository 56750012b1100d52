#include "Platform/KeyCode.h"
#include "Platform/Sim/SimKeyMapping.h"

#include <QKeyEvent>
#include <QTest>

using namespace CGEventFlag;

class TestSimKeyMapping : public QObject {
    Q_OBJECT
private slots:
    void qtKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<uint>("keySymbol");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("release");
        QTest::addColumn<bool>("mapped");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("keyCode");
        QTest::addColumn<qulonglong>("flags");
        QTest::addColumn<QString>("characters"); // null: none

        const int down = int(CGEventType::keyDown);
        const int up = int(CGEventType::keyUp);
        const int changed = int(CGEventType::flagsChanged);
        const QString none;
        const auto row = [](const char* name, int key, Qt::KeyboardModifiers modifiers,
                            uint keySymbol, const QString& text, bool release, int type,
                            int keyCode, CGEventFlags flags, const QString& characters) {
            QTest::newRow(name) << key << int(modifiers) << keySymbol << text << release << true
                                << type << keyCode << qulonglong(flags) << characters;
        };
        const auto unmapped = [](const char* name, int key, uint keySymbol, bool release = false) {
            QTest::newRow(name) << key << 0 << keySymbol << QString() << release << false << 0 << 0
                                << qulonglong(0) << QString();
        };
        const auto noMods = Qt::NoModifier;

        row("a", Qt::Key_A, noMods, 0x61, "a", false, down, 0, 0, "a");
        row("Shift+a", Qt::Key_A, Qt::ShiftModifier, 0x41, "A", false, down, 0, shift, "A");
        row("Caps Lock a", Qt::Key_A, noMods, 0x41, "A", false, down, 0, alphaShift, "A");
        row("Alt+q is Option", Qt::Key_Q, Qt::AltModifier, 0x71, "q", false, down, 12, option, "q");
        row("Ctrl+c is Control", Qt::Key_C, Qt::ControlModifier, 0x63, "\x03", false, down, 8,
            control, "c");
        row("Meta+m is Command", Qt::Key_M, Qt::MetaModifier, 0x6d, "m", false, down, 46, command,
            "m");
        row("release of a", Qt::Key_A, noMods, 0x61, "a", true, up, 0, 0, "a");

        row("1", Qt::Key_1, noMods, 0x31, "1", false, down, 18, 0, "1");
        row("5", Qt::Key_5, noMods, 0x35, "5", false, down, 23, 0, "5");
        row("6", Qt::Key_6, noMods, 0x36, "6", false, down, 22, 0, "6");
        row("Shift+9 arrives as (", Qt::Key_ParenLeft, Qt::ShiftModifier, 0x28, "(", false, down,
            25, shift, "(");
        row("0", Qt::Key_0, noMods, 0x30, "0", false, down, 29, 0, "0");
        row("keypad 7", Qt::Key_7, Qt::KeypadModifier, 0xFFB7, "7", false, down, 89, numericPad,
            "7");

        row("backtick", Qt::Key_QuoteLeft, Qt::AltModifier, 0x60, "`", false, down, 50, option,
            "`");
        row("tilde", Qt::Key_AsciiTilde, Qt::ShiftModifier, 0x7e, "~", false, down, 50, shift, "~");
        row("- _", Qt::Key_Underscore, Qt::ShiftModifier, 0x5f, "_", false, down, 27, shift, "_");
        row("=", Qt::Key_Equal, noMods, 0x3d, "=", false, down, 24, 0, "=");
        row("[", Qt::Key_BracketLeft, noMods, 0x5b, "[", false, down, 33, 0, "[");
        row("}", Qt::Key_BraceRight, Qt::ShiftModifier, 0x7d, "}", false, down, 30, shift, "}");
        row(";", Qt::Key_Semicolon, noMods, 0x3b, ";", false, down, 41, 0, ";");
        row("\"", Qt::Key_QuoteDbl, Qt::ShiftModifier, 0x22, "\"", false, down, 39, shift, "\"");
        row("|", Qt::Key_Bar, Qt::ShiftModifier, 0x7c, "|", false, down, 42, shift, "|");
        row(",", Qt::Key_Comma, noMods, 0x2c, ",", false, down, 43, 0, ",");
        row(".", Qt::Key_Period, noMods, 0x2e, ".", false, down, 47, 0, ".");
        row("?", Qt::Key_Question, Qt::ShiftModifier, 0x3f, "?", false, down, 44, shift, "?");
        row("space", Qt::Key_Space, noMods, 0x20, " ", false, down, 49, 0, " ");

        row("Tab", Qt::Key_Tab, Qt::AltModifier, 0xFF09, "\t", false, down, 48, option, "\t");
        row("Shift+Tab arrives as Backtab", Qt::Key_Backtab, Qt::ShiftModifier | Qt::AltModifier,
            0xFE20, "", false, down, 48, shift | option, "\x19");
        row("Backtab without Shift in the modifiers", Qt::Key_Backtab, noMods, 0xFE20, "", false,
            down, 48, shift, "\x19");
        row("Return", Qt::Key_Return, Qt::MetaModifier, 0xFF0D, "\r", false, down, 36, command,
            "\r");
        row("keypad Enter", Qt::Key_Enter, Qt::KeypadModifier, 0xFF8D, "\r", false, down, 76,
            numericPad, "\x03");
        row("Backspace is Delete", Qt::Key_Backspace, noMods, 0xFF08, "\b", false, down, 51, 0,
            "\x7f");
        row("Escape", Qt::Key_Escape, noMods, 0xFF1B, "\x1b", false, down, 53, 0, "\x1b");
        row("Left", Qt::Key_Left, noMods, 0xFF51, "", false, down, 123, numericPad | secondaryFn,
            QString(QChar(0xF702)));
        row("Up", Qt::Key_Up, noMods, 0xFF52, "", false, down, 126, numericPad | secondaryFn,
            QString(QChar(0xF700)));
        row("F1", Qt::Key_F1, noMods, 0xFFBE, "", false, down, 122, secondaryFn,
            QString(QChar(0xF704)));

        row("Alt down", Qt::Key_Alt, noMods, 0xFFE9, "", false, changed, 58, option, none);
        row("Alt down, already in the modifiers", Qt::Key_Alt, Qt::AltModifier, 0xFFE9, "", false,
            changed, 58, option, none);
        row("Alt up, Shift held", Qt::Key_Alt, Qt::AltModifier | Qt::ShiftModifier, 0xFFE9, "",
            true, changed, 58, shift, none);
        row("right Alt", Qt::Key_Alt, noMods, 0xFFEA, "", false, changed, 61, option, none);
        row("Ctrl down with Alt", Qt::Key_Control, Qt::AltModifier, 0xFFE3, "", false, changed, 59,
            control | option, none);
        row("Super down is Command", Qt::Key_Super_L, noMods, 0xFFEB, "", false, changed, 55,
            command, none);
        row("Shift up", Qt::Key_Shift, Qt::ShiftModifier, 0xFFE1, "", true, changed, 56, 0, none);

        unmapped("F13", Qt::Key_F13, 0xFFCA);
        unmapped("e acute", Qt::Key_Eacute, 0xe9);
        unmapped("Caps Lock", Qt::Key_CapsLock, 0xFFE5);
    }

    void qtKeys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(uint, keySymbol);
        QFETCH(QString, text);
        QFETCH(bool, release);

        const QKeyEvent qtEvent(release ? QEvent::KeyRelease : QEvent::KeyPress, key,
                                Qt::KeyboardModifiers(modifiers), 0, keySymbol, 0, text);
        const std::optional<KeyEvent> event = SimKeyMapping::keyEvent(qtEvent);
        QTEST(event.has_value(), "mapped");
        if (!event)
            return;
        QTEST(int(event->type), "type");
        QTEST(int(event->keyCode), "keyCode");
        QTEST(qulonglong(event->flags), "flags");
        QTEST(event->charactersIgnoringModifiers.value_or(QString()), "characters");
        QVERIFY(!event->isAutorepeat);
    }

    void autoRepeat()
    {
        const auto tab =
            SimKeyMapping::keyEvent(Qt::Key_Tab, Qt::AltModifier, 0xFF09, "\t", false, true);
        QVERIFY(tab && tab->isAutorepeat && tab->keyCode == KeyCode::tab);
        // The host never repeats a modifier.
        QVERIFY(!SimKeyMapping::keyEvent(Qt::Key_Alt, Qt::AltModifier, 0xFFE9, {}, false, true));
    }
};

QTEST_GUILESS_MAIN(TestSimKeyMapping)
#include "tst_SimKeyMapping.moc"
