#include "Overlay/OverlaySnapshots.h"

#include "Platform/Threading/MainThreadQueue.h"
#include "Services/PreferencesService.h"
#include "Services/SnapshotService.h"

#include <algorithm>
#include <utility>

OverlaySnapshots::OverlaySnapshots(SnapshotService& snapshotService,
                                   PreferencesService& preferences, MainThreadQueue& mainThread,
                                   Showing showing, QObject* parent)
    : QObject(parent), m_snapshotService(snapshotService), m_preferences(preferences),
      m_mainThread(mainThread), m_showing(std::move(showing))
{
}

void OverlaySnapshots::preloadCachedSnapshots(const QList<SafariWindow>& windows)
{
    registerCachedSnapshots(windows, CachedLookup::missing);
}

void OverlaySnapshots::registerCachedSnapshots(const QList<SafariWindow>& windows,
                                               CachedLookup lookup)
{
    for (const SafariWindow& window : windows) {
        const QString id = window.id();
        // The documents of a document app share their window's number, so an
        // image from an earlier run could stand on a card it never showed.
        if (lookup == CachedLookup::missing &&
            (window.browser.isDocumentApp() || m_images.contains(id)))
            continue;
        if (const std::optional<QImage> image = m_snapshotService.cachedImage(window.windowID))
            registerSnapshot(*image, id);
    }
}

void OverlaySnapshots::refreshSnapshots()
{
    if (!m_preferences.showWindowPreviews())
        return;
    // Every merge asks for a capture of every window. While one run is under
    // way the requests fold into a single run after it, so that quick
    // showings and many merges never pile up runs, each holding a full set
    // of images, faster than they finish; the last lists are still captured.
    if (m_refreshRunning) {
        m_refreshPending = true;
        return;
    }
    m_refreshRunning = true;
    const QList<SafariWindow> windows = m_showing.windows();
    // The run's own table holds only this run's captures; the caches also
    // hold what earlier runs found.
    m_mainThread.postResult(m_snapshotService.refreshSnapshots(windows), this,
                            [this, windows](const QHash<quint32, QImage>&) {
                                m_refreshRunning = false;
                                const bool again = std::exchange(m_refreshPending, false);
                                if (!m_showing.isVisible())
                                    return; // the next showing captures afresh
                                registerCachedSnapshots(windows, CachedLookup::every);
                                if (again)
                                    refreshSnapshots();
                            });
}

void OverlaySnapshots::registerSnapshot(const QImage& image, const QString& id)
{
    const auto previous = m_images.constFind(id);
    const bool same = previous != m_images.cend() && previous->cacheKey() == image.cacheKey();
    if (!same)
        m_cardDrawingCache.forgetSnapshot(id);
    m_images.insert(id, image);
    emit imagesChanged();
    if (same && m_tints.contains(id))
        return;
    if (const std::optional<QColor> color = dominantTintColor(image))
        m_tints.insert(id, *color);
    else
        m_tints.remove(id);
    emit tintsChanged();
}

// ---- Tint colour ----

namespace {

struct ChannelSums {
    quint64 red = 0;
    quint64 green = 0;
    quint64 blue = 0;
};

// The premultiplied red, green and blue of every pixel added up, each pixel
// counting 255 × 255 at full value. An unpremultiplied pixel is weighed by
// its alpha here, which is exact and spares converting the whole image. Runs
// of up to 2^16 pixels are summed in 32 bits, which the compiler vectorises
// and which 2^16 × 255 × 255 still fits.
template <bool unpremultiplied> ChannelSums premultipliedSums(const QImage& pixels)
{
    constexpr int run = 1 << 16;
    const int width = pixels.width();
    ChannelSums sums;
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int start = 0; start < width; start += run) {
            const int end = std::min(width, start + run);
            quint32 red = 0, green = 0, blue = 0;
            for (int x = start; x < end; ++x) {
                const QRgb pixel = line[x];
                const quint32 weight = unpremultiplied ? quint32(qAlpha(pixel)) : 1u;
                red += quint32(qRed(pixel)) * weight;
                green += quint32(qGreen(pixel)) * weight;
                blue += quint32(qBlue(pixel)) * weight;
            }
            sums.red += red;
            sums.green += green;
            sums.blue += blue;
        }
    }
    if (!unpremultiplied) {
        sums.red *= 255;
        sums.green *= 255;
        sums.blue *= 255;
    }
    return sums;
}

} // namespace

std::optional<QColor> dominantTintColor(const QImage& image)
{
    if (image.isNull())
        return std::nullopt;
    // Every pixel weighs the same, premultiplied as on a transparent canvas,
    // so that clear parts darken the average. Captures come premultiplied and
    // snapshots read back from disk unpremultiplied; both are read as they
    // are, anything else is converted once.
    ChannelSums sums;
    switch (image.format()) {
    case QImage::Format_ARGB32:
        sums = premultipliedSums<true>(image);
        break;
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGB32:
        sums = premultipliedSums<false>(image);
        break;
    default: {
        const QImage converted = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (converted.isNull())
            return std::nullopt;
        sums = premultipliedSums<false>(converted);
    }
    }
    const double scale = 255.0 * 255.0 * image.width() * image.height();
    const QColor average = QColor::fromRgbF(float(sums.red / scale), float(sums.green / scale),
                                            float(sums.blue / scale));
    float hue = 0, saturation = 0, brightness = 0;
    average.getHsvF(&hue, &saturation, &brightness);
    if (hue < 0)
        hue = 0; // Qt marks a grey as having no hue; the tint reads it as red's
    saturation = std::clamp(saturation * 1.4f, 0.25f, 0.8f);
    brightness = std::clamp(brightness, 0.35f, 0.75f);
    return QColor::fromHsvF(hue, saturation, brightness, 1.0f);
}
