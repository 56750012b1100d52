#include "Overlay/Drawing/TextBlock.h"

#include "Overlay/Cards/WindowCardRules.h"

#include <QList>
#include <QPainter>
#include <QTextBoundaryFinder>
#include <QTextLayout>

#include <algorithm>
#include <climits>

namespace {

// Far more characters than the largest space shows: a longer text is cut
// in the middle before it is laid out, so that any length costs alike.
constexpr qsizetype maxGraphemes = 2000;

const QChar ellipsis(0x2026);

// Where each character begins, as the reader sees characters, and the end.
QList<qsizetype> graphemeStarts(const QString& text)
{
    QList<qsizetype> starts{0};
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    while (finder.toNextBoundary() > 0)
        starts << finder.position();
    return starts;
}

// Lays the text out in lines of the width; returns their height.
double wrap(QTextLayout& layout, const QString& text, double width)
{
    layout.setText(text);
    layout.beginLayout();
    double height = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    return height;
}

} // namespace

TextBlock::TextBlock(const QString& text, const QFont& font, const QSizeF& space)
    : m_layout(std::make_shared<QTextLayout>(QString(), font))
{
    m_layout->setCacheEnabled(true);
    QTextOption option(Qt::AlignHCenter);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_layout->setTextOption(option);

    const QList<qsizetype> starts = graphemeStarts(text);
    const qsizetype count = starts.size() - 1;
    // The text less `cut` characters from its middle; the end keeps the odd one.
    const auto without = [&](qsizetype cut) {
        if (cut == 0)
            return text;
        const qsizetype head = (count - cut) / 2;
        return text.left(starts[head]) + ellipsis + text.mid(starts[head + cut]);
    };
    double height = 0;
    const auto fits = [&](qsizetype cut) {
        height = wrap(*m_layout, WindowCardRules::singleLine(without(cut), INT_MAX), space.width());
        return height <= space.height() || m_layout->lineCount() <= 1;
    };

    // The fewest characters to cut: none when it fits whole.
    qsizetype least = std::max<qsizetype>(count - maxGraphemes, 0);
    if (!fits(least)) {
        qsizetype most = count; // the ellipsis alone is one line
        while (most - least > 1) {
            const qsizetype middle = least + (most - least) / 2;
            if (fits(middle))
                most = middle;
            else
                least = middle;
        }
        fits(most);
    }
    m_size = QSizeF(space.width(), height);
}

QStringList TextBlock::lines() const
{
    QStringList lines;
    if (!m_layout)
        return lines;
    for (int i = 0; i < m_layout->lineCount(); ++i) {
        const QTextLine line = m_layout->lineAt(i);
        lines << m_layout->text().mid(line.textStart(), line.textLength());
    }
    return lines;
}

void TextBlock::drawCentred(QPainter& painter, const QPointF& centre) const
{
    if (m_layout)
        m_layout->draw(&painter, centre - QPointF(m_size.width() / 2, m_size.height() / 2));
}
