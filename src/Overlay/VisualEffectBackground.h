#pragma once

#include "Brand/ColorScheme.h"

#include <QWidget>

class QPainter;
class QPainterPath;

// The translucent materials a surface can be made of.
enum class VisualEffectMaterial {
    popover,   // the switcher's frosted surface
    hudWindow, // the darker heads-up surface
    thin,      // pills and the search field drawn over content
};

// A material surface. The platform's blur behind a window needs a
// compositor that an X11 session may not run, so each material is a
// translucent fill chosen to keep text readable over light and dark
// desktops alike; nothing depends on what lies beneath the window.
class VisualEffectBackground : public QWidget {
    Q_OBJECT
public:
    explicit VisualEffectBackground(VisualEffectMaterial material, QWidget* parent = nullptr);

    VisualEffectMaterial material() const { return m_material; }
    void setMaterial(VisualEffectMaterial material);
    void setScheme(const ColorScheme& scheme);

    // The material's fill under a light or a dark scheme.
    static QColor fill(VisualEffectMaterial material, const ColorScheme& scheme);
    // Fills the shape with the material, for surfaces that draw themselves.
    static void paint(QPainter& painter, const QPainterPath& shape, VisualEffectMaterial material,
                      const ColorScheme& scheme);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    VisualEffectMaterial m_material;
    ColorScheme m_scheme = ColorScheme::forAppearance(AppearanceMode::system);
};
