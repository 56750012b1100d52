#include "SimModel.h"

#include <utility>

SimMenuItem SimMenuItem::withMenu(const QString& title, QList<SimMenuItem> entries)
{
    SimMenuItem menu;
    menu.children = std::move(entries);
    return SimMenuItem{0, title, {menu}};
}

std::optional<QString> SimInstance::documentShownIn(const QString& windowTitle) const
{
    std::optional<QString> shown;
    for (const QString& document : documents) {
        const bool named = windowTitle.startsWith(document) &&
                           (windowTitle.size() == document.size() ||
                            windowTitle.at(document.size()) == QLatin1Char(' '));
        if (named && (!shown || document.size() > shown->size()))
            shown = document;
    }
    return shown;
}

const SimWindow* SimInstance::windowShowing(const QString& document) const
{
    for (const SimWindow& window : windows) {
        if (window.accessible && documentShownIn(window.title) == document)
            return &window;
    }
    return nullptr;
}

const SimApp* SimModel::installedApp(const QString& bundleID) const
{
    for (const SimApp& app : installedApps) {
        if (app.bundleID == bundleID)
            return &app;
    }
    return nullptr;
}

SimApp* SimModel::installedApp(const QString& bundleID)
{
    return const_cast<SimApp*>(std::as_const(*this).installedApp(bundleID));
}

const SimInstance* SimModel::instance(pid_t pid) const
{
    for (const SimInstance& instance : instances) {
        if (instance.pid == pid)
            return &instance;
    }
    return nullptr;
}

SimInstance* SimModel::instance(pid_t pid)
{
    return const_cast<SimInstance*>(std::as_const(*this).instance(pid));
}

const SimInstance* SimModel::firstInstance(const QString& bundleID) const
{
    for (const SimInstance& instance : instances) {
        if (instance.bundleID == bundleID)
            return &instance;
    }
    return nullptr;
}

SimInstance* SimModel::firstInstance(const QString& bundleID)
{
    return const_cast<SimInstance*>(std::as_const(*this).firstInstance(bundleID));
}

const SimWindow* SimModel::windowWithNumber(quint32 windowNumber) const
{
    for (const SimInstance& instance : instances) {
        for (const SimWindow& window : instance.windows) {
            if (window.windowNumber == windowNumber)
                return &window;
        }
    }
    return nullptr;
}
