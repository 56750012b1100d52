#include "Settings/Tabs/GeneralTab.h"

#include "Settings/Controls/PreferenceControls.h"
#include "Settings/Tabs/SettingsSections.h"

#include <QPushButton>
#include <QVBoxLayout>

using namespace SettingsSections;
using PS = PreferencesService;

GeneralTab::GeneralTab(PreferencesService& preferences, std::function<void()> onShowPermissions,
                       QWidget* parent)
    : QWidget(parent)
{
    QVBoxLayout* body = tabBody(this);

    body->addWidget(section(
        tr("In your browser — the signature shortcut"),
        {PreferenceControls::checkBox(tr("⌘ ` opens the switcher"), preferences,
                                      &PS::enhanceCommandBacktick, &PS::setEnhanceCommandBacktick,
                                      &PS::enhanceCommandBacktickChanged),
         caption(QStringLiteral(
             "Command + backtick (the key under Esc). Browsers natively use it to cycle windows "
             "blindly; Tessel makes it visual, showing just that browser's windows. A single "
             "press still goes to the next window. Untick it and the native behavior returns; "
             "Tessel steps out of the way. The global shortcut below always works everywhere."))}));

    const PreferenceControls::Choices<ShortcutPreset> presets{
        {ShortcutPreset::optionTab, tr("⌥ Option + Tab")},
        {ShortcutPreset::controlOptionTab, tr("⌃⌥ Control + Option + Tab")},
        {ShortcutPreset::optionGrave, tr("⌥ Option + ` (backtick)")},
    };
    body->addWidget(section(
        tr("From anywhere — the global summon"),
        {PreferenceControls::radioPicker(presets, preferences, &PS::shortcutPreset,
                                         &PS::setShortcutPreset, &PS::shortcutPresetChanged),
         caption(QStringLiteral("Works even when Safari isn't in front. Hold the modifier and tap "
                                "the key to cycle; release to switch. Shift reverses "
                                "direction."))}));

    body->addWidget(section(
        tr("Startup"),
        {PreferenceControls::checkBox(tr("Launch at login"), preferences, &PS::launchAtLogin,
                                      &PS::setLaunchAtLogin, &PS::launchAtLoginChanged)}));

    body->addWidget(section(
        tr("Privacy"),
        {PreferenceControls::checkBox(tr("Window previews"), preferences, &PS::showWindowPreviews,
                                      &PS::setShowWindowPreviews, &PS::showWindowPreviewsChanged),
         caption(QStringLiteral("Live snapshots of each window. Turn this off for clean labeled "
                                "tiles — Tessel then never captures your screen, and needs no "
                                "Screen Recording permission at all."))}));

    auto* permissions = new QPushButton(tr("Open Permissions Setup…"));
    permissions->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(permissions, &QPushButton::clicked, this, [show = std::move(onShowPermissions)] {
        if (show)
            show();
    });
    body->addWidget(section(tr("Permissions"), {permissions}));
}
