#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <optional>

// Screens and the pointer, in bottom-left-origin points with y up: the
// primary screen's bottom-left corner is (0, 0).
struct ScreenInfo {
    QRectF frame;
    QRectF visibleFrame; // without the menu bar and the dock
    QString localizedName;
};

class Screens {
public:
    virtual ~Screens() = default;
    // The primary screen first.
    virtual QList<ScreenInfo> screens() const = 0;
    // The screen holding the key window; no value when there is no screen.
    virtual std::optional<ScreenInfo> mainScreen() const = 0;
    virtual QPointF mouseLocation() const = 0;
};
