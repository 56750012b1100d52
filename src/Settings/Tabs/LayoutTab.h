#pragma once

#include <QWidget>

class PreferencesService;
class QComboBox;
class Screens;

// How the switcher is arranged and where it opens, under the live preview.
class LayoutTab final : public QWidget {
    Q_OBJECT
public:
    LayoutTab(PreferencesService& preferences, const Screens& screens, QWidget* livePreview,
              QWidget* parent = nullptr);

    // For tests and benchmarks: the product never calls these.
    QComboBox* displayPicker() const { return m_display; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void listDisplays();

    PreferencesService& m_preferences;
    const Screens& m_screens;
    QComboBox* m_display;
};
