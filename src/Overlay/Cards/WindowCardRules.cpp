#include "Overlay/Cards/WindowCardRules.h"

#include "Overlay/OverlayMetrics.h"

#include <QCoreApplication>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace WindowCardRules {

namespace {

const QString profileSeparator = QStringLiteral(" \u2014 ");

QString untitledWindow()
{
    return QCoreApplication::translate("WindowCardRules", "Untitled Window");
}

// The end of the first grapheme at or after the given length, so a cut never
// splits a surrogate pair or a character from its combining marks.
qsizetype graphemeBoundaryAfter(const QString& text, qsizetype length)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.setPosition(length);
    if (finder.isAtBoundary())
        return length;
    const qsizetype next = finder.toNextBoundary();
    return next < 0 ? text.size() : next;
}

// The start of the grapheme that holds the given position.
qsizetype graphemeBoundaryBefore(const QString& text, qsizetype position)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.setPosition(position);
    if (finder.isAtBoundary())
        return position;
    const qsizetype previous = finder.toPreviousBoundary();
    return previous < 0 ? 0 : previous;
}

} // namespace

QString displayTitle(const SafariWindow& window, bool showProfileBadge)
{
    QString fallback = window.title;
    if (fallback.isEmpty())
        fallback = window.domain().value_or(untitledWindow());
    if (!showProfileBadge || !window.profileName())
        return fallback;
    const qsizetype separator = window.title.indexOf(profileSeparator);
    if (separator < 0)
        return fallback;
    const QString rest = window.title.mid(separator + profileSeparator.size());
    return rest.isEmpty() ? fallback : rest;
}

QString monogramName(const SafariWindow& window)
{
    if (const std::optional<QString> domain = window.domain())
        return *domain;
    return window.title.isEmpty() ? untitledWindow() : window.title;
}

QString monogramLetter(const QString& name)
{
    if (name.isEmpty())
        return {};
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, name);
    const qsizetype end = finder.toNextBoundary();
    return name.left(end < 0 ? name.size() : end).toUpper();
}

bool monogramShowsSymbol(const QString& letter)
{
    return letter.isEmpty() || letter == QLatin1String(" ");
}

double monogramLetterSize(double thumbWidth)
{
    constexpr double largestLetter = 46;
    return std::min(OverlayMetrics::thumbnailHeight(thumbWidth) * 0.35, largestLetter);
}

QList<Pill> pills(const SafariWindow& window, bool showProfileBadge, bool showBrowserBadge)
{
    QList<Pill> result;
    if (showProfileBadge) {
        if (const std::optional<QString> profile = window.profileName())
            result << Pill{PillKind::profile, *profile};
    }
    if (showBrowserBadge)
        result << Pill{PillKind::app, window.browser.displayName()};
    if (window.isMinimized)
        result << Pill{PillKind::minimized,
                       QCoreApplication::translate("WindowCardRules", "Minimized")};
    return result;
}

QSizeF thumbnailSize(double thumbWidth)
{
    return {thumbWidth, OverlayMetrics::thumbnailHeight(thumbWidth)};
}

QRectF snapshotRect(const QSizeF& imageSize, const QRectF& thumbnail)
{
    constexpr double inset = OverlayMetrics::thumbnailInset;
    const QRectF box = thumbnail.adjusted(inset, inset, -inset, -inset);
    if (imageSize.isEmpty() || box.isEmpty())
        return {};
    const QSizeF fitted = imageSize.scaled(box.size(), Qt::KeepAspectRatio);
    return {box.center() - QPointF(fitted.width() / 2, fitted.height() / 2), fitted};
}

QString singleLine(const QString& text, int maxCharacters, Keep keep)
{
    QString line = text;
    if (text.size() > maxCharacters) {
        line = keep == Keep::beginning
                   ? text.left(graphemeBoundaryAfter(text, maxCharacters))
                   : text.mid(graphemeBoundaryBefore(text, text.size() - maxCharacters));
    }
    for (QChar& character : line) {
        const QChar::Category category = character.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph)
            character = QLatin1Char(' ');
    }
    return line;
}

} // namespace WindowCardRules
