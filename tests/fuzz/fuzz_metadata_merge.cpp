// The metadata merge of every scripted app over simulated desktops whose
// windows, documents and script answers come from the input: replies built
// from the windows, arbitrary reply trees, error dictionaries of any shape,
// refused automation, an app that is not running.
//
// Properties beyond not crashing:
// - no record without an app: every merged record belongs to the merged app,
//   and one known only from scripting carries the merge's process id;
// - errors described: a failed fetch returns the listing unchanged and leaves
//   a description (for an error dictionary, "<message> (<number>)"); a
//   successful one leaves none;
// - window-script apps: the listed windows come first, unchanged but for
//   their script data, and every reply entry is used exactly once; with
//   distinct script ids in the reply, the "as-" ids are distinct;
// - document apps: each document name gives exactly one record of that name
//   with its "doc-" id, no listed window is returned twice (Acrobat ties only
//   its front window, to each name the active document goes by), and with
//   distinct names the "doc-" ids are distinct.
// Records that share an "ax-" id or a window-server record are what the
// listing and the title match make them, and are not judged here.

#include "FuzzInput.h"
#include "Platform/Sim/SimPlatform.h"
#include "Platform/Sim/SimScenarioBuilder.h"
#include "Services/SafariMetadataService.h"
#include "Services/SafariWindowService.h"
#include "Services/ScriptGuard.h"

#include <QRegularExpression>

namespace {

constexpr pid_t appPid = 501;

const Browser scriptedApps[] = {
    Browser::safari,   Browser::chrome,  Browser::arc,     Browser::edge,      Browser::brave,
    Browser::vivaldi,  Browser::opera,   Browser::finder,  Browser::terminal,  Browser::iterm,
    Browser::pages,    Browser::numbers, Browser::keynote, Browser::photoshop, Browser::illustrator,
    Browser::indesign, Browser::acrobat};

enum class Answer { fromWindows, replyTree, errorDictionary, automationDenied, notRunning };

AEDescriptor replyTree(FuzzInput& input, int depth)
{
    switch (input.range(0, depth == 0 ? 4 : 5)) {
    case 0:
        return AEDescriptor::null();
    case 1:
        return AEDescriptor::text(input.textOrWord({"1", "A", "https://example.org/", ""}));
    case 2:
        return AEDescriptor::integer(input.flag() ? qint32(input.u32()) : input.range(-2, 9));
    case 3:
        return AEDescriptor::boolean(input.flag());
    default: {
        // Lists, mostly window records of five values.
        if (depth >= 3)
            return AEDescriptor::list({});
        QList<AEDescriptor> items;
        const int count = input.flag() ? 5 : input.range(0, 7);
        for (int i = 0; i < count; ++i)
            items << replyTree(input, depth + 1);
        return AEDescriptor::list(items);
    }
    }
}

QVariant anyValue(FuzzInput& input)
{
    switch (input.range(0, 6)) {
    case 0:
        return QVariant();
    case 1:
        return input.textOrWord({"Safari got an error.", "-1728", ""});
    case 2:
        return int(input.u32());
    case 3:
        return input.anyDouble();
    case 4:
        return input.flag();
    case 5:
        return QVariantList{input.text(8)};
    default:
        return qlonglong(input.u64());
    }
}

struct Case {
    Browser app = Browser::safari;
    Answer answer = Answer::fromWindows;
    SimModel model;
};

Case caseFrom(FuzzInput& input)
{
    Case c;
    c.app = scriptedApps[input.range(0, 16)];
    c.answer = input.pick({Answer::fromWindows, Answer::fromWindows, Answer::fromWindows,
                           Answer::replyTree, Answer::replyTree, Answer::errorDictionary,
                           Answer::automationDenied, Answer::notRunning});
    SimScenarioBuilder builder;
    builder.install(c.app).screenRecording(input.flag());
    if (c.answer == Answer::notRunning) {
        c.model = builder.build();
        return c;
    }
    builder.launch(c.app, appPid);
    const int windows = input.range(0, 5);
    for (int i = 0; i < windows; ++i) {
        builder.window(input.textOrWord({"A", "B", "Poster.psd", "Poster.psd @ 50%", ""}),
                       QRectF(10 * i, 20, 800, 600));
        if (input.flag())
            builder.windowNumber(quint32(100 + i));
        if (input.range(0, 3) == 0)
            builder.onlyScripting();
        builder.minimized(input.range(0, 3) == 0);
        builder.script(input.textOrWord({"1", "2", "7", ""}),
                       input.textOrWord({"https://www.example.org/a", "file:///Users/me/Docs/",
                                         "not a url", ""}),
                       input.range(0, 9));
    }
    QStringList documents;
    for (int n = input.range(0, 4); n > 0; --n)
        documents << input.textOrWord({"Poster.psd", "A", "", "B"});
    std::optional<QString> active;
    if (input.flag())
        active = input.textOrWord({"Poster.psd", "A", "B"});
    builder.documents(documents, active);

    SimScripting& scripting = builder.lastInstance().scripting;
    switch (c.answer) {
    case Answer::replyTree:
        scripting.replyOverride = replyTree(input, 0);
        break;
    case Answer::errorDictionary: {
        QVariantMap error;
        if (input.range(0, 3) > 0)
            error.insert(AppleScriptErrorKey::message, anyValue(input));
        if (input.range(0, 3) > 0)
            error.insert(AppleScriptErrorKey::number, anyValue(input));
        if (input.flag())
            error.insert(input.text(12), anyValue(input));
        scripting.error = error;
        break;
    }
    case Answer::automationDenied:
        scripting.automationDenied = true;
        break;
    default:
        break;
    }
    c.model = builder.build();
    return c;
}

// The same window as listed: what Accessibility and the window server gave.
bool sameListedWindow(const SafariWindow& a, const SafariWindow& b)
{
    return a.axElement == b.axElement && a.windowID == b.windowID && a.title == b.title &&
           a.frame == b.frame && a.pid == b.pid && a.isMinimized == b.isMinimized &&
           a.browser == b.browser;
}

bool unchanged(const QList<SafariWindow>& merged, const QList<SafariWindow>& listed)
{
    if (merged.size() != listed.size())
        return false;
    for (qsizetype i = 0; i < merged.size(); ++i) {
        if (!sameListedWindow(merged[i], listed[i]) || merged[i].id() != listed[i].id() ||
            merged[i].tabURL != listed[i].tabURL || merged[i].tabCount != listed[i].tabCount)
            return false;
    }
    return true;
}

// Whether the records whose id starts with the prefix have distinct ids.
bool distinctIds(const QList<SafariWindow>& merged, const QString& prefix)
{
    QSet<QString> ids;
    qsizetype count = 0;
    for (const SafariWindow& window : merged) {
        if (window.id().startsWith(prefix)) {
            ids.insert(window.id());
            ++count;
        }
    }
    return ids.size() == count;
}

template <typename T> bool distinct(const QList<T>& values)
{
    return QSet<T>(values.cbegin(), values.cend()).size() == values.size();
}

QStringList scriptIds(const QList<SafariWindow>& merged)
{
    QStringList ids;
    for (const SafariWindow& window : merged) {
        if (window.scriptWindowID)
            ids << *window.scriptWindowID;
    }
    ids.sort();
    return ids;
}

void checkWindowScriptMerge(SafariMetadataService& service, const Case& c,
                            const QList<SafariWindow>& listed, const QList<SafariWindow>& merged)
{
    FUZZ_CHECK(merged.size() >= listed.size(), QStringLiteral("listed windows lost"));
    for (qsizetype i = 0; i < listed.size(); ++i)
        FUZZ_CHECK(sameListedWindow(merged[i], listed[i]),
                   QStringLiteral("listed window %1 changed").arg(i));
    for (qsizetype i = listed.size(); i < merged.size(); ++i)
        FUZZ_CHECK(!merged[i].axElement, QStringLiteral("record %1 is not script-only").arg(i));

    // The same reply again, as entries: each is used exactly once.
    const auto fetched = service.fetchMetadata(c.app);
    const auto* entries = std::get_if<QList<WindowMetadata>>(&fetched);
    FUZZ_CHECK(entries, QStringLiteral("the second fetch failed"));
    QStringList entryIds;
    for (const WindowMetadata& entry : *entries)
        entryIds << entry.scriptID;
    const bool distinctEntries = distinct(entryIds);
    entryIds.sort();
    FUZZ_CHECK(scriptIds(merged) == entryIds,
               QStringLiteral("script ids %1 for entries %2")
                   .arg(scriptIds(merged).join(','), entryIds.join(',')));
    FUZZ_CHECK(!distinctEntries || distinctIds(merged, QStringLiteral("as-")),
               QStringLiteral("\"as-\" ids repeat"));
}

void checkDocumentMerge(SafariMetadataService& service, const Case& c,
                        const QList<SafariWindow>& listed, const QList<SafariWindow>& merged)
{
    const auto fetched = service.fetchDocuments(c.app);
    const auto* names = std::get_if<QStringList>(&fetched);
    FUZZ_CHECK(names, QStringLiteral("the second fetch failed"));
    if (names->isEmpty()) {
        FUZZ_CHECK(unchanged(merged, listed), QStringLiteral("changed without documents"));
        return;
    }
    QStringList sortedNames = *names;
    sortedNames.sort();
    FUZZ_CHECK(scriptIds(merged) == sortedNames,
               QStringLiteral("records %1 for documents %2")
                   .arg(scriptIds(merged).join(','), sortedNames.join(',')));
    const QString prefix = QStringLiteral("doc-") + c.app.rawValue() + QLatin1Char('-');
    QList<quint64> elements;
    for (const SafariWindow& window : merged) {
        if (window.scriptWindowID)
            FUZZ_CHECK(
                window.title == *window.scriptWindowID &&
                    window.id() == prefix + *window.scriptWindowID,
                QStringLiteral("document record %1 titled %2").arg(window.id(), window.title));
        if (window.axElement)
            elements << window.axElement->token;
    }
    if (c.app == Browser::acrobat) {
        // Only the front window is tied to a document: the active one, under
        // each name it goes by.
        FUZZ_CHECK(merged.size() == names->size(),
                   QStringLiteral("Acrobat records beside documents"));
        FUZZ_CHECK(elements.isEmpty() || (QSet<quint64>(elements.cbegin(), elements.cend()) ==
                                          QSet<quint64>{listed.first().axElement->token}),
                   QStringLiteral("an Acrobat window other than the front one"));
    } else {
        FUZZ_CHECK(distinct(elements), QStringLiteral("a listed window returned twice"));
    }
    FUZZ_CHECK(!distinct(*names) || distinctIds(merged, prefix),
               QStringLiteral("\"doc-\" ids repeat"));
}

void checkError(const Case& c, const QString& description)
{
    FUZZ_CHECK(!description.isEmpty(), QStringLiteral("an empty error description"));
    if (c.answer != Answer::errorDictionary)
        return;
    // Matched after the message: a message that is not well-formed UTF-16
    // matches no expression at all.
    static const QRegularExpression numbered(
        QRegularExpression::anchoredPattern(QStringLiteral(" \\(-?[0-9]+\\)")));
    const QVariant message =
        c.model.instances.first().scripting.error->value(AppleScriptErrorKey::message);
    const QString head = message.typeId() == QMetaType::QString
                             ? message.toString()
                             : QStringLiteral("Unknown AppleScript error");
    FUZZ_CHECK(
        description.startsWith(head) && numbered.match(description.mid(head.size())).hasMatch(),
        QStringLiteral("error described as \"%1\" for the message \"%2\"").arg(description, head));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ensureFuzzApplication();
    FuzzInput input(data, size);
    const Case c = caseFrom(input);

    SimPlatform sim(c.model);
    Platform platform = sim.platform();
    ScriptGuard guard(sim.appleScript, sim.systemLog, sim.clock);
    SafariWindowService windows(platform);
    SafariMetadataService service(platform, guard, MetadataTimeouts{2.0, 2.0});

    const QList<SafariWindow> listed = windows.discoverWindows(c.app);
    const QList<SafariWindow> merged = service.mergeAndEnrich(listed, c.app, windows);
    const pid_t mergePid = c.answer == Answer::notRunning ? 0 : appPid;
    for (const SafariWindow& window : merged) {
        FUZZ_CHECK(window.browser == c.app, QStringLiteral("a record of another app"));
        FUZZ_CHECK(window.axElement || window.pid == mergePid,
                   QStringLiteral("script-only record with pid %1").arg(window.pid));
    }

    const QHash<Browser, QString> errors = service.lastErrors();
    if (errors.contains(c.app)) {
        FUZZ_CHECK(unchanged(merged, listed), QStringLiteral("a failed fetch changed the list"));
        checkError(c, errors.value(c.app));
        return 0;
    }
    FUZZ_CHECK(c.answer == Answer::fromWindows || c.answer == Answer::replyTree,
               QStringLiteral("a failing app left no error"));
    if (c.app.isDocumentApp())
        checkDocumentMerge(service, c, listed, merged);
    else
        checkWindowScriptMerge(service, c, listed, merged);
    return 0;
}
