#pragma once

#include <QObject>
#include <QRegion>

#include <functional>

class QWidget;
class QWindow;

// Keeps the corners of a translucent top-level window with rounded content
// clear where nothing composites the window with what lies behind it (a bare
// X server, many X11 sessions): there it cuts the window to its rounded shape
// with a window mask, kept in step as the window resizes; where the window
// system composites, it leaves the window alone. Whether it composites is
// asked each time the window is shown.
class RoundedWindowMask final : public QObject {
    Q_OBJECT
public:
    // The corner radius the window's content draws, read at each showing and
    // resize.
    using Radius = std::function<double()>;
    using Composited = std::function<bool(const QWindow&)>;

    // Watches the top-level window for the rest of its life; one line where
    // the window is made.
    static void keep(QWidget& window, Radius radius);
    static void keep(QWidget& window, Radius radius, Composited composited);

    // A rectangle of this size with corners of this radius, as whole pixels.
    static QRegion region(const QSize& size, double radius);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    RoundedWindowMask(QWidget& window, Radius radius, Composited composited);
    void apply();

    QWidget& m_window;
    Radius m_radius;
    Composited m_composited;
    bool m_masking = false;
};
