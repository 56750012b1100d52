#pragma once

#include "Platform/StatusBar.h"

// Status items as icons in the desktop's system tray. Only usable where the
// desktop offers a tray (QSystemTrayIcon::isSystemTrayAvailable()).
class TrayStatusBar final : public StatusBar {
public:
    std::unique_ptr<StatusItem> createSquareItem() override;
};
