#include "Overlay/Panel/OverlayView.h"

#include "Brand/TesselBrand.h"
#include "Overlay/Cards/CardCollectionView.h"
#include "Overlay/Chips/AppChipBar.h"
#include "Overlay/Chips/SearchPill.h"
#include "Overlay/OverlayController.h"
#include "Overlay/OverlayMetrics.h"
#include "Overlay/OverlayRules.h"
#include "Overlay/Panel/PanelSurface.h"
#include "Overlay/Panel/VisualEffectBackground.h"
#include "Platform/Workspace.h"
#include "Services/PreferencesService.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QEasingCurve>
#include <QEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

namespace {

constexpr int scrollDurationMs = 150;
constexpr int tintDurationMs = 250;

QEasingCurve cubicBezier(double x1, double y1, double x2, double y2)
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(x1, y1), QPointF(x2, y2), QPointF(1, 1));
    return curve;
}

// A scroll area that draws nothing of its own and shows no scroll bars.
QScrollArea* bareScrollArea(QWidget* content, QWidget* parent)
{
    auto* area = new QScrollArea(parent);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setWidgetResizable(true);
    area->setAutoFillBackground(false);
    area->viewport()->setAutoFillBackground(false);
    area->setAttribute(Qt::WA_TranslucentBackground);
    area->viewport()->setAttribute(Qt::WA_TranslucentBackground);
    area->setWidget(content);
    content->setAutoFillBackground(false); // setWidget() turned it on
    return area;
}

// The least scroll that shows [start, end) in a viewport of the given length.
int scrollTarget(const QScrollBar& bar, int start, int end, int viewportLength)
{
    int value = bar.value();
    if (start < value)
        value = start;
    else if (end > value + viewportLength)
        value = end - viewportLength;
    return std::clamp(value, bar.minimum(), bar.maximum());
}

} // namespace

OverlayView::OverlayView(OverlayController& controller, PreferencesService& preferences,
                         QWidget* parent)
    : QWidget(parent), m_controller(controller), m_preferences(preferences),
      m_root(new QBoxLayout(QBoxLayout::LeftToRight, this)), m_centre(new QWidget(this)),
      m_chipRow(new AppChipBar(Qt::Horizontal, m_centre)), m_chipRail(new AppChipBar(Qt::Vertical)),
      m_cards(new CardCollectionView)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);

    m_railScroll = bareScrollArea(m_chipRail, this);
    m_railScroll->setFixedWidth(int(OverlayMetrics::railWidth));
    m_cardScroll = bareScrollArea(m_cards, m_centre);
    m_cards->setClipOutline(this, m_preferences.cornerRadius());
    m_cards->setDrawingCache(&m_controller.cardDrawingCache());

    auto* column = new QVBoxLayout(m_centre);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_chipRow);
    column->addWidget(m_cardScroll, 1);
    m_root->setContentsMargins(0, 0, 0, 0);
    m_root->setSpacing(0);
    m_root->addWidget(m_centre, 1);
    m_root->addWidget(m_railScroll);

    m_searchPill = new SearchPill(this);
    m_cardScroll->viewport()->installEventFilter(this);

    m_tintAnimation.setDuration(tintDurationMs);
    m_tintAnimation.setEasingCurve(cubicBezier(0.42, 0, 0.58, 1));
    connect(&m_tintAnimation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) {
                m_tint = value.value<QColor>();
                update();
            });
    m_scrollAnimation.setDuration(scrollDurationMs);
    m_scrollAnimation.setEasingCurve(cubicBezier(0, 0, 0.58, 1));
    connect(&m_scrollAnimation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) {
                const QPoint position = value.toPoint();
                m_cardScroll->horizontalScrollBar()->setValue(position.x());
                m_cardScroll->verticalScrollBar()->setValue(position.y());
            });

    for (AppChipBar* chips : {m_chipRow, m_chipRail})
        connect(chips, &AppChipBar::filterChosen, &m_controller, &OverlayController::chooseFilter);
    connect(m_cards, &CardCollectionView::cardEntered, this, [this](int index) {
        m_controller.hoverCard(OverlayRules::cardIndex(m_controller.windows(), index));
    });
    connect(m_cards, &CardCollectionView::cardClicked, this, [this](int index) {
        m_controller.commitCard(OverlayRules::cardIndex(m_controller.windows(), index));
    });

    const auto resync = [this] { sync(); };
    using C = OverlayController;
    for (auto signal : {&C::windowsChanged, &C::availableFiltersChanged, &C::activeFilterChanged,
                        &C::snapshotsChanged, &C::searchQueryChanged, &C::columnsChanged,
                        &C::panelContentWidthChanged})
        connect(&m_controller, signal, this, resync);
    connect(&m_controller, &C::selectedIndexChanged, this, [this] {
        syncHighlight();
        syncTint(!reduceMotion());
        scrollToSelection(!reduceMotion());
    });
    connect(&m_controller, &C::hoveredIndexChanged, this, [this] {
        syncHighlight();
        syncTint(!reduceMotion());
    });
    connect(&m_controller, &C::averageColorsChanged, this, [this] { syncTint(false); });

    using P = PreferencesService;
    connect(&m_preferences, &P::panelPositionChanged, this, resync);
    connect(&m_preferences, &P::layoutModeChanged, this, resync);
    connect(&m_preferences, &P::cardWidthChanged, this, resync);
    connect(&m_preferences, &P::windowSpacingChanged, this, resync);
    connect(&m_preferences, &P::containerPaddingChanged, this, resync);
    connect(&m_preferences, &P::cornerRadiusChanged, this, resync);
    connect(&m_preferences, &P::showWindowPreviewsChanged, this, resync);
    connect(&m_preferences, &P::showProfileBadgeChanged, this, resync);
    connect(&m_preferences, &P::profileColorsChanged, this, resync);
    connect(&m_preferences, &P::appearanceModeChanged, this, resync);
    connect(&m_preferences, &P::surfaceStyleChanged, this, resync);
    connect(&m_preferences, &P::glassTintChanged, this, resync);
    connect(&m_preferences, &P::tintOpacityChanged, this, resync);

    sync();
}

OverlayView::~OverlayView() = default;

bool OverlayView::reduceMotion() const
{
    return m_controller.environment().workspace.accessibilityDisplayShouldReduceMotion();
}

bool OverlayView::isThemed() const
{
    return m_preferences.appearanceMode() == AppearanceMode::tessel;
}

void OverlayView::sync()
{
    const QList<SafariWindow>& windows = m_controller.windows();
    const PanelPosition position = m_preferences.panelPosition();
    const bool themed = isThemed();
    m_scheme = ColorScheme::forAppearance(m_preferences.appearanceMode());

    const bool chips = OverlayRules::chipsShown(m_controller.scope().has_value(),
                                                m_controller.availableFilters().size());
    const bool rail = OverlayRules::railLayout(position, chips);
    const double padding = m_preferences.containerPadding();
    if (chips) {
        AppChipBar& bar = rail ? *m_chipRail : *m_chipRow;
        bar.setChips(m_controller.availableFilters(), m_controller.activeFilter(), themed, m_scheme,
                     m_controller.environment().icons, padding);
    }
    m_chipRow->setVisible(chips && !rail);
    m_railScroll->setVisible(rail);
    const int railSlot = OverlayRules::railLeadsCards(position) ? 0 : 1;
    if (m_root->indexOf(m_railScroll) != railSlot) {
        m_root->removeWidget(m_railScroll);
        m_root->insertWidget(railSlot, m_railScroll);
    }

    CardCollectionView::Arrangement arrangement;
    arrangement.kind =
        OverlayRules::arrangement(position, m_preferences.layoutMode(), windows.size());
    arrangement.columns = std::max(m_controller.columns(), 1);
    arrangement.thumbWidth = m_controller.cardWidth();
    arrangement.spacing = m_preferences.windowSpacing();
    arrangement.padding = padding;
    arrangement.minimumWidth = m_controller.panelContentWidth();
    m_cards->setArrangement(arrangement);

    CardCollectionView::CardStyle style;
    style.showPreviews = m_preferences.showWindowPreviews();
    style.showProfileBadge = m_preferences.showProfileBadge();
    style.showBrowserBadge = m_controller.availableFilters().size() > 1;
    style.isTesselTheme = themed;
    style.profileColors = m_preferences.profileColors();
    style.scheme = m_scheme;
    m_cards->setCardStyle(style);
    m_cards->setCards(windows, m_controller.snapshots());
    m_cards->setEmptyText(OverlayRules::emptyText(m_controller.searchQuery()));
    m_cards->setClipOutline(this, m_preferences.cornerRadius());

    const QString query = m_controller.searchQuery();
    m_searchPill->setVisible(OverlayRules::searchPillShown(query, windows.size()));
    m_searchPill->setState(query, themed, m_scheme);
    m_searchTop = OverlayRules::searchPillTop(chips, rail);
    placeSearchPill();

    syncHighlight();
    syncTint(false);
    update();
}

void OverlayView::syncHighlight()
{
    const QList<SafariWindow>& windows = m_controller.windows();
    if (m_cards->count() != windows.size())
        return sync();
    const int highlighted = m_controller.highlightedIndex();
    m_cards->setHighlighted(highlighted >= 0 && highlighted < windows.size()
                                ? OverlayRules::cardIndex(windows, highlighted)
                                : -1);
}

void OverlayView::syncTint(bool animate)
{
    QColor target = Qt::transparent;
    if (!isThemed()) {
        const std::optional<QColor> tint = OverlayRules::effectiveTint(
            m_preferences.glassTint(), m_controller.windows(), m_controller.highlightedIndex(),
            m_controller.averageColors());
        if (tint)
            target = TesselBrand::withOpacity(
                *tint, OverlayRules::tintStrength(m_preferences.tintOpacity()));
    }
    const QColor current = m_tintAnimation.state() == QAbstractAnimation::Running
                               ? m_tintAnimation.endValue().value<QColor>()
                               : m_tint;
    if (target == current)
        return;
    m_tintAnimation.stop();
    if (!animate) {
        m_tint = target;
        update();
        return;
    }
    // Fading in or out changes only the opacity, never the colour.
    const QColor from = m_tint.alpha() == 0 ? TesselBrand::withOpacity(target, 0) : m_tint;
    const QColor to = target.alpha() == 0 ? TesselBrand::withOpacity(m_tint, 0) : target;
    m_tintAnimation.setStartValue(from);
    m_tintAnimation.setEndValue(to);
    m_tintAnimation.start();
}

void OverlayView::scrollToSelection(bool animate)
{
    const int selected = m_controller.selectedIndex();
    if (selected < 0 || selected >= m_controller.windows().size())
        return;
    if (m_cards->count() != m_controller.windows().size())
        sync();
    // Cards added or removed just now change the strip's length, which the
    // scroll area takes up only when its posted layout request arrives: a
    // card beyond the old end would be scrolled to the old end instead.
    QEvent layoutRequest(QEvent::LayoutRequest);
    QCoreApplication::sendEvent(m_cardScroll, &layoutRequest);
    // The card that carries the selected window's id: the first with it.
    const QRect card = m_cards->cardRect(OverlayRules::cardIndex(m_controller.windows(), selected));
    QScrollBar& horizontal = *m_cardScroll->horizontalScrollBar();
    QScrollBar& vertical = *m_cardScroll->verticalScrollBar();
    const QSize viewport = m_cardScroll->viewport()->size();
    const QPoint target(scrollTarget(horizontal, card.left(), card.right() + 1, viewport.width()),
                        scrollTarget(vertical, card.top(), card.bottom() + 1, viewport.height()));
    const QPoint current(horizontal.value(), vertical.value());
    m_scrollAnimation.stop();
    if (target == current)
        return;
    if (!animate) {
        horizontal.setValue(target.x());
        vertical.setValue(target.y());
        return;
    }
    m_scrollAnimation.setStartValue(current);
    m_scrollAnimation.setEndValue(target);
    m_scrollAnimation.start();
}

void OverlayView::placeSearchPill()
{
    const double margin = std::max(m_preferences.containerPadding(), 16.0);
    m_searchPill->setMaximumPillWidth(width() - 2 * margin);
    m_searchPill->move((width() - m_searchPill->width()) / 2, int(m_searchTop));
    m_searchPill->raise();
    const double cardsTop = m_chipRow->isVisibleTo(this) ? OverlayMetrics::chipRowHeight : 0;
    m_cards->setEmptyTextClearance(
        m_searchPill->isVisibleTo(this) ? m_searchTop + m_searchPill->height() - cardsTop : 0);
}

void OverlayView::stopObserving()
{
    disconnect(&m_controller, nullptr, this, nullptr);
    disconnect(&m_preferences, nullptr, this, nullptr);
}

bool OverlayView::eventFilter(QObject* watched, QEvent* event)
{
    // A mouse wheel turns the strip sideways, as a strip has nothing to
    // scroll up and down.
    if (event->type() == QEvent::Wheel && watched == m_cardScroll->viewport() &&
        m_cards->arrangement().kind == OverlayRules::Arrangement::strip) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        const QPoint delta =
            wheel->pixelDelta().isNull() ? wheel->angleDelta() / 8 * 2 : wheel->pixelDelta();
        if (std::abs(delta.y()) > std::abs(delta.x())) {
            QScrollBar& bar = *m_cardScroll->horizontalScrollBar();
            m_scrollAnimation.stop();
            bar.setValue(bar.value() - delta.y());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

PanelSurface::Look OverlayView::surfaceLook() const
{
    PanelSurface::Look look;
    look.cornerRadius = m_preferences.cornerRadius();
    if (isThemed()) {
        look.surface = TesselBrand::cream();
        look.tint = Qt::transparent;
        look.border = QColor::fromRgbF(0, 0, 0, 0.07f);
        return look;
    }
    switch (m_preferences.surfaceStyle()) {
    case SurfaceStyle::frosted:
        look.surface = VisualEffectBackground::fill(VisualEffectMaterial::popover, m_scheme);
        break;
    case SurfaceStyle::nativeHUD:
        look.surface = VisualEffectBackground::fill(VisualEffectMaterial::hudWindow, m_scheme);
        break;
    case SurfaceStyle::solid:
        look.surface = m_scheme.windowBackground;
        break;
    }
    look.tint = m_tint;
    look.border = QColor::fromRgbF(1, 1, 1, 0.12f);
    return look;
}

void OverlayView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    m_controller.panelSurface().paint(painter, size(), surfaceLook());
}

void OverlayView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeSearchPill();
}

void OverlayView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (QLayout* layout = this->layout())
        layout->activate();
    scrollToSelection(false);
}

void OverlayView::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    m_controller.setHoveredIndex(std::nullopt);
}

void OverlayView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    const bool paletteChanged =
        event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange;
    if (paletteChanged && m_preferences.appearanceMode() == AppearanceMode::system)
        sync();
}
