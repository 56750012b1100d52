#pragma once

#include "Overlay/OverlayEnvironment.h"
#include "Settings/SettingsTab.h"

#include <QWidget>

#include <array>
#include <functional>

class AppearanceTab;
class AppsTab;
class BrandStyle;
class LayoutTab;
class LivePreview;
class PreferencesService;
class QScrollArea;
class TabButton;

// The content of the settings window: the wordmark, the four tab buttons, a
// hairline rule and the scrolling body of the chosen tab. Every control is
// bound straight to the live store; the view keeps no settings of its own.
// Always drawn in the light look on the brand cream.
class SettingsView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int viewWidth = 470;
    static constexpr int bodyHeight = 480;

    // The first tab is the one TESSEL_SETTINGS_TAB names, read here only.
    SettingsView(PreferencesService& preferences, std::function<void()> onShowPermissions,
                 OverlayEnvironment environment, QWidget* parent = nullptr);
    ~SettingsView() override;

    void setTab(SettingsTab tab);

    // The sample card drawn as selected in both tabs' previews; it starts at
    // the second card and only hovering a card changes it.
    void setPreviewHover(int index);

    // For tests and benchmarks: the product never calls these.
    SettingsTab tab() const { return m_tab; }
    TabButton* tabButton(SettingsTab tab) const;
    QScrollArea* body() const { return m_body; }
    int previewHover() const { return m_previewHover; }
    // The tabs built so far (a tab is built when first shown).
    AppsTab* appsTab() const;
    AppearanceTab* appearanceTab() const;
    LayoutTab* layoutTab() const;
    LivePreview* appearancePreview() const { return m_appearancePreview; }
    LivePreview* layoutPreview() const { return m_layoutPreview; }

signals:
    void previewHoverChanged(int index);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* tabWidget(SettingsTab tab);
    LivePreview* makePreview();

    PreferencesService& m_preferences;
    std::function<void()> m_onShowPermissions;
    OverlayEnvironment m_environment;
    BrandStyle* m_style;
    SettingsTab m_tab;
    int m_previewHover = 1;
    std::array<TabButton*, SettingsTabs::all.size()> m_tabButtons{};
    std::array<QWidget*, SettingsTabs::all.size()> m_tabs{};
    QScrollArea* m_body;
    LivePreview* m_appearancePreview = nullptr;
    LivePreview* m_layoutPreview = nullptr;
};
