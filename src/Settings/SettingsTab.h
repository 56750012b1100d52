#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// The tabs of the settings window, in the order of the tab bar. A tab's label
// is also its name in TESSEL_SETTINGS_TAB.
enum class SettingsTab { general, apps, appearance, layout };

namespace SettingsTabs {

inline constexpr std::array<SettingsTab, 4> all{SettingsTab::general, SettingsTab::apps,
                                                SettingsTab::appearance, SettingsTab::layout};

QString label(SettingsTab tab);
// Exact, case-sensitive match with a label; none for anything else.
std::optional<SettingsTab> fromLabel(QStringView text);
// The tab a newly built settings view opens on: the one the environment
// variable names, else General.
SettingsTab initial(const std::optional<QString>& environmentValue);

} // namespace SettingsTabs
