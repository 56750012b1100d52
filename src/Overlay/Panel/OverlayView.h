#pragma once

#include "Brand/ColorScheme.h"
#include "Models/Browser.h"
#include "Overlay/Panel/PanelSurface.h"

#include <QColor>
#include <QVariantAnimation>
#include <QWidget>

#include <optional>

class AppChipBar;
class CardCollectionView;
class OverlayController;
class PreferencesService;
class QBoxLayout;
class QScrollArea;
class SearchPill;

// The whole content of the switcher panel: the cards in a strip, a column or
// a grid, the app chips as a row or a rail, the search pill, the empty-state
// texts and the rounded background. It observes the controller and the
// preferences store, reports hover, leave and clicks to the controller, and
// keeps the selected card in view. A new one is made for every showing.
class OverlayView : public QWidget {
    Q_OBJECT
public:
    OverlayView(OverlayController& controller, PreferencesService& preferences,
                QWidget* parent = nullptr);
    ~OverlayView() override;

    // Another showing's view takes over: this one no longer follows the
    // controller and the settings.
    void stopObserving();

    // For tests and benchmarks: the product never calls these.
    CardCollectionView& cards() const { return *m_cards; }
    QScrollArea& cardScrollArea() const { return *m_cardScroll; }
    AppChipBar& chipRow() const { return *m_chipRow; }
    QScrollArea& chipRail() const { return *m_railScroll; }
    SearchPill& searchPill() const { return *m_searchPill; }
    // The tint layer as drawn now, its opacity the tint's strength;
    // transparent when there is none.
    QColor tint() const { return m_tint; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Everything from the published state and the settings.
    void sync();
    void syncHighlight();
    void syncTint(bool animate);
    void scrollToSelection(bool animate);
    void placeSearchPill();
    bool reduceMotion() const;
    bool isThemed() const;
    PanelSurface::Look surfaceLook() const;

    OverlayController& m_controller;
    PreferencesService& m_preferences;
    ColorScheme m_scheme;

    QBoxLayout* m_root;
    QWidget* m_centre;
    AppChipBar* m_chipRow;
    QScrollArea* m_railScroll;
    AppChipBar* m_chipRail;
    QScrollArea* m_cardScroll;
    CardCollectionView* m_cards;
    SearchPill* m_searchPill;

    double m_searchTop = 10;
    QColor m_tint = Qt::transparent;
    QVariantAnimation m_tintAnimation;
    QVariantAnimation m_scrollAnimation;
};
