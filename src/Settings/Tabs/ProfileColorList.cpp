#include "Settings/Tabs/ProfileColorList.h"

#include "Brand/Symbols.h"
#include "Brand/TesselBrand.h"
#include "Brand/Typography.h"
#include "Models/ColorHex.h"
#include "Services/PreferencesService.h"
#include "Settings/Controls/ColorWell.h"
#include "Settings/Controls/FocusRingButton.h"
#include "Settings/Tabs/SettingsTexts.h"

#include <QFontMetricsF>
#include <QHash>
#include <QPaintEvent>
#include <QPainter>

#include <utility>

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

// A borderless button that shows the reset symbol.
class ResetButton final : public FocusRingButton {
public:
    explicit ResetButton(QWidget* parent) : FocusRingButton(parent) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        Symbols::paint(painter, QRectF(rect()).adjusted(3.5, 3.5, -3.5, -3.5), resetSymbol,
                       TesselBrand::withOpacity(TesselBrand::ink(), 0.6));
        paintFocusRing(painter, 6);
    }
};

} // namespace

ProfileColorList::ProfileColorList(PreferencesService& preferences, QWidget* parent)
    : QWidget(parent), m_preferences(preferences)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    reload();
    connect(&preferences, &PreferencesService::knownProfilesChanged, this,
            &ProfileColorList::reload);
    connect(&preferences, &PreferencesService::profileColorsChanged, this,
            &ProfileColorList::reload);
}

void ProfileColorList::reload()
{
    const PreferencesService::ProfileColors colors = m_preferences.profileColors();
    const QStringList names = SettingsTexts::profileList(m_preferences.knownProfiles(), colors);
    bool made = false;
    if (names != m_names) {
        rebuildControls(std::exchange(m_names, names), colors);
        made = true;
    }
    // A row gets its reset button when a colour is first stored for it.
    for (int row = 0; row < m_names.size(); ++row) {
        const QString& name = m_names.at(row);
        Controls& controls = m_controls[row];
        controls.well->setColor(SettingsTexts::profilePillColor(name, colors));
        if (!controls.reset && colors.contains(name)) {
            controls.reset = makeResetButton(name);
            made = true;
        }
    }
    if (made)
        orderForKeyboard();
    // Hidden in tab order, so that the focus on a reset button that hides
    // moves on to the well beside it.
    for (int row = 0; row < m_names.size(); ++row) {
        if (QWidget* reset = m_controls.at(row).reset)
            reset->setVisible(colors.contains(m_names.at(row)));
    }
    placeControls();
    updateGeometry();
    update();
}

// A row keeps its controls while its name stays listed, so the focus stays on
// a well whose colour was just picked.
void ProfileColorList::rebuildControls(const QStringList& oldNames,
                                       const PreferencesService::ProfileColors& colors)
{
    QHash<QString, Controls> kept;
    for (int row = 0; row < oldNames.size(); ++row)
        kept.insert(oldNames.at(row), m_controls.at(row));
    QList<Controls> controls;
    controls.reserve(m_names.size());
    // Made in tab order, which is the order they are in while the list is
    // still outside a window.
    for (const QString& name : std::as_const(m_names)) {
        if (kept.contains(name))
            controls << kept.take(name);
        else
            controls << Controls{colors.contains(name) ? makeResetButton(name) : nullptr,
                                 makeWell(name)};
    }
    // Hidden before they go, so that the focus on one of them moves on to
    // the next control; deleted later, as one may be in the middle of its
    // own click.
    for (const Controls& gone : std::as_const(kept)) {
        for (QWidget* control : gone.inOrder()) {
            if (control) {
                control->hide();
                control->deleteLater();
            }
        }
    }
    m_controls = controls;
}

ColorWell* ProfileColorList::makeWell(const QString& name)
{
    auto* well = new ColorWell(this);
    well->setAccessibleName(tr("Colour for %1").arg(shownName(name)));
    connect(well, &ColorWell::colorPicked, this,
            [this, name](const QColor& color) { pickColor(name, color); });
    well->show();
    return well;
}

FocusRingButton* ProfileColorList::makeResetButton(const QString& name)
{
    auto* reset = new ResetButton(this);
    reset->setAccessibleName(tr("Reset %1").arg(shownName(name)));
    reset->setToolTip(tr("Reset to the automatic color"));
    connect(reset, &QAbstractButton::clicked, this, [this, name] { resetColor(name); });
    return reset;
}

// Controls made while the list is in a window join the window's tab chain at
// its end. Each row's reset button and well, in row order, go right after the
// control before the list.
void ProfileColorList::orderForKeyboard()
{
    QWidget* previous = nullptr;
    for (QWidget* widget = previousInFocusChain(); widget != window() && !previous;
         widget = widget->previousInFocusChain()) {
        if (widget->focusPolicy() != Qt::NoFocus && !isAncestorOf(widget))
            previous = widget;
    }
    for (const Controls& row : std::as_const(m_controls)) {
        for (QWidget* control : row.inOrder()) {
            if (!control)
                continue;
            if (previous)
                QWidget::setTabOrder(previous, control);
            previous = control;
        }
    }
}

std::array<QWidget*, 2> ProfileColorList::Controls::inOrder() const
{
    return {reset, well};
}

void ProfileColorList::placeControls()
{
    for (int row = 0; row < m_controls.size(); ++row) {
        if (QWidget* reset = m_controls.at(row).reset)
            reset->setGeometry(resetArea(row));
        m_controls.at(row).well->setGeometry(wellRect(row));
    }
}

void ProfileColorList::resizeEvent(QResizeEvent*)
{
    placeControls();
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
    return resetArea(row);
}

QRect ProfileColorList::resetArea(int row) const
{
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

void ProfileColorList::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const PreferencesService::ProfileColors colors = m_preferences.profileColors();
    const int pitch = rowHeight + rowSpacing;
    const int first = std::max(0, event->rect().top() / pitch);
    const int last = std::min<int>(m_names.size() - 1, event->rect().bottom() / pitch);
    const QFontMetricsF metrics(pillFont());

    for (int row = first; row <= last; ++row) {
        const QString& name = m_names.at(row);
        const QColor color = SettingsTexts::profilePillColor(name, colors);

        const QRectF pill = pillRect(row);
        painter.setPen(Qt::NoPen);
        painter.setBrush(TesselBrand::withOpacity(color, 0.92));
        painter.drawRoundedRect(pill, pill.height() / 2, pill.height() / 2);
        painter.setPen(Qt::white);
        painter.setFont(pillFont());
        painter.drawText(pill.adjusted(8, 0, -8, 0), Qt::AlignCenter | Qt::TextSingleLine,
                         metrics.elidedText(shownName(name), Qt::ElideRight, pill.width() - 16));
    }
}
