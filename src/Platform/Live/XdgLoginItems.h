#pragma once

#include "Platform/LoginItems.h"

#include <QString>

// The login item as an XDG autostart entry. It counts as enabled exactly when
// the entry exists and is not hidden ("Hidden=true" is how desktops switch an
// entry off without deleting it).
class XdgLoginItems final : public LoginItems {
public:
    // The entry starts executablePath.
    explicit XdgLoginItems(QString executablePath, QString entryPath = defaultEntryPath());

    // "$XDG_CONFIG_HOME/autostart/tessel-nav.desktop".
    static QString defaultEntryPath();

    LoginItemStatus status() const override;
    // Writes the entry atomically, replacing a hidden one.
    std::optional<LoginItemError> registerMainApp() override;
    std::optional<LoginItemError> unregisterMainApp() override;

private:
    QString m_executablePath;
    QString m_entryPath;
};
