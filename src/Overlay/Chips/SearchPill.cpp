#include "Overlay/Chips/SearchPill.h"

#include "Brand/Symbols.h"
#include "Brand/TesselBrand.h"
#include "Brand/Typography.h"
#include "Overlay/Cards/WindowCardRules.h"
#include "Overlay/Drawing/RoundedFill.h"
#include "Overlay/Panel/VisualEffectBackground.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {

constexpr double horizontalPadding = 12;
constexpr double verticalPadding = 5;
constexpr double itemSpacing = 5;

QFont textFont(bool hasQuery)
{
    return Typography::font(hasQuery ? TextStyle::callout : TextStyle::caption);
}

// The glass is as tall as a caption line.
double glassSide()
{
    return std::round(Typography::pointSize(TextStyle::caption) * 1.1);
}

} // namespace

SearchPill::SearchPill(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SearchPill::setState(const QString& query, bool isTesselTheme, const ColorScheme& scheme)
{
    if (query == m_query && isTesselTheme == m_isTesselTheme && scheme == m_scheme &&
        m_naturalWidth > 0)
        return;
    m_query = query;
    m_isTesselTheme = isTesselTheme;
    m_scheme = scheme;
    const QFont font = textFont(!m_query.isEmpty());
    m_naturalWidth = 2 * horizontalPadding + glassSide() + itemSpacing +
                     QFontMetricsF(font).horizontalAdvance(shownText());
    m_naturalHeight = 2 * verticalPadding + std::max(QFontMetricsF(font).height(), glassSide());
    layOutText();
}

void SearchPill::setMaximumPillWidth(double width)
{
    const double maximum = std::max(width, 2 * horizontalPadding + glassSide());
    if (maximum == m_maximumWidth)
        return;
    m_maximumWidth = maximum;
    layOutText();
}

void SearchPill::layOutText()
{
    resize(sizeHint());
    const bool hasQuery = !m_query.isEmpty();
    m_text = TextLine(shownText(), textFont(hasQuery),
                      width() - 2 * horizontalPadding - glassSide() - itemSpacing + 0.5,
                      hasQuery ? Qt::ElideLeft : Qt::ElideRight);
    update();
}

QString SearchPill::shownText() const
{
    // The end of a long query is what was typed last: keep it in view.
    return m_query.isEmpty()
               ? tr("Type to search")
               : WindowCardRules::singleLine(m_query, 512, WindowCardRules::Keep::end);
}

QSize SearchPill::sizeHint() const
{
    return {int(std::ceil(std::min(m_naturalWidth, m_maximumWidth))),
            int(std::ceil(m_naturalHeight))};
}

void SearchPill::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const QRectF capsule(rect());
    RoundedFill::paint(painter, capsule, capsule.height() / 2,
                       VisualEffectBackground::fill(VisualEffectMaterial::thin, m_scheme));

    const bool hasQuery = !m_query.isEmpty();
    QColor color = m_isTesselTheme ? TesselBrand::ink() : m_scheme.primary;
    if (!hasQuery) {
        if (m_isTesselTheme)
            color = TesselBrand::withOpacity(color, 0.55);
        else
            color = m_scheme.secondary;
    }
    const double side = glassSide();
    const QRectF glass(horizontalPadding, capsule.center().y() - side / 2, side, side);
    Symbols::paint(painter, glass, QStringLiteral("magnifyingglass"), color);

    painter.setPen(color);
    m_text.draw(painter, QPointF(glass.right() + itemSpacing,
                                 capsule.center().y() - m_text.size().height() / 2));
}
