#pragma once

#include "Brand/ColorScheme.h"
#include "Models/SafariWindow.h"
#include "Models/SettingTable.h"
#include "Overlay/Cards/WindowCard.h"
#include "Overlay/Drawing/TextBlock.h"
#include "Overlay/OverlayRules.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QWidget>

class CardDrawingCache;
class QPainter;

// The cards of a showing laid out as a strip, a column or a grid, inside a
// scroll area. Cards are painted straight from the window records, and only
// those the repaint touches, so a thousand windows cost what the viewport
// shows. The pointer entering a card and a click on one are reported by the
// card's position in the list; a press between cards is left to the panel,
// which drags on it. Without windows it shows the empty text instead.
class CardCollectionView : public QWidget {
    Q_OBJECT
public:
    struct Arrangement {
        OverlayRules::Arrangement kind = OverlayRules::Arrangement::strip;
        int columns = 1;
        double thumbWidth = Setting::cardWidth.defaultValue;     // W
        double spacing = Setting::windowSpacing.defaultValue;    // s
        double padding = Setting::containerPadding.defaultValue; // p
        double minimumWidth = 0; // of the strip, so a few cards sit in the middle
        bool operator==(const Arrangement&) const = default;
    };
    struct CardStyle {
        bool showPreviews = true;
        bool showProfileBadge = true;
        bool showBrowserBadge = false;
        bool isTesselTheme = false;
        QMap<QString, QString> profileColors;
        ColorScheme scheme;
        bool operator==(const CardStyle&) const = default;
    };

    explicit CardCollectionView(QWidget* parent = nullptr);

    void setArrangement(const Arrangement& arrangement);
    void setCardStyle(const CardStyle& style);
    void setCards(const QList<SafariWindow>& windows, const QHash<QString, QImage>& snapshots);
    // The highlighted position; repaints only the cards whose look changes.
    void setHighlighted(int index);
    void setEmptyText(const QString& text);
    // How far down from the top something lies over the view (the search
    // pill); the empty text keeps clear of it.
    void setEmptyTextClearance(double top);
    // Painting stays inside the owner's rounded outline, less its border.
    void setClipOutline(const QWidget* owner, double cornerRadius);
    // What the cards draw again, kept between paints and showings.
    void setDrawingCache(CardDrawingCache* cache) { m_drawingCache = cache; }

    const Arrangement& arrangement() const { return m_arrangement; }
    qsizetype count() const { return m_windows.size(); }
    // The empty text as drawn.
    TextBlock emptyTextBlock() const;
    QRect cardRect(int index) const;
    int cardAt(const QPoint& position) const; // -1 between cards
    // What a card at this position shows, as drawn.
    WindowCardContent content(int index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // For tests and benchmarks: the product never calls these.
    QString emptyText() const { return m_emptyText; }
    // Where the empty text is drawn.
    QRectF emptyTextRect() const;
    // How many cards the last repaint drew.
    int paintedCardCount() const { return m_paintedCards; }

signals:
    void cardEntered(int index);
    void cardClicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    struct Grid {
        QPointF origin;
        QSizeF cell;
        int columns;
        int rows;
    };
    Grid grid() const;
    QSizeF naturalSize() const;
    void relayout();
    void updateCard(int index);
    // Where the empty text may go.
    QRectF emptyTextSpace() const;
    // Keeps what is drawn in these rectangles inside the owner's outline.
    void clipToOutline(QPainter& painter, const QList<QRect>& cards) const;

    Arrangement m_arrangement;
    CardStyle m_style;
    QList<SafariWindow> m_windows;
    QList<int> m_cardIndex; // the first position with the same id
    QHash<QString, QImage> m_snapshots;
    CardDrawingCache* m_drawingCache = nullptr;
    int m_highlighted = -1;
    QString m_emptyText;
    double m_emptyTextClearance = 0;
    QPointer<const QWidget> m_clipOwner;
    double m_clipRadius = 0;
    int m_pointerCard = -1;
    int m_pressedCard = -1;
    int m_paintedCards = 0;
};
