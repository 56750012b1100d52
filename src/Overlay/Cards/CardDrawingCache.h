#pragma once

#include "Overlay/Drawing/TextLine.h"

#include <QCache>
#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>

// What the cards draw again at every repaint and every showing, prepared
// once: each window's thumbnail (the faint well with the snapshot letter-boxed
// in it, scaled down to the device pixels it covers and with its corners
// already cut, so that a repaint copies one image instead of resampling a
// capture of up to 1440 pixels through a clip) and the laid-out lines of text.
// It outlives the views of the showings, as the snapshots do.
class CardDrawingCache {
public:
    // Where a thumbnail's parts fall, in the image's own pixels.
    struct ThumbnailLayout {
        QSize pixels;          // the whole image: whole device pixels around the well
        QRectF well;           // where the well lies, as the card places it
        QRect snapshot;        // the letter-boxed snapshot, on whole pixels
        double wellRadius = 0; // corner radii, in pixels
        double snapshotRadius = 0;
        QColor wellColor;
        bool operator==(const ThumbnailLayout&) const = default;
    };

    // The window's thumbnail; one per window, made again when its snapshot
    // or its layout changes.
    QImage thumbnail(const QString& windowId, const QImage& snapshot,
                     const ThumbnailLayout& layout);
    static QImage renderThumbnail(const QImage& snapshot, const ThumbnailLayout& layout);
    // The window's snapshot was replaced: its thumbnail is of no more use.
    void forgetSnapshot(const QString& windowId) { m_thumbnails.remove(windowId); }

    // A line of text elided to the width and laid out in the font, from the
    // most recently used ones when it is among them.
    TextLine line(const QString& text, const QFont& font, double width);

    // For tests and benchmarks: the product never calls these.
    // The window's thumbnail as kept now; null when there is none.
    QImage cachedThumbnail(const QString& windowId) const
    {
        return m_thumbnails.value(windowId).image;
    }
    qsizetype thumbnailCount() const { return m_thumbnails.size(); }
    qint64 thumbnailBytes() const;

private:
    struct Thumbnail {
        qint64 snapshotKey;
        ThumbnailLayout layout;
        QImage image;
    };
    QHash<QString, Thumbnail> m_thumbnails;
    struct LineKey {
        QString text;
        QFont font;
        double width;
        bool operator==(const LineKey&) const = default;
        friend size_t qHash(const LineKey& key, size_t seed = 0)
        {
            return qHashMulti(seed, key.text, key.font, key.width);
        }
    };
    // Titles change as windows go from page to page: the lines are bounded.
    QCache<LineKey, TextLine> m_lines{4096};
};
