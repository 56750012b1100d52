#pragma once

#include "Models/SafariWindow.h"

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

// What a window card says and where its parts go, from the window record and
// the card width alone: no fonts, no painting, so a test can call every rule
// without a window.
namespace WindowCardRules {

// The text under the card: the title (or the location, or "Untitled
// Window"), without the profile prefix when the profile pill carries it.
QString displayTitle(const SafariWindow& window, bool showProfileBadge);

// The name the monogram tile is coloured and lettered from: the location,
// else a non-empty title, else "Untitled Window".
QString monogramName(const SafariWindow& window);
// The first user-perceived character of the name, upper-cased (which may
// give more than one character); empty for an empty name.
QString monogramLetter(const QString& name);
// An empty letter or a lone space shows the window symbol instead.
bool monogramShowsSymbol(const QString& letter);
// The letter's size in points for a card of width w: a third of the
// thumbnail's height, never above 46.
double monogramLetterSize(double thumbWidth);

enum class PillKind { profile, app, minimized };
struct Pill {
    PillKind kind;
    QString text;
    bool operator==(const Pill&) const = default;
};
// The pills on the thumbnail, in drawing order: the profile (top left), the
// app (top right), "Minimized" (bottom right).
QList<Pill> pills(const SafariWindow& window, bool showProfileBadge, bool showBrowserBadge);

// The thumbnail: w wide, in the thumbnail aspect of OverlayMetrics.
QSizeF thumbnailSize(double thumbWidth);
// Where a snapshot of the given pixel size goes inside the thumbnail: fitted
// to its aspect ratio, never cropped or stretched, in the thumbnail less its
// inset and centred. Empty for an empty image.
QRectF snapshotRect(const QSizeF& imageSize, const QRectF& thumbnail);

// A text made fit for one line: control characters and line breaks read as
// spaces, and anything far beyond what a line can show is cut at a character
// boundary, so a ten-thousand-character title costs no more than a short one.
// The cut keeps the beginning, or the end where that is what must show.
enum class Keep { beginning, end };
QString singleLine(const QString& text, int maxCharacters = 512, Keep keep = Keep::beginning);

} // namespace WindowCardRules
