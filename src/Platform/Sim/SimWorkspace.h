#pragma once

#include "Platform/Workspace.h"

class SimHost;

// Installed and running apps of the simulated desktop.
class SimWorkspace final : public Workspace {
public:
    explicit SimWorkspace(SimHost& host) : m_host(host) {}

    std::optional<QString> urlForApplication(const QString& bundleIdentifier) const override;
    QImage iconForFile(const QString& path) const override;
    QList<RunningApplication> runningApplications(const QString& bundleIdentifier) const override;
    std::optional<RunningApplication> runningApplication(pid_t pid) const override;
    std::optional<RunningApplication> frontmostApplication() const override;
    bool activate(pid_t pid) override;
    bool accessibilityDisplayShouldReduceMotion() const override;

private:
    SimHost& m_host;
};
