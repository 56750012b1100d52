#include "Brand/BrandStyle.h"

#include "Brand/TesselBrand.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>

#include <algorithm>

namespace {

constexpr int indicatorSide = 14;
constexpr int sliderHandle = 18;
constexpr int sliderGroove = 4;
constexpr int buttonPadding = 12;
constexpr int controlHeight = 24;

QColor controlBorder()
{
    return TesselBrand::withOpacity(TesselBrand::ink(), 0.24);
}

// Disabled controls keep their drawing, faded.
double enabledOpacity(const QStyleOption* option)
{
    return option->state & QStyle::State_Enabled ? 1.0 : 0.45;
}

void drawCheckBox(const QStyleOption* option, QPainter* painter)
{
    const QRectF box = QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5);
    const bool on = option->state & (QStyle::State_On | QStyle::State_NoChange);
    painter->setPen(on ? QPen(TesselBrand::forest().darker(115), 1) : QPen(controlBorder(), 1));
    painter->setBrush(on ? TesselBrand::forest() : QColor(Qt::white));
    painter->drawRoundedRect(box, 3.5, 3.5);
    if (!on)
        return;
    QPainterPath tick;
    const double w = box.width();
    tick.moveTo(box.left() + w * 0.24, box.top() + w * 0.52);
    tick.lineTo(box.left() + w * 0.43, box.top() + w * 0.71);
    tick.lineTo(box.left() + w * 0.77, box.top() + w * 0.30);
    painter->setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter->setBrush(Qt::NoBrush);
    painter->drawPath(tick);
}

void drawRadio(const QStyleOption* option, QPainter* painter)
{
    const QRectF circle = QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5);
    const bool on = option->state & QStyle::State_On;
    painter->setPen(on ? QPen(TesselBrand::forest().darker(115), 1) : QPen(controlBorder(), 1));
    painter->setBrush(on ? TesselBrand::forest() : QColor(Qt::white));
    painter->drawEllipse(circle);
    if (!on)
        return;
    const double dot = circle.width() * 0.38;
    painter->setPen(Qt::NoPen);
    painter->setBrush(Qt::white);
    painter->drawEllipse(
        QRectF(circle.center().x() - dot / 2, circle.center().y() - dot / 2, dot, dot));
}

// A white, rounded button face with a hairline border and a faint shadow.
void drawButtonFace(const QRectF& rect, QPainter* painter, bool pressed)
{
    const QRectF face = rect.adjusted(0.5, 0.5, -0.5, -1.5);
    painter->setPen(Qt::NoPen);
    painter->setBrush(TesselBrand::withOpacity(TesselBrand::ink(), 0.08));
    painter->drawRoundedRect(face.translated(0, 1), 6, 6);
    painter->setPen(QPen(TesselBrand::withOpacity(TesselBrand::ink(), 0.2), 1));
    painter->setBrush(pressed ? TesselBrand::hoverFill() : QColor(Qt::white));
    painter->drawRoundedRect(face, 6, 6);
}

void drawComboArrows(const QRectF& area, QPainter* painter)
{
    // A small forest tile holding an up and a down chevron.
    const QRectF tile(area.right() - 19, area.center().y() - 8, 16, 16);
    painter->setPen(Qt::NoPen);
    painter->setBrush(TesselBrand::forest());
    painter->drawRoundedRect(tile, 4, 4);
    painter->setPen(QPen(Qt::white, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter->setBrush(Qt::NoBrush);
    const QPointF c = tile.center();
    painter->drawPolyline(
        QPolygonF{{c.x() - 3, c.y() - 1.5}, {c.x(), c.y() - 4.5}, {c.x() + 3, c.y() - 1.5}});
    painter->drawPolyline(
        QPolygonF{{c.x() - 3, c.y() + 1.5}, {c.x(), c.y() + 4.5}, {c.x() + 3, c.y() + 1.5}});
}

} // namespace

BrandStyle::BrandStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

QPalette BrandStyle::palette()
{
    QPalette palette;
    const QColor ink = TesselBrand::ink();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool disabled = group == QPalette::Disabled;
        const QColor text = disabled ? TesselBrand::withOpacity(ink, 0.4) : ink;
        palette.setColor(group, QPalette::Window, TesselBrand::cream());
        palette.setColor(group, QPalette::WindowText, text);
        palette.setColor(group, QPalette::Base, Qt::white);
        palette.setColor(group, QPalette::AlternateBase, TesselBrand::cream());
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::Button, Qt::white);
        palette.setColor(group, QPalette::ButtonText, text);
        palette.setColor(group, QPalette::Highlight, TesselBrand::forest());
        palette.setColor(group, QPalette::HighlightedText, Qt::white);
        palette.setColor(group, QPalette::ToolTipBase, Qt::white);
        palette.setColor(group, QPalette::ToolTipText, ink);
        palette.setColor(group, QPalette::PlaceholderText, TesselBrand::withOpacity(ink, 0.4));
        palette.setColor(group, QPalette::Light, Qt::white);
        palette.setColor(group, QPalette::Midlight, TesselBrand::cream());
        palette.setColor(group, QPalette::Mid, TesselBrand::hairline());
        palette.setColor(group, QPalette::Dark, TesselBrand::hairline().darker(120));
        palette.setColor(group, QPalette::Shadow, TesselBrand::withOpacity(ink, 0.3));
        palette.setColor(group, QPalette::BrightText, Qt::white);
        palette.setColor(group, QPalette::Link, TesselBrand::forest());
    }
    return palette;
}

void BrandStyle::applyTo(QWidget* root)
{
    root->setStyle(this);
    for (QWidget* child : root->findChildren<QWidget*>())
        child->setStyle(this);
}

void BrandStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                               QPainter* painter, const QWidget* widget) const
{
    switch (element) {
    case PE_IndicatorCheckBox:
    case PE_IndicatorRadioButton:
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setOpacity(painter->opacity() * enabledOpacity(option));
        if (element == PE_IndicatorCheckBox)
            drawCheckBox(option, painter);
        else
            drawRadio(option, painter);
        painter->restore();
        return;
    case PE_PanelButtonCommand:
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setOpacity(painter->opacity() * enabledOpacity(option));
        drawButtonFace(option->rect, painter, option->state & State_Sunken);
        painter->restore();
        return;
    case PE_FrameFocusRect:
        // Focus shows on the control itself; no dotted frame on the cream.
        return;
    default:
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
}

void BrandStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                    QPainter* painter, const QWidget* widget) const
{
    if (control == CC_Slider) {
        const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option);
        if (!slider) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setOpacity(painter->opacity() * enabledOpacity(option));
        const QRectF handle = subControlRect(CC_Slider, slider, SC_SliderHandle, widget);
        const QRectF groove(option->rect.left() + 1,
                            option->rect.center().y() - sliderGroove / 2.0 + 0.5,
                            option->rect.width() - 2, sliderGroove);
        painter->setPen(Qt::NoPen);
        painter->setBrush(TesselBrand::withOpacity(TesselBrand::ink(), 0.14));
        painter->drawRoundedRect(groove, sliderGroove / 2.0, sliderGroove / 2.0);
        QRectF filled = groove;
        filled.setRight(handle.center().x());
        painter->setBrush(TesselBrand::forest());
        painter->drawRoundedRect(filled, sliderGroove / 2.0, sliderGroove / 2.0);
        const QRectF knob = handle.adjusted(1, 1, -1, -1);
        painter->setBrush(TesselBrand::withOpacity(TesselBrand::ink(), 0.12));
        painter->drawEllipse(knob.translated(0, 0.75));
        painter->setPen(QPen(TesselBrand::withOpacity(TesselBrand::ink(), 0.22), 0.75));
        painter->setBrush(slider->state & State_Sunken ? TesselBrand::hoverFill()
                                                       : QColor(Qt::white));
        painter->drawEllipse(knob);
        painter->restore();
        return;
    }
    if (control == CC_ComboBox) {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setOpacity(painter->opacity() * enabledOpacity(option));
        drawButtonFace(option->rect, painter, option->state & State_Sunken);
        drawComboArrows(QRectF(option->rect).adjusted(0, 0, 0, -1), painter);
        painter->restore();
        return;
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

void BrandStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const
{
    if (element == CE_ComboBoxLabel) {
        if (const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option)) {
            painter->save();
            painter->setOpacity(painter->opacity() * enabledOpacity(option));
            const QRect text = subControlRect(CC_ComboBox, combo, SC_ComboBoxEditField, widget);
            painter->setPen(TesselBrand::ink());
            painter->drawText(
                text, Qt::AlignLeft | Qt::AlignVCenter,
                combo->fontMetrics.elidedText(combo->currentText, Qt::ElideRight, text.width()));
            painter->restore();
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

QRect BrandStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                 SubControl subControl, const QWidget* widget) const
{
    if (control == CC_Slider && subControl == SC_SliderHandle) {
        if (const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option)) {
            const int span = slider->rect.width() - sliderHandle;
            const int x = sliderPositionFromValue(slider->minimum, slider->maximum,
                                                  slider->sliderPosition, span, slider->upsideDown);
            return QRect(slider->rect.left() + x, slider->rect.center().y() - sliderHandle / 2 + 1,
                         sliderHandle, sliderHandle);
        }
    }
    if (control == CC_ComboBox && subControl == SC_ComboBoxEditField)
        return option->rect.adjusted(10, 0, -26, -1);
    if (control == CC_ComboBox && subControl == SC_ComboBoxArrow)
        return QRect(option->rect.right() - 22, option->rect.top(), 22, option->rect.height());
    return QProxyStyle::subControlRect(control, option, subControl, widget);
}

// Push buttons and pop-ups share one height; a button holds its title with
// room on either side.
QSize BrandStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                   const QSize& contents, const QWidget* widget) const
{
    if (type == CT_PushButton)
        return {contents.width() + 2 * buttonPadding, std::max(contents.height(), controlHeight)};
    QSize size = QProxyStyle::sizeFromContents(type, option, contents, widget);
    if (type == CT_ComboBox)
        size.setHeight(std::max(size.height(), controlHeight));
    return size;
}

int BrandStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                            const QWidget* widget) const
{
    switch (metric) {
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
    case PM_ExclusiveIndicatorWidth:
    case PM_ExclusiveIndicatorHeight:
        return indicatorSide;
    case PM_CheckBoxLabelSpacing:
    case PM_RadioButtonLabelSpacing:
        return 7;
    case PM_SliderThickness:
    case PM_SliderControlThickness:
        return sliderHandle + 2;
    case PM_SliderLength:
        return sliderHandle;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

int BrandStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                          QStyleHintReturn* returnData) const
{
    // The pop-up lists its items under the button, like a menu.
    if (hint == SH_ComboBox_Popup)
        return 1;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}
