#include "Overlay/Cards/CardCollectionView.h"

#include "Brand/Typography.h"
#include "Models/ContinuousCorners.h"
#include "Overlay/Cards/CardDrawingCache.h"

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
    m_arrangement = arrangement;
    relayout();
}

void CardCollectionView::setCardStyle(const CardStyle& style)
{
    if (style == m_style)
        return;
    m_style = style;
    update();
}

void CardCollectionView::setCards(const QList<SafariWindow>& windows,
                                  const QHash<QString, QImage>& snapshots)
{
    // Every published change resynchronises the view; the lists change far
    // less often, and a snapshot arriving changes nothing but pixels.
    if (!m_snapshots.isSharedWith(snapshots)) {
        m_snapshots = snapshots;
        update();
    }
    if (m_windows.isSharedWith(windows))
        return;
    m_windows = windows;
    m_cardIndex.resize(m_windows.size());
    QHash<QString, int> first;
    first.reserve(m_windows.size());
    for (int i = 0; i < m_windows.size(); ++i) {
        auto it = first.find(m_windows[i].id());
        if (it == first.end())
            it = first.insert(m_windows[i].id(), i);
        m_cardIndex[i] = *it;
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
    if (text == m_emptyText)
        return;
    m_emptyText = text;
    if (m_windows.isEmpty())
        update();
}

void CardCollectionView::setEmptyTextClearance(double top)
{
    if (top == m_emptyTextClearance)
        return;
    m_emptyTextClearance = top;
    if (m_windows.isEmpty())
        update();
}

TextBlock CardCollectionView::emptyTextBlock() const
{
    return TextBlock(m_emptyText, Typography::font(TextStyle::title3), emptyTextSpace().size());
}

QRectF CardCollectionView::emptyTextRect() const
{
    const QSizeF size = emptyTextBlock().size();
    return QRectF(emptyTextSpace().center() - QPointF(size.width() / 2, size.height() / 2), size);
}

QRectF CardCollectionView::emptyTextSpace() const
{
    // As far from the sides as the cards would be, and as far again from
    // whatever lies over the top; the same at the bottom, so that the text
    // stays centred on the view.
    const double margin = std::max(m_arrangement.padding, 8.0);
    const double vertical = margin + std::max(m_emptyTextClearance, 0.0);
    return QRectF(rect()).adjusted(margin, vertical, -margin, -vertical);
}

void CardCollectionView::setClipOutline(const QWidget* owner, double cornerRadius)
{
    if (owner == m_clipOwner && cornerRadius == m_clipRadius)
        return;
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

void CardCollectionView::updateCard(int index)
{
    update(cardRect(index));
}

void CardCollectionView::clipToOutline(QPainter& painter, const QList<QRect>& cards) const
{
    if (!m_clipOwner)
        return;
    const QPointF offset(mapFrom(m_clipOwner, QPoint(0, 0)));
    const QRectF within = QRectF(m_clipOwner->rect()).adjusted(1, 1, -1, -1).translated(offset);
    const QPainterPath outline = continuousRoundedRect(within, std::max(m_clipRadius - 1, 0.0));
    // The outline is convex: what of a card lies within the straight edges
    // is inside it when its four corners are. Taken half a pixel in: a card
    // that reaches less than that past the curve covers no more of the
    // border than antialiasing does, and its own rounded corners leave that
    // sliver empty anyway. Clipping for it would cost every fill of the card.
    const double tolerance = 0.5;
    bool acrossEdge = false;
    bool intoCorner = false;
    for (const QRect& card : cards) {
        const QRectF r(card);
        acrossEdge = acrossEdge || !within.contains(r);
        const QRectF inner =
            r.intersected(within).adjusted(tolerance, tolerance, -tolerance, -tolerance);
        intoCorner = intoCorner || (inner.isValid() && !(outline.contains(inner.topLeft()) &&
                                                         outline.contains(inner.topRight()) &&
                                                         outline.contains(inner.bottomLeft()) &&
                                                         outline.contains(inner.bottomRight())));
    }
    // Clipping to a curve costs every fill it touches: the rounded outline
    // only where a card reaches into a corner, the straight edges where one
    // runs over the border, nothing otherwise.
    if (intoCorner) {
        painter.setClipPath(outline);
    } else if (acrossEdge) {
        painter.setClipRect(within);
    }
}

void CardCollectionView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);

    m_paintedCards = 0;
    if (m_windows.isEmpty()) {
        clipToOutline(painter, {rect()});
        painter.setPen(m_style.scheme.secondary);
        emptyTextBlock().drawCentred(painter, emptyTextSpace().center());
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

    QList<QRect> rects;
    rects.reserve(qsizetype(indices.size()));
    for (const int index : indices)
        rects << cardRect(index);
    clipToOutline(painter, rects);
    for (std::size_t i = 0; i < indices.size(); ++i) {
        painter.save();
        painter.translate(rects[qsizetype(i)].topLeft());
        WindowCard::paint(painter, content(indices[i]), m_style.scheme, m_drawingCache);
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
