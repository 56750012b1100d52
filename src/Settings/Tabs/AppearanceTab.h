#pragma once

#include <QWidget>

class PreferencesService;
class ProfileColorList;
class QComboBox;
class QSlider;

// How the switcher looks, under the live preview: theme, card size, profile
// pill colours, surface and glass tint.
class AppearanceTab final : public QWidget {
    Q_OBJECT
public:
    AppearanceTab(PreferencesService& preferences, QWidget* livePreview, QWidget* parent = nullptr);

    // For tests and benchmarks: the product never calls these.
    ProfileColorList* profileColors() const { return m_profiles; }
    QWidget* profileSection() const { return m_profileSection; }
    QComboBox* surfacePicker() const { return m_surface; }
    QComboBox* tintPicker() const { return m_tint; }
    QSlider* tintSlider() const { return m_tintStrength; }

private:
    QWidget* buildProfileSection();
    void showProfileSection();
    void enableByTheme();

    PreferencesService& m_preferences;
    ProfileColorList* m_profiles = nullptr;
    QWidget* m_profileSection = nullptr;
    QWidget* m_profileRows = nullptr; // the rows and the paragraph after them
    QWidget* m_noProfiles = nullptr;  // the paragraph shown instead
    QComboBox* m_surface = nullptr;
    QComboBox* m_tint = nullptr;
    QSlider* m_tintStrength = nullptr;
};
