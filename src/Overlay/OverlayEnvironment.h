#pragma once

#include <functional>

class BrowserIconCache;
class QWidget;
class Screens;
class Workspace;

// The host facilities the switcher draws and places itself with, beside the
// services it is given: the screens and the pointer (placement, the modifier
// release), the workspace (running apps, the reduce-motion setting) and the
// app icons of the chips.
struct OverlayEnvironment {
    // Cuts a window to a rounded outline of the given corner radius where no
    // compositor blends its translucent corners away; none leaves the window
    // rectangular, as it must be where a compositor runs.
    using RoundedWindowMask = std::function<void(QWidget& window, double cornerRadius)>;

    Screens& screens;
    Workspace& workspace;
    BrowserIconCache& icons;
    RoundedWindowMask roundedWindowMask = {};
};
