#include "Settings/ProfileColorList.h"

#include "Brand/Symbols.h"
#include "Brand/TesselBrand.h"
#include "Brand/Typography.h"
#include "Models/ColorHex.h"
#include "Services/PreferencesService.h"
#include "Settings/SettingsTexts.h"

#include <QColorDialog>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace {

constexpr int rowHeight = 22;
constexpr int rowSpacing = 9;
constexpr int itemSpacing = 10;
constexpr int wellWidth = 38;
constexpr int resetSide = 20;
// Only this much of a name is ever laid out: a pill shows a few words at most,
// and eliding a text of a megabyte would stall the window.
constexpr int shownCharacters = 200;

const QString resetSymbol = QStringLiteral("arrow.uturn.backward");

QFont pillFont()
{
    return Typography::font(TextStyle::caption2, QFont::DemiBold);
}

QString shownName(const QString& name)
{
    if (name.size() <= shownCharacters)
        return name;
    int cut = shownCharacters;
    if (name.at(cut - 1).isHighSurrogate())
        --cut;
    return name.left(cut) + QStringLiteral("…");
}

} // namespace

ProfileColorList::ProfileColorList(PreferencesService& preferences, QWidget* parent)
    : QWidget(parent), m_preferences(preferences)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setMouseTracking(true);
    reload();
    connect(&preferences, &PreferencesService::knownProfilesChanged, this,
            &ProfileColorList::reload);
    connect(&preferences, &PreferencesService::profileColorsChanged, this,
            &ProfileColorList::reload);
}

void ProfileColorList::reload()
{
    m_names =
        SettingsTexts::profileList(m_preferences.knownProfiles(), m_preferences.profileColors());
    updateGeometry();
    update();
}

void ProfileColorList::pickColor(const QString& name, const QColor& color)
{
    PreferencesService::ProfileColors colors = m_preferences.profileColors();
    if (const std::optional<QString> hex = toHex(color))
        colors.insert(name, *hex);
    else
        colors.remove(name);
    m_preferences.setProfileColors(colors);
}

void ProfileColorList::resetColor(const QString& name)
{
    PreferencesService::ProfileColors colors = m_preferences.profileColors();
    colors.remove(name);
    m_preferences.setProfileColors(colors);
}

QSize ProfileColorList::sizeHint() const
{
    const qint64 rows = m_names.size();
    const qint64 height = rows == 0 ? 0 : rows * rowHeight + (rows - 1) * rowSpacing;
    return {200, int(std::min<qint64>(height, QWIDGETSIZE_MAX))};
}

QRect ProfileColorList::rowRect(int row) const
{
    return {0, row * (rowHeight + rowSpacing), width(), rowHeight};
}

QRect ProfileColorList::wellRect(int row) const
{
    const QRect line = rowRect(row);
    return {line.right() + 1 - wellWidth, line.top(), wellWidth, rowHeight};
}

QRect ProfileColorList::resetRect(int row) const
{
    if (row < 0 || row >= m_names.size() ||
        !m_preferences.profileColors().contains(m_names.at(row)))
        return {};
    const QRect well = wellRect(row);
    return {well.left() - itemSpacing - resetSide, well.top() + (rowHeight - resetSide) / 2,
            resetSide, resetSide};
}

QRect ProfileColorList::pillRect(int row) const
{
    const QFontMetricsF metrics(pillFont());
    const QRect line = rowRect(row);
    const int limit = std::max(0, wellRect(row).left() - itemSpacing * 2 - resetSide);
    const int textWidth = int(std::ceil(metrics.horizontalAdvance(shownName(m_names.value(row)))));
    const int height = int(std::ceil(metrics.height())) + 6;
    return {0, line.top() + (rowHeight - height) / 2, std::min(textWidth + 16, limit), height};
}

int ProfileColorList::rowAt(const QPoint& point) const
{
    const int row = point.y() / (rowHeight + rowSpacing);
    if (row < 0 || row >= m_names.size() || !rowRect(row).contains(point))
        return -1;
    return row;
}

void ProfileColorList::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const PreferencesService::ProfileColors colors = m_preferences.profileColors();
    const int pitch = rowHeight + rowSpacing;
    const int first = std::max(0, event->rect().top() / pitch);
    const int last = std::min<int>(m_names.size() - 1, event->rect().bottom() / pitch);
    const QFontMetricsF metrics(pillFont());
    QColor border = TesselBrand::ink();
    border.setAlphaF(0.22f);
    QColor symbol = TesselBrand::ink();
    symbol.setAlphaF(0.6f);

    for (int row = first; row <= last; ++row) {
        const QString& name = m_names.at(row);
        const QColor color = SettingsTexts::profilePillColor(name, colors);

        const QRectF pill = pillRect(row);
        QColor fill = color;
        fill.setAlphaF(0.92f);
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawRoundedRect(pill, pill.height() / 2, pill.height() / 2);
        painter.setPen(Qt::white);
        painter.setFont(pillFont());
        painter.drawText(pill.adjusted(8, 0, -8, 0), Qt::AlignCenter | Qt::TextSingleLine,
                         metrics.elidedText(shownName(name), Qt::ElideRight, pill.width() - 16));

        if (const QRect reset = resetRect(row); !reset.isEmpty())
            Symbols::paint(painter, QRectF(reset).adjusted(3.5, 3.5, -3.5, -3.5), resetSymbol,
                           symbol);

        const QRectF well = QRectF(wellRect(row)).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setPen(QPen(border, 1));
        painter.setBrush(Qt::white);
        painter.drawRoundedRect(well, 5, 5);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawRoundedRect(well.adjusted(3.5, 3.5, -3.5, -3.5), 3, 3);
    }
}

// A press on a well or a reset button starts a click on it and stays here;
// anywhere else it goes on to the window, which moves when its background is
// dragged. Passed on from a well, it would start that move, and the window
// would follow the pointer after the click.
void ProfileColorList::mousePressEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    const int row = rowAt(point);
    const bool onControl =
        row >= 0 && (wellRect(row).contains(point) || resetRect(row).contains(point));
    event->setAccepted(event->button() == Qt::LeftButton && onControl);
}

void ProfileColorList::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    const int row = rowAt(point);
    if (event->button() != Qt::LeftButton || row < 0)
        return;
    const QString name = m_names.at(row);
    if (resetRect(row).contains(point)) {
        resetColor(name);
    } else if (wellRect(row).contains(point)) {
        const QColor current = SettingsTexts::profilePillColor(name, m_preferences.profileColors());
        const QColor chosen = QColorDialog::getColor(current, this, QString());
        // Closing the panel on the colour it opened with picks nothing: an
        // automatic colour stays automatic.
        if (chosen.isValid() && toHex(chosen) != toHex(current))
            pickColor(name, chosen);
    }
}

bool ProfileColorList::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const int row = rowAt(help->pos());
        if (row >= 0 && resetRect(row).contains(help->pos()))
            QToolTip::showText(help->globalPos(), tr("Reset to the automatic color"), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}
