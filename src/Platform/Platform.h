#pragma once

// Every facility of the host the product calls on, handed to services in
// their constructors. Nothing in the product reaches for a global host.

class Accessibility;
class AppleScript;
class Clock;
class EventTap;
class LoginItems;
class ScreenCapture;
class Screens;
class SystemLog;
class UrlOpener;
class UserDefaults;
class WindowServer;
class Workspace;

struct Platform {
    Accessibility& accessibility;
    WindowServer& windowServer;
    ScreenCapture& screenCapture;
    AppleScript& appleScript;
    Workspace& workspace;
    UrlOpener& urlOpener;
    EventTap& eventTap;
    LoginItems& loginItems;
    UserDefaults& defaults;
    Screens& screens;
    SystemLog& systemLog;
    Clock& clock;
};
