#pragma once

#include <QColor>
#include <QImage>
#include <QSize>

struct SimWindow;

// The pixels of a simulated window: its colour filling its frame's shape with
// its title written across it. Deterministic, so a test can tell from the
// pixels which window a capture returned and whether it is the newest one.
class SimWindowImage {
public:
    // The window's own colour; one derived from its title when it has none.
    static QColor color(const SimWindow& window);

    // The window drawn into an image of the given pixel size. A frame of
    // another aspect ratio is fitted and centred, the bands left transparent.
    // Null for an empty size or when the image cannot be allocated.
    static QImage render(const SimWindow& window, const QSize& pixelSize);
};
