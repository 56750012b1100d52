#include "Overlay/CardCollectionView.h"

#include "Brand/Typography.h"
#include "Overlay/WindowCardRules.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <vector>

CardCollectionView::CardCollectionView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);
}

void CardCollectionView::setArrangement(const Arrangement& arrangement)
{
    if (arrangement == m_arrangement)
        return;
    if (arrangement.thumbWidth != m_arrangement.thumbWidth) {
        m_scaled.clear();
        m_scaledFrom.clear();
    }
    m_arrangement = arrangement;
    relayout();
}

void CardCollectionView::setCardStyle(const CardStyle& style)
{
    m_style = style;
    update();
}

void CardCollectionView::setCards(const QList<SafariWindow>& windows,
                                  const QHash<QString, QImage>& snapshots)
{
    // Every published change resynchronises the view; the lists themselves
    // change far less often.
    if (m_windows.isSharedWith(windows) && m_snapshots.isSharedWith(snapshots))
        return;
    m_windows = windows;
    m_snapshots = snapshots;
    m_cardIndex.resize(m_windows.size());
    QHash<QString, int> first;
    first.reserve(m_windows.size());
    for (int i = 0; i < m_windows.size(); ++i) {
        auto it = first.find(m_windows[i].id());
        if (it == first.end())
            it = first.insert(m_windows[i].id(), i);
        m_cardIndex[i] = *it;
    }
    // Keep the scaled copies of snapshots that did not change.
    for (auto it = m_scaledFrom.begin(); it != m_scaledFrom.end();) {
        const auto source = m_snapshots.constFind(it.key());
        if (source == m_snapshots.cend() || source->cacheKey() != it.value()) {
            m_scaled.remove(it.key());
            it = m_scaledFrom.erase(it);
        } else {
            ++it;
        }
    }
    m_pointerCard = -1;
    m_pressedCard = -1;
    relayout();
}

void CardCollectionView::setHighlighted(int index)
{
    if (index == m_highlighted)
        return;
    const int previous = m_highlighted;
    m_highlighted = index;
    // Every card that shares an id with either index changes its look.
    for (int i = 0; i < m_windows.size(); ++i) {
        const int card = m_cardIndex[i];
        if (card == previous || card == index)
            updateCard(i);
    }
}

void CardCollectionView::setEmptyText(const QString& text)
{
    m_emptyText = text;
    if (m_windows.isEmpty())
        update();
}

void CardCollectionView::setClipOutline(const QWidget* owner, double cornerRadius)
{
    m_clipOwner = owner;
    m_clipRadius = cornerRadius;
    update();
}

CardCollectionView::Grid CardCollectionView::grid() const
{
    using Kind = OverlayRules::Arrangement;
    const qsizetype n = m_windows.size();
    const QSizeF card = WindowCard::cardSize(m_arrangement.thumbWidth);
    int columns = 1;
    if (m_arrangement.kind == Kind::strip)
        columns = int(std::max<qsizetype>(n, 1));
    else if (m_arrangement.kind == Kind::grid)
        columns = std::max(m_arrangement.columns, 1);
    const int rows = n == 0 ? 0 : int((n + columns - 1) / columns);
    const double s = m_arrangement.spacing;
    const double p = m_arrangement.padding;
    const double blockWidth = columns * card.width() + (columns - 1) * s;
    const double blockHeight = rows * card.height() + std::max(rows - 1, 0) * s;
    // Centred across; the strip is centred up and down as well.
    const double x = std::max(p, (width() - blockWidth) / 2);
    const double y =
        m_arrangement.kind == Kind::strip ? std::max(p, (height() - blockHeight) / 2) : p;
    return {QPointF(x, y), card, columns, rows};
}

QSizeF CardCollectionView::naturalSize() const
{
    if (m_windows.isEmpty())
        return {0, 0};
    const Grid g = grid();
    const double s = m_arrangement.spacing;
    const double p = m_arrangement.padding;
    const int columns = std::min<int>(g.columns, int(m_windows.size()));
    double width = 2 * p + columns * g.cell.width() + (columns - 1) * s;
    if (m_arrangement.kind == OverlayRules::Arrangement::strip)
        width = std::max(width, m_arrangement.minimumWidth);
    return {width, 2 * p + g.rows * g.cell.height() + (g.rows - 1) * s};
}

QSize CardCollectionView::sizeHint() const
{
    const QSizeF size = naturalSize();
    return {int(std::ceil(size.width())), int(std::ceil(size.height()))};
}

void CardCollectionView::relayout()
{
    updateGeometry();
    update();
}

QRect CardCollectionView::cardRect(int index) const
{
    if (index < 0 || index >= m_windows.size())
        return {};
    const Grid g = grid();
    const int row = index / g.columns;
    const int column = index % g.columns;
    const QPointF topLeft = g.origin + QPointF(column * (g.cell.width() + m_arrangement.spacing),
                                               row * (g.cell.height() + m_arrangement.spacing));
    return QRectF(topLeft, g.cell).toAlignedRect();
}

int CardCollectionView::cardAt(const QPoint& position) const
{
    if (m_windows.isEmpty())
        return -1;
    const Grid g = grid();
    const QPointF local = QPointF(position) - g.origin;
    const double pitchX = g.cell.width() + m_arrangement.spacing;
    const double pitchY = g.cell.height() + m_arrangement.spacing;
    if (local.x() < 0 || local.y() < 0)
        return -1;
    const int column = int(local.x() / pitchX);
    const int row = int(local.y() / pitchY);
    if (column >= g.columns || local.x() - column * pitchX >= g.cell.width() ||
        local.y() - row * pitchY >= g.cell.height())
        return -1;
    const qsizetype index = qsizetype(row) * g.columns + column;
    return index < m_windows.size() ? int(index) : -1;
}

WindowCardContent CardCollectionView::content(int index) const
{
    const SafariWindow& window = m_windows[index];
    WindowCardContent content;
    content.window = window;
    if (m_style.showPreviews)
        content.image = m_snapshots.value(window.id());
    content.isSelected = m_cardIndex[index] == m_highlighted;
    content.thumbWidth = m_arrangement.thumbWidth;
    content.showProfileBadge = m_style.showProfileBadge;
    content.showBrowserBadge = m_style.showBrowserBadge;
    content.isTesselTheme = m_style.isTesselTheme;
    content.profileColor = OverlayRules::profileColor(window, m_style.profileColors);
    return content;
}

QImage CardCollectionView::preparedSnapshot(const SafariWindow& window) const
{
    const QString id = window.id();
    const QImage source = m_snapshots.value(id);
    if (source.isNull())
        return {};
    if (m_scaledFrom.value(id) != source.cacheKey()) {
        m_scaled.insert(
            id, WindowCard::scaledSnapshot(source, m_arrangement.thumbWidth, devicePixelRatioF()));
        m_scaledFrom.insert(id, source.cacheKey());
    }
    return m_scaled.value(id);
}

void CardCollectionView::updateCard(int index)
{
    update(cardRect(index));
}

void CardCollectionView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    if (m_clipOwner) {
        QPainterPath outline;
        const QRectF inside = QRectF(m_clipOwner->rect()).adjusted(1, 1, -1, -1);
        const double radius = std::max(m_clipRadius - 1, 0.0);
        outline.addRoundedRect(inside, radius, radius);
        painter.setClipPath(outline.translated(QPointF(mapFrom(m_clipOwner, QPoint(0, 0)))));
    }

    m_paintedCards = 0;
    if (m_windows.isEmpty()) {
        const QFont font = Typography::font(TextStyle::title3);
        const double margin = std::max(m_arrangement.padding, 8.0);
        const QRectF box = QRectF(rect()).adjusted(margin, 0, -margin, 0);
        const QString text = QFontMetricsF(font).elidedText(
            WindowCardRules::singleLine(m_emptyText), Qt::ElideMiddle, box.width());
        painter.setFont(font);
        painter.setPen(m_style.scheme.secondary);
        painter.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, text);
        return;
    }

    // The cards under each exposed rectangle, each drawn once.
    const Grid g = grid();
    const double pitchX = g.cell.width() + m_arrangement.spacing;
    const double pitchY = g.cell.height() + m_arrangement.spacing;
    std::vector<int> indices;
    for (const QRect& exposed : event->region()) {
        const QRectF local = QRectF(exposed).translated(-g.origin);
        const int firstColumn = std::max(0, int(std::floor(local.left() / pitchX)));
        const int lastColumn = std::min(g.columns - 1, int(std::floor(local.right() / pitchX)));
        const int firstRow = std::max(0, int(std::floor(local.top() / pitchY)));
        const int lastRow = std::min(g.rows - 1, int(std::floor(local.bottom() / pitchY)));
        for (int row = firstRow; row <= lastRow; ++row) {
            for (int column = firstColumn; column <= lastColumn; ++column) {
                const qsizetype index = qsizetype(row) * g.columns + column;
                if (index < m_windows.size())
                    indices.push_back(int(index));
            }
        }
    }
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());

    for (const int index : indices) {
        WindowCardContent card = content(index);
        if (!card.image.isNull())
            card.image = preparedSnapshot(card.window);
        painter.save();
        painter.translate(cardRect(index).topLeft());
        WindowCard::paint(painter, card, m_style.scheme);
        painter.restore();
        ++m_paintedCards;
    }
}

void CardCollectionView::mouseMoveEvent(QMouseEvent* event)
{
    const int card = cardAt(event->position().toPoint());
    if (card != m_pointerCard) {
        m_pointerCard = card;
        if (card >= 0)
            emit cardEntered(card);
    }
    event->accept();
}

void CardCollectionView::mousePressEvent(QMouseEvent* event)
{
    const int card = event->button() == Qt::LeftButton ? cardAt(event->position().toPoint()) : -1;
    m_pressedCard = card;
    if (card < 0) {
        event->ignore(); // the panel drags on it
        return;
    }
    event->accept();
}

void CardCollectionView::mouseReleaseEvent(QMouseEvent* event)
{
    const int pressed = m_pressedCard;
    m_pressedCard = -1;
    if (pressed < 0) {
        event->ignore();
        return;
    }
    event->accept();
    if (event->button() == Qt::LeftButton && cardAt(event->position().toPoint()) == pressed)
        emit cardClicked(pressed);
}

void CardCollectionView::leaveEvent(QEvent* event)
{
    m_pointerCard = -1;
    QWidget::leaveEvent(event);
}
