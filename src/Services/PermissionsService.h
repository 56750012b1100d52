#pragma once

#include <QString>

class Accessibility;
class WindowServer;

// The two permissions the program can test and request itself. Nothing is
// cached: every check asks the host again, so a permission granted while the
// program runs is seen at the next check. Only the two requests can make the
// host show a prompt.
class PermissionsService {
public:
    PermissionsService(Accessibility& accessibility, WindowServer& windowServer)
        : m_accessibility(accessibility), m_windowServer(windowServer)
    {
    }

    bool isAccessibilityTrusted() const;
    // Same answer as the check; when not trusted the host also shows its prompt.
    bool requestAccessibility();
    bool isScreenRecordingAllowed() const;
    // Asks the host to show its prompt; its answer means nothing.
    void requestScreenRecording();

    // "Accessibility: granted|not granted", a line break, then the same for
    // "Screen Recording: "; no trailing line break.
    QString statusSummary() const;

private:
    Accessibility& m_accessibility;
    WindowServer& m_windowServer;
};
