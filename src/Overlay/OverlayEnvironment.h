#pragma once

class BrowserIconCache;
class Screens;
class Workspace;

// The host facilities the switcher draws and places itself with, beside the
// services it is given: the screens and the pointer (placement, the modifier
// release), the workspace (running apps, the reduce-motion setting) and the
// app icons of the chips.
struct OverlayEnvironment {
    Screens& screens;
    Workspace& workspace;
    BrowserIconCache& icons;
};
