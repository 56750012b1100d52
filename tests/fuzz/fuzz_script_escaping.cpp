// The script escaping of window ids and document names.
//
// Properties beyond not crashing:
// - the escaped text, standing between double quotes, never closes the quote
//   early and never ends in a lone backslash: a backslash always escapes a
//   backslash or a quote;
// - it holds no control or format character (judged by code point; the line
//   and paragraph separators are neither and stay), and it reads back as the
//   given text without those characters;
// - the simulated host accepts every focus and document-switch script built
//   from any id or name, and a script built from a text it can carry whole
//   (not empty, no control or format character, well-formed UTF-16) finds
//   exactly the window or document of that text.

#include "FuzzInput.h"
#include "Platform/Sim/SimAppleScript.h"
#include "Platform/Sim/SimHost.h"
#include "Platform/Sim/SimScenarioBuilder.h"
#include "Services/ScriptText.h"
#include "Services/WindowFocusService.h"

namespace {

bool isControlOrFormat(char32_t codePoint)
{
    const QChar::Category category = QChar::category(codePoint);
    return category == QChar::Other_Control || category == QChar::Other_Format;
}

// The code points of a text, a lone surrogate read as the replacement character.
QList<char32_t> codePoints(const QString& text)
{
    QList<char32_t> points;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar unit = text.at(i);
        if (unit.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            points << QChar::surrogateToUcs4(unit, text.at(i + 1));
            ++i;
        } else {
            points << (unit.isSurrogate() ? char32_t(QChar::ReplacementCharacter)
                                          : char32_t(unit.unicode()));
        }
    }
    return points;
}

// The text a script reads between the quotes; none when the quote would close
// early or a backslash escapes nothing.
std::optional<QString> unescape(const QString& escaped)
{
    QString text;
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        const QChar c = escaped.at(i);
        if (c == QLatin1Char('"'))
            return std::nullopt;
        if (c == QLatin1Char('\\')) {
            if (++i == escaped.size())
                return std::nullopt;
            if (escaped.at(i) != QLatin1Char('\\') && escaped.at(i) != QLatin1Char('"'))
                return std::nullopt;
        }
        text += escaped.at(i);
    }
    return text;
}

void checkEscaping(const QString& text)
{
    const QString escaped = ScriptText::escaped(text);
    const std::optional<QString> content = unescape(escaped);
    FUZZ_CHECK(content.has_value(), QStringLiteral("\"%1\" breaks the quotes").arg(escaped));
    for (const char32_t point : codePoints(escaped))
        FUZZ_CHECK(!isControlOrFormat(point),
                   QStringLiteral("U+%1 kept").arg(uint(point), 4, 16, QLatin1Char('0')));
    QList<char32_t> kept;
    for (const char32_t point : codePoints(text)) {
        if (!isControlOrFormat(point))
            kept << point;
    }
    FUZZ_CHECK(codePoints(*content) == kept,
               QStringLiteral("\"%1\" reads back as \"%2\"").arg(text, *content));
}

bool carriedWhole(const QString& text)
{
    if (text.isEmpty() || !text.isValidUtf16())
        return false;
    for (const char32_t point : codePoints(text)) {
        if (isControlOrFormat(point))
            return false;
    }
    return true;
}

QString describe(const AppleScriptRun& run)
{
    return run.errorInfo ? describeErrorInfo(*run.errorInfo) : QStringLiteral("success");
}

bool compileError(const AppleScriptRun& run)
{
    return run.errorInfo && run.errorInfo->value(AppleScriptErrorKey::number).toInt() == -2740;
}

void checkFocusScript(Browser browser, const QString& scriptID)
{
    SimScenarioBuilder builder;
    builder.launch(browser, 501).window(QStringLiteral("Other")).script(QStringLiteral("other"));
    builder.window(QStringLiteral("Target")).script(scriptID);
    SimHost host(builder.build());
    SimAppleScript appleScript(host);
    const QString source = WindowFocusService::windowFocusScript(browser, scriptID);
    const AppleScriptRun run = appleScript.execute(*appleScript.build(source));
    FUZZ_CHECK(!compileError(run), QStringLiteral("the host rejects %1").arg(source));
    if (!carriedWhole(scriptID) || scriptID == QStringLiteral("other"))
        return;
    const QString front = host.read(
        [](const SimModel& model) { return model.instances.first().windows.first().scriptID; });
    FUZZ_CHECK(!run.errorInfo && front == scriptID,
               QStringLiteral("%1 brought %2 to the front (%3)").arg(source, front, describe(run)));
}

void checkDocumentSwitch(Browser browser, const QString& name)
{
    SimScenarioBuilder builder;
    builder.launch(browser, 501).documents({QStringLiteral("Other.psd"), name});
    SimHost host(builder.build());
    SimAppleScript appleScript(host);
    const QString source = WindowFocusService::documentSwitchScript(browser, name);
    const AppleScriptRun run = appleScript.execute(*appleScript.build(source));
    FUZZ_CHECK(!compileError(run), QStringLiteral("the host rejects %1").arg(source));
    if (!carriedWhole(name))
        return;
    const std::optional<QString> active =
        host.read([](const SimModel& model) { return model.instances.first().activeDocument; });
    FUZZ_CHECK(!run.errorInfo && active == name,
               QStringLiteral("%1 made %2 active (%3)")
                   .arg(source, active.value_or(QStringLiteral("nothing")), describe(run)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ensureFuzzApplication();
    FuzzInput input(data, size);
    const int target = input.range(0, 15);
    const QString text = input.textOrWord({"12", "-3", "+7", "Poster \"1\".psd", "a\\b"}, 48);
    checkEscaping(text);
    // The window-script apps focus by window id, three document apps switch
    // documents by name (Acrobat goes through its Window menu instead).
    static const Browser windowApps[] = {
        Browser::safari,  Browser::chrome,  Browser::arc,    Browser::edge,     Browser::brave,
        Browser::vivaldi, Browser::opera,   Browser::finder, Browser::terminal, Browser::iterm,
        Browser::pages,   Browser::numbers, Browser::keynote};
    static const Browser documentApps[] = {Browser::photoshop, Browser::illustrator,
                                           Browser::indesign};
    if (target < 13)
        checkFocusScript(windowApps[target], text);
    else
        checkDocumentSwitch(documentApps[target - 13], text);
    return 0;
}
