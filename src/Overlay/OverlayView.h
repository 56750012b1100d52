#pragma once

#include <QWidget>

class OverlayController;
class PreferencesService;

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

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    OverlayController& m_controller;
    PreferencesService& m_preferences;
};
