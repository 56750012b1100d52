#pragma once

#include "Brand/ColorScheme.h"
#include "Settings/Preview/LivePreviewModel.h"

#include <QList>
#include <QWidget>

class BrowserIconCache;
class PreferencesService;
class QPainterPath;
class Screens;

// The scaled miniature of the switcher panel. The panel is laid out unscaled,
// W by H, from the current settings (sample cards, chip row, surface, tint),
// and drawn scaled into exactly W × scale by H × scale points, with the
// switcher's own card and material painting. Its cards are held to the screen
// the settings window is on, as the switcher's are to theirs.
class PreviewMiniature final : public QWidget {
    Q_OBJECT
public:
    PreviewMiniature(PreferencesService& preferences, BrowserIconCache& icons,
                     const Screens& screens, int hover, QWidget* parent = nullptr);
    ~PreviewMiniature() override;

    // The miniature's own colours: the theme's, whatever the window's look.
    ColorScheme scheme() const;
    void setHover(int index);
    // Where a sample card lies in the miniature, in its own (scaled) points.
    QRectF cardRect(int index) const;

    QSize sizeHint() const override;

    // For tests and benchmarks: the product never calls these.
    const LivePreviewModel::Geometry& geometry() const { return m_geometry; }
    int hover() const { return m_hover; }

signals:
    void hovered(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void rebuild();
    QRectF unscaledCardRect(int index) const;
    void paintSurface(QPainter& painter, const QPainterPath& shape,
                      const ColorScheme& scheme) const;
    void paintChipRow(QPainter& painter, const ColorScheme& scheme) const;
    void paintCards(QPainter& painter, const ColorScheme& scheme) const;

    PreferencesService& m_preferences;
    BrowserIconCache& m_icons;
    const Screens& m_screens;
    int m_hover;
    LivePreviewModel::Geometry m_geometry;
    QList<Browser> m_browsers;
    QList<SafariWindow> m_windows;
};
