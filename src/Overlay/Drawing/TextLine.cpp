#include "Overlay/Drawing/TextLine.h"

#include "Overlay/Cards/WindowCardRules.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

TextLine::TextLine(const QString& text, const QFont& font, double width, Qt::TextElideMode elide)
    : m_layout(std::make_shared<QTextLayout>(
          QFontMetricsF(font).elidedText(WindowCardRules::singleLine(text), elide, width), font))
{
    // Kept shaped: drawing it again costs no more than placing its glyphs.
    m_layout->setCacheEnabled(true);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    m_layout->setTextOption(option);
    m_layout->beginLayout();
    QTextLine line = m_layout->createLine();
    if (line.isValid())
        line.setPosition(QPointF(0, 0));
    m_layout->endLayout();
    if (line.isValid())
        m_size = QSizeF(line.naturalTextWidth(), line.height());
}

void TextLine::draw(QPainter& painter, const QPointF& topLeft) const
{
    if (m_layout)
        m_layout->draw(&painter, topLeft);
}

void TextLine::drawCentred(QPainter& painter, const QPointF& centre) const
{
    draw(painter, centre - QPointF(m_size.width() / 2, m_size.height() / 2));
}
