#pragma once

#include <QPalette>
#include <QProxyStyle>

class QWidget;

// The look of the windows drawn in the brand (the settings window, the setup
// window, the menu panel): the light appearance on the brand cream, whatever
// the desktop's theme. Its palette serves all three; as a style it draws the
// standard controls, with the brand's forest accent on every check box, radio
// button, slider and pop-up. Built over Fusion, which draws the same on every
// desktop.
class BrandStyle final : public QProxyStyle {
public:
    BrandStyle();

    // The light palette on cream with the forest accent.
    static QPalette palette();
    // A widget's style does not pass to its children: give it to the whole
    // tree under root, as built so far.
    void applyTo(QWidget* root);

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                         SubControl subControl, const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                           const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};
