#include "Overlay/SearchPill.h"

#include "Brand/Symbols.h"
#include "Brand/TesselBrand.h"
#include "Brand/Typography.h"
#include "Overlay/VisualEffectBackground.h"
#include "Overlay/WindowCardRules.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

constexpr double horizontalPadding = 12;
constexpr double verticalPadding = 5;
constexpr double itemSpacing = 5;

const QString hint = QStringLiteral("Type to search");

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
    m_query = query;
    m_isTesselTheme = isTesselTheme;
    m_scheme = scheme;
    resize(sizeHint());
    update();
}

void SearchPill::setMaximumPillWidth(double width)
{
    m_maximumWidth = std::max(width, 2 * horizontalPadding + glassSide());
    resize(sizeHint());
}

QString SearchPill::shownText() const
{
    return m_query.isEmpty() ? hint : WindowCardRules::singleLine(m_query);
}

QSize SearchPill::sizeHint() const
{
    const QFontMetricsF metrics(textFont(!m_query.isEmpty()));
    const double natural =
        2 * horizontalPadding + glassSide() + itemSpacing + metrics.horizontalAdvance(shownText());
    const double height = 2 * verticalPadding + std::max(metrics.height(), glassSide());
    return {int(std::ceil(std::min(natural, m_maximumWidth))), int(std::ceil(height))};
}

void SearchPill::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const QRectF capsule(rect());
    QPainterPath shape;
    shape.addRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);
    VisualEffectBackground::paint(painter, shape, VisualEffectMaterial::thin, m_scheme);

    const bool hasQuery = !m_query.isEmpty();
    QColor color = m_isTesselTheme ? TesselBrand::ink() : m_scheme.primary;
    if (!hasQuery) {
        if (m_isTesselTheme)
            color.setAlphaF(0.55f);
        else
            color = m_scheme.secondary;
    }
    const double side = glassSide();
    const QRectF glass(horizontalPadding, capsule.center().y() - side / 2, side, side);
    Symbols::paint(painter, glass, QStringLiteral("magnifyingglass"), color);

    const QFont font = textFont(hasQuery);
    const QRectF textBox(glass.right() + itemSpacing, 0,
                         capsule.width() - glass.right() - itemSpacing - horizontalPadding,
                         capsule.height());
    // The end of a long query is what was typed last: keep it in view.
    const QString text = QFontMetricsF(font).elidedText(
        shownText(), hasQuery ? Qt::ElideLeft : Qt::ElideRight, textBox.width() + 0.5);
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
}
