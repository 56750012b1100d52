#include "SimScriptRecogniser.h"

#include <QRegularExpression>

// The scripts below are this host's own transcription of the scripts the
// product sends; they are deliberately not shared with the product's code, so
// that a difference between the two shows up as a compile error here.

namespace {

QString minimizedWord(Browser::WindowScriptKind kind)
{
    switch (kind) {
    case Browser::WindowScriptKind::safari:
    case Browser::WindowScriptKind::arc:
    case Browser::WindowScriptKind::generic:
        return QStringLiteral("miniaturized");
    case Browser::WindowScriptKind::chromium:
        return QStringLiteral("minimized");
    case Browser::WindowScriptKind::finder:
        break;
    }
    return {};
}

QString documentProperty(Browser browser)
{
    return browser == Browser::indesign ? QStringLiteral("active document")
                                        : QStringLiteral("current document");
}

const char* listBody(Browser::WindowScriptKind kind)
{
    switch (kind) {
    case Browser::WindowScriptKind::safari:
        return R"AS("
    set out to {}
    repeat with w in windows
        try
            set theID to (id of w) as text
            set theName to name of w as text
            set theCount to count of tabs of w
            set theMin to miniaturized of w
            set theURL to ""
            try
                set theURL to URL of current tab of w as text
            end try
            set end of out to {theID, theName, theURL, theCount, theMin}
        end try
    end repeat
    return out
end tell)AS";
    case Browser::WindowScriptKind::chromium:
        return R"AS("
    set out to {}
    repeat with w in windows
        try
            set theID to (id of w) as text
            set theName to title of w as text
            set theCount to count of tabs of w
            set theMin to minimized of w
            set theURL to ""
            try
                set theURL to URL of active tab of w as text
            end try
            set end of out to {theID, theName, theURL, theCount, theMin}
        end try
    end repeat
    return out
end tell)AS";
    case Browser::WindowScriptKind::arc:
        return R"AS("
    set out to {}
    repeat with w in windows
        try
            set theID to (id of w) as text
            set theName to name of w as text
            set theCount to 0
            try
                set theCount to count of tabs of w
            end try
            set theMin to false
            try
                set theMin to miniaturized of w
            end try
            set theURL to ""
            try
                set theURL to URL of active tab of w as text
            end try
            set end of out to {theID, theName, theURL, theCount, theMin}
        end try
    end repeat
    return out
end tell)AS";
    case Browser::WindowScriptKind::finder:
        return R"AS("
    set out to {}
    repeat with w in Finder windows
        try
            set theID to (id of w) as text
            set theName to name of w as text
            set theURL to ""
            try
                set theURL to URL of (target of w)
            end try
            set end of out to {theID, theName, theURL, 0, false}
        end try
    end repeat
    return out
end tell)AS";
    case Browser::WindowScriptKind::generic:
        return R"AS("
    set out to {}
    repeat with w in windows
        try
            set theID to (id of w) as text
            set theName to name of w as text
            set theMin to false
            try
                set theMin to miniaturized of w
            end try
            set end of out to {theID, theName, "", 0, theMin}
        end try
    end repeat
    return out
end tell)AS";
    }
    return "";
}

const char* const documentsBody = R"AS("
    set out to {}
    repeat with d in documents
        try
            set end of out to (name of d as text)
        end try
    end repeat
    return out
end tell)AS";

// A string literal's inside: backslash escapes only before a backslash, a
// quote or n, r, t; no bare quote.
std::optional<QString> unescapeStringBody(const QString& body)
{
    QString text;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body.at(i);
        if (c == QLatin1Char('"'))
            return std::nullopt;
        if (c != QLatin1Char('\\')) {
            text += c;
            continue;
        }
        if (++i == body.size())
            return std::nullopt;
        switch (body.at(i).unicode()) {
        case '\\':
        case '"':
            text += body.at(i);
            break;
        case 'n':
            text += QLatin1Char('\n');
            break;
        case 'r':
            text += QLatin1Char('\r');
            break;
        case 't':
            text += QLatin1Char('\t');
            break;
        default:
            return std::nullopt;
        }
    }
    return text;
}

bool isValidReference(const QString& reference)
{
    // Anchored at the very end: "$" would also match before a final line feed.
    static const QRegularExpression number(
        QRegularExpression::anchoredPattern(QStringLiteral("[+-]?[0-9]+")));
    if (number.match(reference).hasMatch())
        return true;
    return reference.size() >= 2 && reference.startsWith(QLatin1Char('"')) &&
           reference.endsWith(QLatin1Char('"')) &&
           unescapeStringBody(reference.mid(1, reference.size() - 2)).has_value();
}

QString focusScript(const QString& bundleID, const QString& word, const QString& reference)
{
    const QString clause = word.isEmpty() ? QString()
                                          : QStringLiteral("try\n    set %1 of window id %2 to "
                                                           "false\nend try")
                                                .arg(word, reference);
    return QStringLiteral("tell application id \"%1\"\n    %2\n    set index of window id %3 to "
                          "1\nend tell")
        .arg(bundleID, clause, reference);
}

} // namespace

std::optional<SimScriptMatch> SimScriptRecogniser::recognise(const QString& source)
{
    const QString head = QStringLiteral("tell application id \"");
    if (!source.startsWith(head))
        return std::nullopt;
    const qsizetype close = source.indexOf(QLatin1Char('"'), head.size());
    if (close < 0)
        return std::nullopt;
    const QString bundleID = source.mid(head.size(), close - head.size());
    const std::optional<Browser> browser = Browser::from(bundleID);
    if (!browser)
        return std::nullopt;
    const QString tell = head + bundleID;
    SimScriptMatch match{SimScriptKind::windowList, bundleID, *browser, {}, {}, {}, false};

    if (const auto kind = browser->windowScriptKind()) {
        if (source == tell + QLatin1String(listBody(*kind)))
            return match;
        // Window focus: the reference stands once or twice in a known text, so
        // its length follows from the text's; the whole text is then rebuilt
        // around it and must agree exactly. (Searching for the text around it
        // would be fooled by a reference that holds that text itself.)
        const QString word = minimizedWord(*kind);
        const QString bare = focusScript(bundleID, word, QString());
        const qsizetype uses = word.isEmpty() ? 1 : 2;
        const qsizetype extra = source.size() - bare.size();
        if (extra > 0 && extra % uses == 0) {
            const QString marker = QStringLiteral("window id ");
            const QString reference =
                source.mid(bare.indexOf(marker) + marker.size(), extra / uses);
            if (isValidReference(reference) && source == focusScript(bundleID, word, reference)) {
                match.kind = SimScriptKind::focusWindow;
                match.windowReference = reference;
                if (reference.startsWith(QLatin1Char('"')))
                    match.windowName = unescapeStringBody(reference.mid(1, reference.size() - 2));
                match.unminimize = !word.isEmpty();
                return match;
            }
        }
        return std::nullopt;
    }

    if (!browser->isDocumentApp())
        return std::nullopt;
    if (source == tell + QLatin1String(documentsBody)) {
        match.kind = SimScriptKind::documentList;
        return match;
    }
    if (browser->isWindowMenuDocumentApp()) {
        if (source == tell + QStringLiteral("\" to get name of documents")) {
            match.kind = SimScriptKind::documentNames;
            return match;
        }
        if (source == tell + QStringLiteral("\" to get name of active doc")) {
            match.kind = SimScriptKind::activeDocument;
            return match;
        }
        return std::nullopt;
    }
    const QString switchHead =
        tell + QStringLiteral("\"\n    set %1 to document \"").arg(documentProperty(*browser));
    const QString switchTail = QStringLiteral("\"\nend tell");
    if (source.startsWith(switchHead) && source.endsWith(switchTail) &&
        source.size() >= switchHead.size() + switchTail.size()) {
        const auto name = unescapeStringBody(
            source.mid(switchHead.size(), source.size() - switchHead.size() - switchTail.size()));
        if (name) {
            match.kind = SimScriptKind::switchDocument;
            match.documentName = *name;
            return match;
        }
    }
    return std::nullopt;
}
