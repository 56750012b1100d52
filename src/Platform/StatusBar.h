#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QString>

#include <functional>
#include <memory>

// A square item in the system status bar with an image and click events.
struct StatusItemClick {
    enum class Button { left, right };
    Button button = Button::left;
    bool controlHeld = false;
};

class StatusItem {
public:
    virtual ~StatusItem() = default;
    // A template image is a shape drawn in the status bar's own text colour.
    virtual void setImage(const QImage& image, bool isTemplate) = 0;
    // What the item is, for assistive tools and tool tips.
    virtual void setAccessibilityDescription(const QString& text) = 0;
    // Called on left-mouse-up and right-mouse-up.
    virtual void setClickHandler(std::function<void(const StatusItemClick&)> handler) = 0;
    // The item's button in bottom-left-origin screen points; empty while the
    // item is not on screen.
    virtual QRectF buttonFrame() const = 0;
};

// A template image drawn in one colour, its alpha kept.
QImage templateImageInColor(const QImage& image, const QColor& color);

class StatusBar {
public:
    virtual ~StatusBar() = default;
    virtual std::unique_ptr<StatusItem> createSquareItem() = 0;
};
