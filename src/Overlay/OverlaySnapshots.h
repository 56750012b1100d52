#pragma once

#include "Models/SafariWindow.h"
#include "Overlay/Cards/CardDrawingCache.h"

#include <QColor>
#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class MainThreadQueue;
class PreferencesService;
class SnapshotService;

// The pictures the switcher's cards draw: each window's snapshot and the tint
// colour taken from it, by window id, and the card drawings made from them.
// Entries are added or replaced, never cleared, so that a window seen before
// shows its last picture at once. Pictures come from the snapshot service's
// caches, read when a showing opens or its lists change, and from its capture
// runs, one under way at a time. Main thread only.
class OverlaySnapshots final : public QObject {
    Q_OBJECT
public:
    using Images = QHash<QString, QImage>; // by SafariWindow::id()
    using Tints = QHash<QString, QColor>;  // by SafariWindow::id()

    // What a capture run asks of the switcher when it reports: whether a
    // showing is on, and the windows it lists now.
    struct Showing {
        std::function<bool()> isVisible;
        std::function<QList<SafariWindow>()> windows;
    };

    OverlaySnapshots(SnapshotService& snapshotService, PreferencesService& preferences,
                     MainThreadQueue& mainThread, Showing showing, QObject* parent = nullptr);

    const Images& images() const { return m_images; }
    const Tints& tints() const { return m_tints; }
    CardDrawingCache& cardDrawingCache() { return m_cardDrawingCache; }

    // Registers the cached image of every window that has none yet, document
    // windows aside.
    void preloadCachedSnapshots(const QList<SafariWindow>& windows);
    // Captures every window the showing lists, when previews are on, and
    // registers what the caches hold afterwards while the showing is still on.
    void refreshSnapshots();

signals:
    void imagesChanged();
    void tintsChanged();

private:
    // Windows without an image yet, documents aside, or every window.
    enum class CachedLookup { missing, every };
    void registerCachedSnapshots(const QList<SafariWindow>& windows, CachedLookup lookup);
    void registerSnapshot(const QImage& image, const QString& id);

    SnapshotService& m_snapshotService;
    PreferencesService& m_preferences;
    MainThreadQueue& m_mainThread;
    Showing m_showing;

    Images m_images;
    Tints m_tints;
    CardDrawingCache m_cardDrawingCache;
    bool m_refreshRunning = false; // a capture run has not reported yet
    bool m_refreshPending = false; // another was asked for meanwhile
};

// The average colour of an image made into a tint: saturation × 1.4 kept
// within 0.25 to 0.8, brightness within 0.35 to 0.75. None for an image
// whose average cannot be taken.
std::optional<QColor> dominantTintColor(const QImage& image);
