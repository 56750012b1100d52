#pragma once

#include <QImage>
#include <QList>
#include <QString>

#include <optional>
#include <sys/types.h>

// The workspace: installed applications by bundle identifier, their icons,
// the running applications, activation and the frontmost application.

struct RunningApplication {
    pid_t pid = 0;
    QString bundleIdentifier; // empty when the process has none
    QString localizedName;
};

class Workspace {
public:
    virtual ~Workspace() = default;

    // The location of the installed application with this bundle identifier.
    virtual std::optional<QString> urlForApplication(const QString& bundleIdentifier) const = 0;
    // The icon the workspace shows for the file at this path.
    virtual QImage iconForFile(const QString& path) const = 0;

    // The running instances, in launch order; several for an app running twice.
    virtual QList<RunningApplication>
    runningApplications(const QString& bundleIdentifier) const = 0;
    virtual std::optional<RunningApplication> runningApplication(pid_t pid) const = 0;
    virtual std::optional<RunningApplication> frontmostApplication() const = 0;

    // Brings the app to the front (no options). False when the process is gone.
    virtual bool activate(pid_t pid) = 0;

    // The user's reduce-motion accessibility setting.
    virtual bool accessibilityDisplayShouldReduceMotion() const = 0;
};
