#pragma once

#include "Overlay/OverlayEnvironment.h"

#include <QPointer>

#include <functional>
#include <memory>

class PreferencesService;
class QWidget;
class SettingsView;

// Owns the settings window: built at the first show() and kept for the life
// of the program, so closing it only hides it and the next show() brings
// back the same window, where the user left it, on the same tab.
class SettingsWindowController final {
public:
    SettingsWindowController(PreferencesService& preferences,
                             std::function<void()> onShowPermissions,
                             OverlayEnvironment environment);
    ~SettingsWindowController();

    // Creates the window on the first call; every call brings it to the front.
    void show();

    // For tests and benchmarks: the product never calls these.
    QWidget* window() const { return m_window.get(); }
    SettingsView* view() const { return m_view; }

private:
    void createWindow();

    PreferencesService& m_preferences;
    std::function<void()> m_onShowPermissions;
    OverlayEnvironment m_environment;
    std::unique_ptr<QWidget> m_window;
    SettingsView* m_view = nullptr;
};
