#include "Settings/SettingsWindowController.h"

#include "Brand/BrandStyle.h"
#include "Settings/SettingsView.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

SettingsWindowController::SettingsWindowController(PreferencesService& preferences,
                                                   std::function<void()> onShowPermissions,
                                                   OverlayEnvironment environment)
    : m_preferences(preferences), m_onShowPermissions(std::move(onShowPermissions)),
      m_environment(environment)
{
}

SettingsWindowController::~SettingsWindowController() = default;

void SettingsWindowController::show()
{
    if (!m_window)
        createWindow();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void SettingsWindowController::createWindow()
{
    // Only the close button: no resizing, no minimizing.
    m_window =
        std::make_unique<QWidget>(nullptr, Qt::Window | Qt::CustomizeWindowHint |
                                               Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    m_window->setWindowTitle(
        QCoreApplication::translate("SettingsWindowController", "Tessel Nav Settings"));
    m_window->setPalette(BrandStyle::palette());
    m_window->setAutoFillBackground(true);

    m_view = new SettingsView(m_preferences, m_onShowPermissions, m_environment);
    auto* layout = new QVBoxLayout(m_window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_view);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_window->adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = m_window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        m_window->move(frame.topLeft());
    }
}
