#pragma once

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
    virtual void setImage(const QImage& image, bool isTemplate) = 0;
    // A named system symbol, with the text that describes it to assistive tools.
    virtual void setSymbol(const QString& name, const QString& accessibilityDescription) = 0;
    // Called on left-mouse-up and right-mouse-up.
    virtual void setClickHandler(std::function<void(const StatusItemClick&)> handler) = 0;
    // The item's button in bottom-left-origin screen points.
    virtual QRectF buttonFrame() const = 0;
};

class StatusBar {
public:
    virtual ~StatusBar() = default;
    virtual std::unique_ptr<StatusItem> createSquareItem() = 0;
};
