#pragma once

#include <functional>

// The menu panel's four commands, filled by the application delegate.
struct MenuActions {
    std::function<void()> showSwitcher;
    std::function<void()> showSettings;
    std::function<void()> showPermissions;
    std::function<void()> quit;
};
