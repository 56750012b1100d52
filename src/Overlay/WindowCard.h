#pragma once

#include "Brand/ColorScheme.h"
#include "Models/SafariWindow.h"

#include <QColor>
#include <QImage>
#include <QWidget>

class QPainter;

// Everything one card shows. A null image draws the monogram tile.
struct WindowCardContent {
    SafariWindow window;
    QImage image;
    bool isSelected = false;
    double thumbWidth = 260; // W, points
    bool showProfileBadge = false;
    bool showBrowserBadge = false;
    bool isTesselTheme = false;
    QColor profileColor; // fill of the profile pill
};

// One window of the switcher: the thumbnail (the snapshot letter-boxed in a
// faint well, or the monogram tile) with its pills, and the two-line caption.
// The paint routine draws a card from its content alone, at the painter's
// origin and in points, so a scaled painter draws a miniature; the widget
// wraps it and reports the pointer entering it and clicks anywhere on it.
class WindowCard : public QWidget {
    Q_OBJECT
public:
    WindowCard(WindowCardContent content, ColorScheme scheme, QWidget* parent = nullptr);

    const WindowCardContent& content() const { return m_content; }
    void setContent(WindowCardContent content);
    void setScheme(const ColorScheme& scheme);
    QSize sizeHint() const override;

    // The whole card for a thumbnail width: W + 20 wide, the thumbnail, a
    // 6-point gap, the two caption lines and 10 points above and below.
    static QSizeF cardSize(double thumbWidth);
    static QRectF thumbnailRect(double thumbWidth);
    // The snapshot scaled down to the pixels it covers on a card at this
    // device pixel ratio, so repeated painting does not resample the full
    // capture; the image itself when it is not larger.
    static QImage scaledSnapshot(const QImage& image, double thumbWidth, double devicePixelRatio);
    // Draws the card with its top-left corner at the painter's origin.
    static void paint(QPainter& painter, const WindowCardContent& content,
                      const ColorScheme& scheme);

signals:
    void entered();
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    WindowCardContent m_content;
    ColorScheme m_scheme;
    QImage m_scaled; // the snapshot as painted, made at the first paint
    qint64 m_scaledKey = 0;
    bool m_pressed = false;
};
