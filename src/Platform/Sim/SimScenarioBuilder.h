#pragma once

#include "Models/Browser.h"
#include "Platform/Sim/SimModel.h"

// Builds a SimModel in code for tests and benchmarks. Calls read like a
// scenario: each launch() starts a new running instance, each window() a new
// window of the last instance, and the window modifiers apply to the last
// window.
//
//   SimModel model = SimScenarioBuilder()
//       .install(Browser::safari)
//       .launch(Browser::safari, 501)
//       .window("Inbox", {0, 25, 1200, 800}).windowNumber(88)
//       .window("Notes").minimized()
//       .build();
class SimScenarioBuilder {
public:
    SimScenarioBuilder();

    SimScenarioBuilder& install(Browser browser);
    SimScenarioBuilder& install(const QString& bundleID, const QString& name);
    // Starts an instance; the app need not be installed.
    SimScenarioBuilder& launch(Browser browser, pid_t pid);
    SimScenarioBuilder& launch(const QString& bundleID, const QString& name, pid_t pid);

    // Window of the last launched instance.
    SimScenarioBuilder& window(const QString& title,
                               const QRectF& frame = QRectF(100, 100, 800, 600));
    SimScenarioBuilder& windowNumber(quint32 number);
    SimScenarioBuilder& minimized(bool value = true);
    SimScenarioBuilder& subrole(const QString& subrole);
    SimScenarioBuilder& layer(int layer);
    SimScenarioBuilder& onlyScripting();
    SimScenarioBuilder& script(const QString& scriptID, const QString& url = {}, int tabCount = 0);
    SimScenarioBuilder& color(const QColor& color);
    SimScenarioBuilder& attribute(const QString& attribute, const AXValue& value);
    SimScenarioBuilder& attributeError(const QString& attribute, AXError error);

    // Documents of the last launched instance.
    SimScenarioBuilder& documents(const QStringList& names,
                                  const std::optional<QString>& active = std::nullopt);

    SimScenarioBuilder& trusted(bool value);
    SimScenarioBuilder& screenRecording(bool value);
    SimScenarioBuilder& screen(const QRectF& frame, const QRectF& visibleFrame,
                               const QString& name);
    SimScenarioBuilder& pointer(const QPointF& location);
    SimScenarioBuilder& frontmost(pid_t pid);
    SimScenarioBuilder& windowRecord(const QVariantMap& record);

    // Accessibility behaviour of the last launched instance.
    SimScenarioBuilder& accessibilityDelay(double seconds);
    SimScenarioBuilder& accessibilityHung(bool value = true);
    SimScenarioBuilder& windowsUnreadable(bool value = true);
    SimScenarioBuilder& observerCreationFails(bool value = true);
    // The element-to-number call answers 0 for the last window.
    SimScenarioBuilder& windowNumberCallFails(bool value = true);
    // The element-to-number call does not exist on this host.
    SimScenarioBuilder& windowNumberCallAvailable(bool value);
    // A menu-bar item of the last launched instance with its menu, shaped as
    // the host shows it: the item's one child is the menu, whose children are
    // the entries; an empty entry is a separator.
    SimScenarioBuilder& menu(const QString& title, const QStringList& entries);

    // Direct access for what has no method of its own.
    SimModel& model() { return m_model; }
    SimInstance& lastInstance();
    SimWindow& lastWindow();

    SimModel build() const { return m_model; }

private:
    SimModel m_model;
};
