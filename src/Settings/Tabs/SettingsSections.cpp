#include "Settings/Tabs/SettingsSections.h"

#include "Brand/TesselBrand.h"
#include "Brand/Typography.h"
#include "Settings/Controls/ReadoutLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace SettingsSections {

namespace {

void setInk(QWidget* widget, double opacity)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, TesselBrand::withOpacity(TesselBrand::ink(), opacity));
    widget->setPalette(palette);
}

} // namespace

QLabel* smallCaps(const QString& upperCaseText)
{
    auto* title = new QLabel(upperCaseText);
    QFont font = Typography::font(10.5, QFont::DemiBold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1.1);
    title->setFont(font);
    setInk(title, 0.42);
    return title;
}

QWidget* section(const QString& title, const QList<QWidget*>& content)
{
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(9);
    layout->addWidget(smallCaps(title.toUpper()));
    // Controls of a fixed size sit at the leading edge; the rest (paragraphs,
    // sliders, rows) take the whole width.
    for (QWidget* child : content) {
        const bool fixed = child->sizePolicy().horizontalPolicy() == QSizePolicy::Fixed;
        layout->addWidget(child, 0, fixed ? Qt::AlignLeft : Qt::Alignment());
    }
    return box;
}

QLabel* caption(const QString& text)
{
    auto* paragraph = new QLabel(text);
    paragraph->setTextFormat(Qt::PlainText);
    paragraph->setWordWrap(true);
    paragraph->setFont(Typography::font(11));
    paragraph->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
    setInk(paragraph, 0.5);
    return paragraph;
}

QLabel* label(const QString& text, double opacity)
{
    auto* plain = new QLabel(text);
    plain->setTextFormat(Qt::PlainText);
    setInk(plain, opacity);
    return plain;
}

QWidget* readoutRow(const QString& title, ReadoutLabel* readout)
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label(title));
    layout->addStretch(1);
    layout->addWidget(readout);
    return row;
}

QVBoxLayout* tabBody(QWidget* tab)
{
    // The scrolling body makes the tab as tall as its sections are at the
    // body's width; the height they would need at their narrowest (wrapped
    // help text is taller there) must not stretch it further.
    tab->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(22);
    layout->setAlignment(Qt::AlignTop);
    return layout;
}

QWidget* leadingFrame(QWidget* control, int width)
{
    auto* frame = new QWidget;
    frame->setFixedWidth(width);
    auto* layout = new QHBoxLayout(frame);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(control, 1);
    return frame;
}

} // namespace SettingsSections
