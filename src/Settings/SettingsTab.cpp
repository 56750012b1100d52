#include "Settings/SettingsTab.h"

namespace SettingsTabs {

QString label(SettingsTab tab)
{
    switch (tab) {
    case SettingsTab::general:
        return QStringLiteral("General");
    case SettingsTab::apps:
        return QStringLiteral("Apps");
    case SettingsTab::appearance:
        return QStringLiteral("Appearance");
    case SettingsTab::layout:
        return QStringLiteral("Layout");
    }
    return {};
}

std::optional<SettingsTab> fromLabel(QStringView text)
{
    for (SettingsTab tab : all) {
        if (text == label(tab))
            return tab;
    }
    return std::nullopt;
}

SettingsTab initial(const std::optional<QString>& environmentValue)
{
    if (!environmentValue)
        return SettingsTab::general;
    return fromLabel(*environmentValue).value_or(SettingsTab::general);
}

} // namespace SettingsTabs
