#include "SimScenarioBuilder.h"

#include <QtGlobal>

SimScenarioBuilder::SimScenarioBuilder() = default;

SimScenarioBuilder& SimScenarioBuilder::install(Browser browser)
{
    return install(browser.bundleID(), browser.displayName());
}

SimScenarioBuilder& SimScenarioBuilder::install(const QString& bundleID, const QString& name)
{
    SimApp app;
    app.bundleID = bundleID;
    app.name = name;
    app.path = QStringLiteral("/Applications/") + name + QStringLiteral(".app");
    m_model.installedApps << app;
    return *this;
}

SimScenarioBuilder& SimScenarioBuilder::launch(Browser browser, pid_t pid)
{
    return launch(browser.bundleID(), browser.displayName(), pid);
}

SimScenarioBuilder& SimScenarioBuilder::launch(const QString& bundleID, const QString& name,
                                               pid_t pid)
{
    SimInstance instance;
    instance.pid = pid;
    instance.bundleID = bundleID;
    instance.name = name;
    m_model.instances << instance;
    return *this;
}

SimInstance& SimScenarioBuilder::lastInstance()
{
    Q_ASSERT_X(!m_model.instances.isEmpty(), "SimScenarioBuilder", "launch() an app first");
    return m_model.instances.last();
}

SimWindow& SimScenarioBuilder::lastWindow()
{
    Q_ASSERT_X(!lastInstance().windows.isEmpty(), "SimScenarioBuilder", "add a window() first");
    return lastInstance().windows.last();
}

SimScenarioBuilder& SimScenarioBuilder::window(const QString& title, const QRectF& frame)
{
    SimWindow window;
    window.title = title;
    window.frame = frame;
    window.main = lastInstance().windows.isEmpty();
    lastInstance().windows << window;
    return *this;
}

SimScenarioBuilder& SimScenarioBuilder::windowNumber(quint32 number)
{
    lastWindow().windowNumber = number;
    return *this;
}

SimScenarioBuilder& SimScenarioBuilder::minimized(bool value)
{
    lastWindow().minimized = value;
    return *this;
}

SimScenarioBuilder& SimScenarioBuilder::subrole(const QString& subrole)
{
    lastWindow().subrole = subrole;
    return *this;
}

SimScenarioBuilder& SimScenarioBuilder::layer(int layer)
{
    lastWindow().layer = layer;
    return *this;
}

SimScenarioBuilder& SimScenarioBuilder::onlyScripting()
{
    lastWindow().accessible = false;
    return *this;
}

SimScenarioBuilder& SimScenarioBuilder::script(const QString& scriptID, const QString& url,
                                               int tabCount)
{
    SimWindow& window = lastWindow();
    window.scriptID = scriptID;
    window.url = url;
    window.tabCount = tabCount;
    return *this;
}

SimScenarioBuilder& SimScenarioBuilder::color(const QColor& color)
{
    lastWindow().color = color;
    return *this;
}

SimScenarioBuilder& SimScenarioBuilder::attribute(const QString& attribute, const AXValue& value)
{
    lastWindow().attributeOverrides.insert(attribute,
                                           SimAttributeOverride{AXError::Success, value});
    return *this;
}

SimScenarioBuilder& SimScenarioBuilder::attributeError(const QString& attribute, AXError error)
{
    lastWindow().attributeOverrides.insert(attribute, SimAttributeOverride{error, {}});
    return *this;
}

SimScenarioBuilder& SimScenarioBuilder::documents(const QStringList& names,
                                                  const std::optional<QString>& active)
{
    lastInstance().documents = names;
    lastInstance().activeDocument = active;
    return *this;
}

SimScenarioBuilder& SimScenarioBuilder::trusted(bool value)
{
    m_model.accessibilityTrusted = value;
    return *this;
}

SimScenarioBuilder& SimScenarioBuilder::screenRecording(bool value)
{
    m_model.screenRecordingGranted = value;
    return *this;
}

SimScenarioBuilder& SimScenarioBuilder::screen(const QRectF& frame, const QRectF& visibleFrame,
                                               const QString& name)
{
    m_model.screens << SimScreen{frame, visibleFrame, name};
    return *this;
}

SimScenarioBuilder& SimScenarioBuilder::pointer(const QPointF& location)
{
    m_model.pointer = location;
    return *this;
}

SimScenarioBuilder& SimScenarioBuilder::frontmost(pid_t pid)
{
    m_model.frontmostPid = pid;
    return *this;
}

SimScenarioBuilder& SimScenarioBuilder::windowRecord(const QVariantMap& record)
{
    m_model.extraWindowRecords << record;
    return *this;
}

SimScenarioBuilder& SimScenarioBuilder::accessibilityDelay(double seconds)
{
    lastInstance().accessibility.delaySeconds = seconds;
    return *this;
}

SimScenarioBuilder& SimScenarioBuilder::accessibilityHung(bool value)
{
    lastInstance().accessibility.hung = value;
    return *this;
}

SimScenarioBuilder& SimScenarioBuilder::windowsUnreadable(bool value)
{
    lastInstance().accessibility.windowsUnreadable = value;
    return *this;
}

SimScenarioBuilder& SimScenarioBuilder::observerCreationFails(bool value)
{
    lastInstance().accessibility.observerCreationFails = value;
    return *this;
}

SimScenarioBuilder& SimScenarioBuilder::windowNumberCallFails(bool value)
{
    lastWindow().windowNumberCallFails = value;
    return *this;
}

SimScenarioBuilder& SimScenarioBuilder::windowNumberCallAvailable(bool value)
{
    m_model.windowNumberCallAvailable = value;
    return *this;
}

SimScenarioBuilder& SimScenarioBuilder::menu(const QString& title, const QStringList& entries)
{
    QList<SimMenuItem> items;
    for (const QString& entry : entries)
        items << SimMenuItem{0, entry, {}};
    lastInstance().menuBar << SimMenuItem::withMenu(title, std::move(items));
    return *this;
}
